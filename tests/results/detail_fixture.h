// A list form over a small data set of each kind for the record detail tests.
#pragma once

#include "list_fixture.h"
#include "results/vklist.h"
#include "results/vklisti.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QApplication>

namespace detailtest {

class DetailFixture : public listtest::ListFixture {
protected:
    // The data set st with its records, and the list form on it, in name order.
    void openList(const QString& st, const listtest::Row& moreA = {}) {
        makeDataSet(st);
        const bool ny = st == "NY";
        fileA = ny ? "123 456 7" : "1000001";
        fileB = ny ? "123 456 8" : "1000002";
        listtest::Row a = {{"SIC", "1711"}, {"EMPLOYEES", "2"}, {"SALES", "9"}, {"UserPhone", "555-0001"}};
        for (auto it = moreA.begin(); it != moreA.end(); ++it)
            a[it.key()] = it.value();
        addEmployer(fileA, "01", "ACME TOOL CO", "YORK", a);
        addEmployer(fileA, "02", "ACME TOOL WEST", "ADAMS",
                    {{"SIC", "9999"}, {"EMPLOYEES", " "}, {"SALES", "0"}});
        addEmployer(fileB, "01", "BAKER BROS", "BERKS", {{"EMPLOYEES", "0"}});
        insert("SICCODES", {{"CODE", "1711"}, {"DESC", "PLUMBING, HEATING"}});
        insert("CLASS", {{"FILE", fileA},
                         {"SEQUENCE", "01"},
                         {"CLASS", "5183"},
                         {"CLASSDESC", "PLUMBING"},
                         {"FILESEQ", fileA + "01"},
                         {"LOSSCOST", 0.5}});
        insert("CLASS", {{"FILE", fileA},
                         {"SEQUENCE", "01"},
                         {"CLASS", "8810"},
                         {"CLASSDESC", "CLERICAL"},
                         {"FILESEQ", fileA + "01"},
                         {"LOSSCOST", 12.5}});
        addNote(fileA, "01", "First note");
        addNote(fileA, "02", " ");
        addNote(fileB, "01", " ");
        list = std::make_unique<VKLIST>();
        list->Form_Load();
        list->SORT_SELECT(2);
    }
    void TearDown() override {
        list.reset();
        ListFixture::TearDown();
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

    QVariant note(const QString& file, const QString& seq) {
        return db->scalar("SELECT NOTES FROM NOTES WHERE FILE = ? AND SEQUENCE = ?", {file, seq});
    }

    QString fileA, fileB;
    std::unique_ptr<VKLIST> list;
    testsupport::ScriptedMsgBoxes boxes; // no box is expected unless a test says so
};

} // namespace detailtest
