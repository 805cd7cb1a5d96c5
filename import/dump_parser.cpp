// The dump loader and parser.
#include "import/dump_parser.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/folders.h"
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

void LoadImportText(ImportContext& ctx, std::string_view text, int tempo) {
    DumpState& d = ctx.import.dump;
    d.HighestBar = 0;
    d.DumpLoaded = 0;
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
}

void LoadImportDump(ImportContext& ctx) {
    if (ctx.import.split.ImportAborted != 0) return;
    ctx.import.dump.HighestBar = 0;
    app::SelectFolder(ctx.program.shell, app::kProgramFolderRequest);
    std::string text;
    ReadWholeFile(kDumpFileName, text);
    FirstTempo tempo(ctx.import.split.SplitPath.c_str());
    if (tempo.FileHandle() != nullptr) tempo.ReadAll();
    LoadImportText(ctx, text, TempoFromMicroseconds(tempo.found, tempo.value));
}

namespace {

struct Record {
    int bar, beat, ticks, key, velocity, length;
};

// A note record at p: "M" bar "\t" "q" beat "." ticks "  " kind key " V" velocity, then either
// "  w" beats "." ticks, or "j" for a note sounding beyond its bar. A note that began in an earlier
// bar ("M" bar "\tj") is no new note and is not taken.
bool ReadRecord(std::string_view t, size_t p, char kind, Record& r) {
    if (p + 22 > t.size()) return false;
    const char* c = t.data() + p;
    auto digits = [c](std::initializer_list<int> columns) {
        for (int k : columns)
            if (!IsDigit(c[k])) return false;
        return true;
    };
    if (c[0] != 'M' || c[5] != 'q' || c[13] != kind || c[17] != 'V') return false;
    if (!digits({1, 2, 3, 6, 8, 9, 10, 14, 15, 18, 19, 20})) return false;
    r.bar = Digit(c[1]) * 100 + Digit(c[2]) * 10 + Digit(c[3]);
    r.beat = Digit(c[6]);
    r.ticks = Digit(c[8]) * 100 + Digit(c[9]) * 10 + Digit(c[10]);
    r.key = Digit(c[14]) * 10 + Digit(c[15]);
    r.velocity = Digit(c[18]) * 100 + Digit(c[19]) * 10 + Digit(c[20]);
    if (c[21] == 'j') {
        r.length = kLongNote;
        return true;
    }
    if (p + 29 > t.size() || c[23] != 'w' || !digits({24, 26, 27, 28})) return false;
    r.length = Digit(c[24]) * 1000 + Digit(c[26]) * 100 + Digit(c[27]) * 10 + Digit(c[28]);
    return true;
}

// The step of a record within the eight imported bars: 1..255, 0 for the 256th step, -1 outside.
int StepOf(const Record& r, int firstBar, int division) {
    if (r.bar < firstBar || r.bar > firstBar + kImportBars - 1) return -1;
    if (r.beat < 1 || r.beat > 4 || division < 8) return -1;
    const int a = r.ticks * 10 / (division / 8);
    const int slot = std::min(8, (a + 5) / 10);  // the nearest eighth of a beat, a half rounding up
    const int step = slot + r.beat * 8 + (r.bar - firstBar) * 32 - 7;
    if (step == 256) return 0;
    return step >= 1 && step < 256 ? step : -1;
}

}  // namespace

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
        if (text[p] != 'M' || !ReadRecord(text, p, drums ? 'u' : 'Z', r)) continue;
        const int step = StepOf(r, d.FirstBar, d.DumpDivision);
        if (step < 0 || r.velocity < 1 || r.velocity > 127) continue;  // a note-on's velocity or none
        const int drum = r.key - 27;
        if (drums && (drum < 0 || drum >= drums::kEditableDrums)) continue;

        // Every taken record puts the arrangement on eight bars at the piece's tempo.
        ctx.program.drums.Bars = kImportBars;
        ctx.pages.applyBars();
        ctx.program.drums.TempoValue = d.ImportTempo;
        ctx.program.Engine.Tempo = d.ImportTempo;
        ctx.pages.showTempo(d.ImportTempo);
        app::SendParams(ctx.engine, ctx.program.Engine);
        ctx.program.Engine.Command = app::CmdNone;

        if (drums) {
            // The first hit on a step stays: a second record of the drum there must not clear it.
            if (pattern[static_cast<size_t>(step)][static_cast<size_t>(drum)] == 0)
                ctx.drums.ToggleDrumCell(step, drum, r.velocity);
        } else {
            table[static_cast<size_t>(d.ImportPart - 1)][static_cast<size_t>(step)] = {r.key, r.velocity,
                                                                                       r.length};
        }
    }
}

}  // namespace midiimport
