// A fresh temporary folder per test, removed afterwards, and whole-file reads and writes.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace testsupport {

// The whole contents of path; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Permission bits of a file; 0 when it is missing.
inline mode_t modeOf(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Replaces path with contents; a failure fails the test.
inline void writeFile(const QString& path, const QByteArray& contents = QByteArray()) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(contents) == contents.size())
        << "cannot write " << path.toStdString();
}

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
