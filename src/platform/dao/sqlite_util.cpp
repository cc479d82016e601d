#include "platform/dao/sqlite_util.h"

#include "platform/dao/dao.h"

#include <QDateTime>

#include <cmath>
#include <cstdio>

namespace dao::detail {

ReadTransaction::ReadTransaction(sqlite3* db) : db_(db) {
    if (sqlite3_get_autocommit(db_) && sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
        open_ = true;
}

ReadTransaction::~ReadTransaction() {
    // Nothing was written: a failed COMMIT loses nothing, and the ROLLBACK ends the read.
    if (open_ && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

QString normalizeType(const char* declType) {
    if (!declType) return QString();
    const QString t = QString::fromUtf8(declType).trimmed().toUpper();
    qsizetype end = 0;
    while (end < t.size() && (t[end].isLetterOrNumber() || t[end] == u'_'))
        ++end;
    return t.left(end);
}

QVariant readColumn(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, col));
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(st, col)));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(st, col));
        return QVariant(QByteArray(p, sqlite3_column_bytes(st, col)));
    }
    default:
        return QVariant();
    }
}

Kind kindOf(const QString& type) {
    if (type == u"TEXT" || type == u"MEMO") return Kind::Text;
    if (type == u"DATE") return Kind::Date;
    if (type == u"DOUBLE") return Kind::Double;
    if (type == u"LONG") return Kind::Long;
    if (type == u"YESNO") return Kind::YesNo;
    return Kind::Other;
}

QVariant fromStorage(const QVariant& raw, const QString& type) {
    return fromStorage(raw, kindOf(type));
}

QVariant convertForType(const QVariant& v, const QString& type, bool* ok) {
    return convertForType(v, kindOf(type), ok);
}

QVariant fromStorage(const QVariant& raw, Kind kind) {
    if (!raw.isValid() || kind == Kind::Other) return raw;
    if (kind == Kind::Text) {
        if (raw.typeId() == QMetaType::QString) return raw;
        if (raw.typeId() == QMetaType::Double) // a number in a text column reads as Jet shows it
            return QString::number(raw.toDouble(), 'g', 15);
        return raw.toString();
    }
    if (kind == Kind::Date) {
        const QDate d = toDate(raw);
        return d.isValid() ? QVariant(d) : raw;
    }
    if (kind == Kind::YesNo)
        return raw.typeId() == QMetaType::QString ? raw : QVariant(raw.toLongLong() != 0);
    if (kind == Kind::Double) {
        bool ok = false;
        const double v = raw.toDouble(&ok);
        return ok ? QVariant(v) : raw;
    }
    if (kind == Kind::Long) {
        if (raw.typeId() == QMetaType::LongLong) return raw;
        bool ok = false;
        const double v = raw.toDouble(&ok);
        return ok ? QVariant(qlonglong(std::llround(v))) : raw;
    }
    return raw;
}

namespace {

// Jet's rounding of a number assigned to a whole-number field: half to even.
qlonglong roundHalfEven(double v) {
    return qlonglong(std::nearbyint(v));
}

} // namespace

QVariant convertForType(const QVariant& v, Kind kind, bool* ok) {
    *ok = true;
    if (!v.isValid() || v.isNull()) return QVariant();
    if (kind == Kind::Text) {
        if (v.typeId() == QMetaType::QDate) return dateToStorage(v.toDate());
        if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
        if (v.typeId() == QMetaType::Bool)
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return v.toString();
    }
    if (kind == Kind::Date) {
        // A number given for a date is refused rather than taken for a Julian day.
        const QDate d = isNumber(v) ? QDate() : toDate(v);
        *ok = d.isValid();
        return d.isValid() ? QVariant(d) : QVariant();
    }
    if (kind == Kind::Double || kind == Kind::Long) {
        double num = 0;
        if (v.typeId() == QMetaType::Bool) {
            num = v.toBool() ? -1.0 : 0.0; // Jet's True is -1
        } else if (isNumber(v)) {
            num = v.toDouble();
        } else if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
            num = v.toString().trimmed().toDouble(ok);
        } else {
            *ok = false;
        }
        if (!*ok || !std::isfinite(num)) {
            *ok = false;
            return QVariant();
        }
        if (kind == Kind::Long) {
            if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
                return QVariant(v.toLongLong());
            return QVariant(roundHalfEven(num));
        }
        return QVariant(num);
    }
    if (kind == Kind::YesNo) {
        if (v.typeId() == QMetaType::Bool) return v;
        if (isNumber(v)) return QVariant(v.toDouble() != 0);
        const QString s = v.toString().trimmed();
        if (s.compare(u"true", Qt::CaseInsensitive) == 0 || s.compare(u"yes", Qt::CaseInsensitive) == 0 ||
            s.compare(u"on", Qt::CaseInsensitive) == 0)
            return QVariant(true);
        if (s.compare(u"false", Qt::CaseInsensitive) == 0 || s.compare(u"no", Qt::CaseInsensitive) == 0 ||
            s.compare(u"off", Qt::CaseInsensitive) == 0)
            return QVariant(false);
        const double num = s.toDouble(ok);
        return *ok ? QVariant(num != 0) : QVariant();
    }
    return v; // a column of no known type takes the value as it is
}

int bindValue(sqlite3_stmt* st, int index, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return sqlite3_bind_null(st, index);
    switch (v.typeId()) {
    case QMetaType::Bool:
        return sqlite3_bind_int(st, index, v.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return sqlite3_bind_int64(st, index, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, index, v.toDouble());
    case QMetaType::QDate: {
        // The storage form "YYYY-MM-DD" written directly: a release load binds millions of dates.
        const QDate d = v.toDate();
        if (!d.isValid()) return sqlite3_bind_text(st, index, "", 0, SQLITE_STATIC);
        char buf[16];
        const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        return sqlite3_bind_text(st, index, buf, n, SQLITE_TRANSIENT);
    }
    case QMetaType::QDateTime:
        return sqlite3_bind_text(st, index, dateToStorage(v.toDateTime().date()).toUtf8().constData(), -1,
                                 SQLITE_TRANSIENT);
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob(st, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QString: {
        const QByteArray u = static_cast<const QString*>(v.constData())->toUtf8();
        return sqlite3_bind_text(st, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray u = v.toString().toUtf8();
        return sqlite3_bind_text(st, index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    }
}

void RowBinder::start(const QVariantList& values, const QVector<bool>& which) {
    size_t need = 0;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!which[i]) continue;
        if (values[i].typeId() == QMetaType::QString)
            need += size_t(static_cast<const QString*>(values[i].constData())->size());
        else if (values[i].typeId() == QMetaType::QDate)
            need += 10;
    }
    // Grown only between rows: what was bound before must not move while it is bound.
    if (buf_.size() < need) buf_.resize(need);
    used_ = 0;
}

int RowBinder::bind(sqlite3_stmt* st, int index, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return bindValue(st, index, v);
    if (v.typeId() == QMetaType::QString) {
        const QString& s = *static_cast<const QString*>(v.constData());
        if (s.isEmpty()) return bindValue(st, index, v);
        char* const start = buf_.data() + used_;
        char* out = start;
        for (const QChar c : s) {
            if (c.unicode() >= 0x80) return bindValue(st, index, v); // Qt's own UTF-8
            *out++ = char(c.unicode());
        }
        used_ += size_t(out - start);
        return sqlite3_bind_text(st, index, start, int(out - start), SQLITE_STATIC);
    }
    if (v.typeId() == QMetaType::QDate) {
        const QDate d = *static_cast<const QDate*>(v.constData());
        if (!d.isValid() || d.year() < 1 || d.year() > 9999) return bindValue(st, index, v);
        // "YYYY-MM-DD", as bindValue writes it.
        char* const out = buf_.data() + used_;
        auto digits = [](char* at, int value, int count) {
            for (int k = count - 1; k >= 0; --k, value /= 10)
                at[k] = char('0' + value % 10);
        };
        digits(out, d.year(), 4);
        out[4] = '-';
        digits(out + 5, d.month(), 2);
        out[7] = '-';
        digits(out + 8, d.day(), 2);
        used_ += 10;
        return sqlite3_bind_text(st, index, out, 10, SQLITE_STATIC);
    }
    return bindValue(st, index, v);
}

QString quoteName(const QString& name) {
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

QString bareName(const QString& name) {
    const QString n = name.trimmed();
    if (n.size() >= 2 && ((n.front() == u'[' && n.back() == u']') ||
                          (n.front() == u'"' && n.back() == u'"') || (n.front() == u'`' && n.back() == u'`')))
        return n.mid(1, n.size() - 2);
    return n;
}

// A reason a user can act on for the SQLite codes worth explaining.
QString reasonFor(sqlite3* db, int rc) {
    const QString detail = errorText(db);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("the database is in use by another user; try again later (%1)").arg(detail);
    case SQLITE_NOTADB:
        return QStringLiteral("the file is not a VELK database");
    case SQLITE_READONLY:
        return QStringLiteral("the database is open read-only (%1)").arg(detail);
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
            return QStringLiteral("the changes would create duplicate values in a unique index (%1)")
                .arg(detail);
        return detail;
    case SQLITE_FULL:
        return QStringLiteral("the disk is full");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return QStringLiteral("the file cannot be read or written (%1)").arg(detail);
    case SQLITE_CORRUPT:
        return QStringLiteral("the database file is damaged (%1)").arg(detail);
    default:
        return detail;
    }
}

sqlite3_stmt* StatementCache::get(sqlite3* db, const QString& sql, int* rc) {
    *rc = SQLITE_OK;
    if (auto it = statements_.constFind(sql); it != statements_.constEnd()) return it.value();
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st, nullptr) !=
        SQLITE_OK) {
        *rc = sqlite3_extended_errcode(db);
        sqlite3_finalize(st);
        return nullptr;
    }
    if (!st) return nullptr;
    if (limit_ > 0 && statements_.size() >= limit_) clear();
    statements_.insert(sql, st);
    return st;
}

void StatementCache::clear() {
    for (sqlite3_stmt* st : std::as_const(statements_))
        sqlite3_finalize(st);
    statements_.clear();
}

QString errorText(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no database");
}

} // namespace dao::detail
