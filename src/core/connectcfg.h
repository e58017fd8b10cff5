#pragma once
// TConnectCFG (IConnectCFG): reads the server's address from App.ini, points the shared
// connection at it, sends the connection test and sets the clock from the server's time.
#include "core/services.h"

namespace kiosk {

class TConnectCFG : public TInterfacedObject<IConnectCFG> {
public:
    // The cipher key of the encoded form of [server].
    static constexpr const char* kCipherKey = "qW$7&Lm9z";
    // The fixed path segment of the server URL.
    static constexpr const char* kPathSegment = "KtBusWeb";

    bool connectToServer() override;

private:
    void ReadConfig();
    bool ReadEncoded(const std::string& iniName);
    bool TestConnection(const std::string& host, int port, const std::string& pathSegment,
                        const std::string& serverSecretKey);

    std::string ip;
    int port = 0;
    std::string path;
    std::string secretKey;
};

// " " + the official name, as the host lookup has always given it to the server.
std::string LocalHostNameText(const std::string& officialName);

} // namespace kiosk
