#include "data/controls/tkestedit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QValidator>

#include "core/sysservice.h"
#include "data/controls/kestcolors.h"
#include "platform/dataset.h"
#include "platform/textutil.h"

namespace kiosk {

int CharacterIndex(const QString& text, int utf16)
{
    int characters = 0;
    for (int i = 0; i < utf16 && i < text.size(); ++i)
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate()) ++characters;
    return characters;
}

int Utf16Index(const QString& text, int characters)
{
    int i = 0;
    for (int seen = 0; seen < characters && i < text.size(); ++seen) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        i += pair ? 2 : 1;
    }
    return i;
}

void ReportHandlerError(const std::exception& e)
{
    if (auto dialog = QueryService<IDialog>()) dialog->ShowException(e);
}

// Runs the letter case and the value type's cleaning rule inside every change of the text,
// before the edit takes it and before anyone hears of the change.
class TKestEdit::Cleaner : public QValidator {
public:
    explicit Cleaner(TKestEdit& edit) : QValidator(&edit), edit_(edit) {}

    State validate(QString& input, int& pos) const override
    {
        const QString text = edit_.Cleaned(input, pos);
        if (text != input) input = text;
        return Acceptable;
    }

private:
    TKestEdit& edit_;
};

// Shows one field of the dataset's current record.
class TKestEdit::FieldLink : public TDataLink {
public:
    FieldLink(TKestEdit& edit, std::string fieldName) : edit_(edit), fieldName_(std::move(fieldName)) {}
    void ActiveChanged() override { Show(); }
    void DataSetChanged() override { Show(); }
    void DataSetScrolled() override { Show(); }
    void RecordChanged(TField*) override { Show(); }

    void Show()
    {
        edit_.SetText(CurrentText());
    }

private:
    std::string CurrentText() const
    {
        TDataSet* ds = DataSet();
        if (!ds || !ds->Active() || ds->IsEmpty()) return {};
        const TField* field = ds->FindField(fieldName_);
        if (!field) return {};
        try {
            return field->AsString();
        } catch (const std::exception&) {
            return {};
        }
    }

    TKestEdit& edit_;
    std::string fieldName_;
};

TKestEdit::TKestEdit(QWidget* parent)
    : QLineEdit(parent), enterColor_(clSkyBlue), exitColor_(palette().color(QPalette::Active, QPalette::Base)),
      changeColor_(clChanged), disEnableColor_(Qt::red)
{
    setMaxLength(50);
    setValidator(new Cleaner(*this));
    ApplyDisabledColor();
    connect(this, &QLineEdit::textChanged, this, [this] { Guarded([this] { Change(); }); });
}

TKestEdit::~TKestEdit() = default;

QString TKestEdit::Cleaned(const QString& input, int& caret) const
{
    TCleanOptions options;
    options.DoNilWhenNum = doNilWhenNum_;
    if (valueType_ == ssYYYYMMDD) options.Today = DateTime::Today();
    const int at = CharacterIndex(input, caret);
    const QString cased = charCase_ == ecUpperCase ? input.toUpper() : charCase_ == ecLowerCase ? input.toLower() : input;
    const TEditText cleaned = CleanValueText(valueType_, {ToUtf8(cased), at, at}, options);
    const QString text = ToQString(cleaned.Text);
    caret = Utf16Index(text, cleaned.Caret);
    return text;
}

void TKestEdit::SetText(std::string_view text)
{
    const QString input = ToQString(text);
    int caret = int(input.size());
    setText(Cleaned(input, caret));
}

void TKestEdit::SetId(std::int64_t value)
{
    if (value == id_) return;
    id_ = value;
    emit OnIdChange();
}

std::string TKestEdit::ValueTrim() const { return Trim(Text()); }

void TKestEdit::SetValueTrim(std::string_view value)
{
    const std::string trimmed = Trim(value);
    if (trimmed != Text()) SetText(trimmed);
}

void TKestEdit::SetDisEnableType(bool value)
{
    disEnableType_ = value;
    ApplyDisabledColor();
}

void TKestEdit::SetDisEnableColor(const QColor& value)
{
    disEnableColor_ = value;
    ApplyDisabledColor();
}

// The platform paints a disabled edit's text in the style's grey; with DisEnableType the text
// itself is painted in DisEnableColor instead (a masked password stays masked).
void TKestEdit::ApplyDisabledColor()
{
    QPalette p = palette();
    p.setColor(QPalette::Disabled, QPalette::Text,
               disEnableType_ ? disEnableColor_ : QApplication::palette(this).color(QPalette::Disabled, QPalette::Text));
    setPalette(p);
}

QColor TKestEdit::BackgroundColor() const { return palette().color(QPalette::Active, QPalette::Base); }

void TKestEdit::SetBackground(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::Base, color);
    p.setColor(QPalette::Inactive, QPalette::Base, color);
    setPalette(p);
}

void TKestEdit::SetOldValue(std::string value)
{
    oldValue_ = std::move(value);
    changeColorSet_ = !oldValue_.empty();
}

bool TKestEdit::TextChanged() const { return Trim(Text()) != Trim(oldValue_); }

std::string TKestEdit::GetChangeText() const
{
    if (!TextChanged()) return {};
    std::string change = bindLabel_ ? ToUtf8(bindLabel_->text()) : std::string();
    if (oldValue_.empty()) change += "=" + Text();
    else change += "原:" + oldValue_ + ";新" + Text();
    return change;
}

void TKestEdit::SetDataField(TDataSet* dataSet, std::string fieldName)
{
    fieldLink_ = std::make_unique<FieldLink>(*this, std::move(fieldName));
    fieldLink_->SetDataSet(dataSet);
    fieldLink_->Show();
}

// ---------------------------------------------------------------- steps

void TKestEdit::Change() { emit OnChange(); }

void TKestEdit::DoEnter()
{
    SetBackground(enterColor_);
    emit OnEnter();
}

void TKestEdit::DoExit()
{
    SetBackground(changeColorSet_ && TextChanged() ? changeColor_ : exitColor_);
    emit OnExit();
}

bool TKestEdit::KeyDown(QKeyEvent* event) { return MoveFocusOnKey(event->key()); }

void TKestEdit::KeyUp(QKeyEvent*) {}

namespace {

bool CanTakeFocus(const QWidget* widget)
{
    return widget && widget->isVisible() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus;
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

} // namespace

bool TKestEdit::MoveFocusOnKey(int key)
{
    if (!autoTab_) return false;
    if (key == Qt::Key_Escape) {
        if (CanTakeFocus(perTab_)) perTab_->setFocus(Qt::BacktabFocusReason);
        else if (!perTab_) focusNextPrevChild(false);
        return true;
    }
    if (IsEnter(key)) {
        if (CanTakeFocus(nextTab_)) nextTab_->setFocus(Qt::TabFocusReason);
        else if (!nextTab_) focusNextPrevChild(true);
        return true;
    }
    return false;
}

// A time or a date is typed over digit by digit: the character at the caret is replaced.
void TKestEdit::SelectCharacterToOverwrite()
{
    if ((valueType_ != ssHHMM && valueType_ != ssYYYYMMDD) || hasSelectedText()) return;
    const int at = Utf16Index(text(), OverwritePosition(valueType_, CharacterIndex(text(), cursorPosition())));
    if (at < text().size()) setSelection(at, 1);
}

// ---------------------------------------------------------------- Qt events

void TKestEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // The focus coming back after a pop-up or another window is no new entry.
    if (entered_) return;
    entered_ = true;
    Guarded([this] { DoEnter(); });
}

void TKestEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
    if (!entered_) return;
    entered_ = false;
    Guarded([this] { DoExit(); });
}

void TKestEdit::keyPressEvent(QKeyEvent* event)
{
    Guarded([&] {
        emit OnKeyDown(event->key(), event->modifiers());
        const bool consumed = KeyDown(event);
        const QString typed = event->text();
        if (!typed.isEmpty()) emit OnKeyPress(typed.at(0));
        if (consumed) {
            event->accept();
            return;
        }
        if (!typed.isEmpty() && typed.at(0).isPrint()) {
            if (stopErrorKey_ && (typed == " " || typed == "'")) {
                event->accept();
                return;
            }
            SelectCharacterToOverwrite();
        }
        QLineEdit::keyPressEvent(event);
    });
}

void TKestEdit::keyReleaseEvent(QKeyEvent* event)
{
    QLineEdit::keyReleaseEvent(event);
    Guarded([&] {
        emit OnKeyUp(event->key(), event->modifiers());
        KeyUp(event);
    });
}

} // namespace kiosk
