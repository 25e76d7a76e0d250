#include "app/Frame.h"
#include "app/GameSounds.h"
#include "app/PlayerCommands.h"
#include "app/WindowProc.h"
#include "image/BmpWriter.h"
#include "math/Matrix4.h"
#include "platform/GLWindow.h"
#include "platform/GameControllers.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"
#include "support/GameStart.h"
#include "support/TestSupport.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

// The program started as WinMain does minus the dialog: windowed, on a fresh copy of the data with
// the small map, with no input devices, so the test writes the key state the frame reads.
class GameScene : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy(std::filesystem::path(ZEZIVOZE_BINARY_DIR) / "data32", dir.path(),
                              std::filesystem::copy_options::recursive);
        PrepareData();
        StartGameWithoutDialog();
        ASSERT_TRUE(glWindow.IsLive());
    }
    virtual void PrepareData() {} // data copied, working directory set, before start-up
    void TearDown() override {
        ResetTextureTable(0); // the next start-up makes a new one
        landscape.Unload();
        firstTank.Release();
        secondTank.Release();
        WindowProc(glWindow.window, WM_CLOSE, 0, 0);
    }

    // A loop pass at a steady step, swapping first so that its picture stays in the back buffer.
    void Frame(int32_t stepMs = 50) {
        glWindow.SwapBuffers();
        appState.elapsedMs = stepMs;
        RenderFrame();
    }

    TempDir dir{true};
    MessageBoxRecorder boxes; // a fatal error ends the test at once instead of waiting on a box
};

// The second tank speeds up every other frame, starting with the first; the chase camera follows
// hull and turret; Q puts the tank back; sounds are placed as the frame's view shows the world.
TEST_F(GameScene, FramesMoveTanksCameraAndSounds) {
    float previous = Dot(secondTank.thrust, secondTank.thrust); // squared, as below
    for (int frame = 1; frame <= 6; ++frame) {
        Frame(50); // a steady step, so the damping is the same each time
        const float now = Dot(secondTank.thrust, secondTank.thrust);
        EXPECT_EQ(now > previous, frame % 2 == 1) << "frame " << frame;
        previous = now;
    }
    EXPECT_NE(secondTank.body.rotation.z, 0.0f); // it turns a step in every frame

    // Turret view: the eye's offset from the tank turned by hull and turret; 9 units a map step.
    firstTank.body.rotation.z = 20;
    turretView = 1;
    firstTank.turret.rotation.z = 30;
    Frame();
    const float heading = firstTank.body.rotation.z + 30;
    const Vector4 eye = Matrix4::Rotation(heading, Vector4(0, 1, 0)) * Vector4(55.6f, -24.0f, 0);
    EXPECT_TRUE(Near(appState.cameraPosition, eye - firstTank.body.position * 9, 1e-3f));
    EXPECT_EQ(appState.cameraAngles.x, 5.0f);
    EXPECT_NEAR(appState.cameraAngles.y, 89 - heading, 1e-4);
    turretView = 0;
    firstTank.motion = Vector4(0.5f, 0, 0); // kept when Q puts the tank back
    inputDevices->keyState[DIK_Q] = 0x80;
    Frame();
    inputDevices->keyState[DIK_Q] = 0;
    EXPECT_NEAR(firstTank.body.position.z, 5.0f, 0.5f);
    EXPECT_GT(Dot(firstTank.motion, firstTank.motion), 0.0f);

    // Sounds are placed as the frame's view shows the world (rows: ahead, aside, far off).
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ZEZIVOZE_MUTE", "0", 1); // "0" is no
    gameSounds.Start();
    ASSERT_TRUE(gameSounds.device.IsOpen()) << gameSounds.device.Error();
    SetProjectionAndView();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const Vector4 viewer = Vector4() - appState.cameraPosition, right(m[0], m[4], m[8]),
                  ahead(-m[2], -m[6], -m[10]);
    // Direction and distance; the least and the most for the left, then the right ear.
    const std::tuple<Vector4, float, float, float, float, float> cases[] = {
        {ahead, 90, 0.95f, 1, 0.95f, 1}, // heard at full level up to 100
        {right, 50, 0, 0.5f, 0.95f, 1},
        {ahead * -1, 1500, 0.05f, 0.2f, 0.05f, 0.2f},
    };
    for (const auto& [direction, distance, leftLo, leftHi, rightLo, rightHi] : cases) {
        const auto [left, right] = GameSounds::Place(
            viewer - direction * -distance, appState.cameraPosition, appState.cameraAngles.y);
        EXPECT_EQ(std::tuple(std::clamp(left, leftLo, leftHi), std::clamp(right, rightLo, rightHi)),
                  std::tuple(left, right))
            << distance;
    }

    gameSounds.Stop();
}

// Low flat ground leaves sky at the top at every height; a white panel shows exactly its place.
class PlainScene : public GameScene {
    void PrepareData() override {
        ASSERT_TRUE(WriteBinaryFile("textures/landscp.bmp",
                                    EncodeHeightMapBmp(32, 32, std::vector<uint8_t>(32 * 32, 60))));
        ASSERT_TRUE(WriteBinaryFile(
            "textures/info.bmp", EncodeBmp24(128, 128, std::vector<uint8_t>(128 * 128 * 3, 255))));
    }
};

// The panel covers the top left 128 pixels; the tint shows exactly when the eye is above 512.
TEST_F(PlainScene, PanelAndTint) {
    Frame();
    auto allWhite = [&](int x, int y, int width, int height) {
        std::vector<uint8_t> rgb = ReadBackBuffer(x, y, width, height);
        return std::count(rgb.begin(), rgb.end(), 255) == std::ssize(rgb);
    };
    EXPECT_TRUE(allWhite(0, 352, 128, 128));
    EXPECT_FALSE(allWhite(128, 352, 1, 128)); // the column right of it
    EXPECT_FALSE(allWhite(0, 351, 128, 1));   // the row below it

    // The top-right sky is black, or has the tint (0, 64, 128) added at half strength. A 1 ms
    // frame barely moves the tank: the eye stands at 506, then 517.
    for (const auto& [height, tinted] : {std::pair(76.3f, false), std::pair(77.5f, true)}) {
        firstTank.body.position.y = height;
        firstTank.motion = Vector4(0, 0, 0);
        firstTank.fallSpeed = 0;
        Frame(1);
        const std::vector<uint8_t> sky = ReadBackBuffer(639, 479, 1, 1);
        EXPECT_EQ(-appState.cameraPosition.y > 512.0f, tinted) << height;
        EXPECT_EQ(sky[0], 0) << height;
        EXPECT_NEAR(sky[1], tinted ? 32 : 0, tinted) << height;
        EXPECT_NEAR(sky[2], tinted ? 64 : 0, tinted) << height;
    }
}

// SDL's virtual joystick with SDL's controller buttons and axes in their order,
// which SDL maps as a game controller, plugged in while the game runs.
class ControllerScene : public GameScene {
  protected:
    void SetUp() override {
        GameScene::SetUp();
        ASSERT_TRUE(gameControllers.Open());
        effectActive = turretView = 0; // the frame's switches outlive other tests' games
        Plug();
    }
    void TearDown() override {
        SDL_JoystickDetachVirtual(0); // the only joystick
        SDL_JoystickClose(pad);
        gameControllers.Close();
        GameScene::TearDown();
    }
    void Plug() {
        const int index =
            SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1, 0);
        ASSERT_NE(pad = SDL_JoystickOpen(index), nullptr) << SDL_GetError();
        Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -1); // a trigger rests at the axis's minimum
        Frame();
        ASSERT_EQ(gameControllers.Count(), 1);
    }
    void Axis(int axis, float at) { SDL_JoystickSetVirtualAxis(pad, axis, Sint16(at * 32767)); }
    void Button(int button, bool down) { SDL_JoystickSetVirtualButton(pad, button, down); }

    SDL_Joystick* pad = nullptr;
};

auto Fields(const PlayerCommands& c) { // as a tuple, which prints what differs
    return std::tuple(c.quit, c.forward, c.backward, c.steerLeft, c.steerRight, c.switchTerrain,
                      c.rebuild, c.resetTank, c.turretTurn, c.gunTurn, c.fire, c.switchCamera);
}

// Each control, alone then held, asks as its key or mouse action (a switch once per press, even a
// tap between reads); merged with keys' once; the frame drives by the stick; pads come and go.
TEST_F(ControllerScene, AsksAsKeysAndMouse) {
    const float turn = 0.12f * 20; // full deflection over a 20 ms frame
    constexpr int kButton = 100;   // controls from here on are buttons
    const struct {
        int control;
        float at;
        PlayerCommands asked;
    } rows[] = {
        {SDL_CONTROLLER_AXIS_LEFTY, -1, {.forward = true}},
        {SDL_CONTROLLER_AXIS_LEFTY, 0.8f, {.backward = true}},
        {SDL_CONTROLLER_AXIS_LEFTY, -0.2f, {}}, // within the dead zone
        {SDL_CONTROLLER_AXIS_LEFTX, -1, {.steerLeft = true}},
        {SDL_CONTROLLER_AXIS_RIGHTX, 1, {.turretTurn = turn}},
        {SDL_CONTROLLER_AXIS_RIGHTY, -1, {.gunTurn = -turn}},
        {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1, {.fire = true}},
        {kButton + SDL_CONTROLLER_BUTTON_DPAD_UP, 1, {.forward = true}},
        {kButton + SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1, {.steerRight = true}},
        {kButton + SDL_CONTROLLER_BUTTON_A, 1, {.fire = true}},
        {kButton + SDL_CONTROLLER_BUTTON_B, 1, {.switchCamera = true}},
        {kButton + SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1, {.switchCamera = true}},
        {kButton + SDL_CONTROLLER_BUTTON_Y, 1, {.switchTerrain = true}},
        {kButton + SDL_CONTROLLER_BUTTON_X, 1, {.resetTank = true}},
        {kButton + SDL_CONTROLLER_BUTTON_BACK, 1, {.quit = true}},
    };
    for (const auto& [control, at, asked] : rows) {
        const float rest = control == SDL_CONTROLLER_AXIS_TRIGGERRIGHT ? -1 : 0;
        control < kButton ? Axis(control, at) : Button(control - kButton, true);
        PlayerCommands held = asked;
        held.switchCamera = held.switchTerrain = false;
        EXPECT_EQ(Fields(ReadControllers(gameControllers, 20)), Fields(asked)) << control << at;
        EXPECT_EQ(Fields(ReadControllers(gameControllers, 20)), Fields(held)) << control << at;
        control < kButton ? Axis(control, rest) : Button(control - kButton, false);
        ReadControllers(gameControllers, 20);
    }
    for (bool down : {true, false})
        Button(SDL_CONTROLLER_BUTTON_B, down), SDL_JoystickUpdate();
    EXPECT_TRUE(ReadControllers(gameControllers, 20).switchCamera);

    // Merged, what either asks for is asked once; the turns add up.
    const PlayerCommands keys{.switchTerrain = true, .turretTurn = 3},
        stick{.forward = true, .switchTerrain = true, .turretTurn = 0.5f};
    PlayerCommands both = stick;
    both.turretTurn = 3.5f;
    EXPECT_EQ(Fields(Merge(keys, stick)), Fields(both));

    Axis(SDL_CONTROLLER_AXIS_LEFTY, -1); // stick forward: thrust along the hull after a frame
    Frame(50);
    EXPECT_GT(Dot(firstTank.thrust, firstTank.boxCorners[0] - firstTank.boxCorners[1]), 0.0f);

    SDL_JoystickDetachVirtual(0); // pulled out: let go; plugged in again: picked up (Plug checks)
    SDL_JoystickClose(pad);
    Frame();
    EXPECT_EQ(gameControllers.Count(), 0);
    Plug();
}

// H and the right button in the same frame as the pad's Y and B switch the detail and the camera
// once each, and not again while held: two frames, so a switch made twice would undo itself.
TEST_F(ControllerScene, SwitchesActOnce) {
    ASSERT_TRUE(FocusWindow(glWindow.window)); // the game's own devices, on its window in front
    inputDevices->Open(nullptr);
    inputDevices->CreateKeyboard(glWindow.window);
    inputDevices->CreateMouse(glWindow.window);
    const unsigned char fine = appState.fineTerrain;
    ASSERT_TRUE(Xdo("keydown h mousedown 3"));
    Button(SDL_CONTROLLER_BUTTON_Y, true);
    Button(SDL_CONTROLLER_BUTTON_B, true);
    auto rightDown = [] { // in SDL's hands before the frame, so that all four come in one
        SDL_PumpEvents();
        return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_RMASK) != 0;
    };
    for (Uint32 start = SDL_GetTicks(); !rightDown() && SDL_GetTicks() - start < 10000;)
        SDL_Delay(10);
    Frame();
    Frame();
    Xdo("keyup h mouseup 3");
    EXPECT_EQ(std::tuple(appState.fineTerrain != fine, int(turretView)), std::tuple(true, 1));
}
