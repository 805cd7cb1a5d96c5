#include "tests/support/jack_server.h"

#include <jack/jack.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace testsupport {

namespace {
void silent(const char*) {}

bool serverAnswers(const std::string& name) {
    jack_status_t status{};
    jack_client_t* c = jack_client_open("probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                        &status, name.c_str());
    if (!c) return false;
    jack_client_close(c);
    return true;
}
}  // namespace

JackServer::JackServer() : name_("quintora-test-" + std::to_string(getpid())) {
    jack_set_error_function(&silent);
    jack_set_info_function(&silent);
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    pid_ = fork();
    if (pid_ == 0) {
        // Quiet child: the server's banner is of no interest to a test log.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execlp("jackd", "jackd", "--no-realtime", "-n", name_.c_str(), "-d", "dummy", "-r", "48000", "-p", "256",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) {
        failure_ = "fork failed";
        return;
    }
    for (int i = 0; i < 100; ++i) {
        if (serverAnswers(name_)) {
            ready_ = true;
            return;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "jackd exited at start";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    failure_ = "jackd did not answer within 10 s";
}

JackServer::~JackServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 50 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
}

}  // namespace testsupport
