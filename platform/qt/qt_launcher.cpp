#include "platform/qt/qt_launcher.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform::qt {

bool QtLauncher::openDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace platform::qt
