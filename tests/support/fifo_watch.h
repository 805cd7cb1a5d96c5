#pragma once
// A FIFO under a file's name, for the tests of readers that must refuse it at once. Opened
// plainly for reading, a FIFO without a writer holds the reader until one comes: should a reader
// still be held when `bound` has passed, the watch comes as that writer (it opens the FIFO for
// writing and closes it, again and again until it goes), so that the reader goes on, reading an
// empty file, and the test fails on held() instead of hanging the suite. The bound only tells a
// hang from a slow machine: a reader that refuses the FIFO never waits at all.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testsupport {

class FifoWatch {
  public:
    explicit FifoWatch(std::filesystem::path path, std::chrono::seconds bound = std::chrono::seconds(20))
        : path_(std::move(path)) {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
        if (::mkfifo(path_.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + path_.string());
        watcher_ = std::thread([this, bound] { watch(bound); });
    }
    ~FifoWatch() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        watcher_.join();
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // True when a reader was still held at the bound.
    bool held() const {
        std::lock_guard lock(mutex_);
        return held_;
    }

  private:
    void watch(std::chrono::seconds bound) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, bound, [this] { return done_; })) return;
        held_ = true;
        while (!done_) {
            // Succeeds only while a reader has the FIFO open (or waits to).
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) ::close(fd);
            wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return done_; });
        }
    }

    std::filesystem::path path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool held_ = false;
    std::thread watcher_;
};

}  // namespace testsupport
