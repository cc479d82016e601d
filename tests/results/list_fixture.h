// A program folder with one state database, filled with hand-made employer records, and the list
// form on it, for the list form and record detail tests.
#pragma once

#include "app/globals.h"
#include "dataset/data_set.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/msgbox.h"
#include "results/list_form.h"
#include "results/record_detail.h"
#include "search/search_file.h"
#include "search/search_list.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"
#include "support/table_rows.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>

namespace listtest {

using Row = testsupport::Row;

inline QString cell(grid::DataGrid* g, int row, int col) {
    return g->model()->data(g->model()->index(row, col)).toString();
}

// Every row of a grid's column (the grid reaches further rows on demand, as scrolling would).
inline QStringList column(grid::DataGrid* g, int col) {
    while (g->model()->canFetchMore({}))
        g->model()->fetchMore({});
    QStringList values;
    for (int r = 0; r < g->model()->rowCount(); ++r)
        values << cell(g, r, col);
    return values;
}

// Texts of boxes or labels, in order.
template <typename Widget> QStringList texts(std::initializer_list<Widget*> widgets) {
    QStringList out;
    for (Widget* w : widgets)
        out << w->text();
    return out;
}

// The panel's telephone, fax, contact and title boxes.
inline QStringList contacts(const VKLIST& l) {
    return {l.PHONE->text(), l.txtFax->text(), l.CONTACT->text(), l.TITLE->text()};
}
// Captions of the flags the panel shows.
inline QStringList flags(const VKLIST& l) {
    QStringList shown;
    for (QLabel* flag : {l.Label2, l.Label5, l.Label8, l.Label9, l.Label10})
        if (!flag->isHidden()) shown << flag->text();
    return shown;
}
// Captions of the record buttons that are enabled.
inline QStringList enabledButtons(const VKLIST& l) {
    QStringList enabled;
    for (QPushButton* b : {l.Command1, l.FULLADDR, l.EXPORTCUR, l.PRINTCUR, l.MarkIt})
        if (b->isEnabled()) enabled << b->text();
    return enabled;
}

class ListFixture : public testsupport::TempDirTest {
protected:
    // Creates VELK<st>.MDB in the temporary program folder and makes st the current data set.
    void makeDataSet(const QString& st) {
        state = st;
        files::setProgramFolder(folder());
        dataset::setCurrent({st, dataset::defaultConnect(st)});
        dbPath = path(dataset::stateDatabaseName(st));
        db = dao::Database::create(dbPath, dao::passwordFromConnect(dataset::current().connect));
        loading::createStateTables(*db, st);
        db->executeBound("INSERT INTO VERSION (Dummy, Version) VALUES ('1', '2004-06-30')", {});
    }
    // Loads the list form on the data set, in company-name order as the main window leaves it.
    void openList() {
        list = std::make_unique<VKLIST>();
        list->SORT_SELECT(2);
    }
    // The data set st with the records of the detail tests (moreA overrides fields of the first),
    // and the list form on it.
    void openList(const QString& st, const Row& moreA = {}) {
        makeDataSet(st);
        const bool ny = st == "NY";
        fileA = ny ? "123 456 7" : "1000001";
        fileB = ny ? "123 456 8" : "1000002";
        Row a = {{"SIC", "1711"}, {"EMPLOYEES", "2"}, {"SALES", "9"}, {"UserPhone", "555-0001"}};
        for (auto it = moreA.begin(); it != moreA.end(); ++it)
            a[it.key()] = it.value();
        addEmployer(fileA, "01", "ACME TOOL CO", "YORK", a);
        addEmployer(fileA, "02", "ACME TOOL WEST", "ADAMS",
                    {{"SIC", "9999"}, {"EMPLOYEES", " "}, {"SALES", "0"}});
        addEmployer(fileB, "01", "BAKER BROS", "BERKS", {{"EMPLOYEES", "0"}});
        insert("SICCODES", {{"CODE", "1711"}, {"DESC", "PLUMBING, HEATING"}});
        const std::tuple<const char*, const char*, double> classes[] = {{"5183", "PLUMBING", 0.5},
                                                                        {"8810", "CLERICAL", 12.5}};
        for (const auto& [cls, desc, cost] : classes)
            insert("CLASS", {{"FILE", fileA},
                             {"SEQUENCE", "01"},
                             {"CLASS", cls},
                             {"CLASSDESC", desc},
                             {"FILESEQ", fileA + "01"},
                             {"LOSSCOST", cost}});
        addNote(fileA, "01", "First note");
        addNote(fileA, "02", " ");
        addNote(fileB, "01", " ");
        openList();
    }
    void TearDown() override {
        list.reset();
        db.reset();
        files::setProgramFolder(QString());
        dataset::setCurrent({});
    }

    // A PRIME row with blank user fields; fields given override the defaults.
    void addEmployer(const QString& file, const QString& seq, const QString& name, const QString& county,
                     const Row& more = {}) {
        Row r = {{"STATE", state},        {"FILE", file},
                 {"SEQUENCE", seq},       {"NAME1", name},
                 {"NameSort", name},      {"NAME2", " "},
                 {"STREET", "1 MAIN ST"}, {"CITY", "YORK"},
                 {"ST", state},           {"ZIP", "17401"},
                 {"ZIPEXT", " "},         {"PHONE", "717-555-0100"},
                 {"FAX", "717-555-0199"}, {"COUNTYNAME", county},
                 {"CountySort", county},  {"COUNTY", county.left(3)},
                 {"FILESEQ", file + seq}, {"CONTACT", "PAT LEE"},
                 {"TITLE", "OWNER"},      {"ASSOCIATES", false},
                 {"INTERSTATE", false},   {"REVISED", false},
                 {"Omit", " "},           {"User1", " "},
                 {"User2", " "},          {"User3", " "}};
        for (auto it = more.begin(); it != more.end(); ++it)
            r[it.key()] = it.value();
        insert("PRIME", r);
    }
    void addMod(const QString& file, const QString& seq, const QString& issue, const QString& effective,
                const QString& expire, double mod) {
        insert("MODS", testsupport::modRow(file, seq, issue, effective, expire, mod));
    }
    void addNote(const QString& file, const QString& seq, const QString& note) {
        insert("NOTES", {{"FILE", file}, {"SEQUENCE", seq}, {"NOTES", note}});
    }
    void insert(const QString& table, const Row& r) { testsupport::insertRow(*db, table, r); }
    QVariant primeField(const QString& file, const QString& seq, const QString& field) {
        return db->scalar(QString("SELECT %1 FROM PRIME WHERE FILE = ? AND SEQUENCE = ?").arg(field),
                          {file, seq});
    }
    QVariant note(const QString& file, const QString& seq) {
        return db->scalar("SELECT NOTES FROM NOTES WHERE FILE = ? AND SEQUENCE = ?", {file, seq});
    }
    // True when another copy of the program can open the note at once.
    bool noteFree(const QString& file, const QString& seq) {
        VKLIST other;
        QPlainTextEdit box;
        const bool opened = other.GETNOTES(file, seq, &box);
        if (opened) other.releaseNote();
        return opened;
    }

    // Saves a search of one lookup as fileName in the list's workspace folder (WORK) and lists the
    // workspace's searches as tabs.
    void addSearch(const QString& fileName, const QString& title, const QString& caption, const QString& code,
                   const QString& from, const QString& thru) {
        const QString workspace = path("WORK");
        QDir().mkpath(workspace);
        SQLPARAMETER p;
        p.SQLFIELD = caption;
        p.SQLEXPR = code;
        p.SQLFROM = from;
        p.SQLTHRU = thru;
        QString error;
        ASSERT_TRUE(search::writeSearchFile(workspace + "/" + fileName, title, {p}, &error))
            << error.toStdString();
        list->CURPATH = workspace + "/";
        list->SETTABS();
    }
    // A search of every record, ordered by name.
    void addSearchOfAll(const QString& fileName, const QString& title) {
        addSearch(fileName, title, "Employer Name", "NAME1", " ", "~");
    }

    // Makes a record current on tab 0, as a click in the all-records grid would.
    void selectRecord(const QString& file, const QString& seq) { list->showAssociatedRecord(file, seq); }
    // Shows the form as the active window so that focus moves between its boxes as typing does.
    static void showForTyping(QWidget& form) {
        form.show();
        form.activateWindow();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    // Moves the focus as a click into box would, and lets queued reactions run.
    static void clickInto(QWidget* box) {
        box->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }

    QString state, dbPath, fileA, fileB;
    std::unique_ptr<dao::Database> db;
    std::unique_ptr<VKLIST> list;
    testsupport::ScriptedMsgBoxes boxes; // no box is expected unless a test says so
};

} // namespace listtest
