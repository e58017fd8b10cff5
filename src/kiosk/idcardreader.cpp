#include "kiosk/idcardreader.h"

#include <QApplication>
#include <QMessageBox>
#include <fstream>
#include <iterator>

#include "core/sysservice.h"
#include "platform/exception.h"

namespace kiosk {

namespace {

TIDCardReader* g_instance = nullptr;
bool g_deviceOpen = false;
std::string& LibraryName()
{
    static std::string name = TIDCardSdk::kDefaultLibrary;
    return name;
}

std::string AppFolder()
{
    auto info = QueryService<ISysInfo>();
    return info ? info->AppPath() : std::string();
}

// A file the SDK did not leave is a failed read: no card is reported from it.
std::string ReadWholeFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    if (!in) throw Exception("无法读取文件：" + name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TIDCardReader::TIDCardReader(QObject* parent) : QObject(parent)
{
    timerSearchCard = new QTimer(this);
    timerSearchCard->setInterval(500);
    connect(timerSearchCard, &QTimer::timeout, this, &TIDCardReader::timerSearchCardTimer);
}

TIDCardReader* TIDCardReader::GetInstance()
{
    // The timer belongs to the application object, so the reader does too.
    if (!g_instance) g_instance = new TIDCardReader(QCoreApplication::instance());
    return g_instance;
}

void TIDCardReader::FreeInstance()
{
    delete g_instance;
    g_instance = nullptr;
}

void TIDCardReader::SetLibrary(std::string library) { LibraryName() = std::move(library); }

bool TIDCardReader::DeviceOpen() { return g_deviceOpen; }

bool TIDCardReader::OpenDevice(bool hintWhenCantCon)
{
    const std::string& name = LibraryName();
    // A bare name is looked for in the application folder first, as the vendor's DLL would be.
    const std::string local = AppFolder() + name;
    const bool loaded = (name.find('/') == std::string::npos && sdk_.Load(local)) || sdk_.Load(name);
    g_deviceOpen = loaded && sdk_.InitComm(kPort) == 1;
    if (g_deviceOpen) {
        std::string manufacturer;
        sdk_.ManuID(manufacturer);
        timerSearchCard->start();
        return true;
    }
    if (hintWhenCantCon) {
        QMessageBox box(QMessageBox::NoIcon, "提示", "连接身份证读卡器失败,请连接好后,重新打开本模块！", QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
    sdk_.CloseComm();
    return false;
}

void TIDCardReader::addObserver(IIDCardfound* observer, bool hintWhenCantCon, bool notifyOnlyOnActivate)
{
    auto* form = dynamic_cast<QWidget*>(observer);
    if (!form || !form->isWindow()) throw Exception("身份证读卡观察者必须是TCustomForm子类");
    if (!g_deviceOpen && !OpenDevice(hintWhenCantCon)) {
        // Dropped: the next GetInstance makes a fresh reader that tries the device again.
        if (g_instance == this) g_instance = nullptr;
        deleteLater();
        return;
    }
    for (auto& o : FNotifies)
        if (o.intf == observer) {
            o.onlyWhenActive = notifyOnlyOnActivate;
            return;
        }
    FNotifies.push_back({observer, form, notifyOnlyOnActivate});
}

void TIDCardReader::removeObserver(IIDCardfound* observer)
{
    std::erase_if(FNotifies, [&](const Observer& o) { return o.intf == observer; });
}

bool TIDCardReader::HasObserver(IIDCardfound* observer) const
{
    for (const auto& o : FNotifies)
        if (o.intf == observer) return true;
    return false;
}

bool TIDCardReader::Eligible(const Observer& o)
{
    if (!o.form) return false;  // the form is gone
    if (!o.onlyWhenActive) return true;
    QWidget* form = o.form->window();
    if (!form->isVisible() || !form->isEnabled()) return false;
    const QWidget* active = QApplication::activeWindow();
    return active == form || !form->property("kioskMainForm").toBool();
}

TIDCard TIDCardReader::ReadCard() const
{
    const std::string folder = AppFolder();
    TIDCard card;
    static_cast<TIDCardFields&>(card) = ParseIdCardText(ReadWholeFile(folder + "wz.txt"));
    card.Fphoto.load(QString::fromStdString(folder + "zp.bmp"), "BMP");
    return card;
}

void TIDCardReader::timerSearchCardTimer()
{
    timerSearchCard->stop();
    try {
        bool anyEligible = false;
        for (const auto& o : FNotifies) anyEligible = anyEligible || Eligible(o);
        if (anyEligible && sdk_.Authenticate() == 1 && sdk_.ReadContent(1) == 1) {
            const TIDCard card = ReadCard();
            // An observer may remove itself or others while it handles the card.
            const std::vector<Observer> observers = FNotifies;
            for (const auto& o : observers) {
                if (!HasObserver(o.intf) || !Eligible(o)) continue;
                try {
                    o.intf->cardfound(card);
                } catch (...) {
                    // An observer's failure must not keep the card from the others.
                }
            }
        }
    } catch (...) {
        // Reading the card's files failed; the reader goes on polling.
    }
    if (g_instance == this) timerSearchCard->start();
}

} // namespace kiosk
