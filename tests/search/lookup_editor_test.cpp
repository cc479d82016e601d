// The lookup editor driven as a user would: build a search, save it, edit a saved one.
#include "lookup_fixture.h"

#include "search/search_file.h"
#include "search/sql_builder.h"

#include <QApplication>
#include <QKeyEvent>

using namespace lookuptest;
using namespace search;

namespace {

QString cell(VKLOOKUP& d, int row, int col) {
    auto* m = d.TDBGrid3->model();
    return m->data(m->index(row, col)).toString();
}

void type(QLineEdit* box, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
}

} // namespace

TEST_F(LookupEditorTest, NewSearchStartsUntitledSavesToTheFirstFreeSlotAndReshowsClean) {
    writeBytes(workspaceFile("SEARCH1.VKD"), line("A", "County", "001", "001", "COUNTY"));
    writeBytes(workspaceFile("SEARCH2.VKD"), ""); // empty counts as free
    showEditor([&](VKLOOKUP& d) {
        EXPECT_EQ(d.windowTitle(), "VKLOOKUP");
        EXPECT_EQ(d.SEARCHDESC->selectedText(), "UNTITLED");
        EXPECT_TRUE(velk::LookupIsNew);
        EXPECT_TRUE(d.lookups().isEmpty());
        d.SEARCHDESC->setText("North");
        ASSERT_TRUE(enter(d, kCounty, "001", "005"));
        EXPECT_EQ(d.FROM->text(), "");
        EXPECT_EQ(d.THRU->text(), "");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH2.VKD")), line("North", "County", "001", "005", "COUNTY"));
    EXPECT_EQ(readBytes(workspaceFile("SEARCH1.VKD")), line("A", "County", "001", "001", "COUNTY"));
    EXPECT_EQ(list.calls, QStringList({"tab 0", "SETTABS", "show"}));
    // A new search only hides the editor; showing it again starts clean.
    ASSERT_NE(loadedLookupEditor(), nullptr);
    EXPECT_FALSE(loadedLookupEditor()->isVisible());
    showEditor([&](VKLOOKUP& d) {
        EXPECT_EQ(d.SEARCHDESC->text(), "UNTITLED");
        EXPECT_TRUE(d.lookups().isEmpty());
        EXPECT_EQ(d.TDBGrid3->model()->rowCount(), 0);
        EXPECT_EQ(d.selectedField(), -1);
        d.SEARCHDESC->setText("Two");
        ASSERT_TRUE(enter(d, kArea, "610", ""));
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH3.VKD")), line("Two", "Area Code", "610", "610", "AREA"));
}

TEST_F(LookupEditorTest, AllEightSlotsUsed) {
    for (int n = 1; n <= 8; ++n)
        writeBytes(workspaceFile(searchFileName(n)), line("S", "County", "001", "001", "COUNTY"));
    boxes.expect("Cannot write search information to disk!  Maximum searches is 8 named searches and 1 "
                 "untitled search.",
                 ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Ninth");
        ASSERT_TRUE(enter(d, kZip, "19000", "19099"));
        d.OK_Click();
        // Refused: the dialog stays open with its contents, nothing is written.
        EXPECT_TRUE(list.calls.isEmpty());
        EXPECT_EQ(d.lookups().size(), 1);
        EXPECT_FALSE(QFile::exists(workspaceFile("UNTITLED.VKD")));
        // Under the untitled name it is still saved.
        d.SEARCHDESC->setText("UNTITLED");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("UNTITLED.VKD")),
              line("UNTITLED", "Zip Code", "19000", "19099", "ZIP"));
}

TEST_F(LookupEditorTest, UntitledReplacesUntitled) {
    writeBytes(workspaceFile("UNTITLED.VKD"), line("UNTITLED", "County", "001", "001", "COUNTY"));
    writeBytes(workspaceFile("UNTITLED.XCL"), "x");
    showEditor([&](VKLOOKUP& d) {
        ASSERT_TRUE(enter(d, kArea, "215", ""));
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("UNTITLED.VKD")), line("UNTITLED", "Area Code", "215", "215", "AREA"));
    EXPECT_FALSE(QFile::exists(workspaceFile("UNTITLED.XCL")));
    EXPECT_FALSE(QFile::exists(workspaceFile("SEARCH1.VKD")));
}

TEST_F(LookupEditorTest, OkValidation) {
    boxes.expect("No parameters selected for this search!", ui::vbOK, kTitle)
        .expect("No title entered for this search!", ui::vbOK, kTitle)
        .expect("No title entered for this search!", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.OK_Click();
        ASSERT_TRUE(enter(d, kCounty, "001", ""));
        d.SEARCHDESC->setText("");
        d.OK_Click();
        d.SEARCHDESC->setText("   ");
        d.OK_Click();
        EXPECT_TRUE(list.calls.isEmpty());
        d.CANCEL_Click();
    });
    EXPECT_TRUE(QDir(list.folder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(list.calls, QStringList({"SETTABS", "show"}));
}

TEST_F(LookupEditorTest, OkAcceptsThePendingEntryOrGoesOnWithoutARefusedOne) {
    boxes.expect("No zip code entered!", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Zips");
        d.List1_Click(kZip);
        d.FROM_LostFocus(); // an empty box is not padded, and adds nothing
        EXPECT_EQ(d.FROM->text(), "");
        EXPECT_FALSE(d.ADD_Click());
        EXPECT_TRUE(d.lookups().isEmpty());
        d.FROM->setText("190");
        d.FROM_LostFocus();
        EXPECT_EQ(d.FROM->text(), "19000");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH1.VKD")), line("Zips", "Zip Code", "19000", "19000", "ZIP"));

    boxes.expect("Invalid employee category!", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Mixed");
        ASSERT_TRUE(enter(d, kCounty, "001", "005"));
        d.List1_Click(kEmployees);
        d.FROM->setText("3");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH2.VKD")), line("Mixed", "County", "001", "005", "COUNTY"));
}

TEST_F(LookupEditorTest, LookupListAfterAddAndDelete) {
    boxes.expect("This field cannot be used more than once in a search.", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        auto* grid = d.TDBGrid3->model();
        EXPECT_EQ(grid->headerData(0, Qt::Horizontal).toString(), "Field");
        EXPECT_EQ(grid->headerData(1, Qt::Horizontal).toString(), "Selection");
        EXPECT_EQ(grid->headerData(2, Qt::Horizontal).toString(), "");
        ASSERT_TRUE(enter(d, kCounty, "001", "005"));
        ASSERT_TRUE(enter(d, kCounty, "010", "", true));
        ASSERT_TRUE(enter(d, kName, "A", "M"));
        EXPECT_FALSE(enter(d, kName, "N", "Z"));
        ASSERT_EQ(grid->rowCount(), 3);
        EXPECT_EQ(cell(d, 0, 0), "County");
        EXPECT_EQ(cell(d, 0, 1), "001 Thru 005");
        EXPECT_EQ(cell(d, 0, 2), "Include");
        EXPECT_EQ(cell(d, 1, 1), "010 Thru 010");
        EXPECT_EQ(cell(d, 1, 2), "Exclude");
        EXPECT_EQ(cell(d, 2, 0), "Employer Name");
        EXPECT_TRUE(d.SQLINCLUDE->isChecked()); // the Accept leaves Include selected again

        d.TDBGrid3->setCurrentRow(1);
        d.DELETE_Click();
        ASSERT_EQ(grid->rowCount(), 2);
        EXPECT_EQ(cell(d, 0, 1), "001 Thru 005");
        EXPECT_EQ(cell(d, 1, 0), "Employer Name");
        d.TDBGrid3->setCurrentRow(1);
        d.DELETE_Click();
        d.DELETE_Click(); // the current row moved to the remaining one
        EXPECT_EQ(grid->rowCount(), 0);
        d.DELETE_Click(); // nothing left: nothing happens
        EXPECT_TRUE(d.lookups().isEmpty());
        // With the name gone it may be added again.
        EXPECT_TRUE(enter(d, kName, "N", "Z"));
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, EditKeepsTheFileNameShowsTheLastTitleAndDropsTheTwin) {
    writeBytes(workspaceFile("SEARCH3.VKD"), line("First", "County", "001", "005", "COUNTY") +
                                                 line("Old", "Expiration Date", "0101", "0331", "EXPIRE"));
    writeBytes(workspaceFile("SEARCH3.XCL"), "x");
    writeBytes(workspaceFile("SEARCH1.VKD"), ""); // a free slot that must not be taken
    list.CurSQLFile = "SEARCH3.VKD";
    showEditor([&](VKLOOKUP& d) {
        EXPECT_FALSE(velk::LookupIsNew);
        EXPECT_EQ(d.SEARCHDESC->text(), "Old");
        ASSERT_EQ(d.lookups().size(), 2);
        EXPECT_EQ(cell(d, 1, 1), "0101 Thru 0331");
        d.TDBGrid3->setCurrentRow(0);
        d.DELETE_Click();
        ASSERT_TRUE(enter(d, kSic, "1500", "1599", true));
        d.SEARCHDESC->setText("New");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH3.VKD")),
              line("New", "Expiration Date", "0101", "0331", "EXPIRE") +
                  line("New", "SIC Code", "1500", "1599", "SIC", true));
    EXPECT_FALSE(QFile::exists(workspaceFile("SEARCH3.XCL")));
    EXPECT_EQ(readBytes(workspaceFile("SEARCH1.VKD")), "");
    // The shown search runs again, then the tabs are rebuilt; the editor is unloaded.
    EXPECT_EQ(list.calls, QStringList({"SetUpSQL", "SETTABS", "show"}));
    EXPECT_EQ(loadedLookupEditor(), nullptr);
}

TEST_F(LookupEditorTest, EditSavedAsUntitledLeavesTheSearchAndTheOtherWayRound) {
    const QByteArray original = line("Old", "County", "001", "005", "COUNTY");
    writeBytes(workspaceFile("SEARCH3.VKD"), original);
    list.CurSQLFile = "SEARCH3.VKD";
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("UNTITLED");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH3.VKD")), original);
    EXPECT_EQ(readBytes(workspaceFile("UNTITLED.VKD")), line("UNTITLED", "County", "001", "005", "COUNTY"));

    list.CurSQLFile = "UNTITLED.VKD";
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Named");
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("UNTITLED.VKD")), line("Named", "County", "001", "005", "COUNTY"));
    EXPECT_FALSE(QFile::exists(workspaceFile("SEARCH1.VKD")));
}

TEST_F(LookupEditorTest, NothingIsLostWhenTheFileIsGoneUnreadableOrUnwritable) {
    // The edited file disappeared meanwhile: written anew.
    writeBytes(workspaceFile("SEARCH4.VKD"), line("Gone", "County", "001", "005", "COUNTY"));
    list.CurSQLFile = "SEARCH4.VKD";
    showEditor([&](VKLOOKUP& d) {
        QFile::remove(workspaceFile("SEARCH4.VKD"));
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH4.VKD")), line("Gone", "County", "001", "005", "COUNTY"));

    // An unreadable search is reported and not opened; the file stays as it is.
    const QByteArray bad = "\"Bad\",\"County\",\"001\"\r\n";
    writeBytes(workspaceFile("SEARCH5.VKD"), bad);
    list.CurSQLFile = "SEARCH5.VKD";
    list.calls.clear();
    boxes.expectContaining("SEARCH5.VKD", ui::vbOK, kTitle);
    search::showLookupEditorModal(list); // no modal showing is expected
    EXPECT_EQ(readBytes(workspaceFile("SEARCH5.VKD")), bad);
    EXPECT_EQ(list.calls, QStringList({"SETTABS", "show"}));

    // A folder that cannot be written: the message, and the dialog keeps what was entered.
    list.folder = dir.filePath("MISSING/INNER");
    list.CurSQLFile.clear();
    list.calls.clear();
    boxes.expectContaining("Cannot write search information to disk!", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Kept");
        ASSERT_TRUE(enter(d, kCounty, "001", "005"));
        d.OK_Click();
        EXPECT_TRUE(list.calls.isEmpty());
        EXPECT_EQ(d.lookups().size(), 1);
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, QuotesAndForeignCharactersRefusedInTheBoxes) {
    boxes.expect("Double quotes cannot be used in a search.", ui::vbOK, kTitle)
        .expect("Double quotes cannot be used in a search.", ui::vbOK, kTitle)
        .expect(QStringLiteral("The character \"\u4e2d\" cannot be saved in a search."), ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kName);
        type(d.FROM, "A\"B");
        EXPECT_EQ(d.FROM->text(), "AB");
        d.SEARCHDESC->clear();
        type(d.SEARCHDESC, "Say \"");
        EXPECT_EQ(d.SEARCHDESC->text(), "Say ");
        type(d.THRU, QStringLiteral("Z\u4e2d"));
        EXPECT_EQ(d.THRU->text(), "Z");
        type(d.THRU, QStringLiteral("\u00e9"));
        EXPECT_EQ(d.THRU->text(), QStringLiteral("Z\u00e9"));
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, PickedAndTypedLookupsGiveTheSearchSql) {
    useState("PM");
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Winter");
        ASSERT_TRUE(enter(d, kExpire, "1101", "0228"));
        d.List1_Click(kMerit);
        pick(d, 1);
        ASSERT_TRUE(d.ADD_Click());
        d.List1_Click(kSic);
        pick(d, 1); // BUILDING CONSTRUCTION, 1500: the range 1500 to 1599
        d.SQLEXCLUDE->setChecked(true);
        ASSERT_TRUE(d.ADD_Click());
        ASSERT_TRUE(enter(d, kZip, "19000", "19099"));
        d.List1_Click(kZip);
        d.FROM->setText("193");
        d.FROM_LostFocus();
        d.OK_Click();
    });
    SqlParameters read;
    ASSERT_TRUE(readSearchFile(workspaceFile("SEARCH1.VKD"), &read));
    ASSERT_EQ(read.size(), 5);
    EXPECT_EQ(buildSearchSQL(read),
              "SELECT * FROM PRIME WHERE ((MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1101 AND 1231 OR "
              "(MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0228) AND [MOD] = 9.885 AND SIC NOT BETWEEN "
              "'1500' AND '1599' AND (ZIP BETWEEN '19000' AND '19099' OR ZIP BETWEEN '19300' AND '19300')");
}
