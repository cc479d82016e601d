#include "platform/files/fixed_records.h"
#include "support/temp_dir.h"

using namespace files;

namespace {

class FixedRecords : public testsupport::TempDirTest {
protected:
    // Every 10-byte record of a file holding contents; -1 in failedAt, or the record number a
    // malformed file is reported at.
    QList<QByteArray> readAll(const QByteArray& contents, long long* failedAt) {
        testsupport::writeFile(path("SIC.DAT"), contents);
        QList<QByteArray> out;
        *failedAt = -1;
        try {
            FixedRecordReader r(path("SIC.DAT"), 10);
            QByteArray rec;
            while (r.next(rec))
                out.append(rec);
            EXPECT_EQ(r.bytesRead(), r.fileSize());
        } catch (const MalformedFile& e) {
            EXPECT_TRUE(e.message().contains("SIC.DAT"));
            EXPECT_TRUE(e.message().contains(QString::number(e.recordNumber())));
            *failedAt = e.recordNumber();
        }
        return out;
    }
};

const QByteArray kRec1 = "ABCDEFGH\r\n";
const QByteArray kRec2 = "12345678\r\n";

} // namespace

TEST_F(FixedRecords, RemaindersAreIgnoredWhenFillerAndReportedOtherwise) {
    const struct {
        QByteArray contents;
        QList<QByteArray> records; // when it loads
        long long failedAt;
    } cases[] = {
        {kRec1 + kRec2, {kRec1, kRec2}, -1},
        {QByteArray(), {}, -1},
        {kRec1 + "\x1a", {kRec1}, -1},
        {kRec1 + kRec2 + "   \r\n", {kRec1, kRec2}, -1},
        {kRec1 + QByteArray(25, ' ') + "\x1a", {kRec1}, -1}, // filler longer than a record
        {kRec1 + kRec2 + "XY\r\n", {}, 3},
        {"X", {}, 1},
        {"ABCDEFGHI\n123456789\n", {}, 1}, // LF only: reported, not loaded shifted
        {kRec1 + "1234567\r\nABCDEFGH\r\n", {}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents.toStdString());
        long long failedAt = 0;
        const QList<QByteArray> got = readAll(c.contents, &failedAt);
        EXPECT_EQ(failedAt, c.failedAt);
        if (c.failedAt < 0) {
            EXPECT_EQ(got, c.records);
        }
    }
}

TEST_F(FixedRecords, RecordsSpanningBufferRefills) {
    // 1 MiB is not a multiple of 502: records straddle the refills.
    const int n = 5000;
    QByteArray contents;
    for (int i = 0; i < n; ++i)
        contents += QByteArray::number(i).rightJustified(4, '0') + QByteArray(496, 'x') + "\r\n";
    testsupport::writeFile(path("SIC.DAT"), contents);
    FixedRecordReader reader(path("SIC.DAT"), 502);
    QByteArray got;
    int count = 0;
    while (reader.next(got))
        ASSERT_EQ(got.left(4), QByteArray::number(count++).rightJustified(4, '0'));
    EXPECT_EQ(count, n);
    EXPECT_EQ(reader.recordNumber(), n);
}

TEST_F(FixedRecords, MissingFileIsReportedAsRecordZero) {
    try {
        FixedRecordReader r(path("NONE.DAT"), 10);
        FAIL() << "opened a missing file";
    } catch (const MalformedFile& e) {
        EXPECT_EQ(e.recordNumber(), 0);
    }
}
