#include "grid/datasetmodel.h"

#include <QDateTime>

namespace kiosk {

// The model's registration with the dataset: forwards the dataset's notices.
class TDataSetTableModel::Link : public TDataLink {
public:
    explicit Link(TDataSetTableModel& model) : model_(model) {}
    void ActiveChanged() override { model_.Reload(); }
    void DataSetChanged() override { model_.Reload(); }
    void DataSetScrolled() override { model_.Scrolled(); }
    void RecordChanged(TField*) override { model_.CurrentRecordChanged(); }
    void EditingChanged() override { model_.CurrentRecordChanged(); }

private:
    TDataSetTableModel& model_;
};

namespace {

QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QVariant RawVariant(const Value& value)
{
    switch (value.kind()) {
    case Value::Kind::Null: return {};
    case Value::Kind::Boolean: return value.boolean();
    case Value::Kind::Integer: return qlonglong(value.integer());
    case Value::Kind::Float: return value.number();
    case Value::Kind::Text: return ToQString(value.text());
    case Value::Kind::DateTime: {
        const DateTime d = value.dateTime();
        return QDateTime(QDate(d.Year(), d.Month(), d.Day()), QTime(d.Hour(), d.Minute(), d.Second(), d.Msec()));
    }
    }
    return {};
}

bool IsNumericType(TFieldType type) { return IsIntegerType(type) || IsFloatType(type); }

} // namespace

TDataSetTableModel::TDataSetTableModel(QObject* parent)
    : QAbstractTableModel(parent), link_(std::make_unique<Link>(*this))
{
}

TDataSetTableModel::~TDataSetTableModel() = default;

void TDataSetTableModel::SetDataSet(TDataSet* dataSet)
{
    if (link_->DataSet() == dataSet) return;
    link_->SetDataSet(dataSet);
    Reload();
}

TDataSet* TDataSetTableModel::DataSet() const { return link_->DataSet(); }

bool TDataSetTableModel::DataSetActive() const { return DataSet() && DataSet()->Active(); }

void TDataSetTableModel::SetColumns(TKtColumns columns)
{
    configured_ = std::move(columns);
    Reload();
}

void TDataSetTableModel::Reload()
{
    beginResetModel();
    TDataSet* ds = DataSet();
    shown_ = configured_;
    if (shown_.empty() && ds && ds->Active())
        for (int i = 0; i < ds->FieldCount(); ++i) shown_.emplace_back(ds->Fields(i).FieldName(), std::string());
    fieldIndex_.clear();
    for (const TKtColumn& column : shown_) {
        const TField* field = ds && ds->Active() && column.FieldName.find(';') == std::string::npos
                                  ? ds->FindField(column.FieldName)
                                  : nullptr;
        fieldIndex_.push_back(field ? field->Index() : -1);
    }
    rows_ = ds && ds->Active() ? ds->RecordCount() : 0;
    endResetModel();
    Scrolled();
}

void TDataSetTableModel::Scrolled()
{
    TDataSet* ds = DataSet();
    emit CurrentRowChanged(ds && ds->Active() && ds->RecNo() > 0 ? ds->RecNo() - 1 : -1);
}

void TDataSetTableModel::CurrentRecordChanged()
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || ds->RecNo() < 1 || ds->RecNo() > rows_ || shown_.empty()) return;
    const int row = ds->RecNo() - 1;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

TField* TDataSetTableModel::ColumnField(int column) const
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || column < 0 || column >= int(fieldIndex_.size())) return nullptr;
    const int field = fieldIndex_[std::size_t(column)];
    return field >= 0 && field < ds->FieldCount() ? &ds->Fields(field) : nullptr;
}

Value TDataSetTableModel::RowValue(int row, std::string_view fieldName) const
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || row < 0 || row >= ds->RecordCount()) return {};
    const TField* field = ds->FindField(fieldName);
    return field ? ds->ValueAt(row, field->Index()) : Value();
}

const Value* TDataSetTableModel::CellValue(int row, int column) const
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || row < 0 || row >= ds->RecordCount()) return nullptr;
    if (column < 0 || column >= int(fieldIndex_.size())) return nullptr;
    const int field = fieldIndex_[std::size_t(column)];
    if (field < 0 || field >= ds->FieldCount()) return nullptr;
    return &ds->ValueAt(row, field);
}

int TDataSetTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TDataSetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

QVariant TDataSetTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const Value* value = CellValue(index.row(), index.column());
    if (!value) return {};
    try {
        switch (role) {
        case Qt::DisplayRole:
            return ToQString(dataconv::AsString(*value, ColumnField(index.column())->DataType()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (IsNumericType(ColumnField(index.column())->DataType()) ? Qt::AlignRight
                                                                                              : Qt::AlignLeft));
        case RawValueRole: return RawVariant(*value);
        default: return {};
        }
    } catch (const std::exception&) {
        // A stored value that its field cannot show (a text in a number column) shows as empty.
        return {};
    }
}

QVariant TDataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section >= 0 && section < rows_ ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= int(shown_.size())) return {};
    const TKtColumn& column = shown_[std::size_t(section)];
    return ToQString(column.Title.empty() ? column.FieldName : column.Title);
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace kiosk
