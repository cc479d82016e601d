// Mouse clicks on the lookup editor's field list, as the window system delivers them.
#include "lookup_fixture.h"

#include <QApplication>
#include <QMouseEvent>

// QEvent lets this class mark an event as coming from the window system, as a real click does.
class QSpontaneKeyEvent {
public:
    static void setSpontaneous(QEvent* ev) { ev->setSpontaneous(); }
};

using namespace lookuptest;
using namespace search;

namespace {

// A real mouse click on a field of the list: the press makes the row current first, then selects it.
void clickField(VKLOOKUP& d, int pos) {
    QWidget* target = d.List1->viewport();
    d.List1->scrollToItem(d.List1->item(pos));
    const QPoint at = d.List1->visualItemRect(d.List1->item(pos)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(target, &e);
    }
    QApplication::processEvents();
}

} // namespace

// Choosing a field with the mouse loads that field's own category rows.
TEST_F(LookupEditorTest, AFieldClickedWithTheMouseLoadsItsOwnCategoryGrid) {
    showEditor([&](VKLOOKUP& d) {
        d.show();
        QApplication::processEvents();
        clickField(d, kCounty);
        EXPECT_EQ(d.searchColumn(), "COUNTY");
        EXPECT_EQ(categoryColumn(d, 1), QStringList({"ADAMS", "ALLEGHENY", "BEDFORD", "BUCKS", "O'HARA"}));
        clickField(d, kSic);
        EXPECT_EQ(d.selectedField(), int(kSic));
        EXPECT_EQ(categoryColumn(d, 0), QStringList({"0100", "1500", "1731", "1711"}));
        d.SFOR->setText("B");
        d.TDBGrid5_DblClick();
        EXPECT_EQ(d.FROM->text(), "1500");
        EXPECT_EQ(d.THRU->text(), "1599");
        d.CANCEL_Click();
    });
}
