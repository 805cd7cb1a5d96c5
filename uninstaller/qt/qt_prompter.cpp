#include "uninstaller/qt/qt_prompter.h"

#include <QMessageBox>

namespace kwu {
namespace {

QMessageBox::StandardButton show(const Message& message, QWidget* owner,
                                 QMessageBox::StandardButtons buttons) {
    QMessageBox box(message.errorIcon ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(message.caption), QString::fromStdString(message.text), buttons,
                    message.ownedByDialog ? owner : nullptr);
    if (!message.details.empty()) box.setDetailedText(QString::fromStdString(message.details));
    if (message.systemModal) box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtPrompter::tell(const Message& message) {
    show(message, owner_, QMessageBox::Ok);
}

bool QtPrompter::ask(const Message& message) {
    return show(message, owner_, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace kwu
