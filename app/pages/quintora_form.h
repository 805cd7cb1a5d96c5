#pragma once
// The setup page, the program's main window: its menu, the button row, the title labels and
// the device choices (input and output device, user channel, output test) shown in place of
// the titles while the user sets up. The MIDI file player page sits below the titles. The device
// buttons, OK, PANIC and DRUM TABS run the page's logic (program/setup_ops.h) and then show
// what it left in the view.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QToolButton>

#include <memory>

#include "app/pages/pages.h"
#include "program/setup_ops.h"

namespace common {
class DiskIo;
}

namespace app {

class ArrangementFlow;
class FormArrangementPages;

class TQuintoraForm : public QMainWindow, private SetupHost {
  public:
    explicit TQuintoraForm(ShellContext& context);
    ~TQuintoraForm() override;

    // File | Exit and the exit button: the program's shutdown.
    std::function<void()> onExit;
    void ExitItemClick();

    // MIDI IN / MIDI OUT (and their menu items): list the devices and show the choice.
    void MidiInBtnClick();
    void MidiOutBtnClick();
    // The user's choices in the boxes (the page's own setting of an index runs none of them).
    void MidiInBoxChange();
    void MidiOutBoxChange();
    void ChannelBoxChange();
    // MIDI OUT TEST: the engine's test chord, a second's wait, then the panic.
    void OutTestBtnClick();
    // Either OK: the configuration written, the choices closed, the titles and the player back.
    void OKInBtnClick();
    void OKOutBtnClick();
    // PANIC (space bar): closes the device choices and sends the engine's panic.
    void PanicBtnClick();
    // DRUM TABS and COMBO: to the drum tab and to the accompaniment page.
    void DRUMTABClick();
    void ComboButtonClick();
    // Help | Index (F2) and Help | Help (F1).
    void ContentsClick();
    void SearchClick();
    // Help | About..., and clicks on the page or its titles: the About box.
    void About1Click();

    // The arrangement file: the open and save flows of the Open and Save buttons, also run by the
    // drum tab, the accompaniment page, NEW, exit and the import. Each returns true when a file
    // was read or written.
    bool OpenItemClick();
    bool SaveItemClick();

    // The menu's keys (Alt+X, F1, F2, Space) work on every page that shares them, so that help
    // opens the topic of the page the user is on and PANIC is always one key away.
    void ShareMenuKeys(QWidget* page);

    // Where the MIDI file player page sits, under the title labels.
    QWidget* playerArea() const { return playerArea_; }
    // The device each item of the two boxes stands for.
    const DeviceItems& midiInItems() const { return setup_.midiInItems(); }
    const DeviceItems& midiOutItems() const { return setup_.midiOutItems(); }

    // Main menu.
    QAction* ExitItem;
    QAction* Topics1;
    QAction* Search;
    QAction* About1;
    QAction* SetupMidiIn;
    QAction* SetupMidiOut;
    QAction* PANIC1;
    // Title labels.
    QLabel* MidiLabel1;
    QLabel* MidiLabel2;
    // Setup controls.
    QLabel* Label1;
    QLabel* Label2;
    QComboBox* MidiInBox;
    QComboBox* MidiOutBox;
    QComboBox* ChannelBox;
    QPushButton* OKInBtn;
    QPushButton* OKOutBtn;
    QPushButton* OutTestBtn;
    // The button row.
    QWidget* SpeedPanel;
    QToolButton* OpenBtn;
    QToolButton* SaveBtn;
    QToolButton* ExitBtn;
    QPushButton* MidiInBtn;
    QPushButton* MidiOutBtn;
    QPushButton* PanicBtn;
    QPushButton* DRUMTAB;
    QPushButton* ComboButton;

  protected:
    // A click on the page itself or on a title label.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showDeviceChoices() override;
    void showInputDevices() override;
    void showOutputDevices() override;
    void stopPlayer() override;
    void showPlayer() override;
    void hidePlayer() override;
    void showInputWindow(bool shown) override;
    void buildMenu();
    void buildButtons(QWidget* central);
    void buildSetupControls(QWidget* central);
    void showPlayerPage();

    ShellContext& context_;
    QWidget* central_;
    QWidget* playerArea_;
    std::unique_ptr<FormArrangementPages> arrangementPages_;
    std::unique_ptr<common::DiskIo> disk_;
    std::unique_ptr<ArrangementFlow> arrangement_;
    SetupPageOps setup_;
};

}  // namespace app
