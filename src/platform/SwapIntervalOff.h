#pragma once

// While it lives, buffer swaps on the current OpenGL context do not wait for
// the display; the context's former setting comes back at its end. Without a
// current context it does nothing. For screens that pace themselves by time,
// such as the loading screen.
class SwapIntervalOff {
  public:
    SwapIntervalOff();
    ~SwapIntervalOff();
    SwapIntervalOff(const SwapIntervalOff&) = delete;
    SwapIntervalOff& operator=(const SwapIntervalOff&) = delete;

  private:
    bool context;
    int previous = 0;
};
