#pragma once
// TConnectCFG (IConnectCFG): reads the server's address from App.ini, points the shared
// connection at it, sends the connection test and sets the clock from the server's time.
#include "core/services.h"
#include "platform/inifile.h"

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
    void ReadTransport(const TIniFile& ini);
    bool TestConnection(const std::string& host, int port, const std::string& pathSegment,
                        const std::string& serverSecretKey);

    std::string ip;
    int port = 0;
    // [server] https=1: the server is reached over TLS (port 443 unless `port` says otherwise).
    bool https = false;
    std::string path;
    std::string secretKey;
};

// The server's base URL: "http://" (or "https://") + host + ":" + port + "/" + path segment + "/".
std::string ServerURL(bool https, const std::string& host, int port, const std::string& pathSegment);

// " " + the official name, as the host lookup has always given it to the server.
std::string LocalHostNameText(const std::string& officialName);

} // namespace kiosk
