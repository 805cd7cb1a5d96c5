#pragma once
// The dialog service over Qt: message boxes, the system beep and the file dialogs.
// User-interface thread only; the owner of a box is the page's QWidget (or none).

#include "platform/dialogs.h"

namespace platform::qt {

class QtDialogs final : public DialogService {
  public:
    BoxAnswer messageBox(const void* owner, const std::string& text, const std::string& caption,
                         BoxButtons buttons, BoxIcon icon) override;
    void beep(BeepSound sound) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
};

}  // namespace platform::qt
