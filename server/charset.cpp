#include "charset.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace stationd {

namespace {

// The length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::string FromUtf8(const std::string& text, const std::string& charset)
{
    const iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("unknown charset " + charset);
    std::string out(text.size() + 16, '\0');
    std::string in = text;
    char* from = in.data();
    std::size_t fromLeft = in.size();
    std::size_t written = 0;
    while (fromLeft > 0) {
        char* to = out.data() + written;
        std::size_t toLeft = out.size() - written;
        const std::size_t rc = iconv(cd, &from, &fromLeft, &to, &toLeft);
        written = out.size() - toLeft;
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (written == out.size())
            out.resize(out.size() * 2);
        out[written++] = '?';
        const std::size_t skip = std::min(SequenceLength(static_cast<unsigned char>(*from)), fromLeft);
        from += skip;
        fromLeft -= skip;
    }
    iconv_close(cd);
    out.resize(written);
    return out;
}

std::string WithCharset(const std::string& contentType, const std::string& charset)
{
    const auto semicolon = contentType.find(';');
    return contentType.substr(0, semicolon) + ";charset=" + charset;
}

} // namespace stationd
