// Full Address: the New York address lines of a record, one under another.
#include "app/globals.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "results/vknyaddr.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kLine1 = "ATTN ACCOUNTS PAYABLE              "; // 35 characters each
const char* const kLine2 = " 2ND FLOOR                         ";
const char* const kLine3 = "PO BOX 17                          ";

class FullAddressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        files::setProgramFolder(dir_.path());
        velk::CurrentState = QStringLiteral("NY");
        velk::StateDbConnect = loading::defaultConnect(QStringLiteral("NY"));
        auto db = dao::Database::create(dir_.filePath(QStringLiteral("VELKNY.MDB")),
                                        dao::passwordFromConnect(velk::StateDbConnect));
        loading::createStateTables(*db, QStringLiteral("NY"));
        const QString memo = QString::fromLatin1(kLine1) + "\r\n" + kLine2 + "\r\n" + kLine3 + "\r\n";
        db->executeBound(QStringLiteral("INSERT INTO ADDRESSES (FILE, SEQUENCE, ADDRESSES) VALUES (?, ?, ?)"),
                         {QStringLiteral("123 45 67"), QStringLiteral("01"), memo});
        db->executeBound(QStringLiteral("INSERT INTO ADDRESSES (FILE, SEQUENCE, ADDRESSES) VALUES (?, ?, ?)"),
                         {QStringLiteral("123 45 67"), QStringLiteral("02"), QString()});
    }
    void TearDown() override {
        files::setProgramFolder(QString());
        velk::StateDbConnect.clear();
        velk::CurrentState = QStringLiteral("PA");
    }

    QTemporaryDir dir_;
};

TEST_F(FullAddressTest, ShowsEveryLineOfTheRecordUnderTheCaption) {
    testsupport::ModalScript modal;
    modal.expect<VKNYADDR>([](VKNYADDR& f) {
        EXPECT_EQ(f.windowTitle(), "VKNYADDR - ACME SUPPLY CO");
        EXPECT_EQ(f.Label1->text(), "NY Full Address:");
        EXPECT_EQ(f.KEYFILE, "123 45 67");
        EXPECT_EQ(f.KEYSEQ, "01");
        const QStringList lines = f.ADDRESSES->toPlainText().split('\n');
        EXPECT_EQ(lines, QStringList({kLine1, kLine2, kLine3}));
        return testsupport::press(f, f.Command1);
    });
    results::showFullAddress("123 45 67", "01", "ACME SUPPLY CO");
    EXPECT_EQ(modal.shownCount(), 1);
}

TEST_F(FullAddressTest, ARecordWithoutLinesShowsAnEmptyBox) {
    testsupport::ModalScript modal;
    modal.expect<VKNYADDR>([](VKNYADDR& f) {
        EXPECT_EQ(f.ADDRESSES->toPlainText(), "");
        return testsupport::press(f, f.Command1);
    });
    modal.expect<VKNYADDR>([](VKNYADDR& f) {
        EXPECT_EQ(f.ADDRESSES->toPlainText(), ""); // an empty memo
        return testsupport::press(f, f.Command1);
    });
    results::showFullAddress("999 99 99", "01", "NOBODY");
    results::showFullAddress("123 45 67", "02", "ACME BRANCH");
}

// How many of this process's file descriptors point at path.
int openHandles(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    int n = 0;
    for (const QFileInfo& fd :
         QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == target) ++n;
    return n;
}

TEST_F(FullAddressTest, ClosingByTheCloseBoxReleasesTheFormsOwnConnection) {
    const QString path = dir_.filePath("VELKNY.MDB");
    ASSERT_EQ(openHandles(path), 0);
    testsupport::ModalScript modal;
    modal.expect<VKNYADDR>([&](VKNYADDR& f) {
        EXPECT_GT(openHandles(path), 0);
        f.show();
        f.close(); // the window's close box instead of OK
        EXPECT_EQ(openHandles(path), 0);
        return int(QDialog::Rejected);
    });
    results::showFullAddress("123 45 67", "01", "ACME SUPPLY CO");
}

TEST_F(FullAddressTest, AMissingDatabaseIsReportedNotShown) {
    QFile::remove(dir_.filePath("VELKNY.MDB"));
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining("VELKNY.MDB", 1);
    testsupport::ModalScript modal; // no dialog expected
    results::showFullAddress("123 45 67", "01", "ACME SUPPLY CO");
}

} // namespace
