#include "platform/dao/statement.h"

#include "platform/dao/dao.h"
#include "platform/dao/sqlite_util.h"

namespace dao {

using namespace detail;

Statement::Statement(Database& db, const QString& sql) : db_(db) {
    const QString op = QStringLiteral("prepare a statement for");
    db.checkOpen(op);
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &stmt_, nullptr) != SQLITE_OK)
        fail(op, sqlite3_extended_errcode(db.handle()));
    if (!stmt_) throw DaoError(db.name(), op, QStringLiteral("the SQL text is empty"));
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::fail(const QString& operation, int rc) {
    const QString reason = reasonFor(db_.handle(), rc);
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    throw DaoError(db_.name(), operation, reason);
}

void Statement::bind(int i, const QVariant& v) {
    if (const int rc = bindValue(stmt_, i, v); rc != SQLITE_OK) fail(QStringLiteral("write to"), rc);
}

void Statement::bind(const QString& name, const QVariant& v) {
    const int i = sqlite3_bind_parameter_index(stmt_, name.toUtf8().constData());
    if (i == 0)
        throw DaoError(db_.name(), QStringLiteral("write to"),
                       QStringLiteral("the statement has no parameter %1").arg(name));
    bind(i, v);
}

void Statement::bindText(int i, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    if (const int rc = sqlite3_bind_text(stmt_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        fail(QStringLiteral("write to"), rc);
}

void Statement::bindUtf8(int i, const char* data, qsizetype size) {
    if (const int rc = sqlite3_bind_text(stmt_, i, data, int(size), SQLITE_STATIC); rc != SQLITE_OK)
        fail(QStringLiteral("write to"), rc);
}

void Statement::bindColumn(int i, const Statement& from, int c) {
    if (const int rc = sqlite3_bind_value(stmt_, i, sqlite3_column_value(from.stmt_, c)); rc != SQLITE_OK)
        fail(QStringLiteral("write to"), rc);
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE)
        fail(sqlite3_stmt_readonly(stmt_) ? QStringLiteral("read from") : QStringLiteral("write to"),
             sqlite3_extended_errcode(db_.handle()));
    reset();
    return false;
}

long long Statement::run() {
    while (step()) {
    }
    const long long changed = sqlite3_changes64(db_.handle());
    // Recordsets open on the same database must not serve rows cached before this write.
    if (changed > 0) db_.noteChange();
    return changed;
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

QVariant Statement::column(int i) const {
    return readColumn(stmt_, i);
}

QByteArrayView Statement::columnUtf8(int i) const {
    if (sqlite3_column_type(stmt_, i) != SQLITE_TEXT) return {};
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return QByteArrayView(p, sqlite3_column_bytes(stmt_, i));
}

int Statement::columnIndex(const QString& name) const {
    for (int i = 0; i < sqlite3_column_count(stmt_); ++i)
        if (name.compare(QString::fromUtf8(sqlite3_column_name(stmt_, i)), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Transaction::Transaction(Database& db) : db_(db) {
    db.BeginTrans();
    depth_ = db.transactionDepth();
}

Transaction::~Transaction() {
    if (done_) return;
    try {
        // Inner transactions left open unwind first; a database closed meanwhile has rolled back.
        while (db_.isOpen() && db_.transactionDepth() >= depth_)
            db_.Rollback();
    } catch (...) {
        // A failed rollback must not hide the failure that is being handled.
    }
}

void Transaction::commit() {
    db_.CommitTrans();
    done_ = true;
}

} // namespace dao
