// The restore marker REST<st>.DAT: its bytes, when it counts as pending, and the restore it asks
// for, which removes it only when the restore succeeded.
#include "maintenance/restore_marker.h"
#include "support/scripted_msgbox.h"
#include "user_data_fixture.h"

#include "platform/ui/msgbox.h"

using namespace maintenancetest;
using maintenance::restorePending;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class RestoreMarker : public UserDataTest {};

TEST_F(RestoreMarker, OneLineHoldingABlankReplacingAnyCase) {
    writeFile(path("restpa.dat"), "old text");
    ASSERT_TRUE(maintenance::writeRestoreMarker(folder(), "PA"));
    ASSERT_TRUE(maintenance::writeRestoreMarker(folder(), "NY"));
    EXPECT_EQ(readFile(path("restpa.dat")), QByteArray(" \r\n"));
    EXPECT_EQ(readFile(path("RESTNY.DAT")), QByteArray(" \r\n"));
    EXPECT_FALSE(QFile::exists(path("RESTPA.DAT")));
    QString error;
    EXPECT_FALSE(maintenance::writeRestoreMarker(path("missing"), "PA", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(RestoreMarker, PendingOnlyWithALengthOtherThanZero) {
    EXPECT_FALSE(restorePending(folder(), "PA"));
    writeFile(path("RESTPA.DAT"), "");
    EXPECT_FALSE(restorePending(folder(), "PA"));
    writeFile(path("RESTPA.DAT"), " \r\n");
    EXPECT_TRUE(restorePending(folder(), "PA"));
    EXPECT_FALSE(restorePending(folder(), "NJ"));
    QFile::rename(path("RESTPA.DAT"), path("RestPa.dat"));
    EXPECT_TRUE(restorePending(folder(), "PA"));
}

TEST_F(RestoreMarker, PendingRestoreRunsOnceAndAFailedOneStaysPending) {
    {
        testsupport::ScriptedMsgBoxes none;
        maintenance::runPendingRestore(folder(), "PA", kConnect); // nothing pending: nothing shown
    }
    setNote(1, "saved");
    maintenance::backupUserData(mainPath, backupPath, kConnect);
    setNote(1, "replaced by an update");
    ASSERT_TRUE(maintenance::writeRestoreMarker(folder(), "PA"));

    QFile::rename(backupPath, path("away"));
    EXPECT_THROW(maintenance::runPendingRestore(folder(), "PA", kConnect), dao::DaoError);
    EXPECT_TRUE(restorePending(folder(), "PA"));
    EXPECT_EQ(note(1).toString(), "replaced by an update");

    QFile::rename(path("away"), backupPath);
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("6 User Notes and 6 Fields Restored From " + backupPath, ui::vbOK, "Restore Complete");
    maintenance::runPendingRestore(folder(), "PA", kConnect);
    EXPECT_FALSE(restorePending(folder(), "PA"));
    EXPECT_FALSE(QFile::exists(path("RESTPA.DAT")));
    EXPECT_EQ(note(1).toString(), "saved");
}

} // namespace
