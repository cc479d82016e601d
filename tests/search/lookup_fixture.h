// A program folder with one data set's database and a workspace folder, a list form that records
// what the lookup editor asks of it, and helpers to drive the editor as a user would.
#pragma once

#include "dataset/data_set.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/grid/data_grid.h"
#include "platform/ui/msgbox.h"
#include "search/field_rules.h"
#include "search/lookup_editor.h"
#include "search_test_support.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

namespace lookuptest {

using searchtest::line;
using searchtest::readBytes;
using searchtest::writeBytes;

inline const QString kTitle = "Enter Selection Parameters";

class FakeList : public search::LookupEditorHost {
public:
    QString folder;
    QString CurSQLFile;
    QStringList calls;

    QString workspaceFolder() const override { return folder + "/"; }
    QString curSQLFile() const override { return CurSQLFile; }
    void SETTABS() override { calls << "SETTABS"; }
    void SetUpSQL() override { calls << "SetUpSQL"; }
    void selectTab(int k) override { calls << QStringLiteral("tab %1").arg(k); }
    void showList() override { calls << "show"; }
};

// Chooses a field, types FROM and THRU, and accepts.
inline bool enter(VKLOOKUP& d, int pos, const QString& from, const QString& thru, bool exclude = false) {
    d.List1_Click(pos);
    d.FROM->setText(from);
    d.THRU->setText(thru);
    (exclude ? d.SQLEXCLUDE : d.SQLINCLUDE)->setChecked(true);
    return d.ADD_Click();
}

// Makes row of the category grid current and picks it.
inline void pick(VKLOOKUP& d, int row) {
    d.TDBGrid5->setCurrentRow(row);
    d.TDBGrid5_DblClick();
}

// One column of the category grid.
inline QStringList categoryColumn(VKLOOKUP& d, int col) {
    QStringList out;
    for (int r = 0; r < d.categoryRowCount(); ++r)
        out << d.categoryValue(r, col);
    return out;
}

class LookupEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        list.folder = dir.filePath("INITIAL");
        ASSERT_TRUE(QDir().mkpath(list.folder));
        saved = dataset::current();
        files::setProgramFolder(dir.path());
        useState("PA");
    }

    void TearDown() override {
        search::unloadLookupEditor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dataset::setCurrent(saved);
        files::setProgramFolder(QString());
    }

    // Makes st the current data set, creating its database with a few category rows.
    void useState(const QString& st) {
        dataset::setCurrent({st, QString()});
        const QString path = dir.filePath("VELK" + st + ".MDB");
        if (QFile::exists(path)) return;
        auto db = dao::Database::create(path);
        loading::createStateTables(*db, st);
        db->execute("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('001', 'ADAMS'), ('002', 'ALLEGHENY'), "
                    "('005', 'BEDFORD'), ('009', 'BUCKS'), ('010', 'O''HARA')");
        db->execute("INSERT INTO SICCODES (CODE, DESC) VALUES ('1500', 'BUILDING CONSTRUCTION'), "
                    "('1731', 'ELECTRICAL WORK'), ('1711', 'PLUMBING'), ('0100', 'AGRICULTURE')");
        db->execute("INSERT INTO CLASSLIST (CLASS, DESC) VALUES ('8810', 'CLERICAL'), ('5183', 'PLUMBING')");
    }

    QString workspaceFile(const QString& name) const { return list.folder + "/" + name; }

    // Shows the editor for the fake list form and lets drive work on it as the user would.
    void showEditor(std::function<void(VKLOOKUP&)> drive) {
        modals.expect<VKLOOKUP>([drive](VKLOOKUP& d) {
            drive(d);
            return d.result();
        });
        search::showLookupEditorModal(list);
    }

    QTemporaryDir dir;
    FakeList list;
    testsupport::ScriptedMsgBoxes boxes;
    testsupport::ModalScript modals;
    dataset::DataSet saved;
};

} // namespace lookuptest
