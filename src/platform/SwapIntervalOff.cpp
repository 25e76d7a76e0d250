#include "platform/SwapIntervalOff.h"

#include <SDL.h>

SwapIntervalOff::SwapIntervalOff() : context(SDL_GL_GetCurrentContext() != nullptr) {
    if (context) {
        previous = SDL_GL_GetSwapInterval();
        SDL_GL_SetSwapInterval(0);
    }
}

SwapIntervalOff::~SwapIntervalOff() {
    if (context)
        SDL_GL_SetSwapInterval(previous);
}
