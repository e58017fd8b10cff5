#include "session.h"

#include <chrono>
#include <random>

namespace stationd {

namespace {

// 32 upper-case hexadecimal digits from the system's random source, as containers make them.
std::string NewSessionId()
{
    static thread_local std::random_device source;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string id;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t bits = source();
        for (int j = 0; j < 8; ++j, bits >>= 4)
            id.push_back(kDigits[bits & 0xF]);
    }
    return id;
}

std::int64_t NowSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

void Sessions::Prepare(Database& db)
{
    db.Script("CREATE TABLE IF NOT EXISTS httpsession(id TEXT PRIMARY KEY, userid INTEGER NOT NULL, "
              "created INTEGER NOT NULL, lastused INTEGER NOT NULL);");
}

std::string Sessions::Open(Database& db, std::int64_t userId) const
{
    const std::string id = NewSessionId();
    const std::int64_t now = NowSeconds();
    db.Run("INSERT INTO httpsession(id, userid, created, lastused) VALUES (?, ?, ?, ?)", {id, userId, now, now});
    return id;
}

bool Sessions::Touch(Database& db, const std::string& id) const
{
    if (id.empty())
        return false;
    const auto lastUsed = db.Int("SELECT lastused FROM httpsession WHERE id = ?", {id});
    if (!lastUsed)
        return false;
    if (timeoutMinutes_ <= 0)
        return true;
    const std::int64_t now = NowSeconds();
    if (now - *lastUsed > std::int64_t(timeoutMinutes_) * 60) {
        Close(db, id);
        return false;
    }
    // The idle clock is kept to the half minute, so a busy kiosk does not write on every request.
    if (now - *lastUsed >= 30)
        db.Run("UPDATE httpsession SET lastused = ? WHERE id = ?", {now, id});
    return true;
}

void Sessions::Close(Database& db, const std::string& id) const
{
    if (!id.empty())
        db.Run("DELETE FROM httpsession WHERE id = ?", {id});
}

std::string SessionIdOf(const std::string& cookieHeader)
{
    const std::string name = std::string(kSessionCookie) + "=";
    std::size_t at = 0;
    while (at < cookieHeader.size()) {
        while (at < cookieHeader.size() && (cookieHeader[at] == ' ' || cookieHeader[at] == ';'))
            ++at;
        const auto end = cookieHeader.find(';', at);
        const std::string pair = cookieHeader.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (pair.compare(0, name.size(), name) == 0)
            return pair.substr(name.size());
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return {};
}

std::string SessionCookie(const std::string& id, bool secure)
{
    return std::string(kSessionCookie) + "=" + id + "; Path=/KtBusWeb; HttpOnly" + (secure ? "; Secure" : "");
}

} // namespace stationd
