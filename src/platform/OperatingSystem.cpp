#include "platform/OperatingSystem.h"

#include <SDL.h>

uint32_t TickCount() {
    return SDL_GetTicks();
}

std::string ExecutableFolder() {
    std::string folder;
    if (char* base = SDL_GetBasePath()) {
        folder = base;
        SDL_free(base);
    }
    return folder;
}
