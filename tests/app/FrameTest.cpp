#include "app/Frame.h"
#include "app/GameSounds.h"
#include "app/WindowProc.h"
#include "effects/Shot.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "math/Matrix4.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"
#include "support/GameStart.h"
#include "support/TestSupport.h"
#include "support/counting/AllocationCounter.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

// The program started as WinMain starts it, minus the dialog: windowed, in a
// fresh copy of the default data, with an input object that has no devices so
// that the test writes the key state the frame reads.
class GameScene : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy(std::filesystem::path(ZEZIVOZE_BINARY_DIR) / "data", dir.path(),
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
        if (inputDevices != nullptr)
            WindowProc(glWindow.window, WM_CLOSE, 0, 0);
    }

    // One loop pass's drawing. The picture is read from the back buffer, so
    // the swap is left to the next frame.
    void Frame() {
        glWindow.SwapBuffers();
        RenderFrame();
    }

    // Runs the frames with the key held, then lets it go.
    void Hold(int scanCode, int frames) {
        inputDevices->keyState[scanCode] = 0x80;
        for (int i = 0; i < frames; ++i)
            Frame();
        inputDevices->keyState[scanCode] = 0;
    }

    TempDir dir{true};
};

namespace {
// The modelview matrix SetProjectionAndView builds from the camera: pitch,
// then yaw, then translation.
void ExpectModelviewFrom(Vector4 position, Vector4 angles) {
    SetProjectionAndView();
    Matrix4 expected = Matrix4::Rotation(angles.x, Vector4(1, 0, 0)) *
                       Matrix4::Rotation(angles.y, Vector4(0, 1, 0)) * Matrix4(position);
    float actual[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected.m[i], 2e-3) << "element " << i;
}

// The offset turned by the heading, away from the tank (nine units to a map step).
void ExpectChaseCamera(float heading) {
    Vector4 eye = Matrix4::Rotation(heading, Vector4(0, 1, 0)) * Vector4(55.6f, -24.0f, 0.0f);
    const Vector4& tank = firstTank.body.position;
    EXPECT_NEAR(appState.cameraPosition.x, eye.x - 9 * tank.x, 1e-3);
    EXPECT_NEAR(appState.cameraPosition.y, eye.y - 9 * tank.y, 1e-3);
    EXPECT_NEAR(appState.cameraPosition.z, eye.z - 9 * tank.z, 1e-3);
    EXPECT_NEAR(appState.cameraAngles.y, 89 - heading, 1e-4);
    EXPECT_EQ(appState.cameraAngles.x, 5.0f);
}

float Length(const Vector4& v) {
    return std::sqrt(Dot(v, v));
}
} // namespace

TEST_F(GameScene, FirstFrameLooksFromTheStartCameraThenTheChaseCameraFollows) {
    EXPECT_EQ(appState.elapsedMs, 50); // the first frame's step, not yet measured
    ExpectModelviewFrom(Vector4(24.3f, -388.2f, -44.3f), Vector4(5, 89, 0));
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-4); // 45 degrees
    EXPECT_NEAR(projection[0], projection[5] * 480.0 / 640.0, 1e-4);

    Frame();
    ExpectChaseCamera(firstTank.body.rotation.z);
    EXPECT_GE(appState.elapsedMs, 1);

    // Steering turns the camera with the hull; turretView adds the turret's angle.
    Hold(DIK_LEFT, 10);
    EXPECT_NE(firstTank.body.rotation.z, 0.0f);
    ExpectChaseCamera(firstTank.body.rotation.z);
    turretView = 1;
    firstTank.turret.rotation.z = 30;
    Frame();
    ExpectChaseCamera(firstTank.body.rotation.z + 30);
    ExpectModelviewFrom(appState.cameraPosition, appState.cameraAngles);
    turretView = 0;
}

TEST_F(GameScene, SecondTankAcceleratesInTheFirstFrameAndEveryOtherOne) {
    float previous = Length(secondTank.thrust);
    for (int frame = 1; frame <= 6; ++frame) {
        appState.elapsedMs = 50; // a steady step, so the damping is the same each time
        Frame();
        const float now = Length(secondTank.thrust);
        const bool accelerates = frame % 2 == 1;
        EXPECT_EQ(secondTankToggle, accelerates ? 1.0f : 0.0f) << "frame " << frame;
        EXPECT_TRUE(accelerates ? now > previous : now < previous) << "frame " << frame;
        previous = now;
    }
    EXPECT_NE(secondTank.body.rotation.z, 0.0f); // it turns a step in every frame
}

TEST_F(GameScene, HFlipsTheDetailWithoutTakingTextureSlotsAndQPutsTheTankBack) {
    Frame();
    const int32_t slots = textureManager.count;
    // Held, H flips the terrain's detail in every frame.
    for (int fine : {0, 1, 0}) {
        Hold(DIK_H, 1);
        EXPECT_EQ(appState.fineTerrain, fine);
    }
    EXPECT_EQ(textureManager.count, slots);
    EXPECT_EQ(landscape.loaded, 1);

    // Q puts the tank back and keeps its motion.
    firstTank.motion = Vector4(0.5f, 0, 0);
    Hold(DIK_Q, 1);
    EXPECT_NE(firstTank.body.position.x, 5.0f); // moved on by this frame's own step
    EXPECT_NEAR(firstTank.body.position.z, 5.0f, 0.5f);
    EXPECT_GT(Length(firstTank.motion), 0.0f);
}

// Sounds are placed as the frame's view shows the world: ahead in both ears, to
// one side louder in that ear, far off faint. With the engines and the servo
// running and a burst ringing, following a frame allocates nothing.
TEST_F(GameScene, SoundsArePlacedAsTheViewShowsThemAndFollowTheFrameWithoutAllocating) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    gameSounds.Start();
    ASSERT_TRUE(gameSounds.device.IsOpen()) << gameSounds.device.Error();
    Frame();
    SetProjectionAndView();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const Vector4 eye = Vector4() - appState.cameraPosition, right(m[0], m[4], m[8]),
                  ahead(-m[2], -m[6], -m[10]);
    // Direction and distance; the least and the most for the left, then the right ear.
    const std::tuple<Vector4, float, float, float, float, float> cases[] = {
        {ahead, 50, 0.95f, 1, 0.95f, 1},
        {right, 50, 0, 0.5f, 0.95f, 1},
        {right * -1, 50, 0.95f, 1, 0, 0.5f},
        {ahead, 1500, 0.05f, 0.2f, 0.05f, 0.2f},
        {ahead * -1, 1500, 0.05f, 0.2f, 0.05f, 0.2f},
    };
    for (const auto& [direction, distance, leftLo, leftHi, rightLo, rightHi] : cases) {
        const auto [left, right] = GameSounds::Place(
            eye - direction * -distance, appState.cameraPosition, appState.cameraAngles.y);
        EXPECT_TRUE(left >= leftLo && left <= leftHi && right >= rightLo && right <= rightHi)
            << distance << ": " << left << ", " << right;
    }

    firstTank.barrel.rotation.y = 25; // a shot down at the ground by the tank
    firstTank.UpdateGeometry();
    effectActive = 1;
    shot.Spawn(firstTank.muzzlePoint, firstTank.shotVelocity, 60);
    gameSounds.ShotSpawned();
    for (int i = 0; i < 100 && !shot.exploded; ++i)
        Frame();
    ASSERT_TRUE(shot.exploded);
    // The sound's own part of a frame: a whole frame may still grow the
    // vehicles' pools when a slow machine makes its steps long.
    const long before = AllocationCount();
    for (int i = 0; i < 30; ++i, firstTank.turret.rotation.z += 2)
        gameSounds.Update();
    EXPECT_EQ(AllocationCount(), before);
    gameSounds.Stop();
}

// Flat low ground, so that the top of the picture is sky for every height
// tried, and a plain white panel picture that shows exactly where it lands.
class PlainScene : public GameScene {
    void PrepareData() override {
        ASSERT_TRUE(
            WriteBinaryFile("textures/landscp.bmp",
                            EncodeHeightMapBmp(32, 32, std::vector<uint8_t>(32 * 32, 140))));
        ASSERT_TRUE(WriteBinaryFile(
            "textures/info.bmp", EncodeBmp24(128, 128, std::vector<uint8_t>(128 * 128 * 3, 255))));
    }
};

TEST_F(PlainScene, PanelCoversTheTopLeft128Pixels) {
    Frame();
    auto allWhite = [&](int x, int y, int width, int height) {
        std::vector<uint8_t> rgb = ReadBackBuffer(x, y, width, height);
        return std::count(rgb.begin(), rgb.end(), 255) == std::ssize(rgb);
    };
    EXPECT_TRUE(allWhite(0, 352, 128, 128));
    EXPECT_FALSE(allWhite(128, 352, 1, 128)); // the column right of it
    EXPECT_FALSE(allWhite(0, 351, 128, 1));   // the row below it
}

TEST_F(PlainScene, TintAppearsExactlyWhenTheEyeIsAbove512) {
    // The sky in the top-right corner is black, or carries the tint's colour
    // (0, 64, 128) at half strength added onto it.
    for (float height : {20.0f, 52.0f, 54.0f, 54.5f, 56.0f, 80.0f}) {
        firstTank.body.position.y = height;
        firstTank.motion = Vector4(0, 0, 0);
        firstTank.fallSpeed = 0;
        Frame();
        const bool tinted = -appState.cameraPosition.y > 512.0f;
        const std::vector<uint8_t> sky = ReadBackBuffer(639, 479, 1, 1);
        EXPECT_EQ(sky[0], 0) << height;
        EXPECT_NEAR(sky[1], tinted ? 32 : 0, tinted) << height;
        EXPECT_NEAR(sky[2], tinted ? 64 : 0, tinted) << height;
    }
    EXPECT_GT(-appState.cameraPosition.y, 512.0f); // the last one was tinted
}
