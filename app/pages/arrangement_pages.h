#pragma once
// The pages' part of opening and saving an arrangement: the controls the two flows read and
// set, on whichever pages exist.

#include "app/pages/pages.h"
#include "program/arrangement_flow.h"

namespace app {

class FormArrangementPages final : public ArrangementPages {
  public:
    explicit FormArrangementPages(ShellContext& context) : context_(context) {}

    bool setupPageVisible() override;
    void showPlayerPage() override;
    void stopPlayer() override;
    const void* setupWindow() override;
    void panic() override;
    bool newDrums() override;
    void resetOrchestra() override;
    void showFileName(const std::string& path) override;
    void showTempo(int tempo) override;
    void showSplitPoint(int splitPoint) override;
    std::array<int, 4> partPanBars() override;
    void showPartPans(const std::array<int, 4>& pans) override;
    void showThruChannel(int channel) override;
    int barsPosition() override;
    void applyBars() override;
    void reapplyTimeSignature() override;
    void selectDrumTab(int drum) override;
    void refreshOrchestra() override;

  private:
    ShellContext& context_;
};

}  // namespace app
