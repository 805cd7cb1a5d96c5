// The Qt side of the platform: the message pump and the message boxes.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
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
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (window.got.size() >= 500) loop.quit();
        });
        poll.start(5);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
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

TEST(QtDialogs, ABoxShowsItsTextCaptionIconAndButtons) {
    platform::qt::QtDialogs dialogs;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        ASSERT_NE(box->button(QMessageBox::Yes), nullptr);
        box->button(QMessageBox::No)->click();
    });
    const auto answer = dialogs.messageBox(nullptr, "Save Changes?", "Confimation",
                                           platform::BoxButtons::YesNo, platform::BoxIcon::Question);
    EXPECT_EQ(answer, platform::BoxAnswer::No);
    EXPECT_EQ(title, "Confimation");
    EXPECT_EQ(text, "Save Changes?");
    EXPECT_EQ(icon, QMessageBox::Question);
}

}  // namespace
