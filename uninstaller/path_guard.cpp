#include "uninstaller/path_guard.h"

#include "uninstaller/printable.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

using Parts = std::vector<std::string>;

// The top folders of a prefix: they hold other programs' files, so no tree at or above them goes.
constexpr const char* kPrefixTops[] = {"bin", "etc",  "include", "lib",   "lib64", "libexec",
                                       "opt", "sbin", "share",   "state", "var"};

// Well-known folders of a prefix that programs share; no tree at or inside them goes, whatever it
// holds. A trailing "*" matches any ending (lib/python3.11).
constexpr const char* kSharedFolders[] = {
    "share/applications",
    "share/icons",
    "share/pixmaps",
    "share/mime",
    "share/fonts",
    "share/themes",
    "share/locale",
    "share/man",
    "share/doc",
    "share/info",
    "share/metainfo",
    "share/appdata",
    "share/dbus-1",
    "share/systemd",
    "share/bash-completion",
    "share/zsh",
    "share/fish",
    "share/sounds",
    "share/backgrounds",
    "share/desktop-directories",
    "share/xsessions",
    "share/wayland-sessions",
    "share/gnome-shell",
    "share/flatpak",
    "share/Trash",
    "share/keyrings",
    "share/kwu",
    "lib/python*",
    "lib/pkgconfig",
    "lib/systemd",
    "lib/cmake",
    "lib/girepository-1.0",
    "lib/node_modules",
    "lib/perl5",
    "lib/ruby",
    "lib/x86_64-linux-gnu",
    "lib/aarch64-linux-gnu",
    "lib/i386-linux-gnu",
    "lib64/python*",
    "lib64/pkgconfig",
    "etc/xdg",
};

Parts split(std::string_view path) {
    Parts parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        auto end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        if (end > pos) parts.emplace_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

std::vector<std::string_view> splitViews(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        auto end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        if (end > pos) parts.push_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

bool startsWith(const std::vector<std::string_view>& whole, const Parts& prefix) {
    if (prefix.size() > whole.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (prefix[i] != whole[i]) return false;
    return true;
}

bool isPrefix(const Parts& prefix, const Parts& whole) {
    if (prefix.size() > whole.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (prefix[i] != whole[i]) return false;
    return true;
}

// whole lies at or inside the shared folder pattern.
bool atOrInside(const Parts& pattern, const Parts& whole) {
    if (pattern.empty() || pattern.size() > whole.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::string& p = pattern[i];
        if (i + 1 == pattern.size() && !p.empty() && p.back() == '*') {
            if (whole[i].compare(0, p.size() - 1, p, 0, p.size() - 1) != 0) return false;
        } else if (p != whole[i]) {
            return false;
        }
    }
    return true;
}

bool hasControl(std::string_view s) {
    for (const unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

std::string joined(const Parts& parts) {
    std::string s;
    for (const auto& p : parts) s += "/" + p;
    return s.empty() ? "/" : s;
}

Verdict refuse(std::string text) {
    return Verdict{{}, {}, std::move(text)};
}

std::string nameRefusal(const char* what, std::string_view name) {
    const std::string shown = inQuotes(name);
    if (name.empty()) return std::string("Refused an empty ") + what + ".";
    if (name == "." || name == "..")
        return "Refused " + shown + " as a " + what + ": it names a folder, not an entry.";
    if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
        return "Refused " + shown + " as a " + what + ": it holds a folder separator (\"/\" or \"\\\").";
    if (hasControl(name)) return "Refused " + shown + " as a " + what + ": it holds control bytes.";
    return {};
}

}  // namespace

std::string rootRefusal(const InstallLayout& layout) {
    for (const fs::path& root : {layout.root, layout.rootAsGiven}) {
        const Parts rootParts = split(root.string());
        if (rootParts.empty())
            return "Refused the installation root " + inQuotes(root.string()) +
                   ": it is the top of the file system. Set KWU_ROOT to the folder the program was "
                   "installed under.";
        for (const fs::path& home :
             {layout.home, layout.homeAsGiven, layout.accountHome, layout.accountHomeAsGiven}) {
            if (home.empty() || !isPrefix(rootParts, split(home.string()))) continue;
            const bool same = rootParts.size() == split(home.string()).size();
            return "Refused the installation root " + inQuotes(root.string()) + ": it " +
                   (same ? "is" : "holds") + " the home folder " + inQuotes(home.string()) +
                   ". Set KWU_ROOT to the folder the program was installed under.";
        }
    }
    return {};
}

RootGuard::RootGuard(const InstallLayout& layout)
    : root_(layout.root),
      rootParts_(split(layout.root.string())),
      givenParts_(split(layout.rootAsGiven.string())),
      rootRefusal_(rootRefusal(layout)) {
    const auto below = [this](const fs::path& p) -> Parts {
        const Parts parts = split(p.lexically_normal().string());
        for (const Parts* base : {&rootParts_, &givenParts_})
            if (isPrefix(*base, parts))
                return Parts(parts.begin() + static_cast<long>(base->size()), parts.end());
        return {};
    };
    // The home folder needs no entry: a root above it is refused as a whole.
    for (const auto& p : {layout.windowsDir, layout.systemDir, layout.menuDir, layout.storeDir})
        if (auto parts = below(p); !parts.empty()) kept_.push_back(std::move(parts));
    for (const char* top : kPrefixTops) kept_.push_back({top});
    for (const char* shared : kSharedFolders) shared_.push_back(split(shared));
    for (const auto& p : {layout.menuDir, layout.storeDir})
        if (auto parts = below(p); !parts.empty()) shared_.push_back(std::move(parts));
    storeParts_ = below(layout.storeDir);
}

Verdict RootGuard::removable(std::string_view text) const {
    if (!rootRefusal_.empty()) return refuse(rootRefusal_);
    const auto shown = [text] { return inQuotes(text); };
    if (text.empty()) return refuse("Refused an empty path.");
    if (hasControl(text)) return refuse("Refused " + shown() + ": the path holds control bytes.");
    if (text.front() != '/')
        return refuse("Refused " + shown() + ": only absolute paths inside the installation root " +
                      inQuotes(root_.native()) + " are accepted.");
    const std::vector<std::string_view> parts = splitViews(text);
    for (const auto part : parts) {
        if (part == "." || part == "..")
            return refuse("Refused " + shown() + ": it holds a \"" + std::string(part) + "\" part.");
        if (part.find("..\\") != std::string_view::npos || part.find("\\..") != std::string_view::npos)
            return refuse("Refused " + shown() + ": it holds a \"..\" part written with \"\\\".");
    }
    const Parts* base = startsWith(parts, rootParts_)    ? &rootParts_
                        : startsWith(parts, givenParts_) ? &givenParts_
                                                         : nullptr;
    if (!base)
        return refuse("Refused " + shown() + ": it lies outside the installation root " +
                      inQuotes(root_.native()) + ".");
    if (parts.size() == base->size())
        return refuse("Refused " + shown() + ": it is the installation root itself.");
    Verdict v;
    std::string path = root_.native();
    v.parts.reserve(parts.size() - base->size());
    for (std::size_t i = base->size(); i < parts.size(); ++i) {
        v.parts.emplace_back(parts[i]);
        if (path.empty() || path.back() != '/') path += '/';
        path += parts[i];
    }
    v.path = std::move(path);
    return v;
}

Verdict RootGuard::item(std::string_view path) const {
    Verdict v = removable(path);
    if (!v.ok() || storeParts_.empty() || !isPrefix(storeParts_, v.parts)) return v;
    return refuse("Refused " + inQuotes(path) + ": it lies in the uninstaller's own folder " +
                  inQuotes((root_ / joined(storeParts_).substr(1)).string()) +
                  ", which holds the lists of uninstallable programs, registered components and files to "
                  "delete at the next start.");
}

Verdict RootGuard::tree(std::string_view folder) const {
    Verdict v = removable(folder);
    if (!v.ok()) return v;
    const std::string shown = inQuotes(folder);
    for (const auto& kept : kept_) {
        if (!isPrefix(v.parts, kept)) continue;
        const bool same = kept.size() == v.parts.size();
        return refuse("Refused to remove the folder " + shown + ": it " + (same ? "is " : "holds ") +
                      inQuotes((root_ / joined(kept).substr(1)).string()) + ", which must stay.");
    }
    for (const auto& shared : shared_) {
        if (!atOrInside(shared, v.parts)) continue;
        const bool same = shared.size() == v.parts.size();
        return refuse("Refused to remove the folder " + shown + ": it " + (same ? "is" : "lies inside") +
                      " a folder that other programs share (" + joined(shared).substr(1) + ").");
    }
    return v;
}

std::string plainNameRefusal(std::string_view name) {
    return nameRefusal("file name", name);
}

std::string menuNameRefusal(std::string_view name) {
    if (auto refusal = nameRefusal("menu name", name); !refusal.empty()) return refusal;
    if (name.find_first_of("[](),\"") != std::string_view::npos)
        return "Refused the menu name " + inQuotes(name) +
               ": it carries characters that could read as a menu command.";
    return {};
}

}  // namespace kwu
