#pragma once
// The kiosk's error type: every failure carries the system's own text (UTF-8), which the
// screens show or log as it stands.
#include <stdexcept>
#include <string>

namespace kiosk {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Input/output failure (a file that cannot be created, opened or written).
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

} // namespace kiosk
