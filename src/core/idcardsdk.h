#pragma once
// The ID card reader vendor's SDK, loaded at run time by name ("libtermb.so" on Linux,
// "termb.dll" on Windows). Without the library, or with one that lacks any of the five entry
// points, the reader simply cannot be opened.
#include <string>

#include "platform/sharedlibrary.h"

#ifdef _WIN32
#define KIOSK_SDK_CALL __stdcall
#else
#define KIOSK_SDK_CALL
#endif

namespace kiosk {

class TIDCardSdk {
public:
    static constexpr const char* kDefaultLibrary =
#ifdef _WIN32
        "termb.dll";
#else
        "libtermb.so";
#endif

    // Tries `library` (a path or a bare name for the loader's search).
    bool Load(const std::string& library);
    bool Loaded() const { return loaded_; }
    const std::string& ErrorText() const { return library_.ErrorText(); }

    // Each answers the SDK's result, 1 meaning success; 0 when the SDK is not loaded.
    int InitComm(int port);
    int CloseComm();
    int Authenticate();
    int ReadContent(int active);
    int ManuID(std::string& id);

private:
    using InitCommFn = int(KIOSK_SDK_CALL*)(int);
    using VoidFn = int(KIOSK_SDK_CALL*)();
    using ReadContentFn = int(KIOSK_SDK_CALL*)(int);
    using ManuIdFn = int(KIOSK_SDK_CALL*)(unsigned char*);

    SharedLibrary library_;
    bool loaded_ = false;
    InitCommFn initComm_ = nullptr;
    VoidFn closeComm_ = nullptr;
    VoidFn authenticate_ = nullptr;
    ReadContentFn readContent_ = nullptr;
    ManuIdFn manuId_ = nullptr;
};

} // namespace kiosk
