// A callback that libjack's thread runs must finish before a cancellation of that thread lands.

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>

#include "platform/backends/uncancelled.h"

namespace {

struct Callback {
    std::atomic<bool> inside{false};
    std::atomic<bool> requested{false};  // set once pthread_cancel has returned
    std::atomic<bool> finished{false};
    std::atomic<bool> after{false};
};

// As libjack runs its process thread: cancellable at any instruction. The body reaches a
// cancellation point once the cancellation is pending, so an unguarded body is cancelled there
// every time, not by chance.
void* cancelledWhileInside(void* arg) {
    auto* run = static_cast<Callback*>(arg);
    pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
    platform::runUncancelled([run] {
        run->inside.store(true);
        while (!run->requested.load()) {
        }
        pthread_testcancel();
        run->finished.store(true);
    });
    run->after.store(true);
    return nullptr;
}

TEST(Uncancelled, ACancellationWaitsForTheBodyAndThenTakesEffect) {
    Callback run;
    pthread_t thread{};
    ASSERT_EQ(pthread_create(&thread, nullptr, &cancelledWhileInside, &run), 0);
    while (!run.inside.load()) {
    }
    ASSERT_EQ(pthread_cancel(thread), 0);
    run.requested.store(true);
    // The thread's result is not checked: glibc leaves it unset for a cancellation that takes
    // effect as the state is put back. Where the thread stopped tells what happened.
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    EXPECT_TRUE(run.finished.load()) << "the body was cut off";
    EXPECT_FALSE(run.after.load()) << "the cancellation was lost: the thread ran on past the body";
}

TEST(Uncancelled, WithoutACancellationTheBodysResultComesBackAndTheStateIsPutBack) {
    int state = -1;
    const int result = platform::runUncancelled([&] {
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &state);
        pthread_setcancelstate(state, nullptr);
        return 7;
    });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(state, PTHREAD_CANCEL_DISABLE) << "the body did not run with cancellation held off";
    pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &state);
    EXPECT_EQ(state, PTHREAD_CANCEL_ENABLE) << "the state before was not put back";
}

}  // namespace
