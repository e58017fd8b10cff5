#include "data/controls/tkestcheckedcombobox.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include "data/controls/kestcolors.h"
#include "data/controls/qtext.h"

namespace kiosk {

namespace {

// Focus lost to the open list or to another window is no leave.
bool IsLeave(const QFocusEvent* event)
{
    return event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason;
}

std::string Quote(const std::string& text, char quote)
{
    std::string out(1, quote);
    for (char c : text) {
        if (c == ',') out += std::string(1, quote) + "," + quote;
        else out += c;
    }
    return out + quote;
}

} // namespace

// Each item of the open list: its check box at the left edge, a blank and its name.
class TKestCheckedComboBox::ItemDelegate : public QStyledItemDelegate {
public:
    explicit ItemDelegate(TKestCheckedComboBox& combo) : QStyledItemDelegate(&combo), combo_(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QStyle* style = combo_.style();
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->fillRect(option.rect, selected ? clSkyBlue : option.palette.color(QPalette::Base));

        QStyleOptionButton box;
        box.state = QStyle::State_Enabled | (combo_.IsChecked(index.row()) ? QStyle::State_On : QStyle::State_Off);
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &combo_);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, &combo_);
        box.rect = QRect(option.rect.left(), option.rect.top() + (option.rect.height() - h) / 2, w, h);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, &combo_);

        const QRect textRect = option.rect.adjusted(w, 0, 0, 0);
        const QString name = index.data(Qt::DisplayRole).toString();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          option.fontMetrics.elidedText(" " + name, Qt::ElideRight, textRect.width()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int box = combo_.style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, &combo_);
        const QSize text = QStyledItemDelegate::sizeHint(option, index);
        return {text.width() + box, std::max(text.height(), box) + 4};
    }

private:
    TKestCheckedComboBox& combo_;
};

TKestCheckedComboBox::TKestCheckedComboBox(QWidget* parent) : QComboBox(parent)
{
    dataSet_.SetName("jcdsCombo");
    setItemDelegate(new ItemDelegate(*this));
    // The list never makes an item the combo box's current one.
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) setCurrentIndex(-1);
    });
}

TKestCheckedComboBox::~TKestCheckedComboBox() = default;

void TKestCheckedComboBox::SetColorNotFocus(const QColor& value)
{
    colorNotFocus_ = value;
    if (!hasFocus()) background_ = value;
    update();
}

void TKestCheckedComboBox::SetShowTextAsHint(bool value)
{
    showTextAsHint_ = value;
    CheckedTextChanged();
}

// ---------------------------------------------------------------- filling

void TKestCheckedComboBox::SetActive(bool value)
{
    if (value == active_) return;
    active_ = value;
    if (!value) return;
    try {
        Fill();
    } catch (...) {
        active_ = false;
        throw;
    }
}

void TKestCheckedComboBox::PrepareDataSet()
{
    if (dataSet_.RemoteServer()) return;
    dataSet_.SetRemoteServer(helpOptions_.HJSONConnection);
    dataSet_.SetQueryAddress(helpOptions_.HQueryAddress.empty() ? "system/queryhelpcombox" : helpOptions_.HQueryAddress);
    dataSet_.SetDataSourceName(helpOptions_.HDataSourceName.empty() ? "datalist" : helpOptions_.HDataSourceName);
    if (!helpOptions_.HelpType.empty()) {
        TParam* type = dataSet_.Params().FindParam("helpType");
        if (!type) type = &dataSet_.Params().CreateParam(ftString, "helpType", ptInput);
        type->SetAsString(helpOptions_.HelpType);
    }
}

void TKestCheckedComboBox::AttachMenu()
{
    if (menu_) return;
    menu_ = new QMenu(this);
    connect(menu_->addAction(QStringLiteral("全选")), &QAction::triggered, this, [this] { CheckAll(true); });
    connect(menu_->addAction(QStringLiteral("取消")), &QAction::triggered, this, [this] { CheckAll(false); });
}

// Every answer replaces the list, an empty one too: entries of an earlier query never stay.
void TKestCheckedComboBox::Fill()
{
    PrepareDataSet();
    AttachMenu();
    dataSet_.Close();
    dataSet_.Open();
    const int id = dataSet_.FieldByName("ID").Index();
    const int name = dataSet_.FieldByName("name").Index();
    const int code = dataSet_.FieldByName("CODE").Index();
    std::vector<TCommInfo> fresh;
    for (int row = 0; row < dataSet_.RecordCount(); ++row)
        fresh.push_back({dataconv::AsLargeInt(dataSet_.ValueAt(row, id)),
                         dataconv::AsString(dataSet_.ValueAt(row, name), dataSet_.Fields(name).DataType()),
                         dataconv::AsString(dataSet_.ValueAt(row, code), dataSet_.Fields(code).DataType()),
                         helpOptions_.SelectAll});
    ClearItems();
    for (TCommInfo& item : fresh) AddItem(std::move(item));
}

void TKestCheckedComboBox::AddItem(TCommInfo item)
{
    addItem(ToQString(item.Name));
    items_.push_back(std::move(item));
    CheckedTextChanged();
}

void TKestCheckedComboBox::ClearItems()
{
    clear();
    items_.clear();
    CheckedTextChanged();
}

// ---------------------------------------------------------------- checks

void TKestCheckedComboBox::SetCheck(int nIndex, bool checked)
{
    if (nIndex < 0 || nIndex >= int(items_.size())) return;
    items_[std::size_t(nIndex)].IsSelected = checked;
    CheckedTextChanged();
    emit OnCheckClick(nIndex);
}

bool TKestCheckedComboBox::IsChecked(int nIndex) const
{
    return nIndex >= 0 && nIndex < int(items_.size()) && items_[std::size_t(nIndex)].IsSelected;
}

void TKestCheckedComboBox::CheckAll(bool checked)
{
    for (int i = 0; i < int(items_.size()); ++i) SetCheck(i, checked);
}

void TKestCheckedComboBox::CheckById(bool, std::int64_t id)
{
    CheckAll(false);
    for (int i = 0; i < int(items_.size()); ++i)
        if (items_[std::size_t(i)].ID == id) {
            SetCheck(i, true);
            return;
        }
}

std::string TKestCheckedComboBox::GetSelectID() const
{
    std::string ids;
    for (const TCommInfo& item : items_) {
        if (!item.IsSelected) continue;
        ids += ids.empty() ? '(' : ',';
        ids += std::to_string(item.ID);
    }
    if (!ids.empty()) ids += ')';
    return ids;
}

std::string TKestCheckedComboBox::CheckedNames() const
{
    std::string names;
    for (const TCommInfo& item : items_)
        if (item.IsSelected) names += (names.empty() ? "" : "; ") + item.Name;
    return names;
}

std::string TKestCheckedComboBox::Text() const
{
    const std::string names = CheckedNames();
    if (names.empty() || quoteStyle_ == qsNone) return names;
    return Quote(names, quoteStyle_ == qsSingle ? '\'' : '"');
}

int TKestCheckedComboBox::CheckedCount() const
{
    int count = 0;
    for (const TCommInfo& item : items_) count += item.IsSelected ? 1 : 0;
    return count;
}

void TKestCheckedComboBox::CheckedTextChanged()
{
    if (showTextAsHint_) setToolTip(ToQString(Text()));
    update();
    if (listTakenOver_) view()->viewport()->update();
}

// ---------------------------------------------------------------- the open list

void TKestCheckedComboBox::showPopup()
{
    if (!listTakenOver_) {
        view()->viewport()->installEventFilter(this);
        view()->installEventFilter(this);
        listTakenOver_ = true;
    }
    QComboBox::showPopup();
}

void TKestCheckedComboBox::ToggleFromList(int index)
{
    if (index < 0 || index >= int(items_.size())) return;
    SetCheck(index, !IsChecked(index));
    emit OnChange();
}

// A click on an item or a Space toggles it, and the list stays open.
bool TKestCheckedComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (listTakenOver_ && watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const QModelIndex index = view()->indexAt(mouse->position().toPoint());
        if (!index.isValid()) return false;
        ToggleFromList(index.row());
        return true;
    }
    if (listTakenOver_ && watched == view() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        ToggleFromList(view()->currentIndex().row());
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

// ---------------------------------------------------------------- drawing and focus

void TKestCheckedComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = ToQString(CheckedNames());
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.fillRect(field, background_);
    option.palette.setColor(QPalette::ButtonText, palette().color(QPalette::Text));
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void TKestCheckedComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    if (entered_) return; // back from the open list or another window
    entered_ = true;
    background_ = Qt::white;
    update();
    emit OnEnter();
}

void TKestCheckedComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (!entered_ || !IsLeave(event)) return;
    entered_ = false;
    background_ = colorNotFocus_;
    update();
    emit OnExit();
}

void TKestCheckedComboBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (!menu_) return QComboBox::contextMenuEvent(event);
    menu_->exec(event->globalPos());
}

} // namespace kiosk
