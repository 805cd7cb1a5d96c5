#pragma once
// Private-profile (INI) files with the Windows rules the uninstaller relies on: section and key names
// compare case-insensitively (ASCII), the first matching section and key win, a missing key yields the
// caller's default, and sections are listed in file order. Lines that are neither section headers nor
// "key=value" (comments, blank lines) are kept as they are when the file is written back.
//
// Any byte sequence parses; nothing here throws on bad input. Not thread-safe; one owner at a time.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kwu {

// ASCII case-insensitive equality, the comparison Windows uses for section and key names.
bool equalsNoCase(std::string_view a, std::string_view b);

class IniFile {
  public:
    IniFile() = default;

    // Parses text. Lines end at "\n"; a trailing "\r" is dropped (and remembered for writing back).
    static IniFile parse(std::string_view text);
    // Reads and parses a file; nullopt when it cannot be read (missing, a folder, no permission).
    static std::optional<IniFile> load(const std::filesystem::path& file);

    // Every section header in file order, duplicates included (each "[" line opens one).
    std::vector<std::string> sectionNames() const;
    bool hasSection(std::string_view section) const;

    // The value of key in the first section of that name, or fallback when either is missing.
    // At most maxChars characters are returned (the fixed text buffers of the script readers).
    std::string getString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t maxChars = std::string::npos) const;
    // Integer reading as the profile functions do it: fallback when the key is missing, otherwise
    // the leading decimal digits (after an optional sign); a value that is not a number reads 0 and
    // a negative number reads 0.
    long getInt(std::string_view section, std::string_view key, long fallback) const;

    // Sets key in the first section of that name (appended at its end when new); a missing section
    // is created at the end of the file.
    void setString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the first such section below its header; the header stays.
    void clearSection(std::string_view section);
    // Removes the first such section, header and body. Returns whether one was there.
    bool removeSection(std::string_view section);

    std::string text() const;
    // Writes the file through a temporary file in the same folder and a rename, so a reader sees
    // either the old or the new content. Returns false (the old file intact) on any failure.
    bool save(const std::filesystem::path& file) const;

  private:
    enum class Kind { Other, Section, Key };
    struct Line {
        Kind kind = Kind::Other;
        std::string raw;    // the line as read or written, without its line end
        std::string name;   // section or key name, trimmed
        std::string value;  // key value, trimmed and unquoted
    };
    static Line classify(std::string raw);
    // Index of the first header of section, or npos.
    std::size_t findSection(std::string_view section) const;
    // One past the last line of the section whose header is at index header.
    std::size_t sectionEnd(std::size_t header) const;
    const std::string* findValue(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    bool crlf_ = false;
};

// Writes text to file through a temporary file in the same folder and an atomic rename.
bool writeFileAtomically(const std::filesystem::path& file, std::string_view text);
// Reads a whole file; nullopt when it cannot be opened as a regular file.
std::optional<std::string> readWholeFile(const std::filesystem::path& file);

}  // namespace kwu
