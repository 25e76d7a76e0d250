#include "model/ModelFiles.h"

#include "support/TestSupport.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {
// Looks down -z at world x from -100 to 100 and y from -75 to 75.
class VehicleDraw : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        LoadTestTextures();
        WriteTestTank(dir.path().string());
        tank.Load();
    }

    void Frame() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-100, 100, -75, 75, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClearDepth(1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDisable(GL_TEXTURE_2D); // Draw turns it on
        tank.Draw();
    }

    void ExpectColour(float x, float y, uint8_t r, uint8_t g, uint8_t b) {
        ExpectPixel(gl, int((x + 100) * 3.2f), int((y + 75) * 3.2f), r, g, b);
    }

    GLTestContext gl;
    TempDir dir{true};
    Vehicle tank;
};
} // namespace

TEST_F(VehicleDraw, TankIsWhereItsPositionPutsItAndTextured) {
    // Hull x from -54 to -27 world units, turret on it around x = -42.1, the
    // barrel from x = -33.1 forward.
    tank.SetPosition(-5, 0, 0);
    Frame();
    ExpectColour(-50, -3.5f, 255, 0, 0); // hull, red camouflage
    ExpectColour(-30, -3.5f, 255, 0, 0);
    ExpectColour(-42, 0, 0, 0, 255); // turret top, blue
    ExpectColour(-15, 0, 0, 255, 0); // barrel, green
    ExpectColour(-60, 0, 0, 0, 0);   // behind the hull
    ExpectColour(-5, 0, 0, 0, 0);    // beyond the muzzle
    ExpectColour(-40, 10, 0, 0, 0);

    // The turret's traverse swings the barrel to +y about the turret's mount.
    tank.turret.rotation.z = 90;
    Frame();
    ExpectColour(-42.1f, 20, 0, 255, 0);
    ExpectColour(-15, 0, 0, 0, 0);

    // Elsewhere, all of it moves along.
    tank.turret.rotation.z = 0;
    tank.SetPosition(5, 0, 0);
    Frame();
    ExpectColour(-50, -3.5f, 0, 0, 0);
    ExpectColour(40, -3.5f, 255, 0, 0);
    ExpectColour(47.9f, 0, 0, 0, 255);
    ExpectColour(75, 0, 0, 255, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
