#pragma once
// TIDCardReader: the one ID card reader of the kiosk. Opens the device through the vendor SDK,
// polls it every 500 ms, turns what the SDK writes into a TIDCard and hands it to the forms
// that observe it.
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/idcardfile.h"
#include "core/idcardsdk.h"
#include "core/interface.h"

namespace kiosk {

struct TIDCard : TIDCardFields {
    QImage Fphoto;
};

class IIDCardfound : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{83C72C4E-9A64-4EF4-824E-C97148ABB935}");
    virtual void cardfound(const TIDCard& card) = 0;
};

class TIDCardReader : public QObject {
    Q_OBJECT
public:
    static constexpr int kPort = 1001;

    // The reader, created on first use; the same object until FreeInstance or a failed open.
    static TIDCardReader* GetInstance();
    static void FreeInstance();
    // The SDK library to load (App.ini [idcard] library); set before the first addObserver.
    static void SetLibrary(std::string library);
    // Whether the device has been opened; once true it stays true for the run.
    static bool DeviceOpen();

    // Registers a form as observer, opening the device the first time. Raises
    // "身份证读卡观察者必须是TCustomForm子类" when the observer is not a window. When the device
    // cannot be opened the observer is not registered, the hint is shown when asked for, and
    // the reader instance is dropped (the pointer the caller holds is then dangling-free:
    // the object is deleted later by the event loop).
    void addObserver(IIDCardfound* observer, bool hintWhenCantCon, bool notifyOnlyOnActivate);
    void removeObserver(IIDCardfound* observer);
    bool HasObserver(IIDCardfound* observer) const;

    QTimer* timerSearchCard;

public slots:
    // One polling step; never overlaps another.
    void timerSearchCardTimer();

private:
    explicit TIDCardReader(QObject* parent);
    struct Observer {
        IIDCardfound* intf;
        QPointer<QWidget> form;
        bool onlyWhenActive;
    };
    static bool Eligible(const Observer& o);
    bool OpenDevice(bool hintWhenCantCon);
    TIDCard ReadCard() const;

    std::vector<Observer> FNotifies;
    TIDCardSdk sdk_;
};

} // namespace kiosk
