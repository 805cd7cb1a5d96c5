// The Qt side of the platform: the message pump and the message boxes.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <thread>

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_message_pump.h"
#include "platform/services.h"

namespace {

struct Counter final : platform::WindowProc {
    std::vector<std::uintptr_t> got;
    void windowMessage(std::uint32_t, std::uintptr_t w, std::intptr_t) override { got.push_back(w); }
};

// Runs the Qt loop until done() holds or a generous 60 s have passed.
template <typename Done>
void runLoopUntil(Done done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(QtMessagePump, PostsFromAnotherThreadArriveInOrderOnTheLoop) {
    auto& queue = platform::services().queue();
    Counter window;
    HWND h = queue.createWindow(&window);
    {
        platform::qt::QtMessagePump pump(queue);
        std::thread poster([&] {
            for (std::uintptr_t i = 0; i < 500; ++i) queue.post(h, 1025, i, 0);
        });
        poster.join();
        runLoopUntil([&] { return window.got.size() >= 500; });
    }
    ASSERT_EQ(window.got.size(), 500u);
    for (std::uintptr_t i = 0; i < 500; ++i) EXPECT_EQ(window.got[i], i);
    // With the pump gone, a post wakes nothing and is left for whoever dispatches next.
    queue.post(h, 1025, 7, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.got.size(), 500u);
    queue.dispatch();
    queue.destroyWindow(h);
}

// A handler that runs a nested loop (as a modal box does) while more messages come in.
struct NestingWindow final : platform::WindowProc {
    platform::MessageQueue* queue = nullptr;
    HWND self = nullptr;
    std::vector<std::uintptr_t> got;
    bool nestedSawSecond = false;
    void windowMessage(std::uint32_t, std::uintptr_t w, std::intptr_t) override {
        got.push_back(w);
        if (w != 1) return;
        std::thread poster([this] { queue->post(self, 1025, 2, 0); });
        poster.join();
        runLoopUntil([&] { return got.size() >= 2; });
        nestedSawSecond = got.size() >= 2;
    }
};

TEST(QtMessagePump, MessagesKeepArrivingWhileAHandlerRunsANestedLoop) {
    auto& queue = platform::services().queue();
    NestingWindow window;
    window.queue = &queue;
    window.self = queue.createWindow(&window);
    {
        platform::qt::QtMessagePump pump(queue);
        queue.post(window.self, 1025, 1, 0);
        runLoopUntil([&] { return window.got.size() >= 2; });
    }
    EXPECT_TRUE(window.nestedSawSecond) << "the step clock's messages are not held up by a modal box";
    EXPECT_EQ(window.got, (std::vector<std::uintptr_t>{1, 2}));
    queue.destroyWindow(window.self);
}

TEST(QtDialogs, ABoxShowsItsTextCaptionIconAndButtons) {
    platform::qt::QtDialogs dialogs;
    // What the box showed is noted inside the loop and checked after it: an assertion in there
    // would return before the box is closed and leave the test hanging.
    bool found = false, hadYes = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int tries = 0;
    std::function<void()> answer = [&] {
        QPointer<QMessageBox> box;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
        if (!box) {
            if (++tries < 6000) QTimer::singleShot(10, answer);  // a minute at the least
            return;
        }
        found = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        hadYes = box->button(QMessageBox::Yes) != nullptr;
        if (QAbstractButton* no = box->button(QMessageBox::No))
            no->click();
        else
            box->reject();
    };
    QTimer::singleShot(0, answer);
    const auto result = dialogs.messageBox(nullptr, "Save Changes?", "Confimation",
                                           platform::BoxButtons::YesNo, platform::BoxIcon::Question);
    ASSERT_TRUE(found) << "no message box was shown";
    EXPECT_EQ(result, platform::BoxAnswer::No);
    EXPECT_EQ(title, "Confimation");
    EXPECT_EQ(text, "Save Changes?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_TRUE(hadYes);
}

}  // namespace
