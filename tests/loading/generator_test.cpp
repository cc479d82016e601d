// The synthetic releases: deterministic, in the exact layouts, referentially consistent, and
// loadable end to end with their edge cases.
#include "generator/release_generator.h"
#include "loading/load_sequence.h"
#include "loading/loaders.h"
#include "loading_fixture.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace generator;
using namespace loading;
using namespace loadingtest;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray fingerprint(const QString& folder, const QStringList& names) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const QString& n : names)
        h.addData(readAll(folder + "/" + n));
    return h.result();
}

} // namespace

class Generator : public LoadingTest {};

TEST_F(Generator, SameSeedSameFiles) {
    GeneratorOptions o;
    o.state = "NY";
    o.employers = 300;
    o.seed = 42;
    GeneratedRelease a, b, c;
    ASSERT_TRUE(generateRelease(o, path("a"), &a));
    ASSERT_TRUE(generateRelease(o, path("b"), &b));
    o.seed = 43;
    ASSERT_TRUE(generateRelease(o, path("c"), &c));
    EXPECT_EQ(a.files, (QStringList{"SIC.DAT", "CLASSES.DAT", "CTYNY.DAT", "DATANY.DAT", "DATA1NY.DAT",
                                    "DATA2NY.DAT"}));
    EXPECT_EQ(fingerprint(path("a"), a.files), fingerprint(path("b"), b.files));
    EXPECT_NE(fingerprint(path("a"), a.files), fingerprint(path("c"), c.files));
}

// Every data set's release loads whole (the loaders refuse a record of the wrong length or
// without its CR LF) and every code and key it names is described or present.
TEST_F(Generator, EveryDataSetLoadsConsistently) {
    for (const QString state : {"DE", "NJ", "NY", "PA", "PM", "DM"}) {
        SCOPED_TRACE(state.toStdString());
        db_.reset();
        GeneratorOptions o;
        o.state = state;
        o.employers = 400;
        o.seed = 5;
        GeneratedRelease result;
        ASSERT_TRUE(generateRelease(o, folder(), &result));
        openState(state);
        ASSERT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), state)), LoadOutcome::Completed);
        EXPECT_TRUE(files().filter(".DAT").isEmpty());
        EXPECT_EQ(ctx_.refusedCount(), 0);
        EXPECT_EQ(count("PRIME"), 400);
        EXPECT_EQ(count("PRIME", "COUNTYNAME IS NULL OR SIC NOT IN (SELECT CODE FROM SICCODES)"), 0);
        EXPECT_EQ(count("CLASS"), result.classLineRecords); // one row per line: no repeated key
        EXPECT_EQ(
            count("CLASS",
                  "CLASSDESC IS NULL OR LOSSCOST IS NULL OR FILESEQ NOT IN (SELECT FILESEQ FROM PRIME)"),
            0);
        // 1 to 5 class lines and mod slots per employer, each slot a dated policy year with a MOD.
        EXPECT_EQ(
            count("PRIME",
                  "(SELECT COUNT(*) FROM CLASS WHERE CLASS.FILESEQ = PRIME.FILESEQ) NOT BETWEEN 1 AND 5"),
            0);
        EXPECT_EQ(count("PRIME", "(SELECT COUNT(*) FROM MODS WHERE MODS.FILE = PRIME.FILE AND MODS.SEQUENCE "
                                 "= PRIME.SEQUENCE) NOT BETWEEN 1 AND 5"),
                  0);
        EXPECT_EQ(count("MODS",
                        "MOD IS NULL OR ISSUE <= '1950-01-01' OR EFFECTIVE <= ISSUE OR EXPIRE <= EFFECTIVE"),
                  0);
        EXPECT_EQ(count("PRIME", "ISSUE1 IS NULL"), state == "NY" ? 400 : 0);
        EXPECT_EQ(count("PRIME", "NJAR IS NOT NULL") > 0, state == "NJ");
        EXPECT_EQ(count("MODS", "[MOD] IN (9.884, 9.885, 9.886, 8.888)") > 0, state == "PM" || state == "DM");
        if (state == "NY") {
            EXPECT_GT(count("ADDRESSES"), 50);
            EXPECT_EQ(count("ADDRESSES",
                            "ADDRESSES IS NULL OR FILE || SEQUENCE NOT IN (SELECT FILESEQ FROM PRIME)"),
                      0);
        }
    }
}

TEST_F(Generator, LoadsEndToEnd) {
    openState("NJ");
    GeneratorOptions o;
    o.state = "NJ";
    o.employers = 700;
    o.duplicates = o.unknownCodes = o.blankRecords = o.ctrlZ = true;
    GeneratedRelease result;
    ASSERT_TRUE(generateRelease(o, folder(), &result));
    const QByteArray data = readAll(path("DATANJ.DAT"));
    EXPECT_TRUE(data.endsWith("\r\n\x1a"));
    EXPECT_TRUE(data.contains("\n" + QByteArray(500, ' ') + "\r\n")); // a blank record
    EXPECT_GT(result.employerRecords, 700);                           // repeated keys
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "NJ")), LoadOutcome::Completed);
    EXPECT_EQ(count("PRIME"), 700); // the repeated keys edit their row
    EXPECT_EQ(count("NOTES"), 700);
    EXPECT_GT(count("PRIME", "NJAR IS NOT NULL"), 0);
    EXPECT_GT(count("PRIME", "COUNTYNAME IS NULL"), 0); // the unknown county codes
    EXPECT_GT(count("CLASS", "CLASSDESC IS NULL"), 0);  // the unknown class codes
    EXPECT_GT(ctx_.refusedCount(), 0);                  // the repeated codes
    EXPECT_EQ(count("VERSION"), 1);
    EXPECT_TRUE(files().filter(".DAT").isEmpty());
}
