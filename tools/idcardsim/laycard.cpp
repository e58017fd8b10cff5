// lay-card: lays a simulated ID card on the reader simulator, for the demo and the tests.
//   lay-card [--spool DIR] [--name NAME] [--sex 1|2] [--nation CODE] [--birth YYYYMMDD]
//            [--address TEXT] [--valid-from YYYYMMDD] [--valid-to YYYYMMDD|长期] ID_NUMBER
// The spool folder defaults to $KIOSK_IDCARD_SPOOL, else idcard-spool/ in $KIOSK_HOME.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::u16string FromUtf8(const std::string& s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        std::size_t len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else { cp = c & 0x07; len = 4; }
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// The field padded with blanks to its width (or cut to it).
std::u16string Field(const std::string& value, std::size_t width)
{
    std::u16string f = FromUtf8(value);
    f.resize(width, u' ');
    return f;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: lay-card [--spool DIR] [--name NAME] [--sex 1|2] [--nation CODE] [--birth YYYYMMDD]\n"
                 "                [--address TEXT] [--valid-from YYYYMMDD] [--valid-to YYYYMMDD|长期] ID_NUMBER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string spool, name = "张师傅", sex = "1", nation = "01", birth = "19800101", address = "广东省广州市天河区",
                       from = "20200101", to = "20400101", id;
    if (const char* env = std::getenv("KIOSK_IDCARD_SPOOL"); env && *env) spool = env;
    else if (const char* home = std::getenv("KIOSK_HOME"); home && *home) spool = (fs::path(home) / "idcard-spool").string();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == "--spool") ok = value(spool);
        else if (a == "--name") ok = value(name);
        else if (a == "--sex") ok = value(sex);
        else if (a == "--nation") ok = value(nation);
        else if (a == "--birth") ok = value(birth);
        else if (a == "--address") ok = value(address);
        else if (a == "--valid-from") ok = value(from);
        else if (a == "--valid-to") ok = value(to);
        else if (a == "--help" || a == "-h") return Usage();
        else if (!a.empty() && a[0] == '-') ok = false;
        else id = a;
        if (!ok) return Usage();
    }
    if (id.empty() || spool.empty()) return Usage();

    const std::u16string text = Field(name, 15) + Field(sex, 1) + Field(nation, 2) + Field(birth, 8) +
                                Field(address, 35) + Field(id, 18) + Field("广州市公安局", 15) + Field(from, 8) +
                                Field(to, 8) + Field("", 35);
    std::error_code ec;
    fs::create_directories(spool, ec);
    const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
    const fs::path tmp = fs::path(spool) / (std::to_string(stamp) + ".tmp");
    {
        std::ofstream out(tmp, std::ios::binary);
        for (char16_t c : text) {
            out.put(static_cast<char>(c & 0xFF));
            out.put(static_cast<char>(c >> 8));
        }
        if (!out) {
            std::fprintf(stderr, "lay-card: cannot write %s\n", tmp.c_str());
            return 1;
        }
    }
    // Renamed into place so the reader never sees half a card.
    const fs::path card = fs::path(spool) / (std::to_string(stamp) + ".card");
    fs::rename(tmp, card, ec);
    if (ec) {
        std::fprintf(stderr, "lay-card: %s\n", ec.message().c_str());
        return 1;
    }
    std::printf("%s\n", card.c_str());
    return 0;
}
