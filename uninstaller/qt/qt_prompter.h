#pragma once
// Messages and questions as Qt message boxes. User-interface thread only.

#include <QPointer>
#include <QWidget>

#include "uninstaller/prompter.h"

namespace kwu {

class QtPrompter : public Prompter {
  public:
    // The window that owns the messages marked ownedByDialog; may be null.
    void setOwner(QWidget* owner) { owner_ = owner; }

    void tell(const Message& message) override;
    bool ask(const Message& message) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace kwu
