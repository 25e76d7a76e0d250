#include "platform/InputDevices.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <SDL.h>
#include <array>
#include <cstdlib>
#include <set>
#include <sstream>

// These tests press keys and move the pointer on the X server itself, as a
// person would (xdotool sends them through the XTEST extension).

namespace {
bool Xdo(const std::string& arguments) { // the time limit ends a search that never finds
    return std::system(("timeout 20 xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

using Mouse = std::array<int, 4>; // motion x, y, left and right button

// Real windows on the X server, one of them focused, with the devices made for
// it; the keyboard and pointer are the server's own, so tests that press keys
// or show windows take turns (a lock of their own in CTest).
class InputDevicesTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window = SDL_CreateWindow("input test", 100, 100, 320, 240, SDL_WINDOW_SHOWN);
        other = SDL_CreateWindow("other window", 500, 100, 200, 150, SDL_WINDOW_SHOWN);
        ASSERT_TRUE(window != nullptr && other != nullptr);
        ASSERT_NO_FATAL_FAILURE(Focus(window));
        input.Open(nullptr);
        input.CreateKeyboard(window);
        input.CreateMouse(window);
    }

    void TearDown() override {
        Xdo("keyup h Escape Up mouseup 1 mouseup 3"); // nothing stays pressed
        input.Release();
        SDL_Quit(); // the windows with it
    }

    // Pointer over the window, then the focus, as a person clicking on it
    // would give (there is no window manager to do it); asked again when a
    // busy machine lets the first request pass unanswered.
    void Focus(SDL_Window* target) {
        auto focused = [&] {
            SDL_PumpEvents(); // SDL learns of it through its events
            return (SDL_GetWindowFlags(target) & SDL_WINDOW_INPUT_FOCUS) != 0;
        };
        for (int attempt = 0; attempt < 3 && !focused(); ++attempt) {
            Xdo("search --sync --onlyvisible --name '^" + std::string(SDL_GetWindowTitle(target)) +
                "$' mousemove --sync --window %1 50 50 windowfocus --sync %1");
            for (Uint32 start = SDL_GetTicks(); !focused() && SDL_GetTicks() - start < 10000;)
                SDL_Delay(10);
        }
        ASSERT_TRUE(focused());
    }

    int KeysDown() {
        input.ReadKeyboard();
        int down = 0;
        for (int code = -1; code <= 256; ++code) // and none outside the table
            down += input.KeyDown(code);
        return down;
    }

    Mouse ReadMouse(int waitMs = 50) { // relative motion reaches SDL as events
        SDL_Delay(waitMs);
        input.ReadMouse();
        return {input.mouseDeltaX, input.mouseDeltaY, input.leftButton, input.rightButton};
    }

    // Reads until the motion adds up to the expected and the buttons match, or
    // 10 s have passed: on a busy machine the events may take their time.
    Mouse ReadMouseUntil(const Mouse& expected) {
        Mouse sum{};
        for (Uint32 start = SDL_GetTicks(); sum != expected && SDL_GetTicks() - start < 10000;) {
            const Mouse read = ReadMouse(10);
            sum = {sum[0] + read[0], sum[1] + read[1], read[2], read[3]};
        }
        return sum;
    }

    SDL_Window* window = nullptr;
    SDL_Window* other = nullptr;
    InputDevices input;
};
} // namespace

TEST(InputDevicesTable, EveryKeyOfAFullKeyboardHasACodeOfItsOwnAndOthersNone) {
    for (int outside : {int(SDL_SCANCODE_UNKNOWN), -1, int(SDL_NUM_SCANCODES)})
        EXPECT_EQ(ScanCodeFromSdlScancode(outside), 0) << outside;
    // The 96 keys of a full-size keyboard and its 8 modifiers have codes of
    // their own, but for the non-US hash at the backslash's position.
    std::set<int> codes;
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_RGUI; ++scancode)
        if (scancode <= SDL_SCANCODE_KP_PERIOD || scancode >= SDL_SCANCODE_LCTRL)
            codes.insert(ScanCodeFromSdlScancode(scancode));
    EXPECT_TRUE(codes.size() == 96u + 8u - 1u && !codes.contains(0)) << codes.size();
}

TEST_F(InputDevicesTest, MouseOnlyWhileInFrontKeysByPositionWhicheverWindowHasTheFocus) {
    ReadMouse(0);
    const std::pair<const char*, Mouse> steps[] = {
        {"mousemove_relative --sync -- 12 7", {12, 7, 0, 0}},
        {"", {0, 0, 0, 0}}, // not accumulated across reads
        {"mousemove_relative --sync -- -5 -9", {-5, -9, 0, 0}},
        {"mousedown 1", {0, 0, 1, 0}},
        {"", {0, 0, 1, 0}},            // held: seen in every read
        {"mousedown 3", {0, 0, 1, 1}}, // the right button is SDL's third
        {"mouseup 1 mouseup 3", {0, 0, 0, 0}}};
    for (const auto& [xdo, expected] : steps) {
        ASSERT_TRUE(!*xdo || Xdo(xdo));
        EXPECT_EQ(*xdo ? ReadMouseUntil(expected) : ReadMouse(0), expected) << xdo;
    }
    // A click between two reads: down and pressed in the next read, once.
    ASSERT_TRUE(Xdo("click 3"));
    EXPECT_TRUE(ReadMouseUntil({0, 0, 0, 1}) == (Mouse{0, 0, 0, 1}) && input.ButtonPressed(1) &&
                !input.ButtonPressed(0));
    EXPECT_TRUE(ReadMouse(0) == (Mouse{0, 0, 0, 0}) && !input.ButtonPressed(1));

    // Lost to another window: nothing, however it moves and clicks there.
    Focus(other);
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 20 20 mousedown 1"));
    EXPECT_EQ(ReadMouse(), (Mouse{0, 0, 0, 0}));
    ASSERT_TRUE(Xdo("mouseup 1"));
    // The keyboard is the server's, read whatever window is in front: the
    // keysyms in order, each with the scan code of its position.
    std::istringstream keysyms(
        "Escape Up Down Left Right h r q a z 1 0 space Return BackSpace Tab minus bracketleft "
        "semicolon grave slash Shift_L Shift_R Control_R Alt_L Super_L F1 F12 Home Next Delete "
        "Print Pause KP_Enter KP_Divide KP_Add");
    const uint8_t codes[] = {
        DIK_ESCAPE,    DIK_UP,     DIK_DOWN,  DIK_LEFT,        DIK_RIGHT,  DIK_H,
        DIK_R,         DIK_Q,      DIK_A,     DIK_Z,           DIK_1,      DIK_0,
        DIK_SPACE,     DIK_RETURN, DIK_BACK,  DIK_TAB,         DIK_MINUS,  DIK_LBRACKET,
        DIK_SEMICOLON, DIK_GRAVE,  DIK_SLASH, DIK_LSHIFT,      DIK_RSHIFT, DIK_RCONTROL,
        DIK_LMENU,     DIK_LWIN,   DIK_F1,    DIK_F12,         DIK_HOME,   DIK_NEXT,
        DIK_DELETE,    DIK_SYSRQ,  DIK_PAUSE, DIK_NUMPADENTER, DIK_DIVIDE, DIK_ADD};
    std::string keysym;
    for (uint8_t code : codes) {
        ASSERT_TRUE(keysyms >> keysym);
        ASSERT_TRUE(Xdo("keydown " + keysym));
        // Held: seen in every read, pressed in the first, and no other key with
        // it (but the left one that xdotool holds with a right modifier).
        const int alone = keysym.ends_with("_R") ? 2 : 1;
        EXPECT_TRUE(KeysDown() == alone && input.KeyDown(code) && input.KeyPressed(code) &&
                    KeysDown() == alone && !input.KeyPressed(code))
            << keysym;
        ASSERT_TRUE(Xdo("keyup " + keysym));
        EXPECT_EQ(KeysDown(), 0) << keysym;
    }
    // Pressed and released between two reads: the next read that the events
    // reach sees it down and pressed, once.
    ASSERT_TRUE(Xdo("keydown Up keyup Up"));
    int seen = 0;
    for (int i = 0; i < 500 && seen == 0; ++i, SDL_Delay(10))
        seen = KeysDown();
    EXPECT_TRUE(seen == 1 && input.KeyDown(DIK_UP) && input.KeyPressed(DIK_UP));
    EXPECT_EQ(KeysDown() + input.KeyPressed(256), 0);
    // Back in front: captured again; the read that finds it back reports nothing.
    Focus(window);
    EXPECT_EQ(ReadMouse(0), (Mouse{0, 0, 0, 0}));
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 3 4"));
    EXPECT_TRUE(ReadMouseUntil({3, 4, 0, 0}) == (Mouse{3, 4, 0, 0}) && SDL_GetRelativeMouseMode());

    input.Release();
    EXPECT_TRUE(!input.keyboard && !input.mouse && !input.directInput &&
                !SDL_GetRelativeMouseMode());
    input.Release(); // a second release finds nothing to do
    input.ReadKeyboard();
}

TEST(InputDevicesFatal, DevicesThatCannotBeMadeOrAcquiredEndTheProgramWithTheirMessage) {
    // Whether there is a display, whether Open comes first, then a keyboard
    // or a mouse made for no window.
    const std::tuple<bool, bool, bool, const char*> cases[] = {
        {true, false, true, "Unable to create keyboard!"},
        {true, false, false, "Unable to create mouse!"},
        {true, true, true, "Unable to acquire keyboard!"},
        {true, true, false, "Unable to acquire mouse!"},
        {false, true, true, "Unable to open Direct Input"}};
    for (const auto& [display, open, keyboard, text] : cases)
        EXPECT_EXIT(
            {
                SetMessageBoxSink([](const char*, const char*) {});
                if (!display) {
                    setenv("SDL_VIDEODRIVER", "x11", 1);
                    setenv("DISPLAY", ":nonexistent", 1);
                }
                InputDevices input;
                if (open)
                    input.Open(nullptr);
                keyboard ? input.CreateKeyboard(nullptr) : input.CreateMouse(nullptr);
                std::exit(0);
            },
            testing::ExitedWithCode(1), std::string("FATAL ERROR: ") + text + "\n");
}
