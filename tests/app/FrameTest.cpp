#include "app/Frame.h"
#include "app/GameSounds.h"
#include "app/WindowProc.h"
#include "effects/Shot.h"
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
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

// The program started as WinMain does minus the dialog: windowed, on a fresh copy of the
// data with the small map, with no input devices, so the test writes the key state the frame
// reads.
class GameScene : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy(std::filesystem::path(ZEZIVOZE_BINARY_DIR) / "data32", dir.path(),
                              std::filesystem::copy_options::recursive);
        PrepareData();
        StartGameWithoutDialog();
        ASSERT_TRUE(glWindow.IsLive());
    }
    // Called with the data copied and the working directory set, before start-up.
    virtual void PrepareData() {}
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

// The second tank speeds up every other frame, starting with the first.
TEST_F(GameScene, CameraSecondTankKeysAndSoundsFollowTheFrames) {
    float previous = Dot(secondTank.thrust, secondTank.thrust); // squared, as below
    for (int frame = 1; frame <= 6; ++frame) {
        Frame(50); // a steady step, so the damping is the same each time
        const float now = Dot(secondTank.thrust, secondTank.thrust);
        EXPECT_TRUE(frame % 2 ? now > previous : now < previous) << "frame " << frame;
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
        EXPECT_TRUE(left >= leftLo && left <= leftHi && right >= rightLo && right <= rightHi)
            << distance << ": " << left << ", " << right;
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

TEST_F(PlainScene, PanelCoversTheTopLeft128PixelsTintShowsExactlyWhenTheEyeIsAbove512) {
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
    void Press(int button, int frames) { // held for the frames, then let go for one
        for (int i = 0; i <= frames; ++i) {
            Button(button, i < frames);
            Frame();
        }
    }

    SDL_Joystick* pad = nullptr;
};

TEST_F(ControllerScene, SticksAndButtonsDoWhatKeysAndMouseDoBackClosesPadsComeAndGo) {
    // Thrust along the hull after a frame of Up, the stick at y (forward is negative) or d-pad.
    auto thrustAhead = [&](bool key, float y, bool dpad) {
        firstTank.thrust = Vector4(0, 0, 0);
        inputDevices->keyState[DIK_UP] = key ? 0x80 : 0;
        Axis(SDL_CONTROLLER_AXIS_LEFTY, y);
        Button(SDL_CONTROLLER_BUTTON_DPAD_UP, dpad);
        Frame(50);
        Vector4 ahead = firstTank.boxCorners[0] - firstTank.boxCorners[1];
        return Dot(firstTank.thrust, ahead) / std::sqrt(Dot(ahead, ahead));
    };
    const float up = thrustAhead(true, 0, false);
    ASSERT_GT(up, 0.0f);
    const std::tuple<float, bool, float> drives[] = {
        {-1, false, up}, {0, true, up}, {0.8f, false, -up}, {-0.2f, false, 0}};
    for (const auto& [y, dpad, expected] : drives)
        EXPECT_NEAR(thrustAhead(false, y, dpad), expected, 0.2f * up) << y << dpad;
    const float heading = firstTank.body.rotation.z;
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -1);
    Frame();
    EXPECT_GT(firstTank.body.rotation.z, heading + 0.5f); // left, as the left arrow

    // The right stick turns and raises as the mouse (forward as motion away), outside a dead zone.
    auto aim = [&](float x, float y) {
        const float turret = firstTank.turret.rotation.z, gun = firstTank.barrel.rotation.y;
        Axis(SDL_CONTROLLER_AXIS_RIGHTX, x);
        Axis(SDL_CONTROLLER_AXIS_RIGHTY, y);
        Frame(20);
        return std::pair(firstTank.turret.rotation.z - turret, firstTank.barrel.rotation.y - gun);
    };
    const auto [turn, raise] = aim(1, -1);
    EXPECT_TRUE(turn < 0 && raise < 0) << turn << ", " << raise;
    EXPECT_EQ(aim(0.2f, 0.2f), std::pair(0.0f, 0.0f));

    // The trigger, then A, fire every frame as the left button; a trigger at rest does not.
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(effectActive, frame > 0);
        shot.origin = Vector4(0, -5000, 0);
        Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, frame < 2 ? 1 : -1);
        Button(SDL_CONTROLLER_BUTTON_A, frame >= 2);
        Frame(20); // the shot's first step, short and steady
        EXPECT_TRUE(Near(shot.origin, firstTank.muzzlePoint, 200)) << frame; // fired
    }

    // B or the right shoulder switches the camera once a press, held or tapped
    // between two frames; so does Y the detail. X puts the tank back.
    Press(SDL_CONTROLLER_BUTTON_B, 2);
    EXPECT_EQ(turretView, 1);
    for (bool down : {true, false})
        Button(SDL_CONTROLLER_BUTTON_B, down), SDL_JoystickUpdate();
    Frame();
    EXPECT_EQ(turretView, 0);
    Press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 2);
    EXPECT_EQ(turretView, 1);
    const unsigned char fine = appState.fineTerrain;
    Press(SDL_CONTROLLER_BUTTON_Y, 2);
    EXPECT_NE(appState.fineTerrain, fine);
    firstTank.body.position.z = 40;
    Press(SDL_CONTROLLER_BUTTON_X, 1);
    EXPECT_NEAR(firstTank.body.position.z, 5.0f, 0.5f);

    // Back posts the close that the loop takes after the frame.
    Press(SDL_CONTROLLER_BUTTON_BACK, 1);
    bool closed = false;
    for (TakenMessage taken; PeekWindowMessage(taken);)
        closed = closed || taken.message == WM_CLOSE;
    EXPECT_TRUE(closed);

    // Pulled out, it is let go; plugged in again, it is picked up (Plug checks).
    SDL_JoystickDetachVirtual(0);
    SDL_JoystickClose(pad);
    Frame();
    EXPECT_EQ(gameControllers.Count(), 0);
    Plug();
}
