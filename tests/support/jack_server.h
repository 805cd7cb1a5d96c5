#pragma once
// A private JACK server on the dummy driver for end-to-end tests: started under its own name
// (so it never meets a user's server), and stopped when the object goes. Sets
// JACK_DEFAULT_SERVER for this process and its children.

#include <string>
#include <sys/types.h>

namespace testsupport {

class JackServer {
public:
    JackServer();
    ~JackServer();
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool ready() const { return ready_; }
    const std::string& name() const { return name_; }
    const std::string& failure() const { return failure_; }

private:
    std::string name_;
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string failure_;
};

}  // namespace testsupport
