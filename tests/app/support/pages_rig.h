#pragma once
// The program's pages over a fresh program state, a test engine and scripted dialogs, made and
// wired by the program's own page wiring.

#include <memory>

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/mid_check_form.h"
#include "app/pages/page_navigator.h"
#include "app/pages/pages.h"
#include "app/pages/quintora_form.h"
#include "drums/pages/drum_tab.h"
#include "drums/pages/drums_grid.h"
#include "import/pages/converting.h"
#include "import/pages/inst_list_form.h"
#include "platform/testing/launch_log.h"
#include "player/pages/midi_form.h"
#include "tests/app/support/program_fixture.h"

namespace testsupport {

class PagesRig : public ProgramFixture {
  protected:
    PagesRig();
    ~PagesRig() override;

    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    drums::Transport transport{state.drums, state.transport, state.Engine, link, devices, ops, listener};
    app::SaveOffer save{state.drums, state.live.parts, dialogs};
    app::Pages pages;
    app::PageNavigator navigator{pages};
    platform::testing::LaunchLog launcher;
    app::ShellContext context{state,     link, dialogs,   devices,  ops,
                              transport, save, navigator, launcher, pages};
    // Makes and wires the pages as start-up does (a page the test made first is kept); the rig
    // deletes what is left.
    void createPages();
};

}  // namespace testsupport
