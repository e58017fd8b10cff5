#pragma once
// The HTTP exchange of the connection: one libcurl easy handle, kept for the connection's life
// so that its requests ride one kept-alive TCP connection. Synchronous, with connect and total
// time-outs, and a cap on the answer's size. Like the HTTP component station servers are
// written for, it keeps the cookies the server sets (the staff login's session) in memory for
// the handle's life and sends them back, follows redirects, and speaks HTTPS with the server's
// certificate verified.
#include <cstddef>
#include <string>
#include <string_view>

namespace kiosk {

struct THttpOptions {
    std::string UserName;
    std::string Password;
    long ConnectTimeoutMs = 5000;
    long TimeoutMs = 30000;
    std::size_t MaxAnswerBytes = std::size_t(64) << 20;
    // A PEM file of the certificate authorities to trust for HTTPS besides the system's own
    // (a station's own CA); empty for the system's.
    std::string CaFile;
};

struct THttpAnswer {
    long Status = 0;
    std::string StatusText;
    // The Content-Type of the answer (of the last one, after redirects).
    std::string ContentType;
    // The body, with spare capacity behind it so the JSON reader can parse it in place.
    std::string Body;
};

class THttpClient {
public:
    // Bytes of spare capacity kept behind every answer body.
    static constexpr std::size_t kPadding = 64;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // POSTs `body` with the form content type. A failure to send or receive (no route,
    // refused, reset, time-out, a certificate that does not verify, too many redirects) raises
    // "无法连接服务器:" followed by libcurl's text; an answer over the size cap raises its own
    // text. Any HTTP status of the last answer comes back as it is.
    THttpAnswer Post(const std::string& url, std::string_view body, const THttpOptions& options);

    // The cookies the handle holds, one Netscape cookie-file line each (for the log and tests).
    std::string Cookies() const;

    // Redirects followed for one request at most.
    static constexpr long kMaxRedirects = 5;

private:
    struct Transfer;
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user);

    void* curl_;
    void* headers_;
    std::string caFile_;         // the CA file the handle was given last
    std::string defaultCaFile_;  // libcurl's own CA bundle
    char error_[256];
};

} // namespace kiosk
