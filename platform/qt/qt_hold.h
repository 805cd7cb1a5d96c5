#pragma once
// While the program is held on its user-interface thread (a jingle playing to its end, a splash
// standing), the screen must still be seen: RepaintWhileHeld handles what shows the windows
// (the window system's exposes, moves and resizes, and the paint requests queued in the
// program) and nothing the user or the devices started: input stays queued for afterwards, a
// close request is refused, timers and window messages (MIDI input, the engine's steps) wait
// for the loop. Returns at once when there is nothing to paint. User-interface thread only.

namespace platform::qt {

void RepaintWhileHeld();

// True while RepaintWhileHeld handles events: what must wait (the window messages' pump) looks
// here, since not every Qt event dispatcher leaves socket notifiers out when asked to.
bool RepaintingWhileHeld();

}  // namespace platform::qt
