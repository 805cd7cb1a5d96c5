#pragma once
// The MIDI file library's buffered file, reader and writer.
#include "midifile/MidiBuffer.h"
#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"
