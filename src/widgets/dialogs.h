#pragma once
// TDialogs (IDialog): the standard modal message boxes and the one-line input dialog.
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

// Registers IDialog with TDialogs as its implementation.
void RegisterDialogService();

} // namespace kiosk
