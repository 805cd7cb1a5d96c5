#pragma once
// The messages and questions of the uninstaller. The program shows them as message boxes
// (qt/qt_prompter.h); tests answer from a script. Called on the user-interface thread.

#include <string>

namespace kwu {

struct Message {
    std::string text;
    std::string caption;
    bool errorIcon = false;
    bool systemModal = false;    // blocks every window of the program until answered
    bool ownedByDialog = false;  // owned by the uninstall dialog rather than by no window
    std::string details;         // a longer text the user may unfold below the message; empty for none
};

class Prompter {
  public:
    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void tell(const Message& message) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool ask(const Message& message) = 0;
};

}  // namespace kwu
