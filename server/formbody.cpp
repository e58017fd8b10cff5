#include "formbody.h"

#include <array>
#include <set>

namespace stationd {

namespace {

struct Escape {
    std::string_view code;
    char plain;
};

constexpr std::array<Escape, 4> kEntities{{{"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}}};

bool StartsEntity(std::string_view text, std::size_t at)
{
    for (const auto& entity : kEntities)
        if (text.substr(at, entity.code.size()) == entity.code)
            return true;
    return false;
}

// The end of a value starting at `from`: the next "&" that does not open an escape.
std::size_t ValueEnd(std::string_view body, std::size_t from)
{
    std::size_t at = from;
    while ((at = body.find('&', at)) != std::string_view::npos) {
        if (!StartsEntity(body, at))
            return at;
        ++at;
    }
    return body.size();
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        unsigned code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else
            return false;
        if (i + extra >= text.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string DecodeFormValue(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        bool decoded = false;
        if (raw[i] == '&') {
            for (const auto& entity : kEntities) {
                if (raw.substr(i, entity.code.size()) == entity.code) {
                    out.push_back(entity.plain);
                    i += entity.code.size();
                    decoded = true;
                    break;
                }
            }
        } else if (raw[i] == '%' && i + 2 < raw.size()) {
            const std::string_view code = raw.substr(i + 1, 2);
            if (code == "25") {
                out.push_back('%');
                i += 3;
                decoded = true;
            } else if (code == "3F" || code == "3f") {
                out.push_back('?');
                i += 3;
                decoded = true;
            }
        }
        if (!decoded)
            out.push_back(raw[i++]);
    }
    return out;
}

FormParams ParseFormBody(std::string_view body)
{
    if (!IsValidUtf8(body))
        throw FormError("请求内容不是有效的UTF-8文本");
    if (body.find('\0') != std::string_view::npos)
        throw FormError("请求内容含有空字符");
    FormParams params;
    std::set<std::string, std::less<>> names;
    // A body that does not start with "&" is read as if it did.
    std::size_t at = (!body.empty() && body.front() == '&') ? 1 : 0;
    while (at < body.size()) {
        if (body[at] == '&') {
            ++at;
            continue;
        }
        const std::size_t equals = body.find('=', at);
        const std::size_t amp = body.find('&', at);
        if (equals == std::string_view::npos || (amp != std::string_view::npos && amp < equals))
            throw FormError("参数缺少“=”：" + std::string(body.substr(at, std::min(amp, body.size()) - at)));
        const std::string name(body.substr(at, equals - at));
        if (name.empty())
            throw FormError("参数名称为空");
        const std::size_t end = ValueEnd(body, equals + 1);
        if (!names.insert(name).second)
            throw FormError("参数重复：" + name);
        params.emplace_back(name, DecodeFormValue(body.substr(equals + 1, end - equals - 1)));
        at = end + 1;
    }
    return params;
}

} // namespace stationd
