#include "GameScene.h"

#include "app/AppState.h"
#include "app/Frame.h"
#include "app/Globals.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "math/Matrix4.h"
#include "platform/InputDevices.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cmath>

namespace {
// The modelview matrix the frame builds from a camera: pitch, then yaw, then translation.
Matrix4 ViewFrom(const Vector4& position, const Vector4& angles) {
    return Matrix4::Rotation(angles.x, Vector4(1, 0, 0)) *
           Matrix4::Rotation(angles.y, Vector4(0, 1, 0)) * Matrix4(position);
}

void ExpectModelview(const Matrix4& expected) {
    float actual[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected.m[i], 2e-3) << "element " << i;
}

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
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}
} // namespace

TEST_F(GameScene, FirstFrameLooksFromTheStartCameraThenTheChaseCameraFollows) {
    EXPECT_FLOAT_EQ(appState.cameraPosition.x, 24.3f);
    EXPECT_FLOAT_EQ(appState.cameraPosition.y, -388.2f);
    EXPECT_FLOAT_EQ(appState.cameraPosition.z, -44.3f);
    EXPECT_EQ(appState.elapsedMs, 50); // the first frame's step, not yet measured
    SetProjectionAndView();
    ExpectModelview(ViewFrom(Vector4(24.3f, -388.2f, -44.3f), Vector4(5, 89, 0)));
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-4); // 45 degrees
    EXPECT_NEAR(projection[0], projection[5] * 480.0 / 640.0, 1e-4);

    Frame();
    ExpectChaseCamera(firstTank.body.rotation.z);
    EXPECT_GE(appState.elapsedMs, 1);

    // Steering turns the camera with the hull; turretView adds the turret's angle.
    HoldKey(DIK_LEFT, true);
    for (int i = 0; i < 10; ++i)
        Frame();
    HoldKey(DIK_LEFT, false);
    EXPECT_NE(firstTank.body.rotation.z, 0.0f);
    ExpectChaseCamera(firstTank.body.rotation.z);
    turretView = 1;
    firstTank.turret.rotation.z = 30;
    Frame();
    ExpectChaseCamera(firstTank.body.rotation.z + 30);
    const Vector4 position = appState.cameraPosition, angles = appState.cameraAngles;
    SetProjectionAndView();
    ExpectModelview(ViewFrom(position, angles));
    turretView = 0;
}

TEST_F(GameScene, SecondTankAcceleratesInTheFirstFrameAndEveryOtherOne) {
    float previous = Length(secondTank.thrust);
    for (int frame = 1; frame <= 6; ++frame) {
        appState.elapsedMs = 50; // a steady step, so the damping is the same each time
        Frame();
        const float now = Length(secondTank.thrust);
        if (frame % 2 == 1) {
            EXPECT_EQ(secondTankToggle, 1.0f);
            EXPECT_GT(now, previous) << "frame " << frame;
        } else {
            EXPECT_EQ(secondTankToggle, 0.0f);
            EXPECT_LT(now, previous) << "frame " << frame;
        }
        previous = now;
    }
    // It turns left one step in every frame.
    EXPECT_NE(secondTank.body.rotation.z, 0.0f);
}

TEST_F(GameScene, KeysDriveRebuildAndResetWithoutTakingTextureSlots) {
    for (int i = 0; i < 5; ++i)
        Frame();
    const int32_t slots = textureManager.count;

    HoldKey(DIK_R, true);
    for (int i = 0; i < 20; ++i)
        Frame();
    HoldKey(DIK_R, false);
    EXPECT_EQ(textureManager.count, slots);
    EXPECT_EQ(landscape.loaded, 1);

    EXPECT_EQ(appState.fineTerrain, 1);
    HoldKey(DIK_H, true);
    Frame();
    EXPECT_EQ(appState.fineTerrain, 0);
    Frame();
    EXPECT_EQ(appState.fineTerrain, 1);
    Frame();
    HoldKey(DIK_H, false);
    EXPECT_EQ(appState.fineTerrain, 0);
    EXPECT_EQ(textureManager.count, slots);
    EXPECT_EQ(Log().find("FATAL"), std::string::npos);

    // Q puts the tank back and keeps its motion.
    firstTank.motion = Vector4(0.5f, 0, 0);
    HoldKey(DIK_Q, true);
    Frame();
    HoldKey(DIK_Q, false);
    EXPECT_NE(firstTank.body.position.x, 5.0f); // moved on by this frame's own step
    EXPECT_NEAR(firstTank.body.position.z, 5.0f, 0.5f);
    EXPECT_GT(Length(firstTank.motion), 0.0f);

    // Escape posts a close for the loop and the frame still completes.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    HoldKey(DIK_ESCAPE, true);
    const uint32_t before = appState.lastTick;
    Frame();
    HoldKey(DIK_ESCAPE, false);
    EXPECT_GE(appState.lastTick, before);
    TakenMessage taken{};
    bool closeQueued = false;
    while (PeekWindowMessage(taken))
        closeQueued = closeQueued || taken.message == WM_CLOSE;
    EXPECT_TRUE(closeQueued);
}

// The panel's picture replaced by plain white shows exactly where it lands.
class WhitePanelScene : public GameScene {
    void PrepareData() override {
        ASSERT_TRUE(WriteBinaryFile(
            "textures/info.bmp", EncodeBmp24(128, 128, std::vector<uint8_t>(128 * 128 * 3, 255))));
    }
};

TEST_F(WhitePanelScene, PanelCoversTheTopLeft128Pixels) {
    Frame();
    std::vector<uint8_t> pixels = Pixels();
    auto white = [&](int x, int y) {
        const uint8_t* p = &pixels[(size_t(y) * 640 + x) * 3];
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    };
    int inside = 0, rightOfIt = 0, belowIt = 0;
    for (int i = 0; i < 128; ++i)
        for (int j = 352; j < 480; ++j)
            inside += white(i, j);
    for (int j = 352; j < 480; ++j)
        rightOfIt += white(128, j);
    for (int i = 0; i < 128; ++i)
        belowIt += white(i, 351);
    EXPECT_EQ(inside, 128 * 128);
    EXPECT_LT(rightOfIt, 128);
    EXPECT_LT(belowIt, 128);
}

// Flat low ground, so that the top of the picture is sky for every height tried.
class FlatGroundScene : public GameScene {
    void PrepareData() override {
        ASSERT_TRUE(
            WriteBinaryFile("textures/landscp.bmp",
                            EncodeHeightMapBmp(32, 32, std::vector<uint8_t>(32 * 32, 140))));
    }
};

TEST_F(FlatGroundScene, TintAppearsExactlyWhenTheEyeIsAbove512) {
    // The sky in the top-right corner is black, or carries the tint's colour
    // (0, 64, 128) at half strength added onto it.
    for (float height : {20.0f, 52.0f, 54.0f, 54.5f, 56.0f, 80.0f}) {
        firstTank.body.position.y = height;
        firstTank.motion = Vector4(0, 0, 0);
        firstTank.fallSpeed = 0;
        Frame();
        const float eye = -appState.cameraPosition.y;
        uint8_t sky[3];
        glReadBuffer(GL_BACK);
        glReadPixels(639, 479, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, sky);
        if (eye > 512.0f) {
            EXPECT_EQ(sky[0], 0) << height;
            EXPECT_NEAR(sky[1], 32, 1) << height;
            EXPECT_NEAR(sky[2], 64, 1) << height;
        } else {
            EXPECT_EQ(sky[0] + sky[1] + sky[2], 0) << height;
        }
    }
    EXPECT_GT(-appState.cameraPosition.y, 512.0f); // the last one was tinted
}
