// Parsing and planning a huge uninstall script: the script text is made in memory (sections of the
// short kind an installer writes for every file, each with its folder, some with a menu item and the
// unregister flag, a few refused), parsed into the script, and every item is planned as OK plans it
// (its keys read, names and paths checked against the root). Planning touches no file. The best of
// the repetitions counts; the goal is 1 M sections in under 2 s. Prints one figure per line.
// Usage: kwu_plan_bench [sections, default 1000000] [repetitions, default 3]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "uninstaller/ini_file.h"
#include "uninstaller/item_plan.h"
#include "uninstaller/path_guard.h"
#include "uninstaller/uninstall_script.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string makeScript(long sections, const std::string& root) {
    std::string text = "[kwu]\nP1=Big App\nP2=" + root + "/opt/big\nP3=Big\n";
    text.reserve(static_cast<std::size_t>(sections) * 40);
    for (long i = 0; i < sections; ++i) {
        text += "[f" + std::to_string(i) + ".dat]\n";
        if (i % 1000 == 999)
            text += "L=/etc\n";  // refused: outside the root
        else
            text += "L=" + root + "/opt/big/d" + std::to_string(i % 97) + "\n";
        if (i % 10 == 0) text += "T=Item " + std::to_string(i) + "\n";
        if (i % 50 == 0) text += "0=1\n";
    }
    return text;
}

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long sections = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string root = "/nonexistent/kwu-bench/root";
    const kwu::InstallLayout layout = kwu::InstallLayout::under(root, "/nonexistent/home");
    const kwu::RootGuard guard(layout);
    const std::string text = makeScript(sections, root);

    double bestParse = 1e9, bestPlan = 1e9, bestTotal = 1e9;
    std::size_t refused = 0, files = 0;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        const kwu::UninstallScript script(kwu::IniFile::parse(text), "kwu");
        const auto parsed = Clock::now();
        refused = files = 0;
        for (const auto& section : script.itemSections()) {
            const kwu::ItemPlan plan = kwu::planItem(script, guard, layout, section);
            refused += plan.refusals.size();
            files += plan.file != kwu::ItemPlan::File::None;
        }
        const auto planned = Clock::now();
        bestParse = std::min(bestParse, seconds(start, parsed));
        bestPlan = std::min(bestPlan, seconds(parsed, planned));
        bestTotal = std::min(bestTotal, seconds(start, planned));
    }
    std::printf("sections %ld\n", sections);
    std::printf("script_bytes %zu\n", text.size());
    std::printf("files_planned %zu\n", files);
    std::printf("refused %zu\n", refused);
    std::printf("parse_s %.3f\n", bestParse);
    std::printf("plan_s %.3f\n", bestPlan);
    std::printf("parse_and_plan_s %.3f\n", bestTotal);
    return 0;
}
