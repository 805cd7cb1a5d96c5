#include "player/jingles.h"

#include <system_error>

namespace player {

namespace fs = std::filesystem;

const char* JingleFile(int n) {
    return n >= 1 && n <= static_cast<int>(kJingles.size()) ? kJingles[static_cast<std::size_t>(n - 1)]
                                                            : nullptr;
}

bool InstallJingles(const fs::path& from, const fs::path& folder, std::string& error) {
    bool all = true;
    for (const char* name : kJingles) {
        std::error_code ec;
        const fs::path target = folder / name;
        if (fs::exists(fs::symlink_status(target, ec))) continue;
        const fs::path source = from / name;
        if (!fs::is_regular_file(source, ec)) {
            if (all) error = "no jingle " + source.string();
            all = false;
            continue;
        }
        fs::path partial = target;
        partial += ".part";
        fs::copy_file(source, partial, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::rename(partial, target, ec);
        if (ec) {
            if (all) error = "cannot install " + target.string() + ": " + ec.message();
            all = false;
            fs::remove(partial, ec);
        }
    }
    return all;
}

}  // namespace player
