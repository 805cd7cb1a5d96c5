// The arrangement file: its exact bytes, a full round trip, damaged files, and the save that
// never leaves a damaged or missing file behind.

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "drums/drum_pattern.h"
#include "program/arrangement_file.h"
#include "tests/app/support/program_fixture.h"
#include "tests/app/support/test_disk.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kTrailer = app::kDurationTrailerBytes;

Bytes readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Everything a file can hold, with values at the edges of their ranges.
void fillArrangement(app::ProgramState& s) {
    auto& pattern = s.drums.DrumPattern;
    pattern[1][35 - 27] = 127;
    pattern[0][0] = 1;  // the 256th step
    pattern[255][69] = 64;
    pattern[128][12] = 100;  // the last record names drum 12 only when nothing follows it
    s.drums.DrumPans[0] = 0;
    s.drums.DrumPans[69] = 127;
    s.drums.DrumPans[12] = 20;
    s.drums.MeterSign = 1;
    s.drums.Bars = 3;
    s.Engine.Tempo = 250;
    auto& parts = s.live.parts;
    parts.ThruOctave = -2;
    parts.PartOctaveOffsets = {24, -12, 0, -24, 0};
    s.file.ReservedByte = 7;
    parts.SplitPoint = 84;
    parts.ThruProgram = 100;
    const std::int32_t durations[] = {300, 5000, 0, 255, 256, 10000, 1, 70000};
    for (std::size_t p = 0; p < 4; ++p)
        for (std::size_t step = 0; step < 256; step += 3 + p) {
            auto& e = parts.PartSteps[p][step];
            e.note = static_cast<std::int32_t>(36 + (step + p * 7) % 92);
            e.velocity = static_cast<std::int32_t>((step * 5 + p) % 128);
            e.duration = durations[(step + p) % 8];
        }
    parts.PartPrograms = {128, 1, 49, 62, 34};
    parts.PartChannels = {15, 0, 2, 1, 4};
    parts.PartPans = {64, 0, 127, 30, 90};
}

class ArrangementFile : public testsupport::ProgramFixture {};

TEST_F(ArrangementFile, AnEmptyArrangementIs3101BytesAndTheDurationTrailer) {
    const Bytes file = app::EncodeArrangement(state, 800);
    ASSERT_EQ(file.size(), 3101u + kTrailer);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 6), (Bytes{0x00, 0xFF, 0xFE, 0xFF, 0x08, 120}));
    EXPECT_EQ(file[6 + 6], 54) << "the split point";
    EXPECT_EQ(Bytes(file.begin() + 3101, file.begin() + 3105), (Bytes{'Q', 'D', 'U', 'R'}));
}

TEST_F(ArrangementFile, OneHitAndOnePanBeginTheFile) {
    state.drums.DrumPattern[5][8] = 100;
    state.drums.DrumPans[8] = 20;
    const Bytes file = app::EncodeArrangement(state, 800);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), (Bytes{0x05, 0x08, 0x64, 0x00, 0xFF, 0x08, 0x14, 0xFE}));
    EXPECT_EQ(file.size(), 3u + 2u + 3101u + kTrailer);
}

TEST_F(ArrangementFile, AFullArrangementRoundTripsByteForByte) {
    fillArrangement(state);
    const Bytes file = app::EncodeArrangement(state, state.drums.Bars * 100);

    auto fresh = std::make_unique<app::ProgramState>();
    testsupport::TestEngineLink engine{platform};
    app::AccompanimentPlaying freshListener{fresh->live};
    // As NEW leaves it before a file is read.
    drums::DrumOps(fresh->drums, fresh->Engine, engine, freshListener).ClearEngineDrums();
    const auto staged = app::ParseArrangement(file, true);
    ASSERT_TRUE(staged.has_value());
    app::ApplyArrangement(*staged, *fresh, engine);

    EXPECT_EQ(app::EncodeArrangement(*fresh, fresh->drums.Bars * 100), file);
    EXPECT_EQ(fresh->drums.DrumPattern, state.drums.DrumPattern);
    EXPECT_EQ(fresh->drums.DrumPans, state.drums.DrumPans);
    EXPECT_EQ(fresh->drums.TempoValue, 250);
    EXPECT_EQ(fresh->Engine.Tempo, 250);
    EXPECT_EQ(fresh->drums.MeterSign, 1);
    EXPECT_EQ(fresh->drums.Bars, 3);
    EXPECT_EQ(fresh->file.ReservedByte, 7);
    EXPECT_EQ(fresh->live.parts.ThruProgram, 100);
    EXPECT_EQ(fresh->live.parts.PartSteps, state.live.parts.PartSteps)
        << "every duration exact, 300 and 5000 too";
    EXPECT_EQ(staged->LastDrum, 0) << "the last record names drum 69, beyond the drum tab's tabs";
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 70; ++d)
            ASSERT_EQ(engine.engine.cell(s, d),
                      fresh->drums.DrumPattern[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)]);
    for (int d = 0; d < 100; ++d)
        ASSERT_EQ(engine.engine.pan(d), fresh->drums.DrumPans[static_cast<std::size_t>(d)]) << "drum " << d;
}

TEST_F(ArrangementFile, FilesWithoutTheTrailerKeepTheLowByteOfEachDuration) {
    state.live.parts.PartSteps[0][1] = {60, 100, 300};
    state.live.parts.PartSteps[3][0] = {40, 90, 5000};
    Bytes file = app::EncodeArrangement(state, 800);
    const std::size_t section4 = 6;
    EXPECT_EQ(file[section4 + 8 + 12 * 1 + 2], 0x2C) << "300 ms stored as its low byte";
    file.resize(file.size() - kTrailer);
    const auto staged = app::ParseArrangement(file, true);
    ASSERT_TRUE(staged.has_value());
    EXPECT_EQ(staged->PartSteps[0][1].duration, 44);
    EXPECT_EQ(staged->PartSteps[3][0].duration, 136);
    file.insert(file.end(), {1, 2, 3});  // bytes after section 4 that are no trailer
    EXPECT_EQ(app::ParseArrangement(file, true)->PartSteps[0][1].duration, 44);
}

// One hit (step 5, drum 8) and one pan: cells end at 5, pans at 8, section 3 at 8..10,
// section 4 at 11, the trailer at 3106.
constexpr std::size_t kSettings = 8;
constexpr std::size_t kParts4 = 11;
constexpr std::size_t kTrailerAt = kParts4 + 3095;
constexpr std::size_t stepByte(std::size_t step, std::size_t part, std::size_t field) {
    return kParts4 + 8 + step * 12 + part * 3 + field;
}
constexpr std::size_t voiceByte(std::size_t voice, std::size_t field) {
    return kParts4 + 3080 + voice * 3 + field;
}

struct Damage {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::function<void(const app::StagedArrangement&)> check;  // empty: the file is refused
};

TEST_F(ArrangementFile, DamagedFilesAreRefusedOrReadWithValidValues) {
    state.drums.DrumPattern[5][8] = 100;
    state.drums.DrumPans[8] = 20;
    state.live.parts.PartSteps[1][2] = {60, 100, 300};
    const Bytes good = app::EncodeArrangement(state, 800);
    ASSERT_EQ(good[kTrailerAt], 'Q');
    auto cut = [](std::size_t n) { return [n](Bytes& b) { b.resize(n); }; };
    auto set = [](std::size_t at, std::uint8_t v) { return [at, v](Bytes& b) { b[at] = v; }; };
    const std::vector<Damage> table = {
        {"empty", cut(0), {}},
        {"cut inside the cells", cut(2), {}},
        {"cut inside the pans", cut(6), {}},
        {"cut inside the settings", cut(kSettings + 2), {}},
        {"cut inside the accompaniment", cut(kParts4 + 1000), {}},
        {"no accompaniment", cut(kParts4), {}},
        {"cell of drum 70", set(1, 70), [](auto& a) { EXPECT_TRUE(a.cells.empty()); }},
        {"cell of velocity 0", set(2, 0), [](auto& a) { EXPECT_TRUE(a.cells.empty()); }},
        {"cell of velocity 200", set(2, 200), [](auto& a) { EXPECT_TRUE(a.cells.empty()); }},
        {"pan of drum 70", set(5, 70), [](auto& a) { EXPECT_TRUE(a.pans.empty()); }},
        {"pan 200", set(6, 200), [](auto& a) { EXPECT_EQ(a.pans.at(0).pan, 127); }},
        {"tempo 0", set(kSettings + 2, 0), [](auto& a) { EXPECT_EQ(a.Tempo, 20); }},
        {"tempo 255", set(kSettings + 2, 255), [](auto& a) { EXPECT_EQ(a.Tempo, 250); }},
        {"bars 0", set(kSettings + 1, 0), [](auto& a) { EXPECT_EQ(a.Bars, 1); }},
        {"bars 9", set(kSettings + 1, 9), [](auto& a) { EXPECT_EQ(a.Bars, 8); }},
        {"meter 0x7F", set(kSettings, 0x7F), [](auto& a) { EXPECT_EQ(a.MeterSign, -1); }},
        {"meter 0x01", set(kSettings, 0x01), [](auto& a) { EXPECT_EQ(a.MeterSign, 1); }},
        {"THRU octave 7", set(kParts4, 7), [](auto& a) { EXPECT_EQ(a.ThruOctave, 2); }},
        {"THRU octave -7", set(kParts4, 0xF9), [](auto& a) { EXPECT_EQ(a.ThruOctave, -2); }},
        {"part octave 7", set(kParts4 + 2, 7), [](auto& a) { EXPECT_EQ(a.PartOctaveOffsets[1], 0); }},
        {"part octave -24", set(kParts4 + 2, 0xE8), [](auto& a) { EXPECT_EQ(a.PartOctaveOffsets[1], -24); }},
        {"split 10", set(kParts4 + 6, 10), [](auto& a) { EXPECT_EQ(a.SplitPoint, 48); }},
        {"split 100", set(kParts4 + 6, 100), [](auto& a) { EXPECT_EQ(a.SplitPoint, 84); }},
        {"THRU program 200", set(kParts4 + 7, 200), [](auto& a) { EXPECT_EQ(a.ThruProgram, 0); }},
        {"note 200", set(stepByte(2, 1, 0), 200), [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].note, 0); }},
        {"velocity 200", set(stepByte(2, 1, 1), 200),
         [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].velocity, 127); }},
        {"program 200", set(voiceByte(2, 0), 200), [](auto& a) { EXPECT_EQ(a.PartPrograms[2], 0); }},
        {"program 128", set(voiceByte(2, 0), 128), [](auto& a) { EXPECT_EQ(a.PartPrograms[2], 128); }},
        {"THRU channel 16", set(voiceByte(0, 1), 16), [](auto& a) { EXPECT_EQ(a.PartChannels[0], 3); }},
        {"bass channel 200", set(voiceByte(4, 1), 200), [](auto& a) { EXPECT_EQ(a.PartChannels[4], 4); }},
        {"voice pan 255", set(voiceByte(1, 2), 255), [](auto& a) { EXPECT_EQ(a.PartPans[1], 127); }},
        {"trailer marker wrong", set(kTrailerAt, 'X'),
         [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].duration, 44); }},
        {"trailer cut short", cut(kTrailerAt + 4 + 4095),
         [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].duration, 44); }},
        {"trailer value disagrees with its byte", set(kTrailerAt + 4 + (2 * 4 + 1) * 4, 0x2D),
         [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].duration, 44); }},
        {"trailer value negative", set(kTrailerAt + 4 + (2 * 4 + 1) * 4 + 3, 0x80),
         [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].duration, 44); }},
        {"undamaged", [](Bytes&) {}, [](auto& a) { EXPECT_EQ(a.PartSteps[1][2].duration, 300); }},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(c.name);
        Bytes file = good;
        c.damage(file);
        const auto staged = app::ParseArrangement(file, true);
        ASSERT_EQ(staged.has_value(), static_cast<bool>(c.check));
        if (c.check) c.check(*staged);
    }
}

TEST_F(ArrangementFile, PanRecordsOfEveryDrumBeyondTheEditedOnesAreSkipped) {
    state.drums.DrumPans[8] = 20;
    const Bytes good = app::EncodeArrangement(state, 800);
    for (int drum = 70; drum <= 255; ++drum) {
        if (drum == 0xFE) continue;  // the end mark of the pans
        Bytes file = good;
        file[2] = static_cast<std::uint8_t>(drum);
        const auto staged = app::ParseArrangement(file, true);
        ASSERT_TRUE(staged.has_value()) << drum;
        EXPECT_TRUE(staged->pans.empty()) << drum;
    }
}

TEST_F(ArrangementFile, AMergeReadsOnlyTheDrumsAndNeedsNothingAfterThem) {
    state.drums.DrumPattern[5][8] = 100;
    state.live.parts.PartSteps[0][1] = {60, 100, 300};
    Bytes file = app::EncodeArrangement(state, 500);
    file.resize(9);  // one cell, no pans, the settings: nothing of the accompaniment
    const auto staged = app::ParseArrangement(file, false);
    ASSERT_TRUE(staged.has_value());
    EXPECT_FALSE(staged->hasParts);
    EXPECT_EQ(staged->Bars, 5);

    auto fresh = std::make_unique<app::ProgramState>();
    fresh->live.parts.PartSteps[2][7] = {50, 60, 70};
    testsupport::TestEngineLink engine{platform};
    app::ApplyArrangement(*staged, *fresh, engine);
    EXPECT_EQ(fresh->drums.DrumPattern[5][8], 100);
    EXPECT_EQ(fresh->live.parts.PartSteps[2][7], (accompaniment::PartStep{50, 60, 70}));
}

using testsupport::TestDisk;

TEST_F(ArrangementFile, ASaveReplacesTheFileOrLeavesTheOldOneIntact) {
    const fs::path target = folder.path() / "TarnFile" / "song.QTR";
    const Bytes old = {1, 2, 3};
    const Bytes next(5000, 9);
    TestDisk disk;
    std::string error;

    writeFile(target, old);
    disk.failWrites = true;
    EXPECT_FALSE(common::SaveFileAtomically(target, next, disk, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(readFile(target), old);

    const fs::path aFolder = folder.path() / "TarnFile" / "folder.QTR";
    fs::create_directory(aFolder);
    disk.failWrites = false;
    error.clear();
    EXPECT_FALSE(common::SaveFileAtomically(aFolder, next, disk, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(aFolder));

    error.clear();
    EXPECT_FALSE(common::SaveFileAtomically("/proc/quintora-test.QTR", next, disk, error))
        << "a folder nobody writes";
    EXPECT_FALSE(error.empty());

    ASSERT_TRUE(common::SaveFileAtomically(target, next, disk, error)) << error;
    EXPECT_EQ(readFile(target), next);
    std::vector<fs::path> left;
    for (const auto& e : fs::directory_iterator(folder.path() / "TarnFile"))
        left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<fs::path>{"folder.QTR", "song.QTR"})) << "no temporary file stays behind";
}

TEST_F(ArrangementFile, AWriteProtectedFileIsRefusedAndAnOpenOneKeepsItsMode) {
    const fs::path target = folder.path() / "TarnFile" / "song.QTR";
    TestDisk disk;
    std::string error;
    for (fs::perms mode :
         {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, fs::perms::owner_read}) {
        fs::remove(target);
        writeFile(target, {1, 2, 3});
        fs::permissions(target, mode);
        error.clear();
        EXPECT_FALSE(common::SaveFileAtomically(target, Bytes(20, 9), disk, error)) << "even for root";
        EXPECT_EQ(error, "the file is write-protected");
        EXPECT_EQ(readFile(target), (Bytes{1, 2, 3}));
        EXPECT_EQ(fs::status(target).permissions(), mode) << "it stays protected";
    }
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(common::SaveFileAtomically(target, Bytes(20, 9), disk, error)) << error;
    EXPECT_EQ(readFile(target), Bytes(20, 9));
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << "the new file takes the old one's mode, not the umask's";
}

TEST_F(ArrangementFile, ASaveThroughALinkWritesTheFileItNames) {
    const fs::path tarn = folder.path() / "TarnFile", elsewhere = folder.path() / "elsewhere";
    fs::create_directories(elsewhere);
    const fs::path real = elsewhere / "real.QTR";
    writeFile(real, {1, 2, 3});
    fs::create_symlink("../elsewhere/real.QTR", tarn / "near.QTR");  // relative to the link's folder
    fs::create_symlink(tarn / "near.QTR", tarn / "far.QTR");         // a link to a link
    TestDisk disk;
    std::string error;
    for (const char* link : {"near.QTR", "far.QTR"}) {
        const Bytes next(30, static_cast<std::uint8_t>(link[0]));
        ASSERT_TRUE(common::SaveFileAtomically(tarn / link, next, disk, error)) << link << ": " << error;
        EXPECT_TRUE(fs::is_symlink(tarn / link)) << link << " is still a link";
        EXPECT_EQ(readFile(real), next) << link;
    }
    EXPECT_EQ(fs::read_symlink(tarn / "near.QTR"), "../elsewhere/real.QTR");
    std::vector<fs::path> left;
    for (const auto& e : fs::directory_iterator(elsewhere)) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"real.QTR"}) << "the temporary file was beside the real one";

    fs::create_symlink(elsewhere / "new.QTR", tarn / "dangling.QTR");
    ASSERT_TRUE(common::SaveFileAtomically(tarn / "dangling.QTR", Bytes(4, 4), disk, error)) << error;
    EXPECT_EQ(readFile(elsewhere / "new.QTR"), Bytes(4, 4)) << "a dangling link gets its file";

    fs::create_symlink(tarn / "loop2.QTR", tarn / "loop1.QTR");
    fs::create_symlink(tarn / "loop1.QTR", tarn / "loop2.QTR");
    error.clear();
    EXPECT_FALSE(common::SaveFileAtomically(tarn / "loop1.QTR", Bytes(4, 4), disk, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_symlink(tarn / "loop1.QTR"));
}

// While it lives, this thread's file accesses are checked as an ordinary user's, also when the
// tests run as root, whose file permissions bind nobody: the file-system user becomes nobody,
// which drops root's file capabilities for this thread alone.
class FilesAsOrdinaryUser {
  public:
    FilesAsOrdinaryUser() {
        if (::geteuid() != 0) return;
        ::setfsgid(kNobody);
        ::setfsuid(kNobody);
        changed_ = true;
    }
    ~FilesAsOrdinaryUser() {
        if (!changed_) return;
        ::setfsuid(0);
        ::setfsgid(0);
    }
    // True when permissions now bind this thread.
    bool binding() const {
        return ::geteuid() != 0 || ::setfsuid(static_cast<uid_t>(-1)) == static_cast<int>(kNobody);
    }

  private:
    static constexpr uid_t kNobody = 65534;
    bool changed_ = false;
};

TEST_F(ArrangementFile, AReadOnlyFolderKeepsItsFile) {
    const fs::path locked = folder.path() / "locked";
    fs::create_directory(locked);
    writeFile(locked / "a.QTR", {4, 5});
    // Readable and searchable by everyone, writable by no one.
    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(locked, readOnly);
    fs::permissions(folder.path(), readOnly | fs::perms::owner_write);
    TestDisk disk;
    std::string error;
    bool saved = true, binding = false;
    {
        FilesAsOrdinaryUser user;
        binding = user.binding();
        if (binding) saved = common::SaveFileAtomically(locked / "a.QTR", Bytes(10, 1), disk, error);
    }
    fs::permissions(locked, fs::perms::owner_all);
    fs::permissions(folder.path(), fs::perms::owner_all);
    ASSERT_TRUE(binding) << "could not act as an ordinary user";
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("cannot create a file in the folder"), std::string::npos) << error;
    EXPECT_EQ(readFile(locked / "a.QTR"), (Bytes{4, 5}));
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1)
        << "nothing left beside it";
}

}  // namespace
