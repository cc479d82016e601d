// The lookup editor as the window system drives it: mouse clicks on the field list, Enter in the
// boxes, and controls that stay where the user aims.
#include "lookup_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

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

void pressEnter(QWidget* w) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Where the controls a user aims at stand in the dialog.
QVector<QRect> placesOf(VKLOOKUP& d) {
    QVector<QRect> out;
    for (QWidget* w : std::initializer_list<QWidget*>{d.List1, d.FROM, d.THRU, d.SQLINCLUDE, d.SQLEXCLUDE, d.ADD,
                                                      d.DELETE, d.OK, d.CANCEL, d.TDBGrid3, d.TDBGrid5, d.SFOR})
        out << QRect(w->mapTo(&d, QPoint()), w->size());
    return out;
}

} // namespace

TEST_F(LookupEditorTest, ControlsStayWhereTheyAreWhateverTheFieldShows) {
    useState("PM"); // where the merit field, without THRU, can be chosen
    showEditor([&](VKLOOKUP& d) {
        d.show();
        QApplication::processEvents();
        QVector<QRect> first;
        // With and without a pick list, a search box, a THRU box.
        for (int pos : {int(kExpire), int(kCounty), int(kEmployees), int(kMerit), int(kZip), int(kSic)}) {
            clickField(d, pos);
            EXPECT_EQ(d.selectedField(), pos);
            EXPECT_EQ(d.Label3->isVisible(), d.THRU->isVisible()) << "the Thru label goes with its box";
            if (first.isEmpty())
                first = placesOf(d);
            else
                EXPECT_EQ(placesOf(d), first) << "field " << pos;
        }
        // The pick list shows whole descriptions.
        const QString longest = "BUILDING CONSTRUCTION";
        EXPECT_GT(d.TDBGrid5->columnWidth(1), d.TDBGrid5->fontMetrics().horizontalAdvance(longest));
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, EnterAddsTheEntryBeingTypedAndNeverClosesTheDialog) {
    showEditor([&](VKLOOKUP& d) {
        d.show();
        QApplication::processEvents();
        clickField(d, kZip);
        d.FROM->setText("190");
        pressEnter(d.FROM); // padded as on leaving the box, THRU taken from FROM
        clickField(d, kArea);
        d.FROM->setText("215");
        d.THRU->setText("610");
        pressEnter(d.THRU);
        ASSERT_EQ(d.lookups().size(), 2);
        EXPECT_EQ(d.lookups()[0].SQLFROM + "-" + d.lookups()[0].SQLTHRU, "19000-19000");
        EXPECT_EQ(d.lookups()[1].SQLFROM + "-" + d.lookups()[1].SQLTHRU, "215-610");
        // In the title Enter moves on to the fields; nothing is saved.
        pressEnter(d.SEARCHDESC);
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(list.calls.isEmpty());
        EXPECT_FALSE(QFile::exists(workspaceFile("UNTITLED.VKD")));
        // A refused entry says why and leaves the dialog open.
        clickField(d, kEmployees);
        d.FROM->setText("3");
        boxes.expect("Invalid employee category!", ui::vbOK, kTitle);
        pressEnter(d.FROM);
        EXPECT_EQ(d.lookups().size(), 2);
        EXPECT_TRUE(d.isVisible());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, ClickingTheChosenFieldAgainStartsItsEntryAfresh) {
    showEditor([&](VKLOOKUP& d) {
        d.show();
        QApplication::processEvents();
        clickField(d, kExpire);
        d.FROM->setText("0630");
        d.THRU->clear();
        clickField(d, kExpire);
        EXPECT_EQ(d.FROM->text(), "0101");
        EXPECT_EQ(d.THRU->text(), "1231");
        // A field refused in this data set says so once per click.
        boxes.expect("This field can only be used with New Jersey.", ui::vbOK, kTitle);
        clickField(d, kNjArOnly);
        d.CANCEL_Click();
    });
}

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

// Tab walks the dialog as it reads: the lookup list, then "Search for", then the pick list under it.
TEST_F(LookupEditorTest, TabReachesSearchForBeforeThePickListUnderIt) {
    showEditor([&](VKLOOKUP& d) {
        d.show();
        QApplication::processEvents();
        clickField(d, kCounty);
        QList<QWidget*> order;
        QWidget* w = d.SEARCHDESC;
        do {
            if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && !order.contains(w)) order << w;
            w = w->nextInFocusChain();
        } while (w != d.SEARCHDESC);
        EXPECT_LT(order.indexOf(d.CANCEL), order.indexOf(d.TDBGrid3));
        EXPECT_LT(order.indexOf(d.TDBGrid3), order.indexOf(d.SFOR));
        EXPECT_LT(order.indexOf(d.SFOR), order.indexOf(d.TDBGrid5));
        d.CANCEL_Click();
    });
}
