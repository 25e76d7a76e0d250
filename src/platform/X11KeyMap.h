#pragma once

#include "platform/WindowMessages.h"

#include <cstdint>

// The keyboard as the X server holds it. Read from the server's own key map,
// keys count whichever window has the focus, as the behaviour asks of the
// keyboard; SDL's keyboard state follows only the window with the focus.
struct X11KeyMap {
    void* display = nullptr;               // SDL's connection to the server (Display*); null: none
    uint8_t scanCodeFromKeycode[256] = {}; // the server's key numbers to scan codes
};

// Prepares the map for the window's X server. False, and the map left empty,
// where the window is not on X11 or the server numbers its keys otherwise than
// Linux input does; then only SDL's state can serve.
bool OpenX11KeyMap(WindowHandle window, X11KeyMap& map);

// The 256 key bytes by scan code as the server's map has them now (bit 7 set
// while down); all up for an empty map. The events that arrived up to the
// map's answer are pumped to SDL's event watchers on the way, so each press
// the map shows has been noted there too.
void ReadX11KeyMap(const X11KeyMap& map, unsigned char keyState[256]);
