#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

namespace platform::qt {

namespace {

QWidget* ownerWidget(const void* owner) {
    return static_cast<QWidget*>(const_cast<void*>(owner));
}

QMessageBox::Icon toQt(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Stop:
            return QMessageBox::Critical;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case BoxButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case BoxButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case BoxButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

std::optional<std::string> chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

}  // namespace

BoxAnswer QtDialogs::messageBox(const void* owner, const std::string& text, const std::string& caption,
                                BoxButtons buttons, BoxIcon icon) {
    QMessageBox box(toQt(icon), QString::fromStdString(caption), QString::fromStdString(text), toQt(buttons),
                    ownerWidget(owner));
    switch (box.exec()) {
        case QMessageBox::Yes:
            return BoxAnswer::Yes;
        case QMessageBox::No:
            return BoxAnswer::No;
        case QMessageBox::Cancel:
            return BoxAnswer::Cancel;
        case QMessageBox::Ok:
            return BoxAnswer::Ok;
        default:
            break;
    }
    // Closed without a button: the safe answer of each kind of box.
    return buttons == BoxButtons::Ok      ? BoxAnswer::Ok
           : buttons == BoxButtons::YesNo ? BoxAnswer::No
                                          : BoxAnswer::Cancel;
}

void QtDialogs::beep(BeepSound) {
    QApplication::beep();
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& r) {
    QFileDialog dialog(nullptr, QString::fromStdString(r.title), QString::fromStdString(r.initialDir),
                       QString::fromStdString(r.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!r.fileName.empty()) dialog.selectFile(QString::fromStdString(r.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return chosen(dialog.selectedFiles().front());
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& r) {
    QFileDialog dialog(nullptr, QString::fromStdString(r.title), QString::fromStdString(r.initialDir),
                       QString::fromStdString(r.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(r.defaultExt));
    if (!r.fileName.empty()) dialog.selectFile(QString::fromStdString(r.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return chosen(dialog.selectedFiles().front());
}

}  // namespace platform::qt
