// Report definitions: our own declarative format (JSON) for the report files (*.RPT).
//
// A definition names its tables (table 1 holds one row per record; further tables are joined to
// it on the link fields), its formulas (plain texts the caller sets), a page (paper, orientation,
// margins, all lengths in points), a page header and footer, and either bands of sections (with a
// number of records per page) or a label sheet. Items are text templates, fields, formulas,
// address blocks ("lines"), memos that wrap and continue on the next page, and rules. A "repeat"
// item stands for its items once per slot, "#" in their field names replaced by the slot number.
// Items and sections may be shown only when a formula or field has (or has not) given values, or
// begins with one; a field may be shown without a leading marker.
#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <stdexcept>

namespace report {

// What a definition may ask for, so that a hostile report file can neither make output without end
// nor fill the memory: the items of a definition, repeats counted out (each round of a repeat
// counts too); the records on one page and the labels on one sheet; the texts and lines one page
// collects before it ends (a record is never split for it); the size of a report file.
constexpr int kMaxReportItems = 10000;
constexpr int kMaxRecordsPerPage = 1000;
constexpr int kMaxPageItems = 20000;
constexpr qint64 kMaxReportFileBytes = 1 << 20;

// Every failure of the report layer, as a sentence a user can read.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

struct FontSpec {
    QString family = QStringLiteral("DejaVu Sans");
    qreal size = 9; // points
    bool bold = false;
    bool italic = false;
    bool operator==(const FontSpec&) const = default;
};

// A piece of a text template: literal text, a field ("{NAME1}", "{CLASS.CLASS3}"), a formula
// ("{@SEARCHNAME}"), the page number ("{#page}") or the date of the run ("{#date}").
struct Segment {
    enum Kind { Literal, Field, Formula, PageNumber, PrintDate };
    Kind kind = Literal;
    QString text;    // the literal, the field reference ("TABLE.FIELD") or the formula name
    int column = -1; // a field's column in the document, set when the report is read
};
using Template = QVector<Segment>;

// Shown only when the value of formula (or field) is one of values (not one of them: negate).
// Compared without regard to case and to trailing blanks; or, with prefix, when the value as it
// stands begins with one of them (a marker such as "!&", where a blank in front counts).
struct Condition {
    QString formula;
    QString field;
    QStringList values;
    bool negate = false;
    bool prefix = false;
    int column = -1;
};

enum class ItemKind { Text, Field, Lines, Memo, Line };

struct Item {
    ItemKind kind = ItemKind::Text;
    QRectF box;              // relative to its section, label or the page's margins; Line: from/to corners
    Template text;           // Text: left out when it holds fields or formulas and all are empty
    QVector<Template> lines; // Lines: a line whose fields and formulas are all empty is left out
    QString field;           // Field, Memo: "TABLE.FIELD"
    int column = -1;         // the field's column in the document
    QString format;          // Field: "", "MM/DD/YY", "0.000", ".00", "Standard", "Yes/No"
    QString valueItems;      // Field: name of a list of values shown as other texts
    QString dropPrefix;      // Field: a leading text that is not shown (a marker of the program's)
    qreal lineHeight = 0;    // Lines, Memo: distance of lines; 0 takes the font's
    Template continued;      // Memo: shown above its rest on the following page
    Qt::Alignment align = Qt::AlignLeft;
    FontSpec font;
    qreal penWidth = 0.5; // Line
    std::optional<Condition> when;
    int repeat = -1; // the section's compact repeat this item is a slot of, and which slot
    int slot = -1;
};

// A repeat that shows its slots only while a field of the slot is present ("until"). The rows of
// the slots left out are taken out of the section: what lies below the repeat moves up.
struct CompactRepeat {
    qreal top = 0, bottom = 0, step = 0;
    QStringList until;    // the field of each slot, "TABLE.FIELD"
    QVector<int> columns; // their columns in the document
};

struct Section {
    qreal height = 0;
    std::optional<Condition> when;
    QVector<Item> items;
    int memo = -1; // index of the section's memo item; the section grows with it
    QVector<CompactRepeat> repeats;
};

struct LabelSheet {
    int columns = 1;
    int rows = 1;
    qreal left = 0, top = 0;         // first label's corner, from the paper's corner
    qreal width = 0, height = 0;     // one label
    qreal columnGap = 0, rowGap = 0; // between labels
    QVector<Item> items;             // relative to the label's corner
};

struct Definition {
    QString name; // file name, for messages
    QString title;
    QPageSize::PageSizeId paper = QPageSize::Letter;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{36, 36, 36, 36};
    QStringList tables;          // table n is tables[n - 1]
    QStringList link;            // fields joining tables 2 and beyond to table 1
    QStringList formulas;        // names, upper case
    QStringList formulaDefaults; // texts before the caller sets them
    FontSpec font;
    Section pageHeader, pageFooter;
    QVector<Section> sections; // one record's band
    int perPage = 0;           // records per page; 0: as many as fit
    std::optional<LabelSheet> labels;

    // Size of the paper in points, as oriented.
    QSizeF paperSize() const;
};

// Reads a definition; name is the file's name for messages. Throws ReportError naming the fault,
// also when the definition asks for more than the bounds above.
Definition parseDefinition(const QByteArray& json, const QString& name);

// "NAME1" -> "PRIME.NAME1" (table 1's), "class.class0" -> "CLASS.CLASS0": the form columns go by.
QString normalizeField(const QString& ref, const Definition& def);

} // namespace report
