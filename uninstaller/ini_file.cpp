#include "uninstaller/ini_file.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>

namespace kwu {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// FNV-1a over the name in lower case.
std::uint64_t hashNoCase(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : s) {
        h ^= static_cast<unsigned char>(lower(c));
        h *= 1099511628211ull;
    }
    return h;
}

// [first, size) of the trimmed part of s[from, to).
std::pair<std::size_t, std::size_t> trimmed(std::string_view s, std::size_t from, std::size_t to) {
    const std::string_view part = s.substr(from, to - from);
    const auto first = part.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {from, 0};
    const auto last = part.find_last_not_of(kBlanks);
    return {from + first, last - first + 1};
}

// The whole content of a regular file; nullopt when it cannot be opened as one.
std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(buffer).str();
}

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

IniFile::Line IniFile::classify(std::size_t lineAt, std::size_t lineSize, Ending ending) const {
    Line line;
    line.ending = ending;
    line.at = lineAt;
    line.size = lineSize;
    // Offsets are 32 bits; a longer line is kept but read as neither header nor key.
    if (lineSize > std::numeric_limits<std::uint32_t>::max()) return line;
    const std::string_view s = raw(line);
    const auto [at, size] = trimmed(s, 0, s.size());
    const std::string_view body = s.substr(at, size);
    if (!body.empty() && body.front() == '[') {
        // The name runs to the first "]" (or to the end of a line that has none).
        const auto close = body.find(']');
        const std::size_t end = close == std::string_view::npos ? at + size : at + close;
        const auto [nameAt, nameSize] = trimmed(s, at + 1, end);
        line.kind = Kind::Section;
        line.nameAt = static_cast<std::uint32_t>(nameAt);
        line.nameSize = static_cast<std::uint32_t>(nameSize);
    } else if (!body.empty() && body.front() != ';' && body.find('=') != std::string_view::npos) {
        const std::size_t eq = at + body.find('=');
        const auto [nameAt, nameSize] = trimmed(s, at, eq);
        auto [valueAt, valueSize] = trimmed(s, eq + 1, at + size);
        // The profile functions drop one pair of matching quotes around a value.
        if (valueSize >= 2 && (s[valueAt] == '"' || s[valueAt] == '\'') &&
            s[valueAt + valueSize - 1] == s[valueAt]) {
            valueAt += 1;
            valueSize -= 2;
        }
        line.kind = Kind::Key;
        line.nameAt = static_cast<std::uint32_t>(nameAt);
        line.nameSize = static_cast<std::uint32_t>(nameSize);
        line.valueAt = static_cast<std::uint32_t>(valueAt);
        line.valueSize = static_cast<std::uint32_t>(valueSize);
    }
    return line;
}

IniFile::Line IniFile::appended(std::string_view text, Ending ending) {
    // text may lie in store_ itself, which the append may move: copied first.
    const std::string copy(text);
    const std::size_t at = store_.size();
    store_ += copy;
    return classify(at, copy.size(), ending);
}

IniFile::Line IniFile::keyLine(std::string_view key, std::string_view value, Ending ending) {
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append("=").append(value);
    Line line = appended(text, ending);
    // Built, not read: the name and value are exactly what was given, whatever their blanks.
    line.kind = Kind::Key;
    line.nameAt = 0;
    line.nameSize = static_cast<std::uint32_t>(key.size());
    line.valueAt = static_cast<std::uint32_t>(key.size() + 1);
    line.valueSize = static_cast<std::uint32_t>(value.size());
    return line;
}

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    ini.store_.assign(text);
    ini.lines_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        Ending ending = Ending::Lf;
        std::string_view raw;
        if (end == std::string_view::npos) {
            end = text.size();
            raw = text.substr(pos);
            ending = ini.endingBefore(ini.lines_.size());
            ini.endsOpen_ = true;
        } else {
            raw = text.substr(pos, end - pos);
            if (!raw.empty() && raw.back() == '\r') {
                raw.remove_suffix(1);
                ending = Ending::CrLf;
            }
        }
        ini.lines_.push_back(ini.classify(pos, raw.size(), ending));
        pos = end + 1;
    }
    ini.reindex();
    return ini;
}

std::optional<IniFile> IniFile::load(const std::filesystem::path& file) {
    auto text = readWholeFile(file);
    if (!text) return std::nullopt;
    return parse(*text);
}

void IniFile::reindex() {
    headers_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section) headers_.push_back(i);
    std::size_t slots = 16;
    while (slots < 2 * headers_.size()) slots *= 2;
    byName_.assign(slots, {0, std::string::npos});
    const std::size_t mask = slots - 1;
    for (const std::size_t header : headers_) {
        const std::string_view headerName = name(lines_[header]);
        const std::uint64_t hash = hashNoCase(headerName);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            auto& [slotHash, slotHeader] = byName_[slot];
            if (slotHeader == std::string::npos) {
                slotHash = hash;
                slotHeader = header;
                break;
            }
            // A later section of a name already there is never the one a lookup wants.
            if (slotHash == hash && equalsNoCase(name(lines_[slotHeader]), headerName)) break;
        }
    }
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    names.reserve(headers_.size());
    for (const std::size_t header : headers_) names.emplace_back(name(lines_[header]));
    return names;
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != std::string::npos;
}

std::size_t IniFile::findSection(std::string_view section) const {
    if (byName_.empty()) return std::string::npos;
    const std::uint64_t hash = hashNoCase(section);
    const std::size_t mask = byName_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        ++probes_;
        const auto& [slotHash, slotHeader] = byName_[slot];
        if (slotHeader == std::string::npos) return std::string::npos;
        if (slotHash == hash && equalsNoCase(name(lines_[slotHeader]), section)) return slotHeader;
    }
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
    const auto next = std::upper_bound(headers_.begin(), headers_.end(), header);
    return next == headers_.end() ? lines_.size() : *next;
}

IniFile::Section IniFile::section(std::string_view name) const {
    const std::size_t header = findSection(name);
    if (header == std::string::npos) return {};
    return Section{header, sectionEnd(header)};
}

const IniFile::Line* IniFile::findKey(Section section, std::string_view key) const {
    if (section.header == std::string::npos) return nullptr;
    for (std::size_t i = section.header + 1; i < section.end && i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Key && equalsNoCase(name(lines_[i]), key)) return &lines_[i];
    return nullptr;
}

std::string IniFile::getString(std::string_view section, std::string_view key, std::string_view fallback,
                               std::size_t maxChars) const {
    return getString(this->section(section), key, fallback, maxChars);
}

std::string IniFile::getString(Section section, std::string_view key, std::string_view fallback,
                               std::size_t maxChars) const {
    const Line* found = findKey(section, key);
    const std::string_view text = found ? value(*found) : fallback;
    return std::string(text.substr(0, maxChars));
}

long IniFile::getInt(std::string_view section, std::string_view key, long fallback) const {
    return getInt(this->section(section), key, fallback);
}

long IniFile::getInt(Section section, std::string_view key, long fallback) const {
    const Line* found = findKey(section, key);
    if (!found) return fallback;
    const std::string_view text = value(*found);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > 100000000) break;  // far beyond any flag; stop before overflow
        value = value * 10 + (text[i] - '0');
    }
    return negative ? 0 : value;
}

IniFile::Ending IniFile::endingBefore(std::size_t index) const {
    const std::size_t i = std::min(index, lines_.size());
    return i > 0 ? lines_[i - 1].ending : Ending::Lf;
}

void IniFile::setString(std::string_view section, std::string_view key, std::string_view value) {
    const auto header = findSection(section);
    if (header == std::string::npos) {
        const Ending ending = endingBefore(lines_.size());
        Line head = appended("[" + std::string(section) + "]", ending);
        head.kind = Kind::Section;
        head.nameAt = 1;
        head.nameSize = static_cast<std::uint32_t>(section.size());
        lines_.push_back(head);
        lines_.push_back(keyLine(key, value, ending));
        reindex();
        return;
    }
    const auto end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::Key && equalsNoCase(name(lines_[i]), key)) {
            // The key keeps the spelling of its name and its line ending.
            lines_[i] = keyLine(std::string(name(lines_[i])), value, lines_[i].ending);
            return;
        }
    }
    // New keys go after the section's last key, ahead of the blank lines that separate sections.
    std::size_t at = end;
    while (at > header + 1 && lines_[at - 1].kind == Kind::Other &&
           raw(lines_[at - 1]).find_first_not_of(kBlanks) == std::string::npos)
        --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), keyLine(key, value, endingBefore(at)));
    reindex();
}

void IniFile::clearSection(std::string_view section) {
    const auto header = findSection(section);
    if (header == std::string::npos) return;
    const auto end = sectionEnd(header);
    if (end == header + 1) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    reindex();
}

bool IniFile::removeSection(std::string_view section) {
    const auto header = findSection(section);
    if (header == std::string::npos) return false;
    const auto end = sectionEnd(header);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    reindex();
    return true;
}

std::size_t IniFile::removeSections(std::string_view section) {
    std::size_t removed = 0;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool dropping = false;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section) {
            dropping = equalsNoCase(name(line), section);
            removed += dropping ? 1 : 0;
        }
        if (!dropping) kept.push_back(line);
    }
    if (removed == 0) return 0;
    lines_ = std::move(kept);
    reindex();
    return removed;
}

std::string IniFile::text() const {
    std::string out;
    out.reserve(store_.size() + lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        out += raw(line);
        if (endsOpen_ && i + 1 == lines_.size()) break;
        out += line.ending == Ending::CrLf ? "\r\n" : "\n";
    }
    return out;
}

}  // namespace kwu
