#pragma once
// Everything below a folder, to tell whether anything in it changed: each entry's path relative
// to the folder, with a regular file's bytes, "<folder>" for a folder and "<other>" for the rest.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace testsupport {

inline std::map<std::string, std::string> SnapshotFolder(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = fs::relative(it->path(), folder).string();
        const fs::file_status s = it->symlink_status(ec);
        if (fs::is_directory(s)) {
            out[name] = "<folder>";
        } else if (fs::is_regular_file(s)) {
            std::ifstream in(it->path(), std::ios::binary);
            out[name] = std::string(std::istreambuf_iterator<char>(in), {});
        } else {
            out[name] = "<other>";
        }
    }
    return out;
}

}  // namespace testsupport
