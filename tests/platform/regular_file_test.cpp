// Opening a file only when it is a regular one: everything else under the name is refused at
// once, and a refused name is told from one that cannot be opened at all.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/regular_file.h"
#include "tests/support/fifo_watch.h"

namespace {

namespace fs = std::filesystem;
using platform::OpenRefusal;

struct Folder {
    fs::path path;
    Folder() {
        std::string t = (fs::temp_directory_path() / "quintora-open-XXXXXX").string();
        if (mkdtemp(t.data())) path = t;
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

// A listening socket bound to `path`, closed with the object (its name stays).
struct Socket {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    explicit Socket(const fs::path& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ADD_FAILURE() << "no socket at " << path;
    }
    ~Socket() {
        if (fd >= 0) ::close(fd);
    }
};

TEST(OpenRegularFile, ReadsARegularFileThroughALinkToo) {
    Folder folder;
    { std::ofstream(folder.path / "song.mid", std::ios::binary) << "MThd"; }
    fs::create_symlink(folder.path / "song.mid", folder.path / "link.mid");
    for (const char* name : {"song.mid", "link.mid"}) {
        SCOPED_TRACE(name);
        OpenRefusal why = OpenRefusal::CannotOpen;
        std::FILE* f = platform::OpenRegularFile((folder.path / name).c_str(), &why);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(why, OpenRefusal::None);
        char bytes[8] = {};
        EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, f), 4u);
        EXPECT_EQ(std::string(bytes, 4), "MThd");
        std::fclose(f);
    }
}

TEST(OpenRegularFile, RefusesWhatIsNotAFileAtOnceAndSaysSo) {
    Folder folder;
    testsupport::FifoWatch fifo(folder.path / "fifo.mid");
    fs::create_symlink(fifo.path(), folder.path / "to-fifo.mid");
    fs::create_directory(folder.path / "folder.QTR");
    Socket socket(folder.path / "socket.mid");
    struct Case {
        const char* what;
        fs::path path;
        OpenRefusal why;
    };
    const Case cases[] = {
        {"a FIFO", fifo.path(), OpenRefusal::NotRegular},
        {"a link to a FIFO", folder.path / "to-fifo.mid", OpenRefusal::NotRegular},
        {"a folder", folder.path / "folder.QTR", OpenRefusal::NotRegular},
        {"a device", "/dev/null", OpenRefusal::NotRegular},
        {"a socket", folder.path / "socket.mid", OpenRefusal::NotRegular},
        {"nothing", folder.path / "gone.mid", OpenRefusal::CannotOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenRefusal why = OpenRefusal::None;
        std::FILE* f = platform::OpenRegularFile(c.path.c_str(), &why);
        EXPECT_EQ(f, nullptr);
        if (f) std::fclose(f);
        EXPECT_EQ(why, c.why);
    }
    EXPECT_FALSE(fifo.held()) << "the FIFO was waited on";
}

}  // namespace
