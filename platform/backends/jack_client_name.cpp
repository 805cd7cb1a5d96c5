#include "platform/backends/jack_client_name.h"

#include <unistd.h>

#include <atomic>

namespace platform {

std::string uniqueJackClientName(std::string_view base) {
    static std::atomic<unsigned> next{0};
    return std::string(base) + "-" + std::to_string(getpid()) + "-" + std::to_string(++next);
}

}  // namespace platform
