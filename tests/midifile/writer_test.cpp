// The writer's bytes where the reader cannot tell the difference, and its failure handling.
#include <gtest/gtest.h>

#include "midifile/MidiWrite.h"
#include "tests/midifile/support/log_reader.h"
#include "tests/midifile/support/temp_files.h"

namespace midifile::testing {
namespace {

struct Recording : MidiWrite {
    using MidiWrite::MidiWrite;
    std::vector<std::string> errors, warnings;
    void OnError(const char* t) override { errors.push_back(t); }
    void OnWarning(const char* t) override { warnings.push_back(t); }
};

// The track data of a one-track file written by `body`.
Bytes TrackBytes(const std::function<void(MidiWrite&)>& body) {
    TempFile f;
    {
        MidiWrite w(f.path());
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        body(w);
        EXPECT_TRUE(w.Close());
    }
    const Bytes b = f.Read();
    return b.size() >= 22 ? Bytes(b.begin() + 22, b.end()) : Bytes{};
}

TEST(MidiWrite, ExclusiveGetsItsLengthAndClosingByte) {
    const uint8_t xg[] = {0x43, 0x10, 0x4C};
    EXPECT_EQ(TrackBytes([&](MidiWrite& w) { w.WriteSysex(3, xg); }),
              (Bytes{0x00, 0xF0, 0x04, 0x43, 0x10, 0x4C, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
    const uint8_t stops[] = {0x41, 0xF7, 0x99, 0x98};  // the span ends at the first F7
    EXPECT_EQ(TrackBytes([&](MidiWrite& w) { w.WriteSysex(4, stops); }),
              (Bytes{0x00, 0xF0, 0x02, 0x41, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
    EXPECT_EQ(TrackBytes([](MidiWrite& w) {
                  w.AddDelta(3);
                  w.WriteGmSystemOn();
              }),
              (Bytes{0x03, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiWrite, ExclusiveAsDeliveredIsWrittenExactly) {
    const uint8_t packet[] = {0x43, 0x10, 0x4C};
    const uint8_t rest[] = {0x00, 0xF7, 0x7E};
    EXPECT_EQ(TrackBytes([&](MidiWrite& w) {
                  w.WriteExclusive(0xF0, 3, packet);  // no F7 added
                  w.AddDelta(5);
                  w.WriteExclusive(0xF7, 3, rest);  // an escape, F7 inside kept
                  w.WriteExclusive(0xF0, 0, nullptr);
                  w.WriteNoteOn(0, 60, 1);
              }),
              (Bytes{0x00, 0xF0, 0x03, 0x43, 0x10, 0x4C, 0x05, 0xF7, 0x03, 0x00, 0xF7, 0x7E,
                     0x00, 0xF0, 0x00, 0x00, 0x90, 0x3C, 0x01, 0x00, 0xFF, 0x2F, 0x00}));

    TempFile source(Bytes{'x', 0x01, 0x02, 0xF7, 0x03});
    std::FILE* src = std::fopen(source.path(), "rb");
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(TrackBytes([&](MidiWrite& w) {
                  w.WriteExclusiveFromFile(0xF7, src, 1, 4);
                  w.WriteExclusiveFromFile(0xF0, src, 1, 2);
              }),
              (Bytes{0x00, 0xF7, 0x04, 0x01, 0x02, 0xF7, 0x03, 0x00, 0xF0, 0x02, 0x01, 0x02, 0x00, 0xFF, 0x2F,
                     0x00}));
    std::fclose(src);

    TempFile f;
    Recording w(f.path());
    w.WriteHeader(0, 1, 96);
    w.StartTrack();
    w.WriteExclusive(0x90, 1, packet);  // not an exclusive status: refused, reported
    EXPECT_EQ(w.errors, (std::vector<std::string>{"exclusive status 90 is neither F0 nor F7"}));
    EXPECT_FALSE(w.Close());
}

TEST(MidiWrite, CloseFixesOnlyAHeaderItWrote) {
    TempFile f;
    {
        MidiWrite w(f.path());
        w.StartTrack();  // no header: the bytes at offset 10 are the track's own
        w.WriteNoteOn(0, 60, 100);
        w.WriteNoteOn(0, 62, 100);
        EXPECT_TRUE(w.Close());
    }
    EXPECT_EQ(f.Read(), (Bytes{'M', 'T', 'r', 'k', 0x00, 0x00, 0x00, 0x0B, 0x00, 0x90, 0x3C, 0x64, 0x00, 0x3E,
                               0x64, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiWrite, AWriterDestroyedUnclosedSaysSoAndStillFinishesTheFile) {
    TempFile f;
    ::testing::internal::CaptureStderr();
    {
        MidiWrite w(f.path());
        w.WriteHeader(1, 4, 96);
        w.StartTrack();
        w.WriteNoteOn(0, 60, 100);
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("was not closed"), std::string::npos) << said;
    EXPECT_NE(said.find(f.path()), std::string::npos) << said;
    EXPECT_EQ(f.Read(), SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00}}));

    ::testing::internal::CaptureStderr();
    {
        MidiWrite w(f.path());
        w.WriteHeader(0, 1, 96);
        EXPECT_TRUE(w.Close());
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(MidiWrite, DeltasAreEncodedAndClamped) {
    Recording* seen = nullptr;
    TempFile f;
    {
        Recording w(f.path());
        seen = &w;
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        w.AddDelta(0x1000000);
        w.WriteNoteOn(0, 1, 1);
        w.AddDelta(0x0FFFFFFF);
        w.AddDelta(0x0FFFFFFF);
        w.WriteNoteOn(0, 2, 1);
        w.AddDelta(0x3FFF);
        w.WriteNoteOn(0, 3, 1);
        EXPECT_EQ(seen->warnings.size(), 3u);
        EXPECT_TRUE(w.Close());
    }
    const Bytes b = f.Read();
    EXPECT_EQ(Bytes(b.begin() + 22, b.end()),
              (Bytes{0x88, 0x80, 0x80, 0x00, 0x90, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0x7F,
                     0x02, 0x01, 0xFF, 0x7F, 0x03, 0x01, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiWrite, TimeSignatureDenominatorBecomesItsLogarithm) {
    EXPECT_EQ(TrackBytes([](MidiWrite& w) {
                  w.WriteTimeSignature(6, 8, 24, 8);
                  w.WriteTimeSignature(5, 1 << 12, 1, 2);  // a damaged source's value passes through
                  w.WriteTimeSignature(3, 3, 24, 8);       // not a power of two: the one below
              }),
              (Bytes{0x00, 0xFF, 0x58, 0x04, 0x06, 0x03, 0x18, 0x08, 0x00, 0xFF, 0x58, 0x04, 0x05, 0x0C,
                     0x01, 0x02, 0x00, 0xFF, 0x58, 0x04, 0x03, 0x01, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiWrite, CloseWithoutTracksWritesOnlyTheHeader) {
    TempFile f;
    {
        MidiWrite w(f.path());
        w.WriteHeader(1, 0, 96);
        w.CloseTrack();  // no track open: nothing to end
        EXPECT_TRUE(w.Close());
        EXPECT_TRUE(w.Close());
    }
    EXPECT_EQ(f.Read().size(), 14u);
}

TEST(MidiWrite, FromFileCopiesRegionsAndRestoresThePosition) {
    TempFile source(Bytes{'x', 'y', 0xF0, 0x43, 0x10, 0xF7, 0x55, 'T', 'e', 'x', 't'});
    std::FILE* src = std::fopen(source.path(), "rb");
    ASSERT_NE(src, nullptr);
    std::fseek(src, 1, SEEK_SET);
    TempFile out;
    Recording* seen = nullptr;
    {
        Recording w(out.path());
        seen = &w;
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        w.WriteSysexFromFile(src, 2, 5);   // leading F0 skipped, span through the F7
        w.WriteSysexFromFile(src, 3, 2);   // no F7: one added
        w.WriteSysexFromFile(src, 50, 2);  // starts past the end: nothing
        w.WriteMetaFromFile(0x01, src, 7, 4);
        EXPECT_EQ(std::ftell(src), 1);
        EXPECT_TRUE(seen->errors.empty());
        w.WriteMetaFromFile(0x01, src, 9, 4);  // the source ends early: padded, reported
        EXPECT_EQ(seen->errors,
                  (std::vector<std::string>{"copy source ended after 2 bytes: padded with zeros"}));
        EXPECT_FALSE(w.Close());
    }
    std::fclose(src);
    const Bytes b = out.Read();
    EXPECT_EQ(Bytes(b.begin() + 22, b.end()),
              (Bytes{0x00, 0xF0, 0x03, 0x43, 0x10, 0xF7, 0x00, 0xF0, 0x03, 0x43, 0x10,
                     0xF7, 0x00, 0xFF, 0x01, 0x04, 'T',  'e',  'x',  't',  0x00, 0xFF,
                     0x01, 0x04, 'x',  't',  0,    0,    0x00, 0xFF, 0x2F, 0x00}));
}

// A caller's mistake is refused whole, in every build, and the report says what it was; the delta
// waits for the next event, and Close() says the file is not what was asked for.
TEST(MidiWrite, ArgumentErrorsSayWhatWentWrongAndWriteNothing) {
    TempFile source(Bytes{0x43, 0x10});
    std::FILE* src = std::fopen(source.path(), "rb");
    ASSERT_NE(src, nullptr);
    const uint8_t d[2] = {0x43, 0x10};
    const struct {
        std::function<void(MidiWrite&)> call;
        const char* error;
    } cases[] = {
        {[](MidiWrite& w) { w.WriteSystemByte(0xF2); }, "not a one-byte system message: F2"},
        {[](MidiWrite& w) { w.WriteSystemByte(0xFF); }, "not a one-byte system message: FF"},
        {[](MidiWrite& w) { w.WriteSystemByte(0x90); }, "not a one-byte system message: 90"},
        {[&](MidiWrite& w) { w.WriteSysex(-1, d); }, "sysex length -1 out of range"},
        {[](MidiWrite& w) { w.WriteSysex(3, nullptr); }, "sysex without its data"},
        {[&](MidiWrite& w) { w.WriteExclusive(0xF0, 0x10000000, d); }, "sysex length 268435456 out of range"},
        {[&](MidiWrite& w) { w.WriteExclusive(0xFF, 2, d); }, "exclusive status FF is neither F0 nor F7"},
        {[](MidiWrite& w) { w.WriteExclusiveFromFile(0xF7, nullptr, 0, 2); },
         "sysex copy without a source file"},
        {[&](MidiWrite& w) { w.WriteExclusiveFromFile(0xF0, src, -4, 2); },
         "sysex source offset -4 out of range"},
        {[](MidiWrite& w) { w.WriteMeta(0x01, 2, nullptr); }, "meta event without its data"},
        {[&](MidiWrite& w) { w.WriteMetaFromFile(0x01, src, 0, -3); }, "meta event length -3 out of range"},
    };
    for (const auto& c : cases) {
        TempFile f;
        {
            Recording w(f.path());
            w.WriteHeader(0, 1, 96);
            w.StartTrack();
            w.AddDelta(5);
            c.call(w);
            w.WriteNoteOn(0, 60, 1);
            EXPECT_FALSE(w.Close()) << c.error;
            EXPECT_EQ(w.errors, (std::vector<std::string>{c.error}));
        }
        const Bytes b = f.Read();
        EXPECT_EQ(b.size() >= 22 ? Bytes(b.begin() + 22, b.end()) : Bytes{},
                  (Bytes{0x05, 0x90, 0x3C, 0x01, 0x00, 0xFF, 0x2F, 0x00}))
            << c.error;
    }
    std::fclose(src);
}

TEST(MidiWrite, FailuresAreReportedOnceAndCloseSaysSo) {
    {
        Recording w("/nonexistent/quintora/out.mid");
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        for (int i = 0; i < 100; ++i) w.WriteNoteOn(0, 60, 100);
        EXPECT_FALSE(w.Close());
        EXPECT_EQ(w.errors, (std::vector<std::string>{"write error (maybe disk full)"}));
    }
    {
        Recording w("/dev/full");
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        for (int i = 0; i < 2000; ++i) w.WriteNoteOn(0, 60, 100);
        EXPECT_FALSE(w.Close());
        EXPECT_EQ(w.errors, (std::vector<std::string>{"write error (maybe disk full)"}));
        EXPECT_TRUE(w.Failed());
    }
}

}  // namespace
}  // namespace midifile::testing
