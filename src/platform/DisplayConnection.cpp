#include "platform/DisplayConnection.h"

#include <SDL.h>
#include <cstdlib>

namespace {
bool Invisible(const std::string& driver) {
    return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0' ? std::string(name) + " is not set"
                                              : std::string(name) + " is '" + value + "'";
}
} // namespace

bool OpenDisplay(std::string& reason) {
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if (named == nullptr || *named == '\0') {
        // SDL tries a list of drivers in turn: its own order, without the invisible ones.
        std::string drivers;
        for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i)
            if (!Invisible(SDL_GetVideoDriver(i)))
                drivers += (drivers.empty() ? "" : ",") + std::string(SDL_GetVideoDriver(i));
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, drivers.c_str(), SDL_HINT_OVERRIDE);
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        return true;
    reason = std::string(SDL_GetError()) + " (" + Variable("DISPLAY") + ", " +
             Variable("WAYLAND_DISPLAY") + ")";
    return false;
}
