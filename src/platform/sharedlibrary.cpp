#include "platform/sharedlibrary.h"

#include <dlfcn.h>
#include <utility>

namespace kiosk {

SharedLibrary::~SharedLibrary() { Unload(); }

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)), error_(std::move(other.error_))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool SharedLibrary::Load(const std::string& path)
{
    Unload();
    path_ = path;
    error_.clear();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* e = dlerror();
        error_ = e ? e : ("cannot load " + path);
        return false;
    }
    return true;
}

void SharedLibrary::Unload()
{
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::Symbol(const std::string& name)
{
    if (!handle_) {
        error_ = "library not loaded";
        return nullptr;
    }
    dlerror();
    void* sym = dlsym(handle_, name.c_str());
    if (!sym) {
        const char* e = dlerror();
        error_ = e ? e : ("symbol not found: " + name);
    }
    return sym;
}

} // namespace kiosk
