// What the detail panel shows for a row, written out by hand for tab 0 and the search tabs.
#include "results/panel_rules.h"

#include <QHash>

#include <gtest/gtest.h>

using namespace results;

namespace {

FieldReader rowOf(const QHash<QString, QVariant>& row) {
    return [row](const QString& f) { return row.value(f); };
}

const QHash<QString, QVariant> kAcme = {
    {"NAME1", "ACME TOOL CO                       "},
    {"NAME2", " "},
    {"STREET", "12 MAIN ST"},
    {"CITY", "YORK                  "},
    {"ST", "PA"},
    {"ZIP", "17401"},
    {"ZIPEXT", "2200"},
};

} // namespace

TEST(PanelAddress, StandardRecordGivesThreeLines) {
    EXPECT_EQ(addressLines(rowOf(kAcme), PanelTab::AllRecords),
              QStringList({"ACME TOOL CO", "12 MAIN ST", "YORK, PA  17401-2200"}));
}

TEST(PanelAddress, SecondNameThresholdDiffersByTab) {
    auto row = kAcme;
    row["NAME2"] = "    X"; // four blanks and X
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).size(), 3);
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::Search),
              QStringList({"ACME TOOL CO", "    X", "12 MAIN ST", "YORK, PA  17401-2200"}));
    row["NAME2"] = "   X"; // three blanks and X: after "   !" on tab 0
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).at(1), "   X");
    row["NAME2"] = QString(38, ' ');
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).size(), 3);
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::Search).size(), 3);
    row["NAME2"] = QVariant();
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::Search).size(), 3);
}

TEST(PanelAddress, ZipExtensionOnlyWhenPresent) {
    auto row = kAcme;
    row["ZIPEXT"] = " ";
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).last(), "YORK, PA  17401");
    row["ZIPEXT"] = "";
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).last(), "YORK, PA  17401");
    row["ZIPEXT"] = QVariant();
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).last(), "YORK, PA  17401");
    row["ZIPEXT"] = "1234";
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::Search).last(), "YORK, PA  17401-1234");
    // The street keeps its blanks, name and city lose the trailing ones.
    row["STREET"] = "PO BOX 7  ";
    EXPECT_EQ(addressLines(rowOf(row), PanelTab::AllRecords).at(1), "PO BOX 7  ");
}

TEST(PanelContacts, UserValueRulesOnTabZero) {
    const auto t = PanelTab::AllRecords;
    const QString stored = "717-555-0100";
    EXPECT_EQ(contactBoxText(stored, "!", kPhoneBlanks, t), "!");
    EXPECT_EQ(contactBoxText(stored, " 555", kPhoneBlanks, t), " 555");
    EXPECT_EQ(contactBoxText(stored, QString(50, ' '), kPhoneBlanks, t), stored);
    EXPECT_EQ(contactBoxText(stored, QString(49, ' '), kPhoneBlanks, t), QString(49, ' '));
    EXPECT_EQ(contactBoxText(stored, "", kPhoneBlanks, t), stored);
    EXPECT_EQ(contactBoxText(stored, QVariant(), kPhoneBlanks, t), stored);
    // Fax: exactly twelve blanks keep the stored fax.
    EXPECT_EQ(contactBoxText("717-555-0199", QString(12, ' '), kFaxBlanks, t), "717-555-0199");
    EXPECT_EQ(contactBoxText("717-555-0199", QString(11, ' '), kFaxBlanks, t), QString(11, ' '));
    // A Null stored value and no user value leave the box empty.
    EXPECT_EQ(contactBoxText(QVariant(), QVariant(), kContactBlanks, t), "");
}

TEST(PanelContacts, UserValueRulesOnSearchTab) {
    const auto t = PanelTab::Search;
    const QString stored = "717-555-0100";
    EXPECT_EQ(contactBoxText(stored, "!", kPhoneBlanks, t), stored);
    EXPECT_EQ(contactBoxText(stored, " 555", kPhoneBlanks, t), stored);
    EXPECT_EQ(contactBoxText(stored, QString(50, ' '), kPhoneBlanks, t), stored);
    EXPECT_EQ(contactBoxText(stored, "\"Q", kPhoneBlanks, t), "\"Q");
    EXPECT_EQ(contactBoxText(stored, "MARY", kContactBlanks, t), "MARY");
    EXPECT_EQ(contactBoxText(stored, QVariant(), kTitleBlanks, t), stored);
}

TEST(PanelFlags, OverrideMarkerNotesAndAssignedRisk) {
    EXPECT_TRUE(addressMarked("!&"));
    EXPECT_FALSE(addressMarked("!& 12 OAK ST"));
    EXPECT_FALSE(addressMarked(" !&"));
    EXPECT_FALSE(addressMarked(QVariant()));
    EXPECT_EQ(addressOverrideColor(), QColor(255, 255, 128));

    EXPECT_FALSE(seeNotesShown(0));
    EXPECT_FALSE(seeNotesShown(2));
    EXPECT_TRUE(seeNotesShown(3));
    EXPECT_TRUE(seeNotesShown(std::nullopt)); // a count that failed

    EXPECT_TRUE(assignedRiskShown(9905));
    EXPECT_TRUE(assignedRiskShown(507));
    EXPECT_FALSE(assignedRiskShown(0));
    EXPECT_FALSE(assignedRiskShown(QVariant()));
    EXPECT_FALSE(assignedRiskShown(0.5));   // rounds to 0
    EXPECT_TRUE(assignedRiskShown(1.5));    // rounds to 2
    EXPECT_FALSE(assignedRiskShown(40000)); // does not fit 16 bits
    EXPECT_FALSE(assignedRiskShown(-3));
}

TEST(PanelMods, HeadingsAndRecordSource) {
    const ModsHeadings ny = modsHeadings("NY");
    EXPECT_EQ(ny.col2Caption, "Anniversary");
    EXPECT_EQ(ny.col1Caption, " ");
    EXPECT_EQ(ny.col1Format, "STANDARD");
    const ModsHeadings pa = modsHeadings("PA");
    EXPECT_EQ(pa.col2Caption, "Expires");
    EXPECT_EQ(pa.col1Caption, "Effective");
    EXPECT_EQ(pa.col1Format, "MM/DD/YY");

    EXPECT_EQ(modsRecordSource("123456789", "01", PanelTab::AllRecords),
              "SELECT * FROM MODS WHERE FILE = \"123456789\" AND SEQUENCE = \"01\" ORDER BY EFFECTIVE DESC, "
              "EXPIRE DESC");
    EXPECT_EQ(modsRecordSource("123456789", "01", PanelTab::Search),
              "SELECT * FROM MODS WHERE FILE = \"123456789\" AND SEQUENCE = \"01\" ORDER BY EFFECTIVE DESC, "
              "EXPIRE DESC ");
    // A double quote inside a value is doubled, so the value cannot end its literal.
    EXPECT_TRUE(modsRecordSource("1\"2", "0'1", PanelTab::AllRecords)
                    .startsWith("SELECT * FROM MODS WHERE FILE = \"1\"\"2\" AND SEQUENCE = \"0'1\" ORDER"));
    EXPECT_EQ(oneRecordSource("12", "0'1"), "SELECT * FROM PRIME WHERE FILE = '12' AND SEQUENCE = '0''1'");
}

TEST(PanelMark, CaptionAndToggle) {
    EXPECT_EQ(markItCaption("Y"), "Include");
    EXPECT_EQ(markItCaption(" "), "Exclude");
    EXPECT_EQ(markItCaption(QVariant()), "Exclude");
    EXPECT_EQ(toggledOmit("Y"), " ");
    EXPECT_EQ(toggledOmit(" "), "Y");
    EXPECT_EQ(toggledOmit(QVariant()), "Y");
    EXPECT_EQ(toggledOmit("y"), "Y"); // only a capital Y counts as excluded
}

TEST(NoteLength, TrimsBlanksOnly) {
    EXPECT_EQ(trimmedNoteLength(" "), 0);
    EXPECT_EQ(trimmedNoteLength("     "), 0);
    EXPECT_EQ(trimmedNoteLength("\r\n"), 2);
    EXPECT_EQ(trimmedNoteLength("  ab  "), 2);
    EXPECT_EQ(trimmedNoteLength("abc"), 3);
    EXPECT_EQ(trimmedNoteLength("\tx "), 2);
    EXPECT_EQ(trimmedNoteLength(QString(32767, 'x')), 32767);
    EXPECT_EQ(trimmedNoteLength(QString(32768, 'x')), std::nullopt);
    EXPECT_EQ(trimmedNoteLength(QVariant()), std::nullopt);
}
