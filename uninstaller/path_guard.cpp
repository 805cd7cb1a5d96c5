#include "uninstaller/path_guard.h"

#include <sys/stat.h>

namespace kwu {
namespace fs = std::filesystem;
namespace {

std::string inQuotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

bool hasControl(std::string_view s) {
    for (const unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// The parts of p below base, or nullopt when p does not lie below base (lexically).
std::optional<std::vector<fs::path>> partsBelow(const fs::path& p, const fs::path& base) {
    auto b = base.begin();
    auto i = p.begin();
    for (; b != base.end(); ++b, ++i) {
        if (b->empty()) continue;  // a trailing separator of base
        if (i == p.end() || *i != *b) return std::nullopt;
    }
    std::vector<fs::path> parts;
    for (; i != p.end(); ++i)
        if (!i->empty()) parts.push_back(*i);
    return parts;
}

bool isAtOrAbove(const fs::path& folder, const fs::path& other) {
    if (folder.empty() || other.empty()) return false;
    return partsBelow(other.lexically_normal(), folder.lexically_normal()).has_value();
}

Verdict refuse(std::string text) {
    return Verdict{{}, std::move(text)};
}

}  // namespace

RootGuard::RootGuard(const InstallLayout& layout) : root_(layout.root), rootAsGiven_(layout.rootAsGiven) {
    kept_ = {layout.windowsDir, layout.systemDir, layout.menuDir, layout.storeDir, layout.home};
    // The shared folders of a per-user prefix hold other programs' files too.
    for (const char* shared :
         {"bin", "etc", "include", "lib", "lib64", "libexec", "opt", "sbin", "share", "state", "var"})
        kept_.push_back(root_ / shared);
}

Verdict RootGuard::removable(std::string_view text) const {
    const std::string shown = inQuotes(text);
    if (text.empty()) return refuse("Refused an empty path.");
    if (hasControl(text)) return refuse("Refused " + shown + ": the path holds control characters.");
    const fs::path p(text);
    if (!p.is_absolute())
        return refuse("Refused " + shown + ": only absolute paths inside the installation root " +
                      inQuotes(root_.string()) + " are accepted.");
    for (const auto& part : p) {
        const std::string s = part.string();
        if (s == "." || s == ".." || s.find("..\\") != std::string::npos ||
            s.find("\\..") != std::string::npos)
            return refuse("Refused " + shown + ": a path must not contain \"..\" or \".\" parts.");
    }
    auto parts = partsBelow(p, root_);
    if (!parts) parts = partsBelow(p, rootAsGiven_);
    if (!parts)
        return refuse("Refused " + shown + ": it lies outside the installation root " +
                      inQuotes(root_.string()) + ".");
    if (parts->empty()) return refuse("Refused " + shown + ": it is the installation root itself.");
    // Every folder between the root and the entry must be a real folder: a link there would take
    // the removal somewhere else.
    fs::path at = root_;
    for (std::size_t k = 0; k + 1 < parts->size(); ++k) {
        at /= (*parts)[k];
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0) break;  // nothing further exists, so nothing to remove
        if (S_ISLNK(st.st_mode))
            return refuse("Refused " + shown + ": it leads through the symbolic link " +
                          inQuotes(at.string()) + ".");
        if (!S_ISDIR(st.st_mode)) break;
    }
    fs::path resolved = root_;
    for (const auto& part : *parts) resolved /= part;
    return Verdict{resolved, {}};
}

Verdict RootGuard::tree(std::string_view folder) const {
    Verdict v = removable(folder);
    if (!v.ok()) return v;
    const std::string shown = inQuotes(folder);
    struct stat st {};
    if (::lstat(v.path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return refuse("Refused to remove the folder " + shown + ": it is a symbolic link.");
    for (const auto& kept : kept_) {
        if (isAtOrAbove(v.path, kept))
            return refuse("Refused to remove the folder " + shown + ": it holds " + inQuotes(kept.string()) +
                          ", which must stay.");
    }
    return v;
}

std::string plainNameRefusal(std::string_view name) {
    const std::string shown = inQuotes(name);
    if (name.empty()) return "Refused an empty file name.";
    if (name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\\') != std::string_view::npos || hasControl(name))
        return "Refused " + shown + ": a file name must be a plain name without folders or \"..\".";
    return {};
}

std::string menuNameRefusal(std::string_view name) {
    if (auto refusal = plainNameRefusal(name); !refusal.empty()) return refusal;
    if (name.find_first_of("[](),\"") != std::string_view::npos)
        return "Refused the menu name " + inQuotes(name) +
               ": it carries characters that could read as a menu command.";
    return {};
}

}  // namespace kwu
