#pragma once
// A child program for end-to-end tests, talked to through its standard input and output.
// Every wait has a deadline; a child still running when the object goes is killed.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

class ChildProcess {
  public:
    // Starts `path` with the environment of this process plus `env`.
    ChildProcess(const std::string& path, const std::map<std::string, std::string>& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    void writeLine(const std::string& line);
    // The next line of output, or nothing when none came before the deadline or output ended.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Waits for a line equal to `expected`, skipping others; false at the deadline.
    bool waitFor(const std::string& expected, std::chrono::milliseconds timeout);
    // The exit status when the child ended before the deadline.
    std::optional<int> waitExit(std::chrono::milliseconds timeout);
    // Every thread's stack of the running child, read by gdb: what a child that stopped answering
    // is waiting for. Of a child that ended: its exit code or signal.
    std::string threadStacks() const;

  private:
    pid_t pid_ = -1;
    int in_ = -1;   // the child's standard input
    int out_ = -1;  // the child's standard output
    std::string buffer_;
};

}  // namespace e2e
