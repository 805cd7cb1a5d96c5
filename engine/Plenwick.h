/* Plenwick: the MIDI output engine. Owns the output device, keeps its own copy of the drum
 * pattern and pans, and plays it from a step clock, posting each played step to a window.
 * All five functions are called from the program's user-interface thread. */
#ifndef PLENWICK_H
#define PLENWICK_H

#ifdef __cplusplus
extern "C" {
#endif

struct HWND__;

#define PLENWICK_API __attribute__((visibility("default")))

/* Window message posted after each played step: WPARAM = the step (1..255, 0 for the 256th),
 * LPARAM = 0. */
#define WM_DRUMSTEP 1025

/* The eleven-field parameter block, whole and in this order. Every call also stores cellValue
 * into the engine's cell [step][drum]. command selects what else happens (0 = nothing). */
PLENWICK_API void Params(char channel, char drumChannel, char cellValue, char midiInDevice,
                         char midiOutDevice, char aux, unsigned int tempo, char spare, char step, char drum,
                         char command);

/* Sends (first + 0x80, data1, data2) as one short message; returns the send's result code
 * (0 = sent; malformed messages are refused with a non-zero code). */
PLENWICK_API int ShortMidiMsg(int first, int data1, int data2);

/* Silences every channel; drums the user started keep playing. */
PLENWICK_API void MidiPanic(void);

/* Plays C, E, G, C on the user's channel, 50 ms apart, then closes the device; returns the
 * close's result code. Call MidiPanic after it to end the notes. */
PLENWICK_API int MidiOutTest(void);

/* Sets the window that receives WM_DRUMSTEP; returns 0. */
PLENWICK_API int MessagePost(struct HWND__* window);

#ifdef __cplusplus
}
#endif

#endif
