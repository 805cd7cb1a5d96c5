#pragma once
// A Standard MIDI File (format 0 or 1) turned into what the player sends: every channel message
// and every system-exclusive message of every track, merged in time order, each with its time
// in microseconds from the start on the file's tempo map, and the length of the whole file.
//
// The tempo map is one for the whole file: a tempo change in any track (in a format-1 file
// normally the first) governs every track from its tick on. Events at the same tick keep the
// order of their tracks, and within a track the order of the file. A message divided into an F0
// packet and F7 continuations is sent whole when its closing F7 arrives; an escape packet that
// continues nothing is sent as the complete messages it holds. Metas and the system messages of
// a file (song position, clock...) are not sent. The length is the time of the latest track end
// (its end-of-track event, or its last event when it has none).
//
// Reading goes through the MIDI file library; any error it reports makes the whole file fail, so
// that nothing of a damaged file is played. Plain data: any thread, one at a time.

#include <cstdint>
#include <string>
#include <vector>

namespace player {

struct SongEvent {
    uint64_t timeUs = 0;
    // A packed short message (status | data1 << 8 | data2 << 16), or 0 for an exclusive message,
    // whose bytes (F0 ... F7) are Song::exclusiveData[exclusiveOffset, + exclusiveLength).
    uint32_t shortMessage = 0;
    uint32_t exclusiveOffset = 0;
    uint32_t exclusiveLength = 0;
};

struct Song {
    int format = 0;
    int trackCount = 0;
    std::vector<SongEvent> events;  // in time order
    std::vector<uint8_t> exclusiveData;
    uint64_t lengthUs = 0;
};

// Files larger than this are not read: reading holds the whole file and every event in memory
// (about twenty times the file's size) and takes a moment per megabyte.
inline constexpr uint64_t kMaxSongFileBytes = uint64_t{8} << 20;

// Reads the file at `path`, which must be a regular file: anything else is refused at once. On
// failure returns false with `error` set to a short text that names the problem ("cannot open
// file", "not a regular file", "the file is larger than 8 MB", the reader's report,
// "format 2 files are not played", "no timing: division 0", "the file holds no tracks: nothing
// to play"); `song` is then left empty.
bool LoadSong(const std::string& path, Song& song, std::string& error);

}  // namespace player
