#include "e2e/privatecups.h"

#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace kiosk::test {

namespace {

const char* kCupsd = "/usr/sbin/cupsd";
const char* kPdfBackend = "/usr/lib/cups/backend/cups-pdf";
const char* kPdfModel = "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd";

void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file) << text;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

} // namespace

PrivateCups::PrivateCups()
{
    if (::geteuid() != 0) {
        reason_ = "a private cupsd needs root";
        return;
    }
    if (::access(kCupsd, X_OK) != 0 || !std::filesystem::exists(kPdfBackend)) {
        reason_ = "cupsd or cups-pdf is not installed";
        return;
    }
    const auto& root = folder_.path();
    for (const char* dir : {"conf", "conf/ppd", "spool", "cache", "state", "log"})
        std::filesystem::create_directories(root / dir);
    std::filesystem::create_directories(root / "tmp");
    // The filters run as lp: the tree is open to walk, the temporary folder to write.
    for (const auto& dir : {root, root / "spool", root / "cache", root / "state", root / "log"})
        std::filesystem::permissions(dir, std::filesystem::perms(0755));
    std::filesystem::permissions(root / "tmp", std::filesystem::perms(01777));
    socket_ = root / "cups.sock";
    const std::string r = root.string();
    WriteText(root / "cups-files.conf",
              "ServerRoot " + r + "/conf\nRequestRoot " + r + "/spool\nCacheDir " + r + "/cache\nStateDir " + r +
                  "/state\nTempDir " + r + "/tmp\nAccessLog " + r + "/log/access_log\nErrorLog " + r +
                  "/log/error_log\nPageLog " + r + "/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                  "SystemGroup root\nSandboxing Relaxed\n");
    WriteText(root / "cupsd.conf", "Listen " + socket_.string() +
                                       "\nWebInterface No\nBrowsing No\nLogLevel warn\n<Location />\n  Order allow,deny\n"
                                       "  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                       "  </Limit>\n</Policy>\n");
    const std::string config = (root / "cupsd.conf").string();
    const std::string files = (root / "cups-files.conf").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(kCupsd, kCupsd, "-f", "-c", config.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pid_ = pid;
    setenv("CUPS_SERVER", socket_.c_str(), 1);
    for (int i = 0; i < 100 && Run("lpstat -r 2>/dev/null").find("is running") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (Run("lpstat -r 2>/dev/null").find("is running") == std::string::npos) {
        reason_ = "cupsd did not start on " + socket_.string();
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return;
    }
    const passwd* user = ::getpwuid(::geteuid());
    pdfFolder_ = std::filesystem::path(user ? user->pw_dir : "/root") / "PDF";
    seen_ = PdfsNow();
}

PrivateCups::~PrivateCups()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    for (const auto& file : taken_) std::filesystem::remove(file, ec);
    unsetenv("CUPS_SERVER");
}

std::string PrivateCups::Run(const std::string& command) const
{
    FILE* pipe = popen(("CUPS_SERVER=" + Quoted(socket_.string()) + " " + command).c_str(), "r");
    if (!pipe) return {};
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) out.append(buf.data(), n);
    pclose(pipe);
    return out;
}

void PrivateCups::AddPdfQueue(const std::string& name, bool makeDefault)
{
    Run("lpadmin -p " + Quoted(name) + " -E -v cups-pdf:/ -m " + kPdfModel + " 2>/dev/null");
    if (makeDefault) Run("lpadmin -d " + Quoted(name));
    if (Run("lpstat -p " + Quoted(name) + " 2>&1").find("enabled") == std::string::npos)
        throw std::runtime_error("cannot add the queue " + name + ": " + Run("tail -5 " + Quoted((folder_ / "log/error_log").string())));
}

void PrivateCups::Disable(const std::string& queue) const { Run("cupsdisable " + Quoted(queue)); }

void PrivateCups::Enable(const std::string& queue) const { Run("cupsenable " + Quoted(queue)); }

int PrivateCups::PendingJobs(const std::string& queue) const
{
    const std::string listing = Run("lpstat -o " + Quoted(queue) + " 2>/dev/null");
    return static_cast<int>(std::count(listing.begin(), listing.end(), '\n'));
}

std::vector<std::filesystem::path> PrivateCups::PdfsNow() const
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::is_directory(pdfFolder_, ec))
        for (const auto& entry : std::filesystem::directory_iterator(pdfFolder_, ec))
            if (entry.path().extension() == ".pdf") files.push_back(entry.path());
    return files;
}

std::vector<std::filesystem::path> PrivateCups::NewPdfs(std::size_t count, int seconds)
{
    std::vector<std::filesystem::path> fresh;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        fresh.clear();
        for (const auto& file : PdfsNow())
            if (std::find(seen_.begin(), seen_.end(), file) == seen_.end()) fresh.push_back(file);
        // A job leaves the list when cups-pdf has written its file whole.
        const bool done = fresh.size() >= count && Run("lpstat -o 2>/dev/null").empty();
        if (done || std::chrono::steady_clock::now() >= until) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    seen_.insert(seen_.end(), fresh.begin(), fresh.end());
    taken_.insert(taken_.end(), fresh.begin(), fresh.end());
    return fresh;
}

} // namespace kiosk::test
