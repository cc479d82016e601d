// The lookup editor's field rules, case by case as a user would meet them.
#include "search/field_rules.h"
#include "search/search_file.h"

#include <gtest/gtest.h>

using namespace search;

namespace {

SqlParameters oneLookup(const char* caption, const char* code) {
    SQLPARAMETER p;
    p.SQLFIELD = QString::fromLatin1(caption);
    p.SQLEXPR = QString::fromLatin1(code);
    p.SQLFROM = p.SQLTHRU = QStringLiteral("X");
    return {p};
}

} // namespace

TEST(FieldRules, ListOfFieldsCaptionsAndCodes) {
    const QStringList pa = fieldCaptions("PA");
    EXPECT_EQ(pa, QStringList({"Expiration Date", "Experience Mod.", "Employer Name", "Zip Code", "County",
                               "Class Code", "SIC Code", "# of Employees", "Sales", "Merit Class",
                               "Area Code", "New Records", "NJ A/R Only", "File #", "User1 Field",
                               "User2 Field", "User3 Field", "Issue Year"}));
    EXPECT_EQ(fieldCodes(), QStringList({"EXPIRE", "MOD", "NAME1", "ZIP", "COUNTY", "CLASS", "SIC",
                                         "EMPLOYEES", "SALES", "MERIT", "AREA", "NEWREC", "NJARONLY",
                                         "FILENUM", "User1", "User2", "User3", "ISSUE1"}));
    // NY reads "Anniversary" but keeps the expiry's code.
    EXPECT_EQ(fieldCaption(kExpire, "NY"), "Anniversary");
    EXPECT_EQ(fieldCaptions("NY").mid(1), pa.mid(1));
    for (const char* st : {"DE", "NJ", "PA", "PM", "DM"})
        EXPECT_EQ(fieldCaption(kExpire, st), "Expiration Date") << st;
}

TEST(FieldRules, DefaultsWhenChosen) {
    const QDate today(2025, 12, 15);
    const struct {
        int pos;
        const char* from;
        const char* thru;
        int selection;
    } rows[] = {
        {kExpire, "0101", "1231", 4},    {kMod, "0.000", "9.999", 5}, {kFileNum, "0795", "0326", 0},
        {kIssueYear, "2025", "2025", 0}, {kName, "", "", 0},          {kCounty, "", "", 0},
        {kNjArOnly, "", "", 0},
    };
    for (const auto& r : rows) {
        const FieldDefaults d = fieldDefaults(r.pos, today);
        EXPECT_EQ(d.from, r.from) << r.pos;
        EXPECT_EQ(d.thru, r.thru) << r.pos;
        EXPECT_EQ(d.fromSelection, r.selection) << r.pos;
        EXPECT_TRUE(d.thruShown) << r.pos;
    }
    EXPECT_FALSE(fieldDefaults(kMerit, today).thruShown);
    // "File #" THRU: three months ahead.
    EXPECT_EQ(fileNumberThru(QDate(2024, 1, 1)), "0424");
    EXPECT_EQ(fileNumberThru(QDate(2024, 11, 30)), "0225"); // Feb 28 2025
    EXPECT_EQ(fileNumberThru(QDate(2099, 10, 2)), "0100");
}

TEST(FieldRules, DataSetLimits) {
    for (const char* st : {"DE", "NJ", "NY", "PA"})
        EXPECT_EQ(dataSetMessage(kMerit, st), "This field can only be used with PM & DM Databases.") << st;
    for (const char* st : {"DE", "NY", "PA", "PM", "DM"})
        EXPECT_EQ(dataSetMessage(kNjArOnly, st), "This field can only be used with New Jersey.") << st;
    EXPECT_EQ(dataSetMessage(kMerit, "PM"), "");
    EXPECT_EQ(dataSetMessage(kMerit, "DM"), "");
    EXPECT_EQ(dataSetMessage(kNjArOnly, "NJ"), "");
    for (int i = 0; i < kFieldCount; ++i) {
        if (i == kMerit || i == kNjArOnly) continue;
        EXPECT_EQ(dataSetMessage(i, "PA"), "") << i;
    }
}

TEST(FieldRules, AcceptTable) {
    const struct {
        int pos;
        const char* state;
        const char* from;
        const char* thru;
        const char* message; // "" when accepted
        const char* storedThru;
        bool exclude = false;
    } cases[] = {
        // Expiration date: four characters and numeric, no order and no month check.
        {kExpire, "PA", "0101", "0331", "", "0331"},
        {kExpire, "PA", "1301", "0101", "", "0101"},
        {kExpire, "PA", "1101", "0228", "", "0228"},
        {kExpire, "PA", "101", "0331", "Date must be in the form MMDD!", ""},
        {kExpire, "PA", "0101", "", "Date must be in the form MMDD!", ""},
        {kExpire, "PA", "01a1", "0331", "Date must be in the form MMDD!", ""},
        {kExpire, "PA", "0101", "03311", "Date must be in the form MMDD!", ""},
        {kExpire, "PA", "1.25", "0331", "Date must be in the form MMDD!", ""},
        {kExpire, "PA", " 101", "0331", "Date must be in the form MMDD!", ""},
        {kExpire, "NY", "0101", "1231", "", "1231"},
        // Mod: numeric, FROM above THRU is fine.
        {kMod, "PA", "1.2", "0.9", "", "0.9"},
        {kMod, "PA", "0.000", "9.999", "", "9.999"},
        {kMod, "PA", "x", "0.9", "Invalid mod!", ""},
        {kMod, "PA", "1.2", "", "Invalid mod!", ""},
        {kMod, "PA", "1", "1,5", "Invalid mod!", ""},
        {kMod, "PA", "1e3", "2", "Invalid mod!", ""},
        {kMod, "PA", ".9", "1.", "", "1."},
        {kMod, "PA", "0 OR 1=1", "2", "Invalid mod!", ""},
        // Employees and sales: one band character each.
        {kEmployees, "PA", "3", "", "Invalid employee category!", ""},
        {kEmployees, "PA", "3", "7", "", "7"},
        {kEmployees, "PA", "", "7", "Invalid employee category!", ""},
        {kEmployees, "PA", "10", "7", "Invalid employee category!", ""},
        {kEmployees, "PA", "A", "7", "Invalid employee category!", ""},
        {kSales, "PA", "0", "9", "", "9"},
        {kSales, "PA", "0", "", "Invalid sales category!", ""},
        {kSales, "PA", " ", "1", "Invalid sales category!", ""},
        // NJ A/R: MMYY in NJ only.
        {kNjArOnly, "NJ", "0795", "1299", "", "1299"},
        {kNjArOnly, "NJ", "795", "1299", "Date must be in the form MMYY!", ""},
        {kNjArOnly, "NJ", "0795", "", "Date must be in the form MMYY!", ""},
        {kNjArOnly, "PA", "0795", "1299", "This field can only be used with New Jersey.", ""},
        // Merit in PM and DM only; THRU is hidden and takes FROM.
        {kMerit, "PM", "Credit", "", "", "Credit"},
        {kMerit, "PA", "Credit", "Credit", "This field can only be used with PM & DM Databases.", ""},
        // Unchecked fields; an empty THRU takes FROM, blanks count as empty.
        {kName, "PA", "A", "M", "", "M"},
        {kName, "PA", "SMITH", "   ", "", "SMITH"},
        {kCounty, "PA", "001", "", "", "001"},
        {kFileNum, "PA", "0795", "0326", "", "0326"},
        {kIssueYear, "PA", "2024", "", "", "2024"},
        {kUser1, "PA", "O'BRIEN", "", "", "O'BRIEN"},
        {kSic, "PA", "1500", "1599", "", "1599", true},
        // Zip: an empty box adds nothing.
        {kZip, "PA", "19000", "", "", "19000"},
        {kZip, "PA", "", "19099", "No zip code entered!", ""},
        {kZip, "PA", "  ", "", "No zip code entered!", ""},
        // No field.
        {-1, "PA", "1", "2", "No field selected!", ""},
        // Text the saved-search file cannot carry.
        {kName, "PA", "A\"B", "", "Double quotes cannot be used in a search.", ""},
    };
    for (const auto& c : cases) {
        const AcceptResult r = acceptEntry(c.pos, c.state, c.from, c.thru, c.exclude, {});
        EXPECT_EQ(r.check.message, c.message) << c.pos << " " << c.from << "/" << c.thru;
        if (*c.message == 0) {
            EXPECT_EQ(r.lookup.SQLFROM, c.from);
            EXPECT_EQ(r.lookup.SQLTHRU, c.storedThru);
            EXPECT_EQ(r.lookup.SQLEXPR, lookupField(c.pos).code);
            EXPECT_EQ(r.lookup.SQLFIELD, fieldCaption(c.pos, c.state));
            EXPECT_EQ(r.lookup.SQLEXCLUDE, c.exclude);
            EXPECT_TRUE(r.lookup.SQLDESC.isEmpty());
        }
    }
}

TEST(FieldRules, AcceptFocusAfterRefusal) {
    // Employees and sales report FROM first and put the focus there.
    EXPECT_EQ(acceptEntry(kEmployees, "PA", "", "", false, {}).check.focus, FocusBox::From);
    EXPECT_EQ(acceptEntry(kSales, "PA", "1", "", false, {}).check.focus, FocusBox::Thru);
    // Other checks move the focus only for a failing THRU.
    EXPECT_EQ(acceptEntry(kExpire, "PA", "1", "1231", false, {}).check.focus, FocusBox::None);
    EXPECT_EQ(acceptEntry(kExpire, "PA", "0101", "12", false, {}).check.focus, FocusBox::Thru);
    EXPECT_EQ(acceptEntry(kMod, "PA", "1", "", false, {}).check.focus, FocusBox::Thru);
}

TEST(FieldRules, OnceOnlyComparesCodes) {
    const QString once = "This field cannot be used more than once in a search.";
    // A second county is fine, a second name is not.
    EXPECT_TRUE(acceptEntry(kCounty, "PA", "002", "", false, oneLookup("County", "COUNTY")).check.ok());
    EXPECT_EQ(acceptEntry(kName, "PA", "B", "", false, oneLookup("Employer Name", "NAME1")).check.message,
              once);
    // A search made outside NY, edited in NY, and the other way: the expiry lookup is still found.
    EXPECT_EQ(acceptEntry(kExpire, "NY", "0101", "0331", false, oneLookup("Expiration Date", "EXPIRE"))
                  .check.message,
              once);
    EXPECT_EQ(
        acceptEntry(kExpire, "PA", "0101", "0331", false, oneLookup("Anniversary", "EXPIRE")).check.message,
        once);
    // The same caption under another code does not count.
    EXPECT_TRUE(acceptEntry(kName, "PA", "B", "", false, oneLookup("Employer Name", "User1")).check.ok());
    // The value check comes before the once-only check.
    EXPECT_EQ(acceptEntry(kMod, "PA", "x", "1", false, oneLookup("Experience Mod.", "MOD")).check.message,
              "Invalid mod!");
    for (int pos = 0; pos < kFieldCount; ++pos) {
        const bool repeatable = QList<int>{kZip, kCounty, kClass, kSic, kMerit, kArea}.contains(pos);
        const SqlParameters list = oneLookup("x", lookupField(pos).code.toLatin1().constData());
        EXPECT_EQ(onceOnlyMessage(pos, list), repeatable ? "" : once) << pos;
    }
}

TEST(FieldRules, BoxTexts) {
    const std::pair<const char*, const char*> zips[] = {
        {"190", "19000"}, {"1", "10000"}, {"19103", "19103"}, {"191031234", "191031234"}, {"", ""}};
    for (const auto& [typed, padded] : zips)
        EXPECT_EQ(paddedZip(typed), padded) << typed;
    EXPECT_EQ(storableTextProblem("North"), "");
    EXPECT_EQ(storableTextProblem(QStringLiteral("Caf\u00e9 \u20ac")), ""); // both in Windows-1252
    EXPECT_EQ(storableTextProblem("say \"hi\""), "Double quotes cannot be used in a search.");
    EXPECT_EQ(storableTextProblem("a\nb"), "Line breaks cannot be used in a search.");
    EXPECT_EQ(storableTextProblem(QStringLiteral("x\U0001F600")),
              QStringLiteral("The character \"\U0001F600\" cannot be saved in a search."));
    EXPECT_EQ(withoutUnstorable("say \"hi\""), "say hi");
    EXPECT_EQ(withoutUnstorable(QStringLiteral("a\U0001F600b\u4e2d\u00e9")), QStringLiteral("ab\u00e9"));
}

TEST(FieldRules, CategoryPicks) {
    const struct {
        int pos;
        const char *from, *thru, *code, *desc, *newFrom, *newThru;
    } rows[] = {
        {kSic, "", "", "1500", "Building", "1500", "1599"},
        {kSic, "1500", "1599", "1700", "Trade", "1500", "1599"}, // both filled: nowhere
        {kSic, "1500", "", "1731", "Electric", "1500", "1731"},
        {kSic, "1500", "", "1700", "Trade", "1500", "1799"},
        {kSic, "", "", "1731", "Electric", "1731", ""},
        {kCounty, "", "", "001", "Adams", "001", ""},
        {kCounty, "001", "", "005", "Berks", "001", "005"},
        {kCounty, " ", "", "100", "Erie", "100", ""}, // a blank counts as empty; no SIC rule here
        {kClass, "", "", "8800", "Clerical", "8800", ""},
        {kEmployees, "3", "", "7", "1000+", "3", "7"},
        {kMerit, "Debit", "Debit", "2", "Credit", "Credit", "Credit"},
    };
    for (const auto& r : rows) {
        const PickResult p = pickCategory(r.pos, r.from, r.thru, r.code, r.desc);
        EXPECT_EQ(p.from, r.newFrom) << r.pos << " " << r.code;
        EXPECT_EQ(p.thru, r.newThru) << r.pos << " " << r.code;
    }
}

TEST(FieldRules, CategoryTables) {
    EXPECT_EQ(categorySql(kCounty, 1), "SELECT * FROM COUNTY ORDER BY COUNTY.COUNTY");
    EXPECT_EQ(categorySql(kCounty, 0), "SELECT * FROM COUNTY ORDER BY COUNTY.CODE");
    EXPECT_EQ(categorySql(kClass, 1), "SELECT * FROM CLASSLIST ORDER BY CLASSLIST.DESC");
    EXPECT_EQ(categorySql(kClass, 0), "SELECT * FROM CLASSLIST ORDER BY CLASSLIST.CLASS");
    EXPECT_EQ(categorySql(kSic, 1), "SELECT * FROM SICCODES ORDER BY SICCODES.DESC");
    EXPECT_EQ(categorySql(kEmployees, 0), "SELECT * FROM EMPLOYEES ORDER BY EMPLOYEES.CODE");
    EXPECT_EQ(categorySql(kSales, 1), "SELECT * FROM SALES ORDER BY SALES.DESCRIPTION");
    EXPECT_EQ(categorySql(kMerit, 0), "SELECT * FROM MERIT");
    EXPECT_EQ(categorySql(kMerit, 1), "SELECT * FROM MERIT");
    for (int pos : {0, 1, 2, 3, 10, 11, 12, 13, 14, 15, 16, 17})
        EXPECT_EQ(categorySql(pos, 0), "") << pos;
    // Key column at first: the name for county, class and SIC, the code for the rest; "Search for"
    // with the first three only.
    for (int pos : {kCounty, kClass, kSic, kEmployees, kSales, kMerit}) {
        const bool named = pos == kCounty || pos == kClass || pos == kSic;
        EXPECT_EQ(lookupField(pos).category->keyColumn, named ? 1 : 0) << pos;
        EXPECT_EQ(lookupField(pos).category->searchFor, named) << pos;
    }
    // "Search for" finds in memory; an apostrophe is just a character.
    const QStringList names = {"Adams", "Berks", "Bucks", "Chester", "O'Hara"};
    const std::pair<const char*, int> finds[] = {{"b", 1}, {"BU", 2}, {"", 0}, {"O'", 4}, {"z", -1}};
    for (const auto& [typed, row] : finds)
        EXPECT_EQ(findCategoryRow(names, typed), row) << typed;
    EXPECT_EQ(findCategoryRow({}, "a"), -1);
}
