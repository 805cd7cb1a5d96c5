// Fuzzes the MIDI file reader in both buffer modes, the track survey, and a copy through the writer:
// a file that reads cleanly must be copied into one that reads cleanly again.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/midifile/copy_reader.h"
#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"
#include "midifile/tracker.h"
#include "platform/testing/scripted_dialogs.h"

namespace {

// Touches every byte handed over, so the sanitizers see any read past a block.
class Touching : public midifile::MidiRead {
  public:
    using MidiRead::MidiRead;
    uint32_t sum = 0;
    void OnError(const char*) override {}
    void OnWarning(const char*) override {}
    void Touch(int64_t n, const uint8_t* d) {
        for (int64_t i = 0; i < n; ++i) sum += d[i];
    }
    void OnRawEvent(int, int64_t n, const uint8_t* d) override { Touch(n, d); }
    void OnMetaEvent(int, int64_t n, const uint8_t* d) override { Touch(n, d); }
    void OnText(int, int64_t n, const char*, const char* t) override {
        Touch(n, reinterpret_cast<const uint8_t*>(t));
    }
    void OnSysex(int64_t n, const uint8_t* d) override { Touch(n, d); }
    void OnSysexEscape(int64_t n, const uint8_t* d) override { Touch(n, d); }
    void OnNoteOn(int c, int k, int v) override { sum += static_cast<uint32_t>(c + k + v); }
};

class QuietWriter : public midifile::MidiWrite {
  public:
    using MidiWrite::MidiWrite;
    void OnWarning(const char*) override {}
};

std::string TempPath(const char* what) {
    return "/tmp/quintora_fuzz_" + std::to_string(::getpid()) + "_" + what + ".mid";
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = TempPath("in");
    static const std::string out = TempPath("out");
    static const bool cleanup = [] {
        std::atexit([] {
            std::remove(in.c_str());
            std::remove(out.c_str());
        });
        return true;
    }();
    (void)cleanup;
    if (!WriteFile(in, data, size)) return 0;

    // Every mask bit changes delivery; take the mask from the data so all paths are reached.
    const uint32_t mask = size >= 2 ? (uint32_t{data[size - 1]} << 8 | data[size - 2]) & 0x7FF : 0;
    for (int mode : {midifile::MidiBuffer::WindowRead, midifile::MidiBuffer::WholeFileRead}) {
        Touching r(in.c_str(), nullptr, mode);
        r.EventMask = mask;
        r.ReadAll();
    }

    {
        platform::testing::ScriptedDialogs dialogs;
        midifile::MidiTrackinfo survey(in.c_str(), dialogs, {[](const std::string&) {}, [] {}});
        survey.DescribeAll(false);
        survey.DescribeAll(true);
    }

    int readOk = 0;
    {
        QuietWriter w(out.c_str());
        midifile::fuzzing::CopyReader copy(in.c_str(), nullptr, midifile::MidiBuffer::WindowRead, w);
        readOk = copy.ReadAll();
        if (!w.Close()) std::abort();
    }
    if (readOk == 1) {
        Touching again(out.c_str(), nullptr, midifile::MidiBuffer::WholeFileRead);
        if (again.ReadAll() != 1) {
            std::fprintf(stderr, "the writer's copy of a clean file does not read back cleanly\n");
            std::abort();
        }
    }
    return 0;
}
