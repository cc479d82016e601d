// Helpers of the loader tests: hand-built records (never the generator's), a state database in a
// temporary program folder, and a load context that records what the loaders show.
#pragma once

#include "loading/load_context.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QStringList>

#include <functional>
#include <memory>

namespace loadingtest {

// A record of length bytes: blanks, CR LF at the end; put() writes text at a 1-based column.
struct Golden {
    QByteArray rec;
    explicit Golden(int length) : rec(length, ' ') {
        rec[length - 2] = '\r';
        rec[length - 1] = '\n';
    }
    Golden& put(int col, const QByteArray& text) {
        rec.replace(col - 1, text.size(), text);
        return *this;
    }
};

// A standard employer record: state, file, sequence, name, county; slots added by the caller.
inline Golden standardEmployer(const QByteArray& state, const QByteArray& file, const QByteArray& seq,
                               const QByteArray& name, const QByteArray& county = "003") {
    Golden g(502);
    g.put(1, state).put(3, file).put(14, seq).put(28, name).put(106, "1 MAIN ST").put(146, "PITTSBURGH");
    g.put(168, "PA").put(170, "15222").put(175, county).put(178, "412-555-0100").put(191, "3599");
    return g;
}

// A standard class line: class code, file, sequence, loss cost digits (5).
inline QByteArray standardClassLine(const QByteArray& cls, const QByteArray& file, const QByteArray& seq,
                                    const QByteArray& cents) {
    return Golden(52).put(2, cls).put(7, file).put(18, cents).put(23, seq).rec;
}

class LoadingTest : public testsupport::TempDirTest {
protected:
    void openState(const QString& state) {
        state_ = state;
        db_ = dao::Database::create(path(loading::stateDatabaseName(state)));
        loading::createStateTables(*db_, state);
        ctx_.db = db_.get();
        ctx_.folder = folder();
        ctx_.state = state;
        ctx_.today = QDate(2024, 6, 30);
        ctx_.cancelled = &cancelled_;
        ctx_.progress = [this](const QString& t) { progress_ << t; };
        ctx_.processEvents = [this] {
            ++eventRuns_;
            if (onEvents_) onEvents_();
        };
    }

    void writeFile(const QString& name, const QList<QByteArray>& records, const QByteArray& tail = {}) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QByteArray& r : records)
            f.write(r);
        f.write(tail);
    }
    bool exists(const QString& name) const { return QFile::exists(path(name)); }

    long long count(const QString& table, const QString& where = QString()) {
        const QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table +
                            (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
        return db_->scalar(sql).toLongLong();
    }
    QVariant value(const QString& sql, const QVariantList& params = {}) { return db_->scalar(sql, params); }
    bool isNullValue(const QString& sql) {
        const QVariant v = value(sql);
        return !v.isValid() || v.isNull();
    }

    QString state_;
    std::unique_ptr<dao::Database> db_;
    loading::LoadContext ctx_;
    bool cancelled_ = false;
    QStringList progress_;
    int eventRuns_ = 0;
    std::function<void()> onEvents_;
};

} // namespace loadingtest
