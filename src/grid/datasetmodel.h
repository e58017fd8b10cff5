#pragma once
// TDataSetTableModel: a read-only table model over an in-memory dataset, one row per record in
// the cursor's order, one column per grid column (or per field when no columns are given).
// It is a view bound to the dataset (TDataLink): it reloads when the dataset opens, closes,
// changes its records or order, or sends its one change notice after EnableControls, and it
// reports the cursor's moves. While the dataset's controls are disabled the model keeps the
// shape it last announced, so the view never sees rows it was not told about.
//
// Ownership: the model does not own the dataset; the dataset may die first (the model then
// shows nothing until it is given another one).
#include <QAbstractTableModel>
#include <memory>

#include "grid/ktcolumn.h"
#include "platform/dataset.h"

namespace kiosk {

class TDataSetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The stored value of a cell (null as an invalid QVariant), for sorting and comparing.
    static constexpr int RawValueRole = Qt::UserRole + 1;

    explicit TDataSetTableModel(QObject* parent = nullptr);
    ~TDataSetTableModel() override;

    void SetDataSet(TDataSet* dataSet);
    TDataSet* DataSet() const;
    // The dataset is there and open.
    bool DataSetActive() const;

    // The columns shown; an empty list shows every field under its own name.
    void SetColumns(TKtColumns columns);
    const TKtColumns& Columns() const { return shown_; }
    // The dataset's field of model column `column`, nullptr when the column names no field.
    TField* ColumnField(int column) const;
    // The value of field `fieldName` in row `row` (null when there is no such field or row).
    Value RowValue(int row, std::string_view fieldName) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The dataset's cursor stands on `row` now (-1 on a closed or empty dataset).
    void CurrentRowChanged(int row);

private:
    class Link;
    friend class Link;

    void Reload();
    void Scrolled();
    void CurrentRecordChanged();
    const Value* CellValue(int row, int column) const;

    std::unique_ptr<Link> link_;
    TKtColumns configured_;
    // What the view was last told: the columns, their field positions and the row count.
    TKtColumns shown_;
    std::vector<int> fieldIndex_;
    int rows_ = 0;
};

} // namespace kiosk
