#pragma once
// A close request on one of the program's pages (a title bar's close button, Alt+F4, or the
// window closed from code) is the user leaving the program: it goes to `request`, which says
// whether the window may close. Without this a page the desktop closes only hides, and the program
// runs on with nothing on the screen. The pages are every window of the page set; the dialogs
// shown over a page (the About box, the DRUM LIST) and the splash screens keep their own
// handling. It watches the whole application, so that a page made later (the fresh import page
// of each import) is covered too. User-interface thread only.

#include <QObject>
#include <functional>

#include "app/pages/pages.h"

namespace app {

class PageCloseRequests final : public QObject {
  public:
    PageCloseRequests(const Pages& pages, std::function<bool()> request);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Whether `object` is one of the page windows.
    bool isPage(const QObject* object) const;

    const Pages& pages_;
    std::function<bool()> request_;
};

}  // namespace app
