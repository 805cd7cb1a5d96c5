#pragma once
// The three small forms around the program: the start splash that stands while the pages are
// made, the closing splash that stands while the program shuts down, and the About box.
// User-interface thread only.

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <functional>

#include "app/pages/pages.h"
#include "platform/clock.h"

namespace app {

// Moves a window to the middle of the screen it is on (the primary one before it is shown).
void CentreOnScreen(QWidget& window);

// The closing splash stands at least this long, so that it is seen: the exit's own steps after
// it take a few milliseconds.
inline constexpr std::chrono::milliseconds kEndSplashStands{1200};
// How long a freshly shown splash may take to reach the screen (the desktop maps it).
inline constexpr std::chrono::milliseconds kSplashMapWait{1000};

// Holds the program (on the platform clock) until `until` or until `done` says so, the windows
// repainting meanwhile and no input taken.
void HoldRepainting(platform::SteadyTime until, const std::function<bool()>& done = {});
// Whether the window is on the screen (mapped and exposed).
bool OnScreen(const QWidget& window);

// The start splash: frameless, takes no input, in the middle of the screen. It has no owner;
// start-up shows it before any other window.
class TMidiSplash : public QWidget {
  public:
    TMidiSplash();

    QFrame* Panel1;
    QWidget* Image1;
    QLabel* Label1;
    QLabel* Label2;
};

// The closing splash: a dialog frame without buttons, above every other window, owned by the
// setup page.
class TEndSplash : public QWidget {
  public:
    explicit TEndSplash(QWidget* owner);

    QWidget* Image1;
    QLabel* Label1;
};

// The About box, shown modally from the setup page; a fresh one for each About command.
class TAboutBox : public QDialog {
  public:
    TAboutBox(ShellContext& context, QWidget* owner);

    // When the box becomes active: painted at once, then the About jingle to its end.
    void Panel2Click();
    // OK: the setup page back to its idle state (device choices closed, the configuration
    // written) with the player page shown; the box then ends with the OK result.
    void BitBtn1Click();

    QFrame* Panel1;
    QWidget* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* CompanyName;
    QLabel* Copyright;
    QLabel* Comments;
    QLabel* CREDIT;
    QPushButton* BitBtn1;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    ShellContext& context_;
    bool jinglePlayed_ = false;
};

// Ends the start splash: the start jingle to its end on `player` while the splash stands, then
// CloseStartSplash. The player page's constructor does the same through the navigator, once it
// can play a jingle.
void CloseSplash(ShellContext& context, player::TMidiForm& player);
// The splash hidden and destroyed, the engine's cell fields parked again and the fresh program
// left with no unsaved change.
void CloseStartSplash(ShellContext& context);

// Help | About..., and clicks on the setup page or its titles: from the program folder (where
// the jingle is), a fresh About box shown modally and destroyed when it closes.
void ShowAboutBox(ShellContext& context, QWidget* owner);

}  // namespace app
