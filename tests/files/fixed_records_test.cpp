#include "platform/files/fixed_records.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace files;

namespace {

class FixedRecords : public ::testing::Test {
protected:
    QString write(const QByteArray& contents) {
        const QString path = dir.filePath(QStringLiteral("SIC.DAT"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contents);
        return path;
    }
    // Reads every record of a file of 10-byte records.
    QList<QByteArray> readAll(const QByteArray& contents) {
        FixedRecordReader r(write(contents), 10);
        QList<QByteArray> out;
        QByteArray rec;
        while (r.next(rec))
            out.append(rec);
        EXPECT_EQ(r.bytesRead(), r.fileSize());
        return out;
    }
    // The record number a malformed file is reported at, -1 when it loads.
    long long failingRecord(const QByteArray& contents) {
        try {
            readAll(contents);
        } catch (const MalformedFile& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("SIC.DAT")));
            EXPECT_TRUE(e.message().contains(QString::number(e.recordNumber())));
            return e.recordNumber();
        }
        return -1;
    }
    QTemporaryDir dir;
};

const QByteArray kRec1 = "ABCDEFGH\r\n";
const QByteArray kRec2 = "12345678\r\n";

} // namespace

TEST_F(FixedRecords, ExactMultipleAndEmptyFile) {
    EXPECT_EQ(readAll(kRec1 + kRec2), (QList<QByteArray>{kRec1, kRec2}));
    EXPECT_TRUE(readAll(QByteArray()).isEmpty());
}

TEST_F(FixedRecords, FillerTailsAreIgnored) {
    EXPECT_EQ(readAll(kRec1 + "\x1a"), QList<QByteArray>{kRec1});
    EXPECT_EQ(readAll(kRec1 + kRec2 + "   \r\n"), (QList<QByteArray>{kRec1, kRec2}));
    // A filler tail longer than a record is still only filler.
    EXPECT_EQ(readAll(kRec1 + QByteArray(25, ' ') + "\x1a"), QList<QByteArray>{kRec1});
}

TEST_F(FixedRecords, ShortGarbageTailNamesItsRecord) {
    EXPECT_EQ(failingRecord(kRec1 + kRec2 + "XY\r\n"), 3);
    EXPECT_EQ(failingRecord("X"), 1);
}

TEST_F(FixedRecords, LfOnlyFileIsReportedNotShifted) {
    EXPECT_EQ(failingRecord("ABCDEFGHI\n123456789\n"), 1);
    // A record of the wrong length further on.
    EXPECT_EQ(failingRecord(kRec1 + "1234567\r\nABCDEFGH\r\n"), 2);
}

TEST_F(FixedRecords, RecordsSpanningBufferRefills) {
    // 1 MiB is not a multiple of 502: records straddle the refills.
    QByteArray rec(500, 'x');
    rec += "\r\n";
    QByteArray contents;
    const int n = 5000;
    for (int i = 0; i < n; ++i) {
        QByteArray r = rec;
        r.replace(0, 4, QByteArray::number(i).rightJustified(4, '0'));
        contents += r;
    }
    FixedRecordReader reader(write(contents), 502);
    QByteArray got;
    int count = 0;
    while (reader.next(got)) {
        ASSERT_EQ(got.left(4), QByteArray::number(count).rightJustified(4, '0'));
        ++count;
    }
    EXPECT_EQ(count, n);
    EXPECT_EQ(reader.recordNumber(), n);
}

TEST_F(FixedRecords, MissingFileIsReportedAsRecordZero) {
    try {
        FixedRecordReader r(dir.filePath(QStringLiteral("NONE.DAT")), 10);
        FAIL() << "opened a missing file";
    } catch (const MalformedFile& e) {
        EXPECT_EQ(e.recordNumber(), 0);
    }
}
