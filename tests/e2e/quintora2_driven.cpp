// Quintora2 with a test hook: the real program, driven by a test through standard input.
// Built for the end-to-end tests only. Once the program's devices are open it prints "ready".
// Each line on standard input is one user action, answered by "done <line>" (or "missing <line>"
// when no such control exists); lines are taken from the start, so that a box shown before
// "ready" can be answered:
//   click <objectName>          a left click on the control (a button, a cell, a panel)
//   slide <objectName> <value>  the slider dragged to value
//   choose <objectName> <index> the item of the drop-down list picked
//   trigger <objectName>        a menu item chosen
//   answer <Yes|No|Ok>          the button of the message box on screen pressed
//   file <path>                 the file dialog on screen answered with that path

#include <unistd.h>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/pages/program.h"

namespace {

// Pages share some names (OPEN and SAVE on several pages, the About box's OK and the player's
// Auto Midi Play): a control of the modal window on screen wins, then any control on screen.
template <typename T>
T* find(const QString& name) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        for (T* t : modal->findChildren<T*>(name))
            if (t->isVisible()) return t;
    }
    T* hidden = nullptr;
    for (QWidget* top : QApplication::allWidgets()) {
        if (auto* t = qobject_cast<T*>(top); t && t->objectName() == name) {
            if (t->isVisible()) return t;
            if (!hidden) hidden = t;
        }
    }
    return hidden;
}

QAction* findAction(const QString& name) {
    for (QWidget* w : QApplication::allWidgets())
        for (QAction* a : w->actions())
            if (a->objectName() == name) return a;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* a = w->findChild<QAction*>(name)) return a;
    return nullptr;
}

void click(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->click();
        return;
    }
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

// Runs one command; false when its control does not exist.
bool run(const QStringList& words) {
    if (words.size() >= 2 && words[0] == "click") {
        QWidget* w = find<QWidget>(words[1]);
        if (!w) return false;
        click(w);
        return true;
    }
    if (words.size() >= 3 && words[0] == "slide") {
        auto* s = find<QAbstractSlider>(words[1]);
        if (!s) return false;
        s->setSliderPosition(words[2].toInt());
        return true;
    }
    if (words.size() >= 3 && words[0] == "choose") {
        auto* box = find<QComboBox>(words[1]);
        const int index = words[2].toInt();
        if (!box || index < 0 || index >= box->count()) return false;
        // As a user's pick: the list shows the item, then says it was activated.
        box->setCurrentIndex(index);
        emit box->activated(index);
        return true;
    }
    if (words.size() >= 2 && words[0] == "trigger") {
        QAction* a = findAction(words[1]);
        if (!a) return false;
        a->trigger();
        return true;
    }
    if (words.size() >= 2 && words[0] == "answer") {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return false;
        const auto which = words[1] == "Yes"  ? QMessageBox::Yes
                           : words[1] == "No" ? QMessageBox::No
                                              : QMessageBox::Ok;
        QAbstractButton* b = box->button(which);
        if (!b) return false;
        b->click();
        return true;
    }
    if (words.size() >= 2 && words[0] == "file") {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return false;
        const QString path = words.mid(1).join(' ');
        // Typed into the name box, as a user would: selecting a file leaves the box alone once
        // it has the focus.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!name) return false;
        dialog->setDirectory(QFileInfo(path).absolutePath());
        name->setText(path);
        if (!dialog->selectedFiles().contains(path)) {
            std::fprintf(stderr, "file dialog holds: %s\n", qPrintable(dialog->selectedFiles().join('|')));
            return false;
        }
        // Accepted as typed: the dialog's own checks would wait on its folder listing.
        static_cast<QDialog*>(dialog)->QDialog::done(QDialog::Accepted);
        return true;
    }
    return false;
}

void reply(const char* what, const std::string& line) {
    std::printf("%s %s\n", what, line.c_str());
    std::fflush(stdout);
}

// Runs one line. A file dialog may come up a little after the click that asks for it (a page
// can let pending messages run first): the answer waits for it, up to ten seconds.
void runLine(const std::string& line, int attempt) {
    const QStringList words = QString::fromStdString(line).split(' ', Qt::SkipEmptyParts);
    const bool ok = run(words);
    if (!ok && !words.isEmpty() && words[0] == "file" && attempt < 100) {
        QTimer::singleShot(100, [line, attempt] { runLine(line, attempt + 1); });
        return;
    }
    reply(ok ? "done" : "missing", line);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string pending;
    // Actions are taken from the start, so that a box shown before the program is up (a second
    // start on a folder in use) can be answered too.
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            notifier.setEnabled(false);
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            // Each action runs from the event loop, as a user's would.
            QTimer::singleShot(0, [line] { runLine(line, 0); });
        }
    });
    return app::RunQuintora2(application, [](app::QuintoraProgram&) { reply("ready", ""); });
}
