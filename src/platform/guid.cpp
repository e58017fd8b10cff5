#include "platform/guid.h"

#include <random>

#include "platform/exception.h"

namespace kiosk {

namespace {

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Byte offsets of the groups in the text form 8-4-4-4-12.
constexpr int kGroupLengths[] = {8, 4, 4, 4, 12};

} // namespace

std::optional<TGUID> TGUID::Parse(std::string_view text)
{
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36) return std::nullopt;
    TGUID g;
    std::size_t pos = 0;
    int byte = 0;
    for (int group = 0; group < 5; ++group) {
        if (group > 0) {
            if (text[pos] != '-') return std::nullopt;
            ++pos;
        }
        for (int k = 0; k < kGroupLengths[group]; k += 2) {
            const int hi = Hex(text[pos]);
            const int lo = Hex(text[pos + 1]);
            if (hi < 0 || lo < 0) return std::nullopt;
            g.bytes_[static_cast<std::size_t>(byte++)] = static_cast<std::uint8_t>(hi * 16 + lo);
            pos += 2;
        }
    }
    return g;
}

TGUID TGUID::FromText(std::string_view text)
{
    auto g = Parse(text);
    if (!g) throw Exception("GUID格式错误：" + std::string(text));
    return *g;
}

TGUID TGUID::New()
{
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    TGUID g;
    for (std::size_t i = 0; i < 16; i += 8) {
        const std::uint64_t r = engine();
        for (std::size_t k = 0; k < 8; ++k) g.bytes_[i + k] = static_cast<std::uint8_t>(r >> (8 * k));
    }
    g.bytes_[6] = static_cast<std::uint8_t>((g.bytes_[6] & 0x0F) | 0x40);
    g.bytes_[8] = static_cast<std::uint8_t>((g.bytes_[8] & 0x3F) | 0x80);
    return g;
}

std::string TGUID::ToString() const
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "{";
    std::size_t byte = 0;
    for (int group = 0; group < 5; ++group) {
        if (group > 0) out += '-';
        for (int k = 0; k < kGroupLengths[group]; k += 2) {
            out += kDigits[bytes_[byte] >> 4];
            out += kDigits[bytes_[byte] & 0x0F];
            ++byte;
        }
    }
    out += '}';
    return out;
}

bool TGUID::IsNull() const
{
    for (auto b : bytes_)
        if (b != 0) return false;
    return true;
}

std::string NewGuidText() { return TGUID::New().ToString(); }

} // namespace kiosk
