#pragma once

#include "platform/ScanCodes.h"
#include "platform/WindowMessages.h"

#include <cstdint>

// The mouse as one read reports it: relative x, y and wheel counts since the
// previous read, then four buttons (bit 7 set while down).
struct MouseState {
    int32_t x;
    int32_t y;
    int32_t z;
    uint8_t buttons[4];
};
static_assert(sizeof(MouseState) == 16);

struct InputSystem; // the platform's input connection, made by Open
struct KeyboardDevice;
struct MouseDevice;
union SDL_Event;

// A polled snapshot of keyboard and mouse, taken once per frame: the state of
// all 256 keys by scan code, the mouse motion since the previous read and the
// first two buttons. A key or button pressed and released between two reads
// counts as down in the next read, once; KeyPressed and ButtonPressed tell
// which went down since the read before, for actions that act once a press.
class InputDevices {
  public:
    InputDevices();
    ~InputDevices();
    InputDevices(const InputDevices&) = delete;
    InputDevices& operator=(const InputDevices&) = delete;

    void Open(void* instance);
    void CreateKeyboard(WindowHandle window);
    void CreateMouse(WindowHandle window);
    void ReadKeyboard();
    void ReadMouse();
    unsigned char KeyDown(int scanCode) const;
    unsigned char KeyPressed(int scanCode) const;
    unsigned char ButtonPressed(int button) const; // 0 left, 1 right
    void Release();

    unsigned char leftButton;
    unsigned char rightButton;
    int32_t mouseDeltaX; // positive to the right
    int32_t mouseDeltaY; // positive towards the user
    InputSystem* directInput;
    KeyboardDevice* keyboard;
    MouseDevice* mouse;
    unsigned char keyState[256]; // bit 7 set while the key is down
    MouseState mouseState;

  private:
    // Presses and releases that SDL reported since the last read (PressEvents bits).
    unsigned char keyEvents[256];
    unsigned char buttonEvents[2];
    // What the last read found: went down since the read before it.
    unsigned char keyPressed[256];
    unsigned char buttonPressed[2];
    unsigned char lastReadKeys[256]; // keyState as the last read left it

    void ReadKeyLevels(); // keyState as the platform has it now
    // SDL's event watch: notes the presses as they arrive, before the loop drops them.
    static int NoteEvent(void* devices, SDL_Event* event);
};

// Created by WinMain, deleted by the window procedure when the window closes.
extern InputDevices* inputDevices;
