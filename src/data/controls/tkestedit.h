#pragma once
// TKestEdit: the kiosk's single-line edit. It cleans whatever is typed, pasted or set into it
// by its value type (the caret keeps its place), colours itself while focused and after a
// change, moves the focus on Enter and Esc with AutoTab, paints its text in DisEnableColor
// while disabled, and carries an identifier, a code and a value beside the text.
//
// Events for the forms: OnChange (after cleaning), OnEnter, OnExit, OnKeyDown, OnKeyPress,
// OnKeyUp and OnIdChange, as Qt signals named after the handlers they feed.
//
// Binding: SetDataField(&dataset, "endstation") shows that field of the dataset's current
// record and follows the cursor; the dataset is not owned and may die first.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "data/controls/qtext.h"
#include "data/controls/valuetype.h"

namespace kiosk {

class TDataSet;

// Letter case of what is typed (the platform edit's CharCase).
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TKestEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TKestEdit(QWidget* parent = nullptr);
    ~TKestEdit() override;

    // ---- values held beside the text
    std::int64_t Id() const { return id_; }
    // A different value fires OnIdChange.
    void SetId(std::int64_t value);
    const std::string& value() const { return value_; }
    void Setvalue(std::string value) { value_ = std::move(value); }
    const std::string& Code() const { return code_; }
    void SetCode(std::string value) { code_ = std::move(value); }

    // ---- the text in UTF-8
    std::string Text() const { return ToUtf8(text()); }
    // The text is cleaned before the platform's length limit cuts it: the limit is for typing,
    // and a long scan set here keeps the characters its value type allows.
    void SetText(std::string_view text);
    // The text trimmed of blanks; setting it puts the trimmed value in when it differs.
    std::string ValueTrim() const;
    void SetValueTrim(std::string_view value);

    // ---- cleaning and typing
    TValueType ValueType() const { return valueType_; }
    void SetValueType(TValueType value) { valueType_ = value; }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value) { charCase_ = value; }
    bool DoNilWhenNum() const { return doNilWhenNum_; }
    void SetDoNilWhenNum(bool value) { doNilWhenNum_ = value; }
    bool StopErrorKey() const { return stopErrorKey_; }
    void SetStopErrorKey(bool value) { stopErrorKey_ = value; }
    bool AutoTab() const { return autoTab_; }
    void SetAutoTab(bool value) { autoTab_ = value; }
    QWidget* PerTabComponent() const { return perTab_; }
    void SetPerTabComponent(QWidget* value) { perTab_ = value; }
    QWidget* NextTabComponent() const { return nextTab_; }
    void SetNextTabComponent(QWidget* value) { nextTab_ = value; }
    // Stored settings without behaviour of their own.
    bool OnFocusSelectAll() const { return onFocusSelectAll_; }
    void SetOnFocusSelectAll(bool value) { onFocusSelectAll_ = value; }
    const QFont& DisEnableFont() const { return disEnableFont_; }
    void SetDisEnableFont(const QFont& value) { disEnableFont_ = value; }

    // ---- colours
    QColor OnEnterColor() const { return enterColor_; }
    void SetOnEnterColor(const QColor& value) { enterColor_ = value; }
    QColor OnExitColot() const { return exitColor_; }
    void SetOnExitColot(const QColor& value) { exitColor_ = value; }
    QColor OnChangeColor() const { return changeColor_; }
    void SetOnChangeColor(const QColor& value) { changeColor_ = value; }
    bool DisEnableType() const { return disEnableType_; }
    void SetDisEnableType(bool value);
    QColor DisEnableColor() const { return disEnableColor_; }
    void SetDisEnableColor(const QColor& value);
    // The background now (the enter, exit or change colour).
    QColor BackgroundColor() const;

    // ---- change tracking
    const std::string& OldValue() const { return oldValue_; }
    // Also switches OnChangeColorSet on for a non-empty value and off for an empty one.
    void SetOldValue(std::string value);
    bool OnChangeColorSet() const { return changeColorSet_; }
    void SetOnChangeColorSet(bool value) { changeColorSet_ = value; }
    QLabel* BindLabel() const { return bindLabel_; }
    void SetBindLabel(QLabel* label) { bindLabel_ = label; }
    // "" when the trimmed text equals the trimmed OldValue; otherwise the BindLabel caption and
    // "原:" + OldValue + ";新" + text, or "=" + text when OldValue is empty.
    std::string GetChangeText() const;

    // ---- dataset binding (display only)
    void SetDataField(TDataSet* dataSet, std::string fieldName);

signals:
    void OnIdChange();
    void OnChange();
    void OnEnter();
    void OnExit();
    void OnKeyDown(int key, Qt::KeyboardModifiers shift);
    void OnKeyPress(QChar key);
    void OnKeyUp(int key, Qt::KeyboardModifiers shift);

protected:
    // The overridable steps, in the order of the platform edit: Change after every cleaned
    // text change, DoEnter / DoExit when the focus comes and goes inside the window.
    virtual void Change();
    virtual void DoEnter();
    virtual void DoExit();
    // Key handling below the signals; return true when the key was consumed.
    virtual bool KeyDown(QKeyEvent* event);
    virtual void KeyUp(QKeyEvent* event);

    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

    // Runs a handler step so that no exception leaves the event handler: a failure goes to the
    // application's error box.
    template <typename Step>
    void Guarded(Step step);

private:
    class Cleaner;
    class FieldLink;
    friend class Cleaner;

    // `input` after the letter case and the value type's rule; `caret` (UTF-16) keeps its place.
    QString Cleaned(const QString& input, int& caret) const;
    bool TextChanged() const;
    void SetBackground(const QColor& color);
    void ApplyDisabledColor();
    bool MoveFocusOnKey(int key);
    void SelectCharacterToOverwrite();

    std::int64_t id_ = 0;
    std::string value_;
    std::string code_;
    TValueType valueType_ = ssString;
    TEditCharCase charCase_ = ecNormal;
    bool doNilWhenNum_ = false;
    bool stopErrorKey_ = true;
    bool autoTab_ = false;
    QPointer<QWidget> perTab_;
    QPointer<QWidget> nextTab_;
    bool onFocusSelectAll_ = false;
    QFont disEnableFont_;
    QColor enterColor_;
    QColor exitColor_;
    QColor changeColor_;
    bool disEnableType_ = true;
    QColor disEnableColor_;
    std::string oldValue_;
    bool changeColorSet_ = false;
    QPointer<QLabel> bindLabel_;
    std::unique_ptr<FieldLink> fieldLink_;
    bool entered_ = false; // between DoEnter and DoExit
};

// Reports a failure inside an event handler in the application's error box.
void ReportHandlerError(const std::exception& e);

// Runs a handler's work so that no exception leaves it: a failure goes to the error box.
template <typename Step>
void ReportingErrors(Step step)
{
    try {
        step();
    } catch (const std::exception& e) {
        ReportHandlerError(e);
    }
}

template <typename Step>
void TKestEdit::Guarded(Step step)
{
    ReportingErrors(step);
}

} // namespace kiosk
