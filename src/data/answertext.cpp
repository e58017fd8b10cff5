#include "data/answertext.h"

#include <iconv.h>
#include <json/json.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>

#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

constexpr const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

iconv_t AsIconv(void* p) { return p ? static_cast<iconv_t>(p) : kNoConverter; }

} // namespace

std::string CharsetOf(std::string_view contentType)
{
    const std::string lower = LowerCase(contentType);
    std::size_t at = lower.find("charset");
    while (at != std::string::npos) {
        std::size_t i = at + 7;
        while (i < lower.size() && lower[i] == ' ') ++i;
        if (i < lower.size() && lower[i] == '=') {
            ++i;
            while (i < lower.size() && lower[i] == ' ') ++i;
            std::size_t end = i;
            while (end < lower.size() && lower[end] != ';' && lower[end] != ' ' && lower[end] != ',') ++end;
            std::string name(contentType.substr(i, end - i));
            if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
                name = name.substr(1, name.size() - 2);
            return name;
        }
        at = lower.find("charset", at + 7);
    }
    return {};
}

bool IsUtf8Charset(std::string_view charset)
{
    if (charset.empty()) return true;
    const std::string upper = UpperCase(charset);
    return upper == "UTF-8" || upper == "UTF8";
}

TCharsetDecoder::~TCharsetDecoder()
{
    if (converter_) iconv_close(AsIconv(converter_));
}

namespace {

constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE, kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr std::size_t kTrails = kTrailLast - kTrailFirst + 1;

bool IsDoubleByteCharset(const std::string& upper)
{
    return upper == "GBK" || upper == "GB2312" || upper == "GB18030" || upper == "CP936" || upper == "EUC-CN" ||
           upper == "BIG5" || upper == "X-GBK";
}

// Appends the run of ASCII bytes at text[i…] and answers where it ends.
std::size_t AppendAscii(const std::string& text, std::size_t i, std::string& out)
{
    const std::size_t start = i;
    const std::size_t n = text.size();
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & 0x8080808080808080ULL) break;
        i += 8;
    }
    while (i < n && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    out.append(text, start, i - start);
    return i;
}

} // namespace

void TCharsetDecoder::Open(std::string_view charset)
{
    const std::string upper = UpperCase(charset);
    if (converter_ && upper == charset_) {
        iconv(AsIconv(converter_), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return;
    }
    if (converter_) iconv_close(AsIconv(converter_));
    converter_ = nullptr;
    charset_.clear();
    doubleBytes_.clear();
    const iconv_t cd = iconv_open("UTF-8", upper.c_str());
    if (cd == kNoConverter) throw Exception("服务器返回的字符集“" + std::string(charset) + "”无法识别");
    converter_ = cd;
    charset_ = upper;
    if (IsDoubleByteCharset(upper)) BuildDoubleByteTable();
}

void TCharsetDecoder::BuildDoubleByteTable()
{
    doubleBytes_.assign((kLeadLast - kLeadFirst + 1) * kTrails, TDoubleByte{{0, 0, 0}, 0});
    const iconv_t cd = AsIconv(converter_);
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char out[8];
            char* from = in;
            char* to = out;
            std::size_t fromLeft = 2, toLeft = sizeof out;
            const std::size_t rc = iconv(cd, &from, &fromLeft, &to, &toLeft);
            const std::size_t length = sizeof out - toLeft;
            if (rc == static_cast<std::size_t>(-1) || fromLeft != 0 || length == 0 || length > 3) {
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                continue;
            }
            TDoubleByte& entry = doubleBytes_[(lead - kLeadFirst) * kTrails + (trail - kTrailFirst)];
            std::memcpy(entry.utf8, out, length);
            entry.length = static_cast<unsigned char>(length);
        }
    }
}

std::size_t TCharsetDecoder::ConvertOne(const char* in, std::size_t left, std::string& out)
{
    const iconv_t cd = AsIconv(converter_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // GB18030 writes what GBK lacks in four bytes, the second a digit.
    const std::size_t window = left >= 4 && in[1] >= '0' && in[1] <= '9' ? 4 : std::min<std::size_t>(left, 2);
    char buffer[16];
    char* from = const_cast<char*>(in);
    char* to = buffer;
    std::size_t fromLeft = window, toLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &from, &fromLeft, &to, &toLeft);
    if (rc != static_cast<std::size_t>(-1) && fromLeft == 0) {
        out.append(buffer, sizeof buffer - toLeft);
        return window;
    }
    out.append(kReplacement);  // a byte the charset does not know
    return 1;
}

void TCharsetDecoder::ConvertWithTable(const std::string& text, std::string& out)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        i = AppendAscii(text, i, out);
        while (i < n) {
            const auto lead = static_cast<unsigned char>(text[i]);
            if (lead < 0x80) break;
            if (i + 1 < n && lead >= kLeadFirst && lead <= kLeadLast) {
                const auto trail = static_cast<unsigned char>(text[i + 1]);
                if (trail >= kTrailFirst && trail <= kTrailLast) {
                    const TDoubleByte& entry = doubleBytes_[(lead - kLeadFirst) * kTrails + (trail - kTrailFirst)];
                    if (entry.length) {
                        out.append(entry.utf8, entry.length);
                        i += 2;
                        continue;
                    }
                }
            }
            i += ConvertOne(text.data() + i, n - i, out);
        }
    }
}

void TCharsetDecoder::ConvertWithIconv(std::string& text, std::string& out)
{
    const iconv_t cd = AsIconv(converter_);
    char* in = text.data();
    std::size_t inLeft = text.size();
    std::size_t written = 0;
    while (true) {
        char* to = out.data() + written;
        std::size_t toLeft = out.size() - written;
        const std::size_t rc = inLeft ? iconv(cd, &in, &inLeft, &to, &toLeft) : iconv(cd, nullptr, nullptr, &to, &toLeft);
        written = out.size() - toLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        // An unknown sequence (EILSEQ) loses one byte, a cut one at the end (EINVAL) the rest.
        if (out.size() - written < sizeof kReplacement) out.resize(out.size() * 2 + 16);
        out.replace(written, sizeof kReplacement - 1, kReplacement);
        written += sizeof kReplacement - 1;
        if (errno == EINVAL) break;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(written);
}

void TCharsetDecoder::ToUtf8(std::string& text, std::string_view charset, std::size_t padding)
{
    if (IsUtf8Charset(charset)) return;
    Open(charset);
    std::string out;
    if (!doubleBytes_.empty()) {
        // Chinese double-byte text grows by half in UTF-8.
        out.reserve(text.size() + text.size() / 2 + padding);
        ConvertWithTable(text, out);
    } else {
        out.resize(text.size() + text.size() / 2 + 16);
        ConvertWithIconv(text, out);
    }
    out.reserve(out.size() + padding);
    text.swap(out);
}

std::optional<std::string> LenientToStrictJson(std::string_view text)
{
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;  // read over, not written back
    builder["allowTrailingCommas"] = true;
    builder["allowSingleQuotes"] = true;
    builder["failIfExtra"] = true;
    builder["stackLimit"] = 200;
    builder["skipBom"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors) || !value.isObject())
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;  // nested deeper than any answer is
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, value);
}

} // namespace kiosk
