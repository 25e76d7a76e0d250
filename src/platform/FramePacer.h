#pragma once

#include <cstdint>

// Keeps the loop near 60 frames a second. The controls act once per frame, so
// an unpaced loop would make the game's speed follow the machine's frame rate.
// Where the driver synchronises the swap with the display the wait is already
// spent in the swap and this sleeps for nothing.
class FramePacer {
  public:
    explicit FramePacer(double framesPerSecond = 60.0);
    // Sleeps out what is left of the current frame's share of time.
    void Wait();

  private:
    uint64_t ticksPerFrame;
    uint64_t frameStart;
};
