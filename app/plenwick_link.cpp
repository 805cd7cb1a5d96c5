#include "app/plenwick_link.h"

#include "engine/Plenwick.h"

namespace app {

namespace {
char c(std::uint8_t v) {
    return static_cast<char>(v);
}
}  // namespace

void PlenwickLink::Params(const common::EngineParams& p) {
    ::Params(c(p.Channel), c(p.DrumChannel), c(p.CellValue), c(p.MidiInDevice),
             static_cast<char>(p.MidiOutDevice), c(p.Aux), static_cast<unsigned int>(p.Tempo), c(p.Spare),
             c(p.Step), c(p.Drum), c(p.Command));
}

int PlenwickLink::ShortMidiMsg(int first, int data1, int data2) {
    return ::ShortMidiMsg(first, data1, data2);
}

void PlenwickLink::MidiPanic() {
    ::MidiPanic();
}

int PlenwickLink::MidiOutTest() {
    return ::MidiOutTest();
}

int PlenwickLink::MessagePost(HWND window) {
    return ::MessagePost(window);
}

}  // namespace app
