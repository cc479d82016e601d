#include "platform/grid/data_control.h"

namespace grid {

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setDatabase(dao::Database* db) {
    Close();
    db_ = db;
    DatabaseName = db ? db->name() : QString();
}

void DataControl::Refresh() {
    rs_.reset();
    if (!db_) {
        emit refreshed();
        throw dao::DaoError(DatabaseName, QStringLiteral("show the rows of"),
                            QStringLiteral("no database is open"));
    }
    try {
        if (RecordSourceTerms && RecordSourceTerms->text == RecordSource)
            rs_ = db_->OpenRecordset(*RecordSourceTerms, RecordsetType);
        else
            rs_ = db_->OpenRecordset(RecordSource, RecordsetType);
    } catch (...) {
        emit refreshed();
        throw;
    }
    emit refreshed();
}

void DataControl::Close() {
    if (!rs_) return;
    rs_.reset();
    emit refreshed();
}

void DataControl::refreshCurrentRow() {
    if (!rs_) return;
    bool changed = false;
    try {
        changed = rs_->refreshCurrentRow();
    } catch (const dao::DaoError&) {
        // A row that cannot be read again keeps the values shown; nothing is written here.
    }
    if (changed) emit currentRowChanged();
}

void DataControl::notifyMoved() {
    emit moved();
}

void DataControl::notifyCurrentRowChanged() {
    emit currentRowChanged();
}

} // namespace grid
