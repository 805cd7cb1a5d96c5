#include "uninstaller/qt/uninstall_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "uninstaller/printable.h"

namespace kwu {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

UninstallDialog::UninstallDialog(const UninstallScript& script, Uninstaller& uninstaller, QWidget* parent)
    : QDialog(parent), uninstaller_(uninstaller) {
    const MainTexts& t = script.texts();
    QFont font("Helvetica");
    font.setPointSize(8);
    setFont(font);
    // The title names the application: shown escaped, as every name is, so a control byte or a
    // right-to-left override in it cannot rearrange what the window says.
    setWindowTitle(q(printable(script.dialogTitle())));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFixedSize(units(0, 0, 345, 202).size());

    const auto label = [this](const char* name, const std::string& text, Qt::Alignment align, QRect where) {
        auto* l = new QLabel(q(text), this);
        l->setObjectName(name);
        l->setAlignment(align | Qt::AlignVCenter);
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(where);
        return l;
    };
    const auto edit = [this](const char* name, const std::string& text, QRect where) {
        auto* e = new QLineEdit(q(text), this);
        e->setObjectName(name);
        e->setEnabled(false);
        e->setGeometry(where);
        return e;
    };
    const auto box = [this](const char* name, const std::string& text, QRect where) {
        auto* c = new QCheckBox(q(text), this);
        c->setObjectName(name);
        c->setChecked(true);
        c->setGeometry(where);
        return c;
    };

    label("title", printable(t.title), Qt::AlignHCenter, units(12, 6, 317, 8));
    label("directoryIntro", t.directoryIntro, Qt::AlignHCenter, units(14, 24, 312, 8));
    label("directoryLabel", t.directoryLabel, Qt::AlignRight, units(16, 42, 103, 12));
    // The removal uses the directory's bytes as the script wrote them; the edit only shows them.
    edit("directory", printable(t.directory), units(124, 40, 196, 12));
    removeTree_ = box("removeTree", t.removeTreeBox, units(125, 58, 195, 12));
    label("groupIntro", t.groupIntro, Qt::AlignHCenter, units(13, 76, 312, 8));
    label("groupLabel", t.groupLabel, Qt::AlignRight, units(15, 94, 106, 8));
    edit("group", printable(t.group), units(125, 90, 195, 12));
    removeGroup_ = box("removeGroup", t.removeGroupBox, units(125, 108, 193, 12));
    askSystemFiles_ = box("askSystemFiles", t.askSystemBox, units(125, 124, 195, 12));
    count_ = label("count", script.countLine(), Qt::AlignHCenter, units(17, 141, 311, 8));
    status_ = label("status", t.statusLine, Qt::AlignHCenter, units(16, 157, 313, 8));

    ok_ = new QPushButton(q(t.okButton), this);
    ok_->setObjectName("ok");
    ok_->setDefault(true);
    ok_->setGeometry(units(18, 170, 97, 16));
    auto* cancel = new QPushButton(q(t.cancelButton), this);
    cancel->setObjectName("cancel");
    cancel->setAutoDefault(false);
    cancel->setGeometry(units(234, 171, 92, 16));
    connect(ok_, &QPushButton::clicked, this, [this] { okPressed(); });
    connect(cancel, &QPushButton::clicked, this, [this] { cancelPressed(); });

    // Centred across the screen, its top at a third of the height left over.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 3);
    }
}

QRect UninstallDialog::units(int x, int y, int width, int height) const {
    const QFontMetrics metrics(font());
    const int baseX = std::max(1, metrics.averageCharWidth());
    const int baseY = std::max(1, metrics.height());
    return QRect(x * baseX / 4, y * baseY / 8, width * baseX / 4, height * baseY / 8);
}

void UninstallDialog::okPressed() {
    const Choices choices{removeTree_->isChecked(), removeGroup_->isChecked(), askSystemFiles_->isChecked()};
    ok_->setEnabled(false);
    uninstaller_.run(choices, *this);
    accept();
}

void UninstallDialog::cancelPressed() {
    uninstaller_.requestCancel();
    if (!uninstaller_.running()) QDialog::reject();
}

void UninstallDialog::reject() {
    cancelPressed();
}

void UninstallDialog::itemStarting(const std::string& progressLine, const std::string& section) {
    status_->setText(q(progressLine));
    count_->setText(q(printable(section)));
    repaint();
    // Lets a press of Cancel through while the removal runs inside the OK handler.
    QCoreApplication::processEvents();
}

}  // namespace kwu
