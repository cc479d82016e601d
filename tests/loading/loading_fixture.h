// Helpers of the loader tests: hand-built records (never the generator's), a state database in a
// temporary program folder, and a load context that records what the loaders show.
#pragma once

#include "dataset/data_set.h"
#include "loading/load_context.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/dao/sqlite_util.h"
#include "support/temp_dir.h"

#include <sqlite3.h>

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

// A ModEntry slot: issue, effective and expiry dates, MOD digits.
inline QByteArray slot(const char* issue, const char* effective, const char* expire, const char* mod) {
    return QByteArray(issue) + effective + expire + mod;
}

// A standard employer record: state, file, sequence, name, county; slots added by the caller.
inline Golden standardEmployer(const QByteArray& state, const QByteArray& file, const QByteArray& seq,
                               const QByteArray& name, const QByteArray& county = "003") {
    Golden g(502);
    g.put(1, state).put(3, file).put(14, seq).put(28, name).put(106, "1 MAIN ST").put(146, "PITTSBURGH");
    g.put(168, "PA").put(170, "15222").put(175, county).put(178, "412-555-0100").put(191, "3599");
    return g;
}

// Every field of a standard employer record set, "#" in the columns that are not used.
inline Golden fullStandardEmployer() {
    Golden g(502);
    g.put(1, "PA").put(3, "1234567").put(10, "####").put(14, "01").put(16, "############");
    g.put(28, "ACME TOOL & DIE INC").put(68, "DBA ACME PRECISION").put(106, "12 MAIN ST");
    g.put(146, "PITTSBURGH").put(168, "PA").put(170, "15222").put(175, "003");
    g.put(178, "412-555-0100").put(190, "#").put(191, "3599");
    g.put(305, "Y").put(306, "JOHN SMITH");
    g.put(336, "0599").put(340, "ABC").put(343, "DEF").put(346, "5").put(347, "7").put(348, "#######");
    g.put(355, "COND TEXT 1234").put(369, "0012345").put(376, "0023456").put(383, "0003456");
    g.put(390, "###########").put(401, "PRESIDENT").put(431, "1234");
    g.put(435, QByteArray(54, '#')).put(489, "412-555-0199");
    return g;
}

// Every field of a New York employer record set, "#" in the columns that are not used.
inline Golden fullNewYorkEmployer() {
    Golden g(502);
    g.put(1, "NY").put(3, "123").put(6, "45").put(8, "67").put(10, "02").put(12, QByteArray(16, '#'));
    g.put(28, "EMPIRE BAKERY CORP").put(63, "#####").put(68, "400 BROADWAY").put(102, QByteArray(44, '#'));
    g.put(146, "NEW YORK").put(168, "NY").put(170, "10013").put(175, "061");
    g.put(178, "212-555-0123").put(191, "2051");
    g.put(306, "MARY JONES").put(346, "3").put(347, "4");
    g.put(355, "RI").put(401, "OWNER").put(431, "4321").put(489, "212-555-0124");
    return g;
}

// n standard PA employers 1000000 + first.. with one used slot each.
inline QList<QByteArray> employers(int n, int first = 1) {
    QList<QByteArray> recs;
    for (int i = first; i < first + n; ++i)
        recs << standardEmployer("PA", QByteArray::number(1000000 + i), "01",
                                 "EMPLOYER " + QByteArray::number(i))
                    .put(195, slot("990315", "990401", "000315", "0950"))
                    .rec;
    return recs;
}

// A standard class line: class code, file, sequence, loss cost digits (5).
inline QByteArray standardClassLine(const QByteArray& cls, const QByteArray& file, const QByteArray& seq,
                                    const QByteArray& cents) {
    return Golden(52).put(2, cls).put(7, file).put(18, cents).put(23, seq).rec;
}

// The schema and every row of every table as the engine stores them (each value's type and bytes,
// rows in storage order): what a load that did not happen must leave byte for byte.
inline QByteArray dump(dao::Database& db) {
    sqlite3* h = dao::detail::rawHandle(db);
    QStringList tables{"sqlite_schema"};
    auto rows = [&](const QByteArray& sql, QByteArray& out) {
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(h, sql.constData(), -1, &s, nullptr), SQLITE_OK) << sql.constData();
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(s); ++i) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, i));
                out += QByteArray::number(sqlite3_column_type(s, i)) + ':' +
                       QByteArray(bytes, sqlite3_column_bytes(s, i)) + '\x1f';
            }
            out += '\n';
        }
        sqlite3_finalize(s);
    };
    QByteArray names;
    rows("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name", names);
    for (const QByteArray& line : names.split('\n'))
        if (!line.isEmpty()) tables << QString::fromUtf8(line.mid(2, line.size() - 3));
    QByteArray out;
    for (const QString& t : tables) {
        out += t.toUtf8() + '\n';
        rows("SELECT * FROM \"" + t.toUtf8() + "\" ORDER BY rowid", out);
    }
    return out;
}

class LoadingTest : public testsupport::TempDirTest {
protected:
    void openState(const QString& state) {
        state_ = state;
        db_ = dao::Database::create(path(dataset::stateDatabaseName(state)));
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
