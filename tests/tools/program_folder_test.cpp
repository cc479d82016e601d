// The data set database and the program folder: tables, indexes and fields, the Setup rows, the
// shipped category texts, and a setup that refuses to overwrite.
#include "dataset/data_set.h"
#include "folder_setup/program_folder.h"
#include "platform/dao/dao.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace velk;

namespace {

const QStringList kStates{"DE", "NJ", "NY", "PA", "PM", "DM"};

QStringList sorted(QStringList l) {
    for (QString& s : l)
        s = s.toUpper();
    l.sort();
    return l;
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString connectFromSetup(const QString& folder, const QString& state) {
    auto idx = dao::Database::open(folder + "/VELKI.MDB", false, false, ";PWD=Trn58kwpzb");
    auto setup = idx->OpenTable("Setup");
    setup->setIndex("Key");
    setup->Seek("=", {state});
    if (setup->NoMatch()) return QString();
    return setup->text("pwd");
}

std::map<QString, QString> categoryRows(dao::Database& db, const QString& table) {
    std::map<QString, QString> rows;
    auto rs = db.OpenRecordset("SELECT * FROM " + table, dao::RecordsetType::Snapshot);
    for (; !rs->atEOF(); rs->MoveNext())
        rows[rs->text("CODE")] = rs->text("DESCRIPTION");
    return rows;
}

class SetupFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder = tmp.filePath("prog");
        QString error;
        ASSERT_EQ(createProgramFolder(folder, false, &error), SetupOutcome::Created) << error.toStdString();
    }
    std::unique_ptr<dao::Database> openState(const QString& st) {
        return dao::Database::open(folder + "/VELK" + st + ".MDB", false, false,
                                   connectFromSetup(folder, st));
    }
    QTemporaryDir tmp;
    QString folder;
};

} // namespace

TEST_F(SetupFolder, DatabasesWorkspaceAndSetupRows) {
    EXPECT_TRUE(QFileInfo(folder + "/INITIAL").isDir());
    // The help file kept with the program, writable like any file the setup makes.
    const QFileInfo help(folder + "/VELK.HLP");
    EXPECT_TRUE(help.isFile() && help.size() > 0 && help.isWritable());
    // Nothing but the databases, the workspace and the program files: no temporary files left behind.
    const qsizetype programFiles = QDir(":/data").entryList(QDir::Files).size();
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              9 + programFiles);
    // The report database's template opens without a password and holds no rows.
    auto report = dao::Database::open(folder + "/REPORT.MDB");
    for (const char* table : {"PRIME", "CLASS"})
        EXPECT_EQ(report->scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt(), 0) << table;
    // Each Setup row opens its data set and nothing else opens it.
    for (const QString& st : kStates) {
        const QString connect = connectFromSetup(folder, st);
        EXPECT_EQ(connect, dataset::defaultConnect(st));
        EXPECT_NO_THROW(dao::Database::open(folder + "/VELK" + st + ".MDB", false, false, connect));
        EXPECT_THROW(dao::Database::open(folder + "/VELK" + st + ".MDB", false, false, ";PWD=wrong"),
                     dao::DaoError);
    }
    EXPECT_TRUE(connectFromSetup(folder, "XX").isEmpty());
    EXPECT_THROW(dao::Database::open(folder + "/VELKI.MDB", false, false, ";PWD=wrong"), dao::DaoError);
}

TEST_F(SetupFolder, EveryTableIndexAndField) {
    auto fields = [](dao::Database& db, const QString& table) {
        return sorted(db.OpenRecordset("SELECT * FROM " + table, dao::RecordsetType::Snapshot)->fieldNames());
    };
    const QStringList fileSeq{"FILE", "SEQUENCE"};
    for (const QString& st : kStates) {
        SCOPED_TRACE(st.toStdString());
        auto db = openState(st);
        QStringList tables{"PRIME",     "MODS",   "NOTES",    "VERSION",   "CLASS",
                           "CLASSLIST", "COUNTY", "SICCODES", "EMPLOYEES", "SALES"};
        if (st == "NY") tables << "ADDRESSES";
        if (st == "PM" || st == "DM") tables << "MERIT";
        EXPECT_EQ(sorted(db->tableNames()), sorted(tables));

        EXPECT_EQ(sorted(db->indexColumns("PRIME", "PRIMARY")), sorted(fileSeq));
        EXPECT_EQ(db->indexColumns("PRIME", "KEY2").value(0).toUpper(), "NAMESORT");
        EXPECT_EQ(db->indexColumns("PRIME", "KEY3").value(0).toUpper(), "COUNTYSORT");
        EXPECT_EQ(db->indexColumns("PRIME", "KEYFILESEQ"), QStringList{"FILESEQ"});
        EXPECT_EQ(db->indexColumns("PRIME", "KEYSEARCH").value(0), "NAME1");
        EXPECT_EQ(db->indexColumns("MODS", "KEYFILE"), fileSeq);
        EXPECT_EQ(db->indexColumns("NOTES", "PRIMARY"), fileSeq);
        EXPECT_EQ(db->indexColumns("VERSION", "PRIMARY"), QStringList{"Dummy"});
        EXPECT_EQ(db->indexColumns("CLASS", "PRIMARY"), (QStringList{"FILE", "SEQUENCE", "CLASS"}));
        EXPECT_EQ(db->indexColumns("CLASS", "KEYCLASS").value(0), "CLASS");
        EXPECT_EQ(db->indexColumns("CLASSLIST", "PRIMARY"), QStringList{"CLASS"});
        for (const char* table : {"COUNTY", "SICCODES", "EMPLOYEES", "SALES"})
            EXPECT_EQ(db->indexColumns(table, "PRIMARY"), QStringList{"CODE"}) << table;
        if (st == "NY") {
            EXPECT_EQ(db->indexColumns("ADDRESSES", "PRIMARY"), fileSeq);
            EXPECT_EQ(fields(*db, "ADDRESSES"), sorted({"FILE", "SEQUENCE", "ADDRESSES"}));
        }

        EXPECT_EQ(fields(*db, "PRIME"),
                  sorted({"STATE",       "FILE",      "SEQUENCE",  "NAME1",   "NameSort",   "NAME2",
                          "STREET",      "CITY",      "ST",        "ZIP",     "ZIPEXT",     "PHONE",
                          "AREA",        "FAX",       "SIC",       "COUNTY",  "COUNTYNAME", "CountySort",
                          "EMPLOYEES",   "SALES",     "FILESEQ",   "CONTACT", "TITLE",      "ASSOCIATES",
                          "INTERSTATE",  "REVISED",   "EXPIRE",    "MOD",     "ISSUE1",     "CONDITIONAL",
                          "ARESTPREM",   "ARTOTPREM", "ARTOTLOSS", "NJAR",    "NJPPAP",     "NJCCPAP",
                          "Omit",        "User1",     "User2",     "User3",   "UserPhone",  "UserFax",
                          "UserContact", "UserTitle"}));
        EXPECT_EQ(fields(*db, "MODS"), sorted({"FILE", "SEQUENCE", "ISSUE", "EFFECTIVE", "EXPIRE", "MOD"}));
        EXPECT_EQ(fields(*db, "NOTES"), sorted({"FILE", "SEQUENCE", "NOTES"}));
        EXPECT_EQ(fields(*db, "VERSION"), sorted({"Dummy", "Version"}));
        EXPECT_EQ(fields(*db, "CLASS"),
                  sorted({"FILE", "SEQUENCE", "CLASS", "CLASSDESC", "FILESEQ", "LOSSCOST"}));
        EXPECT_EQ(fields(*db, "CLASSLIST"), sorted({"CLASS", "DESC"}));
        EXPECT_EQ(fields(*db, "COUNTY"), sorted({"CODE", "COUNTY"}));
        EXPECT_EQ(fields(*db, "SICCODES"), sorted({"CODE", "DESC"}));
    }
}

TEST_F(SetupFolder, BandAndMeritTexts) {
    const std::map<QString, QString> employees{
        {"0", "Unknown"}, {"1", "1 - 4"},     {"2", "5 - 9"},     {"3", "10 - 19"},   {"4", "20 - 49"},
        {"5", "50 - 99"}, {"6", "100 - 249"}, {"7", "250 - 499"}, {"8", "500 - 999"}, {"9", "1000+"}};
    const std::map<QString, QString> sales{
        {"0", "Unknown"},         {"1", "Under 1 million"}, {"2", "1MM - 4.9MM"},    {"3", "5MM - 9.9MM"},
        {"4", "10MM - 24.9MM"},   {"5", "25MM - 74.9MM"},   {"6", "75MM - 199.9MM"}, {"7", "200MM - 499.9MM"},
        {"8", "500MM - 999.9MM"}, {"9", "1 Billion +"}};
    for (const QString& st : kStates) {
        SCOPED_TRACE(st.toStdString());
        auto db = openState(st);
        EXPECT_EQ(categoryRows(*db, "EMPLOYEES"), employees);
        EXPECT_EQ(categoryRows(*db, "SALES"), sales);
        if (st == "PM" || st == "DM") {
            // The merit grid shows the table unsorted: the stored order is the shown order.
            auto rs = db->OpenRecordset("SELECT * FROM MERIT", dao::RecordsetType::Snapshot);
            QStringList texts;
            for (; !rs->atEOF(); rs->MoveNext())
                texts << rs->text("DESCRIPTION");
            EXPECT_EQ(texts, (QStringList{"Neutral", "Credit", "Debit", "N/Q"}));
        }
    }
}

TEST_F(SetupFolder, SecondRunRefusesAndKeepsTheFiles) {
    {
        auto db = openState("PA");
        db->executeBound("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, ?, ?)",
                         {"1234567", "01", "keep me"});
    }
    std::map<QString, QByteArray> before;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        before[name] = digest(folder + "/" + name);

    QString error;
    EXPECT_EQ(createProgramFolder(folder, false, &error), SetupOutcome::AlreadyExists);
    EXPECT_TRUE(error.contains("already exists"));
    for (const auto& [name, hash] : before)
        EXPECT_EQ(digest(folder + "/" + name), hash) << name.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), int(before.size()));
    // Forced, every database is made anew.
    ASSERT_EQ(createProgramFolder(folder, true, &error), SetupOutcome::Created) << error.toStdString();
    EXPECT_EQ(openState("PA")->scalar("SELECT COUNT(*) FROM NOTES").toInt(), 0);
}

TEST_F(SetupFolder, AnExistingDatabaseInAnotherCaseCounts) {
    QTemporaryDir other;
    ASSERT_TRUE(QFile::rename(folder + "/VELKNY.MDB", other.filePath("velkny.mdb")));
    ASSERT_TRUE(QDir().rmdir(folder + "/INITIAL"));
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        ASSERT_TRUE(QFile::remove(folder + "/" + name));
    ASSERT_TRUE(QFile::rename(other.filePath("velkny.mdb"), folder + "/velkny.mdb"));
    EXPECT_EQ(createProgramFolder(folder, false), SetupOutcome::AlreadyExists);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"velkny.mdb"});
    // Forced, the database is replaced under its own spelling rather than doubled.
    EXPECT_EQ(createProgramFolder(folder, true), SetupOutcome::Created);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).contains("velkny.mdb"));
    EXPECT_FALSE(QDir(folder).entryList(QDir::Files).contains("VELKNY.MDB"));
}

TEST(SetupTool, CommandLine) {
    const QString tool = QCoreApplication::applicationDirPath() + "/velk-setup";
    ASSERT_TRUE(QFileInfo::exists(tool)) << "build the velk-setup tool first";
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("new/prog");
    auto run = [&](const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.start(tool, args);
        p.waitForFinished(60000);
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString err;
    EXPECT_EQ(run({}, &err), 2);
    EXPECT_TRUE(err.contains("Usage: velk-setup"));
    EXPECT_EQ(run({"--bogus", folder}), 2);
    EXPECT_EQ(run({folder}), 0);
    EXPECT_TRUE(QFileInfo::exists(folder + "/VELKPA.MDB"));
    EXPECT_TRUE(QFileInfo(folder + "/download1").isExecutable()) << "the update form starts it from here";
    EXPECT_EQ(run({folder}, &err), 1);
    EXPECT_TRUE(err.contains("--force"));
    EXPECT_EQ(run({"--force", folder}), 0);
}

TEST_F(SetupFolder, TheDownloaderGoesBesideTheProgramAndTheUsersDownloadSettingsStay) {
    const QString here = QCoreApplication::applicationDirPath();
    const struct {
        const char* what;
        QByteArray settingsBefore; // in download.ini; empty: none
        QByteArray settingsAfter;
    } cases[] = {
        {"a new folder", "", downloadSettingsTemplate()},
        {"a location set by the user", "[Download]\nLocation=file:///srv/velk/\n",
         "[Download]\nLocation=file:///srv/velk/\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QString settings = folder + "/DOWNLOAD.INI";
        if (!c.settingsBefore.isEmpty()) {
            settings = folder + "/download.ini";
            QFile f(settings);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(c.settingsBefore) > 0);
        }
        QString error;
        ASSERT_TRUE(installDownloader(folder, here, &error)) << error.toStdString();
        EXPECT_EQ(digest(folder + "/download1"), digest(here + "/download1"));
        EXPECT_TRUE(QFileInfo(folder + "/download1").isExecutable());
        QFile f(settings);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.settingsAfter);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).filter("download", Qt::CaseInsensitive).size(), 2);
    }
    QString error;
    EXPECT_FALSE(installDownloader(folder, tmp.filePath("nowhere"), &error));
    EXPECT_TRUE(error.contains("download1 is missing")) << error.toStdString();
}
