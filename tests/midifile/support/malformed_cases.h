#pragma once
// The table of damaged and hostile MIDI files with the error the reader must report for each:
// the reader's own tests and every other reader of untrusted files (the import) run it.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tests/midifile/support/temp_files.h"

namespace midifile::testing::malformed {

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Repeat(const Bytes& unit, int n) {
    Bytes out;
    out.reserve(unit.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

inline Bytes Header(uint32_t length, int format, int tracks) {
    return {'M',
            'T',
            'h',
            'd',
            static_cast<uint8_t>(length >> 24),
            static_cast<uint8_t>(length >> 16),
            static_cast<uint8_t>(length >> 8),
            static_cast<uint8_t>(length),
            0,
            static_cast<uint8_t>(format),
            0,
            static_cast<uint8_t>(tracks),
            0,
            96};
}

inline Bytes TrackWithLength(uint32_t length, const Bytes& data) {
    return Cat({{'M', 'T', 'r', 'k', static_cast<uint8_t>(length >> 24), static_cast<uint8_t>(length >> 16),
                 static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)},
                data});
}

struct Case {
    const char* name;
    Bytes file;
    const char* error;  // nullptr: no error
    int result;
};

inline const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"empty_file", {}, "missing midi header MThd", 0},
        {"no_header_anywhere", Bytes(5000, 'M'), "missing midi header MThd", 0},
        {"header_tag_only", {'M', 'T', 'h', 'd'}, "unexpected end of file", 0},
        {"header_length_cut", {'M', 'T', 'h', 'd', 0, 0}, "unexpected end of file", 0},
        {"header_too_short", Header(5, 0, 1), "illegal midi header", 0},
        {"header_fields_cut", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0}, "unexpected end of file", 0},
        {"header_longer_than_the_file", Header(600, 0, 1), "unexpected end of file", 0},
        {"format_3", SmfFile({{0x00, 0xFF, 0x2F, 0x00}}, 3), "invalid midi version", 0},
        {"zero_tracks", Header(6, 1, 0), nullptr, 1},
        {"fewer_tracks_than_announced", Cat({Header(6, 1, 2), TrackWithLength(4, {0x00, 0xFF, 0x2F, 0x00})}),
         "missing midi track MTrk", 0},
        {"garbage_instead_of_a_track", Cat({Header(6, 0, 1), Bytes{0x00, 0xFF, 0x2F, 0x00, 0, 0, 0, 0}}),
         "missing midi track MTrk", 0},
        {"unknown_chunk_running_off_the_end",
         Cat({Header(6, 0, 1), Bytes{'J', 'U', 'N', 'K', 0x7F, 0, 0, 0}}), "missing midi track MTrk", 0},
        {"track_tag_only", Cat({Header(6, 0, 1), Bytes{'M', 'T', 'r', 'k', 0}}), "unexpected end of file", 0},
        {"track_length_lies", Cat({Header(6, 0, 1), TrackWithLength(0xFFFFFFF0, {0x00, 0x90, 0x3C, 0x64})}),
         "unexpected end of file", 0},
        {"track_cut_in_a_delta", SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x81}}), "unexpected end of file", 0},
        {"track_cut_after_a_delta", SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00}}), "unexpected end of file", 0},
        {"track_cut_in_a_note", SmfFile({{0x00, 0x90, 0x3C}}), "unexpected end of file", 0},
        {"track_cut_in_running_status", SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00, 0x3C}}),
         "unexpected end of file", 0},
        {"track_cut_in_a_program_change", SmfFile({{0x00, 0xC0}}), "unexpected end of file", 0},
        {"track_cut_in_song_position", SmfFile({{0x00, 0xF2, 0x01}}), "unexpected end of file", 0},
        {"track_cut_in_a_meta_type", SmfFile({{0x00, 0xFF}}), "unexpected end of file", 0},
        {"track_cut_in_a_meta_length", SmfFile({{0x00, 0xFF, 0x01, 0x81}}), "unexpected end of file", 0},
        {"meta_length_lies", SmfFile({{0x00, 0xFF, 0x01, 0x7F, 'a', 'b'}}), "unexpected end of file", 0},
        {"meta_length_passes_the_track_into_the_next",
         SmfFile({{0x00, 0xFF, 0x01, 0x08, 'a'}, {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x00}}),
         "unexpected end of file", 0},
        {"escape_length_lies", SmfFile({{0x00, 0xF7, 0x10, 0x01}}), "unexpected end of file", 0},
        {"five_byte_delta", SmfFile({{0x81, 0x81, 0x81, 0x81, 0x00, 0x90, 0x3C, 0x64}}),
         "variable length quantity too long", 0},
        {"five_byte_meta_length", SmfFile({{0x00, 0xFF, 0x01, 0x81, 0x81, 0x81, 0x81, 0x00}}),
         "variable length quantity too long", 0},
        {"data_byte_without_status", SmfFile({{0x00, 0x3C, 0x64}}), "illegal midi command 3C", 0},
        {"status_F1", SmfFile({{0x00, 0xF1, 0x00}}), "unexpected command byte F1", 0},
        {"status_F4", SmfFile({{0x00, 0xF4}}), "unexpected command byte F4", 0},
        {"status_F5", SmfFile({{0x00, 0xF5}}), "unexpected command byte F5", 0},
        {"status_F9", SmfFile({{0x00, 0xF9}}), "unexpected command byte F9", 0},
        {"status_FD", SmfFile({{0x00, 0xFD}}), "unexpected command byte FD", 0},
        {"sysex_without_F7_is_a_first_packet", SmfFile({{0x00, 0xF0, 0x03, 0x43, 0x10, 0x4C}}), nullptr, 1},
        {"sysex_end_only_in_the_next_track", SmfFile({{0x00, 0xF0, 0x05, 0x43}, {0x00, 0xF7, 0x00}}),
         "end of sysex not found", 0},
        {"sysex_length_lies_but_end_is_there",
         SmfFile({{0x00, 0xF0, 0x7F, 0x43, 0xF7, 0x00, 0xFF, 0x2F, 0x00}}), nullptr, 1},
        {"sysex_four_byte_length_field_without_end", SmfFile({{0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F}}),
         "end of sysex not found", 0},
        {"padding_after_end_of_track", SmfFile({Cat({{0x00, 0xFF, 0x2F, 0x00}, Bytes(300, 0xF4)})}), nullptr,
         1},
        {"events_after_end_of_track", SmfFile({{0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C}}), nullptr, 1},
        {"empty_track", SmfFile({{}}), nullptr, 1},
        {"maximum_delta", SmfFile({{0xFF, 0xFF, 0xFF, 0x7F, 0xF4}}), nullptr, 1},  // a large pause: warning
        {"runs_of_the_largest_ordinary_delta", SmfFile({Repeat({0xFF, 0xFF, 0x7F, 0xF8}, 100000)}), nullptr,
         1},
        {"runs_of_max_deltas_in_many_tracks",
         Cat({Header(6, 1, 200), Repeat(TrackWithLength(5, {0xFF, 0xFF, 0xFF, 0x7F, 0x00}), 200)}), nullptr,
         1},
        {"many_unterminated_sysex_starts", SmfFile({Repeat({0x00, 0xF0, 0x81}, 30000)}),
         "end of sysex not found", 0},
        {"many_sysex_needing_the_scan",
         SmfFile({Repeat({0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xF7}, 20000)}), nullptr, 1},
        {"sysex_declared_length_passes_the_track", SmfFile({{0x00, 0xF0, 0x05, 0x43, 0x10}}),
         "end of sysex not found", 0},
    };
    return cases;
}

}  // namespace midifile::testing::malformed
