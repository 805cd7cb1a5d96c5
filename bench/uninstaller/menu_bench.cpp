// A real run of the uninstaller over a script of many menu items against one group of 21 .desktop
// files: the root is a temporary folder, the menu layer the program's own, and the run is the one OK
// starts (items, the group, the final clean-up), without the dialog. The goal is a time
// proportional to the script: a million items in a few seconds. Prints one figure per line.
// Usage: kwu_menu_bench [items, default 1000000]

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "uninstaller/desktop_menu.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/install_root.h"
#include "uninstaller/removal.h"
#include "uninstaller/uninstall_script.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class Silent : public kwu::Prompter, public kwu::RemovalObserver {
  public:
    void tell(const kwu::Message& m) override { told += m.text.size(); }
    bool ask(const kwu::Message&) override { return true; }
    void itemStarting(const std::string&, const std::string&) override { ++items; }
    std::size_t told = 0;
    std::size_t items = 0;
};

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long items = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::string base = (fs::temp_directory_path() / "kwu-menu-bench-XXXXXX").string();
    if (!::mkdtemp(base.data())) return 1;
    const fs::path root = fs::path(base) / "root";
    const kwu::InstallLayout layout = kwu::InstallLayout::under(root, fs::path(base) / "home");
    const fs::path app = root / "opt" / "big";
    write(app / "kwu.kwu", "[kwu]\n");
    const fs::path group = layout.menuDir / "Big";
    for (int i = 0; i < 21; ++i)
        write(group / ("item" + std::to_string(i) + ".desktop"),
              "[Desktop Entry]\nName=Item " + std::to_string(i) + "\nExec=big\n");

    std::string text = "[kwu]\nP1=Big App\nP2=" + app.string() + "\nP3=Big\n";
    text.reserve(static_cast<std::size_t>(items) * 32);
    for (long i = 0; i < items; ++i)
        text += "[f" + std::to_string(i) + ".dat]\nT=Item " + std::to_string(i % 1000) + "\n";

    const auto start = Clock::now();
    const kwu::UninstallScript script(kwu::IniFile::parse(text), "kwu");
    const kwu::InstallRoot installRoot = kwu::InstallRoot::open(layout);
    kwu::DesktopMenu menu(installRoot);
    Silent silent;
    kwu::Uninstaller uninstaller(script, kwu::ProgramNames::of(app / "kwu"), installRoot, silent, menu);
    const auto parsed = Clock::now();
    uninstaller.run(kwu::Choices{false, true, false}, silent);
    const auto done = Clock::now();

    const bool groupGone = !fs::exists(group);
    std::error_code ec;
    fs::remove_all(base, ec);
    std::printf("items %ld\n", items);
    std::printf("items_run %zu\n", silent.items);
    std::printf("group_removed %d\n", groupGone ? 1 : 0);
    std::printf("parse_s %.3f\n", seconds(start, parsed));
    std::printf("run_s %.3f\n", seconds(parsed, done));
    std::printf("total_s %.3f\n", seconds(start, done));
    return silent.items == static_cast<std::size_t>(items) && groupGone ? 0 : 1;
}
