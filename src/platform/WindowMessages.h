#pragma once

#include <cstdint>

struct SDL_Window;

// The window messages the program handles, with the numbers the behaviour was
// written for; SDL events are translated into these by the message loop.
using WindowHandle = SDL_Window*;
using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wordParam,
                                     intptr_t longParam);

enum WindowMessage : uint32_t {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
};

// Queues a message for the loop (the platform's "post", not "send"). It is
// never lost: when SDL's queue is full, what the loop would drop anyway makes
// room, and failing that the message waits here and comes out first.
void PostWindowMessage(WindowHandle window, uint32_t message);

// Takes at most one message without waiting and translates it. Returns false
// when none is pending. Events the program has no use for (input, which is
// read through InputDevices, and the window events it does not handle) are
// dropped on the way in the same call, so they never cost a pass of the loop.
struct TakenMessage {
    WindowHandle window;
    uint32_t message;
    uintptr_t wordParam;
    intptr_t longParam;
};
bool PeekWindowMessage(TakenMessage& taken);
