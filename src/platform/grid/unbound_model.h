// Grid model over a fetch callback: the form owns the rows and answers for one cell at a time.
#pragma once

#include "platform/grid/column_model.h"

namespace grid {

class UnboundModel : public ColumnModel {
    Q_OBJECT
public:
    // The value of cell (row, col), both 0-based and in range.
    using Fetch = std::function<QVariant(int row, int col)>;

    explicit UnboundModel(QVector<ColumnSpec> columns = {}, Fetch fetch = {}, QObject* parent = nullptr);

    void setFetch(Fetch fetch);
    // Sets the number of rows and fetches every shown cell again.
    void setRowCount(int rows);
    int rows() const { return rows_; }
    // Fetches every shown cell again (the rows changed but not their number).
    void refresh();
    void refreshRow(int row);

    QVariant value(int row, int col) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;

private:
    Fetch fetch_;
    int rows_ = 0;
};

} // namespace grid
