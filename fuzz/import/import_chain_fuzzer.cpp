// Fuzzes the whole import on arbitrary MIDI bytes: split, dump, load and parse of the drums and of
// a part. Every file ends in a finished import or one message, never outside the arrangement.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/import/support/stage_rig.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder, current only while one input runs (libFuzzer reads its corpus by relative
// paths), removed at exit.
class ScratchFolder {
  public:
    ScratchFolder() : home_(fs::current_path()) {
        fs::create_directories(folder());
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(folder(), ec);
        });
    }
    void enter() const { fs::current_path(folder()); }
    void leave() const { fs::current_path(home_); }

  private:
    static const fs::path& folder() {
        static const fs::path f =
            fs::temp_directory_path() / ("quintora_import_fuzz_" + std::to_string(::getpid()));
        return f;
    }
    fs::path home_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder scratch;
    scratch.enter();
    struct Leave {
        const ScratchFolder& s;
        ~Leave() { s.leave(); }
    } leave{scratch};
    if (std::FILE* f = std::fopen("in.mid", "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    auto rig = std::make_unique<importfuzz::Rig>();
    if (rig->Split("in.mid")) {
        if (rig->Convert(midiimport::kDrumChannel, true)) midiimport::ParseImportDump(rig->ctx);
        if (rig->Convert(0, false)) midiimport::ParseImportDump(rig->ctx);
    } else {
        int messages = 0;  // a file error is one message (besides the note that no drums play)
        for (const auto& box : rig->dialogs.boxes()) messages += box.text == "NO DRUMS FOUND" ? 0 : 1;
        if (messages != 1) std::abort();
    }
    if (!rig->Consistent()) std::abort();
    return 0;
}
