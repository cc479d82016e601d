// Workspace names, folders and VELK.INI, without the dialog.
#include "app/workspace_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path, const QByteArray& contents = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

} // namespace

TEST(WorkspaceRules, NameChecks) {
    for (const QString& bad :
         {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("/abs"),
          QStringLiteral("a\\b"), QStringLiteral("a\"b"), QStringLiteral("a\tb"), QStringLiteral("a\rb"),
          QStringLiteral("del\x7f"), QString(QChar(0x85))})
        EXPECT_FALSE(velk::workspaceNameProblem(bad).isEmpty()) << bad.toStdString();
    for (const QString& good : {QStringLiteral("INITIAL"), QStringLiteral("My Work"), QStringLiteral("x.y"),
                                QStringLiteral("..."), QStringLiteral("Ölfirmen"), QStringLiteral("it's")})
        EXPECT_TRUE(velk::workspaceNameProblem(good).isEmpty()) << good.toStdString();
}

TEST(WorkspaceRules, ListingHoldsSortedRealFoldersOnly) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    for (const char* name : {"b", "A", "c", "INITIAL"})
        dir.mkdir(QString::fromLatin1(name));
    touch(tmp.filePath(QStringLiteral("file.txt")));
    QFile::link(tmp.filePath(QStringLiteral("b")), tmp.filePath(QStringLiteral("link")));
    EXPECT_EQ(velk::listWorkspaces(tmp.path()), QStringList({"A", "b", "c", "INITIAL"}));
    EXPECT_TRUE(velk::listWorkspaces(tmp.filePath(QStringLiteral("missing"))).isEmpty());
}

TEST(WorkspaceRules, SavedSearchesAreFoundInAnyCase) {
    QTemporaryDir tmp;
    EXPECT_FALSE(velk::hasSavedSearches(tmp.path()));
    touch(tmp.filePath(QStringLiteral("notes.txt")));
    EXPECT_FALSE(velk::hasSavedSearches(tmp.path()));
    touch(tmp.filePath(QStringLiteral("untitled.vkd")));
    EXPECT_TRUE(velk::hasSavedSearches(tmp.path()));
}

TEST(WorkspaceRules, DeletingRemovesPlainFilesOnly) {
    QTemporaryDir tmp;
    const QString ws = tmp.filePath(QStringLiteral("ws"));
    QDir().mkdir(ws);
    touch(ws + QStringLiteral("/SEARCH1.VKD"));
    touch(ws + QStringLiteral("/.hidden"));
    EXPECT_TRUE(velk::deleteWorkspaceFolder(ws));
    EXPECT_FALSE(QFileInfo::exists(ws));

    // A link inside is not followed: its target survives, and the folder stays.
    const QString outside = tmp.filePath(QStringLiteral("precious.txt"));
    touch(outside, "keep me");
    QDir().mkdir(ws);
    touch(ws + QStringLiteral("/a.VKD"));
    ASSERT_TRUE(QFile::link(outside, ws + QStringLiteral("/link.txt")));
    EXPECT_FALSE(velk::deleteWorkspaceFolder(ws));
    EXPECT_TRUE(QFileInfo::exists(outside));
    QFile f(outside);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

TEST(WorkspaceRules, AWorkspaceThatIsALinkIsNotDeleted) {
    QTemporaryDir tmp;
    const QString target = tmp.filePath(QStringLiteral("target"));
    QDir().mkdir(target);
    touch(target + QStringLiteral("/SEARCH1.VKD"));
    const QString link = tmp.filePath(QStringLiteral("ws"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_FALSE(velk::deleteWorkspaceFolder(link));
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral("/SEARCH1.VKD")));
}

TEST(WorkspaceRules, IniRoundTrip) {
    QTemporaryDir tmp;
    const QString path = velk::iniPath(tmp.path() + QStringLiteral("/"));
    EXPECT_EQ(path, tmp.path() + QStringLiteral("/VELK.INI"));
    EXPECT_EQ(velk::iniPath(QString()), QString());
    EXPECT_FALSE(velk::readIni(path).has_value()) << "missing file";

    ASSERT_TRUE(velk::writeIni(path, {QStringLiteral("My Work"), QStringLiteral("NJ")}));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\"My Work\",\"NJ\"\r\n"));
    f.close();
    const auto choice = velk::readIni(path);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->workspace, QStringLiteral("My Work"));
    EXPECT_EQ(choice->state, QStringLiteral("NJ"));

    ASSERT_TRUE(velk::writeIni(path, {QStringLiteral("Other"), QStringLiteral("PA")})) << "replaces the file";
    EXPECT_EQ(velk::readIni(path)->workspace, QStringLiteral("Other"));

    touch(path, "\"OnlyOne\"\r\n");
    EXPECT_FALSE(velk::readIni(path).has_value());
    touch(path, "\"A\",\"NY\"\n"); // a line end without CR is read all the same
    EXPECT_EQ(velk::readIni(path)->state, QStringLiteral("NY"));
    touch(path, "");
    EXPECT_FALSE(velk::readIni(path).has_value());
    EXPECT_FALSE(velk::writeIni(QString(), {QStringLiteral("A"), QStringLiteral("PA")}));
}
