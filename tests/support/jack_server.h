#pragma once
// A private JACK server on the dummy driver for end-to-end tests: started under a name of its
// own (so it never meets a user's server), and stopped when the object goes. Sets
// JACK_DEFAULT_SERVER for this process and its children.
//
// The server runs synchronously: it waits for a late client instead of dropping the MIDI that
// client wrote, so a loaded machine slows a test down but never changes what it receives.
//
// The server is not a child of the test: a keeper process outside the test's process tree owns
// it and stops it (SIGTERM, so that it leaves JACK's shared registry) as soon as the test lets
// go of it or dies. A test killed on a timeout therefore leaves no server behind. The names come
// from a small pool, each held under a file lock, so that a registry entry a killed server left
// is reclaimed by the next server of that name instead of filling the registry.

#include <sys/types.h>

#include <string>

namespace testsupport {

class JackServer {
  public:
    JackServer();
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool ready() const { return ready_; }
    // Kills the server outright (SIGKILL), as a crash would, and waits until it has ended; its
    // clients are left to find out. The name stays this test's.
    bool crash();
    // Starts the server again under the same name after crash(); whether it answers.
    bool restart();
    const std::string& name() const { return name_; }
    // Why the server is not ready, with what jackd itself said.
    const std::string& failure() const { return failure_; }

  private:
    void start();
    void launch(int logMode);  // jackd under name_, its log opened with logMode (O_TRUNC, O_APPEND)
    void stop();
    std::string serverSaid() const;  // the server's log, quoted

    std::string name_;
    std::string logPath_;
    int lock_ = -1;     // holds the name
    int control_ = -1;  // closing it tells the keeper to stop the server
    int report_ = -1;   // the keeper writes jackd's exit status here, then closes it
    bool ready_ = false;
    std::string failure_;
};

}  // namespace testsupport
