#include "model/ModelFiles.h"

#include "support/TestSupport.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {
void ExpectNear(const Vector4& v, float x, float y, float z, float tolerance = 1e-3f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_EQ(v.w, 1.0f);
}

// A vehicle loaded from the test tank in a scratch working directory, put at
// the origin with all angles 0.
class VehicleGeometry : public testing::Test {
  protected:
    void SetUp() override {
        WriteTestTank(dir.path().string());
        tank.Load();
        tank.SetPosition(0, 0, 0);
        tank.UpdateGeometry();
    }
    TempDir dir{true};
    Vehicle tank;
};
} // namespace

TEST_F(VehicleGeometry, LoadSetsPartsScaleAndGeometryButKeepsMotion) {
    Vehicle fresh;
    fresh.motion = Vector4(1, 2, 3);
    fresh.thrust = Vector4(4, 5, 6);
    fresh.fallSpeed = -7;
    fresh.body.rotation = Vector4(10, 20, 30);
    fresh.Load();
    EXPECT_EQ(fresh.loaded, 1);
    EXPECT_EQ(fresh.body.loaded, 1);
    EXPECT_EQ(fresh.turret.faceCount, 6);
    EXPECT_EQ(fresh.barrel.vertexCount, 24);
    ExpectNear(fresh.body.position, 5, 50, 5, 0);
    ExpectNear(fresh.turret.position, 0.32f, 0, 0.98f, 0);
    ExpectNear(fresh.barrel.position, 1.0f, 0, 0.22f, 0);
    for (const Model* part : {&fresh.body, &fresh.turret, &fresh.barrel})
        ExpectNear(part->rotation, 0, 0, 0, 0);
    ExpectNear(fresh.scale, 9, 9, 9, 0);
    ExpectNear(fresh.motion, 1, 2, 3, 0);
    ExpectNear(fresh.thrust, 4, 5, 6, 0);
    EXPECT_EQ(fresh.fallSpeed, -7);
    // Geometry is valid at once: the hull's top front corner at (5, 50, 5) scaled.
    ExpectNear(fresh.boxCorners[0], 9 * (5 + 2), 9 * (50 + 0.5f), 9 * (5 + 1));
    ExpectNear(fresh.muzzlePoint, 9 * (5 + 4.02f), 9 * 50, 9 * (5 + 1.2f));

    // Loading again replaces the models and keeps the speed.
    fresh.Load();
    EXPECT_EQ(fresh.body.faceCount, 6);
    ExpectNear(fresh.motion, 1, 2, 3, 0);
    fresh.Release();
    EXPECT_EQ(fresh.loaded, 0);
    EXPECT_EQ(fresh.body.loaded, 0);
    EXPECT_EQ(fresh.barrel.loaded, 0);
    fresh.Release();
    EXPECT_EQ(fresh.loaded, 0);
}

TEST_F(VehicleGeometry, BoxCornersAndWorldBox) {
    ExpectNear(tank.boxCorners[0], 18, 4.5f, 9);
    ExpectNear(tank.boxCorners[1], -9, 4.5f, 9);
    ExpectNear(tank.boxCorners[2], -9, -4.5f, 9);
    ExpectNear(tank.boxCorners[3], 18, -4.5f, 9);
    ExpectNear(tank.boxCorners[4], -9, 4.5f, 0);
    ExpectNear(tank.boxCorners[5], 18, 4.5f, 0);
    ExpectNear(tank.boxCorners[6], 18, -4.5f, 0);
    ExpectNear(tank.boxCorners[7], -9, -4.5f, 0);
    ExpectNear(tank.boxCentre, 4.5f, 0, 4.5f);
    ExpectNear(tank.boxSize, 27, 9, 9);

    // The scene's 270 degrees about x stand the hull up: model z becomes world y.
    tank.Rotate(270, 0, 0);
    tank.SetPosition(1, 2, 3);
    tank.UpdateGeometry();
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(tank.boxCorners[c].y, 27.0f, 1e-3f);
    for (int c = 4; c < 8; ++c)
        EXPECT_NEAR(tank.boxCorners[c].y, 18.0f, 1e-3f);
    ExpectNear(tank.boxCentre, 9 + 4.5f, 18 + 4.5f, 27);
    ExpectNear(tank.boxSize, 27, 9, 9);
    // The heading turns the hull about world y; corners 0 - 1 stay forward.
    tank.Steer(true);
    for (int i = 0; i < 89; ++i)
        tank.Steer(true);
    tank.UpdateGeometry();
    const Vector4 forward = tank.boxCorners[0] - tank.boxCorners[1];
    EXPECT_NEAR(forward.x, 0, 1e-3f);
    EXPECT_NEAR(forward.y, 0, 1e-3f);
    EXPECT_NEAR(std::fabs(forward.z), 27, 1e-3f);
}

TEST_F(VehicleGeometry, MuzzleAndShotVelocity) {
    ExpectNear(tank.muzzlePoint, 36.18f, 0, 10.8f);
    ExpectNear(tank.shotVelocity, 25, 0, 0);

    tank.turret.rotation.z = 90;
    tank.UpdateGeometry();
    ExpectNear(tank.muzzlePoint, 0, 36.18f, 10.8f);
    ExpectNear(tank.shotVelocity, 0, 25, 0);

    tank.turret.rotation.z = 0;
    tank.barrel.rotation.y = 30;
    tank.UpdateMuzzle(); // on its own, from the hull's current matrices
    ExpectNear(tank.muzzlePoint, 32.708f, 0, -6.116f);
    ExpectNear(tank.shotVelocity, 21.6506f, 0, -12.5f);

    // The turret's and barrel's other angles take no part.
    tank.turret.rotation.x = 45;
    tank.barrel.rotation.z = 45;
    tank.UpdateGeometry();
    ExpectNear(tank.muzzlePoint, 32.708f, 0, -6.116f);
}

TEST(VehicleHull, NoVerticesGivesTheStartBox) {
    Vehicle tank;
    tank.scale = Vector4(9, 9, 9);
    tank.SetPosition(1, 2, 3);
    tank.UpdateGeometry();
    ExpectNear(tank.boxCentre, 1, 2, 3, 0.01f);
    ExpectNear(tank.boxSize, 199998, 199998, 199998, 0.01f);
    ExpectNear(tank.boxCorners[0], -4500 + 9, -4500 + 18, -4500 + 27, 0.01f);
    ExpectNear(tank.boxCorners[7], 4500 + 9, 4500 + 18, 4500 + 27, 0.01f);
}

TEST_F(VehicleGeometry, SteerRotateAndAccelerate) {
    const float heading = tank.body.rotation.z;
    for (int i = 0; i < 400; ++i)
        tank.Steer(true);
    EXPECT_EQ(tank.body.rotation.z, heading + 400); // never wrapped
    tank.Steer(false);
    EXPECT_EQ(tank.body.rotation.z, heading + 399);
    tank.Rotate(270, 1, 2);
    ExpectNear(tank.body.rotation, 270, 1, heading + 401, 0);

    tank.body.rotation = Vector4(0, 0, 0);
    tank.UpdateGeometry();
    tank.thrust = Vector4(0.25f, -1, 2);
    const Vector4 position = tank.body.position;
    tank.Accelerate(true);
    ExpectNear(tank.thrust, 0.75f, -1, 2, 1e-6f);
    tank.Accelerate(false);
    ExpectNear(tank.thrust, 0.25f, -1, 2, 1e-6f);
    tank.Accelerate(false);
    ExpectNear(tank.thrust, -0.25f, -1, 2, 1e-6f);
    ExpectNear(tank.body.position, position.x, position.y, position.z, 0);
}

TEST(VehicleHull, FlatHullAddsNoThrust) {
    TempDir dir(true);
    std::filesystem::create_directories("models");
    ModelWriter flat;
    AddSquare(flat, "a/cobra_camo.bmp", 0, 0, 1);
    for (size_t i = 0; i < flat.frames[0].size(); i += 3)
        flat.frames[0][i] = 1; // every vertex at x = 1
    flat.Write("models/cobra_body.rozi");
    flat.Write("models/cobra_main_turret.rozi");
    flat.Write("models/cobra_main_barrel.rozi");
    Vehicle tank;
    tank.Load();
    tank.Accelerate(true);
    ExpectNear(tank.thrust, 0, 0, 0, 0);
    tank.Update(50);
    EXPECT_TRUE(std::isfinite(tank.body.position.x));
}

TEST_F(VehicleGeometry, DrawLeavesTheModelviewMatrixAsItFoundIt) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(30, 0, 1, 0);
    tank.turret.rotation.z = 40;
    tank.barrel.rotation.y = -10;
    tank.Rotate(270, 0, 0);
    GLfloat before[16], after[16];
    GLint depthBefore, depthAfter;
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    glMatrixMode(GL_PROJECTION); // Draw selects the modelview matrix itself
    tank.Draw();
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]) << i;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
