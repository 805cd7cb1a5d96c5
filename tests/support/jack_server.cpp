#include "tests/support/jack_server.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace testsupport {

namespace {

// JACK's shared registry holds eight servers; so does the pool.
constexpr int kNames = 8;
constexpr auto kStartDeadline = std::chrono::seconds(30);
constexpr auto kStopDeadline = std::chrono::seconds(20);

void silent(const char*) {}

// QUINTORA_TEST_JACK_LOGS names a folder where every server's log is kept, verbose, to find out
// afterwards what the server saw during a failed test.
const char* keptLogFolder() {
    const char* folder = std::getenv("QUINTORA_TEST_JACK_LOGS");
    return folder && *folder ? folder : nullptr;
}

bool serverAnswers(const std::string& name) {
    // A name of this process's own: libjack puts a client's socket at a path made of the client
    // name alone, so probes of one name from tests running at once beside each other, each on
    // its own server, would take each other's socket.
    const std::string probe = "probe-" + std::to_string(getpid());
    jack_status_t status{};
    jack_client_t* c =
        jack_client_open(probe.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                         &status, name.c_str());
    if (!c) return false;
    jack_client_close(c);
    return true;
}

std::string statusText(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// Written to the keeper: kill the server as a crash would, leaving its registry entry behind.
constexpr char kKill = 'k';

void napMs(long ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&ts, nullptr);
}

// The keeper: runs jackd as its child and stops it when `control` reports the test's end (its
// other end closed, by the test or by the test's death), or kills it outright when the test
// writes kKill there; then writes jackd's exit status to `report`. Runs in a child forked from a
// process that may have threads: only calls that are safe there until exec.
[[noreturn]] void keep(int control, int report, int log, int lock, char* const* argv) {
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, STDIN_FILENO);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);
    sigaction(SIGHUP, &ignore, nullptr);
    sigaction(SIGINT, &ignore, nullptr);

    int status = 127 << 8;
    const pid_t jackd = fork();
    if (jackd == 0) {
        // jackd holds the name's lock for as long as it runs.
        const int flags = fcntl(lock, F_GETFD);
        if (flags >= 0) fcntl(lock, F_SETFD, flags & ~FD_CLOEXEC);
        execvp(argv[0], argv);
        static const char message[] = "cannot run jackd\n";
        [[maybe_unused]] ssize_t n = write(STDERR_FILENO, message, sizeof message - 1);
        _exit(127);
    }
    bool ended = jackd < 0;
    while (!ended) {
        pollfd p{control, POLLIN, 0};
        const int r = poll(&p, 1, 50);
        if (waitpid(jackd, &status, WNOHANG) == jackd) {
            ended = true;
            break;
        }
        if (r > 0) {
            char order = 0;
            if (read(control, &order, 1) == 1 && order == kKill) {
                kill(jackd, SIGKILL);
                waitpid(jackd, &status, 0);
                ended = true;
            }
            break;  // killed, or the test closed its end or died
        }
    }
    if (!ended) {
        // SIGTERM lets jackd take its entry out of JACK's registry; SIGKILL is the last resort.
        kill(jackd, SIGTERM);
        for (int i = 0; i < 200 && !ended; ++i) {
            if (waitpid(jackd, &status, WNOHANG) == jackd)
                ended = true;
            else
                napMs(50);
        }
        if (!ended) {
            kill(jackd, SIGKILL);
            waitpid(jackd, &status, 0);
        }
    }
    [[maybe_unused]] ssize_t n = write(report, &status, sizeof status);
    _exit(0);
}

}  // namespace

JackServer::JackServer() {
    jack_set_error_function(&silent);
    jack_set_info_function(&silent);
    start();
}

JackServer::~JackServer() {
    stop();
}

void JackServer::start() {
    const auto folder = std::filesystem::temp_directory_path();
    const std::string user = std::to_string(getuid());
    int slot = 0;
    for (; slot < kNames; ++slot) {
        const std::string lockPath =
            (folder / ("quintora-jack-" + user + "-" + std::to_string(slot) + ".lock")).string();
        lock_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock_ >= 0 && flock(lock_, LOCK_EX | LOCK_NB) == 0) break;
        if (lock_ >= 0) close(lock_);
        lock_ = -1;
    }
    if (lock_ < 0) {
        failure_ = "all " + std::to_string(kNames) + " private JACK server names are in use";
        return;
    }
    name_ = "quintora-rig-" + std::to_string(slot);
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);

    logPath_ = (folder / ("quintora-jack-" + user + "-" + std::to_string(slot) + ".log")).string();
    launch(O_TRUNC);
}

void JackServer::launch(int logMode) {
    const int logFd = open(logPath_.c_str(), O_WRONLY | O_CREAT | logMode | O_CLOEXEC, 0600);
    if (logFd < 0) {
        failure_ = "cannot write the server's log " + logPath_;
        return;
    }
    std::vector<std::string> args = {"jackd", "--sync", "--no-realtime", "-t", "2000", "-n", name_, "-d",
                                     "dummy", "-r",     "48000",         "-p", "256"};
    if (keptLogFolder()) args.insert(args.begin() + 1, "-v");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int control[2], report[2];
    if (pipe2(control, O_CLOEXEC) != 0) {
        close(logFd);
        failure_ = "pipe failed";
        return;
    }
    if (pipe2(report, O_CLOEXEC) != 0) {
        close(logFd);
        close(control[0]);
        close(control[1]);
        failure_ = "pipe failed";
        return;
    }
    // The keeper leaves the test's process tree (a session of its own, its parent gone at once),
    // so that what kills the test on a timeout does not kill the server without its cleanup.
    const pid_t middle = fork();
    if (middle == 0) {
        setsid();
        const pid_t keeper = fork();
        if (keeper == 0) {
            close(control[1]);
            close(report[0]);
            keep(control[0], report[1], logFd, lock_, argv.data());
        }
        _exit(keeper < 0 ? 1 : 0);
    }
    close(control[0]);
    close(report[1]);
    close(logFd);
    control_ = control[1];
    report_ = report[0];
    int middleStatus = 0;
    if (middle < 0 || waitpid(middle, &middleStatus, 0) != middle || middleStatus != 0) {
        failure_ = "could not start the server's keeper";
        stop();
        return;
    }

    const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        if (serverAnswers(name_)) {
            ready_ = true;
            return;
        }
        pollfd p{report_, POLLIN, 0};
        if (poll(&p, 1, 0) > 0) {
            int status = 0;
            const bool got = read(report_, &status, sizeof status) == static_cast<ssize_t>(sizeof status);
            failure_ = "jackd -n " + name_ + " exited at start (" + (got ? statusText(status) : "no status") +
                       "); it said: " + serverSaid();
            close(report_);
            report_ = -1;
            stop();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    failure_ = "jackd -n " + name_ + " did not answer within " + std::to_string(kStartDeadline.count()) +
               " s; it said: " + serverSaid();
    stop();
}

bool JackServer::crash() {
    if (control_ < 0 || report_ < 0) return false;
    ready_ = false;
    const char order = kKill;
    bool ended = write(control_, &order, 1) == 1;
    if (ended) {
        pollfd p{report_, POLLIN, 0};
        const int ms = static_cast<int>(std::chrono::milliseconds(kStopDeadline).count());
        int status = 0;
        ended = poll(&p, 1, ms) > 0 &&
                read(report_, &status, sizeof status) == static_cast<ssize_t>(sizeof status);
    }
    close(control_);
    control_ = -1;
    close(report_);
    report_ = -1;
    if (!ended) failure_ = "jackd -n " + name_ + " was not seen to end when killed";
    return ended;
}

bool JackServer::restart() {
    if (lock_ < 0 || control_ >= 0) return false;
    failure_.clear();
    launch(O_APPEND);
    return ready_;
}

void JackServer::stop() {
    if (control_ >= 0) {
        close(control_);
        control_ = -1;
    }
    if (report_ >= 0) {
        // Waits until the keeper has stopped jackd, so that the next test finds the name free
        // and the registry entry gone.
        pollfd p{report_, POLLIN, 0};
        const int ms = static_cast<int>(std::chrono::milliseconds(kStopDeadline).count());
        if (poll(&p, 1, ms) > 0) {
            int status = 0;
            [[maybe_unused]] ssize_t n = read(report_, &status, sizeof status);
        }
        close(report_);
        report_ = -1;
    }
    if (!logPath_.empty()) {
        std::error_code ignored;
        if (const char* folder = keptLogFolder()) {
            const auto kept = std::filesystem::path(folder) / (name_ + "-" + std::to_string(getpid()) + "-" +
                                                               std::to_string(time(nullptr)) + ".log");
            std::error_code failed;
            std::filesystem::create_directories(folder, failed);
            if (!failed)
                std::filesystem::copy_file(logPath_, kept, std::filesystem::copy_options::overwrite_existing,
                                           failed);
            if (failed)
                std::fprintf(stderr, "jackd's log could not be kept in %s: %s\n", kept.c_str(),
                             failed.message().c_str());
            else
                std::fprintf(stderr, "jackd's log kept in %s\n", kept.c_str());
        }
        std::filesystem::remove(logPath_, ignored);
        logPath_.clear();
    }
    if (lock_ >= 0) {
        close(lock_);
        lock_ = -1;
    }
    ready_ = false;
}

std::string JackServer::serverSaid() const {
    std::ifstream in(logPath_);
    std::string text(std::istreambuf_iterator<char>(in), {});
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    constexpr std::size_t kKeep = 2000;
    if (text.size() > kKeep) text = "..." + text.substr(text.size() - kKeep);
    return text.empty() ? "nothing" : "\"" + text + "\"";
}

}  // namespace testsupport
