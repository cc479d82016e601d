#include "loading/state_schema.h"

#include "dataset/categories.h"
#include "dataset/data_set.h"
#include "platform/dao/dao.h"

namespace loading {

namespace {

using dao::ColumnDef;

ColumnDef text(const QString& name, int size) {
    return {name, QStringLiteral("TEXT"), size};
}
ColumnDef memo(const QString& name) {
    return {name, QStringLiteral("MEMO"), 0};
}
ColumnDef date(const QString& name) {
    return {name, QStringLiteral("DATE"), 0};
}
ColumnDef number(const QString& name) {
    return {name, QStringLiteral("DOUBLE"), 0};
}
ColumnDef whole(const QString& name) {
    return {name, QStringLiteral("LONG"), 0};
}
ColumnDef yesNo(const QString& name) {
    return {name, QStringLiteral("YESNO"), 0};
}

const QString kPrimary = QStringLiteral("PRIMARY");

void createCategoryTable(dao::Database& db, const QString& table, int codeWidth,
                         const QVector<dataset::CategoryRow>& rows) {
    db.createTable(table, {text(QStringLiteral("CODE"), codeWidth), text(QStringLiteral("DESCRIPTION"), 50)});
    db.createIndex(table, kPrimary, {QStringLiteral("CODE")}, true);
    // Rows go in in this order: the merit grid shows them unsorted, as stored.
    const QString insert = QStringLiteral("INSERT INTO %1 (CODE, DESCRIPTION) VALUES (?, ?)").arg(table);
    for (const dataset::CategoryRow& r : rows)
        db.executeBound(insert, {r.code, r.description});
}

} // namespace

void createStateTables(dao::Database& db, const QString& stateCode) {
    const bool ny = dataset::isNewYork(stateCode);
    const int fileWidth = ny ? 9 : 7;
    const int nameWidth = ny ? 35 : 40;
    const QString FILE = QStringLiteral("FILE"), SEQUENCE = QStringLiteral("SEQUENCE");
    const QString FILESEQ = QStringLiteral("FILESEQ");

    // The New Jersey and New York columns exist in every data set (empty elsewhere), so that code
    // shared by all data sets finds every field it names.
    db.createTable(QStringLiteral("PRIME"), {
                                                text(QStringLiteral("STATE"), 2),
                                                text(FILE, fileWidth),
                                                text(SEQUENCE, 2),
                                                text(QStringLiteral("NAME1"), nameWidth),
                                                text(QStringLiteral("NameSort"), nameWidth),
                                                text(QStringLiteral("NAME2"), ny ? 1 : 38),
                                                text(QStringLiteral("STREET"), ny ? 34 : 40),
                                                text(QStringLiteral("CITY"), 22),
                                                text(QStringLiteral("ST"), 2),
                                                text(QStringLiteral("ZIP"), 5),
                                                text(QStringLiteral("ZIPEXT"), 4),
                                                text(QStringLiteral("PHONE"), 12),
                                                text(QStringLiteral("AREA"), 3),
                                                text(QStringLiteral("FAX"), 12),
                                                text(QStringLiteral("SIC"), 4),
                                                text(QStringLiteral("COUNTY"), 3),
                                                text(QStringLiteral("COUNTYNAME"), 30),
                                                text(QStringLiteral("CountySort"), 30),
                                                text(QStringLiteral("EMPLOYEES"), 1),
                                                text(QStringLiteral("SALES"), 1),
                                                text(FILESEQ, fileWidth + 2),
                                                text(QStringLiteral("CONTACT"), 30),
                                                text(QStringLiteral("TITLE"), 30),
                                                yesNo(QStringLiteral("ASSOCIATES")),
                                                yesNo(QStringLiteral("INTERSTATE")),
                                                yesNo(QStringLiteral("REVISED")),
                                                date(QStringLiteral("EXPIRE")),
                                                number(QStringLiteral("MOD")),
                                                whole(QStringLiteral("ISSUE1")),
                                                text(QStringLiteral("CONDITIONAL"), 14),
                                                text(QStringLiteral("ARESTPREM"), 7),
                                                text(QStringLiteral("ARTOTPREM"), 7),
                                                text(QStringLiteral("ARTOTLOSS"), 7),
                                                whole(QStringLiteral("NJAR")),
                                                text(QStringLiteral("NJPPAP"), 3),
                                                text(QStringLiteral("NJCCPAP"), 3),
                                                text(QStringLiteral("Omit"), 1),
                                                text(QStringLiteral("User1"), 50),
                                                text(QStringLiteral("User2"), 50),
                                                text(QStringLiteral("User3"), 50),
                                                text(QStringLiteral("UserPhone"), 12),
                                                text(QStringLiteral("UserFax"), 12),
                                                text(QStringLiteral("UserContact"), 30),
                                                text(QStringLiteral("UserTitle"), 30),
                                            });
    db.createIndex(QStringLiteral("PRIME"), kPrimary, {FILE, SEQUENCE}, true);
    // Name and county orders of the all-records list; the type-ahead seeks on the first column.
    // The key columns behind make the order of equal names stable.
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEY2"),
                   {QStringLiteral("NameSort"), FILE, SEQUENCE});
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEY3"),
                   {QStringLiteral("CountySort"), QStringLiteral("NameSort"), FILE, SEQUENCE});
    // The searches' class sub-query matches PRIME rows by FILESEQ.
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEYFILESEQ"), {FILESEQ});
    // The searches: every field a lookup can test, after the name, so that a search is answered from
    // this index alone (a quarter of the table's size) and comes out in name order without a sort;
    // with the key, which the result keeps for each row.
    db.createIndex(QStringLiteral("PRIME"), QStringLiteral("KEYSEARCH"),
                   {QStringLiteral("NAME1"), FILE, SEQUENCE, FILESEQ, QStringLiteral("EXPIRE"),
                    QStringLiteral("MOD"), QStringLiteral("ZIP"), QStringLiteral("COUNTY"),
                    QStringLiteral("SIC"), QStringLiteral("AREA"), QStringLiteral("EMPLOYEES"),
                    QStringLiteral("SALES"), QStringLiteral("NJAR"), QStringLiteral("ISSUE1"),
                    QStringLiteral("User1"), QStringLiteral("User2"), QStringLiteral("User3")});

    db.createTable(QStringLiteral("MODS"), {
                                               text(FILE, fileWidth),
                                               text(SEQUENCE, 2),
                                               date(QStringLiteral("ISSUE")),
                                               date(QStringLiteral("EFFECTIVE")),
                                               date(QStringLiteral("EXPIRE")),
                                               number(QStringLiteral("MOD")),
                                           });
    // The mods of a record are read by FILE and SEQUENCE.
    db.createIndex(QStringLiteral("MODS"), QStringLiteral("KEYFILE"), {FILE, SEQUENCE});

    db.createTable(QStringLiteral("NOTES"),
                   {text(FILE, fileWidth), text(SEQUENCE, 2), memo(QStringLiteral("NOTES"))});
    db.createIndex(QStringLiteral("NOTES"), kPrimary, {FILE, SEQUENCE}, true);

    db.createTable(QStringLiteral("VERSION"),
                   {text(QStringLiteral("Dummy"), 1), date(QStringLiteral("Version"))});
    db.createIndex(QStringLiteral("VERSION"), kPrimary, {QStringLiteral("Dummy")}, true);

    db.createTable(QStringLiteral("CLASSLIST"),
                   {text(QStringLiteral("CLASS"), 4), text(QStringLiteral("DESC"), 50)});
    db.createIndex(QStringLiteral("CLASSLIST"), kPrimary, {QStringLiteral("CLASS")}, true);

    db.createTable(QStringLiteral("CLASS"), {
                                                text(FILE, fileWidth),
                                                text(SEQUENCE, 2),
                                                text(QStringLiteral("CLASS"), 4),
                                                text(QStringLiteral("CLASSDESC"), 50),
                                                text(FILESEQ, fileWidth + 2),
                                                number(QStringLiteral("LOSSCOST")),
                                            });
    // PRIMARY also serves the reads of one record's classes (its first two columns).
    db.createIndex(QStringLiteral("CLASS"), kPrimary, {FILE, SEQUENCE, QStringLiteral("CLASS")}, true);
    // The class sub-query: FILESEQ of the rows in a range of class codes, answered from the index.
    db.createIndex(QStringLiteral("CLASS"), QStringLiteral("KEYCLASS"), {QStringLiteral("CLASS"), FILESEQ});

    db.createTable(QStringLiteral("COUNTY"),
                   {text(QStringLiteral("CODE"), 3), text(QStringLiteral("COUNTY"), 30)});
    db.createIndex(QStringLiteral("COUNTY"), kPrimary, {QStringLiteral("CODE")}, true);

    db.createTable(QStringLiteral("SICCODES"),
                   {text(QStringLiteral("CODE"), 4), text(QStringLiteral("DESC"), 42)});
    db.createIndex(QStringLiteral("SICCODES"), kPrimary, {QStringLiteral("CODE")}, true);

    if (ny) {
        db.createTable(QStringLiteral("ADDRESSES"),
                       {text(FILE, fileWidth), text(SEQUENCE, 2), memo(QStringLiteral("ADDRESSES"))});
        db.createIndex(QStringLiteral("ADDRESSES"), kPrimary, {FILE, SEQUENCE}, true);
    }

    createCategoryTable(db, QStringLiteral("EMPLOYEES"), 1, dataset::employeeBands());
    createCategoryTable(db, QStringLiteral("SALES"), 1, dataset::salesBands());
    if (dataset::hasMeritClasses(stateCode))
        createCategoryTable(db, QStringLiteral("MERIT"), 5, dataset::meritClasses());
}

} // namespace loading
