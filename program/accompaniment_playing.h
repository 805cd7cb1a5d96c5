#pragma once
// The live accompaniment's side of the drums' start and stop: the chord follower's and the
// players' flags follow the transport and every stop of the engine. User-interface thread only.

#include "drums/playing.h"
#include "live/live_accompaniment.h"

namespace app {

class AccompanimentPlaying final : public drums::PlayingListener {
  public:
    explicit AccompanimentPlaying(live::LiveState& live) : live_(live) {}

    void PlayStarting() override;
    void PlayStarted() override;
    void PlayStopping() override;
    void EngineStopped() override;

  private:
    live::LiveState& live_;
};

}  // namespace app
