#include "platform/qt/qt_message_pump.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <mutex>

namespace platform::qt {

// What the wakeup needs, kept alive by the wakeup itself: a poster may still hold a copy of it
// after the pump is gone, and then finds `receiver` cleared.
struct QtMessagePump::Shared {
    std::mutex mutex;
    QObject* receiver = nullptr;
    std::atomic<bool> scheduled{false};
};

QtMessagePump::QtMessagePump(MessageQueue& queue) : queue_(queue), shared_(std::make_shared<Shared>()) {
    shared_->receiver = new QObject();  // lives on this (the UI) thread
    std::weak_ptr<Shared> weak = shared_;
    MessageQueue* q = &queue_;
    queue_.setWakeup([weak, q] {
        auto s = weak.lock();
        if (!s || s->scheduled.exchange(true)) return;  // one pending dispatch covers every post
        std::lock_guard lock(s->mutex);
        if (!s->receiver) return;
        QMetaObject::invokeMethod(
            s->receiver,
            [weak, q] {
                if (auto alive = weak.lock()) alive->scheduled.store(false);
                q->dispatch();
            },
            Qt::QueuedConnection);
    });
    if (queue_.pending()) {
        shared_->scheduled = true;
        QMetaObject::invokeMethod(
            shared_->receiver,
            [weak, q] {
                if (auto alive = weak.lock()) alive->scheduled.store(false);
                q->dispatch();
            },
            Qt::QueuedConnection);
    }
}

QtMessagePump::~QtMessagePump() {
    queue_.setWakeup(nullptr);
    std::lock_guard lock(shared_->mutex);
    delete shared_->receiver;  // drops any dispatch still queued for it
    shared_->receiver = nullptr;
}

}  // namespace platform::qt
