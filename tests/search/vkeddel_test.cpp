// The edit/delete dialog driven as a user would: pick a title, press Edit, Delete or Cancel.
#include "search/vkeddel.h"

#include "search/search_list.h"
#include "search_test_support.h"
#include "support/scripted_msgbox.h"

#include "platform/ui/msgbox.h"

#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

using namespace search;
using searchtest::line;
using searchtest::writeBytes;

namespace {

// The list form as the dialog sees it: tabs rebuilt from the folder, calls recorded.
class FakeList : public SearchTabsHost {
public:
    explicit FakeList(const QString& folder) : folder_(folder) { SETTABS(); }
    QString tabCaption(int k) const override { return captions[k]; }
    QString workspaceFolder() const override { return folder_ + "/"; }
    void setCurSQLFile(const QString& f) override { CurSQLFile = f; }
    void SETTABS() override {
        calls << "SETTABS";
        const TabsPlan plan = planTabs(folder_, selected);
        velk::SearchFiles = plan.files;
        captions = plan.captions;
        selected = plan.selectTab;
    }
    void selectTab(int k) override {
        calls << QStringLiteral("tab %1").arg(k);
        selected = k;
    }
    void showList() override { calls << "show"; }

    std::array<QString, 10> captions;
    QString CurSQLFile = "unset";
    int selected = 2;
    QStringList calls;

private:
    QString folder_;
};

class VkeddelTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(dir.filePath("SEARCH1.VKD"), line("North", "County", "001", "005", "COUNTY"));
        writeBytes(dir.filePath("SEARCH2.VKD"), line("South", "County", "010", "020", "COUNTY"));
        writeBytes(dir.filePath("SEARCH2.XCL"), "twin");
        writeBytes(dir.filePath("UNTITLED.VKD"), line("UNTITLED", "Zip Code", "19000", "19099", "ZIP"));
        list = std::make_unique<FakeList>(dir.path());
        list->calls.clear();
    }
    // A fresh dialog, activated, with row picked (none for -1).
    std::unique_ptr<VKEDDEL> dialog(int row) {
        auto d = std::make_unique<VKEDDEL>(*list);
        d->Form_Activate();
        if (row >= 0) {
            d->List1->setCurrentRow(row);
            d->List1->item(row)->setSelected(true);
        }
        return d;
    }
    QTemporaryDir dir;
    std::unique_ptr<FakeList> list;
    testsupport::ScriptedMsgBoxes boxes;
};

} // namespace

TEST_F(VkeddelTest, TitlesAndNothingSelected) {
    auto d = dialog(-1);
    EXPECT_EQ(d->windowTitle(), "Edit/Delete Lookup");
    EXPECT_EQ(d->List1->geometry(), QRect(40, 16, 81, 160));
    EXPECT_EQ(d->Command3->geometry(), QRect(168, 104, 89, 25));
    EXPECT_EQ(d->Command1->text(), "Edit");
    EXPECT_TRUE(d->Command1->isDefault());
    ASSERT_EQ(d->List1->count(), 3);
    EXPECT_EQ(d->List1->item(0)->text(), "North");
    EXPECT_EQ(d->List1->item(2)->text(), "UNTITLED");
    boxes.expect("No lookup selected!", ui::vbOK).expect("No lookup selected!", ui::vbOK);
    d->Command1_Click();
    d->Command2_Click();
    EXPECT_EQ(boxes.shown()[0].style, ui::vbOKOnly);
    EXPECT_TRUE(list->calls.isEmpty());
    EXPECT_EQ(list->CurSQLFile, "unset");
}

TEST_F(VkeddelTest, EditHandsTheSearchToTheLookupEditor) {
    QString opened;
    showLookupEditor = [&] { opened = list->CurSQLFile; };
    auto d = dialog(1);
    d->Command1_Click();
    showLookupEditor = nullptr;
    EXPECT_EQ(list->CurSQLFile, "SEARCH2.VKD");
    EXPECT_EQ(opened, "SEARCH2.VKD");
    EXPECT_EQ(d->result(), QDialog::Accepted);
    // Without an editor installed Edit only closes the dialog.
    dialog(0)->Command1_Click();
    EXPECT_EQ(list->CurSQLFile, "SEARCH1.VKD");
}

TEST_F(VkeddelTest, DeleteAnsweredYesRemovesTheSearchAndItsTwin) {
    const QString question = "Delete this lookup?";
    boxes.expect(question, ui::vbYes, "Edit/Delete Lookup");
    dialog(1)->Command2_Click();
    EXPECT_EQ(boxes.shown()[0].style, ui::vbYesNo | ui::vbExclamation | ui::vbDefaultButton2);
    EXPECT_FALSE(QFile::exists(dir.filePath("SEARCH2.VKD")));
    EXPECT_FALSE(QFile::exists(dir.filePath("SEARCH2.XCL")));
    EXPECT_TRUE(QFile::exists(dir.filePath("SEARCH1.VKD")));
    EXPECT_EQ(list->calls, QStringList({"SETTABS", "tab 0", "show"}));
    EXPECT_EQ(velk::SearchFiles[2], "UNTITLED.VKD");
    EXPECT_EQ(list->selected, 0);

    // A file already gone and without a twin: only the question, and the same steps.
    list->calls.clear();
    auto d = dialog(0);
    QFile::remove(dir.filePath("SEARCH1.VKD"));
    boxes.expect(question, ui::vbYes, "Edit/Delete Lookup");
    d->Command2_Click();
    EXPECT_EQ(list->calls, QStringList({"SETTABS", "tab 0", "show"}));
}

TEST_F(VkeddelTest, DeleteAnsweredNoAndCancel) {
    boxes.expect("Delete this lookup?", ui::vbNo, "Edit/Delete Lookup");
    dialog(0)->Command2_Click();
    EXPECT_TRUE(QFile::exists(dir.filePath("SEARCH1.VKD")));
    EXPECT_EQ(list->calls, QStringList({"show"}));

    list->calls.clear();
    dialog(-1)->reject(); // Esc
    EXPECT_EQ(list->calls, QStringList({"SETTABS", "show"}));
}
