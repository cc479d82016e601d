// The loaders against a real state database: what each writes, batches and progress, cancel,
// failures, and the notes that must survive a release.
#include "loading/loaders.h"
#include "loading_fixture.h"
#include "platform/dao/sqlite_util.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

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

// The PRIME row's columns as "NAME=value;NAME=value...": a text as stored ("text|n": padded with blanks to n
// characters), a number or a date (yyyy-MM-dd) compared by value, or "NAME=<null>".
void expectRow(dao::Database& db, const QString& where, const QString& columns) {
    auto rs = db.OpenRecordset("SELECT * FROM PRIME WHERE " + where, dao::RecordsetType::Snapshot);
    ASSERT_FALSE(rs->atEOF());
    for (const QString& item : columns.split(';')) {
        const QString column = item.section('=', 0, 0);
        QString value = item.section('=', 1);
        if (value.contains('|'))
            value = value.section('|', 0, 0).leftJustified(value.section('|', 1).toInt());
        SCOPED_TRACE(item.toStdString());
        const QVariant stored = rs->value(column);
        const QDate date = QDate::fromString(value, Qt::ISODate);
        if (value == "<null>")
            EXPECT_TRUE(rs->isNull(column));
        else if (date.isValid())
            EXPECT_EQ(dao::toDate(stored), date);
        else if (stored.typeId() != QMetaType::QString)
            EXPECT_EQ(stored.toDouble(), value.toDouble());
        else
            EXPECT_EQ(stored.toString().toStdString(), value.toStdString());
    }
}

} // namespace

class CodeLoaders : public LoadingTest {};

// The plain loaders: each record filter or code rule, the first of a repeated code kept (and
// counted, found by the table's unique index), the table emptied first, the file found without
// regard to case.
TEST_F(CodeLoaders, FilterRepeatsAndReplace) {
    struct Case {
        void (*loader)(LoadContext&);
        QString file, table, select;
        QList<QByteArray> records;
        QStringList rows; // code "=" text, in code order
    };
    const Case cases[] = {
        {NEWSICSTD,
         "sic.dat",
         "SICCODES",
         "CODE || '=' || RTRIM([DESC])",
         {sic(" 15  ", "CONSTRUCTION"), sic(" 1521", "HOUSES"), sic(" 152 ", "THREE"), Golden(52).rec,
          sic(" 1521", "REPEATED"), sic("\x1a    ", "EOF")},
         {"0015=CONSTRUCTION", "1521=HOUSES"}},
        {NEWCLASSLISTSTD,
         "CLASSES.DAT",
         "CLASSLIST",
         "CLASS || '=' || RTRIM([DESC])",
         {classList("8810", "CLERICAL"), Golden(57).put(1, "  8742").rec, Golden(57).put(1, " A123DESC").rec,
          classList("8810", "AGAIN")},
         {"8810=CLERICAL", "A123=DESC"}},
        {NEWCOUNTYSTD,
         "CTYPA.DAT",
         "COUNTY",
         "CODE || '=' || RTRIM(COUNTY)",
         {county("003", "ALLEGHENY"), Golden(36).rec, county("003", "AGAIN"), county("101", "PHILADELPHIA")},
         {"003=ALLEGHENY", "101=PHILADELPHIA"}},
    };
    openState("PA");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ctx_.refusals.clear();
        db_->execute("INSERT INTO " + c.table + " VALUES ('777', 'OLD RELEASE')");
        writeFile(c.file, c.records);
        c.loader(ctx_);
        QStringList rows;
        auto rs = db_->OpenRecordset("SELECT " + c.select + " AS R FROM " + c.table + " ORDER BY 1",
                                     dao::RecordsetType::Snapshot);
        for (; !rs->atEOF(); rs->MoveNext())
            rows << rs->text("R");
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(ctx_.refusedCount(), 1);
    }
    EXPECT_EQ(value("SELECT LENGTH([DESC]) FROM SICCODES WHERE CODE = '1521'").toInt(), 42); // blanks kept
    EXPECT_TRUE(progress_.isEmpty()); // plain loaders show nothing
}

TEST_F(CodeLoaders, FailureUndoesTheLoader) {
    openState("PA");
    db_->execute("INSERT INTO SICCODES (CODE, [DESC]) VALUES ('9999', 'OLD RELEASE')");
    writeFile("SIC.DAT", {sic(" 1521", "HOUSES"), sic(" 1542", "BUILDINGS")}, "XYZ"); // a stray tail
    try {
        NEWSICSTD(ctx_);
        FAIL() << "no failure";
    } catch (const LoadFailure& f) {
        EXPECT_EQ(f.file(), "SIC.DAT");
        EXPECT_EQ(f.record(), 3);
    }
    EXPECT_EQ(value("SELECT [DESC] FROM SICCODES").toString(), "OLD RELEASE"); // not emptied after all
    EXPECT_EQ(count("SICCODES"), 1);
    EXPECT_TRUE(exists("SIC.DAT"));
    EXPECT_FALSE(db_->inTransaction());
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
                                 standardClassLine("5403",
                                                   "10\x1b"
                                                   "0003",
                                                   "01", "00100"), // key not text
                             });
    NEWCLASSSTD(ctx_);
    EXPECT_EQ(count("CLASS"), 3);
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS WHERE FILE = '1000001' AND CLASS = '5403'").toDouble(), 2.5);
    EXPECT_EQ(value("SELECT CLASSDESC FROM CLASS WHERE FILE = '1000001' AND CLASS = '5403'").toString(),
              "CARPENTRY");
    EXPECT_EQ(value("SELECT FILESEQ FROM CLASS WHERE FILE = '1000001' AND CLASS = '5403'").toString(),
              "100000101");
    EXPECT_TRUE(isNullValue("SELECT CLASSDESC FROM CLASS WHERE CLASS = '0999'"));
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS WHERE CLASS = '0999'").toDouble(), 10.0);
    EXPECT_EQ(value("SELECT LOSSCOST FROM CLASS WHERE FILE = '1000002'").toDouble(), 3.0);
    EXPECT_EQ(ctx_.refusalSummary(),
              "DATA1PA.DAT: 1 records whose key is not printable text (not stored); "
              "DATA1PA.DAT: 2 class lines whose loss cost is not a number (stored empty)");
    EXPECT_EQ(progress_, QStringList{"TOTAL CLASSES ADDED IS 0"});
}

class EmployerLoaders : public LoadingTest {};

TEST_F(EmployerLoaders, StandardRowModsAndNote) {
    openState("PA");
    db_->execute("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('003', 'ALLEGHENY')");
    Golden g = fullStandardEmployer();
    g.put(195, slot("990315", "990401", "000315", "0950")); // expires 2000-03-15
    g.put(217, slot("000310", "000401", "010315", "1010")); // expires 2001-03-15: latest
    g.put(239, slot("010310", "000402", "010315", "1200")); // the same expiry: does not replace
    g.put(261, slot("020101", "99  01", "020315", "1300")); // effective month blank: not used
    g.put(283, slot("970101", "970101", "      ", "0900")); // blank expiry: 1950-01-01
    writeFile("DATAPA.DAT", {g.rec});
    NEWDATASTD(ctx_);

    expectRow(*db_, "FILE = '1234567'",
              "STATE=PA;FILE=1234567;SEQUENCE=01;NAME1=ACME TOOL & DIE INC|40;"
              "NameSort=ACME TOOL & DIE INC|40;NAME2=DBA ACME PRECISION|38;"
              "STREET=12 MAIN ST|40;CITY=PITTSBURGH|22;ST=PA;ZIP=15222;ZIPEXT=1234;"
              "PHONE=412-555-0100;AREA=412;FAX=412-555-0199;SIC=3599;COUNTY=003;"
              "COUNTYNAME=ALLEGHENY;CountySort=ALLEGHENY;EMPLOYEES=5;SALES=7;FILESEQ=123456701;"
              "CONTACT=JOHN SMITH|30;TITLE=PRESIDENT|30;ASSOCIATES=1;INTERSTATE=0;REVISED=0;"
              "EXPIRE=2001-03-15;MOD=1.01;ISSUE1=2001;NJAR=<null>;CONDITIONAL=<null>;Omit= ;"
              "User1= ;User2= ;User3= ;UserPhone=<null>;UserFax=<null>;UserContact=<null>;"
              "UserTitle=<null>");

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
    Golden g = fullStandardEmployer();
    g.put(1, "NJ").put(3, "7000001").put(175, "099");
    Golden blankAr = standardEmployer("NJ", "7000002", "01", "NO AR");
    writeFile("DATANJ.DAT", {g.rec, blankAr.rec});
    NEWDATASTD(ctx_);
    expectRow(*db_, "FILE = '7000001'",
              "NJAR=9905;NJPPAP=ABC;NJCCPAP=DEF;CONDITIONAL=COND TEXT 1234;ARESTPREM=0012345;"
              "ARTOTPREM=0023456;ARTOTLOSS=0003456;COUNTYNAME=<null>;CountySort=<null>;"
              "EXPIRE=<null>;MOD=<null>;ISSUE1=<null>");
    EXPECT_TRUE(isNullValue("SELECT NJAR FROM PRIME WHERE FILE = '7000002'"));
    EXPECT_EQ(count("MODS"), 0);
}

TEST_F(EmployerLoaders, NewYorkRow) {
    openState("NY");
    Golden g = fullNewYorkEmployer();
    g.put(195, slot("031599", "990401", "031500", "0095"));
    // Issue month 00: used, issued 1950-01-01; the same expiry as slot 0, so its MOD is not taken.
    g.put(217, slot("001599", "990401", "031500", "0120"));
    g.put(239, slot("  1599", "990401", "031501", "0130")); // blank issue month: not used
    writeFile("DATANY.DAT", {g.rec});
    NEWDATANY(ctx_);
    expectRow(*db_, "SEQUENCE = '02'",
              "STATE=NY;FILE=123 45 67;FILESEQ=123 45 6702;NAME1=EMPIRE BAKERY CORP|35;"
              "NameSort=EMPIRE BAKERY CORP|35;NAME2= ;STREET=400 BROADWAY|34;CITY=NEW YORK|22;"
              "ST=NY;ZIP=10013;COUNTY=061;PHONE=212-555-0123;AREA=212;SIC=2051;"
              "CONTACT=MARY JONES|30;EMPLOYEES=3;SALES=4;TITLE=OWNER|30;ZIPEXT=4321;"
              "FAX=212-555-0124;ASSOCIATES=0;REVISED=1;INTERSTATE=1;EXPIRE=2000-03-15;MOD=0.95;"
              "ISSUE1=<null>;NJAR=<null>");
    EXPECT_EQ(count("MODS"), 2);
    EXPECT_EQ(count("MODS", "ISSUE = '1950-01-01' AND MOD = 1.2"), 1);
    EXPECT_EQ(count("MODS", "ISSUE = '1999-03-15' AND EFFECTIVE = '1999-04-01' AND EXPIRE = '2000-03-15'"),
              1);
}

TEST_F(EmployerLoaders, MeritCodesAndUnreadableMod) {
    openState("PM");
    Golden g = standardEmployer("PM", "2000001", "01", "MERIT CO");
    g.put(195, slot("230101", "230201", "240201", "9886"));
    g.put(217, slot("220101", "220201", "230201", "9X86"));
    g.put(239, slot("210101", "210201", "250201", "    "));
    writeFile("DATAPM.DAT", {g.rec});
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME", "[MOD] = 9.886"), 0); // the latest expiry is the unreadable slot's
    EXPECT_EQ(count("MODS", "[MOD] = 9.886"), 1);  // found by the literal a search uses
    EXPECT_EQ(count("MODS", "MOD IS NULL"), 2);
    EXPECT_TRUE(isNullValue("SELECT MOD FROM PRIME"));
    EXPECT_EQ(dao::toDate(value("SELECT EXPIRE FROM PRIME")), QDate(2025, 2, 1));
    EXPECT_EQ(ctx_.refusedCount(), 2);
}

// What is not stored as it stands is counted for the end-of-load summary: a key that is not
// printable text refuses its record; a name with control characters, and dates that are not
// dates (stored as 01/01/50), are stored and counted. A blank date is no date, not a bad one.
TEST_F(EmployerLoaders, ControlBytesAndDatesThatAreNotDates) {
    struct Case {
        QByteArray file, seq, name, slot;
        bool stored;
    };
    const QByteArray good = slot("990315", "990401", "000315", "0950");
    const Case cases[] = {
        {QByteArray("10\0\0" "001", 7), "01", "NUL IN THE KEY", good, false},
        {"1000002", "0\t", "TAB IN THE SEQUENCE", good, false},
        {"1000003", "01", QByteArray("AC\0ME", 5), good, true},
        {"1000004", "01", "\x1b[2J CLEARS THE SCREEN", good, true},
        {"1000005", "01", "FEBRUARY 30", slot("990230", "990401", "000315", "0950"), true},
        {"1000006", "01", "NINES", slot("990315", "990401", "999999", "0950"), true},
        {"1000007", "01", "LETTERS", slot("AB0315", "990401", "0A0B0C", "0950"), true},
        {"1000008", "01", "BLANK EXPIRY", slot("990315", "990401", "      ", "0950"), true},
    };
    openState("PA");
    QList<QByteArray> recs;
    for (const Case& c : cases)
        recs << standardEmployer("PA", c.file, c.seq, c.name).put(195, c.slot).rec;
    writeFile("DATAPA.DAT", recs);
    NEWDATASTD(ctx_);
    for (const Case& c : cases)
        EXPECT_EQ(value("SELECT COUNT(*) FROM PRIME WHERE FILE = ? AND SEQUENCE = ?",
                        {QString::fromLatin1(c.file), QString::fromLatin1(c.seq)})
                      .toInt(),
                  c.stored ? 1 : 0)
            << c.name.constData();
    EXPECT_EQ(value("SELECT NAME1 FROM PRIME WHERE FILE = '1000003'").toString(),
              QString::fromLatin1(QByteArray("AC\0ME", 5)).leftJustified(40)); // as it stands
    EXPECT_EQ(count("MODS", "ISSUE = '1950-01-01' OR EFFECTIVE = '1950-01-01' OR EXPIRE = '1950-01-01'"), 4);
    EXPECT_EQ(ctx_.refusalSummary().toStdString(),
              "DATAPA.DAT: 2 records whose key is not printable text (not stored); "
              "DATAPA.DAT: 2 records whose name holds control characters (stored as they stand); "
              "DATAPA.DAT: 4 dates that are not dates (stored as 01/01/50)");
}

TEST_F(EmployerLoaders, RepeatedKeyKeepsOneRowAndBothModHistories) {
    openState("PA");
    db_->execute("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('003', 'ALLEGHENY')");
    Golden first = standardEmployer("PA", "1000001", "01", "FIRST NAME", "003");
    first.put(195, slot("990101", "990101", "000101", "1000"));
    Golden second = standardEmployer("PA", "1000001", "01", "SECOND NAME", "999");
    // An earlier expiry does not move EXPIRE back.
    second.put(195, slot("980101", "980101", "990101", "0800"));
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

// A progress point after every batch size + 1 records read; the total grows by the batch size. A
// skipped record counts towards the batch, and a trailing end-of-file character is no record.
TEST_F(EmployerLoaders, BatchArithmetic) {
    struct Case {
        const char* name;
        int records;
        QStringList progress;
    };
    const QString c = "TOTAL COMPANIES ADDED IS ";
    const QString k = "TOTAL CLASSES ADDED IS ";
    const QString a = "TOTAL OTHER INFORMATION ADDED IS ";
    const Case cases[] = {
        {"DATAPA.DAT", 300, {c + "0"}},
        {"DATAPA.DAT", 301, {c + "0", c + "300"}},
        {"DATAPA.DAT", 700, {c + "0", c + "300", c + "600"}},
        {"DATA1PA.DAT", 1000, {k + "0"}},
        {"DATA1PA.DAT", 1001, {k + "0", k + "1000"}},
        {"DATA2NY.DAT", 301, {a + "0", a + "300"}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(std::string(t.name) + " " + std::to_string(t.records));
        db_.reset();
        QFile::remove(path("VELKPA.MDB"));
        QFile::remove(path("VELKNY.MDB"));
        progress_.clear();
        const QString name = t.name;
        openState(name == "DATA2NY.DAT" ? "NY" : "PA");
        QList<QByteArray> recs;
        if (name == "DATAPA.DAT") recs = employers(t.records - 1);
        for (int i = recs.size(); i < t.records - 1; ++i) {
            const QByteArray file = QByteArray::number(1000000 + i);
            recs << (name == "DATA1PA.DAT" ? standardClassLine("8810", file, "01", "00100")
                                           : Golden(327).put(1, "NY").put(3, file).put(19, "PO BOX 1").rec);
        }
        recs.insert(recs.size() / 2, Golden(recs.first().size()).put(1, "  X").rec); // skipped, counted
        writeFile(name, recs, QByteArray(1, '\x1a'));
        if (name == "DATAPA.DAT") NEWDATASTD(ctx_);
        if (name == "DATA1PA.DAT") NEWCLASSSTD(ctx_);
        if (name == "DATA2NY.DAT") NEWADDRESSESNY(ctx_);
        EXPECT_EQ(progress_, t.progress);
        EXPECT_EQ(count(name == "DATAPA.DAT"    ? "PRIME"
                        : name == "DATA1PA.DAT" ? "CLASS"
                                                : "ADDRESSES"),
                  t.records - 1);
    }
}

TEST_F(EmployerLoaders, CancelUndoesTheLoaderAndAFlagSetBeforeItChangesNothing) {
    openState("PA");
    db_->execute("INSERT INTO PRIME (FILE, SEQUENCE) VALUES ('9999999', '01')");
    writeFile("DATAPA.DAT", employers(700));
    // Events run once at the start, once per record, once per batch: stop while record 450 is read.
    onEvents_ = [&] {
        if (eventRuns_ == 1 + 450 + 1) cancelled_ = true;
    };
    NEWDATASTD(ctx_);
    EXPECT_EQ(count("PRIME"), 1); // the emptying is undone with the rows
    EXPECT_EQ(count("PRIME", "FILE = '9999999'"), 1);
    EXPECT_EQ(count("MODS") + count("NOTES"), 0);
    EXPECT_FALSE(db_->inTransaction());
    EXPECT_EQ(progress_, (QStringList{"TOTAL COMPANIES ADDED IS 0", "TOTAL COMPANIES ADDED IS 300"}));

    // With the flag still set, the next batched loader empties nothing and reads nothing.
    writeFile("DATA1PA.DAT", {standardClassLine("8810", "1000001", "01", "00100")});
    db_->execute("INSERT INTO CLASS (FILE, SEQUENCE, CLASS) VALUES ('9999999', '01', '8810')");
    NEWCLASSSTD(ctx_);
    EXPECT_EQ(count("CLASS"), 1);
    EXPECT_EQ(count("CLASS", "FILE = '9999999'"), 1);
    EXPECT_EQ(progress_.size(), 2);
}

// A failure in any batch undoes the loader whole: the batch points are not commits.
TEST_F(EmployerLoaders, FailureUndoesTheWholeLoader) {
    struct Case {
        const char* name;
        int recordWithFault;
        std::function<void(QList<QByteArray>&, sqlite3*)> fault;
        const char* reason;
    };
    const Case cases[] = {
        {"record without CR LF", 650,
         [](QList<QByteArray>& recs, sqlite3*) { recs[649] = recs[649].left(500) + "\n\n"; }, "LF line ends"},
        {"row refused by the database", 650,
         [](QList<QByteArray>&, sqlite3* h) {
             sqlite3_exec(h,
                          "CREATE TRIGGER refuse BEFORE INSERT ON PRIME WHEN NEW.FILE = '1000650' "
                          "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END",
                          nullptr, nullptr, nullptr);
         },
         "refused by the test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        db_.reset();
        QFile::remove(path("VELKPA.MDB"));
        openState("PA");
        db_->execute("INSERT INTO PRIME (FILE, SEQUENCE, User1) VALUES ('9999999', '01', 'MINE')");
        QList<QByteArray> recs = employers(700);
        c.fault(recs, dao::detail::rawHandle(*db_));
        writeFile("DATAPA.DAT", recs);
        try {
            NEWDATASTD(ctx_);
            FAIL() << "no failure";
        } catch (const LoadFailure& f) {
            EXPECT_EQ(f.file(), "DATAPA.DAT");
            EXPECT_EQ(f.record(), c.recordWithFault);
            EXPECT_TRUE(f.message().contains("record 650 of DATAPA.DAT")) << f.message().toStdString();
            EXPECT_TRUE(f.reason().contains(c.reason)) << f.reason().toStdString();
            EXPECT_TRUE(f.message().contains("Nothing was changed"));
        }
        EXPECT_EQ(count("PRIME"), 1); // past two batch points, and still nothing of the load
        EXPECT_EQ(value("SELECT User1 FROM PRIME").toString(), "MINE");
        EXPECT_EQ(count("MODS") + count("NOTES"), 0);
        EXPECT_TRUE(exists("DATAPA.DAT"));
        EXPECT_FALSE(db_->inTransaction());
    }
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
}
