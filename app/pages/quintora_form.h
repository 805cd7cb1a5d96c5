#pragma once
// The setup page, the program's main window: its menu, the button row and the title labels.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QToolButton>

#include <memory>

#include "app/pages/pages.h"

namespace app {

class ArrangementFlow;
class DiskIo;
class FormArrangementPages;

class TQuintoraForm : public QMainWindow {
  public:
    explicit TQuintoraForm(ProgramContext& context);
    ~TQuintoraForm() override;

    // File | Exit and the exit button: the program's shutdown.
    std::function<void()> onExit;
    void ExitItemClick();
    // PANIC (space bar): closes the device choices and sends the engine's panic.
    void PanicBtnClick();
    void OKInBtnClick();
    void OKOutBtnClick();
    // DRUM TABS: to the drum tab page.
    void DRUMTABClick();
    // The arrangement file: the open and save flows of the Open and Save buttons, also run by the
    // drum tab, the accompaniment page, NEW, exit and the import. Each returns true when a file
    // was read or written.
    bool OpenItemClick();
    bool SaveItemClick();

    // Where the MIDI file player page sits, under the title labels.
    QWidget* playerArea() const { return playerArea_; }

    QAction* ExitItem;
    QAction* PANIC1;
    QLabel* MidiLabel1;
    QLabel* MidiLabel2;
    QToolButton* ExitBtn;
    QPushButton* PanicBtn;
    QPushButton* DRUMTAB;

  protected:
    // Closing the window from the desktop runs the program's exit, as File | Exit does.
    void closeEvent(QCloseEvent* event) override;

  private:
    void closeSetupControls();
    ProgramContext& context_;
    QWidget* playerArea_;
    std::unique_ptr<FormArrangementPages> arrangementPages_;
    std::unique_ptr<DiskIo> disk_;
    std::unique_ptr<ArrangementFlow> arrangement_;
};

}  // namespace app
