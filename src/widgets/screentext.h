#pragma once
// Texts from the server (a "msg", an error page's detail) are shown in message boxes and status
// lines whose size the server does not know. What a screen shows of such a text is cut here:
// a few hundred characters and a few lines, ended with "…". A cut text is written whole to the
// log, so nothing the server said is lost.
#include <QString>
#include <string>
#include <string_view>

namespace kiosk {

inline constexpr int kScreenTextChars = 300;
inline constexpr int kScreenTextLines = 8;

// The text as far as a screen can show it; the whole text goes to the log when it was cut.
QString ScreenText(std::string_view text);

// The length in bytes of the part of `text` a screen shows (the whole text when it fits).
std::size_t ScreenTextLength(std::string_view text);

} // namespace kiosk
