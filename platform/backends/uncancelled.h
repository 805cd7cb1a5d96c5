#pragma once

#include <pthread.h>

#include <type_traits>
#include <utility>

namespace platform {

// Runs `body` with cancellation held off on this thread, and lets a cancellation that arrived
// meanwhile take effect only after it has returned.
//
// libjack stops a client's process thread on deactivate or close by cancelling it, and that
// thread accepts cancellation at any instruction. A callback cancelled halfway would leave a lock
// held, an allocation half made or a queue half read. The callbacks that run on such a thread go
// through here so that the cancellation lands in libjack's own code, between two periods.
//
// The state is put back by a plain call, not by a destructor: a cancellation pending at that
// moment unwinds from that call, and an unwind out of a destructor (noexcept) ends the program.
// The body's own locals are gone by then; nothing here has a destructor.
template <class Body>
auto runUncancelled(Body&& body) {
    int before = PTHREAD_CANCEL_ENABLE;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &before);
    if constexpr (std::is_void_v<decltype(std::forward<Body>(body)())>) {
        std::forward<Body>(body)();
        pthread_setcancelstate(before, nullptr);
    } else {
        auto result = std::forward<Body>(body)();
        static_assert(std::is_trivially_destructible_v<decltype(result)>);
        pthread_setcancelstate(before, nullptr);
        return result;
    }
}

}  // namespace platform
