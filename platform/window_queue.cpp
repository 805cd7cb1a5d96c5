#include "platform/window_queue.h"

namespace platform {

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
    std::function<void()> wakeup;
    {
        std::lock_guard lock(mutex_);
        if (!windows_.count(window)) return false;
        queue_.push_back({window, msg, wParam, lParam});
        wakeup = wakeup_;
    }
    if (wakeup) wakeup();
    return true;
}

std::size_t MessageQueue::dispatch() {
    std::deque<Message> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
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
    return n;
}

std::size_t MessageQueue::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void MessageQueue::setWakeup(std::function<void()> wakeup) {
    std::lock_guard lock(mutex_);
    wakeup_ = std::move(wakeup);
}

}  // namespace platform
