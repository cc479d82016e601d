#include "platform/report/definition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLineF>

#include <algorithm>

namespace report {

ReportError::ReportError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

QSizeF Definition::paperSize() const {
    const QSizeF s = QPageSize(paper).size(QPageSize::Point);
    return orientation == QPageLayout::Landscape ? s.transposed() : s;
}

QString normalizeField(const QString& ref, const Definition& def) {
    const QString r = ref.trimmed().toUpper();
    if (r.contains(QLatin1Char('.')) || def.tables.isEmpty()) return r;
    return def.tables.first() + QLatin1Char('.') + r;
}

namespace {

class Parser {
public:
    explicit Parser(Definition& def) : def_(def) {}

    [[noreturn]] void fail(const QString& what) const {
        throw ReportError(QStringLiteral("The report file %1 is not a report definition we can read: %2")
                              .arg(def_.name, what));
    }

    void parse(const QJsonObject& o) {
        def_.title = o.value(QLatin1String("title")).toString();
        parsePage(o);
        for (const QJsonValue& t : o.value(QLatin1String("tables")).toArray())
            def_.tables.append(t.toString().trimmed().toUpper());
        if (def_.tables.isEmpty() || def_.tables.contains(QString()))
            fail(QStringLiteral("it names no tables"));
        for (const QJsonValue& f : o.value(QLatin1String("link")).toArray())
            def_.link.append(f.toString().trimmed().toUpper());
        if (def_.tables.size() > 1 && def_.link.isEmpty())
            fail(QStringLiteral("its tables are not linked by any field"));
        const QJsonObject formulas = o.value(QLatin1String("formulas")).toObject();
        for (auto it = formulas.begin(); it != formulas.end(); ++it) {
            def_.formulas.append(it.key().toUpper());
            def_.formulaDefaults.append(it.value().toString());
        }
        def_.font = font(o.value(QLatin1String("font")), FontSpec());
        def_.pageHeader =
            section(o.value(QLatin1String("pageHeader")).toObject(), QStringLiteral("page header"));
        def_.pageFooter =
            section(o.value(QLatin1String("pageFooter")).toObject(), QStringLiteral("page footer"));
        for (const Section* s : {&def_.pageHeader, &def_.pageFooter})
            if (s->memo >= 0) fail(QStringLiteral("a memo in the page header or footer"));
        def_.perPage = o.value(QLatin1String("perPage")).toInt(0);
        if (def_.perPage < 0) fail(QStringLiteral("a negative number of records per page"));
        if (def_.perPage > kMaxRecordsPerPage)
            fail(QStringLiteral("more than %1 records per page").arg(kMaxRecordsPerPage));
        int n = 0;
        for (const QJsonValue& s : o.value(QLatin1String("sections")).toArray())
            def_.sections.append(section(s.toObject(), QStringLiteral("section %1").arg(++n)));
        if (o.contains(QLatin1String("labels"))) labels(o.value(QLatin1String("labels")).toObject());
        if (def_.sections.isEmpty() == !def_.labels)
            fail(QStringLiteral("it must have either sections or a label sheet"));
    }

private:
    // Counts an item, or a round of a repeat, against the bound.
    void count(int n = 1) const {
        parts_ += n;
        if (parts_ > kMaxReportItems) fail(QStringLiteral("more than %1 items").arg(kMaxReportItems));
    }

    void parsePage(const QJsonObject& o) {
        const QString paper = o.value(QLatin1String("paper")).toString(QStringLiteral("Letter")).toLower();
        if (paper == QLatin1String("letter"))
            def_.paper = QPageSize::Letter;
        else if (paper == QLatin1String("legal"))
            def_.paper = QPageSize::Legal;
        else if (paper == QLatin1String("a4"))
            def_.paper = QPageSize::A4;
        else
            fail(QStringLiteral("unknown paper \"%1\"").arg(paper));
        const QString orientation =
            o.value(QLatin1String("orientation")).toString(QStringLiteral("portrait"));
        if (orientation.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
            def_.orientation = QPageLayout::Landscape;
        else if (orientation.compare(QLatin1String("portrait"), Qt::CaseInsensitive) != 0)
            fail(QStringLiteral("unknown orientation \"%1\"").arg(orientation));
        if (o.contains(QLatin1String("margins"))) {
            const QJsonArray m = o.value(QLatin1String("margins")).toArray();
            if (m.size() != 4) fail(QStringLiteral("margins must be four lengths: left, top, right, bottom"));
            def_.margins = QMarginsF(m[0].toDouble(), m[1].toDouble(), m[2].toDouble(), m[3].toDouble());
        }
    }

    FontSpec font(const QJsonValue& v, const FontSpec& base) const {
        FontSpec f = base;
        const QJsonObject o = v.toObject();
        if (o.contains(QLatin1String("family"))) f.family = o.value(QLatin1String("family")).toString();
        if (o.contains(QLatin1String("size"))) f.size = o.value(QLatin1String("size")).toDouble();
        if (o.contains(QLatin1String("bold"))) f.bold = o.value(QLatin1String("bold")).toBool();
        if (o.contains(QLatin1String("italic"))) f.italic = o.value(QLatin1String("italic")).toBool();
        if (f.size <= 0) fail(QStringLiteral("a font size of %1").arg(f.size));
        return f;
    }

    std::optional<Condition> condition(const QJsonValue& v, const QString& slot) const {
        if (v.isUndefined()) return std::nullopt;
        const QJsonObject o = v.toObject();
        Condition c;
        c.formula = o.value(QLatin1String("formula")).toString().trimmed().toUpper();
        c.field = o.value(QLatin1String("field")).toString();
        if (c.formula.isEmpty() == c.field.isEmpty())
            fail(QStringLiteral("a condition names no formula or field"));
        if (!c.field.isEmpty())
            c.field = normalizeField(QString(c.field).replace(QLatin1Char('#'), slot), def_);
        // "in", "notIn", "startsWith" or "notStartsWith": exactly one of them.
        QString key;
        for (const char* k : {"in", "notIn", "startsWith", "notStartsWith"}) {
            if (!o.contains(QLatin1String(k))) continue;
            if (!key.isEmpty())
                fail(QStringLiteral("a condition with both \"%1\" and \"%2\"").arg(key, QLatin1String(k)));
            key = QLatin1String(k);
        }
        if (key.isEmpty())
            fail(QStringLiteral("a condition needs \"in\", \"notIn\", \"startsWith\" or \"notStartsWith\""));
        c.negate = key.startsWith(QLatin1String("not"));
        c.prefix = key == QLatin1String("startsWith") || key == QLatin1String("notStartsWith");
        for (const QJsonValue& x : o.value(key).toArray())
            c.values.append(x.toString());
        return c;
    }

    Template text(const QString& source, const QString& slot) const {
        Template t;
        QString literal;
        auto flush = [&] {
            if (!literal.isEmpty()) t.append({Segment::Literal, literal, -1});
            literal.clear();
        };
        for (qsizetype i = 0; i < source.size(); ++i) {
            const QChar c = source.at(i);
            // "{{" and "}}" stand for the braces themselves.
            if ((c == QLatin1Char('{') || c == QLatin1Char('}')) && i + 1 < source.size() &&
                source.at(i + 1) == c) {
                literal += c;
                ++i;
                continue;
            }
            if (c != QLatin1Char('{')) {
                literal += c;
                continue;
            }
            const qsizetype end = source.indexOf(QLatin1Char('}'), i);
            if (end < 0) fail(QStringLiteral("an unclosed \"{\" in \"%1\"").arg(source));
            const QString name = source.mid(i + 1, end - i - 1).trimmed();
            flush();
            if (name.compare(QLatin1String("#page"), Qt::CaseInsensitive) == 0)
                t.append({Segment::PageNumber, {}, -1});
            else if (name.compare(QLatin1String("#date"), Qt::CaseInsensitive) == 0)
                t.append({Segment::PrintDate, {}, -1});
            else if (name.startsWith(QLatin1Char('@')))
                t.append({Segment::Formula, name.mid(1).trimmed().toUpper(), -1});
            else if (name.isEmpty())
                fail(QStringLiteral("an empty \"{}\" in \"%1\"").arg(source));
            else
                t.append({Segment::Field, normalizeField(QString(name).replace(QLatin1Char('#'), slot), def_),
                          -1});
            i = end;
        }
        flush();
        return t;
    }

    QRectF box(const QJsonObject& o, QPointF offset) const {
        return QRectF(offset.x() + o.value(QLatin1String("x")).toDouble(),
                      offset.y() + o.value(QLatin1String("y")).toDouble(),
                      o.value(QLatin1String("w")).toDouble(), o.value(QLatin1String("h")).toDouble());
    }

    // Appends the items that o stands for (a repeat stands for many) to out.
    // A repeat with "until" is registered in compact (only sections have one).
    void items(const QJsonArray& array, QVector<Item>& out, QPointF offset, const QString& slot,
               const std::optional<Condition>& inherited, QVector<CompactRepeat>* compact = nullptr,
               int repeat = -1) const {
        for (const QJsonValue& v : array) {
            const QJsonObject o = v.toObject();
            const QString type = o.value(QLatin1String("type")).toString();
            std::optional<Condition> when = condition(o.value(QLatin1String("when")), slot);
            if (!when) when = inherited;
            if (type == QLatin1String("repeat")) {
                const int count = o.value(QLatin1String("count")).toInt();
                if (count <= 0) fail(QStringLiteral("a repeat without a count"));
                if (count > kMaxReportItems) fail(QStringLiteral("a repeat of %1").arg(count));
                const QPointF origin = offset + QPointF(o.value(QLatin1String("x")).toDouble(),
                                                        o.value(QLatin1String("y")).toDouble());
                const QPointF step(o.value(QLatin1String("dx")).toDouble(),
                                   o.value(QLatin1String("dy")).toDouble());
                const QString until = o.value(QLatin1String("until")).toString();
                int index = -1;
                if (!until.isEmpty()) {
                    if (!compact || repeat >= 0)
                        fail(QStringLiteral("a repeat with \"until\" outside a section's items"));
                    if (step.y() <= 0)
                        fail(QStringLiteral("a repeat with \"until\" that does not go down the page"));
                    CompactRepeat c;
                    this->count(count);
                    c.top = origin.y();
                    c.bottom = origin.y() + count * step.y();
                    c.step = step.y();
                    for (int i = 0; i < count; ++i)
                        c.until.append(normalizeField(
                            QString(until).replace(QLatin1Char('#'), QString::number(i)), def_));
                    compact->append(c);
                    index = int(compact->size() - 1);
                }
                for (int i = 0; i < count; ++i) {
                    this->count();
                    const qsizetype first = out.size();
                    items(o.value(QLatin1String("items")).toArray(), out, origin + step * i,
                          QString::number(i), when, compact, index >= 0 ? index : repeat);
                    if (index >= 0)
                        for (qsizetype k = first; k < out.size(); ++k)
                            out[k].slot = i;
                }
                continue;
            }
            count(type == QLatin1String("box") ? 4 : 1);
            if (type == QLatin1String("box")) {
                const QRectF r = box(o, offset);
                const qreal width = o.value(QLatin1String("width")).toDouble(0.5);
                for (const QLineF& l :
                     {QLineF(r.topLeft(), r.topRight()), QLineF(r.topRight(), r.bottomRight()),
                      QLineF(r.bottomRight(), r.bottomLeft()), QLineF(r.bottomLeft(), r.topLeft())}) {
                    Item it;
                    it.kind = ItemKind::Line;
                    it.box = QRectF(l.p1(), l.p2());
                    it.penWidth = width;
                    it.when = when;
                    it.repeat = repeat;
                    out.append(it);
                }
                continue;
            }
            Item it;
            it.when = when;
            it.repeat = repeat;
            it.font = font(o.value(QLatin1String("font")), def_.font);
            it.box = box(o, offset);
            const QString align = o.value(QLatin1String("align")).toString(QStringLiteral("left"));
            if (align == QLatin1String("right"))
                it.align = Qt::AlignRight;
            else if (align == QLatin1String("center"))
                it.align = Qt::AlignHCenter;
            else if (align != QLatin1String("left"))
                fail(QStringLiteral("unknown alignment \"%1\"").arg(align));
            it.lineHeight = o.value(QLatin1String("lineHeight")).toDouble(0);
            // 0 takes the font's; less than a point would put lines without end on a page.
            if (it.lineHeight != 0 && !(it.lineHeight >= 1))
                fail(QStringLiteral("a line height of %1").arg(it.lineHeight));
            const QString field = o.value(QLatin1String("field")).toString();
            if (type == QLatin1String("text")) {
                it.kind = ItemKind::Text;
                it.text = text(o.value(QLatin1String("text")).toString(), slot);
            } else if (type == QLatin1String("formula")) {
                it.kind = ItemKind::Text;
                const QString name = o.value(QLatin1String("formula")).toString().trimmed().toUpper();
                if (name.isEmpty()) fail(QStringLiteral("a formula item names no formula"));
                it.text = {{Segment::Formula, name, -1}};
            } else if (type == QLatin1String("field") || type == QLatin1String("memo")) {
                if (field.trimmed().isEmpty()) fail(QStringLiteral("a %1 item names no field").arg(type));
                it.kind = type == QLatin1String("memo") ? ItemKind::Memo : ItemKind::Field;
                it.field = normalizeField(QString(field).replace(QLatin1Char('#'), slot), def_);
                it.format = o.value(QLatin1String("format")).toString();
                it.valueItems = o.value(QLatin1String("valueItems")).toString();
                it.dropPrefix = o.value(QLatin1String("dropPrefix")).toString();
                it.continued = text(o.value(QLatin1String("continued")).toString(), slot);
            } else if (type == QLatin1String("lines")) {
                it.kind = ItemKind::Lines;
                for (const QJsonValue& line : o.value(QLatin1String("lines")).toArray()) {
                    count();
                    it.lines.append(text(line.toString(), slot));
                }
            } else if (type == QLatin1String("line")) {
                it.kind = ItemKind::Line;
                it.box = QRectF(offset + QPointF(o.value(QLatin1String("x")).toDouble(),
                                                 o.value(QLatin1String("y")).toDouble()),
                                offset + QPointF(o.value(QLatin1String("x2")).toDouble(),
                                                 o.value(QLatin1String("y2")).toDouble()));
                it.penWidth = o.value(QLatin1String("width")).toDouble(0.5);
            } else {
                fail(QStringLiteral("unknown item type \"%1\"").arg(type));
            }
            if (it.kind != ItemKind::Line && (it.box.width() <= 0 || it.box.height() <= 0))
                fail(QStringLiteral("a %1 item without a width and height").arg(type));
            out.append(it);
        }
    }

    Section section(const QJsonObject& o, const QString& what) const {
        Section s;
        s.height = o.value(QLatin1String("height")).toDouble(0);
        s.when = condition(o.value(QLatin1String("when")), QString());
        items(o.value(QLatin1String("items")).toArray(), s.items, QPointF(), QString(), std::nullopt,
              &s.repeats);
        for (int i = 0; i < s.items.size(); ++i) {
            if (s.items[i].kind != ItemKind::Memo) continue;
            if (s.memo >= 0) fail(QStringLiteral("%1 holds more than one memo").arg(what));
            s.memo = i;
        }
        if (s.height < 0) fail(QStringLiteral("%1 has a negative height").arg(what));
        // The section grows downward with its memo, which therefore must be its lowest item.
        if (s.memo >= 0) {
            const qreal memoBottom = s.items[s.memo].box.bottom();
            for (const Item& it : s.items)
                if (&it != &s.items[s.memo] && std::min(it.box.top(), it.box.bottom()) >= memoBottom)
                    fail(QStringLiteral("%1 has an item below its memo").arg(what));
        }
        return s;
    }

    void labels(const QJsonObject& o) {
        LabelSheet l;
        l.columns = o.value(QLatin1String("columns")).toInt(1);
        l.rows = o.value(QLatin1String("rows")).toInt(1);
        l.left = o.value(QLatin1String("left")).toDouble();
        l.top = o.value(QLatin1String("top")).toDouble();
        l.width = o.value(QLatin1String("width")).toDouble();
        l.height = o.value(QLatin1String("height")).toDouble();
        l.columnGap = o.value(QLatin1String("columnGap")).toDouble();
        l.rowGap = o.value(QLatin1String("rowGap")).toDouble();
        if (l.columns < 1 || l.rows < 1 || l.width <= 0 || l.height <= 0)
            fail(QStringLiteral("a label sheet without columns, rows or label size"));
        if (qint64(l.columns) * l.rows > kMaxRecordsPerPage)
            fail(QStringLiteral("more than %1 labels on a sheet").arg(kMaxRecordsPerPage));
        items(o.value(QLatin1String("items")).toArray(), l.items, QPointF(), QString(), std::nullopt);
        for (const Item& it : l.items)
            if (it.kind == ItemKind::Memo) fail(QStringLiteral("a memo on a label"));
        def_.labels = l;
    }

    Definition& def_;
    mutable int parts_ = 0;
};

} // namespace

Definition parseDefinition(const QByteArray& json, const QString& name) {
    Definition def;
    def.name = name;
    Parser parser(def);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        parser.fail(QStringLiteral("%1 at character %2").arg(error.errorString()).arg(error.offset));
    if (!doc.isObject()) parser.fail(QStringLiteral("it is not a JSON object"));
    parser.parse(doc.object());
    return def;
}

} // namespace report
