#pragma once
// TDialogs (IDialog): the standard modal message boxes and the one-line input dialog.
#include <functional>

#include "core/services.h"

namespace kiosk {

// The application title, the caption of the plain boxes.
inline constexpr const char* kApplicationTitle = "自助检票打单系统";

class TDialogs : public TInterfacedObject<IDialog> {
public:
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
};

// While a capture is set, no box is shown: each box's text goes to the capture (an unattended
// start-up shows the texts on its own page, where nobody has to touch them away) and every
// question is answered no. The capture ends with the object; captures do not nest.
class ScopedDialogCapture {
public:
    using Capture = std::function<void(const std::string& text)>;
    explicit ScopedDialogCapture(Capture capture);
    ~ScopedDialogCapture();
    ScopedDialogCapture(const ScopedDialogCapture&) = delete;
    ScopedDialogCapture& operator=(const ScopedDialogCapture&) = delete;
};

// Registers IDialog with TDialogs as its implementation.
void RegisterDialogService();

} // namespace kiosk
