// libPlenwick.so owns the output device, so a process that loads it has the real devices behind
// the platform's registries, whether or not anything else installs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/Plenwick.h"
#include "platform/services.h"

namespace {

TEST(PlenwickDevices, LoadingTheLibraryInstallsTheRealDevices) {
    ::setenv("QUINTORA_MIDI_API", "none", 1);  // no MIDI system is asked: the synth alone
    EXPECT_EQ(MessagePost(nullptr), 0);
    std::string name;
    EXPECT_EQ(platform::services().midiOut().getDevCaps(-1, name), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(name, "Quintora2 GM Synth");
}

}  // namespace
