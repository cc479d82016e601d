// A small PA data set of seven employers for running the search SQL on the database layer.
#pragma once

#include "loading/state_schema.h"
#include "platform/dao/dao.h"

#include <QString>

#include <memory>

namespace searchtest {

// Keys (FILE & SEQUENCE): 000101 000201 000301 000401 000502 079501 080001.
inline std::unique_ptr<dao::Database> createSeededDatabase(const QString& path) {
    auto db = dao::Database::create(path);
    loading::createStateTables(*db, QStringLiteral("PA"));
    struct Row {
        const char *file, *seq, *name, *zip, *county, *sic, *area, *emp, *sales;
        double mod;
        int njar;
        const char* expire;
        int issue;
        const char *user1, *user2, *user3;
        QStringList classes;
    };
    const Row rows[] = {
        {"0001",
         "01",
         "ACME TOOLS",
         "19001",
         "001",
         "1521",
         "215",
         "3",
         "4",
         0.95,
         9507,
         "1999-01-15",
         2020,
         "alpha",
         "C",
         "A",
         {"8810", "5183"}},
        {"0002",
         "01",
         "BAKER FARMS",
         "19050",
         "005",
         "0100",
         "610",
         "5",
         "2",
         1.20,
         9912,
         "2001-03-31",
         2021,
         "MIKE",
         "",
         "",
         {"0005"}},
        {"0003",
         "01",
         "O'BRIEN PLUMBING",
         "19120",
         "010",
         "1711",
         "215",
         "2",
         "1",
         9.885,
         9606,
         "2003-11-20",
         2019,
         "ZULU",
         "",
         "",
         {"5183"}},
        {"0004",
         "01",
         "CENTRAL DINER",
         "19320",
         "003",
         "5812",
         "484",
         "7",
         "6",
         9.886,
         0,
         "2002-02-28",
         2021,
         "",
         "",
         "",
         {"9079", "8810"}},
        {"0005",
         "02",
         "delta services",
         "19500",
         "020",
         "7349",
         "717",
         "1",
         "1",
         0.80,
         0,
         "2000-12-31",
         2018,
         "",
         "B",
         "Q",
         {"8810"}},
        {"0795",
         "01",
         "EAGLE TRUCKING",
         "19099",
         "002",
         "4213",
         "610",
         "4",
         "5",
         1.00,
         0,
         "2004-06-30",
         2022,
         "",
         "",
         "",
         {"7219"}},
        {"0800",
         "01",
         "FOX BAKERY",
         "19310",
         "005",
         "2051",
         "215",
         "3",
         "3",
         9.884,
         0,
         "2005-01-01",
         2020,
         "",
         "",
         "A",
         {"2003"}},
    };
    for (const Row& r : rows) {
        const QString fileseq = QString::fromLatin1(r.file) + QString::fromLatin1(r.seq);
        db->executeBound("INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, ZIP, COUNTY, SIC, AREA, "
                         "EMPLOYEES, SALES, "
                         "FILESEQ, MOD, NJAR, EXPIRE, ISSUE1, User1, User2, User3, Omit) "
                         "VALUES ('PA', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ' ')",
                         {r.file, r.seq, r.name, r.name, r.zip, r.county, r.sic, r.area, r.emp, r.sales,
                          fileseq, r.mod, r.njar, r.expire, r.issue, r.user1, r.user2, r.user3});
        for (const QString& c : r.classes)
            db->executeBound("INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, FILESEQ, LOSSCOST) "
                             "VALUES (?, ?, ?, 'desc', ?, 1.5)",
                             {r.file, r.seq, c, fileseq});
    }
    return db;
}

} // namespace searchtest
