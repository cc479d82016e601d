// Helpers of the saved-search tests: file bytes, lookups, and a small PA data set of seven employers.
#pragma once

#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "search/lookup_parameter.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// How a lookup reads in a failed expectation.
inline void PrintTo(const SQLPARAMETER& p, std::ostream* os) {
    *os << (p.SQLEXCLUDE ? "exclude " : "include ") << p.SQLEXPR.toStdString() << " ("
        << p.SQLFIELD.toStdString() << ") \"" << p.SQLFROM.toStdString() << "\" thru \""
        << p.SQLTHRU.toStdString() << "\"";
}

namespace searchtest {

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// One saved-search line as the program writes it.
inline QByteArray line(const char* title, const char* field, const char* from, const char* thru,
                       const char* code, bool exclude = false) {
    return QByteArray("\"") + title + "\",\"" + field + "\",\"" + from + "\",\"" + thru + "\",\"" + code +
           "\"," + (exclude ? "#TRUE#" : "#FALSE#") + "\r\n";
}

// A lookup of field code; its caption is the code unless given.
inline SQLPARAMETER inc(const char* code, const char* from, const char* thru, const char* caption = nullptr) {
    SQLPARAMETER p;
    p.SQLFIELD = QString::fromLatin1(caption ? caption : code);
    p.SQLEXPR = QString::fromLatin1(code);
    p.SQLFROM = QString::fromLatin1(from);
    p.SQLTHRU = QString::fromLatin1(thru);
    return p;
}

inline SQLPARAMETER exc(const char* code, const char* from, const char* thru, const char* caption = nullptr) {
    SQLPARAMETER p = inc(code, from, thru, caption);
    p.SQLEXCLUDE = true;
    return p;
}

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
    // clang-format off
    const Row rows[] = {
        {"0001", "01", "ACME TOOLS",       "19001", "001", "1521", "215", "3", "4", 0.95,  9507, "1999-01-15", 2020, "alpha", "C", "A", {"8810", "5183"}},
        {"0002", "01", "BAKER FARMS",      "19050", "005", "0100", "610", "5", "2", 1.20,  9912, "2001-03-31", 2021, "MIKE",  "",  "",  {"0005"}},
        {"0003", "01", "O'BRIEN PLUMBING", "19120", "010", "1711", "215", "2", "1", 9.885, 9606, "2003-11-20", 2019, "ZULU",  "",  "",  {"5183"}},
        {"0004", "01", "CENTRAL DINER",    "19320", "003", "5812", "484", "7", "6", 9.886, 0,    "2002-02-28", 2021, "",      "",  "",  {"9079", "8810"}},
        {"0005", "02", "delta services",   "19500", "020", "7349", "717", "1", "1", 0.80,  0,    "2000-12-31", 2018, "",      "B", "Q", {"8810"}},
        {"0795", "01", "EAGLE TRUCKING",   "19099", "002", "4213", "610", "4", "5", 1.00,  0,    "2004-06-30", 2022, "",      "",  "",  {"7219"}},
        {"0800", "01", "FOX BAKERY",       "19310", "005", "2051", "215", "3", "3", 9.884, 0,    "2005-01-01", 2020, "",      "",  "A", {"2003"}},
    };
    // clang-format on
    for (const Row& r : rows) {
        const QString fileseq = QString::fromLatin1(r.file) + QString::fromLatin1(r.seq);
        db->executeBound("INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, ZIP, COUNTY, SIC, AREA, "
                         "EMPLOYEES, SALES, FILESEQ, MOD, NJAR, EXPIRE, ISSUE1, User1, User2, User3, Omit) "
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
