// The buffered file: block placement in both read modes, the write window, owned and given files.
#include <gtest/gtest.h>

#include <cstring>

#include "midifile/MidiBuffer.h"
#include "tests/midifile/support/temp_files.h"

namespace midifile::testing {
namespace {

Bytes Counting(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7);
    return b;
}

TEST(MidiBuffer, SmallFileInWindowMode) {
    TempFile file(Bytes{1, 2, 3});
    MidiBuffer b(file.path(), nullptr, MidiBuffer::WindowRead);
    EXPECT_EQ(b.midilength(), 3);
    EXPECT_EQ(b.BufferCapacity(), 1024);
    const uint8_t* p = b.BlockAt(0, 3);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Bytes(p, p + 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(b.BlockAt(1, 3), nullptr);
    EXPECT_EQ(b.BlockAt(-1, 1), nullptr);
    EXPECT_EQ(b.AvailableAt(1), 2);
    EXPECT_EQ(b.AvailableAt(3), 0);
    EXPECT_EQ(b.AvailableAt(-5), 0);
}

TEST(MidiBuffer, EmptyFileInWholeFileModeUsesTheWindow) {
    TempFile file(Bytes{});
    MidiBuffer b(file.path(), nullptr, MidiBuffer::WholeFileRead);
    EXPECT_EQ(b.midilength(), 0);
    EXPECT_EQ(b.BufferCapacity(), 1024);
    EXPECT_EQ(b.BlockAt(0, 1), nullptr);
}

TEST(MidiBuffer, WindowMovesAndRefusesBlocksLargerThanItself) {
    const Bytes data = Counting(3000);
    TempFile file(data);
    MidiBuffer window(file.path(), nullptr, MidiBuffer::WindowRead);
    EXPECT_EQ(window.BlockAt(0, 1025), nullptr);
    for (int64_t off : {2500, 10, 1020, 2999, 0}) {
        const uint8_t* p = window.BlockAt(off, 1);
        ASSERT_NE(p, nullptr) << off;
        EXPECT_EQ(*p, data[static_cast<size_t>(off)]);
    }
    const uint8_t* span = window.BlockAt(1000, 1024);
    ASSERT_NE(span, nullptr);
    EXPECT_EQ(0, std::memcmp(span, data.data() + 1000, 1024));
    EXPECT_EQ(window.BlockAt(2000, 1001), nullptr);

    MidiBuffer whole(file.path(), nullptr, MidiBuffer::WholeFileRead);
    EXPECT_EQ(whole.BufferCapacity(), 3000);
    const uint8_t* all = whole.BlockAt(0, 3000);
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(0, std::memcmp(all, data.data(), 3000));
}

TEST(MidiBuffer, MissingFileReadsNothing) {
    MidiBuffer b("/nonexistent/quintora/file.mid", nullptr, MidiBuffer::WholeFileRead);
    EXPECT_EQ(b.FileHandle(), nullptr);
    EXPECT_EQ(b.BufferCapacity(), 16);
    EXPECT_EQ(b.midilength(), 0);
    EXPECT_EQ(b.BlockAt(0, 1), nullptr);
}

TEST(MidiBuffer, WritingPatchesAndAppendsWithinOneWindow) {
    TempFile file;
    {
        MidiBuffer b(file.path(), nullptr, MidiBuffer::Write);
        uint8_t* p = b.BlockAt(0, 10);
        ASSERT_NE(p, nullptr);
        for (int i = 0; i < 10; ++i) p[i] = static_cast<uint8_t>(i);
        p = b.BlockAt(4, 2);
        ASSERT_NE(p, nullptr);
        p[0] = 0x44;
        p[1] = 0x55;
        p = b.BlockAt(10, 4);
        ASSERT_NE(p, nullptr);
        std::memcpy(p, "\xA0\xA1\xA2\xA3", 4);
        EXPECT_EQ(b.midilength(), 14);
        EXPECT_EQ(b.BlockAt(20, 1), nullptr);  // past the end: refused
        EXPECT_EQ(b.midilength(), 14);
        p = b.BlockAt(14, 1);  // at the end: appends
        ASSERT_NE(p, nullptr);
        *p = 0xEE;
    }
    EXPECT_EQ(file.Read(), (Bytes{0, 1, 2, 3, 0x44, 0x55, 6, 7, 8, 9, 0xA0, 0xA1, 0xA2, 0xA3, 0xEE}));
}

TEST(MidiBuffer, BackPatchingAcrossWindowsKeepsEveryByte) {
    TempFile file;
    const Bytes data = Counting(5000);
    {
        MidiBuffer b(file.path(), nullptr, MidiBuffer::Write);
        for (size_t off = 0; off < data.size(); off += 100) {
            uint8_t* p = b.BlockAt(static_cast<int64_t>(off), 100);
            ASSERT_NE(p, nullptr);
            std::memcpy(p, data.data() + off, 100);
        }
        uint8_t* p = b.BlockAt(2, 2);  // far back: flushes the window, patches, then appends again
        ASSERT_NE(p, nullptr);
        p[0] = p[1] = 0xFF;
    }
    Bytes want = data;
    want[2] = want[3] = 0xFF;
    EXPECT_EQ(file.Read(), want);
}

TEST(MidiBuffer, WritingWithoutFileStaysInsideTheInlineBuffer) {
    MidiBuffer b("/nonexistent/quintora/out.mid", nullptr, MidiBuffer::Write);
    EXPECT_EQ(b.FileHandle(), nullptr);
    EXPECT_EQ(b.BufferCapacity(), 16);
    EXPECT_NE(b.BlockAt(0, 16), nullptr);
    EXPECT_EQ(b.BlockAt(10, 7), nullptr);
    EXPECT_EQ(b.BlockAt(16, 1), nullptr);
}

TEST(MidiBuffer, GivenFileIsUsedForReadingAndLeftOpen) {
    TempFile file(Bytes{9, 8, 7, 6});
    std::FILE* f = std::fopen(file.path(), "rb");
    ASSERT_NE(f, nullptr);
    {
        MidiBuffer b(file.path(), f, MidiBuffer::Write);  // a given file is never written
        EXPECT_FALSE(b.IsWriting());
        EXPECT_EQ(b.midilength(), 4);
        const uint8_t* p = b.BlockAt(2, 2);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p[0], 7);
    }
    EXPECT_EQ(std::fseek(f, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(f), 9);
    EXPECT_EQ(std::fclose(f), 0);
}

TEST(MidiBuffer, FailedFlushIsReportedOnceAndKeepsTheWindow) {
    struct Recording : MidiBuffer {
        using MidiBuffer::MidiBuffer;
        std::vector<std::string> errors;
        void OnError(const char* t) override { errors.push_back(t); }
    };
    Recording b("/dev/full", nullptr, MidiBuffer::Write);
    ASSERT_NE(b.FileHandle(), nullptr);
    for (int64_t off = 0; off < 4096; off += 512) ASSERT_NE(b.BlockAt(off, 512), nullptr);
    EXPECT_FALSE(b.FlushWindow());
    EXPECT_EQ(b.errors, (std::vector<std::string>{"write error (maybe disk full)"}));
}

}  // namespace
}  // namespace midifile::testing
