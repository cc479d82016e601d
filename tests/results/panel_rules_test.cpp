// What the detail panel shows for a row, written out by hand for tab 0 and the search tabs.
#include "results/panel_rules.h"

#include <QHash>

#include <gtest/gtest.h>

using namespace results;

namespace {

FieldReader rowOf(const QHash<QString, QVariant>& row) {
    return [row](const QString& f) { return row.value(f); };
}

} // namespace

TEST(PanelAddress, LinesByTab) {
    const auto all = PanelTab::AllRecords;
    const auto search = PanelTab::Search;
    QHash<QString, QVariant> row = {{"NAME1", "ACME TOOL CO                       "},
                                    {"NAME2", " "},
                                    {"STREET", "PO BOX 7  "},
                                    {"CITY", "YORK                  "},
                                    {"ST", "PA"},
                                    {"ZIP", "17401"},
                                    {"ZIPEXT", "2200"}};
    // Name and city lose their trailing blanks, the street keeps them.
    EXPECT_EQ(addressLines(rowOf(row), all),
              QStringList({"ACME TOOL CO", "PO BOX 7  ", "YORK, PA  17401-2200"}));
    // The second name: after three blanks and "!" on tab 0, after ten blanks and "!" on a search tab.
    row["NAME2"] = "    X";
    EXPECT_EQ(addressLines(rowOf(row), all).size(), 3);
    EXPECT_EQ(addressLines(rowOf(row), search).at(1), "    X");
    row["NAME2"] = "   X";
    EXPECT_EQ(addressLines(rowOf(row), all).at(1), "   X");
    for (const QVariant& none : {QVariant(QString(38, ' ')), QVariant()}) {
        row["NAME2"] = none;
        EXPECT_EQ(addressLines(rowOf(row), all).size(), 3);
        EXPECT_EQ(addressLines(rowOf(row), search).size(), 3);
    }
    // The ZIP extension only when present.
    for (const QVariant& none : {QVariant(" "), QVariant(""), QVariant()}) {
        row["ZIPEXT"] = none;
        EXPECT_EQ(addressLines(rowOf(row), search).last(), "YORK, PA  17401");
    }
}

TEST(PanelContacts, UserValueRules) {
    const auto all = PanelTab::AllRecords;
    const auto search = PanelTab::Search;
    const QString stored = "717-555-0100";
    const QString fax = "717-555-0199";
    const struct {
        PanelTab tab;
        QVariant stored, user;
        int blanks;
        QString shown;
    } rows[] = {
        // Tab 0: the user value unless Null, empty or exactly the box's blanks.
        {all, stored, "!", kPhoneBlanks, "!"},
        {all, stored, " 555", kPhoneBlanks, " 555"},
        {all, stored, QString(50, ' '), kPhoneBlanks, stored},
        {all, stored, QString(49, ' '), kPhoneBlanks, QString(49, ' ')},
        {all, stored, "", kPhoneBlanks, stored},
        {all, stored, QVariant(), kPhoneBlanks, stored},
        {all, fax, QString(12, ' '), kFaxBlanks, fax},
        {all, fax, QString(11, ' '), kFaxBlanks, QString(11, ' ')},
        {all, QVariant(), QVariant(), kContactBlanks, ""},
        // Search tab: the user value when it sorts after "!".
        {search, stored, "!", kPhoneBlanks, stored},
        {search, stored, " 555", kPhoneBlanks, stored},
        {search, stored, QString(50, ' '), kPhoneBlanks, stored},
        {search, stored, "\"Q", kPhoneBlanks, "\"Q"},
        {search, stored, "MARY", kContactBlanks, "MARY"},
        {search, stored, QVariant(), kTitleBlanks, stored},
    };
    for (const auto& r : rows)
        EXPECT_EQ(contactBoxText(r.stored, r.user, r.blanks, r.tab), r.shown)
            << (r.tab == all ? "tab 0 " : "search ") << r.user.toString().toStdString();
}

TEST(PanelFlags, OverrideMarkerNotesAndAssignedRisk) {
    EXPECT_TRUE(addressMarked("!&"));
    EXPECT_FALSE(addressMarked("!& 12 OAK ST"));
    EXPECT_FALSE(addressMarked(" !&"));
    EXPECT_FALSE(addressMarked(QVariant()));

    EXPECT_FALSE(seeNotesShown(0));
    EXPECT_FALSE(seeNotesShown(2));
    EXPECT_TRUE(seeNotesShown(3));
    EXPECT_TRUE(seeNotesShown(std::nullopt)); // a count that failed

    for (const QVariant& shown : {QVariant(9905), QVariant(507), QVariant(1.5) /* rounds to 2 */})
        EXPECT_TRUE(assignedRiskShown(shown)) << shown.toString().toStdString();
    // 0.5 rounds to 0; 40000 does not fit 16 bits.
    for (const QVariant& hidden : {QVariant(0), QVariant(), QVariant(0.5), QVariant(40000), QVariant(-3)})
        EXPECT_FALSE(assignedRiskShown(hidden)) << hidden.toString().toStdString();
}

TEST(PanelMods, HeadingsAndRecordSources) {
    EXPECT_EQ(modsHeadings("NY").col1Caption, " ");
    EXPECT_EQ(modsHeadings("PA").col1Format, "MM/DD/YY");
    EXPECT_EQ(modsRecordSource("123456789", "01", PanelTab::Search),
              "SELECT * FROM MODS WHERE FILE = \"123456789\" AND SEQUENCE = \"01\" ORDER BY EFFECTIVE DESC, "
              "EXPIRE DESC ");
    // A double quote inside a value is doubled, so the value cannot end its literal.
    EXPECT_TRUE(modsRecordSource("1\"2", "0'1", PanelTab::AllRecords)
                    .startsWith("SELECT * FROM MODS WHERE FILE = \"1\"\"2\" AND SEQUENCE = \"0'1\" ORDER"));
    EXPECT_EQ(oneRecordSource("12", "0'1"), "SELECT * FROM PRIME WHERE FILE = '12' AND SEQUENCE = '0''1'");
}

TEST(PanelMark, CaptionToggleAndNoteLength) {
    EXPECT_EQ(markItCaption("Y"), "Include");
    EXPECT_EQ(markItCaption(QVariant()), "Exclude");
    EXPECT_EQ(toggledOmit("Y"), " ");
    EXPECT_EQ(toggledOmit(" "), "Y");
    EXPECT_EQ(toggledOmit("y"), "Y"); // only a capital Y counts as excluded

    const std::pair<QVariant, std::optional<int>> notes[] = {{" ", 0},
                                                             {"     ", 0},
                                                             {"\r\n", 2},
                                                             {"  ab  ", 2},
                                                             {"\tx ", 2},
                                                             {QString(32767, 'x'), 32767},
                                                             {QString(32768, 'x'), std::nullopt},
                                                             {QVariant(), std::nullopt}};
    for (const auto& [text, length] : notes)
        EXPECT_EQ(trimmedNoteLength(text), length) << text.toString().left(8).toStdString();
}
