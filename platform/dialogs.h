#pragma once
// Message boxes, beeps and file dialogs as the pages ask for them. The real service shows Qt
// dialogs; tests install a scripted one (platform/testing/scripted_dialogs.h) that answers from a
// script and keeps a log. Call from the user-interface thread only.

#include <optional>
#include <string>

namespace platform {

enum class BoxIcon { None, Exclamation, Question, Information, Stop };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Cancel, Yes, No };
// The system sounds a page can ask for before a box.
enum class BeepSound { Default, Stop, Exclamation, Question, Information };

struct FileDialogRequest {
    std::string title;
    std::string filter;      // "Arrangements (*.QTR)" style, ";;" between entries
    std::string defaultExt;  // without the dot; added when the typed name has none
    std::string initialDir;
    std::string fileName;
};

class DialogService {
  public:
    virtual ~DialogService() = default;
    // owner: the page's opaque window, or nullptr for the application's box.
    virtual BoxAnswer messageBox(const void* owner, const std::string& text, const std::string& caption,
                                 BoxButtons buttons, BoxIcon icon) = 0;
    virtual void beep(BeepSound sound) = 0;
    // Empty when the user cancels.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
};

}  // namespace platform
