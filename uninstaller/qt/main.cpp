// kwu: removes an installation as its uninstall script (the .kwu file beside the program) lists it.

#include <QApplication>

#include "uninstaller/desktop_menu.h"
#include "uninstaller/install_layout.h"
#include "uninstaller/qt/qt_prompter.h"
#include "uninstaller/qt/uninstall_dialog.h"
#include "uninstaller/removal.h"
#include "uninstaller/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kwu::QtPrompter prompter;
    const auto names = kwu::ProgramNames::ofRunningProgram(argc > 0 ? argv[0] : nullptr);
    return kwu::startUninstaller(names, prompter,
                                 [&](const kwu::UninstallScript& script, const kwu::InstallRoot& root) {
                                     kwu::DesktopMenu menu(root);
                                     kwu::Uninstaller uninstaller(script, names, root, prompter, menu);
                                     kwu::UninstallDialog dialog(script, uninstaller);
                                     prompter.setOwner(&dialog);
                                     dialog.exec();
                                     prompter.setOwner(nullptr);
                                     return 0;
                                 });
}
