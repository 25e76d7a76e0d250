#pragma once

// What happened to a key or button between two reads of its level, kept from
// the platform's events as they arrive, so that a press shorter than a frame
// still counts once. Shared by the keyboard, the mouse and the game controllers.

// Bits of the noted events: pressed, released, pressed after a release.
constexpr unsigned char kPressWentDown = 1, kPressWentUp = 2, kPressDownAgain = 4;

// The events so far with one more press (down) or release added.
inline unsigned char NotePress(unsigned char events, bool down) {
    if (down && (events & kPressWentUp) != 0)
        events |= kPressDownAgain;
    return events | (down ? kPressWentDown : kPressWentUp);
}

// Down in this read (held, or tapped since the last one), and whether that is
// a new press: it was up at the last read, or went up and down again since.
inline bool WentDown(bool down, bool downBefore, unsigned char events) {
    return down && (!downBefore || (events & kPressDownAgain) != 0);
}
