#include "support/recordingdialog.h"

#include "core/sysfactory.h"
#include "platform/textutil.h"

namespace kiosk::test {

namespace {
constexpr const char* kTitle = "自助检票打单系统";
}

void TRecordingDialog::ShowMessage(const std::string& text) { script_->calls.push_back({"ShowMessage", kTitle, text}); }
void TRecordingDialog::ShowMessageFmt(std::string_view format, std::initializer_list<std::string_view> args)
{
    ShowMessage(Format(format, args));
}
void TRecordingDialog::ShowInfo(const std::string& text) { script_->calls.push_back({"ShowInfo", kTitle, text}); }
int TRecordingDialog::ShowError(const std::string& text)
{
    script_->calls.push_back({"ShowError", "错误", text});
    return mrOK;
}
void TRecordingDialog::ShowException(const std::exception& e) { ShowError(e.what()); }
void TRecordingDialog::ShowErrorFmt(std::string_view format, std::initializer_list<std::string_view> args)
{
    ShowError(Format(format, args));
}
void TRecordingDialog::ShowWarning(const std::string& text) { script_->calls.push_back({"ShowWarning", kTitle, text}); }

bool TRecordingDialog::Answer()
{
    if (script_->answers.empty()) return script_->defaultAnswer;
    const bool a = script_->answers.front();
    script_->answers.pop_front();
    return a;
}

bool TRecordingDialog::Confirm(const std::string& caption, const std::string& text)
{
    script_->calls.push_back({"Confirm", caption, text});
    return Answer();
}

bool TRecordingDialog::AskYesNo(const std::string& caption, const std::string& text)
{
    script_->calls.push_back({"AskYesNo", caption, text});
    return Answer();
}

bool TRecordingDialog::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    script_->calls.push_back({"InputQuery", caption, prompt});
    const bool ok = Answer();
    if (ok && !script_->inputs.empty()) {
        value = script_->inputs.front();
        script_->inputs.pop_front();
    }
    return ok;
}

std::shared_ptr<TRecordingDialog::Script> RegisterRecordingDialog()
{
    auto script = std::make_shared<TRecordingDialog::Script>();
    TIntfFactory::Create(IDialog::IID, [script](IInterfacePtr& obj) { obj = std::make_shared<TRecordingDialog>(script); });
    return script;
}

} // namespace kiosk::test
