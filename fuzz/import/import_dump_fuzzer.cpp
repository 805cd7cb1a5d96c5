// Fuzzes the dump loader and parser: the first byte picks a drum or a part import and the first
// bar, the rest is the dump text. Whatever the text, the arrangement stays within its bounds.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tests/import/support/stage_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    auto rig = std::make_unique<importfuzz::Rig>();
    const bool drums = (data[0] & 1) != 0;
    rig->import.split.InstrumentMode = drums ? 0 : 1;
    rig->import.dump.ImportPart =
        drums ? midiimport::kPartDrums : static_cast<std::uint8_t>(1 + (data[0] >> 1) % 4);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    midiimport::LoadImportText(rig->ctx, text, data[0]);
    rig->import.dump.FirstBar = 1 + (data[0] >> 3);
    midiimport::ParseImportDump(rig->ctx);
    if (!rig->Consistent()) std::abort();
    if (rig->import.dump.HighestBar < 0 || rig->import.dump.HighestBar > 999) std::abort();
    return 0;
}
