#include "platform/clock.h"

#include <thread>

namespace platform {

void SystemClock::waitMs(std::uint32_t ms) {
    std::this_thread::sleep_until(now() + std::chrono::milliseconds(ms));
}

}  // namespace platform
