#pragma once
// The hidden window that receives the MIDI input's messages. MM_MIM_DATA and MM_MIM_LONGERROR
// go to MidiInMessage, which the live input handling overrides.

#include <QWidget>

#include "app/pages/pages.h"
#include "platform/window_queue.h"

namespace app {

inline constexpr std::uint32_t MM_MIM_LONGERROR = 0x3C6;

class TMidCheckForm : public QWidget, public platform::WindowProc {
  public:
    explicit TMidCheckForm(ShellContext& context);
    ~TMidCheckForm() override;

    // The input's callback window.
    HWND window() const { return window_; }

    void windowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    // One message of the input device: WPARAM the input handle, LPARAM the packed message.
    virtual void MidiInMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

  protected:
    ShellContext& context_;

  private:
    HWND window_ = nullptr;
};

}  // namespace app
