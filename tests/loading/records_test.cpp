// Golden release records written by hand from the record layouts, parsed field by field. The
// employer records' fields are checked through the database in loaders_test.cpp.
#include "loading/release_records.h"
#include "loading_fixture.h"

#include <gtest/gtest.h>

using namespace loading;
using loadingtest::Golden;
using loadingtest::slot;

TEST(RecordFilter, ComparesByByteValueAndLength) {
    struct Case {
        QByteArray text;
        const char* filter;
        bool handled;
    };
    const Case cases[] = {
        {"A", kFilterBang, true},
        {"!", kFilterBang, false},
        {"!x", kFilterBang, true},
        {" ABC", kFilterBang, false},
        {"\x1a", kFilterBang, false},
        {"\xC9TOILE", kFilterBang, true},
        {" 1234", kFilterBlankBang, true},
        {" A", kFilterBlankBang, true},
        {" !", kFilterBlankBang, false},
        {" !x", kFilterBlankBang, true},
        {"  12", kFilterBlankBang, false},
        {" \x1f", kFilterBlankBang, false},
        {"\x1a\x1a", kFilterBlankBang, false},
        {"", kFilterBlankBang, false},
        {"X", kFilterBlankBang, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sortsAfter(c.text, c.filter), c.handled) << c.text.constData() << " / " << c.filter;
}

TEST(Dates, OrdersWindowAndFallback) {
    EXPECT_EQ(releaseDateText("031599", DateOrder::MonthDayYear), "03/15/99");
    EXPECT_EQ(releaseDateText("990401", DateOrder::YearMonthDay), "04/01/99");
    struct Case {
        QByteArray six;
        DateOrder order;
        QDate expected;
    };
    const QDate fallback(1950, 1, 1);
    const Case cases[] = {
        {"031599", DateOrder::MonthDayYear, QDate(1999, 3, 15)},
        {"031500", DateOrder::MonthDayYear, QDate(2000, 3, 15)},
        {"990401", DateOrder::YearMonthDay, QDate(1999, 4, 1)},
        {"490101", DateOrder::YearMonthDay, QDate(2049, 1, 1)},
        {"500101", DateOrder::YearMonthDay, QDate(1950, 1, 1)},
        {"000229", DateOrder::YearMonthDay, QDate(2000, 2, 29)},
        {"010229", DateOrder::YearMonthDay, fallback}, // no 29 February in 2001
        {"      ", DateOrder::YearMonthDay, fallback},
        {"991301", DateOrder::YearMonthDay, fallback},
        {"991232", DateOrder::YearMonthDay, fallback},
        {"001599", DateOrder::MonthDayYear, fallback}, // month 00
        {"AB0101", DateOrder::YearMonthDay, fallback},
        {" 1 2 3", DateOrder::MonthDayYear, QDate(2003, 1, 2)}, // parts as they stand, blanks around them
    };
    for (const Case& c : cases)
        EXPECT_EQ(releaseDate(c.six, c.order), c.expected) << c.six.constData();
}

TEST(ModSlots, InUseDatesAndMod) {
    struct Case {
        QByteArray slot;
        Layout layout;
        bool inUse;
        QDate issue, effective, expire;
        std::optional<double> mod;
    };
    const QDate fb(1950, 1, 1), mar99(1999, 3, 15), apr99(1999, 4, 1), mar00(2000, 3, 15);
    const Layout ny = Layout::NewYork, st = Layout::Standard;
    const Case cases[] = {
        // The same three dates in each layout's order: MMDDYY YYMMDD MMDDYY, or all YYMMDD.
        {slot("031599", "990401", "031500", "0095"), ny, true, mar99, apr99, mar00, 95 / 100.0},
        {slot("990315", "990401", "000315", "0950"), st, true, mar99, apr99, mar00, 0.95},
        // Standard: the effective month decides (leniently read), whatever else the slot holds.
        {slot("990315", "99  01", "000315", "0950"), st, false, {}, {}, {}, {}},
        {slot("990315", "990001", "000315", "0950"), st, false, {}, {}, {}, {}},
        {slot("      ", "99 4  ", "000315", "0950"), st, true, fb, fb, mar00, 0.95},
        {slot("      ", "      ", "      ", "    "), st, false, {}, {}, {}, {}},
        // New York: the issue month must sort after two blanks; "00" is used, with the fallback.
        {slot("  1599", "990401", "031500", "0095"), ny, false, {}, {}, {}, {}},
        {slot("\032\0321599", "990401", "031500", "0095"), ny, false, {}, {}, {}, {}},
        {slot("001599", "990401", "031500", "0095"), ny, true, fb, apr99, mar00, 0.95},
        {slot(" 31599", "990401", "031500", "0095"), ny, true, mar99, apr99, mar00, 0.95},
        // Blank expiry: the fallback. Merit codes compare equal to the searches' literals.
        {slot("990315", "990401", "      ", "1000"), st, true, mar99, apr99, fb, 1.0},
        {slot("990315", "990401", "000315", "9884"), st, true, mar99, apr99, mar00, 9.884},
        {slot("990315", "990401", "000315", "9885"), st, true, mar99, apr99, mar00, 9.885},
        {slot("990315", "990401", "000315", "9886"), st, true, mar99, apr99, mar00, 9.886},
        {slot("990315", "990401", "000315", "8888"), st, true, mar99, apr99, mar00, 8.888},
        // A MOD that is not a number: the slot is used, its MOD empty.
        {slot("990315", "990401", "000315", "9X86"), st, true, mar99, apr99, mar00, std::nullopt},
        {slot("990315", "990401", "000315", "    "), st, true, mar99, apr99, mar00, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot.constData());
        const ModSlot m = parseModSlot(c.slot, c.layout);
        ASSERT_EQ(m.inUse, c.inUse);
        if (!c.inUse) continue;
        EXPECT_EQ(m.issue, c.issue);
        EXPECT_EQ(m.effective, c.effective);
        EXPECT_EQ(m.expire, c.expire);
        EXPECT_EQ(m.mod, c.mod);
    }
}

TEST(EmployerRecord, SlotColumnsAndNewJerseyFields) {
    Golden g = loadingtest::fullStandardEmployer();
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
    EXPECT_FALSE(r.hasNjFields); // the NJ columns mean nothing outside NJ
    EXPECT_FALSE(r.njar);

    // NJAR: the month and year MMYY become YYMM; a part that is not a number leaves it empty.
    EXPECT_EQ(parseEmployerRecord(g.rec, Layout::Standard, true).njar, 9905);
    for (const QByteArray ar : {"    ", "05  ", "  99"})
        EXPECT_FALSE(parseEmployerRecord(g.put(336, ar).rec, Layout::Standard, true).njar) << ar.constData();

    // New York: "I" and "R" swapped are neither mark.
    Golden ny = loadingtest::fullNewYorkEmployer();
    const EmployerRecord marked = parseEmployerRecord(ny.rec, Layout::NewYork, false);
    EXPECT_TRUE(marked.revised && marked.interstate);
    const EmployerRecord swapped = parseEmployerRecord(ny.put(355, "IR").rec, Layout::NewYork, false);
    EXPECT_FALSE(swapped.revised || swapped.interstate);
}

TEST(ClassLineRecord, BothLayouts) {
    Golden ny(52);
    ny.put(1, "X").put(2, "8810").put(6, "#").put(7, "123").put(10, "45").put(12, "67").put(14, "01");
    ny.put(16, "0001234").put(23, QByteArray(28, '#'));
    const ClassLine n = parseClassLine(ny.rec, Layout::NewYork);
    EXPECT_EQ(n.classCode.toByteArray(), "8810");
    EXPECT_EQ(n.key.file().toByteArray(), "123 45 67");
    EXPECT_EQ(n.key.sequence().toByteArray(), "01");
    EXPECT_EQ(n.key.fileSeq().toByteArray(), "123 45 6701");
    EXPECT_EQ(*n.lossCost, 12.34);

    Golden st(52);
    st.put(1, " ")
        .put(2, "5403")
        .put(6, "#")
        .put(7, "7654321")
        .put(14, "####")
        .put(18, "00250")
        .put(23, "03");
    st.put(25, QByteArray(26, '#'));
    const ClassLine s = parseClassLine(st.rec, Layout::Standard);
    EXPECT_EQ(s.classCode.toByteArray(), "5403");
    EXPECT_EQ(s.key.file().toByteArray(), "7654321");
    EXPECT_EQ(s.key.sequence().toByteArray(), "03");
    EXPECT_EQ(s.key.fileSeq().toByteArray(), "765432103");
    EXPECT_EQ(*s.lossCost, 2.5);
    EXPECT_FALSE(parseClassLine(st.put(18, "  A  ").rec, Layout::Standard).lossCost);
}

TEST(CodeRecords, ClassListCountyAndSic) {
    const ClassListEntry e = parseClassListRecord(Golden(57).put(2, "8810").put(6, "CLERICAL OFFICE").rec);
    EXPECT_EQ(e.classCode, "8810");
    EXPECT_EQ(e.desc, QString("CLERICAL OFFICE").leftJustified(50));

    const CountyEntry c = parseCountyRecord(Golden(36).put(2, "003").put(5, "ALLEGHENY").rec);
    EXPECT_EQ(c.code, "003");
    EXPECT_EQ(c.name, QString("ALLEGHENY").leftJustified(30));

    // The code: columns 1-5 without the blanks around it, "00" before two characters, else four.
    const std::pair<QByteArray, QString> sic[] = {{" 15  ", "0015"}, {" 1521", "1521"}, {"1521 ", "1521"},
                                                  {" 152 ", ""},     {"15215", ""},     {"  1  ", ""},
                                                  {"     ", ""}};
    for (const auto& [field, code] : sic) {
        const auto entry = parseSicRecord(Golden(52).put(1, field).put(6, "###").put(9, "BUILDING").rec);
        EXPECT_EQ(entry ? entry->code : QString(), code) << field.constData();
        if (entry) {
            EXPECT_EQ(entry->desc, QString("BUILDING").leftJustified(42));
        }
    }
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
    EXPECT_EQ(a.key.file().toByteArray(), "123 45 67");
    EXPECT_EQ(a.key.sequence().toByteArray(), "01");
    QList<QByteArray> lines;
    for (int k = 0; k < a.lineCount; ++k)
        lines << a.lines[k].toByteArray();
    EXPECT_EQ(lines, (QList<QByteArray>{QByteArray("ATTN: MARY JONES").leftJustified(35),
                                        QByteArray(" 12 MAIN ST").leftJustified(35),
                                        QByteArray("ALBANY, NY 12207").leftJustified(35)}));
}
