#pragma once
// The IDialog test double: records every call and answers as told.
#include <deque>
#include <string>
#include <vector>

#include "core/services.h"

namespace kiosk::test {

struct DialogCall {
    std::string op;       // "ShowMessage", "ShowInfo", "ShowError", "ShowWarning", "Confirm", …
    std::string caption;  // given caption, or the one the real box would show
    std::string text;
};

class TRecordingDialog : public TInterfacedObject<IDialog> {
public:
    // Shared by every object the factory hands out, so a test sees the calls of all of them.
    struct Script {
        std::vector<DialogCall> calls;
        std::deque<bool> answers;       // Confirm / AskYesNo / InputQuery results, in order
        std::deque<std::string> inputs; // values InputQuery returns
        bool defaultAnswer = true;
    };
    explicit TRecordingDialog(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    void ShowMessage(const std::string& text) override;
    void ShowMessageFmt(std::string_view format, std::initializer_list<std::string_view> args) override;
    void ShowInfo(const std::string& text) override;
    int ShowError(const std::string& text) override;
    void ShowException(const std::exception& e) override;
    void ShowErrorFmt(std::string_view format, std::initializer_list<std::string_view> args) override;
    void ShowWarning(const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;

private:
    bool Answer();
    std::shared_ptr<Script> script_;
};

// Registers the double as the IDialog service and returns the script it records into.
std::shared_ptr<TRecordingDialog::Script> RegisterRecordingDialog();

} // namespace kiosk::test
