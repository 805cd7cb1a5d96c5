#include "app/pages/page_close_requests.h"

#include <QEvent>
#include <QWidget>

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/mid_check_form.h"
#include "app/pages/quintora_form.h"
#include "drums/pages/drum_tab.h"
#include "drums/pages/drums_grid.h"
#include "import/pages/converting.h"
#include "import/pages/inst_list_form.h"

namespace app {

PageCloseRequests::PageCloseRequests(const Pages& pages, std::function<bool()> request)
    : pages_(pages), request_(std::move(request)) {}

bool PageCloseRequests::isPage(const QObject* object) const {
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (!widget || !widget->isWindow()) return false;
    // The player page sits inside the setup page's window.
    for (const QWidget* page :
         {static_cast<const QWidget*>(pages_.QuintoraForm), static_cast<const QWidget*>(pages_.DrumsGrid),
          static_cast<const QWidget*>(pages_.DrumTab), static_cast<const QWidget*>(pages_.MidCheckForm),
          static_cast<const QWidget*>(pages_.OrchestraForm),
          static_cast<const QWidget*>(pages_.AccompanyForm), static_cast<const QWidget*>(pages_.Converting),
          static_cast<const QWidget*>(pages_.InstListForm)})
        if (page == widget) return true;
    return false;
}

bool PageCloseRequests::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Close || !isPage(watched)) return false;
    event->setAccepted(request_ && request_());
    return true;  // the page's own handling (hiding it) does not run
}

}  // namespace app
