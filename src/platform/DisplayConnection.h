#pragma once

#include <string>

// Starts SDL's video on a display the user can see. Left to itself, SDL falls back to
// its invisible drivers (offscreen, dummy) when no display can be opened, and the
// program would run unseen; here they are used only when SDL_VIDEODRIVER names them.
// False when no display could be opened; reason then says why, in SDL's words and
// with the variables that name the display.
bool OpenDisplay(std::string& reason);
