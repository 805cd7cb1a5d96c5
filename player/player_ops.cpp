#include "player/player_ops.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>

#include "common/folders.h"
#include "common/help.h"
#include "platform/regular_file.h"
#include "platform/services.h"
#include "player/jingles.h"

namespace player {

namespace fs = std::filesystem;

namespace {

// The player's window message: the media player has let go of the output device.
constexpr std::uint32_t kOutputFree = platform::WM_USER + 1;

bool EndsInMid(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".mid";
}

}  // namespace

std::vector<std::string> ListMidiFiles(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !it->is_regular_file(ignored) || !EndsInMid(name))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

PlayerOps::PlayerOps(common::ProgramWide& state, common::EngineLink& engine, common::MidiDevices& devices,
                     platform::DialogService& dialogs, platform::MidiOutRegistry& outputs,
                     player::PlayerClock& clock)
    : state_(state), engine_(engine), devices_(devices), dialogs_(dialogs), media_(outputs, clock) {
    platform::MessageQueue& queue = platform::services().queue();
    window_ = queue.createWindow(this);
    // From the media player's thread: a message once the window is gone is dropped.
    media_.onStopped = [&queue, window = window_] { queue.post(window, kOutputFree, 0, 0); };
}

PlayerOps::~PlayerOps() {
    platform::services().queue().destroyWindow(window_);
}

void PlayerOps::windowMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) {
    // A file started since the message was sent has the device now; its end sends another.
    if (msg != kOutputFree || media_.IsPlaying() || state_.shell.Exiting || state_.devices.MidiOutIsOpen)
        return;
    devices_.OpenMidiOut();
}

void PlayerOps::handBackOutput() {
    if (!media_.IsPlaying() && !state_.devices.MidiOutIsOpen)
        platform::services().queue().post(window_, kOutputFree, 0, 0);
}

void PlayerOps::timers(bool on) {
    view.Timer1On = on;
    view.Timer2On = on;
}

void PlayerOps::idle() {
    timers(false);
    PlayerNext = 0;
    PlayerBusy = 0;
    view.ProgressPosition = 0;
}

void PlayerOps::deviceError() {
    // As the application shows an error nobody handled: the device's own text.
    dialogs_.messageBox(nullptr, media_.LastError(), "QUINTORA2", platform::BoxButtons::Ok,
                        platform::BoxIcon::Stop);
}

void PlayerOps::reportFailure() {
    const std::string failure = media_.TakeFailure();
    if (failure.empty()) return;
    dialogs_.messageBox(nullptr, failure, "QUINTORA2", platform::BoxButtons::Ok, platform::BoxIcon::Stop);
}

bool PlayerOps::openMedia() {
    media_.Stop();
    reportFailure();          // the file that played last, before it is forgotten
    devices_.CloseMidiOut();  // the file has the device to itself
    if (media_.Open(fileName_, devices_.OutputDevice())) return true;
    deviceError();
    return false;
}

bool PlayerOps::play() {
    if (media_.Play() == platform::MMSYSERR_NOERROR) return true;
    deviceError();
    return false;
}

void PlayerOps::engineMessages() {
    // Data-only packets and a System Reset through the engine; the output layer sends only the
    // reset, and only while the engine's output is open.
    for (int first : {121, 255, 127, 125}) engine_.ShortMidiMsg(first, 0, 0);
}

bool PlayerOps::PlayNextMidiFile() {
    const bool played = playNextMidiFile();
    handBackOutput();
    return played;
}

bool PlayerOps::playNextMidiFile() {
    common::SelectFolder(state_.shell, common::kMidiFileFolder);
    if (PlayerBusy != 0) return true;
    PlayerBusy = 1;
    if (PlayerNext > PlayerCount - 1 || PlayerNext >= static_cast<int>(Files.size()) || PlayerNext < 0) {
        idle();
        return true;
    }
    fileName_ = Files[static_cast<std::size_t>(PlayerNext)];
    ++PlayerNext;
    view.Caption = std::string(kPlayerCaption) + " - " + fileName_;
    if (!openMedia()) return false;
    engineMessages();
    view.ProgressMax = media_.LengthMs();
    timers(true);
    return play();
}

void PlayerOps::Timer1Timer() {
    view.ProgressPosition = media_.PositionMs();
    reportFailure();
}

void PlayerOps::Timer2Timer() {
    reportFailure();
    if (media_.IsPlaying()) {
        PlayerBusy = 1;
        return;
    }
    PlayerBusy = 0;
    PlayNextMidiFile();
}

void PlayerOps::BitBtn1Click() {
    common::SelectFolder(state_.shell, common::kMidiFileFolder);
    devices_.CloseMidiOut();
    state_.shell.SetupPageActive = 1;
    PlayerCount = static_cast<std::int32_t>(Files.size());
    PlayerBusy = 0;
    if (!PlayNextMidiFile()) return;
    view.PlayEnabled = true;
}

void PlayerOps::BitBtn2Click() {
    media_.Stop();
    idle();
    reportFailure();
    handBackOutput();
}

void PlayerOps::MidiFileListBoxChange() {
    idle();  // a file that is playing plays on
}

void PlayerOps::MediaPlayer1Click() {
    common::SelectFolder(state_.shell, common::kMidiFileFolder);
    devices_.CloseMidiOut();
    if (openMedia()) {
        engineMessages();
        play();
    }
    handBackOutput();
}

void PlayerOps::BitBtn3Click() {
    const fs::path folder = common::SelectFolder(state_.shell, common::kMidiFileFolder);
    state_.shell.SetupPageActive = 1;
    timers(false);
    PlayerBusy = 1;
    view.ProgressPosition = 0;
    platform::FileDialogRequest request;
    request.title = "Open";
    request.filter = "*.MID (*.MID *.mid)";
    request.defaultExt = "MID";
    request.initialDir = folder.string();
    const std::optional<std::string> chosen = dialogs_.openFile(request);
    if (!chosen) return;  // the timers stay off and PlayerBusy stays 1
    view.Caption = std::string(kPlayerCaption) + " - " + *chosen;
    fileName_ = *chosen;
    if (openMedia()) {
        engineMessages();
        view.ProgressMax = media_.LengthMs();
        view.Timer1On = true;
        view.PlayEnabled = true;
        play();
    }
    handBackOutput();
}

void PlayerOps::PlayJingle(int n) {
    playJingle(n);
    handBackOutput();
}

void PlayerOps::playJingle(int n) {
    common::SelectFolder(state_.shell, common::kProgramFolderRequest);
    devices_.CloseMidiOut();
    const char* name = JingleFile(n);
    if (!name) return;
    // A jingle that cannot be opened plays nothing and says nothing. One that is there but is not
    // a file (never opened plainly: a FIFO would hold the program) is refused by the media
    // player, in its box.
    platform::OpenRefusal refusal = platform::OpenRefusal::None;
    if (std::FILE* f = platform::OpenRegularFile(name, &refusal)) std::fclose(f);
    fileName_ = name;
    if (refusal == platform::OpenRefusal::CannotOpen) return;
    if (!openMedia()) return;
    media_.Stop();
    if (!play()) return;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(media_.LengthMs()) + kJingleMargin;
    while (!media_.WaitUntilStopped(kJingleHoldSlice) && std::chrono::steady_clock::now() < deadline)
        if (whileJingleHolds) whileJingleHolds();
    media_.Stop();
    reportFailure();
}

void PlayerOps::StopPlayer() {
    media_.Stop();
    reportFailure();
    media_.Close();
    timers(false);
    handBackOutput();
}

void PlayerOps::FirstRunHelp(platform::Launcher& launcher) {
    // The help is our own pages in the desktop's browser: there is no viewer to install, so a
    // program without them only points F1 at the introduction.
    if (state_.shell.HelpViewerFound == 0) state_.shell.PageCode = "HH";
    if (state_.shell.ConfigFound == 0)
        common::ShowHelpTopic(state_.shell, launcher, dialogs_, common::kIntroTopic);
}

}  // namespace player
