#pragma once
// A fresh application folder under the system's temporary folder, removed afterwards.
#include <filesystem>
#include <string>

namespace kiosk::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder with a trailing separator, as AppPath gives it.
    std::string str() const { return path_.string() + "/"; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadFile(const std::filesystem::path& file);

} // namespace kiosk::test
