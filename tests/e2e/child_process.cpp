#include "tests/e2e/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace e2e {

using Clock = std::chrono::steady_clock;

ChildProcess::ChildProcess(const std::string& path, const std::map<std::string, std::string>& env) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0) return;
    if (pipe(fromChild) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        close(toChild[0]);
        close(toChild[1]);
        close(fromChild[0]);
        close(fromChild[1]);
        for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    if (pid_ < 0) {
        close(in_);
        close(out_);
        in_ = out_ = -1;
    }
}

ChildProcess::~ChildProcess() {
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    if (pid_ > 0 && !waitExit(std::chrono::milliseconds(0))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::writeLine(const std::string& line) {
    const std::string text = line + "\n";
    if (in_ >= 0) [[maybe_unused]]
        ssize_t n = write(in_, text.data(), text.size());
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto eol = buffer_.find('\n'); eol != std::string::npos) {
            std::string line = buffer_.substr(0, eol);
            buffer_.erase(0, eol + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (out_ < 0 || left.count() <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char chunk[256];
        const ssize_t n = read(out_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

bool ChildProcess::waitFor(const std::string& expected, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        auto line = readLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
        if (!line) return false;
        if (*line == expected) return true;
        std::fprintf(stderr, "child: %s\n", line->c_str());
    }
    return false;
}

std::optional<int> ChildProcess::waitExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (r < 0 || Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string ChildProcess::threadStacks() const {
    if (pid_ <= 0) return "no child";
    // A child that already ended has no threads to show, but how it ended says what happened.
    // WNOWAIT leaves it to waitExit.
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_) {
        if (info.si_code == CLD_EXITED)
            return "the child had ended with exit code " + std::to_string(info.si_status);
        return "the child had ended by signal " + std::to_string(info.si_status) +
               (info.si_code == CLD_DUMPED ? " (core dumped)" : "");
    }
    const std::string command =
        "gdb -p " + std::to_string(pid_) + " -batch -ex 'thread apply all bt' 2>&1 </dev/null";
    FILE* gdb = popen(command.c_str(), "r");
    if (!gdb) return "gdb could not be started";
    std::string text = "the child's threads:\n";
    char chunk[4096];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, gdb)) text.append(chunk, n);
    pclose(gdb);
    return text;
}

}  // namespace e2e
