#pragma once
// Delivers the window messages of the platform's queue on the Qt user-interface thread: every
// post wakes the Qt loop, which then dispatches what is queued. Create it on the UI thread;
// while it lives, posts from any thread are handled in order by the Qt loop.

#include <memory>

#include "platform/window_queue.h"

namespace platform::qt {

class QtMessagePump {
  public:
    explicit QtMessagePump(MessageQueue& queue);
    ~QtMessagePump();
    QtMessagePump(const QtMessagePump&) = delete;
    QtMessagePump& operator=(const QtMessagePump&) = delete;

  private:
    struct Shared;
    MessageQueue& queue_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace platform::qt
