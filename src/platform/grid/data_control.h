// A record source bound to grids: the stand-in for the original's data control. It holds the SQL
// text or table name, opens the recordset on a shared connection and tells bound grids when the
// recordset is replaced, moved by code, or one of its rows changed.
#pragma once

#include "platform/dao/dao.h"
#include "platform/dao/query_terms.h"

#include <QObject>

#include <memory>
#include <optional>

namespace grid {

class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    // The connection the recordsets are opened on (not owned); DatabaseName is the file it names.
    void setDatabase(dao::Database* db);
    dao::Database* database() const { return db_; }
    QString DatabaseName;

    // A table name or an SQL text (Jet dialect), read by Refresh().
    QString RecordSource;
    // The query of RecordSource in its parts, which Refresh opens instead of the text while
    // RecordSource is its text (terms.text): the same rows, read faster (dao::QueryTerms).
    std::optional<dao::QueryTerms> RecordSourceTerms;
    dao::RecordsetType RecordsetType = dao::RecordsetType::Dynaset;
    QString Caption;

    // Opens RecordSource again; bound grids reload. Throws dao::DaoError (the old recordset is
    // closed first, so a failed refresh leaves no recordset).
    void Refresh();
    // The open recordset, or nullptr before the first Refresh or after a failure.
    dao::Recordset* Recordset() const { return rs_.get(); }
    void Close();

    // The current row has become the one the user looks at: it is read again as stored now, so
    // that what another connection changed shows (recordset's refreshCurrentRow); bound grids
    // redraw it when it changed. A failed read leaves the row as it was read before.
    void refreshCurrentRow();
    // Code moved the recordset (Seek, Move*): bound grids follow its current row.
    void notifyMoved();
    // Code changed the current row's values through the recordset: bound grids redraw it.
    void notifyCurrentRowChanged();

signals:
    void refreshed();
    void moved();
    void currentRowChanged();

private:
    dao::Database* db_ = nullptr;
    std::unique_ptr<dao::Recordset> rs_;
};

} // namespace grid
