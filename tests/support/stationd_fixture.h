#pragma once
// A running stationd for one test: started from $KIOSK_BIN_DIR/stationd with a fresh database in
// a temporary folder, on a free loopback port (--port 0, the port read from its first line), and
// stopped with SIGTERM. Post() sends a body the way the kiosk encodes it.
//
// stationd wants the session of a staff login on every address but the connection test, the
// login and the open lookup: Client(), Raw() and Post() carry the session of a login of the demo
// account kiosk01 at outlet ZZ01, made on first use (a posted system/login goes without it, and
// after a posted system/logout the next request logs in anew); AnonymousClient() carries none.
#include "support/tempfolder.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

namespace stationd::test {

using Json = nlohmann::ordered_json;
using Params = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* kDemoDay = "2024-05-01";

// The kiosk's value escaping: & " < > % ? and nothing else.
std::string EncodeValue(const std::string& value);
// "&name=value…" with every value escaped.
std::string KioskBody(const Params& params);

class Stationd {
public:
    struct Options {
        bool fresh = true;
        std::vector<std::string> extra;
    };
    Stationd();
    explicit Stationd(const Options& options);
    // A second server on the same database folder as `other` (which must be stopped).
    Stationd(const Stationd& other, const Options& options);
    ~Stationd();
    Stationd(const Stationd&) = delete;
    Stationd& operator=(const Stationd&) = delete;

    int Port() const { return port_; }
    const kiosk::test::TempFolder& Folder() const { return *folder_; }
    std::string Database() const;
    // Stops the server with the signal and answers its exit status (-1 when it did not exit).
    int Stop(int signal = 15);
    std::string Log() const;

    // The CA that Client() verifies an HTTPS stationd (--tls-cert in `extra`) with.
    void SetCaFile(std::string caFile) { caFile_ = std::move(caFile); }
    // "http" or "https", as the server's first line said.
    const std::string& Scheme() const { return scheme_; }
    // The kiosk's URLHost for this server: scheme://127.0.0.1:port/KtBusWeb/
    std::string URLHost() const;
    httplib::Client Client() const;
    httplib::Client AnonymousClient() const;
    // "JSESSIONID=…" of the fixture's staff login (made on first use).
    std::string SessionCookie() const;
    httplib::Result Raw(const std::string& address, const std::string& body) const;
    // Posts to /KtBusWeb/<address>.action; fails the test unless the answer is 200 with a JSON object.
    Json Post(const std::string& address, const Params& params = {}) const;

private:
    void Start(const Options& options);

    std::shared_ptr<kiosk::test::TempFolder> folder_;
    int pid_ = -1;
    int port_ = 0;
    std::string scheme_ = "http";
    std::string caFile_;
    mutable std::string session_;
};

// The value at a dotted path, or nullptr when a part is missing.
const Json* Path(const Json& object, const std::string& dotted);

} // namespace stationd::test
