#pragma once
// The HTTP exchange of the connection: one libcurl easy handle, kept for the connection's life
// so that its requests ride one kept-alive TCP connection. Synchronous, with connect and total
// time-outs, and a cap on the answer's size.
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
};

struct THttpAnswer {
    long Status = 0;
    std::string StatusText;
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
    // refused, reset, time-out) raises "无法连接服务器:" followed by libcurl's text; an answer
    // over the size cap raises its own text. Any HTTP status comes back as it is.
    THttpAnswer Post(const std::string& url, std::string_view body, const THttpOptions& options);

private:
    struct Transfer;
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user);

    void* curl_;
    void* headers_;
    char error_[256];
};

} // namespace kiosk
