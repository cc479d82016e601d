// The report engine's front: open a definition, point its tables at a database, set formulas,
// value lists and sort fields, then read every row into a Document that pages are laid out from.
//
// Reading takes all rows at once and closes the database, so a document (and a preview showing
// it) is not changed by a later run that overwrites the database.
#pragma once

#include "platform/grid/column_spec.h"
#include "platform/report/definition.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

namespace report {

// The rows of one run of a report, read and sorted, with the formula texts and value lists of the
// run. Never changes once read.
class Document {
public:
    const Definition& definition() const { return def_; }
    int recordCount() const { return int(rows_.size()); }
    // Value of column (see Item::column) in record; Null when the record has no row in its table.
    const QVariant& value(int record, int column) const;
    QString formula(const QString& name) const { return formulas_.value(name.toUpper()); }
    // The named list of values shown as other texts; nullptr when the run set none of that name.
    const QVector<grid::ValueItem>* valueItems(const QString& name) const;
    QDate runDate() const { return runDate_; }
    // Column names ("TABLE.FIELD") in column order.
    const QStringList& columns() const { return columns_; }

private:
    friend class Report;
    Definition def_; // with every field reference resolved to its column
    QStringList columns_;
    QVector<QVector<QVariant>> rows_;
    QHash<QString, QString> formulas_;
    QHash<QString, QVector<grid::ValueItem>> valueItems_;
    QDate runDate_;
};

class Report {
public:
    explicit Report(Definition def);

    // Opens the definition file name (e.g. "VKPRTSUM.RPT") from the program folder, found without
    // regard to case. Throws ReportError when it is missing or not a definition.
    static Report open(const QString& name);
    // The same from a given path (tools, tests).
    static Report openFile(const QString& path);

    const Definition& definition() const { return def_; }

    // Table n (1 for the first) of the report reads from the database at path.
    void setTableLocation(int n, const QString& path);
    // Sets the text a formula shows. The text is shown as it stands: quotes in it are not syntax.
    void setFormula(const QString& name, const QString& text);
    // Orders the records by a field, "{PRIME.NAME1}" or "PRIME.NAME1"; several fields sort in the
    // order added. Empty values come first; records with equal values keep the order of the table.
    void addSortField(const QString& field);
    // A list of values that field items naming it show as other texts.
    void setValueItems(const QString& name, const QVector<grid::ValueItem>& items);

    // Reads every row of the tables into a document. Throws ReportError when a table has no
    // location, a database cannot be read or lacks a field the report shows.
    std::shared_ptr<const Document> read() const;

private:
    Definition def_;
    QStringList locations_;
    QHash<QString, QString> formulas_;
    QStringList sortFields_;
    QHash<QString, QVector<grid::ValueItem>> valueItems_;
};

// Null, or a text of blanks only.
bool isEmptyValue(const QVariant& v);

// Text of a field's value in a display format: the grid's formats, and "Yes/No" for Booleans.
QString formatValue(const QVariant& value, const QString& format);

} // namespace report
