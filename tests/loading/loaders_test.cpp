// The loaders against a real state database: what each writes, batches and progress, cancel,
// failures, and the notes that must survive a release.
#include "loading/loaders.h"
#include "loading_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace loading;
using namespace loadingtest;

namespace {

QByteArray sic(const QByteArray& code5, const QByteArray& desc) {
    return Golden(52).put(1, code5).put(9, desc).rec;
}
QByteArray classList(const QByteArray& code, const QByteArray& desc) {
    return Golden(57).put(2, code).put(6, desc).rec;
}
QByteArray county(const QByteArray& code, const QByteArray& name) {
    return Golden(36).put(2, code).put(5, name).rec;
}

// n standard PA employers 1000001.. with one used slot each.
QList<QByteArray> employers(int n, int first = 1) {
    QList<QByteArray> recs;
    for (int i = first; i < first + n; ++i) {
        Golden g = standardEmployer("PA", QByteArray::number(1000000 + i), "01",
                                    "EMPLOYER " + QByteArray::number(i));
        g.put(195, "990315990401000315"
                   "0950");
        recs << g.rec;
    }
    return recs;
}

} // namespace

class CodeLoaders : public LoadingTest {};

TEST_F(CodeLoaders, SicCodesByLengthRuleFirstOfDuplicatesKept) {
    openState("PA");
    writeFile("sic.dat", {sic(" 15  ", "CONSTRUCTION"), sic(" 1521", "HOUSES"), sic(" 152 ", "THREE"),
                          Golden(52).rec, sic(" 1521", "REPEATED"), sic("\x1a    ", "EOF")});
    NEWSICSTD(ctx_);
    EXPECT_FALSE(exists("sic.dat")); // found without regard to case, deleted when done
    EXPECT_EQ(count("SICCODES"), 2);
    EXPECT_EQ(value("SELECT [DESC] FROM SICCODES WHERE CODE = '0015'").toString(),
              QString("CONSTRUCTION").leftJustified(42));
    EXPECT_EQ(value("SELECT [DESC] FROM SICCODES WHERE CODE = '1521'").toString(),
              QString("HOUSES").leftJustified(42));
    EXPECT_EQ(ctx_.refusedCount(), 1);
    EXPECT_TRUE(ctx_.refusalSummary().contains("SIC.DAT: 1 "));
    EXPECT_TRUE(progress_.isEmpty()); // plain loaders show nothing
}

TEST_F(CodeLoaders, ClassListAndCountyFilterAndReplace) {
    openState("PA");
    db_->execute("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('777', 'OLD RELEASE')");
    writeFile("CLASSES.DAT", {classList("8810", "CLERICAL"), Golden(57).put(1, "  8742").rec,
                              Golden(57).put(1, " A123DESC").rec, classList("8810", "AGAIN")});
    writeFile("CTYPA.DAT", {county("003", "ALLEGHENY"), Golden(36).rec, county("003", "AGAIN"),
                            county("101", "PHILADELPHIA")});
    NEWCLASSLISTSTD(ctx_);
    NEWCOUNTYSTD(ctx_);
    EXPECT_EQ(count("CLASSLIST"), 2); // the two-blank record is skipped, " A123" is loaded
    EXPECT_EQ(value("SELECT [DESC] FROM CLASSLIST WHERE CLASS = '8810'").toString(),
              QString("CLERICAL").leftJustified(50));
    EXPECT_EQ(value("SELECT [DESC] FROM CLASSLIST WHERE CLASS = 'A123'").toString(),
              QString("DESC").leftJustified(50));
    EXPECT_EQ(count("COUNTY"), 2);
    EXPECT_EQ(count("COUNTY", "CODE = '777'"), 0); // emptied first
    EXPECT_EQ(value("SELECT COUNTY FROM COUNTY WHERE CODE = '003'").toString(),
              QString("ALLEGHENY").leftJustified(30));
    EXPECT_EQ(ctx_.refusedCount(), 2);
    EXPECT_FALSE(exists("CLASSES.DAT"));
    EXPECT_FALSE(exists("CTYPA.DAT"));
}

class ClassLoaders : public LoadingTest {};

TEST_F(ClassLoaders, StandardLinesWithDescriptionsAndRepeats) {
    openState("PA");
    db_->execute("INSERT INTO CLASSLIST (CLASS, [DESC]) VALUES ('5403', 'CARPENTRY')");
    writeFile("DATA1PA.DAT", {
                                 standardClassLine("5403", "1000001", "01", "00250"),
                                 standardClassLine("0999", "1000001", "01", "01000"), // unknown code
                                 Golden(52).rec, // skipped, still counted
                                 standardClassLine("5403", "1000001", "01", "00250"), // same cost: unchanged
                                 standardClassLine("5403", "1000002", "01", "  X  "), // not a number, new row
                                 standardClassLine("5403", "1000002", "01", "00300"),
                                 standardClassLine("5403", "1000002", "01", "  X  "), // keeps 3.00
                             });
    NEWCLASSSTD(ctx_);
    EXPECT_FALSE(exists("DATA1PA.DAT"));
    EXPECT_EQ(count("CLASS"), 3);
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS WHERE FILE = '1000001' AND CLASS = '5403'").toDouble(), 2.5);
    EXPECT_EQ(value("SELECT CLASSDESC FROM CLASS WHERE FILE = '1000001' AND CLASS = '5403'").toString(),
              "CARPENTRY");
    EXPECT_EQ(value("SELECT FILESEQ FROM CLASS WHERE FILE = '1000001' AND CLASS = '5403'").toString(),
              "100000101");
    EXPECT_TRUE(isNullValue("SELECT CLASSDESC FROM CLASS WHERE CLASS = '0999'"));
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS WHERE CLASS = '0999'").toDouble(), 10.0);
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS WHERE FILE = '1000002'").toDouble(), 3.0);
    EXPECT_EQ(ctx_.refusedCount(), 2); // the two unreadable loss costs
    EXPECT_EQ(progress_, QStringList{"TOTAL CLASSES ADDED IS 0"});
}

TEST_F(ClassLoaders, NewYorkLine) {
    openState("NY");
    writeFile("DATA1NY.DAT", {Golden(52)
                                  .put(2, "8810")
                                  .put(7, "123")
                                  .put(10, "45")
                                  .put(12, "67")
                                  .put(14, "01")
                                  .put(16, "0001234")
                                  .rec});
    NEWCLASSNY(ctx_);
    EXPECT_EQ(value("SELECT FILE FROM CLASS").toString(), "123 45 67");
    EXPECT_EQ(value("SELECT FILESEQ FROM CLASS").toString(), "123 45 6701");
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS").toDouble(), 12.34);
}

TEST_F(ClassLoaders, BatchOfThousand) {
    openState("PA");
    QList<QByteArray> lines;
    for (int i = 0; i < 1001; ++i)
        lines << standardClassLine("8810", QByteArray::number(1000000 + i), "01", "00100");
    writeFile("DATA1PA.DAT", lines);
    NEWCLASSSTD(ctx_);
    EXPECT_EQ(progress_, (QStringList{"TOTAL CLASSES ADDED IS 0", "TOTAL CLASSES ADDED IS 1000"}));
    EXPECT_EQ(count("CLASS"), 1001);
}

class EmployerLoaders : public LoadingTest {};

TEST_F(EmployerLoaders, StandardRowModsAndNote) {
    openState("PA");
    db_->execute("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('003', 'ALLEGHENY')");
    Golden g = standardEmployer("PA", "1234567", "01", "ACME TOOL & DIE INC");
    g.put(68, "DBA ACME").put(305, "Y").put(306, "JOHN SMITH").put(336, "0599").put(346, "5").put(347, "7");
    g.put(401, "PRESIDENT").put(431, "1234").put(489, "412-555-0199");
    g.put(195, "990315"
               "990401"
               "000315"
               "0950"); // expires 2000-03-15
    g.put(217, "000310"
               "000401"
               "010315"
               "1010"); // expires 2001-03-15: latest
    g.put(239, "010310"
               "000402"
               "010315"
               "1200"); // the same expiry later: does not replace
    g.put(261, "020101"
               "99  01"
               "020315"
               "1300"); // effective month blank: not used
    g.put(283, "970101"
               "970101"
               "      "
               "0900"); // blank expiry: 1950-01-01
    writeFile("DATAPA.DAT", {g.rec});
    NEWDATASTD(ctx_);
    EXPECT_FALSE(exists("DATAPA.DAT"));

    auto rs = db_->OpenRecordset("SELECT * FROM PRIME", dao::RecordsetType::Snapshot);
    ASSERT_FALSE(rs->atEOF());
    EXPECT_EQ(rs->text("STATE"), "PA");
    EXPECT_EQ(rs->text("FILE"), "1234567");
    EXPECT_EQ(rs->text("SEQUENCE"), "01");
    EXPECT_EQ(rs->text("NAME1"), QString("ACME TOOL & DIE INC").leftJustified(40));
    EXPECT_EQ(rs->text("NameSort"), rs->text("NAME1"));
    EXPECT_EQ(rs->text("NAME2"), QString("DBA ACME").leftJustified(38));
    EXPECT_EQ(rs->text("STREET"), QString("1 MAIN ST").leftJustified(40));
    EXPECT_EQ(rs->text("CITY"), QString("PITTSBURGH").leftJustified(22));
    EXPECT_EQ(rs->text("ST"), "PA");
    EXPECT_EQ(rs->text("ZIP"), "15222");
    EXPECT_EQ(rs->text("ZIPEXT"), "1234");
    EXPECT_EQ(rs->text("PHONE"), "412-555-0100");
    EXPECT_EQ(rs->text("AREA"), "412");
    EXPECT_EQ(rs->text("FAX"), "412-555-0199");
    EXPECT_EQ(rs->text("SIC"), "3599");
    EXPECT_EQ(rs->text("COUNTY"), "003");
    EXPECT_EQ(rs->text("COUNTYNAME"), "ALLEGHENY");
    EXPECT_EQ(rs->text("CountySort"), "ALLEGHENY");
    EXPECT_EQ(rs->text("EMPLOYEES"), "5");
    EXPECT_EQ(rs->text("SALES"), "7");
    EXPECT_EQ(rs->text("FILESEQ"), "123456701");
    EXPECT_EQ(rs->text("CONTACT"), QString("JOHN SMITH").leftJustified(30));
    EXPECT_EQ(rs->text("TITLE"), QString("PRESIDENT").leftJustified(30));
    EXPECT_TRUE(rs->value("ASSOCIATES").toBool());
    EXPECT_FALSE(rs->value("INTERSTATE").toBool());
    EXPECT_FALSE(rs->value("REVISED").toBool());
    EXPECT_EQ(dao::toDate(rs->value("EXPIRE")), QDate(2001, 3, 15));
    EXPECT_EQ(rs->value("MOD").toDouble(), 1.01);
    EXPECT_EQ(rs->value("ISSUE1").toInt(), 2001); // greatest issue year of the used slots
    EXPECT_TRUE(rs->isNull("NJAR"));              // the NJ columns mean nothing in PA
    EXPECT_TRUE(rs->isNull("CONDITIONAL"));
    EXPECT_EQ(rs->text("Omit"), " ");
    EXPECT_EQ(rs->text("User1"), " ");
    EXPECT_EQ(rs->text("User2"), " ");
    EXPECT_EQ(rs->text("User3"), " ");
    EXPECT_TRUE(rs->isNull("UserPhone"));
    EXPECT_TRUE(rs->isNull("UserTitle"));

    EXPECT_EQ(count("MODS"), 4);
    EXPECT_EQ(count("MODS", "EXPIRE = '1950-01-01' AND MOD = 0.9"), 1);
    EXPECT_EQ(
        count("MODS",
              "ISSUE = '1999-03-15' AND EFFECTIVE = '1999-04-01' AND EXPIRE = '2000-03-15' AND MOD = 0.95"),
        1);
    EXPECT_EQ(value("SELECT NOTES FROM NOTES WHERE FILE = '1234567' AND SEQUENCE = '01'").toString(), " ");
    EXPECT_EQ(progress_, QStringList{"TOTAL COMPANIES ADDED IS 0"});
}

TEST_F(EmployerLoaders, NewJerseyFieldsAndUnknownCounty) {
    openState("NJ");
    Golden g = standardEmployer("NJ", "7000001", "01", "GARDEN STATE SUPPLY", "099");
    g.put(336, "0599").put(340, "ABC").put(343, "DEF").put(355, "COND TEXT 1234");
    g.put(369, "0012345").put(376, "0023456").put(383, "0003456");
    Golden blankAr = standardEmployer("NJ", "7000002", "01", "NO AR");
    writeFile("DATANJ.DAT", {g.rec, blankAr.rec});
    NEWDATASTD(ctx_);
    EXPECT_EQ(value("SELECT NJAR FROM PRIME WHERE FILE = '7000001'").toInt(), 9905);
    EXPECT_EQ(value("SELECT NJPPAP FROM PRIME WHERE FILE = '7000001'").toString(), "ABC");
    EXPECT_EQ(value("SELECT NJCCPAP FROM PRIME WHERE FILE = '7000001'").toString(), "DEF");
    EXPECT_EQ(value("SELECT CONDITIONAL FROM PRIME WHERE FILE = '7000001'").toString(), "COND TEXT 1234");
    EXPECT_EQ(value("SELECT ARESTPREM FROM PRIME WHERE FILE = '7000001'").toString(), "0012345");
    EXPECT_EQ(value("SELECT ARTOTPREM FROM PRIME WHERE FILE = '7000001'").toString(), "0023456");
    EXPECT_EQ(value("SELECT ARTOTLOSS FROM PRIME WHERE FILE = '7000001'").toString(), "0003456");
    EXPECT_TRUE(isNullValue("SELECT NJAR FROM PRIME WHERE FILE = '7000002'"));
    EXPECT_TRUE(isNullValue("SELECT COUNTYNAME FROM PRIME WHERE FILE = '7000001'"));
    // No used slot: no MODS rows, empty EXPIRE, MOD and ISSUE1.
    EXPECT_EQ(count("MODS"), 0);
    EXPECT_EQ(count("PRIME", "EXPIRE IS NULL AND MOD IS NULL AND ISSUE1 IS NULL"), 2);
}

TEST_F(EmployerLoaders, NewYorkRow) {
    openState("NY");
    Golden g(502);
    g.put(1, "NY").put(3, "123").put(6, "45").put(8, "67").put(10, "02").put(28, "EMPIRE BAKERY CORP");
    g.put(68, "400 BROADWAY").put(146, "NEW YORK").put(168, "NY").put(170, "10013").put(175, "061");
    g.put(178, "212-555-0123").put(191, "2051").put(355, "RI");
    g.put(195, "031599"
               "990401"
               "031500"
               "0095");
    g.put(217, "001599"
               "990401"
               "031500"
               "0120"); // issue month 00: used, issue 1950-01-01
    g.put(239, "  1599"
               "990401"
               "031501"
               "0130"); // blank issue month: not used
    writeFile("DATANY.DAT", {g.rec});
    NEWDATANY(ctx_);
    EXPECT_EQ(value("SELECT FILE FROM PRIME").toString(), "123 45 67");
    EXPECT_EQ(value("SELECT FILESEQ FROM PRIME").toString(), "123 45 6702");
    EXPECT_EQ(value("SELECT NAME2 FROM PRIME").toString(), " ");
    EXPECT_EQ(value("SELECT NAME1 FROM PRIME").toString().size(), 35);
    EXPECT_EQ(value("SELECT STREET FROM PRIME").toString().size(), 34);
    EXPECT_EQ(value("SELECT REVISED FROM PRIME").toInt(), 1);
    EXPECT_EQ(value("SELECT INTERSTATE FROM PRIME").toInt(), 1);
    EXPECT_TRUE(isNullValue("SELECT ISSUE1 FROM PRIME"));       // New York rows leave it empty
    EXPECT_EQ(value("SELECT MOD FROM PRIME").toDouble(), 0.95); // equal expiry: the first slot's
    EXPECT_EQ(count("MODS"), 2);
    EXPECT_EQ(count("MODS", "ISSUE = '1950-01-01' AND MOD = 1.2"), 1);
    EXPECT_EQ(count("MODS", "ISSUE = '1999-03-15' AND EFFECTIVE = '1999-04-01' AND EXPIRE = '2000-03-15'"),
              1);
}

TEST_F(EmployerLoaders, MeritCodesAndUnreadableMod) {
    openState("PM");
    Golden g = standardEmployer("PM", "2000001", "01", "MERIT CO");
    g.put(195, "230101"
               "230201"
               "240201"
               "9886");
    g.put(217, "220101"
               "220201"
               "230201"
               "9X86");
    g.put(239, "210101"
               "210201"
               "250201"
               "    ");
    writeFile("DATAPM.DAT", {g.rec});
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME", "[MOD] = 9.886"), 0); // the latest expiry is the unreadable slot's
    EXPECT_EQ(count("MODS", "[MOD] = 9.886"), 1);  // found by the literal a search uses
    EXPECT_EQ(count("MODS", "MOD IS NULL"), 2);
    EXPECT_TRUE(isNullValue("SELECT MOD FROM PRIME"));
    EXPECT_EQ(dao::toDate(value("SELECT EXPIRE FROM PRIME")), QDate(2025, 2, 1));
    EXPECT_EQ(ctx_.refusedCount(), 2);
}

TEST_F(EmployerLoaders, RepeatedKeyKeepsOneRowAndBothModHistories) {
    openState("PA");
    db_->execute("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('003', 'ALLEGHENY')");
    Golden first = standardEmployer("PA", "1000001", "01", "FIRST NAME", "003");
    first.put(195, "990101"
                   "990101"
                   "000101"
                   "1000");
    Golden second = standardEmployer("PA", "1000001", "01", "SECOND NAME", "999");
    second.put(195, "980101"
                    "980101"
                    "990101"
                    "0800"); // an earlier expiry does not move EXPIRE back
    writeFile("DATAPA.DAT", {first.rec, second.rec});
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME"), 1);
    EXPECT_EQ(value("SELECT NAME1 FROM PRIME").toString().trimmed(), "SECOND NAME");
    EXPECT_EQ(value("SELECT COUNTY FROM PRIME").toString(), "999");
    EXPECT_EQ(value("SELECT COUNTYNAME FROM PRIME").toString(), "ALLEGHENY"); // kept: 999 is unknown
    EXPECT_EQ(dao::toDate(value("SELECT EXPIRE FROM PRIME")), QDate(2000, 1, 1));
    EXPECT_EQ(value("SELECT MOD FROM PRIME").toDouble(), 1.0);
    EXPECT_EQ(value("SELECT ISSUE1 FROM PRIME").toInt(), 1999);
    EXPECT_EQ(count("MODS"), 2);
    EXPECT_EQ(count("NOTES"), 1);
}

// Progress and commits: a commit after every 301 records read, the total grows by 300.
TEST_F(EmployerLoaders, BatchArithmetic) {
    for (int n : {300, 301, 700}) {
        SCOPED_TRACE(n);
        db_.reset();
        QFile::remove(path("VELKPA.MDB"));
        progress_.clear();
        openState("PA");
        writeFile("DATAPA.DAT", employers(n));
        NEWDATASTD(ctx_);
        EXPECT_EQ(count("PRIME"), n);
        QStringList expected{"TOTAL COMPANIES ADDED IS 0"};
        for (int total = 300; total + total / 300 <= n; total += 300)
            expected << QStringLiteral("TOTAL COMPANIES ADDED IS %1").arg(total);
        EXPECT_EQ(progress_, expected);
    }
}

TEST_F(EmployerLoaders, SkippedRecordsCountTowardsTheBatch) {
    openState("PA");
    QList<QByteArray> recs = employers(300);
    recs.insert(100, Golden(502).put(1, " PA").rec); // begins with a blank: skipped
    writeFile("DATAPA.DAT", recs);
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME"), 300);
    EXPECT_EQ(progress_.last(), "TOTAL COMPANIES ADDED IS 300");
}

TEST_F(EmployerLoaders, TrailingEndOfFileCharacter) {
    openState("PA");
    writeFile("DATAPA.DAT", employers(3), QByteArray(1, '\x1a'));
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME"), 3);
    EXPECT_FALSE(exists("DATAPA.DAT"));
}

TEST_F(EmployerLoaders, CancelBeforeTheLoaderLeavesTablesAndFile) {
    openState("PA");
    writeFile("DATAPA.DAT", employers(5));
    NEWDATASTD(ctx_);
    writeFile("DATAPA.DAT", employers(2, 100));
    cancelled_ = true;
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME"), 5); // not emptied
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_TRUE(progress_.size() == 1);
}

TEST_F(EmployerLoaders, CancelDuringTheLoadKeepsRowsSoFarAndTheFile) {
    openState("PA");
    writeFile("DATAPA.DAT", employers(700));
    // Events run once at the start, once per record, once per batch: stop while record 450 is read.
    onEvents_ = [&] {
        if (eventRuns_ == 1 + 450 + 1) cancelled_ = true;
    };
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME"), 450); // the record being handled is finished and committed
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_EQ(progress_, (QStringList{"TOTAL COMPANIES ADDED IS 0", "TOTAL COMPANIES ADDED IS 300"}));
}

TEST_F(EmployerLoaders, FailureInALaterBatchKeepsEarlierBatchesAndTheFile) {
    openState("PA");
    QList<QByteArray> recs = employers(700);
    recs[649] = recs[649].left(500) + "\n\n"; // record 650 lacks its CR LF
    writeFile("DATAPA.DAT", recs);
    try {
        NEWDATASTD(ctx_);
        FAIL() << "no failure";
    } catch (const LoadFailure& f) {
        EXPECT_EQ(f.file(), "DATAPA.DAT");
        EXPECT_EQ(f.record(), 650);
        EXPECT_TRUE(f.message().contains("record 650 of DATAPA.DAT")) << f.message().toStdString();
        EXPECT_TRUE(f.message().contains("DATAPA.DAT was kept"));
    }
    EXPECT_EQ(count("PRIME"), 602); // the batches committed after records 301 and 602
    EXPECT_EQ(count("MODS"), 602);
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_FALSE(db_->inTransaction());
}

TEST_F(EmployerLoaders, WriteFailureRollsBackTheOpenBatch) {
    openState("PA");
    sqlite3_exec(db_->handle(),
                 "CREATE TRIGGER refuse BEFORE INSERT ON PRIME WHEN NEW.FILE = '1000005' "
                 "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END",
                 nullptr, nullptr, nullptr);
    writeFile("DATAPA.DAT", employers(10));
    try {
        NEWDATASTD(ctx_);
        FAIL() << "no failure";
    } catch (const LoadFailure& f) {
        EXPECT_EQ(f.record(), 5);
        EXPECT_TRUE(f.reason().contains("refused by the test")) << f.reason().toStdString();
    }
    EXPECT_EQ(count("PRIME"), 0); // records 1 to 4 were in the open batch
    EXPECT_EQ(count("MODS"), 0);
    EXPECT_TRUE(exists("DATAPA.DAT"));
}

TEST_F(EmployerLoaders, NotesSurviveTwoReleases) {
    openState("PA");
    writeFile("DATAPA.DAT", employers(2)); // employers 1 and 2
    NEWDATASTD(ctx_);
    db_->execute("UPDATE NOTES SET NOTES = 'Call back in May' WHERE FILE = '1000001'");
    db_->execute("UPDATE PRIME SET User1 = 'MINE', Omit = 'Y' WHERE FILE = '1000001'");

    writeFile("DATAPA.DAT", employers(2, 2)); // employers 2 and 3: 1 is gone
    NEWDATASTD(ctx_);
    writeFile("DATAPA.DAT", employers(1, 1)); // and 1 is back
    NEWDATASTD(ctx_);

    EXPECT_EQ(value("SELECT NOTES FROM NOTES WHERE FILE = '1000001'").toString(), "Call back in May");
    EXPECT_EQ(value("SELECT NOTES FROM NOTES WHERE FILE = '1000002'").toString(), " ");
    EXPECT_EQ(value("SELECT NOTES FROM NOTES WHERE FILE = '1000003'").toString(), " ");
    EXPECT_EQ(count("NOTES"), 3);
    EXPECT_EQ(count("PRIME"), 1);
    EXPECT_EQ(count("MODS"), 1);
    // The user fields in PRIME start blank after a release.
    EXPECT_EQ(value("SELECT User1 FROM PRIME").toString(), " ");
    EXPECT_EQ(value("SELECT Omit FROM PRIME").toString(), " ");
}

class AddressLoader : public LoadingTest {};

TEST_F(AddressLoader, LinesJoinedPerLocation) {
    openState("NY");
    auto rec = [](const QByteArray& seq, const QList<QByteArray>& lines) {
        Golden g(327);
        g.put(1, "NY").put(3, "123").put(6, "45").put(8, "67").put(10, seq);
        for (int k = 0; k < lines.size(); ++k)
            g.put(19 + 38 * k, lines[k]);
        return g.rec;
    };
    writeFile("data2ny.dat",
              {rec("01", {"ATTN: MARY", "X", " 12 MAIN ST"}), rec("01", {"A BROAD ST", "PO BOX 7"}),
               rec("02", {}), Golden(327).put(1, "  123").rec});
    NEWADDRESSESNY(ctx_);
    EXPECT_EQ(count("ADDRESSES"), 2);
    const QString crlf = "\r\n";
    EXPECT_EQ(value("SELECT ADDRESSES FROM ADDRESSES WHERE SEQUENCE = '01'").toString(),
              QString("ATTN: MARY").leftJustified(35) + crlf + QString(" 12 MAIN ST").leftJustified(35) +
                  crlf + QString("PO BOX 7").leftJustified(35) + crlf);
    EXPECT_EQ(count("ADDRESSES", "SEQUENCE = '02' AND FILE = '123 45 67'"), 1);
    EXPECT_EQ(progress_, QStringList{"TOTAL OTHER INFORMATION ADDED IS 0"});
    EXPECT_FALSE(exists("data2ny.dat"));
}
