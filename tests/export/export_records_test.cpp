// The lines of the export formats, written out by hand: a standard, a New Jersey and a New York
// employer, the preparation of the address and contact fields, values that need care.
#include "export/export_records.h"
#include "platform/files/win1252.h"

#include <QDate>

#include <gtest/gtest.h>

#include <utility>

namespace {

using namespace exporting;
using F = Field;

SourceRow rowOf(std::initializer_list<std::pair<Field, QVariant>> values) {
    SourceRow r;
    for (const auto& [f, v] : values)
        r[f] = v;
    return r;
}

// A Pennsylvania employer as the loaders store one: blanks for nothing, ZIP with its extension.
SourceRow standardRow() {
    return rowOf({{F::FILE, "1234567"},       {F::SEQUENCE, "01"},       {F::Omit, " "},
                  {F::NAME1, "ACME TOOL AND DIE CO"}, {F::NAME2, " "},   {F::STREET, "100 MAIN ST"},
                  {F::CITY, "YORK"},          {F::ST, "PA"},             {F::ZIP, "17401"},
                  {F::ZIPEXT, "1234"},        {F::PHONE, "717-555-0100"}, {F::FAX, "717-555-0199"},
                  {F::TITLE, "OWNER"},        {F::CONTACT, "PAT LEE"},   {F::SIC, "3544"},
                  {F::EMPLOYEES, "2"},        {F::SALES, "3"},           {F::User1, " "},
                  {F::User2, "X"},            {F::User3, " "},           {F::UserPhone, " "},
                  {F::UserFax, " "},          {F::UserContact, " "},     {F::UserTitle, " "}});
}

SourceRow newJerseyRow() {
    SourceRow r = standardRow();
    r[F::NJPPAP] = "A12";
    r[F::NJCCPAP] = "B34";
    r[F::NJAR] = qlonglong(9805);
    r[F::ARESTPREM] = "0012345";
    r[F::ARTOTPREM] = "0054321";
    r[F::ARTOTLOSS] = "0001000";
    return r;
}

SourceRow newYorkRow() {
    SourceRow r = standardRow();
    r[F::FILE] = "123456789";
    r[F::SEQUENCE] = "02";
    r[F::NAME1] = "EMPIRE BAGELS INC";
    r[F::ZIPEXT] = " ";
    return r;
}

// Three mods, newest first, the last with the no-date placeholder; a listed class and one that
// the class list lacks.
Employer standardEmployer() {
    Employer e;
    e.mods = {{QDate(2004, 6, 30), 0.875}, {QDate(2003, 6, 30), 1.0}, {QDate(1950, 1, 1), 0.9}};
    e.classes = {{"3544", "TOOL MAKING  ", true}, {"9999", QVariant(), false}};
    return e;
}

// n empty values, each after a separator.
QString empties(int n, const QString& separator = QStringLiteral(",")) {
    QString s;
    for (int i = 0; i < n; ++i)
        s += separator + QStringLiteral("\"\"");
    return s;
}

QString lineOf(ExportFormat format, const SourceRow& row, const Employer& e, bool nj) {
    const ExportFields fields = prepareExportRow(row, false, false);
    return format == ExportFormat::FixedLength ? fixedLine(row, fields, e, nj)
                                               : delimitedLine(format, row, fields, e, nj);
}

const QString kStandardStart = QStringLiteral(
    R"("1234567-01","ACME TOOL AND DIE CO","","100 MAIN ST","YORK","PA","17401-1234","717-555-0100",)"
    R"("717-555-0199","OWNER","PAT LEE","3544","2","3"," ","X"," ")");

TEST(DelimitedRecords, StandardCommaLineHasEightModPairsAndElevenClassPairs) {
    const QString expected = kStandardStart + R"(,"06/30/2004","0.875","06/30/2003","1","","0.9")" +
                             empties(10) + R"(,"3544","TOOL MAKING","9999","")" + empties(18);
    EXPECT_EQ(lineOf(ExportFormat::CommaDelimited, standardRow(), standardEmployer(), false), expected);
}

TEST(DelimitedRecords, TabLineHoldsTheSameColumnsBetweenTabs) {
    const QString expected =
        "\"1234567-01\"\t\"ACME TOOL AND DIE CO\"\t\"\"\t\"100 MAIN ST\"\t\"YORK\"\t\"PA\"\t\"17401-1234\"\t"
        "\"717-555-0100\"\t\"717-555-0199\"\t\"OWNER\"\t\"PAT LEE\"\t\"3544\"\t\"2\"\t\"3\"\t\" \"\t\"X\"\t\" \"\t"
        "\"06/30/2004\"\t\"0.875\"\t\"06/30/2003\"\t\"1\"\t\"\"\t\"0.9\"" +
        empties(10, "\t") + "\t\"3544\"\t\"TOOL MAKING\"\t\"9999\"\t\"\"" + empties(18, "\t");
    EXPECT_EQ(lineOf(ExportFormat::TabDelimited, standardRow(), standardEmployer(), false), expected);
}

TEST(DelimitedRecords, LimitedLineHasFourModPairsAndNoClasses) {
    const QString expected = kStandardStart + R"(,"06/30/2004","0.875","06/30/2003","1","","0.9","","")";
    EXPECT_EQ(lineOf(ExportFormat::LimitedFields, standardRow(), standardEmployer(), false), expected);
}

TEST(DelimitedRecords, NewJerseyLinesEndWithTheSixNewJerseyValues) {
    const QString nj = R"(,"A12","B34","9805","0012345","0054321","0001000")";
    EXPECT_EQ(lineOf(ExportFormat::LimitedFields, newJerseyRow(), standardEmployer(), true),
              kStandardStart + R"(,"06/30/2004","0.875","06/30/2003","1","","0.9","","")" + nj);
    EXPECT_EQ(lineOf(ExportFormat::CommaDelimited, newJerseyRow(), standardEmployer(), true),
              kStandardStart + R"(,"06/30/2004","0.875","06/30/2003","1","","0.9")" + empties(10) +
                  R"(,"3544","TOOL MAKING","9999","")" + empties(18) + nj);
}

TEST(DelimitedRecords, EmployerWithoutModsOrClassesGetsEmptyPairs) {
    const QString start = QStringLiteral(
        R"("123456789-02","EMPIRE BAGELS INC","","100 MAIN ST","YORK","PA","17401","717-555-0100",)"
        R"("717-555-0199","OWNER","PAT LEE","3544","2","3"," ","X"," ")");
    EXPECT_EQ(lineOf(ExportFormat::CommaDelimited, newYorkRow(), {}, false), start + empties(16 + 22));
    EXPECT_EQ(lineOf(ExportFormat::LimitedFields, newYorkRow(), {}, false), start + empties(8));
}

TEST(DelimitedRecords, OnlyTheFirstEightModsAndElevenClassesAreWritten) {
    Employer e;
    for (int i = 0; i < 10; ++i)
        e.mods.append({QDate(2010 - i, 1, 31), 1.0 + i / 100.0});
    for (int i = 0; i < 13; ++i)
        e.classes.append({QString::number(1000 + i), QStringLiteral("C%1").arg(i), true});
    const QString line = lineOf(ExportFormat::CommaDelimited, newYorkRow(), e, false);
    EXPECT_TRUE(line.contains(R"("01/31/2003","1.07","1000","C0")")) << line.toStdString();
    EXPECT_FALSE(line.contains("01/31/2002"));
    EXPECT_TRUE(line.endsWith(R"("1010","C10")"));
    const QString limited = lineOf(ExportFormat::LimitedFields, newYorkRow(), e, false);
    EXPECT_TRUE(limited.endsWith(R"("01/31/2007","1.03")")) << limited.toStdString();
}

TEST(DelimitedRecords, HeadersNameElevenClassPairsAndTheNewJerseyColumns) {
    const QString start = QStringLiteral(
        R"("FILE","NAME1","NAME2","STREET","CITY","STATE","ZIP","PHONE","FAX","TITLE","CONTACT","SIC",)"
        R"("EMPLOYEES","SALES","User1","User2","User3","EXPIRE1","MOD1","EXPIRE2","MOD2","EXPIRE3","MOD3",)"
        R"("EXPIRE4","MOD4")");
    const QString more = QStringLiteral(
        R"(,"EXPIRE5","MOD5","EXPIRE6","MOD6","EXPIRE7","MOD7","EXPIRE8","MOD8","CLASS1","CLASSDESC1",)"
        R"("CLASS2","CLASSDESC2","CLASS3","CLASSDESC3","CLASS4","CLASSDESC4","CLASS5","CLASSDESC5",)"
        R"("CLASS6","CLASSDESC6","CLASS7","CLASSDESC7","CLASS8","CLASSDESC8","CLASS9","CLASSDESC9",)"
        R"("CLASS10","CLASSDESC10","CLASS11","CLASSDESC11")");
    const QString nj = QStringLiteral(R"(,"NJPPAP","NJCCPAP","NJAR","ARESTPREM","ARTOTPREM","ARTOTLOSS")");
    EXPECT_EQ(headerLine(ExportFormat::CommaDelimited, false), start + more);
    EXPECT_EQ(headerLine(ExportFormat::LimitedFields, true), start + nj);
    EXPECT_EQ(headerLine(ExportFormat::TabDelimited, true), QString(start + more + nj).replace("\",\"", "\"\t\""));
    EXPECT_EQ(headerLine(ExportFormat::FixedLength, true), "");
}

TEST(DelimitedRecords, HeaderNamesAsManyValuesAsEveryDataLineWrites) {
    struct Case {
        const char* dataSet;
        SourceRow row;
        bool nj;
    };
    const Case cases[] = {{"PA", standardRow(), false}, {"NJ", newJerseyRow(), true}, {"NY", newYorkRow(), false}};
    for (const Case& c : cases)
        for (ExportFormat f : {ExportFormat::CommaDelimited, ExportFormat::TabDelimited, ExportFormat::LimitedFields}) {
            const QString sep = separatorOf(f);
            for (const Employer& e : {Employer{}, standardEmployer()})
                EXPECT_EQ(lineOf(f, c.row, e, c.nj).count(sep), headerLine(f, c.nj).count(sep))
                    << c.dataSet << " format " << int(f);
        }
}

TEST(DelimitedRecords, QuotesAreDoubledCommasAndAccentsKept) {
    SourceRow r = standardRow();
    r[F::NAME1] = QStringLiteral("CAFÉ \"LE\" BISTRO, INC");
    r[F::CONTACT] = QStringLiteral("\"DOC\"");
    QByteArray bytes;
    appendLine(bytes, lineOf(ExportFormat::LimitedFields, r, {}, false));
    EXPECT_TRUE(bytes.startsWith("\"1234567-01\",\"CAF\xC9 \"\"LE\"\" BISTRO, INC\",\"\",")) << bytes.constData();
    EXPECT_TRUE(bytes.contains(",\"OWNER\",\"\"\"DOC\"\"\",\"3544\","));
    EXPECT_TRUE(bytes.endsWith("\"\",\"\"\r\n"));
}

TEST(DelimitedRecords, NullTextFieldsAreWrittenEmpty) {
    SourceRow r;
    r[F::Omit] = " ";
    EXPECT_EQ(lineOf(ExportFormat::LimitedFields, r, {}, false), R"("-")" + empties(24));
    EXPECT_EQ(lineOf(ExportFormat::FixedLength, r, {}, true), "-" + QString(1005, ' '));
}

TEST(ExportValues, NumbersHaveAtMostFifteenDigitsAndNoExponent) {
    const std::pair<QVariant, const char*> cases[] = {
        {0.009000000000000001, "0.009"},
        {1.0, "1"},
        {0.1 + 0.2, "0.3"},
        {9.886, "9.886"},
        {1e-5, "0.00001"},
        {1e20, "100000000000000000000"},
        {-0.0, "0"},
        {qlonglong(9805), "9805"},
        {QVariant(), ""},
        {QDate(2004, 6, 3), "06/03/2004"},
        {QString(" 12 "), " 12 "},
        {-0.5, "-0.5"},
        {0.0001, "0.0001"},
        {100.0, "100"},
        {123456.7891, "123456.7891"},
        {1.05, "1.05"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(valueText(value), text) << value.toString().toStdString();
}

// NULs stored in a value once reached the file as they stood and cut the line short for most
// programs that read it.
TEST(ExportValues, ANulIsWrittenAsABlankAndEveryOtherByteAsItStands) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    SourceRow r = standardRow();
    r[F::FILE] = files::fromWin1252(all); // the key is neither cut nor padded
    QByteArray bytes;
    appendLine(bytes, lineOf(ExportFormat::FixedLength, r, {}, false));
    EXPECT_EQ(bytes.left(256), ' ' + all.mid(1));
    EXPECT_EQ(bytes.size(), 256 + 3 + 967 + 2) << "the columns stay in place";
}

TEST(ExportValues, ModDatesOf1950And2050AreEmpty) {
    const std::pair<QVariant, const char*> cases[] = {
        {QDate(2004, 6, 30), "06/30/2004"},
        {QDate(1950, 1, 1), ""},
        {QDate(2050, 1, 1), ""},
        {QDate(1950, 1, 2), "01/02/1950"},
        {"1999-12-31", "12/31/1999"},
        {QVariant(), ""},
        {"2050-01-01", ""},
        {"1999-02-30", ""},
    };
    for (const auto& [date, text] : cases)
        EXPECT_EQ(modDateText(date), text) << date.toString().toStdString();
}

// The fixed-length line expected: the key, then each text at its 1-based position after the key,
// spaces between; length the layout's.
QString placed(const QString& key, int length, std::initializer_list<std::pair<int, QString>> columns) {
    QString line = key + QString(length, ' ');
    for (const auto& [position, text] : columns)
        line.replace(key.size() + position - 1, text.size(), text);
    return line;
}

TEST(FixedRecords, StandardLineStandsInItsColumns) {
    const QString expected =
        placed("1234567-01", 967,
               {{1, "ACME TOOL AND DIE CO"}, {79, "100 MAIN ST"},   {119, "YORK"},          {149, "PA"},
                {151, "17401-1234"},         {161, "3544"},          {165, "2"},             {166, "3"},
                {168, "X"},                  {170, "717-555-0100"}, {182, "717-555-0199"}, {194, "OWNER"},
                {224, "PAT LEE"},            {254, "06/30/2004"},   {264, "0.875"},        {269, "06/30/2003"},
                {279, "1"},                  {294, "0.9"},          {374, "3544"},         {378, "TOOL MAKING"},
                {428, "9999"}});
    EXPECT_EQ(lineOf(ExportFormat::FixedLength, standardRow(), standardEmployer(), false), expected);
}

TEST(FixedRecords, NewJerseyColumnsFollowTheClasses) {
    const QString line = lineOf(ExportFormat::FixedLength, newJerseyRow(), {}, true);
    EXPECT_EQ(line.size(), 10 + 1005);
    EXPECT_EQ(line.mid(10 + 967), "A12B349805 0012345  0054321  0001000  ");

    SourceRow blanks = newJerseyRow();
    blanks[F::NJPPAP] = "";
    blanks[F::NJCCPAP] = " ";
    blanks[F::NJAR] = QVariant();
    EXPECT_EQ(lineOf(ExportFormat::FixedLength, blanks, {}, true).mid(10 + 967),
              "           0012345  0054321  0001000  ");
}

TEST(FixedRecords, TheKeyIsNotPaddedSoALongerFileShiftsTheLine) {
    const QString line = lineOf(ExportFormat::FixedLength, newYorkRow(), {}, false);
    EXPECT_EQ(line, placed("123456789-02", 967,
                           {{1, "EMPIRE BAGELS INC"}, {79, "100 MAIN ST"}, {119, "YORK"}, {149, "PA"},
                            {151, "17401"}, {161, "3544"}, {165, "2"}, {166, "3"}, {168, "X"},
                            {170, "717-555-0100"}, {182, "717-555-0199"}, {194, "OWNER"}, {224, "PAT LEE"}}));
}

TEST(FixedRecords, LongerValuesAreCutSoLaterColumnsStayInPlace) {
    SourceRow r = standardRow();
    r[F::NAME1] = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRS"); // 45
    r[F::NAME2] = "SECOND";
    r[F::User1] = "AB";
    Employer e;
    e.mods = {{QDate(2004, 6, 30), 1.2345}};
    const QString line = lineOf(ExportFormat::FixedLength, r, e, false);
    EXPECT_EQ(line.size(), 10 + 967);
    EXPECT_EQ(line.mid(10, 46), "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNSECOND");
    EXPECT_EQ(line.mid(10 + 166, 3), "AX ");
    EXPECT_EQ(line.mid(10 + 253, 16), "06/30/20041.234 ");
}

TEST(ExportPreparation, UserFieldsReplaceTheReleasedOnesOnlyWhenPresent) {
    struct Case {
        Field user;
        QVariant value;
        const char* contact;
        const char* title;
        const char* phone;
        const char* fax;
    };
    const Case cases[] = {
        {F::UserContact, " ", "PAT LEE", "OWNER", "717-555-0100", "717-555-0199"},
        {F::UserContact, QVariant(), "PAT LEE", "OWNER", "717-555-0100", "717-555-0199"},
        {F::UserContact, "JO DOE ", "JO DOE ", "OWNER", "717-555-0100", "717-555-0199"},
        {F::UserTitle, "CFO", "PAT LEE", "CFO", "717-555-0100", "717-555-0199"},
        {F::UserPhone, " 555-0001", "PAT LEE", "OWNER", "717-555-0100", "717-555-0199"},
        {F::UserPhone, "555-0001 ", "PAT LEE", "OWNER", "555-0001", "717-555-0199"},
        {F::UserFax, "555-0002  ", "PAT LEE", "OWNER", "717-555-0100", "555-0002"},
        {F::UserFax, "!", "PAT LEE", "OWNER", "717-555-0100", "717-555-0199"},
    };
    for (const Case& c : cases) {
        SourceRow r = standardRow();
        r[F::PHONE] = " 717-555-0100 ";
        r[c.user] = c.value;
        const ExportFields f = prepareExportRow(r, false, false);
        EXPECT_EQ(f.CONTACT, c.contact) << fieldName(c.user).toStdString() << " " << c.value.toString().toStdString();
        EXPECT_EQ(f.TITLE, c.title);
        EXPECT_EQ(f.PHONE, c.phone);
        EXPECT_EQ(f.FAX, c.fax);
    }
}

TEST(ExportPreparation, TheZipCodeTakesAPresentExtensionExceptFromTheExpiryCopy) {
    struct Case {
        QVariant zip, ext;
        bool byExpiry;
        const char* expected;
    };
    const Case cases[] = {
        {"19103", "1234", false, "19103-1234"}, {"19103", "", false, "19103"},
        {"19103", "    ", false, "19103"},      {"19103", QVariant(), false, "19103"},
        {"19103-1234", "1234", true, "19103-1234"},
    };
    for (const Case& c : cases) {
        SourceRow r = standardRow();
        r[F::ZIP] = c.zip;
        r[F::ZIPEXT] = c.ext;
        EXPECT_EQ(prepareExportRow(r, c.byExpiry, false).ZIP, c.expected) << c.ext.toString().toStdString();
    }
}

TEST(ExportPreparation, LowerCaseProperCasesNamesAddressContactAndTitleOnly) {
    SourceRow r = standardRow();
    r[F::NAME2] = "JOHN Q";
    r[F::UserTitle] = "VICE PRES";
    r[F::FAX] = "CALL FIRST";
    const ExportFields f = prepareExportRow(r, false, true);
    EXPECT_EQ(f.NAME1, "Acme Tool And Die Co");
    EXPECT_EQ(f.NAME2, "John Q");
    EXPECT_EQ(f.STREET, "100 Main St");
    EXPECT_EQ(f.CITY, "York");
    EXPECT_EQ(f.CONTACT, "Pat Lee");
    EXPECT_EQ(f.TITLE, "Vice Pres");
    EXPECT_EQ(f.FAX, "CALL FIRST");
    EXPECT_EQ(f.ZIP, "17401-1234");
    const QString line = delimitedLine(ExportFormat::LimitedFields, r, f, {}, false);
    EXPECT_TRUE(line.contains(R"("York","PA","17401-1234")")) << line.toStdString();
}

TEST(ExportPreparation, OmitYAndNullLeaveARecordOut) {
    const std::pair<QVariant, bool> cases[] = {
        {"Y", true}, {QVariant(), true}, {" ", false}, {"y", false}, {"N", false}, {"", false}};
    for (const auto& [omit, out] : cases) {
        SourceRow r = standardRow();
        r[F::Omit] = omit;
        EXPECT_EQ(isLeftOut(r), out) << omit.toString().toStdString();
    }
}

} // namespace
