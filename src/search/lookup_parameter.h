// SQLPARAMETER, one lookup of a saved search: a field code, a FROM and a THRU value, included or
// excluded.
#pragma once

#include <QList>
#include <QString>

// A plain record; a search is an ordered list of them (the order the lookups were added or read).
class SQLPARAMETER {
public:
    QString SQLDESC;  // title of the search the lookup belongs to (set when read from a file)
    QString SQLFIELD; // field caption as listed in the lookup editor, e.g. "County"
    QString SQLFROM;  // kept as text: leading zeros matter ("0101")
    QString SQLTHRU;
    QString SQLEXPR; // field code: EXPIRE, MOD, NAME1, ZIP, COUNTY, CLASS, SIC, ... (case-sensitive)
    bool SQLEXCLUDE = false;

    friend bool operator==(const SQLPARAMETER&, const SQLPARAMETER&) = default;
};

using SqlParameters = QList<SQLPARAMETER>;
