// Laying a document out into pages of positioned text and lines, one page at a time, so that
// printing never holds more than one page's drawing.
#pragma once

#include "platform/report/definition.h"

#include <QFont>
#include <QHash>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <map>
#include <memory>
#include <tuple>

class QFontMetricsF;

namespace report {

class Document;

// One line of text, fitted into its box (positions in points from the paper's top left corner).
struct TextRun {
    QRectF box;
    QString text;
    FontSpec font; // the item's; smaller only for a lines item with more lines than its box holds
    Qt::Alignment align = Qt::AlignLeft;
    QPointF origin; // where the text's baseline starts, by its alignment in the box
};

struct Rule {
    QLineF line;
    qreal width = 0.5;
};

struct Page {
    int number = 0; // from 1
    qreal done = 0; // how much of its document is laid out with this page, 0 to 1
    QSizeF paper;   // points
    QVector<TextRun> texts;
    QVector<Rule> rules;
};

// The font a spec stands for, drawn without hinting so widths scale with the size.
QFont makeFont(const FontSpec& spec);

// Measures text in points.
class TextMeasure {
public:
    TextMeasure();
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    qreal width(const FontSpec& font, const QString& text);
    qreal width(const FontSpec& font, QStringView text);
    qreal height(const FontSpec& font);      // ascent and descent
    qreal lineSpacing(const FontSpec& font); // distance of lines
    qreal ascent(const FontSpec& font);
    // The text in its box at the item's size, cut short with "..." when it is wider than the box:
    // a column's texts keep one size. Leading and trailing blanks are dropped.
    TextRun fit(const QString& text, const FontSpec& font, const QRectF& box, Qt::Alignment align);
    // Lines of text no wider than width: broken at blanks, a word longer than a line broken where
    // it must be; the text's own line breaks kept, empty lines included. Every character but the
    // blanks at the breaks is in the lines, in order; the time it takes grows with the text's length.
    QStringList wrap(const QString& text, const FontSpec& font, qreal width);
    // A run of text as it stands, placed in its box: aligned across, centred down.
    TextRun place(const QString& text, const FontSpec& font, const QRectF& box, Qt::Alignment align);

private:
    // A family and style measured at the reference size; the widths of texts met before are kept,
    // since the same captions and values come back on every page.
    struct Face {
        std::unique_ptr<QFontMetricsF> metrics;
        qreal ascent = 0, descent = 0, lineSpacing = 0;
        QHash<QString, qreal> widths;
        QHash<char32_t, qreal> characters; // at the reference size
    };
    qreal characterWidth(Face& f, QStringView character);
    Face& face(const FontSpec& font);
    const QFontMetricsF& metrics(const FontSpec& font) { return *face(font).metrics; }
    std::map<std::tuple<QString, bool, bool>, Face> faces_;
    Face* last_ = nullptr;
    FontSpec lastSpec_;
};

// Lays out a document's pages in order. A position can be kept and sought back to, so a page can
// be laid out again without the ones before it.
class Paginator {
public:
    // Where the next page begins: its record, the record's section and memo line, the page number before it.
    struct Position {
        int record = 0;
        int section = 0;
        int memoLine = 0;
        int page = 0;
    };

    explicit Paginator(const Document& doc);

    bool atEnd() const;
    const Position& position() const { return pos_; }
    void seek(const Position& p) { pos_ = p; }
    // Lays out the next page into page; false (and page untouched) after the last one. Throws
    // ReportError when a page would hold nothing, which no page after it would either.
    bool next(Page& page);

private:
    // What compact repeats leave out of a section for a record: the slots each shows, and how far
    // the items below them move up.
    struct Compaction {
        QVector<int> shown;
        qreal shrink = 0;
        qreal below = 0; // items from here down move up
    };
    Compaction compaction(const Section& s, int record) const;
    // The section's items for a record, its memo left to the caller.
    void placeSection(Page& page, const Section& s, QPointF origin, int record, const Compaction& c);
    int placeBands(Page& page);
    void placeLabels(Page& page);
    void placeItems(Page& page, const QVector<Item>& items, QPointF origin, int record, int except = -1);
    void placeItem(Page& page, const Item& item, QPointF origin, int record);
    void placeMemoLines(Page& page, const Item& memo, const QStringList& lines, int from, int count,
                        QPointF at, qreal lineHeight);
    // The text of a template for a record; anyValue tells whether a field or formula in it had one.
    QString expand(const Template& t, int record, bool* anyValue = nullptr) const;
    QString fieldText(const Item& item, int record) const;
    bool shown(const std::optional<Condition>& when, int record) const;
    qreal lineHeight(const Item& item);
    // Whether a page holds as many texts and lines as one may: the next record goes on the next.
    static bool pageFull(const Page& page);
    // Height of a section for a record, grown with its memo; the memo's lines go to memoLines.
    qreal sectionHeight(const Section& s, int record, const Compaction& c, QStringList* memoLines);
    // What of a record must fit on a page before it starts there: all of it, or up to the first
    // line of its memo.
    qreal keepHeight(int record);

    const Document& doc_;
    const Definition& def_;
    Position pos_;
    struct WrappedMemo {
        int record = -1;
        const Section* section = nullptr;
        QStringList lines;
    };
    WrappedMemo wrapped_;
    int pageNumber_ = 0; // of the page being laid out
    TextMeasure measure_;
};

// Every page of a document (tests and small reports; printing goes page by page).
QVector<Page> layoutAll(const Document& doc);

} // namespace report
