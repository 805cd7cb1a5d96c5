#include "platform/qt/qt_hold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

namespace platform::qt {

namespace {

// A window's close button or the desktop's close request is the user's input too.
class RefuseClose final : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close) return false;
        event->ignore();
        return true;
    }
};

bool held = false;  // user-interface thread only

}  // namespace

bool RepaintingWhileHeld() {
    return held;
}

void RepaintWhileHeld() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || held) return;
    held = true;
    RefuseClose refuse;
    app->installEventFilter(&refuse);
    // Window messages arrive through a socket notifier; timers run the pages' own handlers.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
    app->removeEventFilter(&refuse);
    held = false;
}

}  // namespace platform::qt
