// The address a backed-up USER row gives its record: the override marker, the "City ST Zip"
// split, and the detail form's checks that keep a released address instead of a broken one.
#include "maintenance/restored_address.h"

#include <gtest/gtest.h>

using maintenance::restoredAddress;

namespace {

const QVariant N; // Null

struct Case {
    const char* what;
    QVariant User1, User2, User3;
    const char* state;
    bool override;
    const char* problem;
    QVariant STREET, CITY, ST, ZIP, ZIPEXT;
};

std::string show(const QVariant& v) {
    return v.isValid() && !v.isNull() ? "\"" + v.toString().toStdString() + "\"" : "Null";
}

TEST(RestoredAddress, Table) {
    const QString street40(40, QLatin1Char('S')), city22(22, QLatin1Char('C'));
    const Case cases[] = {
        {"full address with extension", "!&", "12 Oak St", "Trenton NJ 08608-1234", "NJ", true, "",
         "12 Oak St", "Trenton", "NJ", "08608", "1234"},
        {"no extension gives a Null one", "!&", "12 Oak St", "New Town AB 12345", "PA", true, "", "12 Oak St",
         "New Town", "AB", "12345", N},
        {"anything may follow the marker", "!&old", "1 Elm", "Erie PA 16501", "PA", true, "", "1 Elm", "Erie",
         "PA", "16501", N},
        {"a comma stays with the city", "!&", "1 Elm", "Trenton, NJ 08608", "NJ", true, "", "1 Elm",
         "Trenton,", "NJ", "08608", N},
        {"blanks around the text", "!&", "1 Elm", "  Erie PA 16501  ", "PA", true, "", "1 Elm", "Erie", "PA",
         "16501", N},
        {"no zip", "!&", "1 Elm", "Town AB", "PA", true, "Missing Zip Code, Format Must be City ST Zip", N, N,
         N, N, N},
        {"city alone", "!&", "1 Elm", "Town", "PA", true, "Missing State, Format Must be City ST Zip", N, N,
         N, N, N},
        {"four-digit zip", "!&", "1 Elm", "Town AB 1234", "PA", true,
         "Missing State, Format Must be City ST Zip", N, N, N, N, N},
        {"zip and extension only", "!&", "1 Elm", "12345-6789", "PA", true,
         "Missing State, Format Must be City ST Zip", N, N, N, N, N},
        {"extension after a blank", "!&", "1 Elm", "Trenton NJ 08608 1234", "NJ", true,
         "Missing State, Format Must be City ST Zip", N, N, N, N, N},
        {"empty City ST Zip", "!&", "1 Elm", "", "PA", true, "Missing City, Format Must be City ST Zip", N, N,
         N, N, N},
        {"blank City ST Zip", "!&", "1 Elm", "   ", "PA", true, "Missing City, Format Must be City ST Zip", N,
         N, N, N, N},
        {"Null City ST Zip", "!&", "1 Elm", N, "PA", true, "Missing City, Format Must be City ST Zip", N, N,
         N, N, N},
        {"city too wide", "!&", "1 Elm", city22 + "X PA 16501", "PA", true,
         "City Too Long, At Most 22 Characters", N, N, N, N, N},
        {"city just fits", "!&", "1 Elm", city22 + " PA 16501", "PA", true, "", "1 Elm", city22, "PA",
         "16501", N},
        {"Null street", "!&", N, "Erie PA 16501", "PA", true, "Missing Street Address", N, N, N, N, N},
        {"blank street", "!&", "  ", "Erie PA 16501", "PA", true, "Missing Street Address", N, N, N, N, N},
        {"street too wide", "!&", street40 + "X", "Erie PA 16501", "PA", true,
         "Street Address Too Long, At Most 40 Characters", N, N, N, N, N},
        {"street of 40 fits outside New York", "!&", street40, "Erie PA 16501", "PA", true, "", street40,
         "Erie", "PA", "16501", N},
        {"New York streets are 34 wide", "!&", QString(35, QLatin1Char('S')), "Troy NY 12180", "NY", true,
         "Street Address Too Long, At Most 34 Characters", N, N, N, N, N},
        {"blank before the marker", " !&", "1 Elm", "Erie PA 16501", "PA", false, "", N, N, N, N, N},
        {"Null User1", N, "1 Elm", "Erie PA 16501", "PA", false, "", N, N, N, N, N},
        {"half a marker", "!", "1 Elm", "Erie PA 16501", "PA", false, "", N, N, N, N, N},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto a = restoredAddress(c.User1, c.User2, c.User3, QLatin1String(c.state));
        EXPECT_EQ(a.override, c.override);
        EXPECT_EQ(a.problem, QLatin1String(c.problem));
        EXPECT_EQ(a.applies(), c.override && !*c.problem);
        if (!a.applies()) continue;
        EXPECT_EQ(show(a.STREET), show(c.STREET));
        EXPECT_EQ(show(a.CITY), show(c.CITY));
        EXPECT_EQ(show(a.ST), show(c.ST));
        EXPECT_EQ(show(a.ZIP), show(c.ZIP));
        EXPECT_EQ(show(a.ZIPEXT), show(c.ZIPEXT));
    }
}

} // namespace
