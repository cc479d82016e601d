// A small report database in a temporary folder and helpers to run definitions over it.
#pragma once

#include "platform/dao/dao.h"
#include "platform/report/layout.h"
#include "platform/report/report.h"
#include "support/temp_dir.h"

#include <QStringList>

namespace reporttest {

// A row of the test PRIME table; Null where not given.
struct Employer {
    QString file;
    QString name;
    QVariant city = {};
    QVariant expire = {};
    QVariant mod = {};
    QVariant notes = {};
};

class ReportTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        dbPath = path("REPORT.MDB");
        makeDatabase(dbPath);
    }

    static void makeDatabase(const QString& file) {
        std::unique_ptr<dao::Database> db = dao::Database::create(file);
        db->createTable("PRIME", {{"FILE", "TEXT", 9},
                                  {"SEQUENCE", "TEXT", 2},
                                  {"NAME1", "TEXT", 40},
                                  {"CITY", "TEXT", 22},
                                  {"ST", "TEXT", 2},
                                  {"ZIP", "TEXT", 10},
                                  {"EXPIRE", "LONG"},
                                  {"EXPIRE0", "DATE"},
                                  {"MOD0", "DOUBLE"},
                                  {"MOD1", "DOUBLE"},
                                  {"REVISED", "YESNO"},
                                  {"NOTES", "MEMO"}});
        db->createTable(
            "CLASS",
            {{"FILE", "TEXT", 9}, {"SEQUENCE", "TEXT", 2}, {"CLASS0", "TEXT", 4}, {"CLASSLOSS0", "DOUBLE"}});
    }

    void add(const Employer& e) const {
        std::unique_ptr<dao::Database> db = dao::Database::open(dbPath);
        db->executeBound(
            "INSERT INTO PRIME (FILE, SEQUENCE, NAME1, CITY, EXPIRE, MOD0, NOTES) VALUES (?, '01', ?, ?, ?, "
            "?, ?)",
            {e.file, e.name, e.city, e.expire, e.mod, e.notes});
    }
    void addMany(int n) const {
        std::unique_ptr<dao::Database> db = dao::Database::open(dbPath);
        db->BeginTrans();
        for (int i = 0; i < n; ++i)
            db->executeBound(
                "INSERT INTO PRIME (FILE, SEQUENCE, NAME1) VALUES (?, '01', ?)",
                {QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0')), QStringLiteral("EMPLOYER %1").arg(i)});
        db->CommitTrans();
    }
    void execute(const QString& sql, const QVariantList& params = {}) const {
        std::unique_ptr<dao::Database> db = dao::Database::open(dbPath);
        db->executeBound(sql, params);
    }

    // A definition from JSON text, pointed at the test database.
    report::Report reportOf(const QByteArray& json) const {
        report::Report r(report::parseDefinition(json, "TEST.RPT"));
        for (int n = 1; n <= r.definition().tables.size(); ++n)
            r.setTableLocation(n, dbPath);
        return r;
    }
    QVector<report::Page> pagesOf(const QByteArray& json) const {
        return report::layoutAll(*reportOf(json).read());
    }

    QString dbPath;
};

// The texts of a page in the order laid out.
inline QStringList textsOf(const report::Page& page) {
    QStringList out;
    for (const report::TextRun& t : page.texts)
        out.append(t.text);
    return out;
}

// The texts of every page, one list per page.
inline QVector<QStringList> textsOf(const QVector<report::Page>& pages) {
    QVector<QStringList> out;
    for (const report::Page& p : pages)
        out.append(textsOf(p));
    return out;
}

} // namespace reporttest
