#include "platform/qt/qt_message_pump.h"

#include <QObject>
#include <QSocketNotifier>

#include "platform/qt/qt_hold.h"

namespace platform::qt {

QtMessagePump::QtMessagePump(MessageQueue& queue)
    : queue_(queue), notifier_(std::make_unique<QSocketNotifier>(queue.wakeupFd(), QSocketNotifier::Read)) {
    // Messages posted before the pump existed have left the descriptor readable already, so
    // they are dispatched by the first pass of the loop.
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        // While the program is held only the screen repaints; the descriptor stays readable,
        // so the loop delivers the messages once the hold is over.
        if (RepaintingWhileHeld()) return;
        queue_.clearWakeup();
        queue_.dispatch();
    });
}

QtMessagePump::~QtMessagePump() = default;

}  // namespace platform::qt
