#include "program/arrangement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "drums/drum_pattern.h"
#include "platform/regular_file.h"

namespace app {

namespace {

using accompaniment::kParts;
using accompaniment::kSteps;
using accompaniment::kVoices;

constexpr std::uint8_t kCellsEnd0 = 0x00;
constexpr std::uint8_t kCellsEnd1 = 0xFF;
constexpr std::uint8_t kPansEnd = 0xFE;
constexpr int kLastTabDrum = 60;  // the drum tab has 61 tabs

std::uint8_t low(std::int32_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

// The voice defaults a damaged channel falls back to: THRU on channel 4, then the parts'.
std::int32_t defaultChannel(std::size_t voice) {
    return voice == 0 ? 3 : accompaniment::kDefaultPartChannels[voice - 1];
}

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::optional<std::uint8_t> next() {
        if (pos_ >= bytes_.size()) return std::nullopt;
        return bytes_[pos_++];
    }
    std::size_t left() const { return bytes_.size() - pos_; }
    std::span<const std::uint8_t> take(std::size_t n) {
        auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

std::int32_t signedByte(std::uint8_t b) {
    return static_cast<std::int8_t>(b);
}

std::int32_t octaveOffset(std::uint8_t b) {
    const std::int32_t v = signedByte(b);
    return v == 24 || v == 12 || v == 0 || v == -12 || v == -24 ? v : 0;
}

void readAccompaniment(std::span<const std::uint8_t> s, StagedArrangement& a) {
    std::size_t i = 0;
    a.ThruOctave = std::clamp(signedByte(s[i++]), -2, 2);
    for (auto& offset : a.PartOctaveOffsets) offset = octaveOffset(s[i++]);
    a.Reserved = s[i++];
    a.SplitPoint = std::clamp(signedByte(s[i++]), 48, 84);
    a.ThruProgram = static_cast<std::int8_t>(s[i] <= 127 ? s[i] : 0);
    ++i;
    for (std::size_t step = 0; step < kSteps; ++step)
        for (std::size_t p = 0; p < kParts; ++p) {
            accompaniment::PartStep& e = a.PartSteps[p][step];
            e.note = s[i] <= 127 ? s[i] : 0;  // a note out of range is a rest, never a wrong key
            e.velocity = std::min<std::int32_t>(s[i + 1], 127);
            e.duration = s[i + 2];
            i += 3;
        }
    for (std::size_t v = 0; v < kVoices; ++v) {
        a.PartPrograms[v] = s[i] <= 128 ? s[i] : 0;  // 0: the blank item, no program change
        a.PartChannels[v] = s[i + 1] <= 15 ? s[i + 1] : defaultChannel(v);
        a.PartPans[v] = std::min<std::int32_t>(s[i + 2], 127);
        i += 3;
    }
}

std::uint32_t readLe32(std::span<const std::uint8_t> s) {
    return static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8 |
           static_cast<std::uint32_t>(s[2]) << 16 | static_cast<std::uint32_t>(s[3]) << 24;
}

// Full durations from the trailer; a value that does not agree with the byte already read
// belongs to some other data and is not taken.
void readDurationTrailer(ByteReader& in, StagedArrangement& a) {
    if (in.left() < kDurationTrailerBytes) return;
    const auto marker = in.take(kDurationTrailerMarker.size());
    if (!std::equal(marker.begin(), marker.end(), kDurationTrailerMarker.begin())) return;
    const auto values = in.take(4 * 1024);
    std::size_t i = 0;
    for (std::size_t step = 0; step < kSteps; ++step)
        for (std::size_t p = 0; p < kParts; ++p, i += 4) {
            const std::uint32_t full = readLe32(values.subspan(i, 4));
            accompaniment::PartStep& e = a.PartSteps[p][step];
            if (full <= 0x7FFFFFFFu && static_cast<std::int32_t>(full & 0xFF) == e.duration)
                e.duration = static_cast<std::int32_t>(full);
        }
}

}  // namespace

std::vector<std::uint8_t> EncodeDrumSections(const ProgramState& state, int barsPosition) {
    const drums::DrumState& d = state.drums;
    std::vector<std::uint8_t> out;
    out.reserve(kEmptyArrangementBytes + kDurationTrailerBytes + 3 * 64);
    for (std::size_t step = 0; step < drums::kSteps; ++step)
        for (std::size_t drum = 0; drum < drums::kEditableDrums; ++drum)
            if (const std::int32_t v = d.DrumPattern[step][drum]; v != 0)
                out.insert(out.end(), {low(static_cast<std::int32_t>(step)),
                                       low(static_cast<std::int32_t>(drum)), low(v)});
    out.insert(out.end(), {kCellsEnd0, kCellsEnd1});
    for (std::size_t drum = 0; drum < drums::kEditableDrums; ++drum)
        if (d.DrumPans[drum] != 64)
            out.insert(out.end(), {low(static_cast<std::int32_t>(drum)), low(d.DrumPans[drum])});
    out.push_back(kPansEnd);

    out.insert(out.end(), {low(d.MeterSign), low(barsPosition / 100), low(state.Engine.Tempo)});
    return out;
}

std::vector<std::uint8_t> EncodeArrangement(const ProgramState& state, int barsPosition) {
    const accompaniment::PartData& parts = state.live.parts;
    std::vector<std::uint8_t> out = EncodeDrumSections(state, barsPosition);
    out.push_back(low(parts.ThruOctave));
    for (std::size_t p = 0; p < kParts; ++p) out.push_back(low(parts.PartOctaveOffsets[p]));
    out.push_back(state.file.ReservedByte);
    out.push_back(low(parts.SplitPoint));
    out.push_back(static_cast<std::uint8_t>(parts.ThruProgram));
    for (std::size_t step = 0; step < kSteps; ++step)
        for (std::size_t p = 0; p < kParts; ++p) {
            const accompaniment::PartStep& e = parts.PartSteps[p][step];
            out.insert(out.end(), {low(e.note), low(e.velocity), low(e.duration)});
        }
    for (std::size_t v = 0; v < kVoices; ++v)
        out.insert(out.end(),
                   {low(parts.PartPrograms[v]), low(parts.PartChannels[v]), low(parts.PartPans[v])});

    out.insert(out.end(), kDurationTrailerMarker.begin(), kDurationTrailerMarker.end());
    for (std::size_t step = 0; step < kSteps; ++step)
        for (std::size_t p = 0; p < kParts; ++p) {
            const auto v = static_cast<std::uint32_t>(parts.PartSteps[p][step].duration);
            out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
        }
    return out;
}

std::optional<StagedArrangement> ParseArrangement(std::span<const std::uint8_t> bytes, bool withParts) {
    StagedArrangement a;
    ByteReader in(bytes);

    // Sections 1 and 2 also end where the file ends; section 3 must then be there.
    for (;;) {
        const auto step = in.next();
        const auto drum = in.next();
        if (!step || !drum || (*step == kCellsEnd0 && *drum == kCellsEnd1)) break;
        const auto velocity = in.next();
        if (!velocity || *velocity == 0xFF) break;
        if (*drum >= drums::kEditableDrums || *velocity < 1 || *velocity > 127) continue;
        a.cells.push_back({*step, *drum, *velocity});
        a.LastDrum = *drum;
    }
    if (a.LastDrum > kLastTabDrum) a.LastDrum = 0;
    for (;;) {
        const auto drum = in.next();
        if (!drum || *drum == kPansEnd) break;
        const auto pan = in.next();
        if (!pan) break;
        if (*drum >= drums::kEditableDrums) continue;
        a.pans.push_back({*drum, std::min<std::uint8_t>(*pan, 127)});
    }

    if (in.left() < 3) return std::nullopt;
    const auto settings = in.take(3);
    a.MeterSign = settings[0] == 0x01 ? 1 : -1;
    a.Bars = static_cast<std::int8_t>(std::clamp<int>(settings[1], 1, 8));
    a.Tempo = std::clamp<std::int32_t>(settings[2], 20, 250);

    if (!withParts) return a;
    if (in.left() < kAccompanimentBytes) return std::nullopt;
    readAccompaniment(in.take(kAccompanimentBytes), a);
    a.hasParts = true;
    readDurationTrailer(in, a);
    return a;
}

void ApplyArrangement(const StagedArrangement& staged, ProgramState& state, common::EngineLink& engine) {
    drums::DrumState& d = state.drums;
    common::EngineParams& p = state.Engine;
    for (const auto& c : staged.cells) {
        d.DrumPattern[c.step][c.drum] = c.velocity;
        p.CellValue = c.velocity;
        p.Step = c.step;
        p.Drum = c.drum;
        common::SendParams(engine, p);
    }
    for (const auto& pan : staged.pans) {
        d.DrumPans[pan.drum] = pan.pan;
        p.Aux = pan.pan;
        p.Drum = pan.drum;
        p.Step = 0;
        p.CellValue = drums::CellByte(d.DrumPattern[0][pan.drum]);
        common::SendCommand(engine, p, common::CmdDrumPan);
    }
    d.MeterSign = staged.MeterSign;
    d.Bars = staged.Bars;
    d.TempoValue = staged.Tempo;
    p.Tempo = staged.Tempo;
    common::SendParams(engine, p);

    if (!staged.hasParts || state.file.MergingDrums != 0) return;
    accompaniment::PartData& parts = state.live.parts;
    parts.ThruOctave = staged.ThruOctave;
    for (std::size_t i = 0; i < kParts; ++i) parts.PartOctaveOffsets[i] = staged.PartOctaveOffsets[i];
    state.file.ReservedByte = staged.Reserved;
    parts.SplitPoint = staged.SplitPoint;
    parts.ThruProgram = staged.ThruProgram;
    for (std::size_t i = 0; i < kParts; ++i)
        std::copy(staged.PartSteps[i].begin(), staged.PartSteps[i].end(), parts.PartSteps[i].begin());
    parts.PartPrograms = staged.PartPrograms;
    parts.PartChannels = staged.PartChannels;
    parts.PartPans = staged.PartPans;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, bool& tooLarge) {
    tooLarge = false;
    // Only a regular file: a folder or a FIFO under the name is not read, and never waited on.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(platform::OpenRegularFile(path.c_str()),
                                                             &std::fclose);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
        if (bytes.size() + n > kLargestArrangementFile) {
            tooLarge = true;
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    if (std::ferror(in.get())) return std::nullopt;
    return bytes;
}

}  // namespace app
