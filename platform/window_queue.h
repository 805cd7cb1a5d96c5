#pragma once
// Window handles and their message queue, the stand-in for posted window messages. Any thread
// may post; the user-interface thread dispatches. A message for a window that is no longer
// registered is dropped, when posted and again when dispatched. A post allocates nothing once
// the queue has grown to its working size (the step clock posts from its timer thread).

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

struct HWND__;  // opaque; only its address is used
using HWND = HWND__*;

namespace platform {

inline constexpr std::uint32_t WM_USER = 0x0400;
inline constexpr std::uint32_t MM_MIM_DATA = 0x3C3;

class WindowProc {
  public:
    virtual ~WindowProc() = default;
    virtual void windowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

class MessageQueue {
  public:
    MessageQueue();
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // UI thread. The handle stays valid until destroyWindow.
    HWND createWindow(WindowProc* proc);
    void destroyWindow(HWND window);

    // Any thread. False when the window is not registered (nothing is queued).
    bool post(HWND window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

    // UI thread: delivers the messages queued before the call, in order; returns how many.
    std::size_t dispatch();
    std::size_t pending() const;

    // A descriptor (an eventfd) that turns readable at every post, for an event loop to watch;
    // it stays valid as long as the queue. The loop calls clearWakeup, then dispatch.
    int wakeupFd() const { return wakeFd_; }
    void clearWakeup();

  private:
    struct Message {
        HWND window;
        std::uint32_t msg;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    mutable std::mutex mutex_;
    std::unordered_map<HWND, WindowProc*> windows_;
    std::vector<Message> queue_;
    std::vector<Message> spare_;  // the storage of the last batch, handed back to queue_ next time
    int wakeFd_ = -1;
    std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace platform
