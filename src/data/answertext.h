#pragma once
// The answer's text as the JSON reader needs it: UTF-8 decoded from the charset that the
// server's Content-Type names, and, for an answer that strict JSON cannot read, the lenient
// reading that servers written against lenient parsers rely on (comments, single quotes,
// trailing commas).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiosk {

// The charset a Content-Type names ("application/json;charset=GBK" gives "GBK"), without
// quotes; empty when it names none.
std::string CharsetOf(std::string_view contentType);
// True for an empty name (an answer without charset is UTF-8) and for the names of UTF-8.
bool IsUtf8Charset(std::string_view charset);

// Turns an answer in a declared charset into UTF-8. It keeps the converter of the last charset
// for the connection's life, so an answer pays only for its conversion.
class TCharsetDecoder {
public:
    TCharsetDecoder() = default;
    ~TCharsetDecoder();
    TCharsetDecoder(const TCharsetDecoder&) = delete;
    TCharsetDecoder& operator=(const TCharsetDecoder&) = delete;

    // Replaces `text` by its UTF-8 form, with at least `padding` spare bytes of capacity behind
    // it. UTF-8 answers are left as they are. A byte sequence the charset does not know becomes
    // U+FFFD. A charset the machine cannot convert fails with "服务器返回的字符集“…”无法识别".
    void ToUtf8(std::string& text, std::string_view charset, std::size_t padding);

private:
    // One converted character of a double-byte charset (lead 0x81-0xFE, trail 0x40-0xFE):
    // its UTF-8 bytes, or length 0 where the charset has none.
    struct TDoubleByte {
        char utf8[3];
        unsigned char length;
    };

    void Open(std::string_view charset);
    void BuildDoubleByteTable();
    void ConvertWithTable(const std::string& text, std::string& out);
    void ConvertWithIconv(std::string& text, std::string& out);
    // Converts the one character at `in` (at most `left` bytes) with iconv; answers the bytes it took.
    std::size_t ConvertOne(const char* in, std::size_t left, std::string& out);

    std::string charset_;
    void* converter_ = nullptr;
    // The Chinese charsets, GBK and its relatives, are read through a table built once from
    // iconv: most of an answer is ASCII and two-byte characters, which then cost a lookup.
    std::vector<TDoubleByte> doubleBytes_;
};

// The lenient reading of an answer: comments, single-quoted strings and trailing commas are
// accepted. Answers the same value as strict JSON text (object keys in name order), or nothing
// when even the lenient reader cannot read it.
std::optional<std::string> LenientToStrictJson(std::string_view text);

} // namespace kiosk
