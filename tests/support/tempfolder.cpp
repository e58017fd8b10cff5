#include "support/tempfolder.h"

#include <fstream>
#include <random>
#include <sstream>

namespace kiosk::test {

TempFolder::TempFolder()
{
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("kiosk-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::Write(const std::string& name, const std::string& content) const
{
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

std::string TempFolder::Read(const std::string& name) const { return ReadFile(path_ / name); }

std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace kiosk::test
