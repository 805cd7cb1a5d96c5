#include "uninstaller/service_stores.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

bool removeSectionFrom(const std::filesystem::path& file, std::string_view section) {
    auto ini = IniFile::load(file);
    if (!ini || !ini->removeSection(section)) return false;
    return ini->save(file);
}

}  // namespace

bool UninstallEntries::removeEntry(std::string_view program) const {
    return removeSectionFrom(file_, program);
}

bool ComponentRegistrar::unregister(const std::filesystem::path& component) const {
    return removeSectionFrom(file_, component.string());
}

bool PendingDeletes::schedule(const std::filesystem::path& path) const {
    const std::string line = path.string() + "\n";
    if (line.find_first_of("\n\r") != line.size() - 1) return false;
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < line.size()) {
        const auto n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    return (::close(fd) == 0) && ok;
}

}  // namespace kwu
