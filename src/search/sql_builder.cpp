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

namespace {

enum Group { County, Zip, Area, Sic, User1, User2, User3, GroupCount };

// The conditions of a search's clause, each whole, before they are joined.
struct ClauseParts {
    QStringList andList;  // conditions that must all hold
    QVector<bool> expiry; // per AND-list condition: it reads the expiry through MONTH and DAY
    QStringList classInclude, classExclude; // class ranges
    QStringList groups[GroupCount];         // included ranges of a field, any of which may hold
};

// expiry: the expiry's month * 100 + day as the clause writes it.
ClauseParts partsOf(const SqlParameters& lookups, const QString& expiry = kExpiry) {
    ClauseParts parts;
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
    auto condition = [&](const QString& text, bool readsExpiry = false) {
        parts.andList << text;
        parts.expiry << readsExpiry;
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
                    condition(expiry + " NOT BETWEEN " + f + " AND 1231 AND " + expiry +
                                  " NOT BETWEEN 0101 AND " + t,
                              true);
                else
                    condition("(" + expiry + " BETWEEN " + f + " AND 1231 OR " + expiry +
                                  " BETWEEN 0101 AND " + t + ")",
                              true);
            } else {
                condition(expiry + (ex ? " NOT BETWEEN " : " BETWEEN ") + f + " AND " + t, true);
            }
        } else if (code == QLatin1String("MOD")) {
            condition(QStringLiteral("[MOD]") + (ex ? " NOT BETWEEN " : " BETWEEN ") + f + " AND " + t);
        } else if (code == QLatin1String("MERIT")) {
            condition(QStringLiteral("[MOD]") + (ex ? " NOT = " : " = ") + meritValue(f));
        } else if (code == QLatin1String("NJARONLY")) {
            condition(QStringLiteral("NJAR") + (ex ? " NOT BETWEEN " : " BETWEEN ") + njarValue(f) + " AND " +
                      njarValue(t));
        } else if (code == QLatin1String("CLASS")) {
            (ex ? parts.classExclude : parts.classInclude) << quotedRange(QStringLiteral("CLASS"), p, false);
        } else if (const int g = orGroupOf(code); g >= 0) {
            if (ex)
                condition(quotedRange(columnOf(code), p, true));
            else
                parts.groups[g] << quotedRange(columnOf(code), p, false);
        } else if (code == QLatin1String("NAME1") || code == QLatin1String("EMPLOYEES") ||
                   code == QLatin1String("SALES") || code == QLatin1String("FILENUM") ||
                   code == QLatin1String("ISSUE1")) {
            condition(quotedRange(columnOf(code), p, ex));
        }
        // NEWREC and unknown codes add nothing.
    }
    return parts;
}

QString joined(const QStringList& list, const char* separator, bool wrap = false) {
    const QString text = list.join(QLatin1String(separator));
    if (!dataset::isPresent(text)) return QString();
    return wrap ? "(" + text + ")" : text;
}

const char* const kClassSubquery = "SELECT FILESEQ FROM CLASS WHERE ";

} // namespace

QString buildWhereClause(const SqlParameters& lookups) {
    const ClauseParts parts = partsOf(lookups);
    const QString andList = joined(parts.andList, " AND ");
    const QString include = joined(parts.classInclude, " OR ");
    const QString exclude = joined(parts.classExclude, " OR ");

    QString clause;
    const QString sub = QStringLiteral("FILESEQ IN (") + kClassSubquery;
    const QString notSub = QStringLiteral("FILESEQ NOT IN (") + kClassSubquery;
    if (!include.isEmpty() && !exclude.isEmpty())
        clause = sub + include + ") AND " + notSub + exclude + ")";
    else if (!include.isEmpty())
        clause = sub + include + ")";
    else if (!exclude.isEmpty())
        clause = notSub + exclude + ")";

    QStringList rest{andList};
    for (const QStringList& g : parts.groups)
        rest << joined(g, " OR ", true);
    for (const QString& part : rest) {
        if (part.isEmpty()) continue;
        if (dataset::isPresent(clause)) clause += " AND ";
        clause += part;
    }
    return clause;
}

QString buildSearchSQL(const SqlParameters& lookups) {
    const QString clause = buildWhereClause(lookups);
    if (!dataset::isPresent(clause)) return QStringLiteral("SELECT * FROM PRIME");
    return QStringLiteral("SELECT * FROM PRIME WHERE ") + clause;
}

dao::QueryTerms buildSearchTerms(const SqlParameters& lookups) {
    // MONTHDAY(EXPIRE) is MONTH(EXPIRE) * 100 + DAY(EXPIRE) in one call instead of two.
    const ClauseParts parts = partsOf(lookups, QStringLiteral("MONTHDAY(EXPIRE)"));
    dao::QueryTerms terms;
    terms.text = buildSearchSQL(lookups);
    terms.table = QStringLiteral("PRIME");
    // Cheapest first, as the engine tests them in the order given: plain comparisons of a column,
    // then the ranges of a field, then the expiry (a function call a row), then the classes.
    for (qsizetype i = 0; i < parts.andList.size(); ++i)
        if (!parts.expiry[i]) terms.conditions << parts.andList[i];
    for (const QStringList& g : parts.groups)
        if (const QString group = joined(g, " OR ", true); !group.isEmpty()) terms.conditions << group;
    for (qsizetype i = 0; i < parts.andList.size(); ++i)
        if (parts.expiry[i]) terms.conditions << parts.andList[i];
    // A class list's employers are those of any of its ranges, each range read on its own.
    for (const bool negated : {false, true}) {
        const QStringList& ranges = negated ? parts.classExclude : parts.classInclude;
        if (ranges.isEmpty()) continue;
        dao::MembershipTerm m{QStringLiteral("FILESEQ"), negated, {}};
        for (const QString& range : ranges)
            m.subqueries << QLatin1String(kClassSubquery) + range;
        terms.memberships.append(m);
    }
    return terms;
}

} // namespace search
