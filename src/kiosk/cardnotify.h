#pragma once
// ICardNotify: how a contactless IC card reader tells a window about a card laid on it. The
// kiosk's main window takes such a card as a driver login; no reader of this kind is built
// into the kiosk, a device package would report through this interface.
#include <cstdint>
#include <string>

#include "core/interface.h"

namespace kiosk {

struct TCardRecord {
    int result = 0;            // 0: the card was read
    std::int64_t serial = 0;   // the card's serial number
    std::string cardNo;        // the card number (8-bit text)
};

class ICardNotify : public virtual IInterface {
public:
    static inline const TGUID IID = TGUID::FromText("{D2DDE73F-39F9-4A54-B7D8-E0A509CC6E03}");
    virtual void CardNotify(const TCardRecord& card) = 0;
};

} // namespace kiosk
