// The synthetic releases: deterministic, in the exact layouts (read back with the loaders' own
// parsers), referentially consistent, and loadable end to end.
#include "loading/load_sequence.h"
#include "loading/loaders.h"
#include "loading/release_generator.h"
#include "loading/release_records.h"
#include "loading_fixture.h"

#include <QCryptographicHash>
#include <QSet>

#include <gtest/gtest.h>

using namespace loading;
using namespace loadingtest;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The records of a file, each checked for its length and its CR LF.
QList<QByteArray> records(const QString& path, int length) {
    QByteArray bytes = readAll(path);
    if (bytes.endsWith('\x1a')) bytes.chop(1);
    EXPECT_EQ(bytes.size() % length, 0) << path.toStdString();
    QList<QByteArray> out;
    for (qsizetype at = 0; at + length <= bytes.size(); at += length) {
        const QByteArray rec = bytes.mid(at, length);
        EXPECT_TRUE(rec.endsWith("\r\n")) << path.toStdString() << " at " << at;
        EXPECT_EQ(rec.left(length - 2).indexOf('\n'), -1);
        out << rec;
    }
    return out;
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

TEST_F(Generator, LayoutsReadBackConsistently) {
    for (const QString state : {"DE", "NJ", "NY", "PA", "PM", "DM"}) {
        SCOPED_TRACE(state.toStdString());
        const bool ny = state == "NY";
        const Layout layout = ny ? Layout::NewYork : Layout::Standard;
        GeneratorOptions o;
        o.state = state;
        o.employers = 400;
        o.seed = 5;
        const QString dir = path(state);
        ASSERT_TRUE(generateRelease(o, dir));

        QSet<QString> sics, classes, counties, keys;
        for (const QByteArray& r : records(dir + "/SIC.DAT", kSicRecordLength)) {
            const auto e = parseSicRecord(r);
            ASSERT_TRUE(e) << r.constData();
            sics.insert(e->code);
        }
        for (const QByteArray& r : records(dir + "/CLASSES.DAT", kClassListRecordLength)) {
            ASSERT_TRUE(sortsAfter(r, kFilterBlankBang));
            classes.insert(parseClassListRecord(r).classCode);
        }
        for (const QByteArray& r : records(dir + "/" + countyFileName(state), kCountyRecordLength)) {
            ASSERT_TRUE(sortsAfter(r, kFilterBlankBang));
            counties.insert(parseCountyRecord(r).code);
        }
        int njAssignedRisk = 0, merits = 0;
        const QList<QByteArray> employers =
            records(dir + "/" + employerFileName(state), kEmployerRecordLength);
        ASSERT_EQ(employers.size(), 400);
        for (const QByteArray& r : employers) {
            ASSERT_TRUE(sortsAfter(r, kFilterBang));
            const EmployerRecord e = parseEmployerRecord(r, layout, state == "NJ");
            EXPECT_EQ(e.file.size(), ny ? 9 : 7);
            EXPECT_FALSE(keys.contains(e.fileSeq())) << "repeated key without --duplicates";
            keys.insert(e.fileSeq());
            EXPECT_TRUE(counties.contains(e.county)) << e.county.toStdString();
            EXPECT_TRUE(sics.contains(e.sic)) << e.sic.toStdString();
            // 1 to 5 slots from the first on, each a real policy year with a MOD.
            int used = 0;
            while (used < 5 && e.mods[used].inUse)
                ++used;
            EXPECT_GE(used, 1);
            for (int i = 0; i < 5; ++i) {
                const ModSlot& m = e.mods[i];
                EXPECT_EQ(m.inUse, i < used);
                if (!m.inUse) continue;
                EXPECT_GT(m.issue, fallbackDate());
                EXPECT_EQ(m.expire, m.effective.addYears(1));
                ASSERT_TRUE(m.mod);
                merits += *m.mod == 9.884 || *m.mod == 9.885 || *m.mod == 9.886 || *m.mod == 8.888;
            }
            njAssignedRisk += e.njar.has_value();
        }
        EXPECT_EQ(njAssignedRisk > 0, state == "NJ");
        EXPECT_EQ(merits > 0, state == "PM" || state == "DM");

        QHash<QString, int> linesPerEmployer;
        for (const QByteArray& r : records(dir + "/" + classLineFileName(state), kClassLineRecordLength)) {
            ASSERT_TRUE(sortsAfter(r, kFilterBlankBang));
            const ClassLine c = parseClassLine(r, layout);
            EXPECT_TRUE(keys.contains(c.fileSeq())) << c.fileSeq().toStdString();
            EXPECT_TRUE(classes.contains(c.classCode));
            EXPECT_TRUE(c.lossCost && *c.lossCost > 0);
            ++linesPerEmployer[c.fileSeq()];
        }
        EXPECT_EQ(linesPerEmployer.size(), keys.size());
        for (int n : linesPerEmployer)
            EXPECT_TRUE(n >= 1 && n <= 5);

        EXPECT_EQ(QFile::exists(dir + "/DATA2NY.DAT"), ny);
        if (!ny) continue;
        for (const QByteArray& r : records(dir + "/DATA2NY.DAT", kAddressRecordLength)) {
            ASSERT_TRUE(sortsAfter(r, kFilterBlankBang));
            const AddressRecord a = parseAddressRecord(r);
            EXPECT_TRUE(keys.contains(a.file + a.sequence));
            EXPECT_GE(a.lines.size(), 1);
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
