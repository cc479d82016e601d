// A program folder with a PA state database (password "secret") loaded through the real loaders
// from hand-built release records, and helpers to set and read notes and user fields there and in
// a backup database.
#pragma once

#include "loading/load_sequence.h"
#include "loading/loading_fixture.h"
#include "loading/state_schema.h"
#include "maintenance/backup_database.h"
#include "maintenance/user_data.h"
#include "platform/dao/dao.h"
#include "platform/ui/cursor.h"
#include "support/scripted_msgbox.h"
#include "support/temp_dir.h"

#include <QFile>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace maintenancetest {

inline const QString kConnect = QStringLiteral(";PWD=secret");

// "1000001".."10000nn", the files of loadingtest::employers.
inline QString fileNo(int i) {
    return QString::number(1000000 + i);
}

class UserDataTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        mainPath = path("VELKPA.MDB");
        backupPath = path("BACKUPPA.MDB");
        newStateDatabase();
        loadRelease(6);
    }

    // Replaces the state database with an empty one, as an update archive does.
    void newStateDatabase() {
        state.reset();
        QFile::remove(mainPath);
        auto db = dao::Database::create(mainPath, QStringLiteral("secret"));
        loading::createStateTables(*db, QStringLiteral("PA"));
        db->close();
        reopen();
    }
    void reopen() { state = dao::Database::open(mainPath, false, false, kConnect); }

    // Loads employers 1..n through the loaders, as the start-up does: user fields start blank.
    void loadRelease(int n) {
        QFile f(path("DATAPA.DAT"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QByteArray& r : loadingtest::employers(n))
            f.write(r);
        f.close();
        loading::LoadContext ctx;
        ctx.db = state.get();
        ctx.folder = folder();
        ctx.state = QStringLiteral("PA");
        ASSERT_EQ(loading::runLoadSequence(ctx, loading::measureReleaseFiles(folder(), QStringLiteral("PA"))),
                  loading::LoadOutcome::Completed);
    }

    void setNote(int i, const QVariant& note) {
        state->executeBound(QStringLiteral("UPDATE NOTES SET NOTES = ? WHERE FILE = ?"), {note, fileNo(i)});
    }
    QVariant note(int i) {
        return state->scalar(QStringLiteral("SELECT NOTES FROM NOTES WHERE FILE = ?"), {fileNo(i)});
    }
    // Sets the eight user fields of record i (User1..UserTitle, Omit); absent values become Null.
    void setUser(int i, const QVariantList& values) {
        QVariantList params = values;
        while (params.size() < 8)
            params << QVariant();
        params << fileNo(i);
        state->executeBound(
            QStringLiteral("UPDATE PRIME SET User1 = ?, User2 = ?, User3 = ?, UserPhone = ?, "
                           "UserFax = ?, UserContact = ?, UserTitle = ?, Omit = ? WHERE FILE = ?"),
            params);
    }
    QVariant prime(int i, const QString& field) {
        return state->scalar(QStringLiteral("SELECT %1 FROM PRIME WHERE FILE = ?").arg(field), {fileNo(i)});
    }

    // An empty backup database at backupPath, to be filled by hand.
    std::unique_ptr<dao::Database> handMadeBackup() {
        auto db = dao::Database::create(backupPath);
        maintenance::createBackupTables(*db);
        return db;
    }
    static void addSavedNote(dao::Database& db, const QString& file, const QVariant& note) {
        db.executeBound(QStringLiteral("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, '01', ?)"),
                        {file, note});
    }
    // A USER row: FILE, then User1..UserTitle and Omit (absent values Null).
    static void addSavedUser(dao::Database& db, const QString& file, const QVariantList& values) {
        QVariantList params{file, QStringLiteral("01")};
        params += values;
        while (params.size() < 10)
            params << QVariant();
        db.executeBound(
            QStringLiteral("INSERT INTO USER (FILE, SEQUENCE, User1, User2, User3, UserPhone, UserFax, "
                           "UserContact, UserTitle, Omit) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            params);
    }

    maintenance::RestoreCounts restore(maintenance::NotesPass pass = maintenance::NotesPass::Replace) {
        return maintenance::copyBackupIntoState(mainPath, backupPath, QStringLiteral("PA"), kConnect, pass);
    }

    struct FailureCase {
        const char* what;
        std::function<void()> arrange; // breaks something before the run
        QString connect;
        const char* reason; // a part of the failure's message
    };
    // For each case: arranges it, runs run(connect), and expects a failure naming the reason, no
    // message box, the default pointer, both databases byte for byte as they were and no database
    // file left over; then puts the databases back as they were before the case.
    void expectFailuresChangeNothing(const std::vector<FailureCase>& cases,
                                     const std::function<void(const QString& connect)>& run) {
        state.reset();
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(c.what);
            QFile::copy(mainPath, path("pristine state"));
            QFile::copy(backupPath, path("pristine backup"));
            c.arrange();
            const QByteArray stateBefore = testsupport::readFile(mainPath),
                             backupBefore = testsupport::readFile(backupPath);
            // The lock file of the notes comes and stays as the list form's does.
            const auto databaseFiles = [this] {
                return files().filter(QStringLiteral(".MDB")).join(u' ').toStdString();
            };
            const std::string filesBefore = databaseFiles();
            {
                testsupport::ScriptedMsgBoxes none;
                try {
                    run(c.connect);
                    ADD_FAILURE() << "no failure";
                } catch (const dao::DaoError& e) {
                    EXPECT_TRUE(e.message().contains(QLatin1String(c.reason))) << e.message().toStdString();
                }
            }
            EXPECT_FALSE(ui::hourglassShown());
            EXPECT_EQ(testsupport::readFile(mainPath), stateBefore);
            EXPECT_EQ(testsupport::readFile(backupPath), backupBefore);
            EXPECT_EQ(databaseFiles(), filesBefore);
            for (const QString& name : {mainPath, backupPath, path("moved.MDB")})
                QFile::remove(name);
            QFile::rename(path("pristine state"), mainPath);
            QFile::rename(path("pristine backup"), backupPath);
        }
        reopen();
    }

    QString mainPath, backupPath;
    std::unique_ptr<dao::Database> state;
};

inline bool isNull(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

} // namespace maintenancetest
