// A fresh temporary folder per test, removed afterwards.
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace testsupport {

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tempDir_.isValid()) << "cannot create a temporary folder"; }

    // Path of name inside the folder.
    QString path(const QString& name) const { return tempDir_.filePath(name); }
    QString folder() const { return tempDir_.path(); }
    // Names of the files in the folder, hidden ones included, sorted.
    QStringList files() const {
        return QDir(tempDir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QTemporaryDir tempDir_;
};

} // namespace testsupport
