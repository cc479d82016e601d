// The "City ST Zip" parse, the override checks and the user-field write rules.
#include "dataset/address_override.h"
#include "dataset/user_fields.h"

#include <gtest/gtest.h>

using namespace dataset;

namespace {

struct ParseCase {
    const char* input;
    const char* city;
    const char* st;
    const char* zip;
    const char* zipext;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.input << '"';
}

class CityStZipParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CityStZipParse, SplitsFromTheRight) {
    const ParseCase& c = GetParam();
    const AddressParts p = parseCityStZip(QString::fromLatin1(c.input));
    EXPECT_EQ(p.CITY, QLatin1String(c.city));
    EXPECT_EQ(p.ST, QLatin1String(c.st));
    EXPECT_EQ(p.ZIP, QLatin1String(c.zip));
    EXPECT_EQ(p.ZIPEXT, QLatin1String(c.zipext));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedAndMalformed, CityStZipParse,
    ::testing::Values(
        // with and without the extension
        ParseCase{"Trenton NJ 08608-1234", "Trenton", "NJ", "08608", "1234"},
        ParseCase{"Trenton NJ 08608", "Trenton", "NJ", "08608", ""},
        ParseCase{"Trenton, NJ 08608", "Trenton,", "NJ", "08608", ""},
        ParseCase{"Trenton NJ", "Trenton", "NJ", "", ""},
        ParseCase{"New York NY 10001-0001", "New York", "NY", "10001", "0001"},
        // blanks around and between the parts
        ParseCase{"   Trenton   NJ   08608-1234   ", "Trenton", "NJ", "08608", "1234"},
        // malformed: the extension after a blank, a short ZIP, glued parts, a dangling hyphen
        ParseCase{"Trenton NJ 08608 1234", "Trenton NJ 08608 1234", "", "", ""},
        ParseCase{"Trenton NJ 8608", "Trenton NJ 8608", "", "", ""},
        ParseCase{"Trenton NJ08608", "Trenton NJ08608", "", "", ""},
        ParseCase{"Trenton NJ 08608-", "Trenton NJ 08608-", "", "", ""},
        ParseCase{"NJ 08608", "NJ", "", "08608", ""}, ParseCase{"08608", "08608", "", "", ""},
        ParseCase{"-1234", "-1234", "", "", ""}, ParseCase{"AB-1234", "AB", "", "", "1234"},
        ParseCase{"", "", "", "", ""}, ParseCase{"     ", "", "", "", ""}));

TEST(AddressOverrideChecks, FirstMissingPartInOrderAndWidths) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "Missing City, Format Must be City ST Zip"},
        {"Trenton NJ 08608 1234", "Missing State, Format Must be City ST Zip"},
        {"Trenton NJ", "Missing Zip Code, Format Must be City ST Zip"},
        {"NJ 08608", "Missing State, Format Must be City ST Zip"},
        {"Trenton NJ 08608-1234", ""},
        // 22 characters fit CITY, 23 do not.
        {"Abcdefghijklmnopqrstuv PA 19000", ""},
        {"Abcdefghijklmnopqrstuvw PA 19000", "City Too Long, At Most 22 Characters"},
    };
    for (const auto& [text, problem] : rows)
        EXPECT_EQ(cityStZipProblem(parseCityStZip(text)), problem) << text;
    // Leaving User1 checks the widths alone: an empty part is no problem there.
    EXPECT_EQ(cityWidthProblem(parseCityStZip("")), "");
    EXPECT_EQ(cityWidthProblem(parseCityStZip("Abcdefghijklmnopqrstuvw PA 19000")),
              "City Too Long, At Most 22 Characters");
    EXPECT_EQ(streetWidthProblem("", "PA"), "");
}

TEST(AddressOverrideChecks, StreetIsRequiredAndFitsItsStatesColumn) {
    EXPECT_EQ(streetProblem("", "PA"), "Missing Street Address");
    EXPECT_EQ(streetProblem("    ", "PA"), "Missing Street Address");
    const QString s34 = QStringLiteral("1234 Long Avenue Of The Americas X"); // 34 characters
    ASSERT_EQ(s34.size(), 34);
    EXPECT_EQ(streetProblem(s34, "NY"), "");
    EXPECT_EQ(streetProblem(s34 + "Y", "NY"), "Street Address Too Long, At Most 34 Characters");
    EXPECT_EQ(streetProblem(s34 + "YYYYYY", "PA"), "");
    EXPECT_EQ(streetProblem(s34 + "YYYYYYY", "NJ"), "Street Address Too Long, At Most 40 Characters");
}

TEST(UserFields, WrittenValue) {
    EXPECT_FALSE(userFieldValue("").isValid()); // an empty box clears the field
    const QVariant blanks = userFieldValue("     ");
    ASSERT_TRUE(blanks.isValid());
    EXPECT_FALSE(blanks.toString().isNull()); // an empty text, not a missing value
    EXPECT_EQ(blanks.toString(), "");
    EXPECT_EQ(userFieldValue("  555-1234 ").toString(), "555-1234");
    EXPECT_EQ(userFieldValue(" a  b ").toString(), "a  b");
    EXPECT_EQ(userFieldValue("\tx ").toString(), "\tx"); // only blanks are trimmed
}

TEST(UserFields, CaptionsFollowTheMarker) {
    EXPECT_EQ(userCaptions("!&").lblUser2, "Street");
    EXPECT_EQ(userCaptions("!& home").lblUser3, "City St Zip");
    EXPECT_EQ(userCaptions(" !&").lblUser2, "User Field 2");
    EXPECT_EQ(userCaptions("&!").lblUser3, "User Field 3");
    EXPECT_EQ(userCaptions("!").lblUser2, "User Field 2");
    EXPECT_EQ(userCaptions("").lblUser3, "User Field 3");
}

} // namespace
