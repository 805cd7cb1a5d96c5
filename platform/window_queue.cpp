#include "platform/window_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr std::size_t kInitialCapacity = 256;
}

MessageQueue::MessageQueue() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    queue_.reserve(kInitialCapacity);
    spare_.reserve(kInitialCapacity);
}

MessageQueue::~MessageQueue() {
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

HWND MessageQueue::createWindow(WindowProc* proc) {
    std::lock_guard lock(mutex_);
    // Handles are never reused, so a stale handle cannot reach a newer window.
    HWND h = reinterpret_cast<HWND>(nextHandle_);
    nextHandle_ += 0x10;
    windows_[h] = proc;
    return h;
}

void MessageQueue::destroyWindow(HWND window) {
    std::lock_guard lock(mutex_);
    windows_.erase(window);
}

bool MessageQueue::post(HWND window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        if (!windows_.count(window)) return false;
        queue_.push_back({window, msg, wParam, lParam});
    }
    if (wakeFd_ >= 0) eventfd_write(wakeFd_, 1);
    return true;
}

std::size_t MessageQueue::dispatch() {
    // The batch is delivered outside the lock (a handler may post or dispatch again); posts
    // made meanwhile go into the storage of the previous batch, which already has room.
    std::vector<Message> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
        queue_.swap(spare_);
    }
    std::size_t n = 0;
    for (const Message& m : batch) {
        WindowProc* proc = nullptr;
        {
            std::lock_guard lock(mutex_);
            auto it = windows_.find(m.window);
            if (it != windows_.end()) proc = it->second;
        }
        if (!proc) continue;
        proc->windowMessage(m.msg, m.wParam, m.lParam);
        ++n;
    }
    batch.clear();
    std::lock_guard lock(mutex_);
    if (batch.capacity() > spare_.capacity()) spare_.swap(batch);
    return n;
}

std::size_t MessageQueue::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void MessageQueue::clearWakeup() {
    eventfd_t value;
    if (wakeFd_ >= 0) eventfd_read(wakeFd_, &value);
}

}  // namespace platform
