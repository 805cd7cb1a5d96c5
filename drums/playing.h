#pragma once
// The live accompaniment beside the drums keeps its own flags about playing (whether it runs, an
// end asked for, the players' silence), which the drums do not see. The transport and the drum
// operations say where playing starts and stops; the program links these to the accompaniment.
// User-interface thread only.

namespace drums {

class PlayingListener {
  public:
    virtual ~PlayingListener() = default;
    // A start, before the pages' steps and the output's opening.
    virtual void PlayStarting() = 0;
    // The engine has been told to start.
    virtual void PlayStarted() = 0;
    // A stop, before the engine hears of it.
    virtual void PlayStopping() = 0;
    // The engine stopped with its panic, whoever stopped it.
    virtual void EngineStopped() = 0;
};

}  // namespace drums
