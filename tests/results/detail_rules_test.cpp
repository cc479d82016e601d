// Bands, the assigned-risk date, the note stamp and the panel texts after More Info.
#include "results/detail_rules.h"

#include <QHash>

#include <gtest/gtest.h>

using namespace results;

namespace {

TEST(DetailRules, BandTextsAndTheAssignedRiskDate) {
    const std::pair<QVariant, const char*> employees[] = {
        {"0", "Unknown"}, {"5", "50 - 99"}, {"9", "1000+"}, {" ", ""}, {"A", ""}};
    for (const auto& [band, text] : employees)
        EXPECT_EQ(employeesText(band), text) << band.toString().toStdString();
    const std::pair<QVariant, const char*> sales[] = {
        {"0", "Unknown"}, {"1", "Under 1 million"}, {"9", "1 Billion +"}, {QVariant(), ""}, {"10", ""}};
    for (const auto& [band, text] : sales)
        EXPECT_EQ(salesText(band), text) << band.toString().toStdString();
    EXPECT_EQ(njarDateText(9912.0), "12/99");
    EXPECT_EQ(njarDateText(507), "07/05"); // July 2005, read with its leading zero
    EXPECT_EQ(njarDateText(QVariant()), "/");
    EXPECT_EQ(njarDateText(0), "/");
}

TEST(DetailRules, NoteStampGoesOnTopWithTheCaretAfterIt) {
    const StampedNote twice = stampNote(stampNote("old text", "3/4/25", "\n").text, "3/5/25", "\n");
    EXPECT_EQ(twice.text, "3/5/25 - \n3/4/25 - \nold text");
    EXPECT_EQ(twice.caret, 9);
    EXPECT_EQ(stampNote("", "1/1/25", "\r\n").text, "1/1/25 - \r\n");
}

TEST(DetailRules, StampsWithNothingTypedAfterThemAreTakenOut) {
    const Stamping once{"3/5/25 - ", "old"}, twice{"3/5/25 - ", "3/5/25 - \nold"},
        afterTyping{"3/5/25 - ", "3/5/25 - called\nold"};
    const std::tuple<QString, QVector<Stamping>, QString> cases[] = {
        {"3/5/25 - \nold", {once}, "old"},                                            // passed through
        {"3/5/25 - \n3/5/25 - \nold", {once, twice}, "old"},                          // twice
        {"3/5/25 -  \n\nold", {once}, "old"},                                         // a blank and Enter
        {"3/5/25 - \n3/5/25 - called\nold", {once, afterTyping}, afterTyping.before}, // the typed one stays
        {"3/5/25 - \ncalled\nold", {once}, "3/5/25 - \ncalled\nold"},                 // typed below it: dated
        {"3/5/25 - \nold, and more", {once}, "3/5/25 - \nold, and more"},             // typed anywhere
        {"3/5/25 - \nold", {}, "3/5/25 - \nold"}, // a stored stamp is the user's
    };
    for (const auto& [note, stampings, kept] : cases)
        EXPECT_EQ(withoutUntypedStamps(note, stampings), kept) << note.toStdString();
}

TEST(DetailRules, PanelRefreshAfterMoreInfo) {
    QHash<QString, QVariant> row = {{"NAME1", "ACME TOOL CO    "},
                                    {"NAME2", " "},
                                    {"STREET", "12 MAIN ST  "},
                                    {"CITY", "YORK      "},
                                    {"ST", "PA"},
                                    {"ZIP", "17401"},
                                    {"ZIPEXT", "2200"},
                                    {"PHONE", "717-555-0100"},
                                    {"FAX", "717-555-0101"},
                                    {"CONTACT", "J SMITH"},
                                    {"TITLE", "OWNER"},
                                    {"UserPhone", QVariant()},
                                    {"UserFax", ""},
                                    {"UserContact", " "},
                                    {"UserTitle", "BOSS"}};
    const auto refresh = [&] { return moreInfoPanelRefresh([&](const QString& f) { return row.value(f); }); };
    PanelRefresh r = refresh();
    EXPECT_EQ(r.addressLines, QStringList({"ACME TOOL CO", "12 MAIN ST  ", "YORK, PA  17401-2200"}));
    EXPECT_EQ(r.PHONE, "717-555-0100");  // null user phone keeps the stored one
    EXPECT_EQ(r.txtFax, "717-555-0101"); // empty user fax too
    EXPECT_EQ(r.CONTACT, " ");           // one blank is enough to replace
    EXPECT_EQ(r.TITLE, "BOSS");

    row["NAME2"] = "    X DIVISION  "; // four blanks then text: sorts after ten blanks and "!"
    row["ZIPEXT"] = " ";
    EXPECT_EQ(refresh().addressLines,
              QStringList({"ACME TOOL CO", "    X DIVISION", "12 MAIN ST  ", "YORK, PA  17401"}));
    row["NAME2"] = "          "; // blanks only: no second line
    row["ZIPEXT"] = QVariant();
    EXPECT_EQ(refresh().addressLines, QStringList({"ACME TOOL CO", "12 MAIN ST  ", "YORK, PA  17401"}));
}

} // namespace
