// What stays put on the list form and the record detail form: the panel's places from record to
// record, tab to tab and data set to data set, the tab rows, the grids' widths, the captions.
#include "results/record_detail.h"
#include "results/tab_rows.h"

#include "detail_fixture.h"

#include <QHeaderView>
#include <QMap>
#include <QMouseEvent>

#include <numeric>

#include <gtest/gtest.h>

namespace {

using listtest::flags;
using listtest::ListFixture;

// Where the panel's controls stand in the list form, hidden ones included.
QMap<QString, QRect> panelPlaces(VKLIST& l) {
    QApplication::processEvents();
    const std::pair<const char*, QWidget*> controls[] = {
        {"ADDRESS", l.ADDRESS},   {"PHONE", l.PHONE},         {"CONTACT", l.CONTACT},
        {"Label2", l.Label2},     {"Label5", l.Label5},       {"Label8", l.Label8},
        {"Label9", l.Label9},     {"Label10", l.Label10},     {"TDBGrid2", l.TDBGrid2},
        {"Command1", l.Command1}, {"FULLADDR", l.FULLADDR},   {"PRINTCUR", l.PRINTCUR},
        {"EXPORTCUR", l.EXPORTCUR}, {"MarkIt", l.MarkIt}};
    QMap<QString, QRect> places;
    for (const auto& [name, w] : controls)
        places[name] = QRect(w->mapTo(&l, QPoint(0, 0)), w->size());
    return places;
}

void click(QWidget* w, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class ListLayout : public ListFixture {
protected:
    void show() {
        list->resize(1000, 700);
        list->show();
        QApplication::processEvents();
    }
};

TEST_F(ListLayout, PanelControlsKeepTheirPlacesAcrossRecordsTabsAndDataSets) {
    // Record A carries every flag its data set shows; A/02 none.
    const listtest::Row everyFlag = {{"ASSOCIATES", true}, {"INTERSTATE", true}, {"REVISED", true}, {"NJAR", 9905}};
    const struct {
        const char* state;
        QStringList flagsOfA;
    } rows[] = {
        {"PA", {"Associated Companies", "See Notes", "Assigned Risk"}},
        {"NJ", {"Associated Companies", "See Notes", "Assigned Risk"}},
        {"NY", {"Associated Companies", "See Notes", "Assigned Risk", "Interstate", "Revised"}},
    };
    QMap<QString, QRect> first;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.state);
        openList(r.state, everyFlag);
        addSearchOfAll("SEARCH1.VKD", "Everyone");
        show();
        selectRecord(fileA, "01");
        ASSERT_EQ(flags(*list), r.flagsOfA);
        const QMap<QString, QRect> withFlags = panelPlaces(*list);
        selectRecord(fileA, "02");
        ASSERT_EQ(flags(*list), QStringList());
        EXPECT_EQ(panelPlaces(*list), withFlags);
        list->SSTab1->setCurrentIndex(1);
        ASSERT_FALSE(list->MarkIt->isHidden());
        EXPECT_EQ(panelPlaces(*list), withFlags);
        if (first.isEmpty()) first = withFlags;
        EXPECT_EQ(withFlags, first);
        list.reset();
        db.reset();
    }
}

TEST_F(ListLayout, TheListWindowDoesNotCloseOnItsOwn) {
    openList("PA");
    show();
    EXPECT_FALSE(list->close()); // the main window's commands need it
    EXPECT_TRUE(list->isVisible());
}

TEST_F(ListLayout, TheSortedHeaderKeepsItsIndicatorWhenSeqIsClicked) {
    openList("PA");
    show();
    QHeaderView* header = list->TDBGrid1->horizontalHeader();
    ASSERT_EQ(header->sortIndicatorSection(), 2);
    click(header->viewport(), QPoint(header->sectionViewportPosition(1) + header->sectionSize(1) / 2,
                                     header->height() / 2));
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(ListLayout, ListGridsGiveTheirWidthToTheName) {
    openList("PA");
    show();
    for (grid::DataGrid* g : {list->TDBGrid1, list->TDBGrid2}) {
        const int name = g == list->TDBGrid1 ? 2 : 0;
        SCOPED_TRACE(name);
        g->show();
        auto widths = [g] {
            QApplication::processEvents();
            QList<int> w;
            for (int c = 0; c < g->model()->columnCount(); ++c)
                w << (g->isColumnHidden(c) ? 0 : g->columnWidth(c));
            return w;
        };
        auto total = [](const QList<int>& w) { return std::accumulate(w.begin(), w.end(), 0); };
        const QList<int> narrow = widths();
        EXPECT_EQ(total(narrow), g->viewport()->width());
        list->resize(1600, 700);
        const QList<int> wide = widths();
        EXPECT_EQ(total(wide), g->viewport()->width());
        EXPECT_GT(wide[name], narrow[name]);
        list->resize(1000, 700);
    }
    // On the list grid only the name grows.
    const QList<int> before = {list->TDBGrid1->columnWidth(0), list->TDBGrid1->columnWidth(3)};
    list->resize(1600, 700);
    QApplication::processEvents();
    EXPECT_EQ(QList<int>({list->TDBGrid1->columnWidth(0), list->TDBGrid1->columnWidth(3)}), before);
}

TEST_F(ListLayout, TenTabsInTwoRowsOfFiveAllInView) {
    results::TabRows tabs(5);
    for (int i = 0; i < 10; ++i)
        tabs.addTab(i == 7 ? QString("A very long saved search title indeed") : QString("Tab %1").arg(i));
    tabs.resize(tabs.minimumSizeHint());
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(tabs.rect().contains(tabs.tabRect(i))); // none cut off or behind arrows
        EXPECT_EQ(tabs.tabRect(i).top(), tabs.tabRect(i < 5 ? 0 : 5).top());
        if (i < 5) {
            EXPECT_LT(tabs.tabRect(i).bottom(), tabs.tabRect(i + 5).top());
            EXPECT_EQ(tabs.tabRect(i).left(), tabs.tabRect(i + 5).left());
        }
    }
    // Selecting a tab moves no tab.
    const QRect seven = tabs.tabRect(7);
    click(&tabs, seven.center());
    EXPECT_EQ(tabs.currentIndex(), 7);
    EXPECT_EQ(tabs.tabRect(7), seven);
}

TEST_F(ListLayout, DetailCaptionAndGridsShowWholeValues) {
    openList("PA", {{"NAME1", "ACME TOOL CO                  "}});
    testsupport::ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        showForTyping(f);
        EXPECT_EQ(f.windowTitle(), "VKLISTI - ACME TOOL CO");
        EXPECT_EQ(f.SIC->cursorPosition(), 0); // the code, not the end of its description
        QHeaderView* h = f.TDBGrid7->horizontalHeader();
        EXPECT_LE(h->sectionViewportPosition(2) + h->sectionSize(2), f.TDBGrid7->viewport()->width());
        EXPECT_GT(h->sectionSize(2), h->fontMetrics().horizontalAdvance("L. C."));
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
}

} // namespace
