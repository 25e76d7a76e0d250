#include "platform/InputDevices.h"
#include "app/Globals.h"
#include "platform/ErrorLog.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// After gtest: the X headers that SDL_syswm.h pulls in define short macros.
#include <SDL.h>
#include <SDL_syswm.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

// These tests press keys and move the pointer on the X server itself, as a
// person would (xdotool sends them through the XTEST extension).

namespace {
bool Xdo(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

unsigned long XWindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

// Pumps events until the condition holds or two seconds have passed.
template <typename Condition> bool PumpUntil(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        SDL_PumpEvents();
        if (condition())
            return true;
        SDL_Delay(10);
    }
    return false;
}

bool Focused(SDL_Window* window) {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

int KeysDown(const InputDevices& input) {
    int down = 0;
    for (int code = 0; code < 256; ++code)
        down += input.KeyDown(code);
    return down;
}

// Real windows on the X server, one of them focused; the keyboard and pointer
// are the server's own, so tests that press keys take turns.
class InputDevicesTest : public testing::Test {
  protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        std::string lockName =
            std::string("/tmp/zezivoze-input-test") + (display != nullptr ? display : "") + ".lock";
        lockFile = open(lockName.c_str(), O_CREAT | O_RDWR, 0666);
        ASSERT_GE(lockFile, 0);
        ASSERT_EQ(flock(lockFile, LOCK_EX), 0);

        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
        window = SDL_CreateWindow("input test", 100, 100, 320, 240, SDL_WINDOW_SHOWN);
        other = SDL_CreateWindow("other window", 500, 100, 200, 150, SDL_WINDOW_SHOWN);
        ASSERT_NE(window, nullptr);
        ASSERT_NE(other, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN); }));
        Focus(window);
        ASSERT_TRUE(Focused(window));
    }

    void TearDown() override {
        // Nothing stays pressed for the next test.
        Xdo("keyup h Escape Up");
        Xdo("mouseup 1");
        Xdo("mouseup 3");
        input.Release();
        if (other != nullptr)
            SDL_DestroyWindow(other);
        if (window != nullptr)
            SDL_DestroyWindow(window);
        SDL_Quit();
        if (lockFile >= 0)
            close(lockFile);
    }

    // Pointer over the window, then the focus, as a person clicking on it
    // would give (there is no window manager to do it).
    void Focus(SDL_Window* target) {
        unsigned long id = XWindowOf(target);
        ASSERT_NE(id, 0u);
        ASSERT_TRUE(Xdo("mousemove --sync --window " + std::to_string(id) + " 50 50"));
        ASSERT_TRUE(Xdo("windowfocus --sync " + std::to_string(id)));
        ASSERT_TRUE(PumpUntil([&] { return Focused(target); }));
    }

    void OpenAll() {
        input.Open(nullptr);
        input.CreateKeyboard(window);
        input.CreateMouse(window);
    }

    int lockFile = -1;
    SDL_Window* window = nullptr;
    SDL_Window* other = nullptr;
    LogCapture log;
    InputDevices input;
};
} // namespace

TEST_F(InputDevicesTest, AHeldKeyIsSeenInEveryReadAndATapBetweenReadsNever) {
    OpenAll();
    ASSERT_NE(input.directInput, nullptr);
    ASSERT_NE(input.keyboard, nullptr);
    input.ReadKeyboard();
    EXPECT_EQ(KeysDown(input), 0);

    ASSERT_TRUE(Xdo("keydown h"));
    for (int frame = 0; frame < 3; ++frame) {
        input.ReadKeyboard();
        EXPECT_EQ(input.KeyDown(DIK_H), 1) << "frame " << frame;
        EXPECT_EQ(input.keyState[DIK_H], 0x80);
        EXPECT_EQ(KeysDown(input), 1);
    }
    ASSERT_TRUE(Xdo("keyup h"));
    input.ReadKeyboard();
    EXPECT_EQ(input.KeyDown(DIK_H), 0);

    // Pressed and released between two reads: neither read sees it.
    ASSERT_TRUE(Xdo("keydown Up keyup Up"));
    input.ReadKeyboard();
    EXPECT_EQ(input.KeyDown(DIK_UP), 0);
    input.ReadKeyboard();
    EXPECT_EQ(input.KeyDown(DIK_UP), 0);

    // Both ends of the range are valid; codes no key reports stay 0.
    EXPECT_EQ(input.KeyDown(0), 0);
    EXPECT_EQ(input.KeyDown(255), 0);

    // The keyboard is read whichever window has the focus.
    Focus(other);
    ASSERT_TRUE(Xdo("keydown Escape"));
    input.ReadKeyboard();
    EXPECT_EQ(input.KeyDown(DIK_ESCAPE), 1);
    ASSERT_TRUE(Xdo("keyup Escape"));
    input.ReadKeyboard();
    EXPECT_EQ(input.KeyDown(DIK_ESCAPE), 0);
}

TEST_F(InputDevicesTest, ScanCodesFromTheServerAgreeWithSdlsOwnKeyMapping) {
    OpenAll();
    struct Key {
        const char* keysym;
        uint8_t scanCode;
    };
    const Key keys[] = {
        {"Escape", DIK_ESCAPE},
        {"Up", DIK_UP},
        {"Down", DIK_DOWN},
        {"Left", DIK_LEFT},
        {"Right", DIK_RIGHT},
        {"h", DIK_H},
        {"r", DIK_R},
        {"q", DIK_Q},
        {"a", DIK_A},
        {"z", DIK_Z},
        {"1", DIK_1},
        {"0", DIK_0},
        {"space", DIK_SPACE},
        {"Return", DIK_RETURN},
        {"BackSpace", DIK_BACK},
        {"Tab", DIK_TAB},
        {"minus", DIK_MINUS},
        {"equal", DIK_EQUALS},
        {"bracketleft", DIK_LBRACKET},
        {"backslash", DIK_BACKSLASH},
        {"semicolon", DIK_SEMICOLON},
        {"apostrophe", DIK_APOSTROPHE},
        {"grave", DIK_GRAVE},
        {"comma", DIK_COMMA},
        {"period", DIK_PERIOD},
        {"slash", DIK_SLASH},
        {"Shift_L", DIK_LSHIFT},
        {"Shift_R", DIK_RSHIFT},
        {"Control_L", DIK_LCONTROL},
        {"Control_R", DIK_RCONTROL},
        {"Alt_L", DIK_LMENU},
        {"Super_L", DIK_LWIN},
        {"Menu", DIK_APPS},
        {"F1", DIK_F1},
        {"F10", DIK_F10},
        {"F11", DIK_F11},
        {"F12", DIK_F12},
        {"Home", DIK_HOME},
        {"End", DIK_END},
        {"Prior", DIK_PRIOR},
        {"Next", DIK_NEXT},
        {"Insert", DIK_INSERT},
        {"Delete", DIK_DELETE},
        {"Print", DIK_SYSRQ},
        {"Pause", DIK_PAUSE},
        {"KP_Enter", DIK_NUMPADENTER},
        {"KP_Divide", DIK_DIVIDE},
        {"KP_Multiply", DIK_MULTIPLY},
        {"KP_Subtract", DIK_SUBTRACT},
        {"KP_Add", DIK_ADD},
    };
    int sdlCount = 0;
    const Uint8* sdlState = SDL_GetKeyboardState(&sdlCount);
    for (const Key& key : keys) {
        SCOPED_TRACE(key.keysym);
        ASSERT_TRUE(Focused(window));
        ASSERT_TRUE(Xdo(std::string("keydown ") + key.keysym));
        // SDL learns of the key through its focused window.
        EXPECT_TRUE(PumpUntil([&] {
            for (int i = 0; i < sdlCount; ++i)
                if (sdlState[i] != 0)
                    return true;
            return false;
        }));
        input.ReadKeyboard();
        EXPECT_EQ(input.KeyDown(key.scanCode), 1);
        // xdotool holds the left modifier with a right one, so compare all keys.
        unsigned char fromSdl[256];
        KeyStateFromSdl(sdlState, sdlCount, fromSdl);
        EXPECT_EQ(std::memcmp(fromSdl, input.keyState, 256), 0);
        ASSERT_TRUE(Xdo(std::string("keyup ") + key.keysym));
        EXPECT_TRUE(PumpUntil([&] {
            for (int i = 0; i < sdlCount; ++i)
                if (sdlState[i] != 0)
                    return false;
            return true;
        }));
    }
}

TEST(InputDevicesTable, EverySdlScancodeMapsToTheKeyOfThatPosition) {
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_ESCAPE), DIK_ESCAPE);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_W), DIK_W);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_KP_PERIOD), DIK_DECIMAL);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_RALT), DIK_RMENU);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_RGUI), DIK_RWIN);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_NONUSBACKSLASH), DIK_OEM_102);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(ScanCodeFromSdlScancode(-1), 0);
    EXPECT_EQ(ScanCodeFromSdlScancode(SDL_NUM_SCANCODES), 0);

    // Every key of a full-size keyboard has its own code, and no two keys share one.
    int mapped = 0;
    bool seen[256] = {};
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_KP_PERIOD; ++scancode) {
        uint8_t code = ScanCodeFromSdlScancode(scancode);
        if (scancode == SDL_SCANCODE_NONUSHASH)
            continue; // shares the backslash position
        EXPECT_NE(code, 0) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        EXPECT_FALSE(seen[code]) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        seen[code] = true;
        ++mapped;
    }
    for (int scancode = SDL_SCANCODE_LCTRL; scancode <= SDL_SCANCODE_RGUI; ++scancode) {
        uint8_t code = ScanCodeFromSdlScancode(scancode);
        EXPECT_NE(code, 0);
        EXPECT_FALSE(seen[code]);
        seen[code] = true;
    }
    EXPECT_EQ(mapped, SDL_SCANCODE_KP_PERIOD - SDL_SCANCODE_A);

    // The state array from SDL becomes the scan-code state.
    Uint8 sdlState[SDL_NUM_SCANCODES] = {};
    sdlState[SDL_SCANCODE_UP] = 1;
    sdlState[SDL_SCANCODE_H] = 1;
    unsigned char keyState[256];
    std::memset(keyState, 0x55, sizeof keyState);
    KeyStateFromSdl(sdlState, SDL_NUM_SCANCODES, keyState);
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(keyState[code], code == DIK_UP || code == DIK_H ? 0x80 : 0) << code;
}

TEST_F(InputDevicesTest, MouseMotionIsSinceTheLastReadAndTheFirstTwoButtonsAreSeen) {
    OpenAll();
    ASSERT_NE(input.mouse, nullptr);
    input.ReadMouse();

    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 12 7"));
    // Relative motion reaches SDL as events; give them a moment.
    SDL_Delay(50);
    input.ReadMouse();
    EXPECT_EQ(input.mouseDeltaX, 12);
    EXPECT_EQ(input.mouseDeltaY, 7);
    EXPECT_EQ(input.mouseState.x, 12);
    EXPECT_EQ(input.mouseState.y, 7);
    input.ReadMouse();
    EXPECT_EQ(input.mouseDeltaX, 0); // not accumulated across reads
    EXPECT_EQ(input.mouseDeltaY, 0);
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- -5 -9"));
    SDL_Delay(50);
    input.ReadMouse();
    EXPECT_EQ(input.mouseDeltaX, -5);
    EXPECT_EQ(input.mouseDeltaY, -9);
    EXPECT_EQ(input.leftButton, 0);
    EXPECT_EQ(input.rightButton, 0);

    ASSERT_TRUE(Xdo("mousedown 1"));
    SDL_Delay(50);
    for (int frame = 0; frame < 2; ++frame) {
        input.ReadMouse();
        EXPECT_EQ(input.leftButton, 1) << "frame " << frame;
        EXPECT_EQ(input.rightButton, 0);
        EXPECT_EQ(input.mouseState.buttons[0], 0x80);
    }
    ASSERT_TRUE(Xdo("mousedown 3")); // the right button is SDL's third
    SDL_Delay(50);
    input.ReadMouse();
    EXPECT_EQ(input.leftButton, 1);
    EXPECT_EQ(input.rightButton, 1);
    ASSERT_TRUE(Xdo("mouseup 1"));
    ASSERT_TRUE(Xdo("mouseup 3"));
    SDL_Delay(50);
    input.ReadMouse();
    EXPECT_EQ(input.leftButton, 0);
    EXPECT_EQ(input.rightButton, 0);
}

TEST_F(InputDevicesTest, AMouseLostToAnotherWindowReportsNothingUntilItsWindowIsBack) {
    OpenAll();
    input.ReadMouse();
    Focus(other);
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 20 20"));
    ASSERT_TRUE(Xdo("mousedown 1"));
    SDL_Delay(50);
    for (int frame = 0; frame < 2; ++frame) {
        input.ReadMouse();
        EXPECT_EQ(input.mouseDeltaX, 0);
        EXPECT_EQ(input.mouseDeltaY, 0);
        EXPECT_EQ(input.leftButton, 0);
        EXPECT_EQ(input.rightButton, 0);
    }
    ASSERT_TRUE(Xdo("mouseup 1"));

    // Back in front: captured again; the read that finds it back reports nothing.
    Focus(window);
    input.ReadMouse();
    EXPECT_EQ(input.mouseDeltaX, 0);
    EXPECT_EQ(input.mouseDeltaY, 0);
    ASSERT_TRUE(Xdo("mousemove_relative --sync -- 3 4"));
    SDL_Delay(50);
    input.ReadMouse();
    EXPECT_EQ(input.mouseDeltaX, 3);
    EXPECT_EQ(input.mouseDeltaY, 4);
    EXPECT_TRUE(SDL_GetRelativeMouseMode());

    input.Release();
    EXPECT_EQ(input.keyboard, nullptr);
    EXPECT_EQ(input.mouse, nullptr);
    EXPECT_EQ(input.directInput, nullptr);
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
    input.Release(); // a second release finds nothing to do
    input.ReadKeyboard();
}

namespace {
// Runs the statement in a child that must end with the fatal text in its log.
void ExpectFatal(void (*statement)(InputDevices&), const char* text) {
    LogCapture log;
    std::string path = log.path();
    EXPECT_EXIT(
        {
            SetMessageBoxSink([](const char*, const char*) {});
            InputDevices input;
            statement(input);
            std::exit(0);
        },
        testing::ExitedWithCode(1), "");
    std::string contents = ReadFileText(path);
    EXPECT_NE(contents.find(std::string("FATAL ERROR: ") + text), std::string::npos) << contents;
}
} // namespace

TEST(InputDevicesFatal, DevicesThatCannotBeMadeOrAcquiredEndTheProgramWithTheirMessage) {
    ExpectFatal([](InputDevices& input) { input.CreateKeyboard(nullptr); },
                "Unable to create keyboard!\n");
    ExpectFatal([](InputDevices& input) { input.CreateMouse(nullptr); },
                "Unable to create mouse!\n");
    ExpectFatal(
        [](InputDevices& input) {
            input.Open(nullptr);
            input.CreateKeyboard(nullptr);
        },
        "Unable to acquire keyboard!\n");
    ExpectFatal(
        [](InputDevices& input) {
            input.Open(nullptr);
            input.CreateMouse(nullptr);
        },
        "Unable to acquire mouse!\n");
    // Without a display there is nothing to open.
    ExpectFatal(
        [](InputDevices& input) {
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv("DISPLAY", ":nonexistent", 1);
            input.Open(nullptr);
        },
        "Unable to open Direct Input\n");
}
