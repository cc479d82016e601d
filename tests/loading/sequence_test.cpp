// The load sequence: which files take part, the order of the loaders, the version stamp, cancel
// between loaders and failures that stop the sequence.
#include "loading/load_sequence.h"
#include "loading/loaders.h"
#include "loading_fixture.h"

#include <gtest/gtest.h>

using namespace loading;
using namespace loadingtest;

namespace {

// One New York record of each kind for the employer 123 45 67, sequence 01.
QByteArray nyEmployer(const QByteArray& county) {
    return Golden(502)
        .put(1, "NY123456701")
        .put(28, "EMPIRE BAKERY CORP")
        .put(175, county)
        .put(195, slot("031599", "990401", "031500", "0095"))
        .rec;
}
QByteArray nyClassLine(const QByteArray& code) {
    return Golden(52)
        .put(2, code)
        .put(7, "123456701"
                "0001234")
        .rec;
}
QByteArray nyAddress() {
    return Golden(327).put(1, "NY123456701").put(19, "PO BOX 12").rec;
}

} // namespace

class LoadSequence : public LoadingTest {
protected:
    void writeNewYorkRelease() {
        writeFile("SIC.DAT", {Golden(52).put(1, " 2051").put(9, "BAKERY PRODUCTS").rec});
        writeFile("CLASSES.DAT", {Golden(57).put(2, "2003").put(6, "BAKERY").rec});
        writeFile("CTYNY.DAT", {Golden(36).put(2, "061").put(5, "NEW YORK").rec});
        writeFile("DATA1NY.DAT", {nyClassLine("2003")});
        writeFile("DATANY.DAT", {nyEmployer("061")});
        writeFile("DATA2NY.DAT", {nyAddress()});
    }
};

TEST_F(LoadSequence, WhichFilesOfferALoad) {
    openState("NY");
    EXPECT_FALSE(offersLoad(measureReleaseFiles(folder(), "NY")));
    writeFile("DATA2NY.DAT", {nyAddress()});
    EXPECT_FALSE(offersLoad(measureReleaseFiles(folder(), "NY"))); // the address file alone starts none
    writeFile("CTYNY.DAT", {});                                    // present but empty
    EXPECT_FALSE(offersLoad(measureReleaseFiles(folder(), "NY")));
    writeFile("ctyny.dat", {Golden(36).put(2, "061").rec});
    QFile::remove(path("CTYNY.DAT"));
    const ReleaseFileLengths l = measureReleaseFiles(folder(), "NY");
    EXPECT_EQ(l.county, 36);
    EXPECT_EQ(l.addresses, 327);
    EXPECT_TRUE(offersLoad(l));
    EXPECT_FALSE(
        offersLoad(measureReleaseFiles(folder(), "PA"))); // another data set's files count for nothing
}

TEST_F(LoadSequence, CompleteNewYorkLoadInOrder) {
    openState("NY");
    writeNewYorkRelease();
    db_->execute("INSERT INTO VERSION (Dummy, Version) VALUES ('1', '2020-01-01')");
    cancelled_ = true; // left over from an earlier load: cleared before the first loader
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "NY")), LoadOutcome::Completed);

    // The class loader found this release's descriptions, the employer loader its county names.
    EXPECT_EQ(value("SELECT CLASSDESC FROM CLASS").toString().trimmed(), "BAKERY");
    EXPECT_EQ(value("SELECT COUNTYNAME FROM PRIME").toString().trimmed(), "NEW YORK");
    EXPECT_EQ(value("SELECT [DESC] FROM SICCODES WHERE CODE = '2051'").toString().trimmed(),
              "BAKERY PRODUCTS");
    EXPECT_EQ(value("SELECT ADDRESSES FROM ADDRESSES").toString(),
              QString("PO BOX 12").leftJustified(35) + "\r\n");
    EXPECT_EQ(count("VERSION"), 1);
    EXPECT_EQ(value("SELECT Dummy FROM VERSION").toString(), "1");
    EXPECT_EQ(dao::toDate(value("SELECT Version FROM VERSION")), QDate(2024, 6, 30));
    EXPECT_EQ(progress_, (QStringList{"TOTAL CLASSES ADDED IS 0", "TOTAL COMPANIES ADDED IS 0",
                                      "TOTAL OTHER INFORMATION ADDED IS 0"}));
    EXPECT_TRUE(files().filter(".DAT").isEmpty()) << files().join(" ").toStdString();
}

TEST_F(LoadSequence, OnlySicLoadsNoVersionStamp) {
    openState("PA");
    writeFile("Sic.Dat", {Golden(52).put(1, " 1521").put(9, "HOUSES").rec});
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Completed);
    EXPECT_EQ(count("SICCODES"), 1);
    EXPECT_EQ(count("VERSION"), 0);
    EXPECT_FALSE(exists("Sic.Dat"));
}

TEST_F(LoadSequence, AddressFileIsNotLoadedForAnotherDataSet) {
    openState("PA");
    writeFile("DATA2NY.DAT", {nyAddress()});
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Completed);
    EXPECT_TRUE(exists("DATA2NY.DAT"));
    EXPECT_EQ(count("PRIME"), 1);
    EXPECT_EQ(count("VERSION"), 1);
}

TEST_F(LoadSequence, LengthsAreTakenOnceBeforeTheLoad) {
    openState("PA");
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    const ReleaseFileLengths l = measureReleaseFiles(folder(), "PA");
    writeFile("SIC.DAT", {Golden(52).put(1, " 1521").put(9, "HOUSES").rec}); // too late for this load
    EXPECT_EQ(runLoadSequence(ctx_, l), LoadOutcome::Completed);
    EXPECT_EQ(count("SICCODES"), 0);
    EXPECT_TRUE(exists("SIC.DAT"));
}

TEST_F(LoadSequence, CancelDuringThePlainLoadersStopsBeforeTheNextOne) {
    openState("NY");
    writeNewYorkRelease();
    onEvents_ = [&] { cancelled_ = true; }; // a click seen as soon as events run after SIC.DAT
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "NY")), LoadOutcome::Cancelled);
    EXPECT_FALSE(exists("SIC.DAT"));
    for (const char* kept : {"CLASSES.DAT", "CTYNY.DAT", "DATA1NY.DAT", "DATANY.DAT", "DATA2NY.DAT"})
        EXPECT_TRUE(exists(kept)) << kept;
    EXPECT_EQ(count("VERSION"), 0);
}

TEST_F(LoadSequence, CancelDuringTheClassLoadKeepsTheEmployerFile) {
    openState("PA");
    db_->execute("INSERT INTO PRIME (FILE, SEQUENCE) VALUES ('9999999', '01')");
    QList<QByteArray> lines;
    for (int i = 0; i < 20; ++i)
        lines << standardClassLine("8810", QByteArray::number(1000000 + i), "01", "00100");
    writeFile("DATA1PA.DAT", lines);
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    onEvents_ = [&] {
        if (eventRuns_ == 5) cancelled_ = true;
    };
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Cancelled);
    EXPECT_EQ(count("CLASS"), 4); // rows handled before the stop are committed
    EXPECT_TRUE(exists("DATA1PA.DAT"));
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_EQ(count("PRIME"), 1); // the employer loader did not run
    EXPECT_EQ(count("VERSION"), 0);
}

TEST_F(LoadSequence, FailureStopsTheLaterLoaders) {
    openState("PA");
    writeFile("DATA1PA.DAT", {standardClassLine("8810", "1000001", "01", "00100")}, "XYZ"); // a stray tail
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    try {
        runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA"));
        FAIL() << "no failure";
    } catch (const LoadFailure& f) {
        EXPECT_EQ(f.file(), "DATA1PA.DAT");
        EXPECT_EQ(f.record(), 2);
    }
    EXPECT_EQ(count("CLASS"), 0);
    EXPECT_TRUE(exists("DATA1PA.DAT"));
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_EQ(count("VERSION"), 0);
}

TEST_F(LoadSequence, AddressFailureAfterTheStampKeepsTheStampAndTheFile) {
    openState("NY");
    writeNewYorkRelease();
    writeFile("DATA2NY.DAT", {nyAddress().left(300) + "\r\n"});
    EXPECT_THROW(runLoadSequence(ctx_, measureReleaseFiles(folder(), "NY")), LoadFailure);
    EXPECT_EQ(count("VERSION"), 1);
    EXPECT_TRUE(exists("DATA2NY.DAT"));
}

TEST_F(LoadSequence, VersionStampFailureIsReportedWithoutAKeptFile) {
    openState("PA");
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    db_->execute("DROP TABLE VERSION");
    try {
        runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA"));
        FAIL() << "no failure";
    } catch (const LoadFailure& f) {
        EXPECT_EQ(f.file(), "VERSION");
        EXPECT_TRUE(f.message().startsWith("The data load stopped on VERSION.")) << f.message().toStdString();
        EXPECT_FALSE(f.message().contains("was kept")); // the employer file was loaded and deleted
    }
    EXPECT_EQ(count("PRIME"), 1);
}
