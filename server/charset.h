#pragma once
// The charset of stationd's answers: UTF-8 by default, or GBK as many Chinese station servers
// answer (with the charset named in Content-Type, as the kiosk must read it).
#include <string>

namespace stationd {

// UTF-8 text in `charset` (an iconv name such as "GBK"); a character the charset lacks becomes
// "?". Throws std::runtime_error for a charset this machine cannot convert to.
std::string FromUtf8(const std::string& text, const std::string& charset);

// The Content-Type with its charset parameter set to `charset`.
std::string WithCharset(const std::string& contentType, const std::string& charset);

} // namespace stationd
