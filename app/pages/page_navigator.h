#pragma once
// The navigator over the program's page set: each request carried out on the pages that exist.
// Made by the page set's owner (the program, a test rig) before its pages; the page wiring hands
// it the context the pages are made with. User-interface thread.

#include <memory>

#include "app/pages/arrangement_pages.h"
#include "app/pages/pages.h"
#include "ui/navigator.h"

namespace app {

class PageNavigator final : public ui::Navigator {
  public:
    explicit PageNavigator(Pages& pages) : pages_(pages) {}
    ~PageNavigator() override;

    // The context of the page set; the page wiring sets it before it makes any page.
    void Attach(ShellContext& context);

    void ShowSetupPage() override;
    void LeaveSetupForAccompaniment() override;
    void SetPanicShortcut(const QKeySequence& keys) override;
    void SetHelpShortcut(const QKeySequence& keys) override;
    void Panic() override;
    bool OpenArrangement() override;
    bool SaveArrangement() override;
    void CloseStartSplash() override;
    void ShowPlayerPage() override;
    void ShowDrumTab() override;
    void StartDrums() override;
    void StopDrums() override;
    void ToggleTimeSignature() override;
    void ImportFromMidi() override;
    void OpenImport() override;
    void ShowAccompanimentPage() override;
    void RefreshAccompanimentPage() override;
    void ShowAccompanimentBar(const QString& bar) override;
    void ResetAccompanimentNoteButtons() override;
    void StopPlaying() override;
    void StartPlaying() override;
    void NewAll() override;
    void ReselectCurrentPart() override;
    void ShowPlayedNote(int key, int pitchClass, int velocity, int channel) override;
    ArrangementPages& Arrangement() override;

  private:
    Pages& pages_;
    ShellContext* context_ = nullptr;
    std::unique_ptr<FormArrangementPages> arrangement_;
};

}  // namespace app
