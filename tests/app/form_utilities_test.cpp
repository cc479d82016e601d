// The shared form helpers: centring, temporary folder, proper case, digits-only keys, special folders.
#include "app/rsmain1.h"
#include "platform/files/folders.h"
#include "platform/ui/centre.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

TEST(FormUtilities, CentringRule) {
    // 1024 x 768 pixels is 15360 x 11520 twips; a 6600 x 4400 twips dialog.
    EXPECT_EQ(ui::centredPosition(15360, 11520, 6600, 4400), (ui::TwipsPoint{4380, 2408}));
    // Int() cuts the halves: 1001 / 2.5 = 400.4 and 301 / 2 = 150.5.
    EXPECT_EQ(ui::centredPosition(1001, 1001, 301, 301), (ui::TwipsPoint{350, 250}));
    // A form larger than the screen goes to the top left corner.
    EXPECT_EQ(ui::centredPosition(15360, 11520, 40000, 30000), (ui::TwipsPoint{0, 0}));
    // A wide screen of 7680 x 4320 pixels is beyond 16-bit twips; no overflow.
    EXPECT_EQ(ui::centredPosition(115200, 64800, 6600, 4400), (ui::TwipsPoint{54300, 23720}));
    EXPECT_EQ(ui::centredPosition(3000000000LL, 3000000000LL, 0, 0),
              (ui::TwipsPoint{1500000000, 1200000000}));
}

TEST(FormUtilities, CenterFormPlacesAWidget) {
    QWidget form;
    form.resize(200, 100);
    velk::CenterForm(form);
    EXPECT_GE(form.x(), 0);
    EXPECT_GE(form.y(), 0);
}

TEST(FormUtilities, TempDirEndsInOneSeparator) {
    QTemporaryDir tmp;
    files::setTempDirOverride(tmp.filePath(QStringLiteral("state/")));
    EXPECT_EQ(velk::GetTempDir(), tmp.filePath(QStringLiteral("state")) + QStringLiteral("/"));
    files::setTempDirOverride(tmp.filePath(QStringLiteral("plain")));
    EXPECT_EQ(velk::GetTempDir(), tmp.filePath(QStringLiteral("plain")) + QStringLiteral("/"));
    files::setTempDirOverride(QString());
}

TEST(FormUtilities, ProperCase) {
    const auto proper = [](QString s) {
        const QString result = velk::ProperCase(s);
        EXPECT_EQ(result, s) << "the argument holds the result too";
        return result;
    };
    EXPECT_EQ(proper(QStringLiteral("ACME TOOL CO")), QStringLiteral("Acme Tool Co"));
    EXPECT_EQ(proper(QStringLiteral("JOHN A")), QStringLiteral("John A"));
    EXPECT_EQ(proper(QString()), QString());
    EXPECT_EQ(proper(QStringLiteral("a")), QStringLiteral("A"));
    EXPECT_EQ(proper(QStringLiteral("OLD  MILL")), QStringLiteral("Old  Mill"));
    EXPECT_EQ(proper(QStringLiteral("TRAILING ")), QStringLiteral("Trailing "));
    EXPECT_EQ(proper(QStringLiteral("O'NEIL-SMITH INC.")), QStringLiteral("O'neil-smith Inc."));
    EXPECT_EQ(proper(QStringLiteral(" LEAD")), QStringLiteral(" Lead"));
}

TEST(FormUtilities, DigitsOnlyKeyPress) {
    const auto filtered = [](int key) {
        velk::DigitsOnlyKeyPress(key);
        return key;
    };
    EXPECT_EQ(filtered(8), 8) << "backspace";
    EXPECT_EQ(filtered(13), 13) << "Enter";
    EXPECT_EQ(filtered('0'), '0');
    EXPECT_EQ(filtered('9'), '9');
    EXPECT_EQ(filtered('.'), 0);
    EXPECT_EQ(filtered('-'), 0);
    EXPECT_EQ(filtered(' '), 0);
    EXPECT_EQ(filtered('a'), 0);
    EXPECT_EQ(filtered(0xE9), 0);
}

TEST(FormUtilities, SpecialFolderIsDocumentsOrHome) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));

    EXPECT_EQ(velk::GetSpecialFolderPath(5), home.path()) << "no Documents folder: the home folder";
    QDir(home.path()).mkdir(QStringLiteral("Documents"));
    EXPECT_EQ(velk::GetSpecialFolderPath(5), home.filePath(QStringLiteral("Documents")));
    EXPECT_EQ(velk::GetSpecialFolderPath(26), QStringLiteral("Folder Not Valid On this OS"));

    qputenv("HOME", oldHome);
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}
