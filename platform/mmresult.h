#pragma once
// Result codes of the MIDI device services, numbered as the program's callers expect of the
// multimedia services they stand in for (0 = success).

#include <cstdint>
#include <string>

namespace platform {

using MMRESULT = std::uint32_t;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
inline constexpr MMRESULT MIDIERR_NOTREADY = 67;
// Our own: a message larger than the port can carry in one piece.
inline constexpr MMRESULT MIDIERR_TOOLARGE = 72;

// A sentence the user can read for a result code; unknown codes get a generic text.
std::string midiErrorText(MMRESULT code);

}  // namespace platform
