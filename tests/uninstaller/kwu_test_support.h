#pragma once
// A temporary installation root with the uninstaller's folders, a prompter that answers from a
// script, a listing of a folder by content and mode, a child process (to mount or to drop
// privileges without touching the test process), and small file helpers.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "uninstaller/folder.h"
#include "uninstaller/install_layout.h"
#include "uninstaller/prompter.h"
#include "uninstaller/removal.h"

namespace kwu::testing {

namespace fs = std::filesystem;

inline void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

inline mode_t modeOf(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Everything below folder (and folder itself), by relative path: the kind, the mode, and the
// content of files or the target of links. Two listings are equal when nothing changed.
inline std::map<std::string, std::string> listing(const fs::path& folder) {
    std::map<std::string, std::string> all;
    const auto describe = [](const fs::path& p) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) return std::string("gone");
        const std::string mode = std::to_string(st.st_mode & 07777) + " ";
        if (S_ISLNK(st.st_mode)) return "link " + fs::read_symlink(p).native();
        if (S_ISDIR(st.st_mode)) return "folder " + mode;
        return "file " + mode + readText(p);
    };
    all["."] = describe(folder);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        all[fs::relative(it->path(), folder).native()] = describe(it->path());
    return all;
}

// The folder at path, open; fails the test when it cannot be opened.
inline Folder openFolder(const fs::path& path) {
    Reached r = Folder::open(path);
    if (r.reach != Reach::Ok) throw std::runtime_error("cannot open " + path.native());
    return std::move(*r.folder);
}

// Runs body in a child process and returns its exit code (128 + the signal when killed). The child
// ends with _exit, so nothing of the test process (its temporary folders above all) is torn down
// twice.
constexpr int kChildSkipped = 77;
inline int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) ::_exit(body());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// For a child: the unprivileged user it becomes, so that folder modes govern deletions as they do
// for everyone but root.
constexpr uid_t kNobody = 65534;

// Gives folder and everything below it to kNobody (when running as root).
inline bool giveToNobody(const fs::path& folder) {
    if (::geteuid() != 0) return true;
    std::error_code ec;
    if (::lchown(folder.c_str(), kNobody, kNobody) != 0) return false;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (::lchown(it->path().c_str(), kNobody, kNobody) != 0) return false;
    return !ec;
}

// Becomes kNobody (when running as root; without root the process is unprivileged already).
inline bool dropToNobody() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
           ::geteuid() == kNobody;
}

// Sets (or unsets, with nullopt) environment variables for its lifetime and puts them back after.
class EnvironmentGuard {
  public:
    EnvironmentGuard(std::initializer_list<std::pair<const char*, std::optional<std::string>>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            set(name, value);
        }
    }
    ~EnvironmentGuard() {
        for (const auto& [name, value] : saved_) set(name.c_str(), value);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

    static void set(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A fresh folder holding "root" (the installation root, with its standard folders), "home" and
// "outside" (a folder beside the root that nothing may touch).
class TempRoot {
  public:
    TempRoot() {
        std::string tmpl = (fs::temp_directory_path() / "kwu-test-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        base_ = fs::canonical(tmpl);
        fs::create_directories(base_ / "root");
        fs::create_directories(base_ / "outside");
        layout = InstallLayout::under(base_ / "root", base_ / "home");
        for (const auto& p : {layout.windowsDir, layout.systemDir, layout.menuDir, layout.storeDir})
            fs::create_directories(p);
        writeText(outside() / "keep.txt", "outside");
    }
    ~TempRoot() {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    fs::path root() const { return layout.root; }
    fs::path outside() const { return base_ / "outside"; }
    fs::path base() const { return base_; }

    InstallLayout layout;

  private:
    fs::path base_;
};

// Records every message; answers questions from a queue (Yes when it runs dry), or by onAsk.
class ScriptedPrompter : public Prompter {
  public:
    void tell(const Message& message) override { told.push_back(message); }
    bool ask(const Message& message) override {
        asked.push_back(message);
        if (onAsk) return onAsk(message);
        if (answers.empty()) return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string toldTexts() const {
        std::string all;
        for (const auto& m : told) all += m.text + "\n" + m.details;
        return all;
    }

    std::vector<Message> told;
    std::vector<Message> asked;
    std::deque<bool> answers;
    std::function<bool(const Message&)> onAsk;
};

// Records the progress; may press Cancel when a given item starts.
class RecordingObserver : public RemovalObserver {
  public:
    void itemStarting(const std::string& progressLine, const std::string& section) override {
        progress.push_back(progressLine);
        sections.push_back(section);
        if (cancelAt == static_cast<int>(sections.size()) && uninstaller) uninstaller->requestCancel();
    }
    std::vector<std::string> progress;
    std::vector<std::string> sections;
    int cancelAt = 0;
    Uninstaller* uninstaller = nullptr;
};

}  // namespace kwu::testing
