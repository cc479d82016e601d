#include "search/search_file.h"

#include "platform/files/atomic_file.h"
#include "platform/files/bounded_read.h"
#include "platform/files/quoted_line.h"
#include "platform/files/win1252.h"

namespace search {

namespace {

// Field 6 as the original's Boolean conversion reads it: #TRUE#/#FALSE#, True/False or a number.
bool toExclude(const QVariant& v, bool* ok) {
    *ok = true;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    const QString text = v.toString().trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    bool numeric = false;
    const double d = text.toDouble(&numeric);
    *ok = numeric;
    return numeric && d != 0.0;
}

bool setError(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

bool readWhole(const QString& path, QByteArray* contents, QString* error) {
    const files::BoundedRead r = files::readRegularFile(path, kMaxSearchFileBytes);
    switch (r.outcome) {
    case files::BoundedRead::Read:
        *contents = r.bytes;
        return true;
    case files::BoundedRead::CannotOpen:
        return setError(error, QStringLiteral("Cannot open the saved search %1: %2").arg(path, r.reason()));
    case files::BoundedRead::NotRegular:
        return setError(error,
                        QStringLiteral("%1 is not a saved search: it is not a regular file.").arg(path));
    case files::BoundedRead::TooLarge:
        return setError(error, QStringLiteral("%1 is not a saved search: it is larger than %2 KB.")
                                   .arg(path)
                                   .arg(kMaxSearchFileBytes / 1024));
    case files::BoundedRead::ReadFailed:
        break;
    }
    return setError(error, QStringLiteral("Cannot read the saved search %1: %2").arg(path, r.reason()));
}

} // namespace

QString searchFileName(int n) {
    return QStringLiteral("SEARCH%1.VKD").arg(n);
}

QString twinName(const QString& fileName) {
    return fileName.left(fileName.size() - 3) + QStringLiteral("XCL");
}

QString storableTextProblem(const QString& text) {
    for (QChar c : text) {
        if (c == u'"') return QStringLiteral("Double quotes cannot be used in a search.");
        if (c == u'\r' || c == u'\n') return QStringLiteral("Line breaks cannot be used in a search.");
    }
    if (!files::isWin1252Encodable(text)) {
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString one = text.mid(i, len);
            if (!files::isWin1252Encodable(one))
                return QStringLiteral("The character \"%1\" cannot be saved in a search.").arg(one);
            i += len;
        }
        return QStringLiteral("This text holds a character that cannot be saved in a search.");
    }
    return QString();
}

QString withoutUnstorable(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, len);
        if (storableTextProblem(one).isEmpty()) out += one;
        i += len;
    }
    return out;
}

QByteArray formatSearchFile(const QString& title, const SqlParameters& lookups) {
    QByteArray out;
    for (const SQLPARAMETER& p : lookups)
        out += files::writeQuotedLine({title, p.SQLFIELD, p.SQLFROM, p.SQLTHRU, p.SQLEXPR, p.SQLEXCLUDE});
    return out;
}

bool writeSearchFile(const QString& path, const QString& title, const SqlParameters& lookups,
                     QString* error) {
    QStringList texts{title};
    for (const SQLPARAMETER& p : lookups)
        texts << p.SQLFIELD << p.SQLFROM << p.SQLTHRU << p.SQLEXPR;
    for (const QString& t : texts) {
        const QString problem = storableTextProblem(t);
        if (!problem.isEmpty())
            return setError(error, QStringLiteral("The search was not saved to %1. %2").arg(path, problem));
    }
    QString why;
    if (!files::atomicWrite(path, formatSearchFile(title, lookups), &why)) return setError(error, why);
    return true;
}

bool parseSearchFile(const QByteArray& contents, SqlParameters* lookups, QString* error) {
    SqlParameters result;
    const QList<QByteArray> lines = files::splitLines(contents);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).trimmed().isEmpty()) continue;
        bool ok = false;
        const QVariantList f = files::readQuotedLine(lines.at(i), &ok);
        bool excludeOk = false;
        const bool exclude = f.size() == 6 ? toExclude(f.at(5), &excludeOk) : false;
        if (!ok || f.size() != 6 || !excludeOk)
            return setError(error, QStringLiteral("Line %1 is not a lookup of six fields.").arg(i + 1));
        SQLPARAMETER p;
        p.SQLDESC = f.at(0).toString();
        p.SQLFIELD = f.at(1).toString();
        p.SQLFROM = f.at(2).toString();
        p.SQLTHRU = f.at(3).toString();
        p.SQLEXPR = f.at(4).toString();
        p.SQLEXCLUDE = exclude;
        result.append(p);
    }
    *lookups = result;
    return true;
}

bool readSearchFile(const QString& path, SqlParameters* lookups, QString* error) {
    lookups->clear();
    QByteArray contents;
    if (!readWhole(path, &contents, error)) return false;
    QString why;
    if (!parseSearchFile(contents, lookups, &why))
        return setError(error, QStringLiteral("The saved search %1 cannot be read. %2").arg(path, why));
    return true;
}

bool readSearchTitle(const QString& path, QString* title, QString* error) {
    QByteArray contents;
    if (!readWhole(path, &contents, error)) return false;
    // Only the first lookup is needed; a fault further down shows when the search is run or edited.
    for (const QByteArray& line : files::splitLines(contents)) {
        if (line.trimmed().isEmpty()) continue;
        SqlParameters first;
        QString why;
        if (!parseSearchFile(line, &first, &why))
            return setError(error, QStringLiteral("The saved search %1 cannot be read. %2").arg(path, why));
        *title = first.first().SQLDESC;
        return true;
    }
    return setError(error, QStringLiteral("The saved search %1 is empty.").arg(path));
}

} // namespace search
