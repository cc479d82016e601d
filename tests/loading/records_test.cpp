// Golden release records written by hand from the record layouts, parsed field by field.
#include "loading/release_records.h"
#include "loading_fixture.h"

#include <gtest/gtest.h>

using namespace loading;
using loadingtest::Golden;

namespace {

// A standard employer record with every field set; "#" marks columns that are not used.
Golden standardEmployer() {
    Golden g(502);
    g.put(1, "PA").put(3, "1234567").put(10, "####").put(14, "01").put(16, "############");
    g.put(28, "ACME TOOL & DIE INC                     ");  // 40
    g.put(68, "DBA ACME PRECISION                    ");    // 38
    g.put(106, "12 MAIN ST                              "); // 40
    g.put(146, "PITTSBURGH            ").put(168, "PA").put(170, "15222").put(175, "003");
    g.put(178, "412-555-0100").put(190, "#").put(191, "3599");
    g.put(305, "Y").put(306, "JOHN SMITH                    ");
    g.put(336, "0599").put(340, "ABC").put(343, "DEF").put(346, "5").put(347, "7").put(348, "#######");
    g.put(355, "COND TEXT 1234").put(369, "0012345").put(376, "0023456").put(383, "0003456");
    g.put(390, "###########").put(401, "PRESIDENT                     ").put(431, "1234");
    g.put(435, QByteArray(54, '#')).put(489, "412-555-0199");
    return g;
}

Golden newYorkEmployer() {
    Golden g(502);
    g.put(1, "NY").put(3, "123").put(6, "45").put(8, "67").put(10, "02").put(12, QByteArray(16, '#'));
    g.put(28, "EMPIRE BAKERY CORP                 "); // 35
    g.put(63, "#####");
    g.put(68, "400 BROADWAY                      "); // 34
    g.put(102, QByteArray(44, '#'));
    g.put(146, "NEW YORK              ").put(168, "NY").put(170, "10013").put(175, "061");
    g.put(178, "212-555-0123").put(191, "2051");
    g.put(306, "MARY JONES                    ").put(346, "3").put(347, "4");
    g.put(355, "RI").put(401, "OWNER                         ").put(431, "4321").put(489, "212-555-0124");
    return g;
}

} // namespace

TEST(RecordFilter, ComparesByByteValueAndLength) {
    EXPECT_TRUE(sortsAfter("A", kFilterBang));
    EXPECT_TRUE(sortsAfter("!", kFilterBang) == false);
    EXPECT_TRUE(sortsAfter("!x", kFilterBang)); // same beginning, longer
    EXPECT_FALSE(sortsAfter(" ABC", kFilterBang));
    EXPECT_FALSE(sortsAfter("\x1a", kFilterBang));
    EXPECT_TRUE(sortsAfter("\xC9TOILE", kFilterBang)); // bytes above 127 sort high

    EXPECT_TRUE(sortsAfter(" 1234", kFilterBlankBang));
    EXPECT_TRUE(sortsAfter(" A", kFilterBlankBang));
    EXPECT_TRUE(sortsAfter(" !", kFilterBlankBang) == false);
    EXPECT_TRUE(sortsAfter(" !x", kFilterBlankBang));
    EXPECT_FALSE(sortsAfter("  12", kFilterBlankBang));
    EXPECT_FALSE(sortsAfter(" \x1f", kFilterBlankBang));
    EXPECT_FALSE(sortsAfter("\x1a\x1a", kFilterBlankBang));
    EXPECT_FALSE(sortsAfter("", kFilterBlankBang));
    EXPECT_TRUE(sortsAfter("X", kFilterBlankBang));
}

TEST(Numbers, StrictAndLenientReading) {
    EXPECT_EQ(readNumber("0950").value(), 950);
    EXPECT_EQ(readNumber(" 12 ").value(), 12);
    EXPECT_EQ(readNumber("-3").value(), -3);
    EXPECT_DOUBLE_EQ(readNumber("1.5").value(), 1.5);
    EXPECT_FALSE(readNumber("    "));
    EXPECT_FALSE(readNumber(""));
    EXPECT_FALSE(readNumber("1 2"));
    EXPECT_FALSE(readNumber("09A0"));
    EXPECT_FALSE(readNumber("-"));

    EXPECT_EQ(leadingNumber("04"), 4);
    EXPECT_EQ(leadingNumber(" 4"), 4);
    EXPECT_EQ(leadingNumber("4X"), 4);
    EXPECT_EQ(leadingNumber("  "), 0);
    EXPECT_EQ(leadingNumber("00"), 0);
    EXPECT_EQ(leadingNumber("X4"), 0);
}

TEST(Dates, TwoDigitYearWindowAndFallback) {
    EXPECT_EQ(centuryYear(50), 1950);
    EXPECT_EQ(centuryYear(99), 1999);
    EXPECT_EQ(centuryYear(0), 2000);
    EXPECT_EQ(centuryYear(49), 2049);
    EXPECT_EQ(dateFromText("03/15/99"), QDate(1999, 3, 15));
    EXPECT_EQ(dateFromText("03/15/00"), QDate(2000, 3, 15));
    EXPECT_FALSE(dateFromText("00/15/99").isValid());
    EXPECT_FALSE(dateFromText("02/30/99").isValid());
    EXPECT_FALSE(dateFromText("  /  /  ").isValid());
    EXPECT_FALSE(dateFromText("1A/01/99").isValid());
    EXPECT_EQ(fallbackDate(), QDate(1950, 1, 1));

    EXPECT_EQ(releaseDateText("031599", DateOrder::MonthDayYear), "03/15/99");
    EXPECT_EQ(releaseDateText("990401", DateOrder::YearMonthDay), "04/01/99");
    EXPECT_EQ(releaseDate("990401", DateOrder::YearMonthDay), QDate(1999, 4, 1));
    EXPECT_EQ(releaseDate("      ", DateOrder::YearMonthDay), QDate(1950, 1, 1));
    EXPECT_EQ(releaseDate("991301", DateOrder::YearMonthDay), QDate(1950, 1, 1));
}

TEST(Dates, DirectReadingAgreesWithTheText) {
    for (const QByteArray six : {"990315", "000229", "010229", " 1 2 3", "0 0101", "991232", "99 401",
                                 "9904 1", "      ", "00    ", "AB0101", "991301"}) {
        for (DateOrder order : {DateOrder::MonthDayYear, DateOrder::YearMonthDay}) {
            const QDate viaText = dateFromText(releaseDateText(six, order));
            EXPECT_EQ(releaseDate(six, order), viaText.isValid() ? viaText : fallbackDate())
                << six.constData();
        }
    }
}

TEST(EmployerRecordStandard, EveryFieldAtItsColumn) {
    Golden g = standardEmployer();
    g.put(195, "990315990401000315"
               "0950"); // slot 0: issue, effective, expiry YYMMDD, MOD thousandths
    const EmployerRecord r = parseEmployerRecord(g.rec, Layout::Standard, false);
    EXPECT_EQ(r.state, "PA");
    EXPECT_EQ(r.file, "1234567");
    EXPECT_EQ(r.sequence, "01");
    EXPECT_EQ(r.fileSeq(), "123456701");
    EXPECT_EQ(r.name1, "ACME TOOL & DIE INC                     "); // trailing blanks kept
    EXPECT_EQ(r.name1.size(), 40);
    EXPECT_EQ(r.name2, "DBA ACME PRECISION                    ");
    EXPECT_EQ(r.street, "12 MAIN ST                              ");
    EXPECT_EQ(r.city, "PITTSBURGH            ");
    EXPECT_EQ(r.st, "PA");
    EXPECT_EQ(r.zip, "15222");
    EXPECT_EQ(r.county, "003");
    EXPECT_EQ(r.phone, "412-555-0100");
    EXPECT_EQ(r.area, "412");
    EXPECT_EQ(r.sic, "3599");
    EXPECT_TRUE(r.associates);
    EXPECT_EQ(r.contact, "JOHN SMITH                    ");
    EXPECT_EQ(r.employees, "5");
    EXPECT_EQ(r.sales, "7");
    EXPECT_EQ(r.title, "PRESIDENT                     ");
    EXPECT_EQ(r.zipExt, "1234");
    EXPECT_EQ(r.fax, "412-555-0199");
    EXPECT_FALSE(r.interstate);
    EXPECT_FALSE(r.revised);
    // The New Jersey columns mean nothing outside NJ.
    EXPECT_FALSE(r.hasNjFields);
    EXPECT_FALSE(r.njar);
    EXPECT_TRUE(r.conditional.isEmpty());

    const ModSlot& m = r.mods[0];
    ASSERT_TRUE(m.inUse);
    EXPECT_EQ(m.issue, QDate(1999, 3, 15));
    EXPECT_EQ(m.effective, QDate(1999, 4, 1));
    EXPECT_EQ(m.expire, QDate(2000, 3, 15));
    ASSERT_TRUE(m.mod);
    EXPECT_EQ(*m.mod, 0.95); // digits / 1000.0 is the double nearest 0.95
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(r.mods[i].inUse) << i;
}

TEST(EmployerRecordStandard, NewJerseyFields) {
    const EmployerRecord r = parseEmployerRecord(standardEmployer().rec, Layout::Standard, true);
    EXPECT_TRUE(r.hasNjFields);
    ASSERT_TRUE(r.njar);
    EXPECT_EQ(*r.njar, 9905); // month 05 of year 99
    EXPECT_EQ(r.njPpap, "ABC");
    EXPECT_EQ(r.njCcpap, "DEF");
    EXPECT_EQ(r.conditional, "COND TEXT 1234");
    EXPECT_EQ(r.arEstPrem, "0012345");
    EXPECT_EQ(r.arTotPrem, "0023456");
    EXPECT_EQ(r.arTotLoss, "0003456");

    Golden blankAr = standardEmployer();
    blankAr.put(336, "    ");
    EXPECT_FALSE(parseEmployerRecord(blankAr.rec, Layout::Standard, true).njar);
    blankAr.put(336, "05  ");
    EXPECT_FALSE(parseEmployerRecord(blankAr.rec, Layout::Standard, true).njar);
}

TEST(EmployerRecordNewYork, ThreeGroupFileNumberAndOwnColumns) {
    Golden g = newYorkEmployer();
    g.put(195, "031599990401031500"
               "0095"); // issue MMDDYY, effective YYMMDD, expiry MMDDYY, MOD hundredths
    const EmployerRecord r = parseEmployerRecord(g.rec, Layout::NewYork, false);
    EXPECT_EQ(r.file, "123 45 67");
    EXPECT_EQ(r.sequence, "02");
    EXPECT_EQ(r.fileSeq(), "123 45 6702");
    EXPECT_EQ(r.fileSeq().size(), 11);
    EXPECT_EQ(r.name1, "EMPIRE BAKERY CORP                 ");
    EXPECT_EQ(r.name1.size(), 35);
    EXPECT_EQ(r.name2, " ");
    EXPECT_EQ(r.street, "400 BROADWAY                      ");
    EXPECT_EQ(r.street.size(), 34);
    EXPECT_EQ(r.city, "NEW YORK              ");
    EXPECT_EQ(r.county, "061");
    EXPECT_EQ(r.area, "212");
    EXPECT_EQ(r.sic, "2051");
    EXPECT_FALSE(r.associates);
    EXPECT_TRUE(r.revised);
    EXPECT_TRUE(r.interstate);
    EXPECT_EQ(r.title, "OWNER                         ");
    EXPECT_EQ(r.zipExt, "4321");
    EXPECT_EQ(r.fax, "212-555-0124");
    EXPECT_FALSE(r.hasNjFields);

    const ModSlot& m = r.mods[0];
    ASSERT_TRUE(m.inUse);
    EXPECT_EQ(m.issue, QDate(1999, 3, 15));
    EXPECT_EQ(m.effective, QDate(1999, 4, 1));
    EXPECT_EQ(m.expire, QDate(2000, 3, 15));
    EXPECT_EQ(*m.mod, 0.95); // digits / 100.0

    // "I" and "R" swapped are neither mark.
    g.put(355, "IR");
    const EmployerRecord swapped = parseEmployerRecord(g.rec, Layout::NewYork, false);
    EXPECT_FALSE(swapped.revised);
    EXPECT_FALSE(swapped.interstate);
}

TEST(ModSlots, InUseRulesPerLayout) {
    // Standard: the effective month (slot offsets 8-9) decides, whatever else the slot holds.
    EXPECT_FALSE(parseModSlot("990315"
                              "99  01"
                              "000315"
                              "0950",
                              Layout::Standard)
                     .inUse);
    EXPECT_FALSE(parseModSlot("990315990001000315"
                              "0950",
                              Layout::Standard)
                     .inUse);
    EXPECT_TRUE(parseModSlot("      99 4  000315"
                             "0950",
                             Layout::Standard)
                    .inUse); // lenient " 4"
    EXPECT_FALSE(parseModSlot(QByteArray(22, ' '), Layout::Standard).inUse);

    // New York: the issue month's two characters must sort after two blanks.
    EXPECT_FALSE(parseModSlot("  1599990401031500"
                              "0095",
                              Layout::NewYork)
                     .inUse);
    EXPECT_FALSE(parseModSlot("\x1a\x1a"
                              "1599990401031500"
                              "0095",
                              Layout::NewYork)
                     .inUse);
    const ModSlot zero = parseModSlot("001599990401031500"
                                      "0095",
                                      Layout::NewYork);
    ASSERT_TRUE(zero.inUse);
    EXPECT_EQ(zero.issue, QDate(1950, 1, 1)); // month 00 is no date
    EXPECT_TRUE(parseModSlot(" 11599990401031500"
                             "0095",
                             Layout::NewYork)
                    .inUse);
}

TEST(ModSlots, BlankExpiryAndMeritAndUnreadableMod) {
    const ModSlot blankExpiry = parseModSlot("990315990401      "
                                             "1000",
                                             Layout::Standard);
    ASSERT_TRUE(blankExpiry.inUse);
    EXPECT_EQ(blankExpiry.expire, QDate(1950, 1, 1));
    EXPECT_EQ(*blankExpiry.mod, 1.0);

    // Merit codes compare equal to the literals searches use.
    EXPECT_EQ(*parseModSlot("990315990401000315"
                            "9884",
                            Layout::Standard)
                   .mod,
              9.884);
    EXPECT_EQ(*parseModSlot("990315990401000315"
                            "9885",
                            Layout::Standard)
                   .mod,
              9.885);
    EXPECT_EQ(*parseModSlot("990315990401000315"
                            "9886",
                            Layout::Standard)
                   .mod,
              9.886);
    EXPECT_EQ(*parseModSlot("990315990401000315"
                            "8888",
                            Layout::Standard)
                   .mod,
              8.888);

    const ModSlot bad = parseModSlot("990315990401000315"
                                     "9X86",
                                     Layout::Standard);
    EXPECT_TRUE(bad.inUse);
    EXPECT_FALSE(bad.mod);
    EXPECT_FALSE(parseModSlot("990315990401000315"
                              "    ",
                              Layout::Standard)
                     .mod);
}

TEST(EmployerRecord, SlotColumns) {
    Golden g = standardEmployer();
    // Slots at 195, 217, 239, 261 and 283, each with its own effective year.
    for (int i = 0; i < 5; ++i)
        g.put(195 + 22 * i,
              "980101" + QByteArray::number(90 + i) + "0601" + "990101" + "100" + QByteArray::number(i));
    const EmployerRecord r = parseEmployerRecord(g.rec, Layout::Standard, false);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(r.mods[i].inUse) << i;
        EXPECT_EQ(r.mods[i].effective, QDate(1990 + i, 6, 1)) << i;
        EXPECT_EQ(*r.mods[i].mod, (1000 + i) / 1000.0) << i;
    }
}

TEST(ClassLineRecord, NewYorkLayout) {
    Golden g(52);
    g.put(1, "X").put(2, "8810").put(6, "#").put(7, "123").put(10, "45").put(12, "67").put(14, "01");
    g.put(16, "0001234").put(23, QByteArray(28, '#'));
    const ClassLine c = parseClassLine(g.rec, Layout::NewYork);
    EXPECT_EQ(c.classCode, "8810");
    EXPECT_EQ(c.file, "123 45 67");
    EXPECT_EQ(c.sequence, "01");
    EXPECT_EQ(c.fileSeq(), "123 45 6701");
    EXPECT_EQ(*c.lossCost, 12.34);
}

TEST(ClassLineRecord, StandardLayout) {
    Golden g(52);
    g.put(1, " ").put(2, "5403").put(6, "#").put(7, "7654321").put(14, "####").put(18, "00250").put(23, "03");
    g.put(25, QByteArray(26, '#'));
    const ClassLine c = parseClassLine(g.rec, Layout::Standard);
    EXPECT_EQ(c.classCode, "5403");
    EXPECT_EQ(c.file, "7654321");
    EXPECT_EQ(c.sequence, "03");
    EXPECT_EQ(c.fileSeq(), "765432103");
    EXPECT_EQ(*c.lossCost, 2.5);

    g.put(18, "  A  ");
    EXPECT_FALSE(parseClassLine(g.rec, Layout::Standard).lossCost);
}

TEST(CodeRecords, ClassListCountyAndSic) {
    Golden cl(57);
    cl.put(2, "8810").put(6, "CLERICAL OFFICE EMPLOYEES NOC");
    const ClassListEntry e = parseClassListRecord(cl.rec);
    EXPECT_EQ(e.classCode, "8810");
    EXPECT_EQ(e.desc, QString("CLERICAL OFFICE EMPLOYEES NOC").leftJustified(50));

    Golden cty(36);
    cty.put(2, "003").put(5, "ALLEGHENY");
    const CountyEntry c = parseCountyRecord(cty.rec);
    EXPECT_EQ(c.code, "003");
    EXPECT_EQ(c.name, QString("ALLEGHENY").leftJustified(30));

    Golden sic(52);
    sic.put(1, " 15  ").put(6, "###").put(9, "BUILDING CONSTRUCTION");
    const auto two = parseSicRecord(sic.rec);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->code, "0015");
    EXPECT_EQ(two->desc, QString("BUILDING CONSTRUCTION").leftJustified(42));
    sic.put(1, " 1521");
    EXPECT_EQ(parseSicRecord(sic.rec)->code, "1521");
    sic.put(1, " 152 ");
    EXPECT_FALSE(parseSicRecord(sic.rec)); // three characters
    sic.put(1, "15215");
    EXPECT_FALSE(parseSicRecord(sic.rec)); // five
    sic.put(1, "  1  ");
    EXPECT_FALSE(parseSicRecord(sic.rec));
    EXPECT_FALSE(parseSicRecord(Golden(52).rec)); // a blank line
}

TEST(AddressRecord, SlotsAndKeys) {
    Golden g(327);
    g.put(1, "##").put(3, "123").put(6, "45").put(8, "67").put(10, "01").put(12, "#######");
    g.put(19 + 38 * 0, "ATTN: MARY JONES");
    g.put(19 + 38 * 1, "X");           // blank but for its first character: not present
    g.put(19 + 38 * 2, " 12 MAIN ST"); // blank first, then text: present with its blank
    g.put(19 + 38 * 3, "A BROAD ST");  // second character blank: not present
    g.put(19 + 38 * 7, "ALBANY, NY 12207");
    g.put(19 + 38 * 7 + 35, "###"); // the slot's last three characters are not part of the line
    g.put(323, "###");
    const AddressRecord a = parseAddressRecord(g.rec);
    EXPECT_EQ(a.file, "123 45 67");
    EXPECT_EQ(a.sequence, "01");
    ASSERT_EQ(a.lines.size(), 3);
    EXPECT_EQ(a.lines[0], QString("ATTN: MARY JONES").leftJustified(35));
    EXPECT_EQ(a.lines[1], QString(" 12 MAIN ST").leftJustified(35));
    EXPECT_EQ(a.lines[2], QString("ALBANY, NY 12207").leftJustified(35));
}
