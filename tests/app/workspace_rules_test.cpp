// Workspace names, folders and VELK.INI, without the dialog.
#include "app/workspace_rules.h"
#include "support/temp_dir.h"

#include <QFileInfo>

#include <sys/stat.h>

using testsupport::readFile;
using testsupport::writeFile;
using WorkspaceRules = testsupport::TempDirTest;

TEST(WorkspaceNames, UnusableNamesAreRefused) {
    for (const QString& bad :
         {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("/abs"),
          QStringLiteral("..\\up"), QStringLiteral("a\"b"), QStringLiteral("a\tb"),
          QStringLiteral("nl\nhere"), QStringLiteral("del\x7f"), QString(QChar(0x85))})
        EXPECT_FALSE(velk::workspaceNameProblem(bad).isEmpty()) << bad.toStdString();
    for (const QString& good : {QStringLiteral("INITIAL"), QStringLiteral("My Work"), QStringLiteral("x.y"),
                                QStringLiteral("..."), QStringLiteral("Ölfirmen"), QStringLiteral("it's")})
        EXPECT_TRUE(velk::workspaceNameProblem(good).isEmpty()) << good.toStdString();
}

TEST_F(WorkspaceRules, MissingFolderListsNothingAndSearchesAreFoundInAnyCase) {
    EXPECT_TRUE(velk::listWorkspaces(path("missing")).isEmpty());
    EXPECT_FALSE(velk::hasSavedSearches(folder()));
    writeFile(path("notes.txt"));
    EXPECT_FALSE(velk::hasSavedSearches(folder()));
    writeFile(path("untitled.vkd"));
    EXPECT_TRUE(velk::hasSavedSearches(folder()));
}

TEST_F(WorkspaceRules, DeletingRemovesPlainFilesOnlyAndFollowsNoLink) {
    const QString ws = path("ws");
    QDir().mkdir(ws);
    writeFile(ws + "/SEARCH1.VKD");
    writeFile(ws + "/.hidden");
    EXPECT_TRUE(velk::deleteWorkspaceFolder(ws));
    EXPECT_FALSE(QFileInfo::exists(ws));

    // A link inside is not followed: its target survives, and the folder stays.
    writeFile(path("precious.txt"), "keep me");
    QDir().mkdir(ws);
    writeFile(ws + "/a.VKD");
    ASSERT_TRUE(QFile::link(path("precious.txt"), ws + "/link.txt"));
    EXPECT_FALSE(velk::deleteWorkspaceFolder(ws));
    EXPECT_EQ(readFile(path("precious.txt")), "keep me");

    // Nor is a workspace that is itself a link.
    QDir().mkdir(path("target"));
    writeFile(path("target/SEARCH1.VKD"));
    ASSERT_TRUE(QFile::link(path("target"), path("linked")));
    EXPECT_FALSE(velk::deleteWorkspaceFolder(path("linked")));
    EXPECT_TRUE(QFileInfo::exists(path("target/SEARCH1.VKD")));
}

TEST_F(WorkspaceRules, IniThatCannotBeReadOrWritten) {
    const QString ini = velk::iniPath(folder() + "/");
    EXPECT_EQ(ini, path("VELK.INI"));
    EXPECT_EQ(velk::iniPath(QString()), QString());
    EXPECT_FALSE(velk::readIni(ini).has_value()) << "missing file";
    writeFile(ini, "\"OnlyOne\"\r\n");
    EXPECT_FALSE(velk::readIni(ini).has_value());
    writeFile(ini, "");
    EXPECT_FALSE(velk::readIni(ini).has_value());
    writeFile(ini, "\"A\",\"NY\"\n"); // a line end without CR is read all the same
    EXPECT_EQ(velk::readIni(ini)->state, "NY");
    EXPECT_FALSE(velk::writeIni(QString(), {"A", "PA"}));
    // A link planted in its place is not followed, nor is a FIFO waited on.
    writeFile(path("elsewhere"), "\"Planted\",\"NY\"\r\n");
    QFile::remove(ini);
    ASSERT_TRUE(QFile::link(path("elsewhere"), ini));
    EXPECT_FALSE(velk::readIni(ini).has_value());
    QFile::remove(ini);
    ASSERT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    EXPECT_FALSE(velk::readIni(ini).has_value());
}

TEST_F(WorkspaceRules, IniIsWrittenInUtf8AndAnEarlierWindows1252FileStillReads) {
    const QString ini = path("VELK.INI");
    const QString name = QStringLiteral("Работа Zürich €"); // Cyrillic has no Windows-1252 byte
    ASSERT_TRUE(velk::writeIni(ini, {name, "PA"}));
    EXPECT_EQ(readFile(ini), "\"" + name.toUtf8() + "\",\"PA\"\r\n");
    EXPECT_EQ(velk::readIni(ini)->workspace, name);
    const std::pair<QByteArray, QString> earlier[] = {
        {"\"Caf\xe9\",\"NJ\"\r\n", QStringLiteral("Café")},
        {"\"\x80 Kunden\",\"NJ\"\r\n", QStringLiteral("€ Kunden")},
        {"\"Plain\",\"NJ\"\r\n", QStringLiteral("Plain")},
    };
    for (const auto& [bytes, workspace] : earlier) {
        writeFile(ini, bytes);
        EXPECT_EQ(velk::readIni(ini)->workspace, workspace) << bytes.toStdString();
    }
}
