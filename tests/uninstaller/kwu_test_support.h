#pragma once
// A temporary installation root with the uninstaller's folders, a prompter that answers from a
// script, and small file helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

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
        for (const auto& m : told) all += m.text + "\n";
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
