#include "platform/InputDevices.h"
#include "support/TestSupport.h"

#include <SDL.h>
#include <array>
#include <cstdlib>
#include <set>

// Keys and pointer move on the X server itself, as a person's would (xdotool, through XTEST).

namespace {
using Mouse = std::array<int, 4>; // motion x, y, left and right button

// Real windows, one focused, with the devices made for it; keyboard and pointer are the
// server's own, so tests that press keys or show windows take turns (a CTest lock).
class InputDevicesTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("input test", 100, 100, 320, 240, SDL_WINDOW_SHOWN);
        other = SDL_CreateWindow("other window", 500, 100, 200, 150, SDL_WINDOW_SHOWN);
        ASSERT_EQ(std::tuple(window != nullptr, other != nullptr), std::tuple(true, true))
            << SDL_GetError();
        ASSERT_TRUE(FocusWindow(window));
        input.Open(nullptr);
        input.CreateKeyboard(window);
        input.CreateMouse(window);
    }

    void TearDown() override {
        Xdo("keyup Escape Up z Control_R F12 KP_Enter mouseup 1 mouseup 3"); // nothing stays held
        input.Release();
        SDL_Quit(); // the windows with it
    }

    int KeysDown() {
        input.ReadKeyboard();
        int down = 0;
        for (int code = -1; code <= 256; ++code) // and none outside the table
            down += input.KeyDown(code);
        return down;
    }

    // Reads (first after waitMs) until motion sums to expected and the buttons match, or 10 s:
    // relative motion reaches SDL as events, which take their time on a busy machine.
    Mouse ReadMouse(const Mouse& expected = {}, Uint32 waitMs = 10) {
        Mouse sum{};
        for (const Uint32 start = SDL_GetTicks();; waitMs = 10) {
            SDL_Delay(waitMs);
            input.ReadMouse();
            sum = {sum[0] + input.mouseDeltaX, sum[1] + input.mouseDeltaY, input.leftButton,
                   input.rightButton};
            if (sum == expected || SDL_GetTicks() - start > 10000)
                return sum;
        }
    }

    SDL_Window *window = nullptr, *other = nullptr;
    InputDevices input;
};
} // namespace

TEST(ScanCodes, OnePerKey) {
    for (int outside : {int(SDL_SCANCODE_UNKNOWN), -1, int(SDL_NUM_SCANCODES)})
        EXPECT_EQ(ScanCodeFromSdlScancode(outside), 0) << outside;
    // 96 keys of a full-size keyboard, 8 modifiers; the non-US hash shares the backslash's code.
    std::set<int> codes;
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_RGUI; ++scancode)
        if (scancode <= SDL_SCANCODE_KP_PERIOD || scancode >= SDL_SCANCODE_LCTRL)
            codes.insert(ScanCodeFromSdlScancode(scancode));
    EXPECT_EQ(std::tuple(codes.size(), codes.contains(0)), std::tuple(96u + 8u - 1u, false));
}

TEST_F(InputDevicesTest, MouseInFrontKeysAnywhere) {
    ReadMouse();
    const std::pair<const char*, Mouse> steps[] = {
        {"mousemove_relative --sync -- 12 7", {12, 7, 0, 0}},
        {"", {0, 0, 0, 0}}, // not accumulated across reads
        {"mousedown 1", {0, 0, 1, 0}},
        {"mousedown 3", {0, 0, 1, 1}}, // held left seen again; the right button is SDL's third
        {"mouseup 1 mouseup 3", {0, 0, 0, 0}}};
    for (const auto& [xdo, expected] : steps) {
        ASSERT_TRUE(!*xdo || Xdo(xdo));
        EXPECT_EQ(ReadMouse(expected), expected) << xdo;
    }
    ASSERT_TRUE(FocusWindow(other)); // lost to another window: nothing, whatever moves and clicks
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 20 20 mousedown 1"));
    EXPECT_EQ(ReadMouse({}, 50), (Mouse{0, 0, 0, 0}));
    ASSERT_TRUE(Xdo("mouseup 1"));
    // The keyboard is the server's, read whatever window is in front, each key by position.
    const std::pair<std::string, uint8_t> keys[] = {
        {"Escape", DIK_ESCAPE},      {"Up", DIK_UP},   {"z", DIK_Z},
        {"Control_R", DIK_RCONTROL}, {"F12", DIK_F12}, {"KP_Enter", DIK_NUMPADENTER}};
    for (const auto& [keysym, code] : keys) {
        ASSERT_TRUE(Xdo("keydown " + keysym));
        // Held: seen in every read, pressed in the first, and alone (but for the left modifier
        // that xdotool holds with a right one).
        const int alone = keysym.ends_with("_R") ? 2 : 1;
        const int first = KeysDown(), down = input.KeyDown(code), pressed = input.KeyPressed(code);
        const int second = KeysDown(), again = input.KeyPressed(code);
        EXPECT_EQ(std::tuple(first, down, pressed, second, again),
                  std::tuple(alone, 1, 1, alone, 0))
            << keysym;
        ASSERT_TRUE(Xdo("keyup " + keysym));
        EXPECT_EQ(KeysDown(), 0) << keysym;
    }
    // Back in front: captured again; what moved meanwhile is not reported (nor turns the turret).
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 30 10"));
    ASSERT_TRUE(FocusWindow(window));
    EXPECT_EQ(std::tuple(ReadMouse({}, 0), SDL_GetRelativeMouseMode()),
              std::tuple(Mouse{}, SDL_TRUE));
    input.Release();
    EXPECT_EQ(
        std::tuple(input.keyboard, input.mouse, input.directInput, SDL_GetRelativeMouseMode()),
        std::tuple(nullptr, nullptr, nullptr, SDL_FALSE));
}

TEST(InputDevicesFatal, EndsWithTheMessage) {
    // Display or none, Open first or not, then a keyboard or a mouse made for no window.
    const std::tuple<bool, bool, bool, const char*> cases[] = {
        {true, false, true, "Unable to create keyboard!"},
        {true, true, true, "Unable to acquire keyboard!"},
        {true, true, false, "Unable to acquire mouse!"},
        {false, true, true, "Unable to open Direct Input"}};
    for (const auto& [display, open, keyboard, text] : cases)
        EXPECT_EQ(LogOfFatal([&] {
                      if (!display)
                          setenv("SDL_VIDEODRIVER", "x11", 1), setenv("DISPLAY", ":nonexistent", 1);
                      InputDevices input;
                      if (open)
                          input.Open(nullptr);
                      keyboard ? input.CreateKeyboard(nullptr) : input.CreateMouse(nullptr);
                  }),
                  std::string("FATAL ERROR: ") + text + "\n");
}
