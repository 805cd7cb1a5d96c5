#include "tests/app/support/program_fixture.h"

#include <cstdlib>
#include <string>

namespace testsupport {

TempProgramFolder::TempProgramFolder() : previous_(std::filesystem::current_path()) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "quintora-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    std::string error;
    if (!common::EnterProgramFolder(path_, error)) throw std::runtime_error(error);
}

TempProgramFolder::~TempProgramFolder() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
}

ProgramFixture::ProgramFixture() {
    common::RememberStartFolder(state.shell);
    inputWindow = platform::services().queue().createWindow(&nullWindow_);
    devices.setInputWindow(inputWindow);
}

ProgramFixture::~ProgramFixture() {
    if (state.devices.MidiInIsOpen) platform::services().midiIn().close(state.devices.MidiInHandle);
    platform::services().queue().destroyWindow(inputWindow);
}

::testing::AssertionResult ProgramFixture::engineMatchesPattern() {
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d)
            if (link.engine.cell(s, d) != cell(s, d))
                return ::testing::AssertionFailure() << "cell [" << s << "][" << d << "]: engine "
                                                     << link.engine.cell(s, d) << ", pattern " << cell(s, d);
    for (int d = 0; d < 100; ++d)
        if (link.engine.pan(d) != state.drums.DrumPans[static_cast<std::size_t>(d)])
            return ::testing::AssertionFailure() << "pan " << d;
    return ::testing::AssertionSuccess();
}

}  // namespace testsupport
