#pragma once

#include <atomic>
#include <cstdint>

struct _SDL_GameController; // SDL_GameController
union SDL_Event;

// The game controllers plugged in, through SDL's game controller API and its
// mapping database, read once per frame like the keyboard: stick and trigger
// positions, and buttons held, with a press shorter than a frame counted once.
// Controllers plugged in or pulled out while the game runs are picked up or
// let go at the next read; with several, each button and axis reads the one
// that is pressed or pushed furthest.
class GameControllers {
  public:
    // SDL's own button numbers, and the right trigger as one more button.
    enum Button : uint8_t {
        kA = 0,
        kB = 1,
        kX = 2,
        kY = 3,
        kBack = 4,
        kLeftShoulder = 9,
        kRightShoulder = 10,
        kDpadUp = 11,
        kDpadDown = 12,
        kDpadLeft = 13,
        kDpadRight = 14,
        kRightTrigger = 15, // held past kTriggerPress
        kButtonCount = 16
    };
    // SDL's axis numbers. Sticks -1 to 1 (right, down positive), triggers 0 to 1.
    enum Axis : uint8_t { kLeftX, kLeftY, kRightX, kRightY, kLeftTriggerAxis, kRightTriggerAxis };
    static constexpr int kAxisCount = 6;
    static constexpr int kMaxControllers = 8;
    static constexpr float kTriggerPress = 0.6f;

    GameControllers();
    ~GameControllers();
    GameControllers(const GameControllers&) = delete;
    GameControllers& operator=(const GameControllers&) = delete;

    // Starts SDL's controller support and opens those plugged in; false, and
    // never a controller, where the platform has none.
    bool Open();
    void Read(); // once per frame
    void Close();

    int Count() const { return count; }
    bool Down(Button button) const { return down[button] != 0; }
    bool Pressed(Button button) const { return pressed[button] != 0; } // since the read before
    float Position(Axis axis) const { return axes[axis]; }

    // Called from SDL's event watch: presses and plugging as they happen.
    void NoteEvent(const SDL_Event& event);

  private:
    bool open;
    std::atomic<bool> rescan; // something was plugged in since the last read
    int count;
    _SDL_GameController* controllers[kMaxControllers];
    unsigned char down[kButtonCount];
    unsigned char pressed[kButtonCount];
    unsigned char events[kButtonCount]; // PressEvents bits since the last read
    float axes[kAxisCount];

    void PickUpAndLetGo();
};

// Opened by WinMain after the input devices, closed when the loop ends.
extern GameControllers gameControllers;
