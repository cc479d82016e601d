// The shared form helpers: centring, temporary folder, proper case, digits-only keys, special folders.
#include "app/form_helpers.h"
#include "dataset/text_rules.h"
#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/key_filter.h"

#include <QDir>
#include <QTemporaryDir>

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

TEST(FormUtilities, TempDirEndsInOneSeparator) {
    QTemporaryDir tmp;
    files::setTempDirOverride(tmp.filePath("state/"));
    EXPECT_EQ(velk::GetTempDir(), tmp.filePath("state") + "/");
    files::setTempDirOverride(tmp.filePath("plain"));
    EXPECT_EQ(velk::GetTempDir(), tmp.filePath("plain") + "/");
    files::setTempDirOverride(QString());
}

TEST(FormUtilities, ProperCase) {
    const std::pair<QString, QString> cases[] = {
        {"ACME TOOL CO", "Acme Tool Co"},
        {"JOHN A", "John A"},
        {"", ""},
        {"a", "A"},
        {"OLD  MILL", "Old  Mill"},
        {"TRAILING ", "Trailing "},
        {" LEAD", " Lead"},
        {"O'NEIL-SMITH INC.", "O'neil-smith Inc."},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(dataset::properCase(text), expected);
}

TEST(FormUtilities, DigitsOnlyKeyPress) {
    // Backspace, Enter and digits pass; anything else is swallowed.
    const std::pair<int, int> cases[] = {{8, 8},   {13, 13}, {'0', '0'}, {'9', '9'}, {'.', 0},
                                         {'-', 0}, {' ', 0}, {'a', 0},   {0xE9, 0}};
    for (const auto& [key, expected] : cases) {
        int filtered = key;
        EXPECT_EQ(ui::digitsOnlyKey(filtered), expected == 0) << "a beep for a swallowed key " << key;
        EXPECT_EQ(filtered, expected) << "key " << key;
    }
}

TEST(FormUtilities, SpecialFolderIsDocumentsOrHome) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));

    EXPECT_EQ(velk::GetSpecialFolderPath(5), home.path()) << "no Documents folder: the home folder";
    QDir(home.path()).mkdir("Documents");
    EXPECT_EQ(velk::GetSpecialFolderPath(5), home.filePath("Documents"));
    EXPECT_EQ(velk::GetSpecialFolderPath(26), "Folder Not Valid On this OS");

    qputenv("HOME", oldHome);
    oldConfig.isEmpty() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfig);
}
