// A program folder with one data set's database and a workspace folder, a list form that records
// what the lookup editor asks of it, and helpers to read what was saved.
#pragma once

#include "app/globals.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "search/vklookup.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lookuptest {

class FakeList : public search::LookupEditorHost {
public:
    QString folder;
    QString program;
    QString CurSQLFile;
    QStringList calls;

    QString workspaceFolder() const override { return folder + "/"; }
    QString curSQLFile() const override { return CurSQLFile; }
    QString startPath() const override { return program + "/"; }
    void SETTABS() override { calls << "SETTABS"; }
    void SetUpSQL() override { calls << "SetUpSQL"; }
    void selectTab(int k) override { calls << QStringLiteral("tab %1").arg(k); }
    void showList() override { calls << "show"; }
};

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// One line of a saved-search file.
inline QByteArray line(const char* title, const char* field, const char* from, const char* thru,
                       const char* code, bool exclude = false) {
    return QByteArray("\"") + title + "\",\"" + field + "\",\"" + from + "\",\"" + thru + "\",\"" + code +
           "\"," + (exclude ? "#TRUE#" : "#FALSE#") + "\r\n";
}

class LookupEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        list.program = dir.path();
        list.folder = dir.filePath("INITIAL");
        ASSERT_TRUE(QDir().mkpath(list.folder));
        savedState = velk::CurrentState;
        savedConnect = velk::StateDbConnect;
        useState("PA");
    }

    void TearDown() override {
        search::unloadLookupEditor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        velk::CurrentState = savedState;
        velk::StateDbConnect = savedConnect;
    }

    // Makes st the current data set, creating its database with a few category rows.
    void useState(const QString& st) {
        velk::CurrentState = st;
        velk::StateDbConnect = QString();
        const QString path = dir.filePath("VELK" + st + ".MDB");
        if (QFile::exists(path)) return;
        auto db = dao::Database::create(path);
        loading::createStateTables(*db, st);
        for (const auto& [code, name] :
             std::initializer_list<std::pair<const char*, const char*>>{{"001", "ADAMS"},
                                                                        {"002", "ALLEGHENY"},
                                                                        {"005", "BEDFORD"},
                                                                        {"009", "BUCKS"},
                                                                        {"010", "O'HARA"}})
            db->executeBound("INSERT INTO COUNTY (CODE, COUNTY) VALUES (?, ?)", {code, name});
        for (const auto& [code, name] :
             std::initializer_list<std::pair<const char*, const char*>>{{"1500", "BUILDING CONSTRUCTION"},
                                                                        {"1731", "ELECTRICAL WORK"},
                                                                        {"1711", "PLUMBING"},
                                                                        {"0100", "AGRICULTURE"}})
            db->executeBound("INSERT INTO SICCODES (CODE, DESC) VALUES (?, ?)", {code, name});
        for (const auto& [code, name] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"8810", "CLERICAL"}, {"5183", "PLUMBING"}})
            db->executeBound("INSERT INTO CLASSLIST (CLASS, DESC) VALUES (?, ?)", {code, name});
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
    QString savedState, savedConnect;
};

} // namespace lookuptest
