#include "platform/qt/qt_message_pump.h"

#include <QObject>
#include <QSocketNotifier>

namespace platform::qt {

QtMessagePump::QtMessagePump(MessageQueue& queue)
    : queue_(queue), notifier_(std::make_unique<QSocketNotifier>(queue.wakeupFd(), QSocketNotifier::Read)) {
    // Messages posted before the pump existed have left the descriptor readable already, so
    // they are dispatched by the first pass of the loop.
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        queue_.clearWakeup();
        queue_.dispatch();
    });
}

QtMessagePump::~QtMessagePump() = default;

}  // namespace platform::qt
