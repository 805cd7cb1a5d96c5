// Damaged and hostile files: the error text, ReadAll's result, and that the reader finishes.
// Run under ASan+UBSan as well: none of these may read outside a buffer.
#include <gtest/gtest.h>

#include "midifile/MidiRead.h"
#include "tests/midifile/support/log_reader.h"
#include "tests/midifile/support/malformed_cases.h"
#include "tests/midifile/support/temp_files.h"

namespace midifile::testing {
namespace {

using Lines = std::vector<std::string>;

using malformed::Case;
using malformed::Cases;

class Malformed : public ::testing::TestWithParam<std::tuple<size_t, int>> {};

TEST_P(Malformed, ReportsTheErrorAndNeverSucceedsAfterIt) {
    const Case& c = Cases()[std::get<0>(GetParam())];
    TempFile f(c.file);
    LogReader r(f.path(), nullptr, std::get<1>(GetParam()));
    EXPECT_EQ(r.ReadAll(), c.result);
    if (c.error != nullptr) {
        EXPECT_EQ(r.Errors(), (Lines{c.error}));
        EXPECT_NE(r.log.back(), "eof");
    } else {
        EXPECT_EQ(r.Errors(), Lines{});
        EXPECT_EQ(r.log.back(), "eof");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Malformed,
                         ::testing::Combine(::testing::Range<size_t>(0, Cases().size()),
                                            ::testing::Values(MidiBuffer::WindowRead,
                                                              MidiBuffer::WholeFileRead)),
                         [](const auto& param_info) {
                             return std::string(Cases()[std::get<0>(param_info.param)].name) +
                                    (std::get<1>(param_info.param) == MidiBuffer::WindowRead ? "_window"
                                                                                             : "_whole");
                         });

TEST(MalformedFile, ALargePauseWarnsAndEndsOnlyItsTrack) {
    TempFile f(SmfFile({{0xFF, 0xFF, 0xFF, 0x7F, 0xF4}, {0x00, 0x90, 0x3C, 0x64}}));
    LogReader r(f.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(r.ReadAll(), 1);
    EXPECT_EQ(r.Warnings(), (Lines{"Unrealistic large pause found"}));
    EXPECT_EQ(r.Body(2), (Lines{"delta 0", "on 0 60 100"}));
}

TEST(MalformedFile, EventsBeforeTheErrorArriveAndNothingAfterIt) {
    TempFile f(
        SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00, 0xF4, 0x00, 0x90, 0x3E, 0x64}, {0x00, 0x91, 0x3C, 0x64}}));
    LogReader r(f.path(), nullptr, MidiBuffer::WholeFileRead);
    EXPECT_EQ(r.ReadAll(), 0);
    EXPECT_EQ(r.log, (Lines{"header 1 2 96", "trackstart 1 10 0", "delta 0", "on 0 60 100", "delta 0",
                            "error: unexpected command byte F4"}));
}

TEST(MalformedFile, MissingFileGivesNoSuccessAndNoMessage) {
    LogReader r("/nonexistent/quintora.mid", nullptr, MidiBuffer::WindowRead);
    EXPECT_EQ(r.ReadAll(), 0);
    EXPECT_TRUE(r.log.empty());
}

}  // namespace
}  // namespace midifile::testing
