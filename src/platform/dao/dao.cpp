#include "platform/dao/dao.h"

#include "platform/dao/index_order.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/page_memory.h"
#include "platform/dao/member_set.h"
#include "platform/dao/query_recordset.h"
#include "platform/dao/query_terms.h"
#include "platform/dao/sqlite_util.h"
#include "platform/dao/table_recordset.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

namespace dao {

using namespace detail;

namespace {

const char* const kMetaTable = "_velk_meta";

QString messageOf(const QString& file, const QString& operation, const QString& reason) {
    QString m = QStringLiteral("VELK could not ") + operation + u' ' +
                (file.isEmpty() ? QStringLiteral("the database") : file) + u'.';
    if (!reason.isEmpty()) m += QStringLiteral("\r\n") + reason;
    return m;
}

// A number in a date column is a Julian day, as SQLite's date functions read it (its days begin at
// noon); like them, only the years 1 to 9999 count as dates.
QDate dateFromDayNumber(double jd) {
    constexpr double first = 1721425.5, last = 5373483.5; // 0001-01-01 and 9999-12-31, at midnight
    if (!(jd >= first && jd < last + 1)) return QDate();
    return QDate::fromJulianDay(qint64(std::floor(jd + 0.5)));
}

// Year, month and day of stored ISO text "YYYY-MM-DD" (a time may follow after ' ' or 'T'), read
// straight from the bytes: a search runs these on every row. False for any other form or a date
// that does not exist, which then goes the general way.
bool parseIsoDate(const unsigned char* p, int n, int* year, int* month, int* day) {
    if (n < 10 || (n > 10 && p[10] != ' ' && p[10] != 'T') || p[4] != '-' || p[7] != '-') return false;
    auto digits = [p](int at, int count, int* out) {
        int v = 0;
        for (int i = at; i < at + count; ++i) {
            if (p[i] < '0' || p[i] > '9') return false;
            v = v * 10 + (p[i] - '0');
        }
        *out = v;
        return true;
    };
    int y, m, d;
    if (!digits(0, 4, &y) || !digits(5, 2, &m) || !digits(8, 2, &d)) return false;
    if (y < 1 || m < 1 || m > 12 || d < 1) return false;
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    if (d > monthDays[m - 1] + (m == 2 && leap ? 1 : 0)) return false;
    *year = y;
    *month = m;
    *day = d;
    return true;
}

// MONTH(), DAY() and YEAR(): Null for Null or a value that is not a date. MONTHDAY() is
// MONTH() * 100 + DAY() in one call, for the searches that test both on every row.
template <int Part> int datePart(int year, int month, int day) {
    return Part == 0 ? year : Part == 1 ? month : Part == 2 ? day : month * 100 + day;
}

template <int Part> void datePartFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    QDate d;
    switch (sqlite3_value_type(v)) {
    case SQLITE_TEXT: {
        const unsigned char* p = sqlite3_value_text(v);
        const int n = sqlite3_value_bytes(v);
        int year, month, day;
        if (p && parseIsoDate(p, n, &year, &month, &day)) {
            sqlite3_result_int(ctx, datePart<Part>(year, month, day));
            return;
        }
        d = toDate(QString::fromUtf8(reinterpret_cast<const char*>(p), n));
        break;
    }
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        d = dateFromDayNumber(sqlite3_value_double(v));
        break;
    default:
        break;
    }
    if (!d.isValid()) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, datePart<Part>(d.year(), d.month(), d.day()));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Errors and conversions

DaoError::DaoError(const QString& file, const QString& operation, const QString& reason)
    : std::runtime_error(messageOf(file, operation, reason).toStdString()), file_(file),
      operation_(operation), reason_(reason) {}

QString DaoError::message() const {
    return messageOf(file_, operation_, reason_);
}

QDate toDate(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QDate();
    if (v.typeId() == QMetaType::QDate) return v.toDate();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
    if (isNumber(v)) return dateFromDayNumber(v.toDouble());
    if (v.typeId() != QMetaType::QString && v.typeId() != QMetaType::QByteArray) return QDate();
    // Most often a date as stored: read without the patterns below.
    if (v.typeId() == QMetaType::QString)
        if (const QDate d = dateFromStorage(*static_cast<const QString*>(v.constData())); d.isValid())
            return d;
    const QString s = v.toString().trimmed();
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T].*)?$"));
    static const QRegularExpression us(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    QRegularExpressionMatch m = iso.match(s);
    if (m.hasMatch()) return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    m = us.match(s);
    if (m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2) year += year >= 50 ? 1900 : 2000;
        return QDate(year, m.captured(1).toInt(), m.captured(2).toInt());
    }
    return QDate();
}

QString dateToStorage(const QDate& d) {
    if (!d.isValid()) return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

QDate dateFromStorage(QStringView s) {
    if (s.size() != 10 || s[4] != u'-' || s[7] != u'-') return QDate();
    int parts[3] = {0, 0, 0};
    for (int i = 0, part = 0; i < 10; ++i) {
        const char16_t c = s[i].unicode();
        if (i == 4 || i == 7)
            ++part;
        else if (c >= u'0' && c <= u'9')
            parts[part] = parts[part] * 10 + (c - u'0');
        else
            return QDate();
    }
    return QDate(parts[0], parts[1], parts[2]);
}

int compareText(const QString& a, const QString& b) {
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    const int n = int(std::min(x.size(), y.size()));
    const int c = n > 0 ? sqlite3_strnicmp(x.constData(), y.constData(), n) : 0;
    if (c != 0) return c;
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

QString passwordFromConnect(const QString& connect) {
    const QStringList parts = connect.split(u';');
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0) continue;
        if (part.left(eq).trimmed().compare(u"PWD", Qt::CaseInsensitive) == 0) return part.mid(eq + 1);
    }
    return QString();
}

// ---------------------------------------------------------------------------------------------
// Database

namespace {
// The library's memory, set before its first use (later this changes nothing). Connections at work
// on two threads at once (a print run reads the employers on one and writes the report on the
// other) allocate without waiting on each other when the library keeps no count of memory in use.
void beforeFirstConnection() {
    static const bool done = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        detail::usePageMemory();
        return true;
    }();
    (void)done;
}
} // namespace

std::unique_ptr<Database> Database::open(const QString& path, bool exclusive, bool readOnly,
                                         const QString& connect) {
    const QString op = QStringLiteral("open");
    const QFileInfo info(path);
    if (!info.exists()) throw DaoError(path, op, QStringLiteral("the file does not exist"));
    if (!info.isFile()) throw DaoError(path, op, QStringLiteral("the name is not a database file"));
    // SQLite takes an empty file for an empty database; none of ours is empty.
    if (info.size() == 0) throw DaoError(path, op, QStringLiteral("the file is empty"));

    std::unique_ptr<Database> d(new Database);
    d->path_ = path;
    d->readOnly_ = readOnly;
    beforeFirstConnection();
    // Never SQLITE_OPEN_CREATE: a file that vanished since the check stays missing.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &d->db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = reasonFor(d->db_, rc);
        sqlite3_close_v2(d->db_);
        d->db_ = nullptr;
        throw DaoError(path, op, reason);
    }
    try {
        sqlite3_busy_timeout(d->db_, 5000);
        d->checkOurs(connect);
        d->configure(exclusive);
    } catch (...) {
        d->close();
        throw;
    }
    return d;
}

std::unique_ptr<Database> Database::create(const QString& path, const QString& password) {
    const QString op = QStringLiteral("create");
    if (QFileInfo::exists(path)) throw DaoError(path, op, QStringLiteral("the file already exists"));
    std::unique_ptr<Database> d(new Database);
    d->path_ = path;
    beforeFirstConnection();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &d->db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = reasonFor(d->db_, rc);
        sqlite3_close_v2(d->db_);
        d->db_ = nullptr;
        QFile::remove(path);
        throw DaoError(path, op, reason);
    }
    try {
        sqlite3_busy_timeout(d->db_, 5000);
        d->runSql("PRAGMA journal_mode=DELETE", op);
        d->runSql("BEGIN", op);
        d->runSql("CREATE TABLE _velk_meta (key TEXT PRIMARY KEY, value TEXT)", op);
        d->executeBound(
            QStringLiteral("INSERT INTO _velk_meta (key, value) VALUES ('app', 'VELK'), ('pwd', ?)"),
            {password.isNull() ? QStringLiteral("") : password});
        d->runSql("COMMIT", op);
        d->configure(false);
    } catch (...) {
        d->close();
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
    return d;
}

sqlite3* detail::rawHandle(const Database& db) {
    return db.db_;
}

Database::Database() : statements_(std::make_unique<StatementCache>(200)) {}

Database::~Database() {
    close();
}

void Database::noteChange() {
    ++changeSeq_;
    if (orders_) orders_->changed();
}

void Database::noteUpdate(const QString& quotedTable, const QStringList& quotedColumns) {
    ++changeSeq_;
    if (orders_) orders_->changed(quotedTable, quotedColumns);
}

IndexOrders& Database::orders() {
    if (!orders_) orders_ = std::make_unique<IndexOrders>(db_);
    noteOutsideChanges(); // another connection's commit may have moved rows: the kept orders go stale
    return *orders_;
}

bool Database::holdsNothing() const {
    return db_ && transDepth_ == 0 && sqlite3_get_autocommit(db_);
}

void Database::prepareOrder(const QString& quotedTable, const QStringList& keys) {
    if (holdsNothing()) orders().prepare(quotedTable, keys);
}

void Database::prepareStaleOrder() {
    if (orders_ && holdsNothing()) orders_->prepareAgain();
}

MemberSets& Database::memberSets() {
    if (!memberSets_) memberSets_ = std::make_unique<MemberSets>();
    return *memberSets_;
}

void Database::close() {
    for (Recordset* rs : recordsets_) {
        rs->release();
        rs->db_ = nullptr;
    }
    recordsets_.clear();
    statements_->clear();
    orders_.reset();
    memberSets_.reset();
    if (db_) {
        if (transDepth_ > 0)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); // never commit half a batch
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    transDepth_ = 0;
}

void Database::checkOurs(const QString& connect) {
    const QString op = QStringLiteral("open");
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(db_, "SELECT key, value FROM _velk_meta WHERE key IN ('app', 'pwd')",
                                      -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(db_);
        sqlite3_finalize(st);
        if ((code & 0xff) == SQLITE_ERROR || (code & 0xff) == SQLITE_NOTADB)
            fail(op, QStringLiteral("the file is not a VELK database"));
        fail(op, reasonFor(db_, code));
    }
    QString app, pwd;
    bool havePwd = false;
    int step;
    while ((step = sqlite3_step(st)) == SQLITE_ROW) {
        const QString key = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        const QString value = readColumn(st, 1).toString();
        if (key == u"app")
            app = value;
        else if (key == u"pwd") {
            pwd = value;
            havePwd = true;
        }
    }
    sqlite3_finalize(st);
    if (step != SQLITE_DONE) fail(op, reasonFor(db_, step));
    if (app != u"VELK" || !havePwd) fail(op, QStringLiteral("the file is not a VELK database"));
    // An access check against opening the wrong file, not encryption.
    if (pwd != passwordFromConnect(connect)) fail(op, QStringLiteral("Not a valid password."));
}

void Database::setScratch() {
    const QString op = QStringLiteral("set up");
    runSql("PRAGMA journal_mode=MEMORY", op);
    runSql("PRAGMA synchronous=OFF", op);
}

bool Database::noteOutsideChanges() {
    const QString op = QStringLiteral("read from");
    sqlite3_stmt* st = cached(QStringLiteral("PRAGMA data_version"), op);
    const int rc = sqlite3_step(st);
    const qint64 version = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : dataVersion_;
    const int code = rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db_);
    sqlite3_reset(st);
    if (code != SQLITE_OK) fail(op, reasonFor(db_, code));
    const bool changed = dataVersion_ >= 0 && version != dataVersion_;
    dataVersion_ = version;
    if (changed) {
        noteChange();
        prepareStaleOrder();
    }
    return changed;
}

void Database::configure(bool exclusive) {
    const QString op = QStringLiteral("open");
    if (!readOnly_) runSql("PRAGMA journal_mode=DELETE", op);
    runSql("PRAGMA foreign_keys=OFF", op);
    runSql("PRAGMA synchronous=FULL", op);
    // A search scans its index whole (some 60 MB at 500,000 employers): held in memory, the next
    // search reads none of it from the file again. Pages take memory only as they are read.
    runSql("PRAGMA cache_size=-131072", op);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(db_, "MONTH", 1, flags, nullptr, &datePartFunction<1>, nullptr, nullptr);
    sqlite3_create_function(db_, "DAY", 1, flags, nullptr, &datePartFunction<2>, nullptr, nullptr);
    sqlite3_create_function(db_, "YEAR", 1, flags, nullptr, &datePartFunction<0>, nullptr, nullptr);
    sqlite3_create_function(db_, "MONTHDAY", 1, flags, nullptr, &datePartFunction<3>, nullptr, nullptr);
    registerMemberFunction(db_);
    // The kept orders, and the file their background passes read: none while this connection
    // keeps the file to itself.
    orders_ = std::make_unique<IndexOrders>(db_, exclusive ? QString() : QFileInfo(path_).absoluteFilePath());
    if (exclusive) {
        runSql("PRAGMA locking_mode=EXCLUSIVE", op);
        // Take the lock now, so a file in use by someone else is refused at open.
        runSql(readOnly_ ? "BEGIN" : "BEGIN EXCLUSIVE", op);
        if (readOnly_) runSql("SELECT count(*) FROM _velk_meta", op);
        runSql("COMMIT", op);
    }
    noteOutsideChanges(); // the starting point for telling other connections' commits
}

void Database::fail(const QString& operation, const QString& reason) const {
    throw DaoError(path_, operation, reason.isNull() ? errorText(db_) : reason);
}

void Database::checkOpen(const QString& operation) const {
    if (!db_) fail(operation, QStringLiteral("the database is closed"));
}

void Database::runSql(const char* sql, const QString& operation) {
    checkOpen(operation);
    char* err = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString reason = reasonFor(db_, sqlite3_extended_errcode(db_));
        sqlite3_free(err);
        fail(operation, reason);
    }
}

sqlite3_stmt* Database::cached(const QString& sql, const QString& operation) {
    checkOpen(operation);
    int rc = SQLITE_OK;
    sqlite3_stmt* st = statements_->get(db_, sql, &rc);
    if (rc != SQLITE_OK) fail(operation, reasonFor(db_, rc));
    if (!st) fail(operation, QStringLiteral("the SQL text is empty"));
    return st;
}

long long Database::execute(const QString& jetSql) {
    const QString op = QStringLiteral("change the data in");
    checkOpen(op);
    const QByteArray utf8 = translateJetSql(jetSql).toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    long long changed = 0;
    while (tail < end) {
        sqlite3_stmt* st = nullptr;
        const int rc = sqlite3_prepare_v2(db_, tail, int(end - tail), &st, &tail);
        if (rc != SQLITE_OK) {
            const QString reason = reasonFor(db_, sqlite3_extended_errcode(db_));
            sqlite3_finalize(st);
            fail(op, reason);
        }
        if (!st) // blanks or a comment
            continue;
        int step;
        while ((step = sqlite3_step(st)) == SQLITE_ROW) {
        }
        const bool readOnlyStmt = sqlite3_stmt_readonly(st);
        sqlite3_finalize(st);
        if (step != SQLITE_DONE) fail(op, reasonFor(db_, sqlite3_extended_errcode(db_)));
        if (!readOnlyStmt) {
            changed += sqlite3_changes64(db_);
            noteChange();
        }
    }
    return changed;
}

long long Database::executeBound(const QString& sql, const QVariantList& params) {
    return runBound(sql, params, QString(), {});
}

long long Database::runBound(const QString& sql, const QVariantList& params, const QString& quotedTable,
                             const QStringList& onlyColumns) {
    const QString op = QStringLiteral("change the data in");
    sqlite3_stmt* st = cached(sql, op);
    for (int i = 0; i < params.size(); ++i)
        bindValue(st, i + 1, params[i]);
    const int step = sqlite3_step(st);
    const int code = step == SQLITE_DONE || step == SQLITE_ROW ? SQLITE_OK : sqlite3_extended_errcode(db_);
    const bool readOnlyStmt = sqlite3_stmt_readonly(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (code != SQLITE_OK) fail(op, reasonFor(db_, code));
    if (readOnlyStmt) return 0;
    if (quotedTable.isEmpty())
        noteChange();
    else
        noteUpdate(quotedTable, onlyColumns);
    return sqlite3_changes64(db_);
}

QVariant Database::scalar(const QString& jetSql, const QVariantList& params) {
    const QString op = QStringLiteral("read from");
    sqlite3_stmt* st = cached(translateJetSql(jetSql), op);
    for (int i = 0; i < params.size(); ++i)
        bindValue(st, i + 1, params[i]);
    const int step = sqlite3_step(st);
    QVariant result;
    if (step == SQLITE_ROW)
        result = fromStorage(readColumn(st, 0), normalizeType(sqlite3_column_decltype(st, 0)));
    const int code = step == SQLITE_DONE || step == SQLITE_ROW ? SQLITE_OK : sqlite3_extended_errcode(db_);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (code != SQLITE_OK) fail(op, reasonFor(db_, code));
    return result;
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& nameOrSql,
                                                   std::optional<RecordsetType> type, int options) {
    const QString op = QStringLiteral("read from");
    checkOpen(op);
    noteOutsideChanges(); // what this connection keeps of the tables must be as they are now
    const QString bare = bareName(nameOrSql);
    const bool looksLikeName = !bare.isEmpty() && !bare.contains(QRegularExpression(QStringLiteral("\\s")));
    if (looksLikeName && tableExists(bare)) {
        if (!type || *type == RecordsetType::Table)
            return std::make_unique<TableRecordset>(*this, bare, options);
        return std::make_unique<QueryRecordset>(*this, QStringLiteral("SELECT * FROM ") + quoteName(bare),
                                                *type, options);
    }
    if (looksLikeName || (type && *type == RecordsetType::Table))
        fail(op, QStringLiteral("there is no table named '%1'").arg(nameOrSql));
    return std::make_unique<QueryRecordset>(*this, nameOrSql, type.value_or(RecordsetType::Dynaset), options);
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QueryTerms& terms, RecordsetType type, int options) {
    const QString op = QStringLiteral("read from");
    checkOpen(op);
    if (type == RecordsetType::Table || !tableExists(terms.table))
        fail(op, QStringLiteral("there is no table named '%1'").arg(terms.table));
    return std::make_unique<QueryRecordset>(*this, terms, type, options);
}

void Database::BeginTrans() {
    const QString op = QStringLiteral("begin changes to");
    // IMMEDIATE takes the write lock now, waiting out other users through the busy timeout; a
    // deferred BEGIN could deadlock two writers that both read first.
    if (transDepth_ == 0)
        runSql(readOnly_ ? "BEGIN" : "BEGIN IMMEDIATE", op);
    else
        runSql(QStringLiteral("SAVEPOINT velk_%1").arg(transDepth_).toUtf8().constData(), op);
    ++transDepth_;
}

void Database::CommitTrans() {
    const QString op = QStringLiteral("save the changes to");
    if (transDepth_ == 0) fail(op, QStringLiteral("there is no transaction to commit"));
    if (transDepth_ == 1)
        runSql("COMMIT", op); // on failure the transaction stays open for a retry or a rollback
    else
        runSql(QStringLiteral("RELEASE velk_%1").arg(transDepth_ - 1).toUtf8().constData(), op);
    --transDepth_;
}

void Database::Rollback() {
    const QString op = QStringLiteral("undo the unsaved changes to");
    if (transDepth_ == 0) fail(op, QStringLiteral("there is no transaction to roll back"));
    noteChange();
    if (transDepth_ == 1) {
        transDepth_ = 0;
        // SQLite may already have rolled back after an I/O error; then there is nothing left to undo.
        if (sqlite3_get_autocommit(db_)) return;
        runSql("ROLLBACK", op);
    } else {
        const QByteArray name = QStringLiteral("velk_%1").arg(transDepth_ - 1).toUtf8();
        --transDepth_;
        runSql(("ROLLBACK TO " + name).constData(), op);
        runSql(("RELEASE " + name).constData(), op);
    }
}

void Database::createTable(const QString& table, const QVector<ColumnDef>& columns) {
    const QString op = QStringLiteral("create the table %1 in").arg(table);
    checkOpen(op);
    if (columns.isEmpty()) fail(op, QStringLiteral("a table needs at least one column"));
    QStringList defs;
    for (const ColumnDef& c : columns) {
        const QString t = c.type.trimmed().toUpper();
        QString decl;
        if (t == u"TEXT")
            decl = QStringLiteral("TEXT COLLATE NOCASE");
        else if (t == u"MEMO") // "MEMO TEXT": the word TEXT gives the column text affinity
            decl = QStringLiteral("MEMO TEXT COLLATE NOCASE");
        else if (t == u"DATE")
            decl = QStringLiteral("DATE");
        else if (t == u"DOUBLE" || t == u"SINGLE" || t == u"CURRENCY")
            decl = QStringLiteral("DOUBLE");
        else if (t == u"LONG" || t == u"INTEGER" || t == u"BYTE")
            decl = QStringLiteral("LONG");
        else if (t == u"YESNO" || t == u"BOOLEAN")
            decl = QStringLiteral("YESNO");
        else
            fail(op, QStringLiteral("unknown column type '%1' for column %2").arg(c.type, c.name));
        defs << quoteName(c.name) + u' ' + decl;
    }
    const QString sql =
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(table), defs.join(QStringLiteral(", ")));
    runSql(sql.toUtf8().constData(), op);
    noteChange();
}

void Database::createIndex(const QString& table, const QString& indexName, const QStringList& columns,
                           bool unique) {
    const QString op = QStringLiteral("create the index %1 of %2 in").arg(indexName, table);
    checkOpen(op);
    if (columns.isEmpty()) fail(op, QStringLiteral("an index needs at least one column"));
    QStringList cols;
    for (const QString& c : columns)
        cols << quoteName(bareName(c));
    const QString sql = QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                            .arg(unique ? QStringLiteral("UNIQUE ") : QString(),
                                 quoteName(table + QStringLiteral("__") + indexName), quoteName(table),
                                 cols.join(QStringLiteral(", ")));
    runSql(sql.toUtf8().constData(), op);
    noteChange();
}

bool Database::tableExists(const QString& table) const {
    return tableNames().contains(bareName(table), Qt::CaseInsensitive);
}

QStringList Database::tableNames() const {
    const QString op = QStringLiteral("list the tables of");
    checkOpen(op);
    QStringList names;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(
            db_,
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
            "ESCAPE '\\' AND name <> '_velk_meta' ORDER BY name",
            -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(op);
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        names << readColumn(st, 0).toString();
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) fail(op, reasonFor(db_, rc));
    return names;
}

QStringList Database::indexColumns(const QString& table, const QString& indexName) const {
    const QString op = QStringLiteral("read the index %1 of %2 in").arg(indexName, table);
    checkOpen(op);
    const QString wanted = bareName(table) + QStringLiteral("__") + indexName;
    auto query = [&](const QString& sql, int col, const QString& match, int matchCol) {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            fail(op);
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (matchCol < 0 || readColumn(st, matchCol).toString().compare(match, Qt::CaseInsensitive) == 0)
                out << readColumn(st, col).toString();
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) fail(op, reasonFor(db_, rc));
        return out;
    };
    const QStringList found =
        query(QStringLiteral("PRAGMA index_list(%1)").arg(quoteName(bareName(table))), 1, wanted, 1);
    if (found.isEmpty()) return {};
    // index_info rows come in key order (seqno)
    return query(QStringLiteral("PRAGMA index_info(%1)").arg(quoteName(found.first())), 2, QString(), -1);
}

QString Database::columnType(const QString& table, const QString& column) const {
    const QString op = QStringLiteral("read the columns of %1 in").arg(table);
    checkOpen(op);
    sqlite3_stmt* st = nullptr;
    const QString sql = QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(bareName(table)));
    if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(op);
    }
    QString type;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (readColumn(st, 1).toString().compare(bareName(column), Qt::CaseInsensitive) == 0) {
            type = normalizeType(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
            break;
        }
    }
    sqlite3_finalize(st);
    return type;
}

// ---------------------------------------------------------------------------------------------
// Recordset: the parts common to every kind

Recordset::Recordset(Database& db, RecordsetType type) : db_(&db), type_(type) {
    file_ = db.name();
    db.recordsets_.push_back(this);
}

Recordset::~Recordset() {
    if (db_) {
        auto& v = db_->recordsets_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void Recordset::Close() {
    editMode_ = EditMode::None;
    if (!db_) return;
    release();
    auto& v = db_->recordsets_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    db_ = nullptr;
}

void Recordset::fail(const QString& operation, const QString& reason) const {
    throw DaoError(file_, operation, reason);
}

Database& Recordset::database(const QString& operation) const {
    if (!db_ || !db_->db_) fail(operation, QStringLiteral("the recordset is closed"));
    return *db_;
}

void Recordset::setFields(const QStringList& names, const QStringList& types) {
    fieldNames_ = names;
    fieldTypes_ = types;
    fieldKinds_.clear();
    for (const QString& t : types)
        fieldKinds_.push_back(static_cast<unsigned char>(kindOf(t)));
    lookupHint_ = 0;
}

int Recordset::fieldIndex(const QString& name) const {
    // An exact match first, starting after the field found last: a loader sets the same fields
    // in the same order row after row, so this usually hits at once without hashing.
    const int n = int(fieldNames_.size());
    for (int k = 0; k < n; ++k) {
        const int i = (lookupHint_ + k) % n;
        if (fieldNames_[i] == name) {
            lookupHint_ = i + 1 == n ? 0 : i + 1;
            return i;
        }
    }
    const QString bare = bareName(name);
    for (int i = 0; i < n; ++i)
        if (fieldNames_[i].compare(bare, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Recordset::value(const QString& field) const {
    const int i = fieldIndex(field);
    if (i < 0)
        fail(QStringLiteral("read a field from"), QStringLiteral("there is no field named '%1'").arg(field));
    return value(i);
}

QVariant Recordset::value(int index) const {
    const QString op = QStringLiteral("read a field from");
    if (index < 0 || index >= fieldNames_.size())
        fail(op, QStringLiteral("there is no field number %1").arg(index));
    database(op);
    if (editMode_ != EditMode::None) return editBuf_.value(index);
    if (!hasCurrent()) fail(op, QStringLiteral("No current record."));
    return currentValue(index);
}

void Recordset::abandonEdit() {
    editMode_ = EditMode::None;
}

void Recordset::AddNew() {
    const QString op = QStringLiteral("add a row to");
    database(op);
    if (!updatable_) fail(op, QStringLiteral("the recordset is not updatable"));
    editMode_ = EditMode::AddNew;
    if (editBuf_.size() == fieldNames_.size()) {
        // Most of a wide table's fields were left Null by the row before: only the others cost.
        for (QVariant& v : editBuf_)
            if (v.isValid()) v = QVariant();
    } else
        editBuf_ = QVariantList(fieldNames_.size());
    changed_.fill(false, fieldNames_.size());
}

void Recordset::Edit() {
    const QString op = QStringLiteral("change a row in");
    database(op);
    if (!updatable_) fail(op, QStringLiteral("the recordset is not updatable"));
    abandonEdit();
    if (!hasCurrent()) fail(op, QStringLiteral("No current record."));
    QVariantList buf;
    buf.reserve(fieldNames_.size());
    for (int i = 0; i < fieldNames_.size(); ++i)
        buf.append(currentValue(i));
    editBuf_ = std::move(buf);
    changed_.fill(false, fieldNames_.size());
    editMode_ = EditMode::Edit;
}

void Recordset::setValue(const QString& field, const QVariant& v) {
    assign(fieldIndex(field), &field, v);
}

void Recordset::setValue(int index, const QVariant& v) {
    assign(index, nullptr, v);
}

void Recordset::assign(int i, const QString* field, const QVariant& v) {
    auto what = [&] {
        return QStringLiteral("set the field ") +
               (field ? *field : fieldNames_.value(i, QString::number(i))) + QStringLiteral(" in");
    };
    if (editMode_ == EditMode::None)
        fail(what(), QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (i < 0 || i >= fieldNames_.size())
        fail(what(), QStringLiteral("there is no field named '%1'").arg(field ? *field : QString::number(i)));
    bool ok = true;
    QVariant converted = convertForType(v, Kind(fieldKinds_[size_t(i)]), &ok);
    if (!ok) {
        const QString type =
            fieldTypes_.value(i) == u"DATE" ? QStringLiteral("date") : fieldTypes_.value(i).toLower();
        fail(what(), QStringLiteral("type conversion error: '%1' is not a valid %2").arg(v.toString(), type));
    }
    editBuf_[i] = std::move(converted);
    changed_[i] = true;
}

void Recordset::Update() {
    const QString op = QStringLiteral("save a row in");
    database(op);
    if (editMode_ == EditMode::None)
        fail(op, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    writeRow(editMode_ == EditMode::AddNew); // a failure keeps the edit open, as in Jet
    abandonEdit();
}

void Recordset::CancelUpdate() {
    abandonEdit();
}

void Recordset::Delete() {
    const QString op = QStringLiteral("delete a row from");
    database(op);
    abandonEdit();
    if (!updatable_) fail(op, QStringLiteral("the recordset is not updatable"));
    if (!hasCurrent()) fail(op, QStringLiteral("No current record."));
    deleteRow();
}

void Recordset::setIndex(const QString&) {
    fail(QStringLiteral("choose an index of"), QStringLiteral("only a table recordset has an index"));
}

void Recordset::Seek(const QString&, const QVariantList&) {
    fail(QStringLiteral("search"), QStringLiteral("only a table recordset can seek"));
}

} // namespace dao
