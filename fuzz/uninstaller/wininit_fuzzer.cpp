// Any bytes as an old WININIT.INI: the rewrite is a pure function over text, and its result must be
// the old text with exactly the new lines added, in the right place. The expected text is built here
// on its own, line by line:
//   - the two NULL lines follow at once the first line that reads "[rename]" (after collapsing its
//     blanks, any case), and every byte before and after is the old text's;
//   - with no such line, "[rename]" and the two lines are appended, after a line feed when the old
//     text's last line had none;
//   - a path holding a line break is never written.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "uninstaller/ini_file.h"
#include "uninstaller/wininit.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool readsRename(std::string_view line) {
    std::string probe(line);
    kwu::collapseBlanks(probe);
    return kwu::equalsNoCase(probe, "[rename]");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view old(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kOwn = "/r/app/kwu";
    constexpr std::string_view kScript = "/r/app/kwu.kwu";
    const std::string entries = "NULL = /r/app/kwu\nNULL = /r/app/kwu.kwu\n";

    const auto fresh = kwu::wininitWithRenames(std::nullopt, kOwn, kScript);
    check(fresh && *fresh == "[rename]\n" + entries);
    const auto out = kwu::wininitWithRenames(old, kOwn, kScript);
    check(out.has_value());

    // Where does the first line reading [rename] end (after its line feed, or where one is added)?
    std::size_t pos = 0;
    std::size_t insertAt = std::string::npos;
    while (pos < old.size()) {
        auto end = old.find('\n', pos);
        if (end == std::string_view::npos) end = old.size();
        if (readsRename(old.substr(pos, end - pos))) {
            insertAt = end;
            break;
        }
        pos = end + 1;
    }
    std::string expected;
    if (insertAt != std::string::npos) {
        expected.append(old.substr(0, insertAt)).append("\n").append(entries);
        if (insertAt < old.size()) expected.append(old.substr(insertAt + 1));
    } else {
        expected.append(old);
        if (!old.empty() && old.back() != '\n') expected += '\n';
        expected += "[rename]\n" + entries;
    }
    check(*out == expected);

    // A path that holds a line break never reaches the text.
    check(!kwu::wininitWithRenames(old, "/a\nNULL = /b", kScript));
    return 0;
}
