// A program folder with one state database, filled with hand-made employer records, for the
// list form's tests.
#pragma once

#include "app/globals.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "results/vklist.h"
#include "search/search_list.h"
#include "support/temp_dir.h"

#include <QDate>
#include <QHash>
#include <QStringList>

namespace listtest {

using Row = QHash<QString, QVariant>;

class ListFixture : public testsupport::TempDirTest {
protected:
    // Creates VELK<st>.MDB in the temporary program folder and makes st the current data set.
    void makeDataSet(const QString& st) {
        state = st;
        files::setProgramFolder(folder());
        velk::CurrentState = st;
        velk::StateDbConnect = loading::defaultConnect(st);
        velk::SearchFiles.fill(QString());
        dbPath = path(loading::stateDatabaseName(st));
        db = dao::Database::create(dbPath, dao::passwordFromConnect(velk::StateDbConnect));
        loading::createStateTables(*db, st);
        db->executeBound("INSERT INTO VERSION (Dummy, Version) VALUES ('1', '2004-06-30')", {});
    }
    // Loads the list form on the data set, in company-name order as the main window leaves it.
    void openList() {
        list = std::make_unique<VKLIST>();
        list->Form_Load();
        list->SORT_SELECT(2);
    }
    void TearDown() override {
        list.reset();
        db.reset();
        files::setProgramFolder(QString());
        velk::SearchFiles.fill(QString());
        velk::CurrentState = "PA";
    }

    // A PRIME row with blank user fields; fields given override the defaults.
    void addEmployer(const QString& file, const QString& seq, const QString& name, const QString& county,
                     const Row& more = {}) {
        Row r = {{"STATE", state},        {"FILE", file},         {"SEQUENCE", seq},
                 {"NAME1", name},         {"NameSort", name},     {"NAME2", " "},
                 {"STREET", "1 MAIN ST"}, {"CITY", "YORK"},       {"ST", state},
                 {"ZIP", "17401"},        {"ZIPEXT", " "},        {"PHONE", "717-555-0100"},
                 {"FAX", "717-555-0199"}, {"COUNTYNAME", county}, {"CountySort", county},
                 {"FILESEQ", file + seq}, {"CONTACT", "PAT LEE"}, {"TITLE", "OWNER"},
                 {"ASSOCIATES", false},   {"INTERSTATE", false},  {"REVISED", false},
                 {"Omit", " "},           {"User1", " "},         {"User2", " "},
                 {"User3", " "}};
        for (auto it = more.begin(); it != more.end(); ++it)
            r[it.key()] = it.value();
        insert("PRIME", r);
    }
    void addMod(const QString& file, const QString& seq, const QString& issue, const QString& effective,
                const QString& expire, double mod) {
        insert("MODS", {{"FILE", file},
                        {"SEQUENCE", seq},
                        {"ISSUE", issue},
                        {"EFFECTIVE", effective},
                        {"EXPIRE", expire},
                        {"MOD", mod}});
    }
    void addNote(const QString& file, const QString& seq, const QString& note) {
        insert("NOTES", {{"FILE", file}, {"SEQUENCE", seq}, {"NOTES", note}});
    }
    void insert(const QString& table, const Row& r) {
        QStringList names, marks;
        QVariantList values;
        for (auto it = r.begin(); it != r.end(); ++it) {
            names << it.key();
            marks << "?";
            values << it.value();
        }
        db->executeBound(
            QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(", "), marks.join(", ")),
            values);
    }
    QVariant primeField(const QString& file, const QString& seq, const QString& field) {
        return db->scalar(QString("SELECT %1 FROM PRIME WHERE FILE = ? AND SEQUENCE = ?").arg(field),
                          {file, seq});
    }

    QString state, dbPath;
    std::unique_ptr<dao::Database> db;
    std::unique_ptr<VKLIST> list;
};

} // namespace listtest
