#pragma once
// A dialog service for tests: answers come from a script, every request is logged.

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace platform::testing {

class ScriptedDialogs final : public DialogService {
  public:
    struct Entry {
        enum class Kind { Box, Beep, Open, Save } kind;
        std::string text;     // box text, or the file dialog's title
        std::string caption;  // box caption, or the file dialog's filter
        BoxButtons buttons = BoxButtons::Ok;
        BoxIcon icon = BoxIcon::None;
        BeepSound sound = BeepSound::Default;
        const void* owner = nullptr;
        FileDialogRequest request;
    };

    // Answers for boxes, taken in order; an unscripted box answers Ok (or No for yes/no boxes).
    void scriptAnswer(BoxAnswer answer) { answers_.push_back(answer); }
    // Results for file dialogs, taken in order; an unscripted dialog is cancelled.
    void scriptFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

    const std::vector<Entry>& log() const { return log_; }
    std::vector<Entry> boxes() const {
        std::vector<Entry> out;
        for (const auto& e : log_)
            if (e.kind == Entry::Kind::Box) out.push_back(e);
        return out;
    }
    void clear() { log_.clear(); }

    BoxAnswer messageBox(const void* owner, const std::string& text, const std::string& caption,
                         BoxButtons buttons, BoxIcon icon) override {
        Entry e{Entry::Kind::Box, text, caption, buttons, icon};
        e.owner = owner;
        log_.push_back(e);
        if (!answers_.empty()) {
            BoxAnswer a = answers_.front();
            answers_.pop_front();
            return a;
        }
        return buttons == BoxButtons::YesNo || buttons == BoxButtons::YesNoCancel ? BoxAnswer::No
                                                                                  : BoxAnswer::Ok;
    }
    void beep(BeepSound sound) override {
        Entry e{Entry::Kind::Beep};
        e.sound = sound;
        log_.push_back(e);
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        return file(Entry::Kind::Open, request);
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override {
        return file(Entry::Kind::Save, request);
    }

  private:
    std::optional<std::string> file(Entry::Kind kind, const FileDialogRequest& request) {
        Entry e{kind, request.title, request.filter};
        e.request = request;
        log_.push_back(e);
        if (files_.empty()) return std::nullopt;
        auto f = files_.front();
        files_.pop_front();
        return f;
    }
    std::deque<BoxAnswer> answers_;
    std::deque<std::optional<std::string>> files_;
    std::vector<Entry> log_;
};

}  // namespace platform::testing
