// The restore marker REST<st>.DAT: its bytes, when it counts as pending, and taking it away.
#include "maintenance/restore_marker.h"
#include "support/temp_dir.h"

#include <QFile>

#include <gtest/gtest.h>

using maintenance::restorePending;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class RestoreMarker : public testsupport::TempDirTest {};

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

TEST_F(RestoreMarker, ClearedByRemovingOrElseEmptying) {
    EXPECT_TRUE(maintenance::clearRestoreMarker(folder(), "PA")); // none there
    writeFile(path("RestPa.dat"), " \r\n");
    EXPECT_TRUE(maintenance::clearRestoreMarker(folder(), "PA"));
    EXPECT_FALSE(QFile::exists(path("RestPa.dat")));
}

} // namespace
