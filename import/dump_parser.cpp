// The dump loader and parser.
#include "import/dump_parser.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/folders.h"
#include "midifile/MidiRead.h"
#include "platform/regular_file.h"

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
    std::FILE* f = platform::OpenRegularFile(path);
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
    int64_t beats, lengthTicks;  // the length within the bar: whole beats and the ticks beyond them
    bool soundsOn;               // the note sounds beyond the bar (no length within it)
    int64_t barTicks;            // a bar record: the bar's length in ticks, 0 when it cannot be read
};

enum class Kind { Bar, NoteBegunEarlier, Note, Unreadable };

// A bar can hold no more ticks than this (far beyond any bar a MIDI file can give), so that the
// lengths of a note over several bars add up without overflow.
constexpr int64_t kLongestBar = int64_t{1} << 50;

// Reads the dump's records. Every number is read whatever its width: older dumps wrote fixed
// columns, which is the same text for every value that fits them, and a wider value (a position
// of 1000 ticks or more, a key above 99) reads as it was written.
class RecordReader {
  public:
    RecordReader(std::string_view text, size_t at, int64_t division)
        : t_(text), i_(at), division_(division) {}

    // The record at the reader's place, which holds an "M"; a bar's length or a note is read into
    // `r`. A bar record is "M" bar "\t" "B " length. A note record is "M" bar "\t", then "q" beat
    // "." ticks "  " for a note that begins in the bar or "j " for one begun in an earlier bar,
    // kind key " V" velocity, then "  w" beats "." ticks for a note that ends in the bar (counted
    // from its start or from the bar line) or "j" for one that sounds beyond it.
    Kind Read(char kind, Record& r) {
        if (!Literal('M') || !Number(r.bar, 3) || !Literal('\t')) return Kind::Unreadable;
        if (Literal('B')) {
            r.barTicks = BarLength();
            return Kind::Bar;
        }
        const bool begunEarlier = Literal('j');
        if (begunEarlier) {
            r.beat = r.ticks = 0;
        } else if (!Literal('q') || !Number(r.beat, 1) || !Literal('.') || !Number(r.ticks, 3) ||
                   !Literal(' ')) {
            return Kind::Unreadable;
        }
        if (!Literal(' ') || !Literal(kind) || !Number(r.key, 1) || !Literal(' ') || !Literal('V') ||
            !Number(r.velocity, 3))
            return Kind::Unreadable;
        r.soundsOn = Literal('j');
        if (r.soundsOn) {
            r.beats = r.lengthTicks = 0;
        } else if (!Literal(' ') || !Literal(' ') || !Literal('w') || !Number(r.beats, 1) || !Literal('.') ||
                   !Number(r.lengthTicks, 3)) {
            return Kind::Unreadable;
        }
        // The next record or the end follows; a note-on has a velocity and a key is a data byte.
        if (!AtRecordEnd()) return Kind::Unreadable;
        if ((!begunEarlier && r.beat < 1) || r.key > 127 || r.velocity < 1 || r.velocity > 127)
            return Kind::Unreadable;
        return begunEarlier ? Kind::NoteBegunEarlier : Kind::Note;
    }

  private:
    char Peek() const { return i_ < t_.size() ? t_[i_] : '\0'; }
    bool AtRecordEnd() const { return i_ >= t_.size() || t_[i_] == 'M'; }
    bool Literal(char c) {
        if (Peek() != c) return false;
        ++i_;
        return true;
    }
    bool Literals(std::string_view text) {
        for (char c : text)
            if (!Literal(c)) return false;
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
    // A fraction of a whole note ("3/4") or a count of ticks ("50 units"); 0 when neither.
    int64_t Remainder(int64_t first) {
        const int64_t whole = 4 * division_;
        int64_t d = 0;
        if (Literal('/')) return Number(d, 1) && d > 0 ? first * whole / d : 0;
        return Literals(" units") ? first : 0;
    }
    // The length after "B ": "4/4", "3/4", "2", "1 1/4", "50 units", "1 50 units" (whole notes,
    // then what is left over); 0 when it cannot be read.
    int64_t BarLength() {
        int64_t first = 0, second = 0;
        if (division_ <= 0 || !Literal(' ') || !Number(first, 1)) return 0;
        int64_t ticks = 0;
        if (Peek() == '/' || (Peek() == ' ' && i_ + 1 < t_.size() && t_[i_ + 1] == 'u')) {
            ticks = Remainder(first);
        } else {
            ticks = first * 4 * division_;
            if (Literal(' ')) ticks = Number(second, 1) ? ticks + Remainder(second) : 0;
        }
        return AtRecordEnd() && ticks > 0 ? std::min(ticks, kLongestBar) : 0;
    }

    static constexpr int64_t kLargestField = INT32_MAX;
    std::string_view t_;
    size_t i_;
    int64_t division_;
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

// Records of the text that are neither a bar nor a note that can be read.
int32_t UnreadableRecords(std::string_view text, char kind, int64_t division) {
    int32_t count = 0;
    Record r{};
    for (size_t p = 0; p < text.size(); ++p)
        if (text[p] == 'M' && RecordReader(text, p, division).Read(kind, r) == Kind::Unreadable &&
            count < INT32_MAX)
            ++count;
    return count;
}

// The notes of one part, each with its whole length in ticks. A note that sounds beyond its bar
// takes the rest of its bar, then the continuations the dump writes for it in the bars that follow
// (a whole bar each while it sounds on, the part up to its end in the bar where it ends), keyed by
// its key: the dump keeps one channel's notes and never a second of a key that still sounds. Only
// bars up to the last imported one count, so a note ends at the latest where the eight bars end.
class PartNotes {
  public:
    struct Note {
        int step;
        int32_t key, velocity;
        int64_t ticks;
    };

    PartNotes(int64_t division, int64_t lastBar) : division_(division), lastBar_(lastBar) {}

    // A bar record: its bars follow one another within a track; another track (bar numbers start
    // again) ends every note still open.
    void Bar(const Record& r) {
        if (r.bar != bar_ + 1) open_.fill({});
        bar_ = r.bar;
        barTicks_ = r.barTicks;
    }
    // A note that begins in the current bar; `step` -1 when it is not taken.
    void Begins(const Record& r, int step) {
        Open& open = open_[static_cast<size_t>(r.key)];
        open = {};  // any note of the key before it has ended
        if (step < 0) return;
        const int64_t at = (r.beat - 1) * division_ + r.ticks;
        const int64_t ticks =
            r.soundsOn ? std::max<int64_t>(0, barTicks_ - at) : r.beats * division_ + r.lengthTicks;
        if (r.soundsOn && r.bar == bar_) open = {notes_.size(), r.bar};
        notes_.push_back({step, static_cast<int32_t>(r.key), static_cast<int32_t>(r.velocity), ticks});
    }
    // The part in the current bar of a note begun in an earlier one.
    void GoesOn(const Record& r) {
        Open& open = open_[static_cast<size_t>(r.key)];
        if (open.through == 0 || r.bar != bar_ || r.bar != open.through + 1 || r.bar > lastBar_) return;
        notes_[open.note].ticks += r.soundsOn ? barTicks_ : r.beats * division_ + r.lengthTicks;
        open = r.soundsOn ? Open{open.note, r.bar} : Open{};
    }
    const std::vector<Note>& Notes() const { return notes_; }

  private:
    struct Open {
        size_t note = 0;      // the note in notes_
        int64_t through = 0;  // the last bar its length counts; 0 for no note open
    };
    int64_t division_, lastBar_;
    int64_t bar_ = -1, barTicks_ = 0;
    std::array<Open, 128> open_{};
    std::vector<Note> notes_;
};

}  // namespace

int32_t PartDurationMs(int64_t beats, int64_t ticks, int division, int tempo) {
    if (division <= 0 || beats < 0 || ticks < 0) return 0;
    if (beats == 0 && ticks == 0) return 0;
    const int64_t step = std::max(1, 7200 / std::clamp(tempo, 20, 250));  // the players' step, whole ms
    // Whole beats apart from the ticks left over, so that no length overflows; a beat lasts at
    // least 8 x 28 ms, so a count of beats beyond INT32_MAX lasts longer than any duration.
    if (beats > INT32_MAX || ticks / division > INT32_MAX) return INT32_MAX;
    const int64_t whole = beats + ticks / division, rest = ticks % division;
    // Rounded to the nearest millisecond; a note of any length lasts at least one.
    const int64_t ms = whole * 8 * step + (rest * 8 * step * 2 + division) / (2 * int64_t{division});
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
    d.UnreadRecords = UnreadableRecords(body, ctx.import.split.InstrumentMode == 0 ? 'u' : 'Z', division);
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
    const int64_t division = d.DumpDivision;
    PartNotes notes(division, int64_t{d.FirstBar} + kImportBars - 1);
    Record r{};
    // Notes are taken from the text's second character on (its first record is a bar's); bar
    // records from the first, so that the first bar has its length too.
    for (size_t p = 0; p < text.size(); ++p) {
        if (text[p] != 'M') continue;
        const Kind kind = RecordReader(text, p, division).Read(drums ? 'u' : 'Z', r);
        if (kind == Kind::Bar) notes.Bar(r);
        if (kind == Kind::NoteBegunEarlier) notes.GoesOn(r);
        if (kind != Kind::Note || p == 0) continue;
        int step = StepOf(r, d.FirstBar, d.DumpDivision);
        const int drum = static_cast<int>(r.key) - 27;
        if (drums && (drum < 0 || drum >= drums::kEditableDrums)) step = -1;
        if (!drums) notes.Begins(r, step);
        if (step < 0) continue;

        // Every taken record puts the arrangement on eight bars at the piece's tempo.
        ctx.program.drums.Bars = kImportBars;
        ctx.pages.applyBars();
        ctx.program.drums.TempoValue = d.ImportTempo;
        ctx.program.wide.Engine.Tempo = d.ImportTempo;
        ctx.pages.showTempo(d.ImportTempo);
        common::SendParams(ctx.engine, ctx.program.wide.Engine);
        ctx.program.wide.Engine.Command = common::CmdNone;

        // The first hit on a step stays: a second record of the drum there must not clear it.
        if (drums && pattern[static_cast<size_t>(step)][static_cast<size_t>(drum)] == 0)
            ctx.drums.ToggleDrumCell(step, drum, static_cast<int>(r.velocity));
    }
    if (drums) return;
    // The players read the duration in milliseconds: a note keeps its length in the song, in
    // beats at the arrangement's tempo. A later note on a step replaces an earlier one.
    auto& table = ctx.program.live.parts.PartSteps[static_cast<size_t>(d.ImportPart - 1)];
    for (const PartNotes::Note& n : notes.Notes())
        table[static_cast<size_t>(n.step)] = {n.key, n.velocity,
                                              PartDurationMs(0, n.ticks, d.DumpDivision, d.ImportTempo)};
}

}  // namespace midiimport
