#pragma once
// The uninstall dialog: what will be removed, three options, the item count and, while the removal
// runs, the item being processed and the progress line. OK runs the removal inside its handler;
// Cancel ends an idle dialog or, while running, asks the removal to stop after the current item.
// Controls carry object names for tests: title, directoryIntro, directoryLabel, directory,
// removeTree, groupIntro, groupLabel, group, removeGroup, askSystemFiles, count, status, ok, cancel.

#include <QDialog>

#include "uninstaller/removal.h"
#include "uninstaller/uninstall_script.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace kwu {

class UninstallDialog : public QDialog, public RemovalObserver {
  public:
    UninstallDialog(const UninstallScript& script, Uninstaller& uninstaller, QWidget* parent = nullptr);

    void itemStarting(const std::string& progressLine, const std::string& section) override;

  protected:
    // Escape and the window's close button act as the Cancel button.
    void reject() override;

  private:
    void okPressed();
    void cancelPressed();
    // A rectangle in dialog units of the dialog's font, in pixels.
    QRect units(int x, int y, int width, int height) const;

    Uninstaller& uninstaller_;
    QCheckBox* removeTree_ = nullptr;
    QCheckBox* removeGroup_ = nullptr;
    QCheckBox* askSystemFiles_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace kwu
