#pragma once
// Text across the edge of the controls: the layers below speak UTF-8 std::string, Qt speaks
// QString. Positions inside a text are counted in characters (code points) below and in
// UTF-16 units in Qt.
#include <QString>
#include <string>
#include <string_view>

namespace kiosk {

inline QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

inline std::string ToUtf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// The number of characters in the first `utf16` units of `text`.
int CharacterIndex(const QString& text, int utf16);
// The UTF-16 position of character number `characters` of `text` (clamped to its end).
int Utf16Index(const QString& text, int characters);

} // namespace kiosk
