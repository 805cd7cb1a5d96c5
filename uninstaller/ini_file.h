#pragma once
// Private-profile (INI) files with the Windows rules the uninstaller relies on: section and key names
// compare case-insensitively (ASCII), the first matching section and key win, a missing key yields the
// caller's default, and sections are listed in file order. Lines that are neither section headers nor
// "key=value" (comments, blank lines) are kept as they are when the text is written back, and every
// line keeps its own ending: an unchanged file writes back byte for byte. A file whose last line has
// no ending still ends without one after any edit; a line that stops being the last gets the ending
// of the line before it.
//
// Sections are indexed by name when the text is parsed (and after each edit that adds or removes
// lines), so a lookup costs a hash probe plus a scan of that one section, however many sections the
// file has.
//
// Any byte sequence parses; nothing here throws on bad input. Not thread-safe; one owner at a time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kwu {

// ASCII case-insensitive equality, the comparison Windows uses for section and key names.
bool equalsNoCase(std::string_view a, std::string_view b);

class IniFile {
  public:
    IniFile() = default;

    // Parses text. Lines end at "\n" or "\r\n"; the last line may have no ending.
    static IniFile parse(std::string_view text);
    // Reads and parses a file; nullopt when it cannot be read (missing, a folder, no permission).
    static std::optional<IniFile> load(const std::filesystem::path& file);

    // Every section header in file order, duplicates included (each "[" line opens one).
    std::vector<std::string> sectionNames() const;
    bool hasSection(std::string_view section) const;

    // The first section of a name, found once to read several of its keys. Valid until the next
    // edit.
    struct Section {
        std::size_t header = std::string::npos;  // npos: no such section
        std::size_t end = 0;                     // one past its last line
    };
    Section section(std::string_view name) const;

    // The value of key in the first section of that name, or fallback when either is missing.
    // At most maxChars characters are returned (the fixed text buffers of the script readers).
    std::string getString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t maxChars = std::string::npos) const;
    std::string getString(Section section, std::string_view key, std::string_view fallback,
                          std::size_t maxChars = std::string::npos) const;
    // Integer reading as the profile functions do it: fallback when the key is missing, otherwise
    // the leading decimal digits (after an optional sign); a value that is not a number reads 0 and
    // a negative number reads 0.
    long getInt(std::string_view section, std::string_view key, long fallback) const;
    long getInt(Section section, std::string_view key, long fallback) const;

    // Sets key in the first section of that name (appended after its last key when new); a missing
    // section is created at the end of the file. New lines take the ending of the line before them.
    void setString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the first such section below its header; the header stays, with its
    // ending.
    void clearSection(std::string_view section);
    // Removes the first such section, header and body. Returns whether one was there.
    bool removeSection(std::string_view section);
    // Removes every section of that name, header and body, in one pass. Returns how many there were.
    std::size_t removeSections(std::string_view section);

    std::string text() const;

    // How many slots of the section index lookups have probed since the file was parsed: a handful
    // per lookup however many sections there are, which is what keeps a script of a million items
    // linear.
    std::size_t indexProbes() const { return probes_; }

  private:
    enum class Kind : std::uint8_t { Other, Section, Key };
    enum class Ending : std::uint8_t { Lf, CrLf };
    // A line's bytes lie in store_ (the parsed text, then whatever edits wrote), so parsing copies
    // the text once instead of allocating for each line.
    struct Line {
        std::size_t at = 0, size = 0;  // the line as read or written, without its ending, in store_
        // Where the section or key name and the key's value (trimmed and unquoted) lie in the line.
        std::uint32_t nameAt = 0, nameSize = 0, valueAt = 0, valueSize = 0;
        Kind kind = Kind::Other;
        Ending ending = Ending::Lf;
    };
    std::string_view raw(const Line& line) const {
        return std::string_view(store_).substr(line.at, line.size);
    }
    std::string_view name(const Line& line) const { return raw(line).substr(line.nameAt, line.nameSize); }
    std::string_view value(const Line& line) const { return raw(line).substr(line.valueAt, line.valueSize); }
    // The line of store_[at, at + size).
    Line classify(std::size_t at, std::size_t size, Ending ending) const;
    // Appends text to store_ as a new line's bytes.
    Line appended(std::string_view text, Ending ending);
    Line keyLine(std::string_view key, std::string_view value, Ending ending);
    // Rebuilds the section index; every edit that adds or removes lines calls it.
    void reindex();
    // Index of the first header of section, or npos.
    std::size_t findSection(std::string_view section) const;
    // One past the last line of the section whose header is at index header.
    std::size_t sectionEnd(std::size_t header) const;
    const Line* findKey(Section section, std::string_view key) const;
    Ending endingBefore(std::size_t index) const;

    std::string store_;
    std::vector<Line> lines_;
    // The last line has no ending (each line still notes one, for when lines follow it).
    bool endsOpen_ = false;
    mutable std::size_t probes_ = 0;
    std::vector<std::size_t> headers_;  // line index of every header, in file order
    // An open-addressing table of the first header of every name: (hash of the name in lower case,
    // line index), a power of two long, empty slots holding npos.
    std::vector<std::pair<std::uint64_t, std::size_t>> byName_;
};

}  // namespace kwu
