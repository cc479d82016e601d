// The report rows each writer writes, by data set, checked on the working copy.
#include "dataset/report_rows.h"
#include "printing/printing_fixture.h"

#include <gtest/gtest.h>

using namespace dataset;
using namespace printingtest;

namespace {

const QVariant N; // not written

class RowWriters : public PrintingTest {
protected:
    QString fileOf(const QString& code) const { return code == "NY" ? "12345 789" : "1234567"; }

    // One employer with 23 mods and 22 classes, written out of order, and one with none.
    void addEmployers(const QString& code) {
        const QString file = fileOf(code);
        addEmployer({{"FILE", file},
                     {"SEQUENCE", "01"},
                     {"NAME1", "ACME TOOL CO"},
                     {"ZIP", "19001"},
                     {"ZIPEXT", "1234"},
                     {"PHONE", "215-555-0100"},
                     {"UserPhone", " 555-0199"}, // starts with a blank: not present
                     {"FAX", "215-555-0101"},
                     {"UserFax", "610-555-0000"},
                     {"CONTACT", "JOHN DOE"},
                     {"UserContact", ""},
                     {"TITLE", "OWNER"},
                     {"UserTitle", "BOSS"},
                     {"User1", "CALL MONDAY"},
                     {"EMPLOYEES", "5"},
                     {"SALES", "3"},
                     {"SIC", "3599"},
                     {"Omit", " "},
                     {"NJAR", 507},
                     {"ARESTPREM", "0012345"},
                     {"REVISED", true},
                     {"INTERSTATE", false}},
                    "the note");
        addEmployer({{"FILE", file},
                     {"SEQUENCE", "02"},
                     {"NAME1", "BÊTA CO"},
                     {"ZIP", "19002"},
                     {"ZIPEXT", " "},
                     {"SIC", "3599"},
                     {"EMPLOYEES", "Z"}, // no such code
                     {"Omit", "Y"}});
        for (int i = 20; i >= 0; --i) // older ones, oldest first
            addMod(file, "01", QDate(2023 - i, 1, 1), QDate(2024 - i, 7, 1), QDate(2025 - i, 7, 1),
                   0.5 + i / 100.0);
        // Equal effective and expiry dates: the print run takes the later issue first, Print
        // Record the order of the database.
        addMod(file, "01", QDate(2024, 1, 2), QDate(2025, 7, 1), QDate(2026, 7, 1), 1.0);
        addMod(file, "01", QDate(2024, 5, 1), QDate(2025, 7, 1), QDate(2026, 7, 1), 1.1);
        for (int i = 21; i >= 0; --i)
            addClass(file, "01", QString::number(8800 + i), 8800 + i);
        if (code == "NY")
            openState()->executeBound(
                "INSERT INTO ADDRESSES (FILE, SEQUENCE, ADDRESSES) VALUES (?, '01', 'ADDR')", {file});
    }

    void writeAll(RowWriter kind) {
        ASSERT_TRUE(replaceWorkingCopy(folder()));
        std::unique_ptr<dao::Database> state = openState();
        std::unique_ptr<dao::Database> report = dao::Database::open(workingCopyPath());
        ReportRowWriter writer(kind, dataSet, *state, *report);
        std::unique_ptr<dao::Recordset> list =
            state->OpenRecordset("SELECT * FROM PRIME ORDER BY SEQUENCE", dao::RecordsetType::Snapshot);
        for (; !list->atEOF(); list->MoveNext())
            writer.write(*list);
    }
};

struct Expect {
    const char* field;
    QVariant pa, nj, ny;
};

using K = RowWriter;

TEST_F(RowWriters, FieldsByWriterAndDataSet) {
    const QVariant newest = QDate(2024, 5, 1), firstWritten = QDate(2024, 1, 2),
                   effective = QDate(2025, 7, 1);
    const std::pair<RowWriter, QVector<Expect>> cases[] = {
        {K::Labels,
         {{"Omit", N, N, N},
          {"MOD0", N, N, N},
          {"EXPIRE", N, N, N},
          {"EMPDESC", N, N, N},
          {"NJAR", N, N, N},
          {"ARESTPREM", N, N, N},
          {"NOTES", N, N, N},
          {"CLASS0", N, N, N}}},
        {K::LabelsByExpiry,
         {{"Omit", N, N, N},
          {"MOD0", N, N, N},
          {"EXPIRE", 701, 701, 701},
          {"EMPDESC", N, N, N},
          {"NJAR", N, N, N},
          {"CLASS0", N, N, N}}},
        {K::Summary,
         {{"Omit", N, N, N},
          {"MOD0", 1.1, 1.1, 1.1},
          {"ISSUE0", newest, newest, newest},
          {"EFFECTIVE0", effective, effective, N},
          {"MOD19", 0.67, 0.67, 0.67},
          {"EXPIRE", 701, 701, 701},
          {"EMPDESC", "50 - 99", "50 - 99", "50 - 99"},
          {"SICDESC", "Industrial machinery", "Industrial machinery", "Industrial machinery"},
          {"SALESDESC", "5MM - 9.9MM", "5MM - 9.9MM", "5MM - 9.9MM"},
          {"NJAR", N, "07/05", N},
          {"ARESTPREM", N, "0012345", N},
          {"NOTES", N, N, N},
          {"ADDRESSES", N, N, N},
          {"REVISED", N, N, N},
          {"CLASS0", "8800", "8800", "8800"},
          {"CLASS20", "8820", "8820", "8820"},
          {"CLASSLOSS0", 8800.0, 8800.0, 8800.0}}},
        {K::Detail,
         {{"MOD0", 1.1, 1.1, 1.1},
          {"EFFECTIVE0", effective, effective, N},
          {"MOD19", 0.67, 0.67, 0.67},
          {"EXPIRE", 701, 701, 701},
          {"NJAR", N, "07/05", N},
          {"NOTES", "the note", "the note", "the note"},
          {"ADDRESSES", N, N, "ADDR"},
          {"REVISED", N, N, true},
          {"INTERSTATE", N, N, false},
          {"CLASS20", "8820", "8820", "8820"}}},
        {K::PrintRecord,
         {{"Omit", N, N, N},
          {"MOD0", 1.0, 1.0, 1.0},
          {"ISSUE0", firstWritten, firstWritten, firstWritten},
          {"EFFECTIVE0", effective, effective, effective}, // New York too
          {"MOD19", 0.67, 0.67, 0.67},
          {"EXPIRE", N, N, N},
          {"SICDESC", "Industrial machinery", "Industrial machinery", "Industrial machinery"},
          {"NJAR", N, "07/05", N},
          {"NOTES", "the note", "the note", "the note"},
          {"ADDRESSES", N, N, "ADDR"},
          {"CLASS20", "8820", "8820", "8820"}}},
        {K::ExpiryPass,
         {{"Omit", " ", " ", " "},
          {"MOD0", N, N, N},
          {"EXPIRE", 701, 701, 701},
          {"EMPDESC", N, N, N},
          {"NJAR", N, "507", N},
          {"ARESTPREM", N, "0012345", N},
          {"NOTES", N, N, N}}},
    };
    for (const QString code : {"PA", "NJ", "NY"}) {
        makeState(code);
        addEmployers(code);
        for (const auto& [kind, expects] : cases) {
            writeAll(kind);
            const QVector<Row> prime = reportRows("PRIME");
            const QVector<Row> classes = reportRows("CLASS");
            const std::string what = code.toStdString() + " writer " + std::to_string(int(kind));
            ASSERT_EQ(prime.size(), 2) << what;
            const Row& r = prime[0];
            const Row c = classes.value(0);
            // The base fields, with the user's own values where present, from every writer.
            EXPECT_EQ(r["FILE"], fileOf(code)) << what;
            EXPECT_EQ(r["ZIP"], "19001-1234") << what;
            EXPECT_EQ(r["PHONE"], "215-555-0100") << what;
            EXPECT_EQ(r["FAX"], "610-555-0000") << what;
            EXPECT_EQ(r["CONTACT"], "JOHN DOE") << what;
            EXPECT_EQ(r["TITLE"], "BOSS") << what;
            EXPECT_EQ(r["USER1"], "CALL MONDAY") << what;
            EXPECT_EQ(prime[1]["ZIP"], "19002") << what; // an extension of blanks is no extension
            EXPECT_EQ(prime[1]["NAME1"], "BÊTA CO") << what;
            // A code met before is described again; one the table lacks is described by nothing.
            const bool describes = kind == K::Summary || kind == K::Detail || kind == K::PrintRecord;
            EXPECT_EQ(prime[1]["SICDESC"], describes ? QVariant("Industrial machinery") : N) << what;
            EXPECT_TRUE(prime[1]["EMPDESC"].isNull()) << what;
            // One CLASS row per employer, keyed, from every writer but the expiry pass.
            EXPECT_EQ(classes.size(), kind == K::ExpiryPass ? 0 : 2) << what;
            if (kind != K::ExpiryPass) {
                EXPECT_EQ(c["FILE"], fileOf(code)) << what;
            }
            EXPECT_TRUE(r["MOD20"].isNull() && !r.contains("MOD20")) << what; // twenty slots only
            for (const Expect& e : expects) {
                const QVariant& want = code == "PA" ? e.pa : code == "NJ" ? e.nj : e.ny;
                const QString f = QString::fromLatin1(e.field).toUpper();
                const QVariant got = f.startsWith("CLASS") ? c.value(f) : r.value(f);
                const std::string label =
                    what + " " + e.field + " = \"" + got.toString().toStdString() + "\"";
                if (!want.isValid()) {
                    EXPECT_TRUE(got.isNull()) << label;
                } else if (want.typeId() == QMetaType::Double) {
                    EXPECT_NEAR(got.toDouble(), want.toDouble(), 1e-9) << label;
                } else {
                    EXPECT_EQ(got, want) << label;
                }
            }
            // The employer without mods: no slots; the expiry pass puts it with 11 November.
            EXPECT_TRUE(prime[1]["MOD0"].isNull()) << what;
            EXPECT_EQ(prime[1]["EXPIRE"], kind == K::ExpiryPass ? QVariant(1111) : N) << what;
        }
    }
}

} // namespace
