// The export run on a real database: the rows and their order, the mods and classes read per
// employer, the record limit, and every way it can fail without touching an earlier file.
#include "export_fixture.h"

#include "support/file_size_limit.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace exporting;
using exporttest::ExportFixture;

const QString kSearch = QStringLiteral("SELECT * FROM PRIME WHERE FILE < '2' ORDER BY FILE");

class ExportRun : public ExportFixture {
protected:
    // Three employers in the search, 27 others: the search is exactly a tenth of the data set.
    void makeSearchData(const QString& st = QStringLiteral("PA")) {
        makeDataSet(st);
        addEmployer("1000001", "01", "THE ZEBRA CO", {{"NameSort", "ZEBRA CO"}, {"ZIP", "19103"}, {"ZIPEXT", "1234"}});
        addEmployer("1000002", "01", "ACME TOOL", {{"UserContact", "JO SMITH"}});
        addEmployer("1000003", "01", "MIDDLE INC", {{"ZIP", "15001"}});
        addOthers(27);
    }
    static ExportOptions options(ExportFormat format, SortOrder sort = SortOrder::Name, bool lower = false) {
        return {format, sort, lower};
    }
};

TEST_F(ExportRun, CommaExportInNameOrderWithTheNewestEightModsAndTheListedClasses) {
    makeSearchData();
    // Ten mods, stored out of order; ties of effective date go by expiry, then by issue.
    const char* mods[][4] = {
        {"1998-05-01", "1998-07-01", "1999-07-01", "0.98"}, {"2004-05-01", "2004-07-01", "2005-06-30", "1.2"},
        {"2003-05-01", "2003-07-01", "2004-07-01", "0.93"}, {"2000-05-01", "2000-07-01", "1950-01-01", "0.9"},
        {"2004-05-01", "2004-07-01", "2005-07-01", "1.1"},  {"2002-05-01", "2002-07-01", "2003-07-01", "1"},
        {"1997-05-01", "1997-07-01", "1998-07-01", "0.97"}, {"2003-06-01", "2003-07-01", "2004-07-01", "0.94"},
        {"2001-05-01", "2001-07-01", "2002-07-01", "0.875"}, {"1999-05-01", "1999-07-01", "2000-07-01", "0.99"}};
    for (const auto& m : mods)
        addMod("1000002", "01", m[0], m[1], m[2], QString(m[3]).toDouble());
    addListedClass("8810", "CLERICAL OFFICE  ");
    addListedClass("5183", "PLUMBING");
    for (const char* cls : {"8810", "9999", "5183"})
        addClass("1000002", "01", cls);

    const ExportResult r = run(kSearch, options(ExportFormat::CommaDelimited), target());
    EXPECT_EQ(r.end, ExportEnd::Completed);
    EXPECT_EQ(r.written, 3);
    EXPECT_EQ(progress.companies, 3);
    EXPECT_EQ(progress.counts, (QVector<long long>{1, 2, 3}));
    EXPECT_EQ(keysOf(target()), QStringList({"1000002-01", "1000003-01", "1000001-01"}));
    const QList<QByteArray> lines = linesOf(target());
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("\"FILE\",\"NAME1\","));
    QByteArray expected =
        R"("1000002-01","ACME TOOL","","1 MAIN ST","YORK","PA","17401","717-555-0100","","OWNER","JO SMITH",)"
        R"("3544","2","3"," "," "," ","07/01/2005","1.1","06/30/2005","1.2","07/01/2004","0.94","07/01/2004",)"
        R"("0.93","07/01/2003","1","07/01/2002","0.875","","0.9","07/01/2000","0.99","5183","PLUMBING","8810",)"
        R"("CLERICAL OFFICE","9999","")";
    for (int i = 0; i < 16; ++i)
        expected += R"(,"")";
    EXPECT_EQ(lines[1], expected);
    EXPECT_TRUE(testsupport::readFile(target()).endsWith("\"\"\r\n"));

    ASSERT_EQ(run(kSearch, options(ExportFormat::LimitedFields), target("LIMITED.CSV")).end, ExportEnd::Completed);
    EXPECT_EQ(linesOf(target("LIMITED.CSV")).value(1),
              R"("1000002-01","ACME TOOL","","1 MAIN ST","YORK","PA","17401","717-555-0100","","OWNER","JO SMITH",)"
              R"("3544","2","3"," "," "," ","07/01/2005","1.1","06/30/2005","1.2","07/01/2004","0.94","07/01/2004",)"
              R"("0.93")");
}

TEST_F(ExportRun, ZipOrderAndTheSearchsOwnOrderReplaced) {
    makeSearchData();
    ASSERT_EQ(run(kSearch, options(ExportFormat::TabDelimited, SortOrder::Zip), target()).end, ExportEnd::Completed);
    EXPECT_EQ(linesOf(target()).size(), 4);
    QStringList zips;
    for (const QByteArray& line : linesOf(target()).mid(1))
        zips << QString::fromLatin1(line.split('\t').value(6));
    EXPECT_EQ(zips, QStringList({"\"15001\"", "\"17401\"", "\"19103-1234\""}));

    EXPECT_EQ(reorderedSearch(kSearch, SortOrder::Name), "SELECT * FROM PRIME WHERE FILE < '2' ORDER BY NAMESORT");
    EXPECT_EQ(reorderedSearch("SELECT * FROM PRIME ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1", SortOrder::Zip),
              "SELECT * FROM PRIME ORDER BY ZIP");
    EXPECT_EQ(withoutOrder("SELECT * FROM PRIME WHERE CITY = 'X' ORDER BY NAME1"),
              "SELECT * FROM PRIME WHERE CITY = 'X'");
}

// The name order once walked the whole name index, reading the table at every entry; read by
// the search's rowids it must keep the rows and order of its SQL: no name first, equal names
// (without regard to case) by file number and sequence.
TEST_F(ExportRun, NameOrderIsTheNameIndexsOrderOfTheSearchsRows) {
    makeSearchData();
    addEmployer("1000004", "02", "acme tool");
    addEmployer("1000004", "01", "ACME TOOL");
    addEmployer("1000005", "01", "NO NAME", {{"NameSort", QVariant()}});
    for (int i = 1; i <= 27; ++i) // the search stays within a tenth
        addEmployer(QString::number(8000000 + i), "01", "MORE");
    ASSERT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), target()).end, ExportEnd::Completed);
    const QStringList expected{"1000005-01", "1000002-01", "1000004-01",
                               "1000004-02", "1000003-01", "1000001-01"};
    EXPECT_EQ(keysOf(target()), expected);
    QStringList specified;
    for (auto rs = db->OpenRecordset(reorderedSearch(kSearch, SortOrder::Name)); !rs->atEOF(); rs->MoveNext())
        specified << rs->value("FILE").toString() + "-" + rs->value("SEQUENCE").toString();
    EXPECT_EQ(specified, expected);
}

// Rows are read a few thousand at a time out of the name order: the lines keep it across the
// chunks, rows left out leave no gap.
TEST_F(ExportRun, NameOrderHoldsOverThousandsOfRows) {
    makeDataSet("PA");
    db->execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 82100) "
                "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, FILESEQ, Omit) "
                "SELECT 'PA', printf('%d', 1000000 + i), '01', printf('N%06d', (i * 7919) % 17011), "
                "printf('N%06d', (i * 7919) % 17011), printf('%d01', 1000000 + i), "
                "CASE WHEN i % 7 = 0 THEN 'Y' ELSE ' ' END FROM n");
    const QString search = "SELECT * FROM PRIME WHERE FILE <= '1008210' ORDER BY FILE";
    ASSERT_EQ(run(search, options(ExportFormat::LimitedFields), target()).end, ExportEnd::Completed);
    QStringList specified;
    for (auto rs = db->OpenRecordset(reorderedSearch(search, SortOrder::Name)); !rs->atEOF(); rs->MoveNext())
        if (rs->value("Omit").toString() != "Y")
            specified << rs->value("FILE").toString() + "-" + rs->value("SEQUENCE").toString();
    ASSERT_GT(specified.size(), 7000);
    EXPECT_EQ(keysOf(target()), specified);
}

TEST_F(ExportRun, ASearchValueHoldingOrderByStillExports) {
    makeSearchData();
    addEmployer("1000004", "01", "SORT ORDER BY NAME");
    const QString sql = "SELECT * FROM PRIME WHERE NAME1 = 'SORT ORDER BY NAME' ORDER BY NAME1";
    for (SortOrder sort : {SortOrder::Name, SortOrder::Zip}) {
        ASSERT_EQ(run(sql, options(ExportFormat::LimitedFields, sort), target()).end, ExportEnd::Completed);
        EXPECT_EQ(keysOf(target()), QStringList({"1000004-01"}));
    }
}

TEST_F(ExportRun, ASingleRecordIsExportedFromItsOwnSqlInEveryOrder) {
    makeSearchData();
    const QString sql = "SELECT * FROM PRIME WHERE FILE = '1000003' AND SEQUENCE = '01'";
    for (SortOrder sort : {SortOrder::Name, SortOrder::Expiry, SortOrder::Zip}) {
        ASSERT_EQ(run(sql, options(ExportFormat::CommaDelimited, sort), target()).end, ExportEnd::Completed);
        EXPECT_EQ(keysOf(target()), QStringList({"1000003-01"})) << int(sort);
    }
}

TEST_F(ExportRun, ExpiryOrderGoesByMonthAndDayOfTheNewestModFromDecemberBack) {
    makeDataSet("PA");
    makeReportTemplate();
    addEmployer("1000001", "01", "JANUARY", {{"ZIPEXT", "1234"}, {"UserPhone", "215-555-0199"}});
    addEmployer("1000002", "01", "DECEMBER");
    addEmployer("1000003", "01", "NO MODS", {{"Omit", "Y"}});
    addEmployer("1000004", "01", "NOVEMBER 12");
    addEmployer("1000005", "01", "NOVEMBER 10");
    addEmployer("1000006", "01", "NO MODS EITHER");
    addOthers(54);
    addMod("1000001", "01", "2004-11-01", "2005-01-02", "2006-01-02", 1.1);
    addMod("1000001", "01", "2003-11-01", "2004-12-31", "2005-12-31", 1.2); // older: not the one used
    addMod("1000002", "01", "2003-11-01", "2003-12-31", "2004-12-31", 0.9);
    addMod("1000004", "01", "2005-10-01", "2005-11-12", "2006-11-12", 1);
    addMod("1000005", "01", "1999-10-01", "1999-11-10", "2000-11-10", 1);

    const ExportResult r = run(kSearch, options(ExportFormat::CommaDelimited, SortOrder::Expiry), target());
    ASSERT_EQ(r.end, ExportEnd::Completed);
    EXPECT_EQ(keysOf(target()), QStringList({"1000002-01", "1000004-01", "1000006-01", "1000005-01", "1000001-01"}))
        << "no mods stands with 11 November; the year plays no part";
    // The copy counts every row of the search, omitted ones too; the lines count again from 1.
    EXPECT_EQ(progress.counts, (QVector<long long>{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5}));
    const QList<QByteArray> fields = linesOf(target()).value(5).split(',');
    EXPECT_EQ(fields.value(6), "\"17401-1234\"") << "the extension is joined once";
    EXPECT_EQ(fields.value(7), "\"215-555-0199\"");
    EXPECT_EQ(fields.value(17), "\"01/02/2006\"");
}

TEST_F(ExportRun, ExpiryOrderWithoutTheReportDatabaseSaysSoAndLeavesTheEarlierFile) {
    makeSearchData();
    testsupport::writeFile(target(), "EARLIER");
    boxes.expect("VKEXPORT CMD1 CANNOT FIND SYSTEM DIRECTORY!\nREPORT.MDB is missing from the program folder " +
                     programFolder + ".",
                 ui::vbOK);
    EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited, SortOrder::Expiry), target()).end,
              ExportEnd::NoWorkingCopy);
    EXPECT_EQ(testsupport::readFile(target()), "EARLIER");
    EXPECT_EQ(outputFiles(), QStringList({"EXPORT.CSV"}));
}

TEST_F(ExportRun, OmittedAndUnmarkedRecordsAreLeftOutAndNotCounted) {
    makeSearchData();
    db->execute("UPDATE PRIME SET Omit = 'Y' WHERE FILE = '1000001'");
    db->execute("UPDATE PRIME SET Omit = NULL WHERE FILE = '1000003'");
    const ExportResult r = run(kSearch, options(ExportFormat::CommaDelimited), target());
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(progress.companies, 3) << "the count message counts the whole search";
    EXPECT_EQ(progress.counts, QVector<long long>{1});
    EXPECT_EQ(keysOf(target()), QStringList({"1000002-01"}));
}

TEST_F(ExportRun, RecordLimitPassesATenthAndRefusesOneMoreLeavingTheEarlierFile) {
    makeDataSet("PA");
    for (const char* file : {"1000001", "1000002", "1000003"})
        addEmployer(file, "01", "COMPANY");
    addOthers(17); // 20 employers
    testsupport::writeFile(target(), "EARLIER");
    ASSERT_EQ(run("SELECT * FROM PRIME WHERE FILE < '1000003' ORDER BY FILE", options(ExportFormat::CommaDelimited),
                  target()).end,
              ExportEnd::Completed);
    EXPECT_EQ(keysOf(target()).size(), 2);

    testsupport::writeFile(target(), "EARLIER");
    progress = {};
    db->execute("UPDATE PRIME SET Omit = 'Y' WHERE FILE = '1000003'"); // omitted ones count too
    boxes.expect("YOU ARE EXPORTING TOO MUCH DATA", ui::vbOK);
    EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), target()).end, ExportEnd::TooMuchData);
    EXPECT_EQ(boxes.shown().value(0).style, ui::vbOKOnly);
    EXPECT_EQ(testsupport::readFile(target()), "EARLIER");
    EXPECT_EQ(outputFiles(), QStringList({"EXPORT.CSV"}));
    EXPECT_TRUE(progress.counts.isEmpty());

    const std::tuple<long long, long long, bool> cases[] = {
        {0, 0, false}, {1, 10, false}, {2, 10, true}, {50000, 500000, false}, {50001, 500000, true}, {1, 9, true}};
    for (const auto& [n, all, refused] : cases)
        EXPECT_EQ(exceedsRecordLimit(n, all), refused) << n << " of " << all;
}

TEST_F(ExportRun, FixedLengthNewJerseyFileHasNoHeaderAndFullLines) {
    makeSearchData("NJ");
    db->execute("UPDATE PRIME SET NJAR = 9805, NJPPAP = 'A12', NJCCPAP = ' ', ARESTPREM = '0012345', "
                "ARTOTPREM = '0054321', ARTOTLOSS = '0001000' WHERE FILE = '1000002'");
    db->execute("UPDATE PRIME SET NAME1 = 'CAFÉ ROMA' WHERE FILE = '1000003'");
    ASSERT_EQ(run(kSearch, options(ExportFormat::FixedLength, SortOrder::Name, true), target("EXPORT.TXT")).end,
              ExportEnd::Completed);
    const QList<QByteArray> lines = linesOf(target("EXPORT.TXT"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("1000002-01Acme Tool   "));
    EXPECT_TRUE(lines[1].startsWith("1000003-01Caf\xE9 Roma   ")) << lines[1].constData();
    for (const QByteArray& line : lines)
        EXPECT_EQ(line.size(), 10 + 1005);
    EXPECT_EQ(lines[0].mid(10 + 967), "A12   9805 0012345  0054321  0001000  ");
    EXPECT_EQ(lines[1].mid(10 + 967), QByteArray(38, ' '));
}

TEST_F(ExportRun, AFileThatCannotBeMadeIsSaidAndNothingIsWritten) {
    makeSearchData();
    boxes.expectContaining("CANNOT CREATE OUTPUT FILE!\n\n" + path("missing/EXPORT.CSV"), ui::vbOK);
    EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), path("missing/EXPORT.CSV")).end,
              ExportEnd::CannotCreate);
    EXPECT_FALSE(QFileInfo::exists(path("missing")));

    QDir().mkpath(target());
    boxes.expect("CANNOT CREATE OUTPUT FILE!\n\n" + target() + " is a folder.", ui::vbOK);
    EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), target()).end, ExportEnd::CannotCreate);
    EXPECT_TRUE(QFileInfo(target()).isDir());
    // A named pipe was once called a folder too.
    const QString pipe = path("PIPE.CSV");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    boxes.expect("CANNOT CREATE OUTPUT FILE!\n\n" + pipe + " is a named pipe.", ui::vbOK);
    EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), pipe).end, ExportEnd::CannotCreate);
    EXPECT_TRUE(progress.counts.isEmpty());
}

TEST_F(ExportRun, FailuresAfterTheFileIsBegunLeaveTheEarlierFileWhole) {
    makeSearchData();
    testsupport::writeFile(target(), "EARLIER");

    // The data set's database refuses the connection.
    const dataset::DataSet right = dataSet;
    dataSet.connect = ";PWD=wrong";
    boxes.expectContaining("The export was not written; an earlier file of that name is as it was.", ui::vbOK);
    EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), target()).end, ExportEnd::Failed);
    dataSet = right;

    // A search that cannot be read.
    boxes.expectContaining("an earlier file of that name is as it was.", ui::vbOK);
    EXPECT_EQ(run("SELECT * FROM PRIME WHERE NOSUCH = 1 ORDER BY FILE", options(ExportFormat::CommaDelimited),
                  target()).end,
              ExportEnd::Failed);

    // The disk fills while the lines are written.
    {
        testsupport::FileSizeLimit limit(100);
        boxes.expectContaining("File too large", ui::vbOK);
        EXPECT_EQ(run(kSearch, options(ExportFormat::CommaDelimited), target()).end, ExportEnd::Failed);
    }
    EXPECT_EQ(testsupport::readFile(target()), "EARLIER");
    EXPECT_EQ(outputFiles(), QStringList({"EXPORT.CSV"}));
}

} // namespace
