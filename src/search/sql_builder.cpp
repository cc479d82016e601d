#include "search/sql_builder.h"

#include "dataset/categories.h"
#include "dataset/data_set.h"
#include "dataset/text_rules.h"
#include "platform/dao/jet_sql.h"

#include <QRegularExpression>

namespace search {

namespace {

const QString kExpiry = QStringLiteral("(MONTH(EXPIRE)*100+DAY(EXPIRE))");

// The MOD value that stands for a merit class, "0" for a name that is none.
QString meritValue(const QString& from) {
    for (const dataset::CategoryRow& c : dataset::meritClasses())
        if (c.description == from) return c.code;
    return QStringLiteral("0");
}

// MMYY as the year-month number YYMM that PRIME.NJAR holds.
QString njarValue(const QString& mmyy) {
    return QString::number(mmyy.right(2).toInt() * 100 + mmyy.left(2).toInt());
}

// "<field> BETWEEN 'F' AND 'T'" or its NOT form.
QString quotedRange(const QString& field, const SQLPARAMETER& p, bool negate) {
    return field + (negate ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN ")) +
           dao::quoteLiteral(p.SQLFROM) + QStringLiteral(" AND ") + dao::quoteLiteral(p.SQLTHRU);
}

QString fieldName(const SQLPARAMETER& p) {
    return p.SQLFIELD.isEmpty() ? p.SQLEXPR : p.SQLFIELD;
}

} // namespace

bool isFourDigits(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^[0-9]{4}$"));
    return re.match(text).hasMatch();
}

bool isDecimalNumber(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^ *-?([0-9]+(\\.[0-9]*)?|\\.[0-9]+) *$"));
    return re.match(text).hasMatch();
}

QString verifyLookups(const SqlParameters& lookups, const QString& state) {
    for (const SQLPARAMETER& p : lookups) {
        bool valid = true;
        if (p.SQLEXPR == QLatin1String("NJARONLY")) {
            if (!dataset::isNewJersey(state))
                return QStringLiteral(
                    "This lookup contains a field that can only be used with the state of NJ!");
            valid = isFourDigits(p.SQLFROM) && isFourDigits(p.SQLTHRU);
        } else if (p.SQLEXPR == QLatin1String("EXPIRE")) {
            valid = isFourDigits(p.SQLFROM) && isFourDigits(p.SQLTHRU);
        } else if (p.SQLEXPR == QLatin1String("MOD")) {
            valid = isDecimalNumber(p.SQLFROM) && isDecimalNumber(p.SQLTHRU);
        }
        if (!valid)
            return QStringLiteral(
                       "This lookup contains an invalid value for the field %1: \"%2\" thru \"%3\"!")
                .arg(fieldName(p), p.SQLFROM, p.SQLTHRU);
    }
    return QString();
}

QString buildWhereClause(const SqlParameters& lookups) {
    QString andList, classInclude, classExclude;
    enum Group { County, Zip, Area, Sic, User1, User2, User3, GroupCount };
    QString groups[GroupCount];

    auto orGroupOf = [](const QString& code) -> int {
        if (code == QLatin1String("COUNTY")) return County;
        if (code == QLatin1String("ZIP")) return Zip;
        if (code == QLatin1String("AREA")) return Area;
        if (code == QLatin1String("SIC")) return Sic;
        if (code == QLatin1String("User1")) return User1;
        if (code == QLatin1String("User2")) return User2;
        if (code == QLatin1String("User3")) return User3;
        return -1;
    };
    // Column names of the OR-group fields and of the plain quoted ranges, by code.
    auto columnOf = [](const QString& code) -> QString {
        if (code == QLatin1String("User1") || code == QLatin1String("User2") ||
            code == QLatin1String("User3"))
            return code.toUpper();
        if (code == QLatin1String("FILENUM")) return QStringLiteral("FILE");
        return code;
    };

    for (const SQLPARAMETER& p : lookups) {
        const QString& code = p.SQLEXPR;
        const QString& f = p.SQLFROM;
        const QString& t = p.SQLTHRU;
        const bool ex = p.SQLEXCLUDE;
        if (code == QLatin1String("EXPIRE")) {
            if (QString::compare(f, t, Qt::CaseSensitive) > 0) {
                // The range runs over the year end.
                if (ex)
                    andList += kExpiry + " NOT BETWEEN " + f + " AND 1231 AND " + kExpiry +
                               " NOT BETWEEN 0101 AND " + t + " AND ";
                else
                    andList += "(" + kExpiry + " BETWEEN " + f + " AND 1231 OR " + kExpiry +
                               " BETWEEN 0101 AND " + t + ") AND ";
            } else {
                andList += kExpiry + (ex ? " NOT BETWEEN " : " BETWEEN ") + f + " AND " + t + " AND ";
            }
        } else if (code == QLatin1String("MOD")) {
            andList +=
                QStringLiteral("[MOD]") + (ex ? " NOT BETWEEN " : " BETWEEN ") + f + " AND " + t + " AND ";
        } else if (code == QLatin1String("MERIT")) {
            andList += QStringLiteral("[MOD]") + (ex ? " NOT = " : " = ") + meritValue(f) + " AND ";
        } else if (code == QLatin1String("NJARONLY")) {
            andList += QStringLiteral("NJAR") + (ex ? " NOT BETWEEN " : " BETWEEN ") + njarValue(f) +
                       " AND " + njarValue(t) + " AND ";
        } else if (code == QLatin1String("CLASS")) {
            (ex ? classExclude : classInclude) += quotedRange(QStringLiteral("CLASS"), p, false) + " OR ";
        } else if (const int g = orGroupOf(code); g >= 0) {
            if (ex)
                andList += quotedRange(columnOf(code), p, true) + " AND ";
            else
                groups[g] += quotedRange(columnOf(code), p, false) + " OR ";
        } else if (code == QLatin1String("NAME1") || code == QLatin1String("EMPLOYEES") ||
                   code == QLatin1String("SALES") || code == QLatin1String("FILENUM") ||
                   code == QLatin1String("ISSUE1")) {
            andList += quotedRange(columnOf(code), p, ex) + " AND ";
        }
        // NEWREC and unknown codes add nothing.
    }

    if (dataset::isPresent(andList)) andList.chop(5);
    for (QString* list : {&classInclude, &classExclude})
        if (dataset::isPresent(*list)) list->chop(4);
    for (QString& g : groups)
        if (dataset::isPresent(g)) g = "(" + g.left(g.size() - 4) + ")";

    QString clause;
    const QString sub = QStringLiteral("FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE ");
    const QString notSub = QStringLiteral("FILESEQ NOT IN (SELECT FILESEQ FROM CLASS WHERE ");
    if (dataset::isPresent(classInclude) && dataset::isPresent(classExclude))
        clause = sub + classInclude + ") AND " + notSub + classExclude + ")";
    else if (dataset::isPresent(classInclude))
        clause = sub + classInclude + ")";
    else if (dataset::isPresent(classExclude))
        clause = notSub + classExclude + ")";

    for (const QString* part : {&andList, &groups[County], &groups[Zip], &groups[Area], &groups[Sic],
                                &groups[User1], &groups[User2], &groups[User3]}) {
        if (!dataset::isPresent(*part)) continue;
        if (dataset::isPresent(clause)) clause += " AND ";
        clause += *part;
    }
    return clause;
}

QString buildSearchSQL(const SqlParameters& lookups) {
    const QString clause = buildWhereClause(lookups);
    if (!dataset::isPresent(clause)) return QStringLiteral("SELECT * FROM PRIME");
    return QStringLiteral("SELECT * FROM PRIME WHERE ") + clause;
}

} // namespace search
