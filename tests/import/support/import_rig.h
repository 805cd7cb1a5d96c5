#pragma once
// The import's stages on a fresh program state in a temporary program folder, with the pages'
// side recorded, and the drum and part results rendered bar by bar.

#include <gtest/gtest.h>

#include <dirent.h>

#include <array>
#include <string>
#include <vector>

#include "import/bar_dump.h"
#include "import/dump_parser.h"
#include "import/split.h"
#include "tests/app/support/program_fixture.h"
#include "tests/import/support/song.h"

namespace importtest {

// The pages' side: the time-signature switch acts on the drum state as the drum tab's does.
class RecordingPages final : public midiimport::ImportPages {
  public:
    explicit RecordingPages(app::ProgramState& state) : state_(state) {}
    void processMessages() override { ++messages; }
    void showProgress(int percent) override { progress.push_back(percent); }
    void resetImport() override { ++resets; }
    void toggleTimeSignature() override {
        ++meterToggles;
        state_.drums.MeterSign = static_cast<std::int8_t>(-state_.drums.MeterSign);
        state_.drums.WaltzMode = state_.drums.MeterSign > 0 ? 1 : 0;
    }
    void applyBars() override { ++barsApplied; }
    void showTempo(int tempo) override { shownTempos.push_back(tempo); }

    int messages = 0, resets = 0, meterToggles = 0, barsApplied = 0;
    std::vector<int> shownTempos;
    std::vector<int> progress;

  private:
    app::ProgramState& state_;
};

inline int OpenFileCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr) ++n;
        closedir(d);
    }
    return n;
}

class ImportFixture : public testsupport::ProgramFixture {
  protected:
    ImportFixture() {
        ops.ClearEngineDrums();
        link.clearJournal();
    }

    midiimport::ImportState import;
    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    RecordingPages pages{state};
    midiimport::ImportContext ctx{import, {state, state.drums, state.live}, link, ops, dialogs, pages,
                                  nullptr};

    std::string Path(const std::string& name) const { return (folder.path() / name).string(); }

    // The import pages' preparation of a split (Drums or Instruments, a file chosen).
    void Prepare(const std::string& input, bool drumImport) {
        auto& s = import.split;
        s.FileError = 0;
        s.ImportAborted = 0;
        s.InstrumentMode = drumImport ? 0 : 1;
        s.TargetChannel = midiimport::kDrumChannel;
        s.InputPath = input;
        s.SplitPath = midiimport::kSplitFileName;
        if (drumImport) {
            s.WantedChannel = midiimport::kDrumChannel;
            import.dump.ImportPart = midiimport::kPartDrums;
        }
    }
    // One conversion of "$$$$" for the given channel (0..15): dump, then load.
    bool Convert(int channel) {
        import.dump.DumpChannels.fill(0);
        import.dump.DumpChannels[static_cast<size_t>(channel)] = 1;
        if (!midiimport::WriteImportDump(ctx)) return false;
        midiimport::LoadImportDump(ctx);
        return import.dump.DumpLoaded != 0;
    }
    // Split, dump, load and parse of a drum import from `firstBar`. False when a stage stopped.
    bool ImportDrums(const std::string& input, int firstBar = 1) {
        Prepare(input, true);
        midiimport::SplitMidiFile(ctx);
        if (import.split.FileError || import.split.ImportAborted) return false;
        if (!Convert(midiimport::kDrumChannel)) return false;
        import.dump.FirstBar = firstBar;
        midiimport::ParseImportDump(ctx);
        return true;
    }
    // The same for one part (1 piano .. 4 bass) from a channel (0..15).
    bool ImportPart(const std::string& input, int channel, int part, int firstBar = 1) {
        Prepare(input, false);
        midiimport::SplitMidiFile(ctx);
        if (import.split.FileError || import.split.ImportAborted) return false;
        import.dump.ImportPart = static_cast<std::uint8_t>(part);
        if (!Convert(channel)) return false;
        import.dump.FirstBar = firstBar;
        midiimport::ParseImportDump(ctx);
        return true;
    }

    // One drum over the eight bars: 32 characters a bar, 'x' a hit, '.' none.
    std::vector<std::string> DrumBars(int drum) {
        std::vector<std::string> bars(8, std::string(32, '.'));
        for (int step = 0; step < 256; ++step)
            if (cell(step, drum) != 0) {
                const int s = step == 0 ? 256 : step;
                bars[static_cast<size_t>((s - 1) / 32)][static_cast<size_t>((s - 1) % 32)] = 'x';
            }
        return bars;
    }
    // Drums that hold any hit.
    std::vector<int> DrumsUsed() {
        std::vector<int> out;
        for (int d = 0; d < 300; ++d)
            for (int s = 0; s < 300; ++s)
                if (cell(s, d) != 0) {
                    out.push_back(d);
                    break;
                }
        return out;
    }
    // A part's steps, bar by bar: "position:note/velocity/duration" separated by blanks.
    std::vector<std::string> PartBars(int part) {
        std::vector<std::string> bars(8);
        const auto& table = state.live.parts.PartSteps[static_cast<size_t>(part - 1)];
        for (int s = 1; s <= 256; ++s) {
            const auto& e = table[static_cast<size_t>(s == 256 ? 0 : s)];
            if (e.note == 0) continue;
            auto& bar = bars[static_cast<size_t>((s - 1) / 32)];
            if (!bar.empty()) bar += ' ';
            bar += std::to_string((s - 1) % 32 + 1) + ":" + std::to_string(e.note) + "/" +
                   std::to_string(e.velocity) + "/" + std::to_string(e.duration);
        }
        return bars;
    }
    std::string DumpText() {
        auto bytes = ReadBytes(Path(midiimport::kDumpFileName));
        return std::string(bytes.begin(), bytes.end());
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> out;
        for (const auto& b : dialogs.boxes()) out.push_back(b.text);
        return out;
    }
};

}  // namespace importtest
