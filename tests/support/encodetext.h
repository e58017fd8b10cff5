#pragma once
// UTF-8 text in another charset (GBK, GB18030, Big5 …), as a station server sends its answers:
// for test servers and benchmarks that answer in the server's charset.
#include <iconv.h>

#include <cstddef>
#include <string>

namespace kiosk::test {

inline std::string EncodeText(const std::string& text, const char* charset)
{
    iconv_t cd = iconv_open(charset, "UTF-8");
    std::string in = text, out(text.size() * 4 + 16, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    iconv(cd, &from, &fromLeft, &to, &toLeft);
    iconv_close(cd);
    out.resize(out.size() - toLeft);
    return out;
}

} // namespace kiosk::test
