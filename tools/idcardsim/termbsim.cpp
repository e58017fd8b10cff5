// A stand-in for the ID card reader's SDK, for kiosks and tests without a reader. It exports
// the five entry points of the vendor library and is fed from a spool folder:
// - the reader "opens" when the spool folder exists ($KIOSK_IDCARD_SPOOL, default
//   idcard-spool/ in the application folder: $KIOSK_HOME, or the executable's folder);
// - a card lies on the reader while a file *.card is in the spool (the card's text in the
//   SDK's own format, UTF-16LE fixed-width fields), with an optional photo of the same name
//   and the extension .bmp;
// - reading writes wz.txt and zp.bmp into the application folder, as the real SDK does, and
//   takes the card away;
// - while a file named "hang" is in the spool, CVR_Authenticate does not return, as a vendor
//   SDK stuck on its device does (the tests of the kiosk's watchdog hold its thread with it).
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path ApplicationFolder()
{
    if (const char* home = std::getenv("KIOSK_HOME"); home && *home) return home;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

fs::path SpoolFolder()
{
    if (const char* spool = std::getenv("KIOSK_IDCARD_SPOOL"); spool && *spool) return spool;
    return ApplicationFolder() / "idcard-spool";
}

// The oldest card in the spool, by name (lay-card names cards by time).
fs::path NextCard()
{
    std::error_code ec;
    std::vector<fs::path> cards;
    for (const auto& entry : fs::directory_iterator(SpoolFolder(), ec))
        if (entry.path().extension() == ".card") cards.push_back(entry.path());
    if (cards.empty()) return {};
    return *std::min_element(cards.begin(), cards.end());
}

bool g_open = false;

// A 2 × 2 grey Windows bitmap, the photo of a card laid without one.
const unsigned char kGreyBmp[] = {
    'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
    0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0, 0};

} // namespace

extern "C" {

int CVR_InitComm(int /*port*/)
{
    std::error_code ec;
    g_open = fs::is_directory(SpoolFolder(), ec);
    return g_open ? 1 : 0;
}

int CVR_CloseComm()
{
    g_open = false;
    return 1;
}

int GetManuID(unsigned char* buffer)
{
    static const char kId[] = "SIM-READER-1";
    std::memcpy(buffer, kId, sizeof kId);
    return 1;
}

int CVR_Authenticate()
{
    std::error_code ec;
    while (fs::exists(SpoolFolder() / "hang", ec)) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return (g_open && !NextCard().empty()) ? 1 : 0;
}

int CVR_Read_Content(int /*active*/)
{
    if (!g_open) return 0;
    const fs::path card = NextCard();
    if (card.empty()) return 0;
    std::error_code ec;
    const fs::path home = ApplicationFolder();
    fs::copy_file(card, home / "wz.txt", fs::copy_options::overwrite_existing, ec);
    if (ec) return 0;
    fs::path photo = card;
    photo.replace_extension(".bmp");
    if (fs::exists(photo)) {
        fs::copy_file(photo, home / "zp.bmp", fs::copy_options::overwrite_existing, ec);
        fs::remove(photo, ec);
    } else if (FILE* f = std::fopen((home / "zp.bmp").c_str(), "wb")) {
        std::fwrite(kGreyBmp, 1, sizeof kGreyBmp, f);
        std::fclose(f);
    }
    fs::remove(card, ec);
    return 1;
}

} // extern "C"
