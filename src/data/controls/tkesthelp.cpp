#include "data/controls/tkesthelp.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "core/sysservice.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

void SetTextParam(TParams& params, std::string_view name, const std::string& value)
{
    TParam* param = params.FindParam(name);
    if (!param) param = &params.CreateParam(ftString, std::string(name), ptInput);
    param->SetAsString(value);
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The width an edit of the kiosk's forms has when it is created, before the form sizes it: the
// default drop-down width (this + 5) is then the width of the columns.
constexpr int kCreatedEditWidth = 121;

} // namespace

TKestHelp::TKestHelp(QWidget* parent)
    : TKestEdit(parent), dataSet_("jcdsHelp"), options_([this] {
          if (DropDownShown()) PlaceDropDown();
      })
{
    // The drop-down waits hidden inside the edit until the set-up puts it on the form.
    dropDown_ = new QFrame(this);
    dropDown_->setFrameShape(QFrame::Box);
    dropDown_->hide();
    grid_ = new TKtDbgridEh(dropDown_);
    grid_->SetRowSelect(true);
    grid_->SetDataSet(&dataSet_);
    auto* layout = new QVBoxLayout(dropDown_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);
    grid_->installEventFilter(this);
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this] {
        Guarded([this] {
            PickCurrentRow();
            HideDropDown();
        });
    });
    options_.SetHelpWidth(kCreatedEditWidth + 5);
}

TKestHelp::~TKestHelp()
{
    // On the form the drop-down is the form's child; it goes with the control all the same.
    delete dropDown_;
}

// ---------------------------------------------------------------- set-up

void TKestHelp::Init()
{
    if (compInit_) return;
    grid_->SetColumns(columns_);
    dropDown_->setParent(window());
    dropDown_->hide();
    dataSet_.SetRemoteServer(options_.HJSONConnection);
    // A form may have given "helpType" already; the control's own value goes into it.
    if (!dataSet_.Params().FindParam("helpType")) dataSet_.Params().CreateParam(ftString, "helpType", ptInput);
    if (!dataSet_.Params().FindParam("param")) dataSet_.Params().CreateParam(ftString, "param", ptInput);
    dataSet_.SetQueryAddress(options_.HQueryAddress.empty() ? "system/help" : options_.HQueryAddress);
    dataSet_.SetDataSourceName(options_.HDataSourceName.empty() ? "helpmap" : options_.HDataSourceName);
    compInit_ = true;
    PlaceDropDown();
}

bool TKestHelp::DataSetUsable() const
{
    return dataSet_.RemoteServer() && !Trim(dataSet_.DataSourceName()).empty() &&
           !Trim(dataSet_.QueryAddress()).empty();
}

// ---------------------------------------------------------------- the drop-down

int TKestHelp::DropDownWidth() const
{
    if (options_.HelpWidth() != THelpOptions::kWidthOfColumns) return options_.HelpWidth();
    int width = 20;
    for (const TKtColumn& column : grid_->Columns())
        if (column.Visible)
            width += (column.Width > 0 ? column.Width : grid_->horizontalHeader()->defaultSectionSize()) + 10;
    return width;
}

// Under the edit, kept inside the form; above the edit when there is no room below.
void TKestHelp::PlaceDropDown()
{
    QWidget* form = dropDown_->parentWidget();
    if (!compInit_ || !form || !form->isAncestorOf(this)) return;
    const int width = DropDownWidth();
    const int height = options_.HelpHeight();
    const QPoint corner = mapTo(form, QPoint(0, this->height()));
    const int left = std::max(0, std::min(corner.x(), form->width() - width));
    int top = corner.y();
    if (form->height() < corner.y() + height && corner.y() - this->height() - height >= 0)
        top = corner.y() - this->height() - height;
    dropDown_->setGeometry(left, top, width, height);
}

void TKestHelp::ShowDropDown()
{
    if (!compInit_) return;
    PlaceDropDown();
    dropDown_->show();
    dropDown_->raise();
    if (options_.HSkinData && dropDown_->parentWidget()) options_.HSkinData(*dropDown_->parentWidget());
}

void TKestHelp::HideDropDown()
{
    dropDown_->hide();
    dataSet_.Close();
}

// ---------------------------------------------------------------- searching and picking

void TKestHelp::Search(const std::string& text)
{
    dataSet_.Close();
    SetTextParam(dataSet_.Params(), "helpType", options_.HelpType);
    SetTextParam(dataSet_.Params(), "param", text);
    try {
        dataSet_.Open();
    } catch (const std::exception& e) {
        if (auto dialog = QueryService<IDialog>()) dialog->ShowMessage(std::string("a:") + e.what());
    }
}

void TKestHelp::PickCurrentRow()
{
    if (!dataSet_.Active() || dataSet_.IsEmpty()) return;
    picked_.clear();
    for (int i = 0; i < dataSet_.FieldCount(); ++i) {
        const TField& field = dataSet_.Fields(i);
        picked_.emplace_back(field.FieldName(), field.AsString());
    }
    dontFindData_ = true;
    SetText(Trim(dataSet_.FieldByName(options_.EdtField.empty() ? "name" : options_.EdtField).AsString()));
    isChange_ = false;
    std::int64_t id = 0;
    try {
        if (!TryStrToInt64(Trim(HelpFieldValue("id")), id)) id = 0;
    } catch (const NoFieldFindException&) {
        id = 0;
    }
    SetId(id);
    const bool gridHadFocus = grid_->hasFocus();
    dataSet_.Close();
    dontFindData_ = false;
    selectAll();
    if (gridHadFocus) setFocus(Qt::OtherFocusReason);
}

std::string TKestHelp::HelpFieldValue(std::string_view name) const
{
    if (isChange_) return {};
    for (const auto& [field, value] : picked_)
        if (SameText(field, name)) return value;
    throw NoFieldFindException(Format("TKestHelp:没有\"%s\"这个字段", {name}));
}

void TKestHelp::ClearPick()
{
    SetCode({});
    Setvalue({});
    SetId(0);
}

// Leaving without a pick: a typed text names nothing, so Id, Code and value are cleared.
void TKestHelp::Leave()
{
    HideDropDown();
    if (isChange_) ClearPick();
}

bool TKestHelp::KeepsFocus(const QWidget* widget) const { return widget == this || widget == grid_; }

// ---------------------------------------------------------------- steps

void TKestHelp::Change()
{
    TKestEdit::Change();
    const std::string trimmed = ValueTrim();
    if (trimmed.empty() || (!ignoreSearchFlag_.empty() && Text().starts_with(ignoreSearchFlag_))) {
        HideDropDown();
        SetId(0);
        return;
    }
    if (compInit_ && (notFocusedShowHelp_ || hasFocus() || grid_->hasFocus())) ShowDropDown();
    if (DropDownShown() && DataSetUsable()) {
        isChange_ = true;
        if (!dontFindData_) Search(trimmed);
    }
    dontFindData_ = false;
}

void TKestHelp::DoEnter()
{
    TKestEdit::DoEnter();
    if (!compInit_) Init();
}

void TKestHelp::DoExit()
{
    TKestEdit::DoExit();
    if (!KeepsFocus(QApplication::focusWidget())) Leave();
}

bool TKestHelp::KeyDown(QKeyEvent* event)
{
    if (dataSet_.Active()) {
        switch (event->key()) {
        case Qt::Key_Down:
            dataSet_.Next();
            return true;
        case Qt::Key_Up:
            dataSet_.Prior();
            return true;
        case Qt::Key_Escape:
            Leave();
            break;
        default:
            if (IsEnter(event->key())) {
                PickCurrentRow();
                HideDropDown();
            }
        }
    }
    return TKestEdit::KeyDown(event);
}

void TKestHelp::KeyUp(QKeyEvent* event)
{
    TKestEdit::KeyUp(event);
    if (event->key() == Qt::Key_Shift) ShowDropDown();
    else if (event->key() == Qt::Key_Space && DropDownShown() && Text().empty()) Search({});
}

// In the grid: Enter picks and puts the focus back on the edit; leaving the grid for anything
// but the edit is leaving the lookup.
bool TKestHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event)->key())) {
        Guarded([this] {
            PickCurrentRow();
            HideDropDown();
            setFocus(Qt::OtherFocusReason);
        });
        return true;
    }
    if (watched == grid_ && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            !KeepsFocus(QApplication::focusWidget()))
            Guarded([this] { Leave(); });
    }
    return TKestEdit::eventFilter(watched, event);
}

} // namespace kiosk
