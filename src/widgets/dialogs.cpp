#include "widgets/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "core/sysfactory.h"
#include "platform/textutil.h"
#include "widgets/screentext.h"

namespace kiosk {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

ScopedDialogCapture::Capture& CurrentCapture()
{
    static ScopedDialogCapture::Capture capture;
    return capture;
}

int Box(QMessageBox::Icon icon, const std::string& caption, const std::string& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    if (const auto& capture = CurrentCapture()) {
        capture(text);
        return IDialog::mrNone;
    }
    QMessageBox box(icon, Q(caption), ScreenText(text), buttons, QApplication::activeWindow());
    box.setDefaultButton(defaultButton);
    switch (box.exec()) {
    case QMessageBox::Ok: return IDialog::mrOK;
    case QMessageBox::Cancel: return IDialog::mrCancel;
    case QMessageBox::Yes: return IDialog::mrYes;
    case QMessageBox::No: return IDialog::mrNo;
    default: return IDialog::mrNone;
    }
}

} // namespace

void TDialogs::ShowMessage(const std::string& text)
{
    Box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TDialogs::ShowMessageFmt(std::string_view format, std::initializer_list<std::string_view> args)
{
    ShowMessage(Format(format, args));
}

void TDialogs::ShowInfo(const std::string& text)
{
    Box(QMessageBox::Information, kApplicationTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

int TDialogs::ShowError(const std::string& text)
{
    return Box(QMessageBox::Critical, "错误", text, QMessageBox::Ok, QMessageBox::Ok);
}

void TDialogs::ShowException(const std::exception& e) { ShowError(e.what()); }

void TDialogs::ShowErrorFmt(std::string_view format, std::initializer_list<std::string_view> args)
{
    ShowError(Format(format, args));
}

void TDialogs::ShowWarning(const std::string& text)
{
    Box(QMessageBox::Warning, kApplicationTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TDialogs::Confirm(const std::string& caption, const std::string& text)
{
    return Box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == mrOK;
}

bool TDialogs::AskYesNo(const std::string& caption, const std::string& text)
{
    return Box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == mrYes;
}

bool TDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    if (const auto& capture = CurrentCapture()) {
        capture(prompt);
        return false;
    }
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(Q(caption));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Q(prompt), &dialog));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName("edit");
    edit->setMaxLength(255);
    edit->setText(Q(value));
    edit->selectAll();
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = edit->text().toStdString();
    return true;
}

ScopedDialogCapture::ScopedDialogCapture(Capture capture) { CurrentCapture() = std::move(capture); }

ScopedDialogCapture::~ScopedDialogCapture() { CurrentCapture() = nullptr; }

void RegisterDialogService()
{
    TIntfFactory::Create(IDialog::IID, [](IInterfacePtr& obj) { obj = std::make_shared<TDialogs>(); });
}

} // namespace kiosk
