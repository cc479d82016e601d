// A query on one table handed over in its parts rather than as one text: its conditions and its
// ORDER BY terms as values. The recordset runs it with the conditions in the order given and tests
// a membership against the sub-query's values held in memory, which the engine, reading the text
// as written, would test first and row by row in a list of its own.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace dao {

// "<column> IN (<subquery> UNION ALL <subquery> ...)", or NOT IN: the values of any of the
// sub-queries, each of which selects one column.
struct MembershipTerm {
    QString column;
    bool negated = false;
    QStringList subqueries;
};

struct QueryTerms {
    QString text;           // the same query as one text (the text that is shown, saved and printed)
    QString table;          // every column of its rows, as SELECT * gives them
    QStringList conditions; // all must hold; tested in this order, then the memberships
    QVector<MembershipTerm> memberships;
    QStringList orderBy; // ORDER BY terms in order, as "NAME1" or "MONTH(EXPIRE) DESC"
};

} // namespace dao
