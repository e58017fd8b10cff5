#pragma once
// A running stationd for one test: started from $KIOSK_BIN_DIR/stationd with a fresh database in
// a temporary folder, on a free loopback port (--port 0, the port read from its first line), and
// stopped with SIGTERM. Post() sends a body the way the kiosk encodes it.
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

    httplib::Client Client() const;
    httplib::Result Raw(const std::string& address, const std::string& body) const;
    // Posts to /KtBusWeb/<address>.action; fails the test unless the answer is 200 with a JSON object.
    Json Post(const std::string& address, const Params& params = {}) const;

private:
    void Start(const Options& options);

    std::shared_ptr<kiosk::test::TempFolder> folder_;
    int pid_ = -1;
    int port_ = 0;
};

// The value at a dotted path, or nullptr when a part is missing.
const Json* Path(const Json& object, const std::string& dotted);

} // namespace stationd::test
