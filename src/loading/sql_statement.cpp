#include "loading/sql_statement.h"

#include "platform/dao/dao.h"

#include <sqlite3.h>

#include <cstdio>

namespace loading {

SqlStatement::SqlStatement(dao::Database& db, const QString& sql) : db_(db), handle_(db.handle()), sql_(sql) {
    if (!handle_)
        throw dao::DaoError(db.name(), QStringLiteral("Prepare"), QStringLiteral("database is closed"));
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(handle_, utf8.constData(), int(utf8.size()), &stmt_, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Prepare"));
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(stmt_);
}

void SqlStatement::fail(const QString& operation) const {
    throw dao::DaoError(db_.name(), operation,
                        QStringLiteral("%1 (%2)").arg(QString::fromUtf8(sqlite3_errmsg(handle_)), sql_));
}

void SqlStatement::bindText(int i, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    if (sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fail(QStringLiteral("Bind"));
}

void SqlStatement::bindNull(int i) {
    if (sqlite3_bind_null(stmt_, i) != SQLITE_OK) fail(QStringLiteral("Bind"));
}

void SqlStatement::bind(int i, const QVariant& v) {
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(stmt_, i);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt_, i, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Long:
            rc = sqlite3_bind_int64(stmt_, i, v.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt_, i, v.toDouble());
            break;
        case QMetaType::QDate: {
            // The storage form "YYYY-MM-DD", written directly: a load binds millions of dates.
            const QDate d = v.toDate();
            if (!d.isValid()) {
                rc = sqlite3_bind_null(stmt_, i);
                break;
            }
            char buf[16];
            const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
            rc = sqlite3_bind_text(stmt_, i, buf, n, SQLITE_TRANSIENT);
            break;
        }
        default:
            bindText(i, v.toString());
            return;
        }
    }
    if (rc != SQLITE_OK) fail(QStringLiteral("Bind"));
}

bool SqlStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(handle_));
        reset();
        throw dao::DaoError(db_.name(), QStringLiteral("Write"), QStringLiteral("%1 (%2)").arg(reason, sql_));
    }
    reset();
    return false;
}

int SqlStatement::run() {
    while (step()) {
    }
    const int changed = sqlite3_changes(handle_);
    // Recordsets open on the same database must not serve rows cached before this write.
    if (changed > 0) db_.noteChange();
    return changed;
}

void SqlStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

QVariant SqlStatement::column(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt_, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, i));
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i)),
                                          sqlite3_column_bytes(stmt_, i)));
    }
}

} // namespace loading
