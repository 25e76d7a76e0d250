#include "platform/WindowMessages.h"

#include <SDL.h>

namespace {
// One SDL user event type carries every posted message.
uint32_t PostedEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}
} // namespace

void PostWindowMessage(WindowHandle window, uint32_t message) {
    SDL_Event event{};
    event.type = PostedEventType();
    event.user.code = static_cast<int32_t>(message);
    event.user.data1 = window;
    SDL_PushEvent(&event);
}

bool PeekWindowMessage(TakenMessage& taken) {
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0)
        return false;
    taken = TakenMessage{nullptr, 0, 0, 0};
    if (event.type == PostedEventType()) {
        taken.window = static_cast<WindowHandle>(event.user.data1);
        taken.message = static_cast<uint32_t>(event.user.code);
    } else if (event.type == SDL_QUIT) {
        // A termination request from outside closes the window like its close button.
        taken.message = WM_CLOSE;
    } else if (event.type == SDL_WINDOWEVENT) {
        taken.window = SDL_GetWindowFromID(event.window.windowID);
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            taken.message = WM_CLOSE;
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            taken.message = WM_SIZE;
            taken.longParam = static_cast<intptr_t>((event.window.data1 & 0xFFFF) |
                                                    ((event.window.data2 & 0xFFFF) << 16));
        }
    }
    return true;
}
