// Saved-search files: the exact bytes written and read back, and the files that cannot be read.
#include "search/search_file.h"

#include "search_test_support.h"

#include <QDir>
#include <QTemporaryDir>

using namespace search;
using searchtest::exc;
using searchtest::inc;
using searchtest::line;
using searchtest::readBytes;
using searchtest::writeBytes;

TEST(SearchFile, WrittenByteForByte) {
    EXPECT_EQ(searchFileName(8), "SEARCH8.VKD");
    EXPECT_EQ(twinName("SEARCH3.VKD"), "SEARCH3.XCL");
    EXPECT_EQ(twinName("UNTITLED.VKD"), "UNTITLED.XCL");
    QTemporaryDir dir;
    const QString path = dir.filePath("SEARCH1.VKD");
    // SQLDESC of the lookups is not what is written: the title given is, on every line.
    SqlParameters lookups{inc("COUNTY", "001", "005", "County"),
                          inc("EXPIRE", "0101", "0331", "Expiration Date"),
                          exc("CLASS", "8810", "8810", "Class Code")};
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
    for (SQLPARAMETER& p : lookups)
        p.SQLDESC = "North";
    EXPECT_EQ(back, lookups); // values stay text: the leading zero of "0101" is kept
    // Written again from what was read: the same bytes.
    EXPECT_EQ(formatSearchFile("North", back), readBytes(path));
}

TEST(SearchFile, WindowsCodePageAndCommasInsideQuotes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("UNTITLED.VKD");
    const QString title = QString::fromUtf8("Café, Müller & O'Brien");
    ASSERT_TRUE(writeSearchFile(path, title, {inc("NAME1", "O'BRIEN", "O'BRIEN, Z", "Employer Name")}));
    EXPECT_EQ(readBytes(path), QByteArray("\"Caf\xE9, M\xFCller & O'Brien\",\"Employer "
                                          "Name\",\"O'BRIEN\",\"O'BRIEN, Z\",\"NAME1\",#FALSE#\r\n"));
    SqlParameters back;
    ASSERT_TRUE(readSearchFile(path, &back));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].SQLDESC, title);
    EXPECT_EQ(back[0].SQLTHRU, "O'BRIEN, Z");
}

TEST(SearchFile, ReadingToleranceAndMalformedFiles) {
    SqlParameters got;
    // LF line ends, blanks around an unquoted Boolean, lines with different titles.
    ASSERT_TRUE(parseSearchFile("\"A\",\"Zip Code\",\"19000\",\"19099\",\"ZIP\", #TRUE# \n"
                                "\"B\",\"Zip Code\",\"19300\",\"19399\",\"ZIP\",#FALSE#\n",
                                &got));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].SQLDESC, "A");
    EXPECT_TRUE(got[0].SQLEXCLUDE);
    EXPECT_EQ(got[1].SQLDESC, "B");
    ASSERT_TRUE(parseSearchFile("", &got)); // an empty file is an empty search
    EXPECT_TRUE(got.isEmpty());

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
    const SQLPARAMETER county = inc("COUNTY", "1", "2", "County");
    QString error;
    EXPECT_FALSE(writeSearchFile(path, "Say \"hi\"", {county}, &error));
    SQLPARAMETER foreign = county;
    foreign.SQLFROM = QString::fromUtf8("\u4e2d");
    EXPECT_FALSE(writeSearchFile(path, "T", {foreign}, &error));
    EXPECT_FALSE(writeSearchFile(path, "T", {inc("COUNTY", "1\r\n", "2", "County")}, &error));
    EXPECT_EQ(readBytes(path), old);
    // A folder that does not exist: an error naming the file, nothing reported as saved.
    EXPECT_FALSE(writeSearchFile(dir.filePath("gone/SEARCH1.VKD"), "T", {county}, &error));
    EXPECT_TRUE(error.contains("SEARCH1.VKD")) << error.toStdString();
    // Replacing leaves no temporary file behind.
    ASSERT_TRUE(writeSearchFile(path, "New", {county}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"SEARCH1.VKD"});
}
