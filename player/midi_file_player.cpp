#include "player/midi_file_player.h"

#include <algorithm>
#include <cstring>

#include "platform/short_message.h"

namespace player {

namespace {

uint64_t RoundedMs(uint64_t us) {
    return (us + 500) / 1000;
}

uint64_t ElapsedUs(platform::SteadyTime from, platform::SteadyTime to) {
    if (to <= from) return 0;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(to - from).count());
}

}  // namespace

MidiFilePlayer::MidiFilePlayer(platform::MidiOutRegistry& outputs, PlayerClock& clock)
    : outputs_(outputs), clock_(clock) {}

MidiFilePlayer::~MidiFilePlayer() {
    Close();
}

bool MidiFilePlayer::Open(const std::string& path, int device) {
    Close();
    std::string error;
    Song song;
    if (!LoadSong(path, song, error)) {
        SetError(path + ": " + error);
        return false;
    }
    song_ = std::move(song);
    device_ = device;
    open_ = true;
    std::lock_guard lock(mutex_);
    lengthUs_ = song_.lengthUs;
    positionUs_ = 0;
    next_ = 0;
    error_.clear();
    path_ = path;
    failure_.clear();
    failed_ = false;
    return true;
}

platform::MMRESULT MidiFilePlayer::Play() {
    if (playing_.load()) return platform::MMSYSERR_NOERROR;
    JoinThread();
    if (!open_) {
        SetError("no file is open");
        return platform::MMSYSERR_ERROR;
    }
    platform::HMIDIOUT out = nullptr;
    const platform::MMRESULT result = outputs_.open(&out, device_);
    if (result != platform::MMSYSERR_NOERROR) {
        SetError("the MIDI output device cannot be opened");
        return result;
    }
    out_ = out;
    std::memset(sounding_, 0, sizeof sounding_);
    std::memset(sustained_, 0, sizeof sustained_);
    deviceFailed_ = false;
    stop_ = false;

    size_t first;
    uint64_t base;
    platform::SteadyTime start;
    {
        std::lock_guard lock(mutex_);
        if (positionUs_ >= song_.lengthUs && next_ >= song_.events.size()) {
            positionUs_ = 0;  // played to its end: from the start again
            next_ = 0;
        }
        first = next_;
        base = positionUs_;
        start = clock_.now();
        basePositionUs_ = base;
        startTime_ = start;
        error_.clear();
    }
    playing_ = true;
    thread_ = std::thread([this, first, base, start] { Run(first, base, start); });
    return platform::MMSYSERR_NOERROR;
}

void MidiFilePlayer::Stop() {
    stop_ = true;
    clock_.wake();
    JoinThread();
}

void MidiFilePlayer::Close() {
    Stop();
    song_ = Song{};
    open_ = false;
    std::lock_guard lock(mutex_);
    lengthUs_ = 0;
    positionUs_ = 0;
    next_ = 0;
}

bool MidiFilePlayer::WaitUntilStopped(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return stopped_.wait_for(lock, timeout, [this] { return !playing_.load(); });
}

uint64_t MidiFilePlayer::LengthMs() const {
    std::lock_guard lock(mutex_);
    return RoundedMs(lengthUs_);
}

uint64_t MidiFilePlayer::PositionMs() const {
    std::lock_guard lock(mutex_);
    if (!playing_.load()) return RoundedMs(positionUs_);
    const uint64_t us = basePositionUs_ + ElapsedUs(startTime_, clock_.now());
    return RoundedMs(std::min(us, lengthUs_));
}

std::string MidiFilePlayer::TakeFailure() {
    std::lock_guard lock(mutex_);
    return std::move(failure_);
}

void MidiFilePlayer::Fail(platform::MMRESULT result, const char* what) {
    std::lock_guard lock(mutex_);
    if (failed_) return;
    failed_ = true;
    failure_ = path_ + ": " + what + ": " + platform::midiErrorText(result);
}

std::string MidiFilePlayer::LastError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void MidiFilePlayer::SetError(std::string text) {
    std::lock_guard lock(mutex_);
    error_ = std::move(text);
}

void MidiFilePlayer::JoinThread() {
    if (thread_.joinable()) thread_.join();
}

void MidiFilePlayer::Run(size_t first, uint64_t basePositionUs, platform::SteadyTime start) {
    platform::TuneTimingThread();
    const auto due = [&](uint64_t timeUs) {
        return start + std::chrono::microseconds(timeUs > basePositionUs ? timeUs - basePositionUs : 0);
    };
    size_t i = first;
    for (; i < song_.events.size() && !stop_.load() && !deviceFailed_; ++i) {
        const platform::SteadyTime deadline = due(song_.events[i].timeUs);
        while (!stop_.load() && clock_.now() < deadline) clock_.sleepUntil(deadline);
        if (stop_.load()) break;
        Send(song_.events[i]);
    }
    {
        std::lock_guard lock(mutex_);
        next_ = i;
    }
    // The file plays until its length, the pause after its last event included.
    const platform::SteadyTime end = due(song_.lengthUs);
    while (!stop_.load() && !deviceFailed_ && clock_.now() < end) clock_.sleepUntil(end);
    const uint64_t position =
        stop_.load() || deviceFailed_ ? basePositionUs + ElapsedUs(start, clock_.now()) : song_.lengthUs;
    Finish(std::min(position, song_.lengthUs));
}

void MidiFilePlayer::Send(const SongEvent& e) {
    platform::MMRESULT result;
    if (e.shortMessage != 0) {
        result = outputs_.shortMsg(out_, e.shortMessage);
        const int status = static_cast<int>(e.shortMessage & 0xF0);
        const int channel = static_cast<int>(e.shortMessage & 0x0F);
        const int key = static_cast<int>((e.shortMessage >> 8) & 0x7F);
        const int value = static_cast<int>((e.shortMessage >> 16) & 0x7F);
        if (result == platform::MMSYSERR_NOERROR) {
            if (status == 0x90 && value > 0) {
                if (sounding_[channel][key] < 255) ++sounding_[channel][key];
            } else if (status == 0x80 || status == 0x90) {
                if (sounding_[channel][key] > 0) --sounding_[channel][key];
            } else if (status == 0xB0 && key == 64) {
                sustained_[channel] = value >= 64;
            }
        }
    } else {
        result = outputs_.longMsg(out_, song_.exclusiveData.data() + e.exclusiveOffset, e.exclusiveLength);
    }
    // A device that has gone away (closed, unplugged) ends the playing; a refused message does
    // not, but neither passes unreported.
    if (result == platform::MMSYSERR_INVALHANDLE || result == platform::MMSYSERR_NODRIVER) {
        deviceFailed_ = true;
        SetError("the MIDI output device failed while playing");
        Fail(result, "the MIDI output device failed while playing");
    } else if (result != platform::MMSYSERR_NOERROR) {
        Fail(result, "the MIDI output device did not take a message of the file");
    }
}

void MidiFilePlayer::EndSoundingNotes() {
    for (int channel = 0; channel < 16; ++channel) {
        // One note-off ends a key however often it was struck.
        for (int key = 0; key < 128; ++key) {
            if (sounding_[channel][key] == 0) continue;
            sounding_[channel][key] = 0;
            outputs_.shortMsg(out_, platform::packShortMessage(static_cast<uint8_t>(0x80 | channel),
                                                               static_cast<uint8_t>(key), 0x40));
        }
        if (sustained_[channel]) {
            outputs_.shortMsg(out_, platform::packShortMessage(static_cast<uint8_t>(0xB0 | channel), 64, 0));
            sustained_[channel] = false;
        }
    }
}

void MidiFilePlayer::Finish(uint64_t positionUs) {
    EndSoundingNotes();
    const platform::MMRESULT closed = outputs_.close(out_);
    if (closed != platform::MMSYSERR_NOERROR && closed != platform::MMSYSERR_INVALHANDLE && !deviceFailed_)
        Fail(closed, "the MIDI output device did not take the end of the file");
    out_ = nullptr;
    {
        std::lock_guard lock(mutex_);
        positionUs_ = positionUs;
        playing_ = false;
        // Told under the lock, after the flag: a WaitUntilStopped that returns finds the owner
        // already told, and the owner, when told, finds the playing ended.
        if (onStopped) onStopped();
    }
    stopped_.notify_all();
}

}  // namespace player
