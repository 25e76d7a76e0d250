#pragma once

#include <cstdint>

// Decides which of the many progress calls are drawn: one at least every
// interval, plus the ones that must show.
class LoadingScreenPacer {
  public:
    explicit LoadingScreenPacer(double intervalMs = 15.0) : interval(intervalMs) {}
    // True when a screen is due at nowMs; a due screen counts as drawn.
    bool Due(double nowMs, bool force);
    void Reset() { drawn = false; }

  private:
    double interval;
    double last = 0.0;
    bool drawn = false;
};

// One full frame of the loading screen (the info picture and a progress bar for
// progress 0 to 1, not clamped), presented at once; drawn only when 15 ms have
// passed since the last one, or when force is set.
void DrawLoadingScreen(float progress, bool force = false);

// Lets the next call draw whatever the time; called when a load starts.
void ResetLoadingScreen();

// Number of loading screens drawn so far.
int32_t LoadingScreensDrawn();
