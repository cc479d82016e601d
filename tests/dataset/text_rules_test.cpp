// The presence rule and blank trimming that every subsystem shares.
#include "dataset/text_rules.h"

#include <gtest/gtest.h>

using namespace dataset;

namespace {

TEST(TextRules, PresentSortsAfterBangEmptySortsBefore) {
    const struct {
        const char* text;
        bool present, empty;
    } cases[] = {
        {"", false, true},   {" ", false, true},  {"  x", false, true}, {"\t", false, true},
        {"!", false, false}, {"!&", true, false}, {"0", true, false},   {"a", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isPresent(c.text), c.present) << '"' << c.text << '"';
        EXPECT_EQ(isEmptyText(c.text), c.empty) << '"' << c.text << '"';
    }
    EXPECT_FALSE(isPresent(QVariant()));
    EXPECT_TRUE(isPresent(QVariant(QStringLiteral("2200"))));
    // Four blanks and X: not after three blanks and "!", but after ten blanks and "!".
    EXPECT_FALSE(sortsAfter(QStringLiteral("    X"), QStringLiteral("   !")));
    EXPECT_TRUE(sortsAfter(QStringLiteral("    X"), QStringLiteral("          !")));
}

TEST(TextRules, BlanksOnlyAreTrimmed) {
    EXPECT_EQ(trimBlanks(QStringLiteral("  a b  ")), "a b");
    EXPECT_EQ(trimBlanks(QStringLiteral("  a b  "), BlankEnds::Trailing), "  a b");
    EXPECT_EQ(trimBlanks(QStringLiteral("\ta\t ")), "\ta\t");
    EXPECT_EQ(trimBlanks(QStringLiteral("   ")), "");
}

} // namespace
