#include "platform/FramePacer.h"

#include <SDL.h>

FramePacer::FramePacer(double framesPerSecond)
    : ticksPerFrame(static_cast<uint64_t>(double(SDL_GetPerformanceFrequency()) / framesPerSecond)),
      frameStart(SDL_GetPerformanceCounter()) {}

void FramePacer::Wait() {
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    uint64_t now = SDL_GetPerformanceCounter();
    const uint64_t spent = now - frameStart;
    if (spent < ticksPerFrame) {
        const uint64_t left = ticksPerFrame - spent;
        SDL_Delay(static_cast<uint32_t>(left * 1000 / frequency));
        now = SDL_GetPerformanceCounter();
    }
    // A frame that ran long does not make the next ones hurry to catch up.
    frameStart = now;
}
