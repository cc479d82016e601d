// Searches with their SQL written out by hand and the keys they select from the seeded employers
// of search_seed.h (FILE & SEQUENCE).
#pragma once

#include "search/sqlparameter.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace searchtest {

struct SqlCase {
    const char* name;
    SqlParameters lookups;
    QString sql;
    QStringList keys; // in FILE order
    QString state = QStringLiteral("PA");
};

inline SQLPARAMETER inc(const char* code, const char* from, const char* thru) {
    SQLPARAMETER p;
    p.SQLDESC = QStringLiteral("Test");
    p.SQLFIELD = QString::fromLatin1(code);
    p.SQLEXPR = QString::fromLatin1(code);
    p.SQLFROM = QString::fromLatin1(from);
    p.SQLTHRU = QString::fromLatin1(thru);
    return p;
}

inline SQLPARAMETER exc(const char* code, const char* from, const char* thru) {
    SQLPARAMETER p = inc(code, from, thru);
    p.SQLEXCLUDE = true;
    return p;
}

inline const QString kExp = QStringLiteral("(MONTH(EXPIRE)*100+DAY(EXPIRE))");

inline std::vector<SqlCase> sqlCases() {
    const QStringList all{"000101", "000201", "000301", "000401", "000502", "079501", "080001"};
    return {
        {"example: counties, excluded class, expiry",
         {inc("COUNTY", "001", "005"), inc("COUNTY", "010", "010"), exc("CLASS", "8810", "8810"),
          inc("EXPIRE", "0101", "0331")},
         "SELECT * FROM PRIME WHERE FILESEQ NOT IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND "
         "'8810') AND (MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0331 AND (COUNTY BETWEEN '001' AND "
         "'005' OR "
         "COUNTY BETWEEN '010' AND '010')",
         {"000201", "080001"}},
        {"expiry over the year end",
         {inc("EXPIRE", "1101", "0228")},
         "SELECT * FROM PRIME WHERE ((MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1101 AND 1231 OR "
         "(MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0228)",
         {"000101", "000301", "000401", "000502", "080001"}},
        {"excluded expiry over the year end",
         {exc("EXPIRE", "1101", "0228")},
         "SELECT * FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) NOT BETWEEN 1101 AND 1231 AND "
         "(MONTH(EXPIRE)*100+DAY(EXPIRE)) NOT BETWEEN 0101 AND 0228",
         {"000201", "079501"}},
        {"excluded expiry",
         {exc("EXPIRE", "0101", "0331")},
         "SELECT * FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) NOT BETWEEN 0101 AND 0331",
         {"000301", "000502", "079501"}},
        {"expiry of one day",
         {inc("EXPIRE", "1231", "1231")},
         "SELECT * FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1231 AND 1231",
         {"000502"}},
        {"zip group and an excluded zip",
         {inc("ZIP", "19000", "19099"), exc("ZIP", "19100", "19199"), inc("ZIP", "19300", "19399")},
         "SELECT * FROM PRIME WHERE ZIP NOT BETWEEN '19100' AND '19199' AND (ZIP BETWEEN '19000' AND '19099' "
         "OR ZIP "
         "BETWEEN '19300' AND '19399')",
         {"000101", "000201", "000401", "079501", "080001"}},
        {"included classes only",
         {inc("CLASS", "8810", "8810"), inc("CLASS", "5183", "5183")},
         "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND "
         "'8810' OR "
         "CLASS BETWEEN '5183' AND '5183')",
         {"000101", "000301", "000401", "000502"}},
        {"included and excluded classes",
         {exc("CLASS", "5183", "5183"), inc("CLASS", "8810", "8810")},
         "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND "
         "'8810') AND "
         "FILESEQ NOT IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '5183' AND '5183')",
         {"000401", "000502"}},
        {"every OR-group, in the fixed order",
         {inc("User3", "A", "B"), inc("SIC", "1500", "1799"), inc("User1", "A", "M"),
          inc("AREA", "215", "215"), inc("ZIP", "19000", "19999"), inc("COUNTY", "001", "010"),
          inc("User2", "A", "Z"), inc("User1", "X", "Z"), inc("MOD", "0.000", "9.999")},
         "SELECT * FROM PRIME WHERE [MOD] BETWEEN 0.000 AND 9.999 AND (COUNTY BETWEEN '001' AND '010') AND "
         "(ZIP "
         "BETWEEN '19000' AND '19999') AND (AREA BETWEEN '215' AND '215') AND (SIC BETWEEN '1500' AND "
         "'1799') AND "
         "(USER1 BETWEEN 'A' AND 'M' OR USER1 BETWEEN 'X' AND 'Z') AND (USER2 BETWEEN 'A' AND 'Z') AND "
         "(USER3 "
         "BETWEEN 'A' AND 'B')",
         {"000101"}},
        {"excluded OR-group fields go to the AND-list",
         {exc("COUNTY", "001", "004"), exc("SIC", "0100", "0199"), exc("AREA", "700", "799"),
          exc("User2", "A", "Z"), exc("User3", "A", "A")},
         "SELECT * FROM PRIME WHERE COUNTY NOT BETWEEN '001' AND '004' AND SIC NOT BETWEEN '0100' AND '0199' "
         "AND "
         "AREA NOT BETWEEN '700' AND '799' AND USER2 NOT BETWEEN 'A' AND 'Z' AND USER3 NOT BETWEEN 'A' AND "
         "'A'",
         {"000301"}},
        {"merit credit", {inc("MERIT", "Credit", "")}, "SELECT * FROM PRIME WHERE [MOD] = 9.885", {"000301"}},
        {"merit neutral",
         {inc("MERIT", "Neutral", "Neutral")},
         "SELECT * FROM PRIME WHERE [MOD] = 9.884",
         {"080001"}},
        {"excluded merit debit",
         {exc("MERIT", "Debit", "")},
         "SELECT * FROM PRIME WHERE [MOD] NOT = 9.886",
         {"000101", "000201", "000301", "000502", "079501", "080001"}},
        {"unknown merit", {inc("MERIT", "credit", "")}, "SELECT * FROM PRIME WHERE [MOD] = 0", {}},
        {"NJ A/R",
         {inc("NJARONLY", "0795", "1299")},
         "SELECT * FROM PRIME WHERE NJAR BETWEEN 9507 AND 9912",
         {"000101", "000201", "000301"},
         "NJ"},
        {"excluded NJ A/R",
         {exc("NJARONLY", "0196", "1296")},
         "SELECT * FROM PRIME WHERE NJAR NOT BETWEEN 9601 AND 9612",
         {"000101", "000201", "000401", "000502", "079501", "080001"},
         "NJ"},
        {"new records only: no condition", {inc("NEWREC", "", "")}, "SELECT * FROM PRIME", all},
        {"AND-list fields in the order given",
         {inc("NAME1", "A", "DZ"), exc("EMPLOYEES", "5", "7"), inc("SALES", "1", "4"),
          inc("FILENUM", "0001", "0795"), inc("ISSUE1", "2018", "2020"), exc("MOD", "0.90", "1.00")},
         "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'A' AND 'DZ' AND EMPLOYEES NOT BETWEEN '5' AND '7' AND "
         "SALES "
         "BETWEEN '1' AND '4' AND FILE BETWEEN '0001' AND '0795' AND ISSUE1 BETWEEN '2018' AND '2020' AND "
         "[MOD] NOT "
         "BETWEEN 0.90 AND 1.00",
         {"000502"}},
        {"excluded name, file, issue year and sales",
         {exc("NAME1", "A", "B"), exc("FILENUM", "0003", "0005"), exc("ISSUE1", "2022", "2022"),
          exc("SALES", "3", "3")},
         "SELECT * FROM PRIME WHERE NAME1 NOT BETWEEN 'A' AND 'B' AND FILE NOT BETWEEN '0003' AND '0005' AND "
         "ISSUE1 "
         "NOT BETWEEN '2022' AND '2022' AND SALES NOT BETWEEN '3' AND '3'",
         {"000201"}},
        {"mixed: classes, counties, expiry and exclusions",
         {inc("CLASS", "8810", "8810"), inc("COUNTY", "001", "003"), exc("SIC", "5800", "5899"),
          inc("EXPIRE", "0101", "0630"), inc("CLASS", "9079", "9079"), exc("AREA", "700", "799"),
          exc("User1", "M", "Z")},
         "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND "
         "'8810' OR "
         "CLASS BETWEEN '9079' AND '9079') AND SIC NOT BETWEEN '5800' AND '5899' AND "
         "(MONTH(EXPIRE)*100+DAY(EXPIRE)) "
         "BETWEEN 0101 AND 0630 AND AREA NOT BETWEEN '700' AND '799' AND USER1 NOT BETWEEN 'M' AND 'Z' AND "
         "(COUNTY "
         "BETWEEN '001' AND '003')",
         {"000101"}},
        {"apostrophes doubled inside quoted values",
         {inc("NAME1", "O'BRIEN", "O'BRIEN PLUMBING")},
         "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'O''BRIEN' AND 'O''BRIEN PLUMBING'",
         {"000301"}},
        {"text compared without regard to case",
         {inc("NAME1", "DELTA", "DELTA Z"), inc("User2", "b", "b")},
         "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'DELTA' AND 'DELTA Z' AND (USER2 BETWEEN 'b' AND 'b')",
         {"000502"}},
        {"bounds in descending order",
         {inc("MOD", "1.2", "0.9"), inc("COUNTY", "005", "001")},
         "SELECT * FROM PRIME WHERE [MOD] BETWEEN 1.2 AND 0.9 AND (COUNTY BETWEEN '005' AND '001')",
         {"000101", "000201", "079501"}},
    };
}

} // namespace searchtest
