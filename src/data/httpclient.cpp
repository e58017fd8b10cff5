#include "data/httpclient.h"

#include <curl/curl.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) throw Exception("无法连接服务器:HTTP组件初始化失败");
    });
}

CURL* Handle(void* p) { return static_cast<CURL*>(p); }

} // namespace

struct THttpClient::Transfer {
    THttpAnswer answer;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
};

THttpClient::THttpClient() : curl_(nullptr), headers_(nullptr), error_{}
{
    InitCurlOnce();
    curl_ = curl_easy_init();
    if (!curl_) throw Exception("无法连接服务器:HTTP组件初始化失败");
    curl_slist* list = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded;charset=utf-8");
    list = curl_slist_append(list, "Expect:");
    list = curl_slist_append(list, "Accept:");
    headers_ = list;
    CURL* h = Handle(curl_);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(h, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &THttpClient::OnBody);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &THttpClient::OnHeader);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    // The cookie engine on, reading no file and writing none: the session lives as long as the handle.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    // 301, 302 and 303 are followed with a GET, 307 and 308 with the same POST, as browsers do.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    char* defaultCa = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CAINFO, &defaultCa) == CURLE_OK && defaultCa) defaultCaFile_ = defaultCa;
}

THttpClient::~THttpClient()
{
    curl_easy_cleanup(Handle(curl_));
    curl_slist_free_all(static_cast<curl_slist*>(headers_));
}

std::size_t THttpClient::OnBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    std::string& body = t->answer.Body;
    if (body.size() + n > t->maxBytes) {
        t->tooLarge = true;
        return 0;
    }
    if (body.capacity() < body.size() + n + kPadding) body.reserve(std::max(body.capacity() * 2, body.size() + n + kPadding));
    body.append(data, n);
    return n;
}

// Keeps the status text of the last status line ("HTTP/1.1 500 Internal Server Error") and
// makes room for a body whose length the server announced.
std::size_t THttpClient::OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    const std::string_view line(data, n);
    if (StartsText("HTTP/", line)) {
        t->answer.Body.clear();
        t->answer.ContentType.clear();
        const std::size_t code = line.find(' ');
        const std::size_t text = code == std::string_view::npos ? code : line.find(' ', code + 1);
        t->answer.StatusText = text == std::string_view::npos ? std::string() : TrimRight(line.substr(text + 1));
    } else if (StartsText("Content-Type:", line)) {
        t->answer.ContentType = Trim(line.substr(13));
    } else if (StartsText("Content-Length:", line)) {
        std::int64_t length = 0;
        if (TryStrToInt64(Trim(line.substr(15)), length) && length > 0 && std::size_t(length) <= t->maxBytes)
            t->answer.Body.reserve(std::size_t(length) + kPadding);
    }
    return n;
}

THttpAnswer THttpClient::Post(const std::string& url, std::string_view body, const THttpOptions& options)
{
    CURL* h = Handle(curl_);
    Transfer transfer;
    transfer.maxBytes = options.MaxAnswerBytes;
    error_[0] = '\0';
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, options.ConnectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, options.TimeoutMs);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.MaxAnswerBytes));
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    if (options.CaFile != caFile_) {
        caFile_ = options.CaFile;
        const std::string& ca = caFile_.empty() ? defaultCaFile_ : caFile_;
        curl_easy_setopt(h, CURLOPT_CAINFO, ca.empty() ? nullptr : ca.c_str());
    }
    if (options.UserName.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, static_cast<const char*>(nullptr));
        curl_easy_setopt(h, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
        curl_easy_setopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    } else {
        curl_easy_setopt(h, CURLOPT_USERNAME, options.UserName.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, options.Password.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
    }
    const CURLcode code = curl_easy_perform(h);
    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        throw Exception(Format("服务器返回的数据超过%sMB，已拒绝接收", {IntToStr(std::int64_t(options.MaxAnswerBytes >> 20))}));
    if (code != CURLE_OK) {
        const std::string text = error_[0] ? std::string(error_) : std::string(curl_easy_strerror(code));
        throw Exception("无法连接服务器:" + text);
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    transfer.answer.Status = status;
    if (transfer.answer.Body.capacity() < transfer.answer.Body.size() + kPadding)
        transfer.answer.Body.reserve(transfer.answer.Body.size() + kPadding);
    return std::move(transfer.answer);
}

std::string THttpClient::Cookies() const
{
    curl_slist* cookies = nullptr;
    std::string text;
    if (curl_easy_getinfo(Handle(curl_), CURLINFO_COOKIELIST, &cookies) != CURLE_OK) return text;
    for (const curl_slist* c = cookies; c; c = c->next) {
        text += c->data;
        text += '\n';
    }
    curl_slist_free_all(cookies);
    return text;
}

} // namespace kiosk
