#include "platform/X11KeyMap.h"

#include "platform/ScanCodes.h"

#include <cstring>

// Built where the X and Linux input headers are; elsewhere there is no server to ask.
#if __has_include(<X11/Xlib.h>) && __has_include(<linux/input-event-codes.h>)
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <linux/input-event-codes.h>
#include <utility>

namespace {
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

// Whether the X server numbers its keys as Linux input does (every current
// server does); checked on keys whose symbols no layout moves.
bool UsesLinuxKeycodes(Display* display) {
    return XKeysymToKeycode(display, XK_Escape) == KEY_ESC + kXKeycodeOffset &&
           XKeysymToKeycode(display, XK_Up) == KEY_UP + kXKeycodeOffset &&
           XKeysymToKeycode(display, XK_Home) == KEY_HOME + kXKeycodeOffset;
}
} // namespace

bool OpenX11KeyMap(WindowHandle window, X11KeyMap& map) {
    map = X11KeyMap{};
    // The map is asked on SDL's own connection: its answer comes after every
    // key event sent before it, so the pump that follows a read notes each
    // press the map shows.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11 ||
        !UsesLinuxKeycodes(info.info.x11.display))
        return false;
    map.display = info.info.x11.display;
    for (const auto& [code, sdl] : kLinuxKeys)
        if (code + kXKeycodeOffset < 256)
            map.scanCodeFromKeycode[code + kXKeycodeOffset] = ScanCodeFromSdlScancode(sdl);
    return true;
}

void ReadX11KeyMap(const X11KeyMap& map, unsigned char keyState[256]) {
    std::memset(keyState, 0, 256);
    if (map.display == nullptr)
        return;
    char keys[32];
    XQueryKeymap(static_cast<Display*>(map.display), keys);
    SDL_PumpEvents();
    for (int keycode = 0; keycode < 256; ++keycode) {
        const uint8_t code = map.scanCodeFromKeycode[keycode];
        if (code != 0 && (keys[keycode / 8] >> (keycode % 8) & 1) != 0)
            keyState[code] = 0x80;
    }
}

#else

bool OpenX11KeyMap(WindowHandle, X11KeyMap& map) {
    map = X11KeyMap{};
    return false;
}

void ReadX11KeyMap(const X11KeyMap&, unsigned char keyState[256]) {
    std::memset(keyState, 0, 256);
}

#endif
