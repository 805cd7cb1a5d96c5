#pragma once
// Delivers the window messages of the platform's queue on the Qt user-interface thread: the
// Qt loop watches the queue's wakeup descriptor and dispatches what is queued whenever it turns
// readable. Create it on the UI thread; while it lives, posts from any thread are handled in
// order by the Qt loop. Posting wakes the loop without allocating anything on the poster's side.

#include <memory>

#include "platform/window_queue.h"

class QSocketNotifier;

namespace platform::qt {

class QtMessagePump {
  public:
    explicit QtMessagePump(MessageQueue& queue);
    ~QtMessagePump();
    QtMessagePump(const QtMessagePump&) = delete;
    QtMessagePump& operator=(const QtMessagePump&) = delete;

  private:
    MessageQueue& queue_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform::qt
