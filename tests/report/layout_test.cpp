// Page lists: records per page, page breaks, label sheets, memos running on, sections by STATE,
// sorting, formats and text fitted to its box.
#include "report_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace report;
using namespace reporttest;

namespace {

// Every text fits its box at the size it is drawn.
void expectAllFit(const QVector<Page>& pages) {
    TextMeasure m;
    for (const Page& p : pages)
        for (const TextRun& t : p.texts) {
            EXPECT_LE(m.width(t.font, t.text), t.box.width() + 0.02) << t.text.toStdString();
            EXPECT_LE(m.height(t.font), t.box.height() + 0.02) << t.text.toStdString();
            EXPECT_GE(t.box.left(), 0);
            EXPECT_LE(t.box.right(), p.paper.width());
            EXPECT_LE(t.box.bottom(), p.paper.height());
        }
}

const QByteArray kBand = R"({"tables": ["PRIME"], "margins": [36, 36, 36, 36], "perPage": %1,
    "pageHeader": {"height": 20, "items": [{"type": "text", "text": "Page {#page}", "x": 0, "y": 0, "w": 100, "h": 14}]},
    "sections": [{"height": %2, "items": [{"type": "field", "field": "NAME1", "x": 0, "y": 0, "w": 200, "h": 14}]}]})";

QByteArray band(int perPage, int height) {
    return QString::fromUtf8(kBand).arg(perPage).arg(height).toUtf8();
}

class Layout : public ReportTest {};

TEST_F(Layout, RecordsPerPageAndPageBreaks) {
    addMany(7);
    struct Case {
        int perPage, height;
        QVector<int> perPageCounts;
    };
    // Body: 792 - 36 - 36 - 20 (header) = 700 points.
    const Case cases[] = {
        {3, 20, {3, 3, 1}}, // three per page, whatever room is left
        {0, 100, {7}},      // as many as fit: all seven (700 points)
        {0, 101, {6, 1}},   // the seventh would end below the body
        {1, 10, {1, 1, 1, 1, 1, 1, 1}},
        {0, 400, {1, 1, 1, 1, 1, 1, 1}}, // a record is not split over pages
    };
    for (const Case& c : cases) {
        const QVector<Page> pages = pagesOf(band(c.perPage, c.height));
        ASSERT_EQ(pages.size(), c.perPageCounts.size()) << c.perPage << " " << c.height;
        int record = 0;
        for (int p = 0; p < pages.size(); ++p) {
            QStringList expected{QStringLiteral("Page %1").arg(p + 1)};
            for (int i = 0; i < c.perPageCounts[p]; ++i)
                expected.insert(i, QStringLiteral("EMPLOYER %1").arg(record++));
            EXPECT_EQ(textsOf(pages[p]), expected) << c.perPage << " " << c.height << " page " << p + 1;
            // Bands follow each other from the top of the body.
            EXPECT_DOUBLE_EQ(pages[p].texts[0].box.top(), 36 + 20);
            if (c.perPageCounts[p] > 1) {
                EXPECT_DOUBLE_EQ(pages[p].texts[1].box.top(), 36 + 20 + c.height);
            }
        }
    }
}

TEST_F(Layout, NoRecordsNoPages) {
    EXPECT_TRUE(pagesOf(band(6, 100)).isEmpty());
}

TEST_F(Layout, LabelSheetsFillAcrossThenDown) {
    for (int i = 0; i < 8; ++i)
        add({QStringLiteral("F%1").arg(i), QStringLiteral("NAME %1").arg(i), i == 4 ? QVariant() : "YORK"});
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME"],
        "labels": {"columns": 3, "rows": 2, "left": 10, "top": 20, "width": 180, "height": 70, "columnGap": 9, "rowGap": 2,
                   "items": [{"type": "lines", "x": 5, "y": 4, "w": 170, "h": 60, "lineHeight": 12,
                              "lines": ["{NAME1}", "{CITY}, {ST}", "Attn: {@NOBODY}"]}]}})");
    ASSERT_EQ(pages.size(), 2);
    // A line whose fields are all empty is left out; the ones below move up.
    EXPECT_EQ(textsOf(pages[0]), QStringList({"NAME 0", "YORK,", "NAME 1", "YORK,", "NAME 2", "YORK,",
                                              "NAME 3", "YORK,", "NAME 4", "NAME 5", "YORK,"}));
    EXPECT_EQ(textsOf(pages[1]), QStringList({"NAME 6", "YORK,", "NAME 7", "YORK,"}));
    const QVector<TextRun>& t = pages[0].texts;
    EXPECT_EQ(t[0].box.topLeft(), QPointF(15, 24));
    EXPECT_EQ(t[1].box.topLeft(), QPointF(15, 36));
    EXPECT_EQ(t[2].box.topLeft(), QPointF(15 + 189, 24));      // next label across
    EXPECT_EQ(t[6].box.topLeft(), QPointF(15, 24 + 72));       // fourth label: second row
    EXPECT_EQ(t[8].box.topLeft(), QPointF(15 + 189, 24 + 72)); // the fifth, one line
    EXPECT_EQ(t[9].box.topLeft(), QPointF(15 + 2 * 189, 24 + 72));
}

TEST_F(Layout, MemoRunsOnOverFollowingPagesUnderItsCaption) {
    QStringList note;
    for (int i = 1; i <= 130; ++i)
        note.append(QStringLiteral("note line %1").arg(i));
    add({"F1", "FIRST CO", {}, {}, {}, note.join("\r\n")});
    add({"F2", "SECOND CO", {}, {}, {}, "short note"});
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME"], "perPage": 1, "margins": [36, 36, 36, 36],
        "sections": [
          {"height": 48, "items": [{"type": "field", "field": "NAME1", "x": 0, "y": 0, "w": 300, "h": 14}]},
          {"height": 30, "items": [{"type": "text", "text": "Notes", "x": 0, "y": 0, "w": 100, "h": 12},
                                   {"type": "memo", "field": "NOTES", "x": 0, "y": 14, "w": 500, "h": 12, "lineHeight": 12,
                                    "continued": "{NAME1}, notes continued"}]}]})");
    // Page 1: 720 - 48 - 14 = 658 points, 54 lines; page 2: a caption and 59 lines; page 3: the last 17.
    ASSERT_EQ(pages.size(), 4);
    QStringList lines;
    for (int p = 0; p < 3; ++p)
        for (const QString& t : textsOf(pages[p]))
            if (t.startsWith("note line")) lines.append(t);
    EXPECT_EQ(lines, note); // every line once, in order
    EXPECT_EQ(textsOf(pages[0]).mid(0, 2), QStringList({"FIRST CO", "Notes"}));
    EXPECT_EQ(textsOf(pages[0]).size(), 2 + 54);
    EXPECT_EQ(textsOf(pages[1]).first(), "FIRST CO, notes continued");
    EXPECT_EQ(textsOf(pages[1]).size(), 1 + 59);
    EXPECT_EQ(textsOf(pages[2]).first(), "FIRST CO, notes continued");
    EXPECT_EQ(textsOf(pages[3]),
              QStringList({"SECOND CO", "Notes", "short note"})); // a new record, a new page
    EXPECT_DOUBLE_EQ(pages[1].texts[1].box.top(), 36 + 12);
    expectAllFit(pages);
}

// Long notes print whole: every character on its line, every line within the paper.
TEST_F(Layout, LongNotesPrintEveryCharacter) {
    QString words, cjk, lines, solid;
    for (int i = 0; words.size() < 200000; ++i)
        words += QStringLiteral("word%1 ").arg(i);
    for (int i = 0; i < 50000; ++i)
        cjk += QChar(0x4E00 + i % 2000);
    for (int i = 0; i < 20000; ++i)
        lines += QStringLiteral("line %1\n").arg(i);
    // A million letters without a blank: past what Qt measures right in one piece.
    for (int i = 0; i < 1000000; ++i)
        solid += QChar('a' + i % 26);
    const QString notes[] = {words, cjk, lines, solid,
                             QString::fromUcs4(U"\U0001F600\U0001F601").repeated(20000)};
    for (const QString& note : notes) {
        SCOPED_TRACE(note.left(20).toStdString());
        execute("DELETE FROM PRIME");
        add({"F1", "LONG NOTE CO", {}, {}, {}, note});
        const QVector<Page> pages =
            pagesOf(R"({"tables": ["PRIME"], "perPage": 1, "margins": [36, 36, 36, 36],
            "sections": [{"height": 14, "items": [{"type": "field", "field": "NAME1", "x": 0, "y": 0, "w": 300, "h": 14}]},
                         {"height": 12, "items": [{"type": "memo", "field": "NOTES", "x": 0, "y": 0, "w": 500, "h": 12, "lineHeight": 12}]}]})");
        QString printed;
        for (const Page& p : pages)
            for (const TextRun& t : p.texts) {
                if (t.text != "LONG NOTE CO") printed += QString(t.text).remove(' ');
                // Every character of a 9-point font is wider than a point.
                EXPECT_LT(t.text.size(), t.box.width());
            }
        const QString expected = QString(note).remove(' ').remove('\n');
        EXPECT_EQ(printed.size(), expected.size());
        EXPECT_TRUE(printed == expected);
        expectAllFit(pages);
    }
}

TEST_F(Layout, MemoSectionThatCannotStartMovesWhole) {
    add({"F1", "ONE", {}, {}, {}, "a\nb\nc"});
    add({"F2", "TWO", {}, {}, {}, "d\ne"});
    // 700-point bands: the second record's memo section finds no room on page 1 and starts page 2.
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME"],
        "sections": [{"height": 340, "items": [{"type": "field", "field": "NAME1", "x": 0, "y": 0, "w": 300, "h": 14}]},
                     {"height": 14, "items": [{"type": "memo", "field": "NOTES", "x": 0, "y": 0, "w": 300, "h": 12, "lineHeight": 12}]}]})");
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(textsOf(pages[0]), QStringList({"ONE", "a", "b", "c"}));
    EXPECT_EQ(textsOf(pages[1]), QStringList({"TWO", "d", "e"}));
}

TEST_F(Layout, SectionsAndItemsShownByState) {
    add({"F1", "ACME"});
    const QByteArray json = R"({"tables": ["PRIME"], "formulas": {"STATE": ""},
        "sections": [
          {"height": 20, "items": [
             {"type": "text", "text": "MOD", "x": 0, "y": 0, "w": 80, "h": 14, "when": {"formula": "STATE", "notIn": ["PM", "DM"]}},
             {"type": "text", "text": "Merit Class", "x": 0, "y": 0, "w": 80, "h": 14, "when": {"formula": "STATE", "in": ["pm", "DM"]}}]},
          {"height": 20, "when": {"formula": "STATE", "in": ["NJ"]},
           "items": [{"type": "text", "text": "Assigned risk", "x": 0, "y": 0, "w": 80, "h": 14}]},
          {"height": 20, "items": [{"type": "repeat", "count": 2, "x": 0, "y": 0, "dx": 100,
                                    "when": {"formula": "STATE", "in": ["NY"]},
                                    "items": [{"type": "text", "text": "slot #", "x": 0, "y": 0, "w": 80, "h": 14}]}]}]})";
    const std::pair<const char*, QStringList> cases[] = {
        {"PA", {"MOD"}},         {"NJ", {"MOD", "Assigned risk"}},    {"PM", {"Merit Class"}},
        {"DM", {"Merit Class"}}, {"NY", {"MOD", "slot #", "slot #"}},
    };
    for (const auto& [state, expected] : cases) {
        Report r = reportOf(json);
        r.setFormula("STATE", state);
        const QVector<Page> pages = layoutAll(*r.read());
        ASSERT_EQ(pages.size(), 1);
        EXPECT_EQ(textsOf(pages[0]), expected) << state;
    }
    // The NJ section takes no room elsewhere: the next section follows straight on.
    Report pa = reportOf(json);
    pa.setFormula("STATE", "NY");
    EXPECT_DOUBLE_EQ(layoutAll(*pa.read())[0].texts[1].box.top(), 36 + 20);
}

TEST_F(Layout, RepeatFamiliesNumberTheirFields) {
    execute("INSERT INTO PRIME (FILE, SEQUENCE, NAME1, MOD0, MOD1) VALUES ('F1', '01', 'ACME', 0.95, 1.1)");
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME"],
        "sections": [{"height": 40, "items": [{"type": "repeat", "count": 2, "x": 10, "y": 5, "dy": 12,
            "items": [{"type": "field", "field": "MOD#", "format": "0.000", "x": 0, "y": 0, "w": 50, "h": 12, "align": "right"}]}]}]})");
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(textsOf(pages[0]), QStringList({"0.950", "1.100"}));
    EXPECT_EQ(pages[0].texts[1].box, QRectF(36 + 10, 36 + 5 + 12, 50, 12));
    EXPECT_EQ(pages[0].texts[1].align, Qt::AlignRight);
    // Drawn from where its right end meets the box's, its baseline inside the box.
    TextMeasure m;
    const TextRun& t = pages[0].texts[1];
    EXPECT_NEAR(t.origin.x() + m.width(t.font, t.text), t.box.right(), 0.001);
    EXPECT_GT(t.origin.y(), t.box.top() + m.ascent(t.font) - 0.001);
    EXPECT_LT(t.origin.y(), t.box.bottom());
}

TEST_F(Layout, SortWithTiesAndEmptyValues) {
    // Written in this order; the table order decides among equal values.
    add({"F1", "bravo", "YORK", 1231});
    add({"F2", "Alpha", {}, {}});
    add({"F3", "charlie", "ERIE", 101});
    add({"F4", "delta", "", 1231});
    add({"F5", "echo", "ERIE", {}});
    add({"F6", "ALPHA", "AVON", 505});
    const QByteArray json = R"({"tables": ["PRIME"], "sections": [{"height": 14, "items": [
        {"type": "field", "field": "FILE", "x": 0, "y": 0, "w": 50, "h": 14}]}]})";
    const std::pair<QStringList, QString> cases[] = {
        {{"{PRIME.EXPIRE}"}, "F2 F5 F3 F6 F1 F4"}, // empty first, then by number; ties in table order
        {{"{PRIME.NAME1}"}, "F2 F6 F1 F3 F4 F5"},  // without regard to case
        {{"PRIME.CITY"}, "F2 F4 F6 F3 F5 F1"},     // Null and "" both empty
        {{"{PRIME.CITY}", "{PRIME.NAME1}"}, "F2 F4 F6 F3 F5 F1"},
        {{"{PRIME.EXPIRE}", "{PRIME.NAME1}"}, "F2 F5 F3 F6 F1 F4"},
        {{"{PRIME.NAME1}", "{PRIME.EXPIRE}"}, "F2 F6 F1 F3 F4 F5"},
        {{}, "F1 F2 F3 F4 F5 F6"},
    };
    for (const auto& [sort, expected] : cases) {
        Report r = reportOf(json);
        for (const QString& f : sort)
            r.addSortField(f);
        const QVector<Page> pages = layoutAll(*r.read());
        ASSERT_EQ(pages.size(), 1);
        EXPECT_EQ(textsOf(pages[0]).join(' '), expected) << sort.join(',').toStdString();
    }
    Report r = reportOf(json);
    r.addSortField("{PRIME.NAME1}");
    r.addSortField("{PRIME.CITY}");
    // The second field orders the two ALPHAs: Null before "AVON".
    EXPECT_EQ(textsOf(layoutAll(*r.read())[0]).mid(0, 2), QStringList({"F2", "F6"}));
}

TEST_F(Layout, DisplayFormats) {
    const std::tuple<QVariant, const char*, QString> cases[] = {
        {QDate(2024, 3, 5), "MM/DD/YY", "03/05/24"},
        {QDate(1999, 12, 31), "MM/DD/YY", "12/31/99"},
        {0.95, "0.000", "0.950"},
        {1.0, "0.000", "1.000"},
        {0.5, ".00", ".50"},
        {12.3, ".00", "12.30"},
        {1234.5, "Standard", "1,234.50"},
        {true, "Yes/No", "Yes"},
        {false, "Yes/No", "No"},
        {QVariant(), "MM/DD/YY", ""},
        {"ACME", "", "ACME"},
    };
    for (const auto& [value, format, text] : cases)
        EXPECT_EQ(formatValue(value, format), text) << format << " " << value.toString().toStdString();
}

TEST_F(Layout, ValueListsShowStoredValuesAsWords) {
    execute("INSERT INTO PRIME (FILE, SEQUENCE, EXPIRE0, MOD0, REVISED) VALUES ('F1', '01', '1950-01-01', "
            "9.886, 1)");
    execute("INSERT INTO PRIME (FILE, SEQUENCE, EXPIRE0, MOD0, REVISED) VALUES ('F2', '01', '2023-07-01', "
            "1.05, 0)");
    Report r = reportOf(R"({"tables": ["PRIME"], "sections": [{"height": 14, "items": [
        {"type": "field", "field": "EXPIRE0", "format": "MM/DD/YY", "valueItems": "noDate", "x": 0, "y": 0, "w": 60, "h": 14},
        {"type": "field", "field": "MOD0", "format": "0.000", "valueItems": "Merit", "x": 60, "y": 0, "w": 60, "h": 14},
        {"type": "field", "field": "REVISED", "format": "Yes/No", "x": 120, "y": 0, "w": 60, "h": 14}]}]})");
    r.setValueItems("noDate", {{QStringLiteral("01/01/50"), QStringLiteral(" ")}});
    r.setValueItems("merit", {{9.885, "Credit"}, {9.886, "Debit"}});
    const QVector<Page> pages = layoutAll(*r.read());
    ASSERT_EQ(pages.size(), 1);
    // The 1950 placeholder date shows blank; a merit code shows as its word.
    EXPECT_EQ(textsOf(pages[0]), QStringList({"Debit", "Yes", "07/01/23", "1.050", "No"}));
}

TEST_F(Layout, FormulasArePlainText) {
    add({"F1", "ACME"});
    Report r = reportOf(R"j({"tables": ["PRIME"], "formulas": {"SEARCHNAME": "", "STATE": "PA"},
        "pageHeader": {"height": 20, "items": [{"type": "text", "text": "Search: {@SEARCHNAME} ({@state})", "x": 0, "y": 0, "w": 400, "h": 14}]},
        "sections": [{"height": 14, "items": [{"type": "formula", "formula": "searchname", "x": 0, "y": 0, "w": 400, "h": 14}]}]})j");
    r.setFormula("searchname", R"(Bob's "big" {search} = 1)");
    const QVector<Page> pages = layoutAll(*r.read());
    EXPECT_EQ(textsOf(pages[0]),
              QStringList({R"(Bob's "big" {search} = 1)", R"(Search: Bob's "big" {search} = 1 (PA))"}));
    EXPECT_THROW(r.setFormula("NOSUCH", "x"), ReportError);
}

TEST_F(Layout, TextAroundEmptyFieldsIsLeftOut) {
    add({"F1", "ACME", "YORK"});
    add({"F2", "BETA", {}});
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME"], "formulas": {"EMPTY": ""},
        "sections": [{"height": 14, "items": [
            {"type": "text", "text": "{NAME1}:", "x": 0, "y": 0, "w": 90, "h": 14},
            {"type": "text", "text": "{CITY}%", "x": 90, "y": 0, "w": 90, "h": 14},
            {"type": "text", "text": "[{@EMPTY}]", "x": 180, "y": 0, "w": 90, "h": 14},
            {"type": "text", "text": "no fields", "x": 270, "y": 0, "w": 90, "h": 14}]}]})");
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(textsOf(pages[0]), QStringList({"ACME:", "YORK%", "no fields", "BETA:", "no fields"}));
}

TEST_F(Layout, TextKeepsItsSizeAndIsCutShort) {
    add({"F1", "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"});
    add({"F2", "SHORT"});
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME"], "font": {"size": 10},
        "sections": [{"height": 40, "items": [
            {"type": "field", "field": "NAME1", "x": 0, "y": 0, "w": 300, "h": 14},
            {"type": "field", "field": "NAME1", "x": 0, "y": 14, "w": 100, "h": 14}]}]})");
    ASSERT_EQ(pages.size(), 1);
    const QVector<TextRun>& t = pages[0].texts;
    ASSERT_EQ(t.size(), 4);
    for (const TextRun& run : t)
        EXPECT_EQ(run.font.size, 10) << run.text.toStdString(); // never smaller to fit
    EXPECT_TRUE(t[0].text.endsWith(QChar(0x2026)) && t[1].text.endsWith(QChar(0x2026)));
    EXPECT_GT(t[0].text.size(), t[1].text.size());
    EXPECT_EQ(t[2].text, "SHORT");
    expectAllFit(pages);
}

TEST_F(Layout, ReadingFailures) {
    const std::pair<QByteArray, QString> cases[] = {
        {R"({"tables": ["PRIME"], "sections": [{"height": 14, "items": [{"type": "field", "field": "NOSUCH", "x": 0, "y": 0, "w": 9, "h": 9}]}]})",
         "cannot read its table PRIME"},
        {R"({"tables": ["PRIME"], "sections": [{"height": 14, "items": [{"type": "field", "field": "OTHER.X", "x": 0, "y": 0, "w": 9, "h": 9}]}]})",
         "shows the field OTHER.X of a table it does not have"},
    };
    for (const auto& [json, message] : cases) {
        try {
            reportOf(json).read();
            ADD_FAILURE() << "no error for " << message.toStdString();
        } catch (const ReportError& e) {
            EXPECT_TRUE(e.message().contains(message)) << e.message().toStdString();
        }
    }
    Report r(parseDefinition(R"({"tables": ["PRIME", "CLASS"], "link": ["FILE", "SEQUENCE"],
        "sections": [{"height": 14, "items": []}]})",
                             "TWO.RPT"));
    r.setTableLocation(1, dbPath);
    try {
        r.read();
        ADD_FAILURE() << "a table without a database was read";
    } catch (const ReportError& e) {
        EXPECT_EQ(e.message(), "The report TWO.RPT has no database for its table 2 (CLASS).");
    }
    r.setTableLocation(2, path("MISSING.MDB"));
    EXPECT_THROW(r.read(), ReportError);
    EXPECT_THROW(r.setTableLocation(3, dbPath), ReportError);

    // A report file that is a named pipe is refused, not waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("PIPE.RPT")).constData(), 0600), 0);
    try {
        Report::openFile(path("PIPE.RPT"));
        ADD_FAILURE() << "a named pipe was read as a report file";
    } catch (const ReportError& e) {
        EXPECT_TRUE(e.message().endsWith("PIPE.RPT cannot be read: it is a named pipe, not a file."))
            << e.message().toStdString();
    }
}

TEST_F(Layout, SecondTableJoinedOnTheLinkFields) {
    add({"F1", "ONE"});
    add({"F2", "TWO"});
    execute("INSERT INTO CLASS (FILE, SEQUENCE, CLASS0, CLASSLOSS0) VALUES ('F2', '01', '8810', 0.25)");
    execute("INSERT INTO CLASS (FILE, SEQUENCE, CLASS0, CLASSLOSS0) VALUES ('F2', '02', '9999', 9)");
    const QVector<Page> pages = pagesOf(R"({"tables": ["PRIME", "CLASS"], "link": ["FILE", "SEQUENCE"],
        "sections": [{"height": 14, "items": [
            {"type": "text", "text": "{NAME1}: {CLASS.CLASS0}", "x": 0, "y": 0, "w": 200, "h": 14},
            {"type": "field", "field": "CLASS.CLASSLOSS0", "format": ".00", "x": 200, "y": 0, "w": 50, "h": 14}]}]})");
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(textsOf(pages[0]), QStringList({"ONE:", "TWO: 8810", ".25"}));
}

} // namespace
