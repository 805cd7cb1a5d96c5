// The dump loader and parser.
#include "import/dump_parser.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/folders.h"
#include "midifile/MidiRead.h"

namespace midiimport {

namespace {

constexpr char kEndByte = static_cast<char>(255);

// The first tempo event of a MIDI file, in file order.
class FirstTempo final : public midifile::MidiRead {
  public:
    explicit FirstTempo(const char* path) : MidiRead(path, nullptr, WindowRead) {
        EventMask = MaskAllControllers;
    }
    void OnError(const char*) override {}
    void OnWarning(const char*) override {}
    void OnTempo(uint32_t microseconds) override {
        if (found) return;
        found = true;
        value = microseconds;
        Aborted = true;  // nothing further is needed
    }
    bool found = false;
    uint32_t value = 0;
};

// A tempo of 0 microseconds means the default; the arrangement keeps 20..250 beats per minute.
int TempoFromMicroseconds(bool found, uint32_t microseconds) {
    if (!found || microseconds == 0) return 120;
    return static_cast<int>(std::clamp<uint32_t>(60000000u / microseconds, 20u, 250u));
}

bool ReadWholeFile(const char* path, std::string& out) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    std::fclose(f);
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int Digit(char c) {
    return c - '0';
}

// The time signature after the third bar record: '3' is waltz, '4' four-time, anything else no
// change.
char ThirdBarLength(std::string_view text) {
    int found = 0;
    size_t i = 0;
    for (; i < text.size() && found < 3; ++i)
        if (text[i] == 'B') ++found;
    if (found < 3) return 0;
    while (i < text.size() && text[i] != ' ') ++i;
    return i + 1 < text.size() ? text[i + 1] : 0;
}

}  // namespace

namespace {

struct Record {
    int64_t bar, beat, ticks, key, velocity;
    int64_t beats, lengthTicks;  // the length: whole beats and the ticks beyond them
};

enum class Kind { Bar, NoteBegunEarlier, Note, Unreadable };

// Reads the dump's records. Every number is read whatever its width: older dumps wrote fixed
// columns, which is the same text for every value that fits them, and a wider value (a position
// of 1000 ticks or more, a key above 99) reads as it was written.
class RecordReader {
  public:
    RecordReader(std::string_view text, size_t at) : t_(text), i_(at) {}

    // The record at the reader's place, which holds an "M"; a note record is read into `r`.
    // A note record is "M" bar "\t" "q" beat "." ticks "  " kind key " V" velocity, then
    // "  w" beats "." ticks, or "j" for a note sounding beyond its bar.
    Kind Read(char kind, Record& r) {
        if (!Literal('M') || !Number(r.bar, 3) || !Literal('\t')) return Kind::Unreadable;
        if (Peek() == 'B') return Kind::Bar;
        if (Peek() == 'j') return Kind::NoteBegunEarlier;
        if (!Literal('q') || !Number(r.beat, 1) || !Literal('.') || !Number(r.ticks, 3) || !Literal(' ') ||
            !Literal(' ') || !Literal(kind) || !Number(r.key, 1) || !Literal(' ') || !Literal('V') ||
            !Number(r.velocity, 3))
            return Kind::Unreadable;
        if (Literal('j')) {
            r.beats = kLongNoteBeats;
            r.lengthTicks = 0;
        } else if (!Literal(' ') || !Literal(' ') || !Literal('w') || !Number(r.beats, 1) || !Literal('.') ||
                   !Number(r.lengthTicks, 3)) {
            return Kind::Unreadable;
        }
        // The next record or the end follows; a note-on has a velocity and a key is a data byte.
        if (i_ < t_.size() && t_[i_] != 'M') return Kind::Unreadable;
        if (r.beat < 1 || r.key > 127 || r.velocity < 1 || r.velocity > 127) return Kind::Unreadable;
        return Kind::Note;
    }

  private:
    char Peek() const { return i_ < t_.size() ? t_[i_] : '\0'; }
    bool Literal(char c) {
        if (Peek() != c) return false;
        ++i_;
        return true;
    }
    // At least `minDigits` digits (the dump pads some fields to three; fewer is a cut record).
    bool Number(int64_t& value, int minDigits) {
        value = 0;
        int digits = 0;
        for (; i_ < t_.size() && IsDigit(t_[i_]); ++i_, ++digits) {
            if (value > kLargestField) return false;
            value = value * 10 + Digit(t_[i_]);
        }
        return digits >= minDigits && value <= kLargestField;
    }

    static constexpr int64_t kLargestField = INT32_MAX;
    std::string_view t_;
    size_t i_;
};

// The step of a record within the eight imported bars: 1..255, 0 for the 256th step, -1 outside.
int StepOf(const Record& r, int firstBar, int division) {
    if (r.bar < firstBar || r.bar > firstBar + kImportBars - 1) return -1;
    if (r.beat < 1 || r.beat > 4 || division < 8) return -1;
    const int64_t a = r.ticks * 10 / (division / 8);
    const int64_t slot =
        std::min<int64_t>(8, (a + 5) / 10);  // the nearest eighth of a beat, a half rounding up
    const int64_t step = slot + r.beat * 8 + (r.bar - firstBar) * 32 - 7;
    if (step == 256) return 0;
    return step >= 1 && step < 256 ? static_cast<int>(step) : -1;
}

// Records of the text that are neither a bar, a note begun earlier nor a note that can be read.
int32_t UnreadableRecords(std::string_view text, char kind) {
    int32_t count = 0;
    Record r{};
    for (size_t p = 0; p < text.size(); ++p)
        if (text[p] == 'M' && RecordReader(text, p).Read(kind, r) == Kind::Unreadable && count < INT32_MAX)
            ++count;
    return count;
}

}  // namespace

int32_t PartDurationMs(int64_t beats, int64_t ticks, int division, int tempo) {
    if (division <= 0 || beats < 0 || ticks < 0) return 0;
    const int64_t step = std::max(1, 7200 / std::clamp(tempo, 20, 250));  // the players' step, whole ms
    const int64_t units = beats * division + ticks;
    if (units == 0) return 0;
    // Rounded to the nearest millisecond; a note of any length lasts at least one.
    const int64_t ms = (units * 8 * step * 2 + division) / (2 * int64_t{division});
    return static_cast<int32_t>(std::clamp<int64_t>(ms, 1, INT32_MAX));
}

void LoadImportText(ImportContext& ctx, std::string_view text, int tempo) {
    DumpState& d = ctx.import.dump;
    d.HighestBar = 0;
    d.DumpLoaded = 0;
    d.UnreadRecords = 0;
    d.WorkText.clear();
    d.TextLength = 0;

    const std::string_view whole = text.substr(0, std::min(text.find(kEndByte), text.size()));
    const char meter = ThirdBarLength(whole);
    const std::uint8_t waltz = ctx.program.drums.WaltzMode;
    if ((meter == '3' && waltz == 0) || (meter == '4' && waltz == 1)) ctx.pages.toggleTimeSignature();

    // The division: every leading digit (a division needs at most five).
    size_t i = 0;
    int64_t division = 0;
    while (i < whole.size() && IsDigit(whole[i])) {
        if (division < 1000000) division = division * 10 + Digit(whole[i]);
        ++i;
    }
    d.DumpDivision = static_cast<int32_t>(division);

    const std::string_view body = whole.substr(i);
    d.WorkText.reserve(body.size() + 1);
    d.WorkText.assign(body);
    d.WorkText.push_back(kEndByte);
    d.TextLength = static_cast<int32_t>(std::min<size_t>(d.WorkText.size(), INT32_MAX));
    d.DumpLoaded = body.empty() ? 0 : 1;
    for (size_t p = 0; p + 3 < body.size(); ++p) {
        if (body[p] != 'M' || !IsDigit(body[p + 1]) || !IsDigit(body[p + 2]) || !IsDigit(body[p + 3]))
            continue;
        const int bar = Digit(body[p + 1]) * 100 + Digit(body[p + 2]) * 10 + Digit(body[p + 3]);
        d.HighestBar = std::max(d.HighestBar, bar);
    }
    d.ImportTempo = tempo > 0 ? std::clamp(tempo, 20, 250) : 120;
    d.UnreadRecords = UnreadableRecords(body, ctx.import.split.InstrumentMode == 0 ? 'u' : 'Z');
}

void LoadImportDump(ImportContext& ctx) {
    if (ctx.import.split.ImportAborted != 0) return;
    ctx.import.dump.HighestBar = 0;
    common::SelectFolder(ctx.program.wide.shell, common::kProgramFolderRequest);
    std::string text;
    ReadWholeFile(kDumpFileName, text);
    FirstTempo tempo(ctx.import.split.SplitPath.c_str());
    if (tempo.FileHandle() != nullptr) tempo.ReadAll();
    LoadImportText(ctx, text, TempoFromMicroseconds(tempo.found, tempo.value));
}

void ParseImportDump(ImportContext& ctx) {
    ctx.pages.processMessages();
    MidiDrumState& s = ctx.import.split;
    DumpState& d = ctx.import.dump;
    if (s.FileError != 0) {
        s.ImportAborted = 1;
        ctx.pages.resetImport();
        return;
    }
    if (d.ImportPart == 0 || d.WorkText.empty() || d.WorkText[0] == kEndByte) return;
    const bool drums = s.InstrumentMode == 0;
    if (!drums && (d.ImportPart < 1 || d.ImportPart > 4)) return;

    const std::string_view text(
        d.WorkText.data(),
        std::min(d.WorkText.find(kEndByte),
                 std::min<size_t>(d.WorkText.size(), static_cast<size_t>(std::max(0, d.TextLength)))));
    auto& pattern = ctx.program.drums.DrumPattern;
    auto& table = ctx.program.live.parts.PartSteps;
    Record r{};
    for (size_t p = 1; p < text.size(); ++p) {
        if (text[p] != 'M' || RecordReader(text, p).Read(drums ? 'u' : 'Z', r) != Kind::Note) continue;
        const int step = StepOf(r, d.FirstBar, d.DumpDivision);
        if (step < 0) continue;
        const int drum = static_cast<int>(r.key) - 27;
        if (drums && (drum < 0 || drum >= drums::kEditableDrums)) continue;
        const int key = static_cast<int>(r.key), velocity = static_cast<int>(r.velocity);

        // Every taken record puts the arrangement on eight bars at the piece's tempo.
        ctx.program.drums.Bars = kImportBars;
        ctx.pages.applyBars();
        ctx.program.drums.TempoValue = d.ImportTempo;
        ctx.program.wide.Engine.Tempo = d.ImportTempo;
        ctx.pages.showTempo(d.ImportTempo);
        common::SendParams(ctx.engine, ctx.program.wide.Engine);
        ctx.program.wide.Engine.Command = common::CmdNone;

        if (drums) {
            // The first hit on a step stays: a second record of the drum there must not clear it.
            if (pattern[static_cast<size_t>(step)][static_cast<size_t>(drum)] == 0)
                ctx.drums.ToggleDrumCell(step, drum, velocity);
        } else {
            // The players read the duration in milliseconds: the note keeps its share of a beat at
            // the arrangement's tempo.
            table[static_cast<size_t>(d.ImportPart - 1)][static_cast<size_t>(step)] = {
                key, velocity, PartDurationMs(r.beats, r.lengthTicks, d.DumpDivision, d.ImportTempo)};
        }
    }
}

}  // namespace midiimport
