#include "other_copy.h"
#include "platform/locks/run_folder.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Another running copy of the program with its run folder.
class OtherCopy : public lockstest::OtherCopy {
public:
    explicit OtherCopy(const QString& parent)
        : lockstest::OtherCopy([&](const Hold& hold) {
              locks::RunFolder own(parent);
              hold(QFile::encodeName(own.path()));
          }),
          folder(QFile::decodeName(answer)) {}
    QString folder;
};

bool exists(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir();
}

} // namespace

TEST(RunFolder, EachCopyHasItsOwnAndOnlyTheFoldersOfEndedCopiesAreRemoved) {
    QTemporaryDir parent;
    OtherCopy running(parent.path());
    OtherCopy killed(parent.path());
    killed.die();
    ASSERT_TRUE(exists(running.folder));
    ASSERT_TRUE(exists(killed.folder)) << "a copy that dies leaves its folder";

    locks::RunFolder here(parent.path());
    ASSERT_TRUE(here.ok()) << here.error().toStdString();
    EXPECT_NE(here.path(), running.folder);
    EXPECT_EQ(locks::removeAbandonedRunFolders(parent.path()), 1);
    EXPECT_FALSE(exists(killed.folder));
    EXPECT_TRUE(exists(running.folder)) << "the folder of a copy still running is kept";
    EXPECT_TRUE(exists(here.path()));

    running.end();
    EXPECT_FALSE(exists(running.folder)) << "a copy that ends removes its own";
}
