#include "platform/inifile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <unistd.h>

#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName))
{
    std::ifstream in(fileName_, std::ios::binary);
    if (!in) return;
    std::ostringstream text;
    text << in.rdbuf();
    Parse(text.str());
}

void TIniFile::Parse(std::string_view text)
{
    // An editor that saved the file twice over may leave the byte-order mark twice; every one of
    // them is only a mark, so the first line means the same after the file is saved again.
    while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    sections_.push_back(Section{});
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const bool last = end >= text.size();
        if (!(last && line.empty())) {
            const std::string trimmed = Trim(line);
            if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
                sections_.push_back(Section{Trim(std::string_view(trimmed).substr(1, trimmed.size() - 2)), true, {}});
            } else {
                const std::size_t eq = trimmed.find('=');
                const bool comment = !trimmed.empty() && (trimmed[0] == ';' || trimmed[0] == '#');
                std::string key = eq == std::string::npos ? std::string() : Trim(std::string_view(trimmed).substr(0, eq));
                if (comment || key.empty())
                    sections_.back().lines.push_back(Line{{}, {}, std::string(line)});
                else
                    sections_.back().lines.push_back(Line{key, Trim(std::string_view(trimmed).substr(eq + 1)), {}});
            }
        }
        if (last) break;
        pos = end + 1;
    }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const
{
    for (const auto& s : sections_)
        if (s.header && SameText(s.name, name)) return &s;
    return nullptr;
}

TIniFile::Section* TIniFile::FindSection(std::string_view name)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

TIniFile::Section& TIniFile::SectionFor(std::string_view name)
{
    if (Section* s = FindSection(name)) return *s;
    if (sections_.empty()) sections_.push_back(Section{});
    sections_.push_back(Section{std::string(name), true, {}});
    return sections_.back();
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    if (const Section* s = FindSection(section))
        for (const auto& l : s->lines)
            if (l.IsEntry() && SameText(l.key, key)) return l.value;
    return std::string(def);
}

long long TIniFile::ReadInteger(std::string_view section, std::string_view key, long long def) const
{
    std::int64_t v = 0;
    return TryStrToInt64(ReadString(section, key), v) ? v : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    if (const Section* s = FindSection(section))
        for (const auto& l : s->lines)
            if (l.IsEntry() && SameText(l.key, key)) return true;
    return false;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::vector<std::string> names;
    for (const auto& s : sections_)
        if (s.header) names.push_back(s.name);
    return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const Section* s = FindSection(section))
        for (const auto& l : s->lines)
            if (l.IsEntry()) keys.push_back(l.key);
    return keys;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Section& s = SectionFor(section);
    bool found = false;
    for (auto& l : s.lines)
        if (l.IsEntry() && SameText(l.key, key)) {
            l.value = std::string(value);
            found = true;
            break;
        }
    if (!found) {
        // New keys go after the section's last entry, ahead of trailing blank lines.
        auto at = s.lines.end();
        while (at != s.lines.begin() && !std::prev(at)->IsEntry() && Trim(std::prev(at)->raw).empty()) --at;
        s.lines.insert(at, Line{std::string(key), std::string(value), {}});
    }
    Save();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, long long value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    Section* s = FindSection(section);
    if (!s) return;
    std::erase_if(s->lines, [&](const Line& l) { return l.IsEntry() && SameText(l.key, key); });
    Save();
}

void TIniFile::EraseSection(std::string_view section)
{
    std::erase_if(sections_, [&](const Section& s) { return s.header && SameText(s.name, section); });
    Save();
}

std::string TIniFile::ToText() const
{
    std::string out;
    for (const auto& s : sections_) {
        if (s.header) out += "[" + s.name + "]\r\n";
        for (const auto& l : s.lines) out += (l.IsEntry() ? l.key + "=" + l.value : l.raw) + "\r\n";
    }
    return out;
}

void TIniFile::Save() const
{
    const std::string tmp = fileName_ + ".tmp";
    const std::string text = ToText();
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) throw EInOutError("无法写入文件" + fileName_ + "：" + std::strerror(errno));
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool flushed = std::fflush(f) == 0 && fsync(fileno(f)) == 0;
    const int err = errno;
    std::fclose(f);
    if (!written || !flushed || std::rename(tmp.c_str(), fileName_.c_str()) != 0) {
        const int e = (written && flushed) ? errno : err;
        std::remove(tmp.c_str());
        throw EInOutError("无法写入文件" + fileName_ + "：" + std::strerror(e));
    }
}

} // namespace kiosk
