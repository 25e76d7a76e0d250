#include "platform/WindowMessages.h"

#include <SDL.h>
#include <deque>

namespace {
// One SDL user event type carries every posted message.
uint32_t PostedEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

// Posted messages SDL had no room for.
std::deque<TakenMessage>& Overflow() {
    static std::deque<TakenMessage> overflow;
    return overflow;
}

// The message an event stands for, or false for one the program has no use for.
bool Translate(const SDL_Event& event, TakenMessage& taken) {
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
        } else {
            return false;
        }
    } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_F4 &&
               (event.key.keysym.mod & KMOD_ALT) != 0) {
        // The system's close key, which a window manager would otherwise turn into a close.
        taken.window = SDL_GetWindowFromID(event.key.windowID);
        taken.message = WM_CLOSE;
    } else {
        return false;
    }
    return true;
}

int KeepUsed(void* /*userdata*/, SDL_Event* event) {
    TakenMessage unused;
    return Translate(*event, unused) ? 1 : 0;
}
} // namespace

void PostWindowMessage(WindowHandle window, uint32_t message) {
    SDL_Event event{};
    event.type = PostedEventType();
    event.user.code = static_cast<int32_t>(message);
    event.user.data1 = window;
    if (SDL_PushEvent(&event) > 0)
        return;
    SDL_FilterEvents(KeepUsed, nullptr);
    if (SDL_PushEvent(&event) > 0)
        return;
    Overflow().push_back(TakenMessage{window, message, 0, 0});
}

bool PeekWindowMessage(TakenMessage& taken) {
    if (!Overflow().empty()) {
        taken = Overflow().front();
        Overflow().pop_front();
        return true;
    }
    // One pump, then only what is queued now: the drain ends however fast input comes.
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        if (Translate(event, taken))
            return true;
    return false;
}
