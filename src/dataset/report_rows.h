// The rows that the print run, Print Record and the export's expiry order write into the working
// copy of the report database: one PRIME row (and one CLASS row) per employer, with the fields
// each writer fills.
#pragma once

#include "dataset/data_set.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <utility>
#include <vector>

namespace dao {
class Database;
class Recordset;
} // namespace dao

namespace dataset {

// The writers and what sets them apart:
// - Labels: the base fields (name, address, phone and fax, codes, contact, user fields, title) and
//   the CLASS row's key. LabelsByExpiry also fills EXPIRE, so that labels can be sorted by it.
// - Summary and Detail (the print run): besides, the mod slots 0 to 19 (newest effective date
//   first), EFFECTIVE not in New York, EXPIRE (month x 100 + day of the newest mod's expiry), the
//   class slots 0 to 20, the band and SIC descriptions and the New Jersey fields; Detail also the
//   note and New York's full address and flags.
// - PrintRecord: as Detail, with EFFECTIVE in New York too and no EXPIRE; mods in effective and
//   expiry order only.
// - ExpiryPass: the base fields, Omit, the New Jersey fields with NJAR as stored, and EXPIRE of the
//   newest mod (1111 without one); no CLASS row.
enum class RowWriter { Labels, LabelsByExpiry, Summary, Detail, PrintRecord, ExpiryPass };

// One employer's report rows as read from the state database, ready to be written: the fields
// set, by the writer's own numbers, in the order they were set.
struct ReportRow {
    std::vector<std::pair<int, QVariant>> prime, cls;
};

// Writes report rows for employers of one data set. Holds the state database's lookup tables and
// the report database's PRIME and CLASS tables open while it lives.
class ReportRowWriter {
public:
    ReportRowWriter(RowWriter kind, const dataset::DataSet& dataSet, dao::Database& state,
                    dao::Database& report)
        : ReportRowWriter(kind, dataSet, &state, &report) {}
    // Either database may be missing: without the report database the writer only reads rows, and
    // without the state database it only writes rows read by another (on another thread, say).
    ReportRowWriter(RowWriter kind, const dataset::DataSet& dataSet, dao::Database* state,
                    dao::Database* report);
    ~ReportRowWriter();
    ReportRowWriter(const ReportRowWriter&) = delete;
    ReportRowWriter& operator=(const ReportRowWriter&) = delete;

    // Adds the rows of the employer whose state PRIME row employer is positioned on.
    void write(const dao::Recordset& employer);
    // Reads the rows of that employer into row, writing nothing.
    void read(const dao::Recordset& employer, ReportRow& row);
    // Adds rows read before.
    void write(const ReportRow& row);

private:
    class Fields;
    struct Tables;
    void put(int field, const QVariant& v) { row_->prime.emplace_back(field, v); }
    void writeBase(const dao::Recordset& e);
    void writeMods(const QString& file, const QString& sequence);
    void writeClasses(const QString& file, const QString& sequence);
    void writeDescriptions(const dao::Recordset& e);
    void writeNewJersey(const dao::Recordset& e);
    void writeNote(const QString& file, const QString& sequence);
    void writeNewYork(const QString& file, const QString& sequence, const dao::Recordset& e);

    RowWriter kind_;
    dataset::DataSet dataSet_;
    std::unique_ptr<Tables> t_;
    ReportRow* row_ = nullptr; // the row being read
    ReportRow scratch_;
};

} // namespace dataset
