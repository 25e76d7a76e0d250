#include "platform/InputDevices.h"

#include "platform/ErrorLog.h"

#include <SDL.h>
#include <array>
#include <cstring>
#include <utility>

// The global keyboard state comes from the X server where there is one.
#if __has_include(<X11/Xlib.h>) && __has_include(<linux/input-event-codes.h>)
#define ZEZIVOZE_X11_KEYBOARD 1
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <linux/input-event-codes.h>
#endif

namespace {
// Every SDL scancode that has a scan code of its own.
constexpr std::pair<SDL_Scancode, uint8_t> kScanCodes[] = {
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_1, DIK_1},
    {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3},
    {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6},
    {SDL_SCANCODE_7, DIK_7},
    {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH}, // the same key position on ISO keyboards
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
    {SDL_SCANCODE_POWER, DIK_POWER},
    {SDL_SCANCODE_KP_EQUALS, DIK_NUMPADEQUALS},
    {SDL_SCANCODE_KP_EQUALSAS400, DIK_NUMPADEQUALS},
    {SDL_SCANCODE_F13, DIK_F13},
    {SDL_SCANCODE_F14, DIK_F14},
    {SDL_SCANCODE_F15, DIK_F15},
    {SDL_SCANCODE_MUTE, DIK_MUTE},
    {SDL_SCANCODE_VOLUMEUP, DIK_VOLUMEUP},
    {SDL_SCANCODE_VOLUMEDOWN, DIK_VOLUMEDOWN},
    {SDL_SCANCODE_KP_COMMA, DIK_NUMPADCOMMA},
    {SDL_SCANCODE_INTERNATIONAL1, DIK_ABNT_C1}, // the key left of right shift (JIS "ro")
    {SDL_SCANCODE_INTERNATIONAL2, DIK_KANA},
    {SDL_SCANCODE_INTERNATIONAL3, DIK_YEN},
    {SDL_SCANCODE_INTERNATIONAL4, DIK_CONVERT},
    {SDL_SCANCODE_INTERNATIONAL5, DIK_NOCONVERT},
    {SDL_SCANCODE_SYSREQ, DIK_SYSRQ},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_AUDIONEXT, DIK_NEXTTRACK},
    {SDL_SCANCODE_AUDIOPREV, DIK_PREVTRACK},
    {SDL_SCANCODE_AUDIOSTOP, DIK_MEDIASTOP},
    {SDL_SCANCODE_AUDIOPLAY, DIK_PLAYPAUSE},
    {SDL_SCANCODE_AUDIOMUTE, DIK_MUTE},
    {SDL_SCANCODE_MEDIASELECT, DIK_MEDIASELECT},
    {SDL_SCANCODE_MAIL, DIK_MAIL},
    {SDL_SCANCODE_CALCULATOR, DIK_CALCULATOR},
    {SDL_SCANCODE_COMPUTER, DIK_MYCOMPUTER},
    {SDL_SCANCODE_AC_SEARCH, DIK_WEBSEARCH},
    {SDL_SCANCODE_AC_HOME, DIK_WEBHOME},
    {SDL_SCANCODE_AC_BACK, DIK_WEBBACK},
    {SDL_SCANCODE_AC_FORWARD, DIK_WEBFORWARD},
    {SDL_SCANCODE_AC_STOP, DIK_WEBSTOP},
    {SDL_SCANCODE_AC_REFRESH, DIK_WEBREFRESH},
    {SDL_SCANCODE_AC_BOOKMARKS, DIK_WEBFAVORITES},
    {SDL_SCANCODE_SLEEP, DIK_SLEEP},
};

#ifdef ZEZIVOZE_X11_KEYBOARD
// The SDL scancode of each Linux input key code; X servers number their keys
// by these codes plus 8.
constexpr std::pair<int, SDL_Scancode> kLinuxKeys[] = {
    {KEY_ESC, SDL_SCANCODE_ESCAPE},
    {KEY_1, SDL_SCANCODE_1},
    {KEY_2, SDL_SCANCODE_2},
    {KEY_3, SDL_SCANCODE_3},
    {KEY_4, SDL_SCANCODE_4},
    {KEY_5, SDL_SCANCODE_5},
    {KEY_6, SDL_SCANCODE_6},
    {KEY_7, SDL_SCANCODE_7},
    {KEY_8, SDL_SCANCODE_8},
    {KEY_9, SDL_SCANCODE_9},
    {KEY_0, SDL_SCANCODE_0},
    {KEY_MINUS, SDL_SCANCODE_MINUS},
    {KEY_EQUAL, SDL_SCANCODE_EQUALS},
    {KEY_BACKSPACE, SDL_SCANCODE_BACKSPACE},
    {KEY_TAB, SDL_SCANCODE_TAB},
    {KEY_Q, SDL_SCANCODE_Q},
    {KEY_W, SDL_SCANCODE_W},
    {KEY_E, SDL_SCANCODE_E},
    {KEY_R, SDL_SCANCODE_R},
    {KEY_T, SDL_SCANCODE_T},
    {KEY_Y, SDL_SCANCODE_Y},
    {KEY_U, SDL_SCANCODE_U},
    {KEY_I, SDL_SCANCODE_I},
    {KEY_O, SDL_SCANCODE_O},
    {KEY_P, SDL_SCANCODE_P},
    {KEY_LEFTBRACE, SDL_SCANCODE_LEFTBRACKET},
    {KEY_RIGHTBRACE, SDL_SCANCODE_RIGHTBRACKET},
    {KEY_ENTER, SDL_SCANCODE_RETURN},
    {KEY_LEFTCTRL, SDL_SCANCODE_LCTRL},
    {KEY_A, SDL_SCANCODE_A},
    {KEY_S, SDL_SCANCODE_S},
    {KEY_D, SDL_SCANCODE_D},
    {KEY_F, SDL_SCANCODE_F},
    {KEY_G, SDL_SCANCODE_G},
    {KEY_H, SDL_SCANCODE_H},
    {KEY_J, SDL_SCANCODE_J},
    {KEY_K, SDL_SCANCODE_K},
    {KEY_L, SDL_SCANCODE_L},
    {KEY_SEMICOLON, SDL_SCANCODE_SEMICOLON},
    {KEY_APOSTROPHE, SDL_SCANCODE_APOSTROPHE},
    {KEY_GRAVE, SDL_SCANCODE_GRAVE},
    {KEY_LEFTSHIFT, SDL_SCANCODE_LSHIFT},
    {KEY_BACKSLASH, SDL_SCANCODE_BACKSLASH},
    {KEY_Z, SDL_SCANCODE_Z},
    {KEY_X, SDL_SCANCODE_X},
    {KEY_C, SDL_SCANCODE_C},
    {KEY_V, SDL_SCANCODE_V},
    {KEY_B, SDL_SCANCODE_B},
    {KEY_N, SDL_SCANCODE_N},
    {KEY_M, SDL_SCANCODE_M},
    {KEY_COMMA, SDL_SCANCODE_COMMA},
    {KEY_DOT, SDL_SCANCODE_PERIOD},
    {KEY_SLASH, SDL_SCANCODE_SLASH},
    {KEY_RIGHTSHIFT, SDL_SCANCODE_RSHIFT},
    {KEY_KPASTERISK, SDL_SCANCODE_KP_MULTIPLY},
    {KEY_LEFTALT, SDL_SCANCODE_LALT},
    {KEY_SPACE, SDL_SCANCODE_SPACE},
    {KEY_CAPSLOCK, SDL_SCANCODE_CAPSLOCK},
    {KEY_F1, SDL_SCANCODE_F1},
    {KEY_F2, SDL_SCANCODE_F2},
    {KEY_F3, SDL_SCANCODE_F3},
    {KEY_F4, SDL_SCANCODE_F4},
    {KEY_F5, SDL_SCANCODE_F5},
    {KEY_F6, SDL_SCANCODE_F6},
    {KEY_F7, SDL_SCANCODE_F7},
    {KEY_F8, SDL_SCANCODE_F8},
    {KEY_F9, SDL_SCANCODE_F9},
    {KEY_F10, SDL_SCANCODE_F10},
    {KEY_NUMLOCK, SDL_SCANCODE_NUMLOCKCLEAR},
    {KEY_SCROLLLOCK, SDL_SCANCODE_SCROLLLOCK},
    {KEY_KP7, SDL_SCANCODE_KP_7},
    {KEY_KP8, SDL_SCANCODE_KP_8},
    {KEY_KP9, SDL_SCANCODE_KP_9},
    {KEY_KPMINUS, SDL_SCANCODE_KP_MINUS},
    {KEY_KP4, SDL_SCANCODE_KP_4},
    {KEY_KP5, SDL_SCANCODE_KP_5},
    {KEY_KP6, SDL_SCANCODE_KP_6},
    {KEY_KPPLUS, SDL_SCANCODE_KP_PLUS},
    {KEY_KP1, SDL_SCANCODE_KP_1},
    {KEY_KP2, SDL_SCANCODE_KP_2},
    {KEY_KP3, SDL_SCANCODE_KP_3},
    {KEY_KP0, SDL_SCANCODE_KP_0},
    {KEY_KPDOT, SDL_SCANCODE_KP_PERIOD},
    {KEY_102ND, SDL_SCANCODE_NONUSBACKSLASH},
    {KEY_F11, SDL_SCANCODE_F11},
    {KEY_F12, SDL_SCANCODE_F12},
    {KEY_RO, SDL_SCANCODE_INTERNATIONAL1},
    {KEY_KATAKANAHIRAGANA, SDL_SCANCODE_INTERNATIONAL2},
    {KEY_HENKAN, SDL_SCANCODE_INTERNATIONAL4},
    {KEY_MUHENKAN, SDL_SCANCODE_INTERNATIONAL5},
    {KEY_KPENTER, SDL_SCANCODE_KP_ENTER},
    {KEY_RIGHTCTRL, SDL_SCANCODE_RCTRL},
    {KEY_KPSLASH, SDL_SCANCODE_KP_DIVIDE},
    {KEY_SYSRQ, SDL_SCANCODE_PRINTSCREEN},
    {KEY_RIGHTALT, SDL_SCANCODE_RALT},
    {KEY_HOME, SDL_SCANCODE_HOME},
    {KEY_UP, SDL_SCANCODE_UP},
    {KEY_PAGEUP, SDL_SCANCODE_PAGEUP},
    {KEY_LEFT, SDL_SCANCODE_LEFT},
    {KEY_RIGHT, SDL_SCANCODE_RIGHT},
    {KEY_END, SDL_SCANCODE_END},
    {KEY_DOWN, SDL_SCANCODE_DOWN},
    {KEY_PAGEDOWN, SDL_SCANCODE_PAGEDOWN},
    {KEY_INSERT, SDL_SCANCODE_INSERT},
    {KEY_DELETE, SDL_SCANCODE_DELETE},
    {KEY_MUTE, SDL_SCANCODE_MUTE},
    {KEY_VOLUMEDOWN, SDL_SCANCODE_VOLUMEDOWN},
    {KEY_VOLUMEUP, SDL_SCANCODE_VOLUMEUP},
    {KEY_POWER, SDL_SCANCODE_POWER},
    {KEY_KPEQUAL, SDL_SCANCODE_KP_EQUALS},
    {KEY_PAUSE, SDL_SCANCODE_PAUSE},
    {KEY_KPCOMMA, SDL_SCANCODE_KP_COMMA},
    {KEY_YEN, SDL_SCANCODE_INTERNATIONAL3},
    {KEY_LEFTMETA, SDL_SCANCODE_LGUI},
    {KEY_RIGHTMETA, SDL_SCANCODE_RGUI},
    {KEY_COMPOSE, SDL_SCANCODE_APPLICATION},
    {KEY_STOP, SDL_SCANCODE_AC_STOP},
    {KEY_CALC, SDL_SCANCODE_CALCULATOR},
    {KEY_SLEEP, SDL_SCANCODE_SLEEP},
    {KEY_MAIL, SDL_SCANCODE_MAIL},
    {KEY_BOOKMARKS, SDL_SCANCODE_AC_BOOKMARKS},
    {KEY_COMPUTER, SDL_SCANCODE_COMPUTER},
    {KEY_BACK, SDL_SCANCODE_AC_BACK},
    {KEY_FORWARD, SDL_SCANCODE_AC_FORWARD},
    {KEY_NEXTSONG, SDL_SCANCODE_AUDIONEXT},
    {KEY_PLAYPAUSE, SDL_SCANCODE_AUDIOPLAY},
    {KEY_PREVIOUSSONG, SDL_SCANCODE_AUDIOPREV},
    {KEY_STOPCD, SDL_SCANCODE_AUDIOSTOP},
    {KEY_HOMEPAGE, SDL_SCANCODE_AC_HOME},
    {KEY_REFRESH, SDL_SCANCODE_AC_REFRESH},
    {KEY_F13, SDL_SCANCODE_F13},
    {KEY_F14, SDL_SCANCODE_F14},
    {KEY_F15, SDL_SCANCODE_F15},
    {KEY_SEARCH, SDL_SCANCODE_AC_SEARCH},
    {KEY_MEDIA, SDL_SCANCODE_MEDIASELECT},
};

constexpr int kXKeycodeOffset = 8;

#endif

std::array<uint8_t, SDL_NUM_SCANCODES> MakeScanCodeTable() {
    std::array<uint8_t, SDL_NUM_SCANCODES> table{};
    for (const auto& [sdl, dik] : kScanCodes)
        table[sdl] = dik;
    return table;
}

const std::array<uint8_t, SDL_NUM_SCANCODES> scanCodeFromSdl = MakeScanCodeTable();

#ifdef ZEZIVOZE_X11_KEYBOARD
// Whether the X server numbers its keys as Linux input does (every current
// server does); checked on keys whose symbols no layout moves.
bool UsesLinuxKeycodes(Display* display) {
    return XKeysymToKeycode(display, XK_Escape) == KEY_ESC + kXKeycodeOffset &&
           XKeysymToKeycode(display, XK_Up) == KEY_UP + kXKeycodeOffset &&
           XKeysymToKeycode(display, XK_Home) == KEY_HOME + kXKeycodeOffset;
}

void FillX11KeyTable(uint8_t table[256]) {
    std::memset(table, 0, 256);
    for (const auto& [code, sdl] : kLinuxKeys) {
        int keycode = code + kXKeycodeOffset;
        if (keycode < 256)
            table[keycode] = scanCodeFromSdl[sdl];
    }
}
#endif

bool HasInputFocus(WindowHandle window) {
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}
} // namespace

// Open's connection. On X11 the keyboard is read from the server's key map, so
// that keys count whichever window has the focus; elsewhere SDL's state serves.
struct InputSystem {
#ifdef ZEZIVOZE_X11_KEYBOARD
    Display* display = nullptr; // null: SDL's keyboard state
    uint8_t scanCodeFromKeycode[256] = {};
#endif
};

struct KeyboardDevice {
    WindowHandle window;
};

struct MouseDevice {
    WindowHandle window;
    bool lost; // the window left the front since the mouse was last read
};

uint8_t ScanCodeFromSdlScancode(int sdlScancode) {
    if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES)
        return 0;
    return scanCodeFromSdl[sdlScancode];
}

void KeyStateFromSdl(const uint8_t* sdlState, int count, unsigned char keyState[256]) {
    std::memset(keyState, 0, 256);
    for (int scancode = 0; scancode < count && scancode < SDL_NUM_SCANCODES; ++scancode) {
        uint8_t code = scanCodeFromSdl[scancode];
        if (sdlState[scancode] != 0 && code != 0)
            keyState[code] = 0x80;
    }
}

InputDevices::InputDevices()
    : leftButton(0), rightButton(0), mouseDeltaX(0), mouseDeltaY(0), directInput(nullptr),
      keyboard(nullptr), mouse(nullptr), keyState{}, mouseState{} {}

InputDevices::~InputDevices() {
    Release();
}

void InputDevices::Open(void* /*instance*/) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        errorLog.Fatal("Unable to open Direct Input\n");
    auto* system = new InputSystem;
#ifdef ZEZIVOZE_X11_KEYBOARD
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
        system->display = XOpenDisplay(nullptr);
        if (system->display == nullptr) {
            delete system;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            errorLog.Fatal("Unable to open Direct Input\n");
            return;
        }
        if (UsesLinuxKeycodes(system->display)) {
            FillX11KeyTable(system->scanCodeFromKeycode);
        } else {
            // Unknown key numbering: SDL's own mapping, seen only while focused.
            XCloseDisplay(system->display);
            system->display = nullptr;
        }
    }
#endif
    directInput = system;
}

void InputDevices::CreateKeyboard(WindowHandle window) {
    if (directInput == nullptr)
        errorLog.Fatal("Unable to create keyboard!\n");
    // The state belongs to the window the devices were made for.
    if (window == nullptr || SDL_GetWindowID(window) == 0)
        errorLog.Fatal("Unable to acquire keyboard!\n");
    keyboard = new KeyboardDevice{window};
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
    if (keyboard == nullptr)
        return;
#ifdef ZEZIVOZE_X11_KEYBOARD
    if (directInput->display != nullptr) {
        char keys[32];
        XQueryKeymap(directInput->display, keys);
        std::memset(keyState, 0, sizeof keyState);
        for (int keycode = 0; keycode < 256; ++keycode) {
            uint8_t code = directInput->scanCodeFromKeycode[keycode];
            if (code != 0 && (keys[keycode / 8] >> (keycode % 8) & 1) != 0)
                keyState[code] = 0x80;
        }
        return;
    }
#endif
    SDL_PumpEvents();
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
            state.buttons[0] = (buttons & SDL_BUTTON_LMASK) != 0 ? 0x80 : 0;
            state.buttons[1] = (buttons & SDL_BUTTON_RMASK) != 0 ? 0x80 : 0;
            state.buttons[2] = (buttons & SDL_BUTTON_MMASK) != 0 ? 0x80 : 0;
            state.buttons[3] = (buttons & SDL_BUTTON_X1MASK) != 0 ? 0x80 : 0;
        }
        mouse->lost = !inFront;
    }
    mouseState = state;
    mouseDeltaX = mouseState.x;
    mouseDeltaY = mouseState.y;
    leftButton = (mouseState.buttons[0] & 0x80) != 0 ? 1 : 0;
    rightButton = (mouseState.buttons[1] & 0x80) != 0 ? 1 : 0;
}

unsigned char InputDevices::KeyDown(int scanCode) const {
    if (scanCode < 0 || scanCode > 255)
        return 0;
    return (keyState[scanCode] & 0x80) != 0 ? 1 : 0;
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
#ifdef ZEZIVOZE_X11_KEYBOARD
        if (directInput->display != nullptr)
            XCloseDisplay(directInput->display);
#endif
        delete directInput;
        directInput = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}
