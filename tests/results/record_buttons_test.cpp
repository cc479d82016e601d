// The list form's Print Record button, Export Record while export is not connected, and what
// Export Record leaves on the all-records panel.
#include "list_fixture.h"

#include <gtest/gtest.h>

namespace {

class RecordButtons : public listtest::ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        makeDataSet("PA");
        addEmployer("100000001", "01", "ACME TOOL CO", "YORK", {{"UserPhone", "!"}, {"NAME2", "    X"}});
        openList();
    }
};

TEST_F(RecordButtons, PrintRecordAsksTheMainWindowToPrint) {
    addSearchOfAll("SEARCH1.VKD", "Everyone");
    list->SSTab1->setCurrentIndex(1);
    int asked = 0;
    QObject::connect(list.get(), &VKLIST::printRecordRequested, [&] { ++asked; });
    list->PRINTCUR->click(); // no box: the print runs
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(boxes.pending(), 0);
}

TEST_F(RecordButtons, ExportRecordLeavesTheAllRecordsPanelAsItWas) {
    ASSERT_EQ(list->PHONE->text(), "!");
    int asked = 0;
    QObject::connect(list.get(), &VKLIST::exportRecordRequested, [&] { ++asked; });
    list->EXPORTCUR->click();
    EXPECT_EQ(asked, 1);
    // The export's one-record source fills the hidden search grid; the panel keeps tab 0's rules.
    EXPECT_EQ(list->PHONE->text(), "!");
    EXPECT_EQ(list->ADDRESS->toPlainText(), "ACME TOOL CO\n1 MAIN ST\nYORK, PA  17401");
    EXPECT_FALSE(list->MFILE->RecordSource.endsWith(' '));
}

} // namespace
