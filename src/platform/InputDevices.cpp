#include "platform/InputDevices.h"

#include "platform/ErrorLog.h"
#include "platform/PressEvents.h"
#include "platform/X11KeyMap.h"

#include <SDL.h>
#include <cstring>

namespace {
bool HasInputFocus(WindowHandle window) {
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}
} // namespace

// Open's connection. On X11 the keyboard is read from the server's key map, so
// that keys count whichever window has the focus; elsewhere SDL's state serves.
struct InputSystem {
    X11KeyMap keyMap;
};

struct KeyboardDevice {
    WindowHandle window;
};

struct MouseDevice {
    WindowHandle window;
    bool lost; // the window left the front since the mouse was last read
};

InputDevices::InputDevices()
    : leftButton(0), rightButton(0), mouseDeltaX(0), mouseDeltaY(0), directInput(nullptr),
      keyboard(nullptr), mouse(nullptr), keyState{}, mouseState{}, keyEvents{}, buttonEvents{},
      keyPressed{}, buttonPressed{}, lastReadKeys{} {}

InputDevices::~InputDevices() {
    Release();
}

// Presses and releases are kept for the next read, so that a tap shorter than
// a frame is not lost.
int InputDevices::NoteEvent(void* devices, SDL_Event* event) {
    auto* input = static_cast<InputDevices*>(devices);
    const bool down = event->type == SDL_KEYDOWN || event->type == SDL_MOUSEBUTTONDOWN;
    // The platform's key repeat is no press.
    if ((event->type == SDL_KEYDOWN || event->type == SDL_KEYUP) && event->key.repeat == 0) {
        const uint8_t code = ScanCodeFromSdlScancode(event->key.keysym.scancode);
        if (code != 0)
            input->keyEvents[code] = NotePress(input->keyEvents[code], down);
    }
    if ((event->type == SDL_MOUSEBUTTONDOWN || event->type == SDL_MOUSEBUTTONUP) &&
        (event->button.button == SDL_BUTTON_LEFT || event->button.button == SDL_BUTTON_RIGHT)) {
        const int button = event->button.button == SDL_BUTTON_LEFT ? 0 : 1;
        input->buttonEvents[button] = NotePress(input->buttonEvents[button], down);
    }
    return 1;
}

void InputDevices::Open(void* /*instance*/) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        errorLog.Fatal("Unable to open Direct Input\n");
    directInput = new InputSystem;
    SDL_AddEventWatch(NoteEvent, this);
}

void InputDevices::CreateKeyboard(WindowHandle window) {
    if (directInput == nullptr)
        errorLog.Fatal("Unable to create keyboard!\n");
    // The state belongs to the window the devices were made for.
    if (window == nullptr || SDL_GetWindowID(window) == 0)
        errorLog.Fatal("Unable to acquire keyboard!\n");
    keyboard = new KeyboardDevice{window};
    // Without the server's map, SDL's own state serves, seen only while the
    // window has the focus.
    OpenX11KeyMap(window, directInput->keyMap);
}

void InputDevices::CreateMouse(WindowHandle window) {
    if (directInput == nullptr)
        errorLog.Fatal("Unable to create mouse!\n");
    if (window == nullptr || SDL_GetWindowID(window) == 0)
        errorLog.Fatal("Unable to acquire mouse!\n");
    // Relative mode captures the mouse whenever the window has the focus (SDL
    // grabs it again each time the window comes back to the front).
    if (SDL_SetRelativeMouseMode(SDL_TRUE) != 0)
        errorLog.Fatal("Unable to acquire mouse!\n");
    SDL_GetRelativeMouseState(nullptr, nullptr); // motion from before does not count
    mouse = new MouseDevice{window, !HasInputFocus(window)};
}

void InputDevices::ReadKeyboard() {
    if (keyboard != nullptr) {
        ReadKeyLevels();
        // A tap between two reads counts as down in this one.
        for (int code = 0; code < 256; ++code)
            if ((keyEvents[code] & kPressWentDown) != 0)
                keyState[code] = 0x80;
    }
    for (int code = 0; code < 256; ++code) {
        keyPressed[code] =
            WentDown(keyState[code] & 0x80, lastReadKeys[code] & 0x80, keyEvents[code]);
        lastReadKeys[code] = keyState[code];
    }
    std::memset(keyEvents, 0, sizeof keyEvents);
}

void InputDevices::ReadKeyLevels() {
    if (directInput->keyMap.display != nullptr)
        return ReadX11KeyMap(directInput->keyMap, keyState);
    SDL_PumpEvents(); // SDL's state and the events noted agree
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    KeyStateFromSdl(state, count, keyState);
}

void InputDevices::ReadMouse() {
    MouseState state{};
    if (mouse != nullptr) {
        SDL_PumpEvents();
        int x = 0, y = 0;
        Uint32 buttons = SDL_GetRelativeMouseState(&x, &y);
        bool inFront = HasInputFocus(mouse->window);
        // While the window is away the mouse belongs to others: no motion, no
        // buttons. The read that finds it back drops what moved meanwhile.
        if (inFront && !mouse->lost) {
            state.x = x;
            state.y = y;
            const bool left =
                (buttons & SDL_BUTTON_LMASK) != 0 || (buttonEvents[0] & kPressWentDown);
            const bool right =
                (buttons & SDL_BUTTON_RMASK) != 0 || (buttonEvents[1] & kPressWentDown);
            state.buttons[0] = left ? 0x80 : 0;
            state.buttons[1] = right ? 0x80 : 0;
            state.buttons[2] = (buttons & SDL_BUTTON_MMASK) != 0 ? 0x80 : 0;
            state.buttons[3] = (buttons & SDL_BUTTON_X1MASK) != 0 ? 0x80 : 0;
        }
        mouse->lost = !inFront;
    }
    const unsigned char before[2] = {leftButton, rightButton};
    mouseState = state;
    mouseDeltaX = mouseState.x;
    mouseDeltaY = mouseState.y;
    leftButton = (mouseState.buttons[0] & 0x80) != 0 ? 1 : 0;
    rightButton = (mouseState.buttons[1] & 0x80) != 0 ? 1 : 0;
    buttonPressed[0] = WentDown(leftButton, before[0], buttonEvents[0]);
    buttonPressed[1] = WentDown(rightButton, before[1], buttonEvents[1]);
    buttonEvents[0] = buttonEvents[1] = 0;
}

unsigned char InputDevices::KeyDown(int scanCode) const {
    if (scanCode < 0 || scanCode > 255)
        return 0;
    return (keyState[scanCode] & 0x80) != 0 ? 1 : 0;
}

unsigned char InputDevices::KeyPressed(int scanCode) const {
    return scanCode >= 0 && scanCode <= 255 ? keyPressed[scanCode] : 0;
}

unsigned char InputDevices::ButtonPressed(int button) const {
    return button == 0 || button == 1 ? buttonPressed[button] : 0;
}

void InputDevices::Release() {
    if (keyboard != nullptr) {
        delete keyboard;
        keyboard = nullptr;
    }
    if (mouse != nullptr) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        delete mouse;
        mouse = nullptr;
    }
    if (directInput != nullptr) {
        SDL_DelEventWatch(NoteEvent, this);
        delete directInput;
        directInput = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}
