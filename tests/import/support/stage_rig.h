#pragma once
// The import's stages on a fresh program state with an engine that plays nothing and pages that
// only keep the time signature: for the fuzz targets, their seed writer and the benchmark. The
// caller makes a scratch folder current: the stages write "$$$$" and "$$$" there.

#include <cstring>
#include <memory>
#include <string>

#include "import/bar_dump.h"
#include "import/dump_parser.h"
#include "import/split.h"
#include "platform/testing/scripted_dialogs.h"
#include "program/accompaniment_playing.h"
#include "program/program_state.h"
#include "tests/app/support/null_engine.h"

namespace importfuzz {

class MeterPages final : public midiimport::ImportPages {
  public:
    explicit MeterPages(app::ProgramState& state) : state_(state) {}
    void processMessages() override {}
    void showProgress(int) override {}
    void resetImport() override {}
    void toggleTimeSignature() override {
        state_.drums.MeterSign = static_cast<std::int8_t>(-state_.drums.MeterSign);
        state_.drums.WaltzMode = state_.drums.MeterSign > 0 ? 1 : 0;
    }
    void applyBars() override {}
    void showTempo(int) override {}

  private:
    app::ProgramState& state_;
};

struct Rig {
    app::ProgramState state;
    testsupport::NullEngineLink engine;
    app::AccompanimentPlaying playing{state.live};
    drums::DrumOps ops{state.drums, state.Engine, engine, playing};
    platform::testing::ScriptedDialogs dialogs;
    MeterPages pages{state};
    midiimport::ImportState import;
    midiimport::ImportContext ctx{import, {state, state.drums, state.live}, engine, ops, dialogs, pages,
                                  nullptr};

    // The split of a MIDI file as the Drums button starts it; false after a file error.
    bool Split(const std::string& path) {
        auto& s = import.split;
        s.FileError = 0;
        s.ImportAborted = 0;
        s.InstrumentMode = 0;
        s.InputPath = path;
        midiimport::SplitMidiFile(ctx);
        return s.FileError == 0 && s.ImportAborted == 0;
    }
    // Dump and load of "$$$$" for one channel; false when nothing was loaded.
    bool Convert(int channel, bool drums) {
        import.split.InstrumentMode = drums ? 0 : 1;
        import.dump.ImportPart = drums ? midiimport::kPartDrums : 1;
        import.dump.DumpChannels.fill(0);
        import.dump.DumpChannels[static_cast<size_t>(channel)] = 1;
        if (!midiimport::WriteImportDump(ctx)) return false;
        midiimport::LoadImportDump(ctx);
        return import.dump.DumpLoaded != 0;
    }

    // Nothing outside the played cells and part entries, and the arrangement's values in range.
    // Kept cheap: the fuzz targets run it on every input.
    bool Consistent() const {
        static const std::array<std::int32_t, drums::kPatternSize> zero{};
        const auto& pattern = state.drums.DrumPattern;
        std::uint32_t played = 0;
        for (size_t s = 0; s < pattern.size(); ++s) {
            const std::int32_t* row = pattern[s].data();
            const size_t from = s < drums::kSteps ? drums::kEditableDrums : 0;
            if (std::memcmp(row + from, zero.data(), (zero.size() - from) * sizeof(std::int32_t)) != 0)
                return false;
            for (size_t d = 0; d < from; ++d) played |= static_cast<std::uint32_t>(row[d]);
        }
        if (played > 127) return false;
        for (const auto& table : state.live.parts.PartSteps) {
            for (size_t s = 256; s < table.size(); ++s)
                if (table[s].note != 0) return false;
            for (size_t s = 0; s < 256; ++s)
                played |= static_cast<std::uint32_t>(table[s].velocity | table[s].note);
        }
        if (played > 127) return false;
        return state.drums.Bars >= 1 && state.drums.Bars <= 8 &&
               (state.drums.TempoValue == 0 ||
                (state.drums.TempoValue >= 20 && state.drums.TempoValue <= 250));
    }
};

}  // namespace importfuzz
