#include "platform/report/layout.h"

#include "platform/report/report.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {

namespace {

// Metrics are taken at this pixel size and scaled: without hinting, widths grow with the size.
constexpr qreal kReferenceSize = 100;
// Rounding of the scaled measures must not turn a fitting text into one that does not.
constexpr qreal kSlack = 0.01;
// Texts longer than this are measured character by character.
constexpr qsizetype kMeasuredWhole = 256;

// Characters a text's character at i takes: 2 for a surrogate pair, else 1.
qsizetype characterLength(QStringView text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

QFont makeFont(const FontSpec& spec) {
    QFont f(spec.family);
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::ForceOutline);
    f.setKerning(false);
    f.setPointSizeF(spec.size);
    return f;
}

TextMeasure::TextMeasure() = default;
TextMeasure::~TextMeasure() = default;

TextMeasure::Face& TextMeasure::face(const FontSpec& spec) {
    if (last_ && spec.family == lastSpec_.family && spec.bold == lastSpec_.bold &&
        spec.italic == lastSpec_.italic)
        return *last_;
    Face& f = faces_[std::make_tuple(spec.family, spec.bold, spec.italic)];
    if (!f.metrics) {
        QFont font = makeFont(spec);
        font.setPixelSize(int(kReferenceSize));
        f.metrics = std::make_unique<QFontMetricsF>(font);
        f.ascent = f.metrics->ascent();
        f.descent = f.metrics->descent();
        f.lineSpacing = f.metrics->lineSpacing();
    }
    last_ = &f;
    lastSpec_ = spec;
    return f;
}

qreal TextMeasure::width(const FontSpec& font, const QString& text) {
    return width(font, QStringView(text));
}

qreal TextMeasure::width(const FontSpec& font, QStringView text) {
    Face& f = face(font);
    // A long text is measured as the sum of its characters: Qt's measure of it grows with its
    // length times the pieces it is measured in, and goes wrong past a few hundred thousand.
    if (text.size() > kMeasuredWhole) {
        qreal w = 0;
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype n = characterLength(text, i);
            w += characterWidth(f, text.mid(i, n));
            i += n;
        }
        return w * font.size / kReferenceSize;
    }
    const QString key = text.toString();
    auto it = f.widths.constFind(key);
    if (it != f.widths.constEnd()) return *it * font.size / kReferenceSize;
    const qreal w = f.metrics->horizontalAdvance(key);
    if (f.widths.size() < 50000) f.widths.insert(key, w);
    return w * font.size / kReferenceSize;
}

qreal TextMeasure::characterWidth(Face& f, QStringView character) {
    const char32_t code = character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1])
                                                : char32_t(character[0].unicode());
    auto it = f.characters.constFind(code);
    if (it != f.characters.constEnd()) return *it;
    const qreal w = f.metrics->horizontalAdvance(character.toString());
    f.characters.insert(code, w);
    return w;
}

qreal TextMeasure::height(const FontSpec& font) {
    const Face& f = face(font);
    return (f.ascent + f.descent) * font.size / kReferenceSize;
}

qreal TextMeasure::lineSpacing(const FontSpec& font) {
    return face(font).lineSpacing * font.size / kReferenceSize;
}

qreal TextMeasure::ascent(const FontSpec& font) {
    return face(font).ascent * font.size / kReferenceSize;
}

TextRun TextMeasure::place(const QString& text, const FontSpec& font, const QRectF& box,
                           Qt::Alignment align) {
    TextRun run{box, text, font, align, {}};
    const qreal w = align & (Qt::AlignRight | Qt::AlignHCenter) ? width(font, text) : 0;
    qreal x = box.left();
    if (align & Qt::AlignRight)
        x = box.right() - w;
    else if (align & Qt::AlignHCenter)
        x = box.center().x() - w / 2;
    run.origin = QPointF(x, box.top() + (box.height() - height(font)) / 2 + ascent(font));
    return run;
}

TextRun TextMeasure::fit(const QString& source, const FontSpec& font, const QRectF& box,
                         Qt::Alignment align) {
    const QString text = source.trimmed();
    if (width(font, text) <= box.width() + kSlack) return place(text, font, box, align);
    const QString cut =
        metrics(font).elidedText(text, Qt::ElideRight, box.width() * kReferenceSize / font.size);
    return place(cut, font, box, align);
}

QStringList TextMeasure::wrap(const QString& text, const FontSpec& font, qreal maxWidth) {
    // One pass over the text, each word measured once: a note of a million characters takes a
    // thousand times as long as one of a thousand.
    QStringList lines;
    QString line;
    qreal lineWidth = 0;
    const qreal space = width(font, QStringLiteral(" "));
    auto endLine = [&] {
        lines.append(line);
        line.clear();
        lineWidth = 0;
    };
    auto isBreak = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CR LF, CR or LF ends a paragraph.
            endLine();
            i += c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n') ? 2 : 1;
            continue;
        }
        if (isBreak(c)) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && !isBreak(text[end]))
            ++end;
        const QStringView word(text.constData() + i, end - i);
        i = end;
        const qreal w = width(font, word);
        if (!line.isEmpty() && lineWidth + space + w <= maxWidth) {
            line += QLatin1Char(' ');
            line += word;
            lineWidth += space + w;
            continue;
        }
        if (!line.isEmpty()) endLine();
        if (w <= maxWidth) {
            line = word.toString();
            lineWidth = w;
            continue;
        }
        // A word wider than a line is broken where it must be: as many characters as fit, at
        // least one, a line at a time; its last piece begins the next line.
        Face& f = face(font);
        const qreal scale = font.size / kReferenceSize;
        for (qsizetype from = 0; from < word.size();) {
            qreal pieceWidth = 0;
            qsizetype to = from;
            while (to < word.size()) {
                const qsizetype len = characterLength(word, to);
                const qreal cw = characterWidth(f, word.mid(to, len)) * scale;
                if (to > from && pieceWidth + cw > maxWidth) break;
                pieceWidth += cw;
                to += len;
            }
            line = word.mid(from, to - from).toString();
            lineWidth = pieceWidth;
            from = to;
            if (from < word.size()) endLine();
        }
    }
    endLine();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

Paginator::Paginator(const Document& doc) : doc_(doc), def_(doc.definition()) {}

bool Paginator::atEnd() const {
    return pos_.record >= doc_.recordCount();
}

bool Paginator::next(Page& page) {
    if (atEnd()) return false;
    page = Page();
    page.number = pageNumber_ = ++pos_.page;
    page.paper = def_.paperSize();
    const Position before = pos_;
    const int first = pos_.record;
    int last = first;
    if (def_.labels) {
        placeLabels(page);
        last = pos_.record - 1;
    } else {
        last = placeBands(page);
    }
    // Every page takes the document further; one that does not would be followed by others like it.
    if (pos_.record == before.record && pos_.section == before.section && pos_.memoLine == before.memoLine)
        throw ReportError(
            QStringLiteral("The report %1 lays out a page that holds nothing, so it cannot be printed.")
                .arg(def_.name));
    const QMarginsF& m = def_.margins;
    page.done = doc_.recordCount() > 0 ? qreal(pos_.record) / doc_.recordCount() : 1;
    if (shown(def_.pageHeader.when, first))
        placeItems(page, def_.pageHeader.items, QPointF(m.left(), m.top()), first);
    if (shown(def_.pageFooter.when, last))
        placeItems(page, def_.pageFooter.items,
                   QPointF(m.left(), page.paper.height() - m.bottom() - def_.pageFooter.height), last);
    return true;
}

void Paginator::placeLabels(Page& page) {
    const LabelSheet& l = *def_.labels;
    for (int slot = 0; slot < l.rows * l.columns && !atEnd() && (slot == 0 || !pageFull(page));
         ++slot, ++pos_.record) {
        const int row = slot / l.columns, column = slot % l.columns;
        const QPointF corner(l.left + column * (l.width + l.columnGap), l.top + row * (l.height + l.rowGap));
        placeItems(page, l.items, corner, pos_.record);
    }
}

int Paginator::placeBands(Page& page) {
    const QMarginsF& m = def_.margins;
    const qreal top = m.top() + def_.pageHeader.height;
    const qreal bottom = page.paper.height() - m.bottom() - def_.pageFooter.height;
    qreal y = top;
    int onPage = 0;
    int last = pos_.record;
    while (!atEnd()) {
        const int r = pos_.record;
        if (pos_.section == 0 && pos_.memoLine == 0) {
            if (onPage >= (def_.perPage > 0 ? def_.perPage : kMaxRecordsPerPage) ||
                (onPage > 0 && pageFull(page)))
                break;
            if (y > top && y + keepHeight(r) > bottom + kSlack) break;
        }
        last = r;
        bool full = false;
        while (pos_.section < def_.sections.size()) {
            const Section& s = def_.sections[pos_.section];
            if (!shown(s.when, r)) {
                ++pos_.section;
                continue;
            }
            const Compaction c = compaction(s, r);
            QStringList memo;
            const qreal h = sectionHeight(s, r, c, &memo);
            const Item* memoItem = s.memo >= 0 ? &s.items[s.memo] : nullptr;
            const qreal lh = memoItem ? lineHeight(*memoItem) : 0;
            const QPointF memoAt =
                memoItem ? memoItem->box.topLeft() - QPointF(0, memoItem->box.top() >= c.below ? c.shrink : 0)
                         : QPointF();
            if (pos_.memoLine > 0 && memoItem) {
                // The rest of a memo begun on an earlier page, under its caption.
                const qreal x = m.left() + memoItem->box.x();
                qreal cy = y;
                const QString caption = expand(memoItem->continued, r);
                if (!caption.trimmed().isEmpty()) {
                    FontSpec bold = memoItem->font;
                    bold.bold = true;
                    page.texts.append(
                        measure_.fit(caption, bold, QRectF(x, cy, memoItem->box.width(), lh), Qt::AlignLeft));
                    cy += lh;
                }
                const int room = std::max(1, int(std::floor((bottom - cy) / lh + kSlack)));
                const int count = std::min(room, int(memo.size()) - pos_.memoLine);
                placeMemoLines(page, *memoItem, memo, pos_.memoLine, count, QPointF(x, cy), lh);
                pos_.memoLine += count;
                if (pos_.memoLine < memo.size()) {
                    full = true;
                    break;
                }
                pos_.memoLine = 0;
                ++pos_.section;
                y = cy + count * lh + std::max<qreal>(0, s.height - memoItem->box.bottom());
                continue;
            }
            if (y + h <= bottom + kSlack || (y <= top + kSlack && !memoItem)) {
                // Whole; a section taller than a page without a memo goes out as far as the page reaches.
                placeSection(page, s, QPointF(m.left(), y), r, c);
                if (memoItem)
                    placeMemoLines(page, *memoItem, memo, 0, int(memo.size()), QPointF(m.left(), y) + memoAt,
                                   lh);
                y += h;
                ++pos_.section;
                continue;
            }
            if (memoItem) {
                // The section with as much of its memo as fits; the rest follows on the next page.
                const int room = int(std::floor((bottom - y - memoAt.y()) / lh + kSlack));
                if (room >= 1 || y <= top + kSlack) {
                    const int count = std::clamp(room, 1, int(memo.size()));
                    placeSection(page, s, QPointF(m.left(), y), r, c);
                    placeMemoLines(page, *memoItem, memo, 0, count, QPointF(m.left(), y) + memoAt, lh);
                    if (count < memo.size()) {
                        pos_.memoLine = count;
                    } else {
                        ++pos_.section;
                    }
                    full = true;
                    break;
                }
            }
            full = true; // the section starts on the next page
            break;
        }
        if (full) break;
        pos_.section = 0;
        ++pos_.record;
        ++onPage;
    }
    return last;
}

Paginator::Compaction Paginator::compaction(const Section& s, int record) const {
    Compaction c;
    if (s.repeats.isEmpty()) return c;
    c.shrink = std::numeric_limits<qreal>::max();
    for (const CompactRepeat& rep : s.repeats) {
        int n = 0;
        while (n < rep.columns.size() && !isEmptyValue(doc_.value(record, rep.columns[n])))
            ++n;
        c.shown.append(n);
        // Side by side, the longest one decides how much room is left over.
        c.shrink = std::min(c.shrink, (rep.columns.size() - n) * rep.step);
        c.below = std::max(c.below, rep.bottom);
    }
    return c;
}

void Paginator::placeSection(Page& page, const Section& s, QPointF origin, int record, const Compaction& c) {
    for (int i = 0; i < s.items.size(); ++i) {
        const Item& it = s.items[i];
        if (i == s.memo || !shown(it.when, record)) continue;
        if (it.repeat >= 0 && it.slot >= c.shown[it.repeat]) continue;
        const bool below = it.repeat < 0 && std::min(it.box.top(), it.box.bottom()) >= c.below - kSlack;
        placeItem(page, it, origin - QPointF(0, below ? c.shrink : 0), record);
    }
}

void Paginator::placeItems(Page& page, const QVector<Item>& items, QPointF origin, int record, int except) {
    for (int i = 0; i < items.size(); ++i)
        if (i != except && shown(items[i].when, record)) placeItem(page, items[i], origin, record);
}

void Paginator::placeItem(Page& page, const Item& item, QPointF origin, int record) {
    const QRectF box = item.box.translated(origin);
    switch (item.kind) {
    case ItemKind::Line:
        page.rules.append({QLineF(box.topLeft(), box.bottomRight()), item.penWidth});
        return;
    case ItemKind::Text: {
        // A text made around fields or formulas ("{NJPPAP}%") is left out when they are all empty.
        bool anyValue = false;
        const QString text = expand(item.text, record, &anyValue);
        const bool hasValues = std::any_of(item.text.begin(), item.text.end(), [](const Segment& s) {
            return s.kind == Segment::Field || s.kind == Segment::Formula;
        });
        if ((anyValue || !hasValues) && !text.trimmed().isEmpty())
            page.texts.append(measure_.fit(text, item.font, box, item.align));
        return;
    }
    case ItemKind::Field: {
        const QString text = fieldText(item, record);
        if (!text.trimmed().isEmpty()) page.texts.append(measure_.fit(text, item.font, box, item.align));
        return;
    }
    case ItemKind::Lines: {
        QStringList lines;
        for (const Template& t : item.lines) {
            bool anyValue = false;
            const QString line = expand(t, record, &anyValue);
            if (anyValue && !line.trimmed().isEmpty()) lines.append(line);
        }
        if (lines.isEmpty()) return;
        FontSpec font = item.font;
        qreal lh = lineHeight(item);
        // More lines than the box holds: all of them, smaller.
        if (lines.size() * lh > box.height() + kSlack) {
            const qreal scale = box.height() / (lines.size() * lh);
            lh *= scale;
            font.size *= scale;
        }
        for (int i = 0; i < lines.size(); ++i)
            page.texts.append(
                measure_.fit(lines[i], font, QRectF(box.x(), box.y() + i * lh, box.width(), lh), item.align));
        return;
    }
    case ItemKind::Memo: {
        const QStringList lines = measure_.wrap(fieldText(item, record), item.font, item.box.width());
        placeMemoLines(page, item, lines, 0, int(lines.size()), box.topLeft(), lineHeight(item));
        return;
    }
    }
}

void Paginator::placeMemoLines(Page& page, const Item& memo, const QStringList& lines, int from, int count,
                               QPointF at, qreal lh) {
    for (int i = 0; i < count; ++i) {
        const QString& line = lines[from + i];
        if (line.trimmed().isEmpty()) continue;
        // Wrapped to the width already; the box is the line's own.
        const QRectF box(at.x(), at.y() + i * lh, memo.box.width(), lh);
        page.texts.append(measure_.height(memo.font) > lh + kSlack
                              ? measure_.fit(line, memo.font, box, memo.align)
                              : measure_.place(line, memo.font, box, memo.align));
    }
}

QString Paginator::expand(const Template& t, int record, bool* anyValue) const {
    QString out;
    for (const Segment& s : t) {
        QString part;
        switch (s.kind) {
        case Segment::Literal:
            out += s.text;
            continue;
        case Segment::Field:
            part = formatValue(doc_.value(record, s.column), QString()).trimmed();
            break;
        case Segment::Formula:
            part = doc_.formula(s.text);
            break;
        case Segment::PageNumber:
            part = QString::number(pageNumber_);
            break;
        case Segment::PrintDate:
            part = formatValue(doc_.runDate(), QStringLiteral("MM/DD/YY")); // as the dates it prints
            break;
        }
        const bool value = s.kind == Segment::Field || s.kind == Segment::Formula;
        if (anyValue && value && !part.trimmed().isEmpty()) *anyValue = true;
        out += part;
    }
    return out;
}

QString Paginator::fieldText(const Item& item, int record) const {
    const QVariant& v = doc_.value(record, item.column);
    if (!item.valueItems.isEmpty()) {
        if (const QVector<grid::ValueItem>* list = doc_.valueItems(item.valueItems)) {
            for (const grid::ValueItem& vi : *list)
                if (grid::sameValue(v, vi.value)) return vi.display;
        }
    }
    const QString text = formatValue(v, item.format);
    return !item.dropPrefix.isEmpty() && text.startsWith(item.dropPrefix) ? text.mid(item.dropPrefix.size())
                                                                          : text;
}

bool Paginator::shown(const std::optional<Condition>& when, int record) const {
    if (!when) return true;
    const QString raw = when->formula.isEmpty() ? formatValue(doc_.value(record, when->column), QString())
                                                : doc_.formula(when->formula);
    const QString value = raw.trimmed();
    bool in = false;
    for (const QString& v : when->values)
        if (when->prefix ? raw.startsWith(v) : v.trimmed().compare(value, Qt::CaseInsensitive) == 0)
            in = true;
    return in != when->negate;
}

bool Paginator::pageFull(const Page& page) {
    return page.texts.size() + page.rules.size() >= kMaxPageItems;
}

qreal Paginator::lineHeight(const Item& item) {
    return item.lineHeight > 0 ? item.lineHeight : measure_.lineSpacing(item.font);
}

qreal Paginator::sectionHeight(const Section& s, int record, const Compaction& c, QStringList* memoLines) {
    if (s.memo < 0) return s.height - c.shrink;
    const Item& memo = s.items[s.memo];
    // Wrapped once per record: a long note is asked for again on every page it runs over.
    if (wrapped_.record != record || wrapped_.section != &s) {
        wrapped_.lines = measure_.wrap(fieldText(memo, record), memo.font, memo.box.width());
        wrapped_.record = record;
        wrapped_.section = &s;
    }
    *memoLines = wrapped_.lines;
    const qreal grown = memoLines->size() * lineHeight(memo) - memo.box.height();
    return s.height - c.shrink + std::max<qreal>(0, grown);
}

qreal Paginator::keepHeight(int record) {
    qreal h = 0;
    for (const Section& s : def_.sections) {
        if (!shown(s.when, record)) continue;
        const Compaction c = compaction(s, record);
        if (s.memo >= 0) {
            const Item& memo = s.items[s.memo];
            return h + memo.box.y() - (memo.box.top() >= c.below ? c.shrink : 0) + lineHeight(memo);
        }
        h += s.height - c.shrink;
    }
    return h;
}

QVector<Page> layoutAll(const Document& doc) {
    QVector<Page> pages;
    Paginator p(doc);
    Page page;
    while (p.next(page))
        pages.append(page);
    return pages;
}

} // namespace report
