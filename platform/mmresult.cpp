#include "platform/mmresult.h"

namespace platform {

std::string midiErrorText(MMRESULT code) {
    switch (code) {
        case MMSYSERR_NOERROR:
            return "No error.";
        case MMSYSERR_ERROR:
            return "The MIDI port reported an unspecified error.";
        case MMSYSERR_BADDEVICEID:
            return "There is no MIDI device with this number.";
        case MMSYSERR_ALLOCATED:
            return "The MIDI device is already in use.";
        case MMSYSERR_INVALHANDLE:
            return "The MIDI device is not open.";
        case MMSYSERR_NODRIVER:
            return "No MIDI system (ALSA or JACK) is available.";
        case MMSYSERR_NOMEM:
            return "Not enough memory for the MIDI device.";
        case MMSYSERR_INVALPARAM:
            return "The MIDI message is not well formed.";
        case MIDIERR_STILLPLAYING:
            return "The MIDI device did not take everything queued before it closed.";
        case MIDIERR_NOTREADY:
            return "The MIDI device is busy.";
        case MIDIERR_TOOLARGE:
            return "The MIDI message is too long for the MIDI port.";
        default:
            return "Unknown MIDI error " + std::to_string(code) + ".";
    }
}

}  // namespace platform
