#include "uninstaller/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kwu {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

// The profile functions drop one pair of matching quotes around a value.
std::string_view unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

IniFile::Line IniFile::classify(std::string raw) {
    Line line;
    const std::string_view body = trim(raw);
    if (!body.empty() && body.front() == '[') {
        // The name runs to the first "]" (or to the end of a line that has none).
        const std::string_view inner = body.substr(1);
        line.kind = Kind::Section;
        line.name = std::string(trim(inner.substr(0, inner.find(']'))));
    } else if (!body.empty() && body.front() != ';' && body.find('=') != std::string_view::npos) {
        const auto eq = body.find('=');
        line.kind = Kind::Key;
        line.name = std::string(trim(body.substr(0, eq)));
        line.value = std::string(unquote(trim(body.substr(eq + 1))));
    }
    line.raw = std::move(raw);
    return line;
}

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            ini.crlf_ = true;
        }
        ini.lines_.push_back(classify(std::string(raw)));
        pos = end + 1;
    }
    return ini;
}

std::optional<IniFile> IniFile::load(const std::filesystem::path& file) {
    auto text = readWholeFile(file);
    if (!text) return std::nullopt;
    return parse(*text);
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    for (const auto& line : lines_)
        if (line.kind == Kind::Section) names.push_back(line.name);
    return names;
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != std::string::npos;
}

std::size_t IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && equalsNoCase(lines_[i].name, section)) return i;
    return std::string::npos;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

const std::string* IniFile::findValue(std::string_view section, std::string_view key) const {
    const auto header = findSection(section);
    if (header == std::string::npos) return nullptr;
    const auto end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key && equalsNoCase(lines_[i].name, key)) return &lines_[i].value;
    return nullptr;
}

std::string IniFile::getString(std::string_view section, std::string_view key, std::string_view fallback,
                               std::size_t maxChars) const {
    const std::string* found = findValue(section, key);
    std::string value = found ? *found : std::string(fallback);
    if (value.size() > maxChars) value.resize(maxChars);
    return value;
}

long IniFile::getInt(std::string_view section, std::string_view key, long fallback) const {
    const std::string* found = findValue(section, key);
    if (!found) return fallback;
    const std::string& text = *found;
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

void IniFile::setString(std::string_view section, std::string_view key, std::string_view value) {
    Line line;
    line.kind = Kind::Key;
    line.name = std::string(key);
    line.value = std::string(value);
    line.raw = line.name + "=" + line.value;
    auto header = findSection(section);
    if (header == std::string::npos) {
        Line head;
        head.kind = Kind::Section;
        head.name = std::string(section);
        head.raw = "[" + head.name + "]";
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(line));
        return;
    }
    const auto end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::Key && equalsNoCase(lines_[i].name, key)) {
            line.name = lines_[i].name;
            line.raw = line.name + "=" + line.value;
            lines_[i] = std::move(line);
            return;
        }
    }
    // New keys go after the section's last key, ahead of the blank lines that separate sections.
    std::size_t at = end;
    while (at > header + 1 && lines_[at - 1].kind == Kind::Other && trim(lines_[at - 1].raw).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::clearSection(std::string_view section) {
    const auto header = findSection(section);
    if (header == std::string::npos) return;
    const auto end = sectionEnd(header);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
}

bool IniFile::removeSection(std::string_view section) {
    const auto header = findSection(section);
    if (header == std::string::npos) return false;
    const auto end = sectionEnd(header);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

std::string IniFile::text() const {
    std::string out;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (const auto& line : lines_) {
        out += line.raw;
        out += eol;
    }
    return out;
}

bool IniFile::save(const std::filesystem::path& file) const {
    return writeFileAtomically(file, text());
}

bool writeFileAtomically(const std::filesystem::path& file, std::string_view text) {
    const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    std::string tmpl = (folder / (file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < text.size()) {
        const auto n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    struct stat old {};
    const mode_t mode =
        (::lstat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ? (old.st_mode & 07777) : 0644;
    ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmpl.c_str(), file.c_str()) == 0) return true;
    ::unlink(tmpl.c_str());
    return false;
}

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

}  // namespace kwu
