#include "core/idcardsdk.h"

#include <cstring>

namespace kiosk {

bool TIDCardSdk::Load(const std::string& library)
{
    loaded_ = false;
    if (!library_.Load(library)) return false;
    initComm_ = library_.Function<InitCommFn>("CVR_InitComm");
    closeComm_ = library_.Function<VoidFn>("CVR_CloseComm");
    authenticate_ = library_.Function<VoidFn>("CVR_Authenticate");
    readContent_ = library_.Function<ReadContentFn>("CVR_Read_Content");
    manuId_ = library_.Function<ManuIdFn>("GetManuID");
    loaded_ = initComm_ && closeComm_ && authenticate_ && readContent_ && manuId_;
    if (!loaded_) library_.Unload();
    return loaded_;
}

int TIDCardSdk::InitComm(int port) { return loaded_ ? initComm_(port) : 0; }
int TIDCardSdk::CloseComm() { return loaded_ ? closeComm_() : 0; }
int TIDCardSdk::Authenticate() { return loaded_ ? authenticate_() : 0; }
int TIDCardSdk::ReadContent(int active) { return loaded_ ? readContent_(active) : 0; }

int TIDCardSdk::ManuID(std::string& id)
{
    if (!loaded_) return 0;
    unsigned char buffer[128] = {};
    const int result = manuId_(buffer);
    buffer[sizeof buffer - 1] = 0;
    id.assign(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), sizeof buffer - 1));
    return result;
}

} // namespace kiosk
