// The bound grid over a recordset: lazy reading by blocks, the current row kept, grids that follow
// code moving the recordset and move it when a row is picked.
#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "platform/grid/recordset_model.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

class BoundGridTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        db = dao::Database::create(path("T.MDB"));
        db->createTable("T", {{"K", "TEXT", 10}, {"NAME", "TEXT", 20}, {"N", "LONG", 0}});
        db->createIndex("T", "PRIMARY", {"K"}, true);
        db->createIndex("T", "BYNAME", {"NAME"});
        db->BeginTrans();
        for (int i = 0; i < kRows; ++i) {
            // Names run backwards so the two orders differ.
            db->executeBound("INSERT INTO T (K, NAME, N) VALUES (?, ?, ?)",
                             {QString("K%1").arg(i, 5, 10, QChar('0')),
                              QString("N%1").arg(kRows - 1 - i, 5, 10, QChar('0')), i});
        }
        db->CommitTrans();
        dc.setDatabase(db.get());
    }
    // The data control over table T in the order of index.
    dao::Recordset* openTable(const QString& index) {
        dc.RecordSource = "T";
        dc.RecordsetType = dao::RecordsetType::Table;
        dc.Refresh();
        if (!index.isEmpty()) dc.Recordset()->setIndex(index);
        return dc.Recordset();
    }
    void TearDown() override {
        dc.Close();
        db.reset();
    }

    static constexpr int kRows = 1000;
    std::unique_ptr<dao::Database> db;
    grid::DataControl dc;
    QVector<grid::ColumnSpec> cols{{"Key", "K"}, {"Name", "NAME"}, {"N", "N"}, {"Missing", "NOSUCH"}};
};

TEST_F(BoundGridTest, TableOpensWithItsCountAndReadsOnlyTheBlocksShown) {
    openTable("PRIMARY");
    grid::RecordsetModel m(&dc, cols);
    m.reload();
    EXPECT_EQ(m.rowCount(), kRows);
    EXPECT_EQ(m.blocksRead(), 0);
    EXPECT_EQ(m.value(700, 0).toString(), "K00700");
    EXPECT_EQ(m.value(700, 2).toLongLong(), 700);
    EXPECT_FALSE(m.value(700, 3).isValid()); // a column without a field shows nothing
    EXPECT_EQ(m.value(701, 1).toString(), "N00298");
    EXPECT_EQ(m.blocksRead(), 1);
    EXPECT_FALSE(m.value(kRows, 0).isValid());
    EXPECT_FALSE(m.flags(m.index(1, 1)) & Qt::ItemIsEditable);
}

TEST_F(BoundGridTest, ReadingRowsLeavesTheCurrentRowWhereItWas) {
    dao::Recordset* rs = openTable("PRIMARY");
    rs->Seek("=", {"K00042"});
    grid::RecordsetModel m(&dc, cols);
    EXPECT_EQ(m.currentRow(), 42);
    EXPECT_EQ(m.value(900, 0).toString(), "K00900");
    EXPECT_EQ(rs->text("K"), "K00042");
    EXPECT_EQ(m.currentRow(), 42);
}

TEST_F(BoundGridTest, GridFollowsSeeksAndMovesTheRecordsetOnAPick) {
    dao::Recordset* rs = openTable("BYNAME");
    rs->MoveFirst();
    grid::DataGrid g;
    int changes = 0, lastRow = -2;
    QObject::connect(&g, &grid::DataGrid::rowColChange, [&](int row) {
        ++changes;
        lastRow = row;
    });
    g.bind(&dc, cols);
    EXPECT_EQ(g.currentRow(), 0);
    EXPECT_EQ(g.boundModel()->value(0, 0).toString(), "K00999"); // name order

    rs->Seek(">=", {"n00500"}); // case-insensitive
    dc.notifyMoved();
    EXPECT_EQ(g.currentRow(), 500);
    EXPECT_EQ(lastRow, 500);
    EXPECT_EQ(rs->text("NAME"), "N00500");

    // The user picks a row: the recordset goes there.
    g.setCurrentIndex(g.model()->index(10, 1));
    EXPECT_EQ(rs->text("NAME"), "N00010");
    EXPECT_EQ(lastRow, 10);
    EXPECT_GE(changes, 2);
    // Picking another column of the same row is no row change.
    const int before = changes;
    g.setCurrentIndex(g.model()->index(10, 2));
    EXPECT_EQ(changes, before);
    // A model over 1,000 rows was read a few blocks at a time.
    EXPECT_LE(g.boundModel()->blocksRead(), 4);
}

// Another copy loads the table anew, with fewer rows: a block read afterwards shows the rows as
// they are now, and the grid starts over with their count.
TEST_F(BoundGridTest, ATableReloadedByAnotherCopyStartsTheGridOver) {
    openTable("BYNAME");
    grid::DataGrid g;
    g.bind(&dc, cols);
    EXPECT_EQ(g.boundModel()->value(0, 0).toString(), "K00999");
    auto other = dao::Database::open(path("T.MDB"));
    other->BeginTrans();
    other->execute("DELETE FROM T");
    for (int i = 0; i < 400; ++i)
        other->executeBound(
            "INSERT INTO T (K, NAME, N) VALUES (?, ?, ?)",
            {QString("R%1").arg(i, 5, 10, QChar('0')), QString("M%1").arg(i, 5, 10, QChar('0')), i});
    other->CommitTrans();
    EXPECT_EQ(g.boundModel()->value(300, 0).toString(), "R00300");
    QCoreApplication::processEvents();
    EXPECT_EQ(g.model()->rowCount(), 400);
    EXPECT_EQ(g.boundModel()->value(0, 0).toString(), "R00000");
}

TEST_F(BoundGridTest, QueryCountGrowsAsRowsAreReached) {
    dc.RecordSource = "SELECT * FROM T WHERE N < 300 ORDER BY NAME";
    dc.Refresh();
    grid::RecordsetModel m(&dc, cols);
    const int first = m.rowCount();
    EXPECT_LE(first, 300);
    while (m.canFetchMore({}))
        m.fetchMore({});
    EXPECT_EQ(m.rowCount(), 300);
    EXPECT_EQ(m.value(299, 0).toString(), "K00000");
    EXPECT_EQ(dc.Recordset()->text("K"), "K00299"); // still on the first row
}

TEST_F(BoundGridTest, AnEmptyResultAndAFailedRefresh) {
    dc.RecordSource = "SELECT * FROM T WHERE N < 0";
    dc.Refresh();
    grid::DataGrid g;
    g.bind(&dc, cols);
    EXPECT_EQ(g.model()->rowCount(), 0);
    EXPECT_EQ(g.currentRow(), -1);
    EXPECT_FALSE(g.boundModel()->canFetchMore({}));

    dc.RecordSource = "SELECT * FROM NOSUCH";
    EXPECT_THROW(dc.Refresh(), dao::DaoError);
    EXPECT_EQ(dc.Recordset(), nullptr);
    EXPECT_EQ(g.model()->rowCount(), 0);
}

TEST_F(BoundGridTest, AnEditedRowIsReadAgain) {
    dc.RecordSource = "SELECT * FROM T ORDER BY K";
    dc.Refresh();
    grid::DataGrid g;
    g.bind(&dc, cols);
    g.setCurrentRow(3);
    EXPECT_EQ(g.boundModel()->value(3, 1).toString(), "N00996");
    dao::Recordset* rs = dc.Recordset();
    EXPECT_EQ(rs->text("K"), "K00003");
    rs->Edit();
    rs->setValue("NAME", "CHANGED");
    rs->Update();
    dc.notifyCurrentRowChanged();
    EXPECT_EQ(g.boundModel()->value(3, 1).toString(), "CHANGED");
}

TEST_F(BoundGridTest, ARowGoneSinceTheReadKeepsItsPlaceMarked) {
    dc.RecordSource = "SELECT * FROM T ORDER BY K";
    dc.Refresh();
    grid::RecordsetModel m(&dc, cols);
    m.fetchMore({});
    dao::Database::open(path("T.MDB"))->execute("DELETE FROM T WHERE K = 'K00002'");
    EXPECT_EQ(m.value(2, 1).toString(), "#Deleted");
    EXPECT_EQ(m.value(3, 0).toString(), "K00003");
}

TEST_F(BoundGridTest, ColumnFormatAndHeaderClick) {
    openTable(QString());
    grid::DataGrid g;
    g.bind(&dc, cols);
    g.setColumnFormat(2, "0.000");
    EXPECT_EQ(g.model()->data(g.model()->index(5, 2)).toString(), "5.000");
    int clicked = -1;
    QObject::connect(&g, &grid::DataGrid::headClick, [&](int c) { clicked = c; });
    emit g.horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(clicked, 2);
}

} // namespace
