// Saved-search files: the exact bytes written and read back, and the files that cannot be read.
#include "search/search_file.h"

#include "search_test_support.h"

#include <QDir>
#include <QFileInfo>

using namespace search;
using searchtest::line;
using searchtest::readBytes;
using searchtest::writeBytes;

namespace {

SQLPARAMETER lookup(const QString& field, const QString& from, const QString& thru, const QString& code,
                    bool exclude = false) {
    SQLPARAMETER p;
    p.SQLFIELD = field;
    p.SQLFROM = from;
    p.SQLTHRU = thru;
    p.SQLEXPR = code;
    p.SQLEXCLUDE = exclude;
    return p;
}

} // namespace

TEST(SearchFile, Names) {
    EXPECT_EQ(searchFileName(1), "SEARCH1.VKD");
    EXPECT_EQ(searchFileName(8), "SEARCH8.VKD");
    EXPECT_EQ(twinName("SEARCH3.VKD"), "SEARCH3.XCL");
    EXPECT_EQ(twinName("UNTITLED.VKD"), "UNTITLED.XCL");
}

TEST(SearchFile, WrittenByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SEARCH1.VKD");
    // SQLDESC of the lookups is not what is written: the title given is, on every line.
    SqlParameters lookups{lookup("County", "001", "005", "COUNTY"),
                          lookup("Expiration Date", "0101", "0331", "EXPIRE"),
                          lookup("Class Code", "8810", "8810", "CLASS", true)};
    lookups[0].SQLDESC = "ignored";
    QString error;
    ASSERT_TRUE(writeSearchFile(path, "North", lookups, &error)) << error.toStdString();
    EXPECT_EQ(readBytes(path),
              QByteArray("\"North\",\"County\",\"001\",\"005\",\"COUNTY\",#FALSE#\r\n"
                         "\"North\",\"Expiration Date\",\"0101\",\"0331\",\"EXPIRE\",#FALSE#\r\n"
                         "\"North\",\"Class Code\",\"8810\",\"8810\",\"CLASS\",#TRUE#\r\n"));

    SqlParameters back;
    ASSERT_TRUE(readSearchFile(path, &back, &error)) << error.toStdString();
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back[1].SQLDESC, "North");
    EXPECT_EQ(back[1].SQLFROM, "0101"); // text, leading zero kept
    EXPECT_FALSE(back[1].SQLEXCLUDE);
    EXPECT_TRUE(back[2].SQLEXCLUDE);
    for (SQLPARAMETER& p : back)
        p.SQLDESC.clear();
    lookups[0].SQLDESC.clear();
    EXPECT_EQ(back, lookups);
    // Written again from what was read: the same bytes.
    EXPECT_EQ(formatSearchFile("North", back), readBytes(path));
}

TEST(SearchFile, WindowsCodePageAndCommasInsideQuotes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("UNTITLED.VKD");
    const QString title = QString::fromUtf8("Café, Müller & O'Brien");
    ASSERT_TRUE(writeSearchFile(path, title, {lookup("Employer Name", "O'BRIEN", "O'BRIEN, Z", "NAME1")}));
    EXPECT_EQ(readBytes(path), QByteArray("\"Caf\xE9, M\xFCller & O'Brien\",\"Employer "
                                          "Name\",\"O'BRIEN\",\"O'BRIEN, Z\",\"NAME1\",#FALSE#\r\n"));
    SqlParameters back;
    ASSERT_TRUE(readSearchFile(path, &back));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].SQLDESC, title);
    EXPECT_EQ(back[0].SQLTHRU, "O'BRIEN, Z");
}

TEST(SearchFile, ReadingTolerance) {
    SqlParameters got;
    // LF line ends, blanks around an unquoted Boolean, lines with different titles.
    ASSERT_TRUE(parseSearchFile("\"A\",\"Zip Code\",\"19000\",\"19099\",\"ZIP\", #TRUE# \n"
                                "\"B\",\"Zip Code\",\"19300\",\"19399\",\"ZIP\",#FALSE#\n",
                                &got));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].SQLDESC, "A");
    EXPECT_TRUE(got[0].SQLEXCLUDE);
    EXPECT_EQ(got[1].SQLDESC, "B");
    // An empty file is an empty search.
    ASSERT_TRUE(parseSearchFile("", &got));
    EXPECT_TRUE(got.isEmpty());
}

TEST(SearchFile, MalformedFilesAreRefusedWithTheLine) {
    SqlParameters got;
    QString error;
    EXPECT_FALSE(parseSearchFile(line("T", "County", "001", "005", "COUNTY") + "\"T\",\"County\",\"001\"\r\n",
                                 &got, &error));
    EXPECT_TRUE(error.contains("Line 2")) << error.toStdString();
    EXPECT_FALSE(parseSearchFile("\"T\",\"County\",\"001\",\"005\",\"COUNTY\",maybe\r\n", &got, &error));
    EXPECT_FALSE(parseSearchFile("\"T,\"County\r\n", &got, &error));

    QTemporaryDir dir;
    EXPECT_FALSE(readSearchFile(dir.filePath("SEARCH9.VKD"), &got, &error));
    EXPECT_TRUE(error.contains("SEARCH9.VKD")) << error.toStdString();
}

TEST(SearchFile, TitleOfTheFirstLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SEARCH2.VKD");
    writeBytes(path,
               line("First", "County", "001", "005", "COUNTY") + line("Second", "Zip Code", "1", "2", "ZIP"));
    QString title, error;
    ASSERT_TRUE(readSearchTitle(path, &title, &error));
    EXPECT_EQ(title, "First");
    writeBytes(path, "");
    EXPECT_FALSE(readSearchTitle(path, &title, &error));
    EXPECT_TRUE(error.contains("empty")) << error.toStdString();
}

TEST(SearchFile, TextThatCannotReadBackIsRefusedAndTheOldFileKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SEARCH1.VKD");
    const QByteArray old = line("Old", "County", "001", "005", "COUNTY");
    writeBytes(path, old);
    QString error;
    EXPECT_FALSE(writeSearchFile(path, "Say \"hi\"", {lookup("County", "1", "2", "COUNTY")}, &error));
    EXPECT_FALSE(
        writeSearchFile(path, "T", {lookup("County", QString::fromUtf8("\u4e2d"), "2", "COUNTY")}, &error));
    EXPECT_FALSE(writeSearchFile(path, "T", {lookup("County", "1\r\n", "2", "COUNTY")}, &error));
    EXPECT_EQ(readBytes(path), old);
    // A folder that does not exist: an error naming the file, nothing reported as saved.
    EXPECT_FALSE(writeSearchFile(dir.filePath("gone/SEARCH1.VKD"), "T",
                                 {lookup("County", "1", "2", "COUNTY")}, &error));
    EXPECT_TRUE(error.contains("SEARCH1.VKD")) << error.toStdString();
    // Replacing leaves no temporary file behind.
    ASSERT_TRUE(writeSearchFile(path, "New", {lookup("County", "1", "2", "COUNTY")}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"SEARCH1.VKD"});
}
