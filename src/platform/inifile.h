#pragma once
// An INI file read and written faithfully: sections and keys keep their file order, lookup
// ignores letter case, comments, blank lines and unknown keys are kept, and a UTF-8 byte-order
// mark is accepted. Every write saves the whole file through a temporary file that is renamed
// over the old one, so a crash never leaves a torn file.
#include <string>
#include <string_view>
#include <vector>

namespace kiosk {

class TIniFile {
public:
    // Reads the file if it exists; a missing file reads as empty.
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // A value that is not an integer (after trimming) gives `def`.
    long long ReadInteger(std::string_view section, std::string_view key, long long def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Section names, and the keys of one section, in file order.
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(std::string_view section) const;

    // Writes raise EInOutError when the file cannot be saved.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, long long value);
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

    // The text that Save writes.
    std::string ToText() const;

private:
    struct Line {
        std::string key;   // empty for a raw line
        std::string value;
        std::string raw;   // comment, blank or unparsable line, kept as read
        bool IsEntry() const { return !key.empty(); }
    };
    struct Section {
        std::string name;  // empty for the lines before the first section header
        bool header = false;
        std::vector<Line> lines;
    };

    void Parse(std::string_view text);
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    Section& SectionFor(std::string_view name);
    void Save() const;

    std::string fileName_;
    std::vector<Section> sections_;
};

} // namespace kiosk
