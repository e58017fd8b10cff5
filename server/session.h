#pragma once
// HTTP sessions as a servlet container keeps them: the staff login opens one and the answer sets
// the JSESSIONID cookie; every later request of that kiosk carries it. Sessions live in the
// station database, so a server restarted on the same database keeps its kiosks logged in (a
// container saves its sessions on a clean stop), and they end at logout or, when a time-out is
// set, after that many idle minutes.
#include "database.h"

#include <cstdint>
#include <string>

namespace stationd {

inline constexpr const char* kSessionCookie = "JSESSIONID";

class Sessions {
public:
    // `timeoutMinutes` 0: sessions end at logout only.
    explicit Sessions(int timeoutMinutes) : timeoutMinutes_(timeoutMinutes) {}

    // Creates the session table of a database made before sessions were kept.
    static void Prepare(Database& db);
    // A new session for the logged-in user; answers its id.
    std::string Open(Database& db, std::int64_t userId) const;
    // True when the id names a live session; the session's idle time starts again.
    bool Touch(Database& db, const std::string& id) const;
    void Close(Database& db, const std::string& id) const;

private:
    int timeoutMinutes_;
};

// The JSESSIONID value of a Cookie header ("a=1; JSESSIONID=ABC"), empty when absent.
std::string SessionIdOf(const std::string& cookieHeader);
// The Set-Cookie value that hands a session to the kiosk.
std::string SessionCookie(const std::string& id, bool secure);

} // namespace stationd
