#pragma once
// A shared library loaded at run time (dlopen), with symbol lookup and the loader's error text.
#include <string>

namespace kiosk {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;

    // Loads the library; false with ErrorText() set when it cannot be loaded.
    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    // The address of an exported symbol, or nullptr with ErrorText() set.
    void* Symbol(const std::string& name);
    template <typename Fn> Fn Function(const std::string& name) { return reinterpret_cast<Fn>(Symbol(name)); }

    const std::string& ErrorText() const { return error_; }
    const std::string& Path() const { return path_; }

private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};

} // namespace kiosk
