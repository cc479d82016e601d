// Bookmarks and cell fetches of the unbound lookup list.
#include "search/unbound_grid_fetch.h"

#include <gtest/gtest.h>

using namespace UnboundGridFetch;

namespace {

// A form of rows x 3 cells "r,c" that counts its calls.
class GridForm : public FetchForm {
public:
    int calls = 0;
    void OldStyleFetch(qint16 Row, qint16 Col, QVariant& Value) override {
        ++calls;
        Value = QStringLiteral("%1,%2").arg(Row).arg(Col);
    }
};

bool isNull(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

} // namespace

TEST(UnboundGridFetch, Bookmarks) {
    EXPECT_EQ(MakeBookmark(0).toString(), " 0");
    EXPECT_EQ(MakeBookmark(12).toString(), " 12");
    EXPECT_EQ(MakeBookmark(-5).toString(), "-5");
    EXPECT_EQ(IndexFromBookmark(MakeBookmark(0), false, 3), 0);
    EXPECT_EQ(IndexFromBookmark(MakeBookmark(2), false, 3), 2);
    // Null: before the first row, or after the last when reading backwards.
    EXPECT_EQ(IndexFromBookmark(QVariant(), false, 3), -1);
    EXPECT_EQ(IndexFromBookmark(QVariant(), true, 3), 3);
    // Out of range.
    for (const QVariant& out : {MakeBookmark(3), MakeBookmark(-1), QVariant("99999999999999999999")})
        EXPECT_EQ(IndexFromBookmark(out, false, 3), -2000) << out.toString().toStdString();
    // Text read as a number: leading digits, no number is 0, halves go to the even row.
    const std::pair<const char*, int> texts[] = {{"   2xyz", 2}, {"abc", 0}, {"", 0},
                                                 {"1.6", 2},     {"2.5", 2}, {"3.5", 4},
                                                 {"-0.4", 0},    {"4.", 4},  {"5e0", 5}};
    for (const auto& [text, index] : texts)
        EXPECT_EQ(IndexFromBookmark(QString(text), false, 10), index) << text;
}

TEST(UnboundGridFetch, RelativeBookmarks) {
    // From the null bookmark one row on is row 0; past either end is null.
    EXPECT_EQ(GetRelativeBookmark(QVariant(), 1, 3).toString(), " 0");
    EXPECT_EQ(GetRelativeBookmark(MakeBookmark(0), 2, 3).toString(), " 2");
    EXPECT_TRUE(isNull(GetRelativeBookmark(MakeBookmark(2), 1, 3)));
    EXPECT_TRUE(isNull(GetRelativeBookmark(MakeBookmark(0), -1, 3)));
    EXPECT_TRUE(isNull(GetRelativeBookmark(QVariant(), -1, 3)));
    // An invalid bookmark gives null for every step below 2000; no rows, always null.
    for (qint16 rel : {qint16(-5), qint16(0), qint16(1), qint16(1999)})
        EXPECT_TRUE(isNull(GetRelativeBookmark(MakeBookmark(7), rel, 3))) << rel;
    for (qint16 rel : {qint16(-1), qint16(0), qint16(1), qint16(2)})
        EXPECT_TRUE(isNull(GetRelativeBookmark(QVariant(), rel, 0))) << rel;
}

TEST(UnboundGridFetch, UserDataAndModel) {
    GridForm form;
    EXPECT_EQ(GetUserData(form, MakeBookmark(1), 2, 3, 3).toString(), "1,2");
    EXPECT_EQ(form.calls, 1);
    // Outside the columns or rows the form is not asked.
    EXPECT_TRUE(isNull(GetUserData(form, MakeBookmark(1), 3, 3, 3)));
    EXPECT_TRUE(isNull(GetUserData(form, MakeBookmark(1), -1, 3, 3)));
    EXPECT_TRUE(isNull(GetUserData(form, QVariant(), 0, 3, 3)));
    EXPECT_TRUE(isNull(GetUserData(form, MakeBookmark(3), 0, 3, 3)));
    EXPECT_TRUE(isNull(GetUserData(form, MakeBookmark(0), 0, 0, 3)));
    EXPECT_EQ(form.calls, 1);

    QVector<grid::ColumnSpec> columns(3);
    columns[1].caption = "Selection";
    FetchModel model(form, columns);
    EXPECT_EQ(model.rowCount(), 0);
    model.reload(2);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.data(model.index(1, 2)).toString(), "1,2");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Selection");
}
