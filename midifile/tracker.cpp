#include "midifile/tracker.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "midifile/InstrumentNames.h"

namespace midifile {

Trackinfo::Trackinfo() {
    for (auto* field : {&program, &volume, &pan, &chorus, &reverb, &bankMsb, &bankLsb}) field->fill(-1);
    used.fill(0);
}

void Trackinfo::SetName(const char* text, int64_t length) {
    name_.clear();
    if (text == nullptr) return;
    if (length < 0) length = static_cast<int64_t>(std::strlen(text));
    if (length <= 0 || text[0] == '\0') return;
    name_.assign(text, static_cast<size_t>(length));
}

MidiTrackinfo::MidiTrackinfo(const char* path, platform::DialogService& dialogs, Hooks hooks)
    : MidiRead(path, nullptr, WindowRead), dialogs_(dialogs), hooks_(std::move(hooks)) {
    if (FileHandle() != nullptr) ReadAll();
    if (numerator == 0 || denominator == 0) numerator = denominator = 4;
    if (tempo == 0) tempo = 500000;
}

MidiTrackinfo::~MidiTrackinfo() = default;

Trackinfo* MidiTrackinfo::TrackAt(int n) {
    if (n < 1 || n > static_cast<int>(tracks_.size())) return nullptr;
    return tracks_[static_cast<size_t>(n - 1)].get();
}

const Trackinfo* MidiTrackinfo::TrackAt(int n) const {
    return const_cast<MidiTrackinfo*>(this)->TrackAt(n);
}

Trackinfo* MidiTrackinfo::Current() {
    return TrackAt(CurrentTrack());
}

void MidiTrackinfo::OnError(const char*) {
    // The reader's own text is not shown; the reading stops after this.
    dialogs_.beep(platform::BeepSound::Stop);
    dialogs_.messageBox(nullptr, "TRACK ERROR", "ERROR", platform::BoxButtons::Ok,
                        platform::BoxIcon::Exclamation);
}

void MidiTrackinfo::OnHeader(int, int count, int) {
    tracks_.clear();
    if (count <= 0) return;
    try {
        tracks_.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        ReportError("out of memory");
        trackCount_ = 0;  // so no track is read
    }
}

void MidiTrackinfo::OnTrackStart(int track, int64_t length, int trackChannel) {
    SurveyFrozen = 0;
    if (track < 1 || track > static_cast<int>(tracks_.size())) return;
    auto record = std::unique_ptr<Trackinfo>(new (std::nothrow) Trackinfo);
    if (!record) {
        ReportError("out of memory");
        return;
    }
    record->start = EventStart;
    record->length = length;
    record->channel = trackChannel;
    if (trackChannel >= 0 && trackChannel <= 15) record->used[static_cast<size_t>(trackChannel)] = 1;
    tracks_[static_cast<size_t>(track - 1)] = std::move(record);
}

void MidiTrackinfo::OnText(int type, int64_t length, const char*, const char* text) {
    if (type != 3) return;
    if (Trackinfo* t = Current(); t != nullptr && !t->HasName()) t->SetName(text, length);
}

void MidiTrackinfo::OnTimeSignature(int num, int den, int, int) {
    numerator = num;
    denominator = den;
}

void MidiTrackinfo::OnTempo(uint32_t microsecondsPerQuarter) {
    tempo = microsecondsPerQuarter;
}

void MidiTrackinfo::FirstValue(std::array<int, 16> Trackinfo::*field, int channel, int value) {
    Trackinfo* t = Current();
    if (SurveyFrozen || t == nullptr || channel < 0 || channel > 15) return;
    int& slot = (t->*field)[static_cast<size_t>(channel)];
    if (slot == -1) slot = value;
    t->used[static_cast<size_t>(channel)] = 1;
}

void MidiTrackinfo::OnProgramChange(int channel, int program) {
    FirstValue(&Trackinfo::program, channel, program);
}
void MidiTrackinfo::OnBankSelectMsb(int channel, int value) {
    FirstValue(&Trackinfo::bankMsb, channel, value);
}
void MidiTrackinfo::OnVolume(int channel, int value) {
    FirstValue(&Trackinfo::volume, channel, value);
}
void MidiTrackinfo::OnPan(int channel, int value) {
    FirstValue(&Trackinfo::pan, channel, value);
}
void MidiTrackinfo::OnBankSelectLsb(int channel, int value) {
    FirstValue(&Trackinfo::bankLsb, channel, value);
}
void MidiTrackinfo::OnReverb(int channel, int value) {
    FirstValue(&Trackinfo::reverb, channel, value);
}
void MidiTrackinfo::OnChorus(int channel, int value) {
    FirstValue(&Trackinfo::chorus, channel, value);
}

void MidiTrackinfo::OnControlChange(int channel, int, int) {
    if (Trackinfo* t = Current(); t != nullptr && channel >= 0 && channel <= 15)
        t->used[static_cast<size_t>(channel)] = 1;
}

void MidiTrackinfo::OnNoteOn(int channel, int, int) {
    Trackinfo* t = Current();
    if (SurveyFrozen || t == nullptr || channel < 0 || channel > 15) return;
    t->used[static_cast<size_t>(channel)] = 1;
    // A single-channel track contributes only the settings sent before its first note.
    if (t->channel != MULTICHANNEL) SurveyFrozen = 1;
}

void MidiTrackinfo::OnNoteOff(int channel, int, int) {
    Trackinfo* t = Current();
    if (SurveyFrozen || t == nullptr || channel < 0 || channel > 15) return;
    t->used[static_cast<size_t>(channel)] = 1;
}

void MidiTrackinfo::OnGmSystemOn() {
    if (!SurveyFrozen) SoundSetMode = SoundSetGm;
}
void MidiTrackinfo::OnGsReset() {
    if (!SurveyFrozen) SoundSetMode = SoundSetGs;
}
void MidiTrackinfo::OnXgSystemOn() {
    if (!SurveyFrozen) SoundSetMode = SoundSetXg;
}

std::string MidiTrackinfo::ChannelLabel(int channel) {
    assert(((channel >= 0 && channel <= 15) || channel == MULTICHANNEL || channel == NOCHANNEL) &&
           "(channel >= 0 && channel <= 15) || channel == MULTICHANNEL || channel == NOCHANNEL");
    if (channel >= 0 && channel <= 15) return std::to_string(channel + 1);
    return "NOCHANNEL";
}

void MidiTrackinfo::Append(const std::string& piece) {
    const size_t room = LineCapacity - 1 - std::min(line_.size(), LineCapacity - 1);
    line_.append(piece, 0, std::min(room, piece.size()));
}

void MidiTrackinfo::AddLine() {
    if (hooks_.addBrassListItem) hooks_.addBrassListItem(line_);
}

bool MidiTrackinfo::DescribeAll(bool longForm) {
    if (FileHandle() == nullptr || TrackCount() == 0) return true;
    for (int t = 1; t <= TrackCount(); ++t)
        if (!DescribeTrack(t, longForm)) return false;
    return true;
}

bool MidiTrackinfo::DescribeTrack(int track, bool longForm) {
    const Trackinfo* t = TrackAt(track);
    if (t == nullptr) return true;
    if (t->channel == MULTICHANNEL) {
        dialogs_.beep(platform::BeepSound::Stop);
        dialogs_.messageBox(nullptr, "INSTRUMENTS NOT VALID IN MULTICHANNEL FILES.", "ERROR",
                            platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
        ClearDescriptionLine();
        if (hooks_.abortImport) hooks_.abortImport();
        return false;
    }
    Append(ChannelLabel(t->channel) + ": ");
    if (Format() == 1 && track == 1 && !t->HasName())
        Append("tempo track ");
    else
        Append("\"" + std::string(t->Name()) + "\" ");
    DescribeChannel(track, t->channel, longForm);
    if (t->channel != 9) AddLine();
    ClearDescriptionLine();
    return true;
}

bool MidiTrackinfo::DescribeChannel(int track, int channel, bool longForm) {
    const Trackinfo* t = TrackAt(track);
    if (t == nullptr) return true;
    const bool real = channel >= 0 && channel <= 15;
    const size_t c = real ? static_cast<size_t>(channel) : 0;
    if (channel >= 0 && (!real || !t->used[c])) return true;
    const char* name =
        real ? InstrumentName(channel, t->bankMsb[c], t->bankLsb[c], t->program[c], SoundSetMode) : nullptr;
    const std::string shown = name != nullptr ? name : "???";
    if (!longForm) {
        if (channel != NOCHANNEL) Append("(" + shown + ")");
        return true;
    }
    if (!real) return true;
    Append("  program: " + shown + " ");
    AddLine();
    ClearDescriptionLine();
    const std::pair<int, const char*> values[] = {
        {t->volume[c], "  volume: %d  (0=mute,127=full) "},
        {t->pan[c], "  balance: %d (0=left, 64=mid, 127=right) "},
        {t->chorus[c], "  chorus: %d (0-127) "},
        {t->reverb[c], "  reverb: %d (0-127) "},
    };
    for (const auto& [value, format] : values) {
        if (value == -1) continue;
        char piece[LineCapacity];
        std::snprintf(piece, sizeof piece, format, value);
        Append(piece);
        AddLine();
        ClearDescriptionLine();
    }
    return true;
}

}  // namespace midifile
