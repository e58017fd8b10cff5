#include "widgets/screentext.h"

#include "core/sysservice.h"

namespace kiosk {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

void LogWholeText(std::string_view text)
{
    try {
        if (auto log = QueryService<ILog>()) log->WriteLog("显示的文字过长，已截断，全文：" + std::string(text));
    } catch (...) {
        // The log is the second record; the screen shows the text all the same.
    }
}

} // namespace

// Counts characters (UTF-8 lead bytes) and line breaks only as far as the cut, so a text of
// many megabytes costs no more than a short one.
std::size_t ScreenTextLength(std::string_view text)
{
    int chars = 0;
    int lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsContinuationByte(text[i])) continue;
        if (chars == kScreenTextChars) return i;
        const bool lineBreak = text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
        if (lineBreak && ++lines > kScreenTextLines) return i;
        ++chars;
    }
    return text.size();
}

QString ScreenText(std::string_view text)
{
    const std::size_t length = ScreenTextLength(text);
    if (length == text.size()) return QString::fromUtf8(text.data(), qsizetype(text.size()));
    LogWholeText(text);
    std::string_view shown = text.substr(0, length);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.remove_suffix(1);
    return QString::fromUtf8(shown.data(), qsizetype(shown.size())) + QStringLiteral("…");
}

} // namespace kiosk
