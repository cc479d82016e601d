#include "platform/report/report.h"

#include "platform/dao/dao.h"
#include "platform/files/bounded_read.h"
#include "platform/files/folders.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <functional>

namespace report {

namespace {

// Calls visit on every field reference of the definition, with the place its column goes.
void forEachField(Definition& def, const std::function<void(const QString& ref, int& column)>& visit) {
    auto onTemplate = [&](Template& t) {
        for (Segment& s : t)
            if (s.kind == Segment::Field) visit(s.text, s.column);
    };
    auto onCondition = [&](std::optional<Condition>& c) {
        if (c && !c->field.isEmpty()) visit(c->field, c->column);
    };
    auto onItems = [&](QVector<Item>& items) {
        for (Item& it : items) {
            onCondition(it.when);
            onTemplate(it.text);
            onTemplate(it.continued);
            for (Template& line : it.lines)
                onTemplate(line);
            if (it.kind == ItemKind::Field || it.kind == ItemKind::Memo) visit(it.field, it.column);
        }
    };
    for (Section* s : {&def.pageHeader, &def.pageFooter}) {
        onCondition(s->when);
        onItems(s->items);
    }
    for (Section& s : def.sections) {
        onCondition(s.when);
        onItems(s.items);
        for (CompactRepeat& r : s.repeats) {
            r.columns.resize(r.until.size());
            for (int i = 0; i < r.until.size(); ++i)
                visit(r.until[i], r.columns[i]);
        }
    }
    if (def.labels) onItems(def.labels->items);
}

// Ascending order of two values of one field: empty values first, numbers and dates by value,
// texts without regard to case.
int compareValues(const QVariant& a, const QVariant& b) {
    const bool ea = isEmptyValue(a), eb = isEmptyValue(b);
    if (ea || eb) return int(eb) - int(ea);
    if (dao::isNumber(a) && dao::isNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate) {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return a.toString().compare(b.toString(), Qt::CaseInsensitive);
}

QString bracketed(const QString& name) {
    return QLatin1Char('[') + name + QLatin1Char(']');
}

} // namespace

const QVariant& Document::value(int record, int column) const {
    static const QVariant null;
    if (column < 0 || record < 0 || record >= rows_.size()) return null;
    return rows_[record][column];
}

const QVector<grid::ValueItem>* Document::valueItems(const QString& name) const {
    auto it = valueItems_.constFind(name.toLower());
    return it == valueItems_.constEnd() ? nullptr : &it.value();
}

Report::Report(Definition def) : def_(std::move(def)) {
    for (int i = 0; i < def_.tables.size(); ++i)
        locations_.append(QString());
    for (int i = 0; i < def_.formulas.size(); ++i)
        formulas_.insert(def_.formulas[i], def_.formulaDefaults.value(i));
}

Report Report::open(const QString& name) {
    const QString folder = files::programFolder();
    if (!files::existsNoCase(folder, name))
        throw ReportError(
            QStringLiteral("The report file %1 is not in the program folder %2.").arg(name, folder));
    return openFile(files::findFileNoCase(folder, name));
}

Report Report::openFile(const QString& path) {
    const files::BoundedRead r = files::readRegularFile(path, kMaxReportFileBytes);
    const QString cannot = QStringLiteral("The report file %1 cannot be read: ").arg(path);
    switch (r.outcome) {
    case files::BoundedRead::Read:
        return Report(parseDefinition(r.bytes, QFileInfo(path).fileName()));
    case files::BoundedRead::NotRegular:
        throw ReportError(cannot + QStringLiteral("it is %1, not a file.").arg(files::irregularKind(path)));
    case files::BoundedRead::TooLarge:
        throw ReportError(cannot + QStringLiteral("it is larger than a report definition may be (%1 bytes).")
                                       .arg(kMaxReportFileBytes));
    default:
        throw ReportError(cannot + r.reason());
    }
}

void Report::setTableLocation(int n, const QString& path) {
    if (n < 1 || n > locations_.size())
        throw ReportError(QStringLiteral("The report %1 has no table %2.").arg(def_.name).arg(n));
    locations_[n - 1] = path;
}

void Report::setFormula(const QString& name, const QString& text) {
    const QString key = name.trimmed().toUpper();
    if (!def_.formulas.contains(key))
        throw ReportError(QStringLiteral("The report %1 has no formula %2.").arg(def_.name, name));
    formulas_.insert(key, text);
}

void Report::addSortField(const QString& field) {
    QString ref = field.trimmed();
    if (ref.startsWith(QLatin1Char('{')) && ref.endsWith(QLatin1Char('}'))) ref = ref.mid(1, ref.size() - 2);
    if (ref.trimmed().isEmpty()) throw ReportError(QStringLiteral("No sort field given."));
    sortFields_.append(normalizeField(ref, def_));
}

void Report::setValueItems(const QString& name, const QVector<grid::ValueItem>& items) {
    valueItems_.insert(name.toLower(), items);
}

std::shared_ptr<const Document> Report::read() const {
    auto doc = std::make_shared<Document>();
    doc->def_ = def_;
    doc->formulas_ = formulas_;
    doc->valueItems_ = valueItems_;
    doc->runDate_ = QDate::currentDate();

    // Columns: every field the definition shows, the sort fields, and the link fields.
    QStringList& columns = doc->columns_;
    auto columnOf = [&](const QString& ref) {
        qsizetype i = columns.indexOf(ref);
        if (i < 0) {
            columns.append(ref);
            i = columns.size() - 1;
        }
        return int(i);
    };
    forEachField(doc->def_, [&](const QString& ref, int& column) { column = columnOf(ref); });
    QVector<int> sortColumns;
    for (const QString& ref : sortFields_)
        sortColumns.append(columnOf(ref));

    // The fields each table gives, by column.
    const QStringList& tables = def_.tables;
    QVector<QVector<int>> tableColumns(tables.size());
    for (int c = 0; c < columns.size(); ++c) {
        const QString table = columns[c].section(QLatin1Char('.'), 0, 0);
        const qsizetype t = tables.indexOf(table);
        if (t < 0)
            throw ReportError(QStringLiteral("The report %1 shows the field %2 of a table it does not have.")
                                  .arg(def_.name, columns[c]));
        tableColumns[t].append(c);
    }

    auto fieldName = [&](int column) { return columns[column].section(QLatin1Char('.'), 1); };
    auto readTable = [&](int t, const QStringList& keyFields,
                         const std::function<void(dao::Recordset&, const QString& key)>& onRow) {
        if (locations_[t].isEmpty())
            throw ReportError(QStringLiteral("The report %1 has no database for its table %2 (%3).")
                                  .arg(def_.name)
                                  .arg(t + 1)
                                  .arg(tables[t]));
        QStringList select;
        for (const QString& k : keyFields)
            select.append(bracketed(k));
        for (int c : tableColumns[t])
            select.append(bracketed(fieldName(c)));
        if (select.isEmpty()) select.append(QStringLiteral("rowid"));
        try {
            std::unique_ptr<dao::Database> db = dao::Database::open(locations_[t], false, true);
            // Table order: records with equal sort values keep the order they were written in.
            std::unique_ptr<dao::Recordset> rs =
                db->OpenRecordset(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                      .arg(select.join(QStringLiteral(", ")), bracketed(tables[t])),
                                  dao::RecordsetType::Snapshot, dao::ForwardOnly);
            for (; !rs->atEOF(); rs->MoveNext()) {
                QString key;
                for (int k = 0; k < keyFields.size(); ++k)
                    key += rs->text(keyFields[k]) + QChar(0x1f);
                onRow(*rs, key);
            }
            rs->Close();
            db->close();
        } catch (const dao::DaoError& e) {
            throw ReportError(QStringLiteral("The report %1 cannot read its table %2 from %3: %4")
                                  .arg(def_.name, tables[t], locations_[t], e.reason()));
        }
    };

    // Tables 2 and beyond give each record the first of their rows with the record's link key.
    const bool linked = tables.size() > 1;
    const QStringList& key1 = linked ? def_.link : QStringList();
    const int offset1 = int(key1.size());
    QHash<QString, QVector<int>> recordsOfKey;
    readTable(0, key1, [&](dao::Recordset& rs, const QString& key) {
        QVector<QVariant> row(columns.size());
        for (int i = 0; i < tableColumns[0].size(); ++i)
            row[tableColumns[0][i]] = rs.value(offset1 + i);
        if (linked) recordsOfKey[key].append(int(doc->rows_.size()));
        doc->rows_.append(row);
    });
    for (int t = 1; t < tables.size(); ++t) {
        QSet<QString> used;
        readTable(t, def_.link, [&](dao::Recordset& rs, const QString& key) {
            const auto it = recordsOfKey.constFind(key);
            if (it == recordsOfKey.constEnd() || used.contains(key)) return;
            used.insert(key);
            for (int record : it.value())
                for (int i = 0; i < tableColumns[t].size(); ++i)
                    doc->rows_[record][tableColumns[t][i]] = rs.value(int(def_.link.size()) + i);
        });
    }

    if (!sortColumns.isEmpty()) {
        std::stable_sort(doc->rows_.begin(), doc->rows_.end(),
                         [&](const QVector<QVariant>& a, const QVector<QVariant>& b) {
                             for (int c : sortColumns) {
                                 const int r = compareValues(a[c], b[c]);
                                 if (r != 0) return r < 0;
                             }
                             return false;
                         });
    }
    return doc;
}

bool isEmptyValue(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return true;
    if (v.typeId() != QMetaType::QString) return false;
    // Blank: what trimming would leave empty, told without making the trimmed text.
    const QString& s = *static_cast<const QString*>(v.constData());
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isSpace(); });
}

QString formatValue(const QVariant& value, const QString& format) {
    if (format.compare(QLatin1String("Yes/No"), Qt::CaseInsensitive) == 0 && value.isValid() &&
        !value.isNull())
        return value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    return grid::formatValue(value, format);
}

} // namespace report
