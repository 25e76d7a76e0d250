#include "model/ModelFiles.h"

#include "app/AppState.h"
#include "support/counting/AllocationCounter.h"
#include "terrain/Landscape.h"
#include "terrain/TerrainTestSupport.h"
#include "vehicle/Vehicle.h"
#include "vehicle/VehicleTestSupport.h"

#include <GL/gl.h>

namespace {
// Every corner of every triangle in the ground list, x, y, z and w, in order.
std::vector<float> Triangles(const Vehicle& vehicle) {
    std::vector<float> all;
    for (const GroundTriangle* node = vehicle.groundTriangles; node->next != nullptr;
         node = node->next)
        for (const Vector4* p : {&node->p0, &node->p1, &node->p2})
            all.insert(all.end(), {p->x, p->y, p->z, p->w});
    return all;
}

bool Finite(const Vehicle& v) {
    for (float value : {v.body.position.x, v.body.position.y, v.body.position.z, v.motion.x,
                        v.motion.y, v.motion.z, v.thrust.x, v.thrust.z, v.fallSpeed})
        if (!std::isfinite(value))
            return false;
    return true;
}

// The test tank loaded from a scratch working directory, at the origin with
// all angles 0; Stand() gives it the scene's pose and the global terrain.
class VehicleTest : public testing::Test {
  protected:
    void SetUp() override {
        appState.gravity = Vector4(0, -0.01f, 0);
        appState.fineTerrain = 1; // so that a centroid is always in reach of a bottom corner
        WriteTestTank(dir.path().string());
        tank.Load();
        tank.SetPosition(0, 0, 0);
        tank.UpdateGeometry();
    }
    void TearDown() override { landscape.Unload(); }
    void Stand(Vehicle& vehicle) {
        if (landscape.loaded != 1)
            FillHeightMap(
                landscape, 16, 16, [](int32_t, int32_t) { return uint8_t(90); }, true);
        vehicle.Load();
        vehicle.Rotate(270, 0, 0);
        vehicle.SetPosition(80, 93.0f / 9, 80); // resting 3 world units above the ground
    }
    TempDir dir{true};
    Vehicle tank;
};
} // namespace

TEST(GroundTriangleList, StartsEmptyAndKeepsArrivalOrder) {
    Vehicle vehicle;
    EXPECT_EQ(vehicle.loaded, 0);
    EXPECT_EQ(vehicle.groundTriangles->next, nullptr);
    EXPECT_TRUE(Triangles(vehicle).empty());
    std::vector<float> expected;
    for (int i = 0; i < 5; ++i) {
        Vector4 a(float(i), 1, 2), b(3, float(i), 4), c(5, 6, float(i));
        a.w = 0.5f; // copied as given, all four components
        vehicle.AddGroundTriangle(a, b, c);
        expected.insert(expected.end(),
                        {float(i), 1, 2, 0.5f, 3, float(i), 4, 1, 5, 6, float(i), 1});
    }
    EXPECT_EQ(Triangles(vehicle), expected);
    EXPECT_EQ(CountTriangles(vehicle), 5);
    vehicle.Release(); // never loaded: nothing to free
    EXPECT_EQ(vehicle.body.loaded, 0);
}

TEST_F(VehicleTest, LoadSetsPartsScaleAndGeometryButKeepsMotion) {
    Vehicle fresh;
    fresh.motion = Vector4(1, 2, 3);
    fresh.thrust = Vector4(4, 5, 6);
    fresh.fallSpeed = -7;
    fresh.body.rotation = Vector4(10, 20, 30);
    for (int load = 0; load < 2; ++load) { // loading again replaces the models
        fresh.Load();
        EXPECT_EQ(fresh.loaded, 1);
        EXPECT_EQ(fresh.body.faceCount, 6);
        EXPECT_EQ(fresh.barrel.vertexCount, 24);
        EXPECT_TRUE(Near(fresh.body.position, Vector4(5, 50, 5), 0));
        EXPECT_TRUE(Near(fresh.turret.position, Vector4(0.32f, 0, 0.98f), 0));
        EXPECT_TRUE(Near(fresh.barrel.position, Vector4(1.0f, 0, 0.22f), 0));
        for (const Model* part : {&fresh.body, &fresh.turret, &fresh.barrel})
            EXPECT_TRUE(Near(part->rotation, Vector4(0, 0, 0), 0));
        EXPECT_TRUE(Near(fresh.scale, Vector4(9, 9, 9), 0));
        EXPECT_TRUE(Near(fresh.motion, Vector4(1, 2, 3), 0));
        EXPECT_TRUE(Near(fresh.thrust, Vector4(4, 5, 6), 0));
        EXPECT_EQ(fresh.fallSpeed, -7);
        // Geometry is valid at once: the hull's top front corner at (5, 50, 5) scaled.
        EXPECT_TRUE(Near(fresh.boxCorners[0], Vector4(9 * 7, 9 * 50.5f, 9 * 6)));
        EXPECT_TRUE(Near(fresh.muzzlePoint, Vector4(9 * 9.02f, 9 * 50, 9 * 6.2f)));
    }
    fresh.Release();
    EXPECT_EQ(fresh.loaded + fresh.body.loaded + fresh.barrel.loaded, 0);
    fresh.Release();
}

TEST_F(VehicleTest, BoxCornersWorldBoxAndMuzzle) {
    const float corners[8][3] = {{18, 4.5f, 9}, {-9, 4.5f, 9}, {-9, -4.5f, 9}, {18, -4.5f, 9},
                                 {-9, 4.5f, 0}, {18, 4.5f, 0}, {18, -4.5f, 0}, {-9, -4.5f, 0}};
    for (int c = 0; c < 8; ++c)
        EXPECT_TRUE(Near(tank.boxCorners[c], Vector4(corners[c][0], corners[c][1], corners[c][2])))
            << c;
    EXPECT_TRUE(Near(tank.boxCentre, Vector4(4.5f, 0, 4.5f)));
    EXPECT_TRUE(Near(tank.boxSize, Vector4(27, 9, 9)));

    // Muzzle and shot velocity at angles 0, turret 90, barrel 30; the turret's
    // and barrel's other angles take no part.
    const struct {
        float turretZ, barrelY, turretX, barrelZ;
        Vector4 muzzle, velocity;
    } aims[] = {{0, 0, 0, 0, {36.18f, 0, 10.8f}, {25, 0, 0}},
                {90, 0, 0, 0, {0, 36.18f, 10.8f}, {0, 25, 0}},
                {0, 30, 0, 0, {32.708f, 0, -6.116f}, {21.6506f, 0, -12.5f}},
                {0, 30, 45, 45, {32.708f, 0, -6.116f}, {21.6506f, 0, -12.5f}}};
    for (const auto& aim : aims) {
        tank.turret.rotation = Vector4(aim.turretX, 0, aim.turretZ);
        tank.barrel.rotation = Vector4(0, aim.barrelY, aim.barrelZ);
        tank.UpdateMuzzle(); // on its own, from the hull's current matrices
        EXPECT_TRUE(Near(tank.muzzlePoint, aim.muzzle)) << aim.turretZ << " " << aim.barrelY;
        EXPECT_TRUE(Near(tank.shotVelocity, aim.velocity)) << aim.turretZ << " " << aim.barrelY;
    }

    // The scene's 270 degrees about x stand the hull up: model z becomes world y.
    tank.Rotate(270, 0, 0);
    tank.SetPosition(1, 2, 3);
    tank.UpdateGeometry();
    for (int c = 0; c < 8; ++c)
        EXPECT_NEAR(tank.boxCorners[c].y, c < 4 ? 27.0f : 18.0f, 1e-3f) << c;
    EXPECT_TRUE(Near(tank.boxCentre, Vector4(13.5f, 22.5f, 27)));
    EXPECT_TRUE(Near(tank.boxSize, Vector4(27, 9, 9)));
    // The heading turns the hull about world y; corners 0 - 1 stay forward.
    for (int i = 0; i < 90; ++i)
        tank.Steer(true);
    tank.UpdateGeometry();
    const Vector4 forward = tank.boxCorners[0] - tank.boxCorners[1];
    EXPECT_TRUE(Near(forward, Vector4(0, 0, std::copysign(27.0f, forward.z))));

    // Without vertices the box is the start box around the position.
    Vehicle empty;
    empty.scale = Vector4(9, 9, 9);
    empty.SetPosition(1, 2, 3);
    empty.UpdateGeometry();
    EXPECT_TRUE(Near(empty.boxCentre, Vector4(1, 2, 3), 0.01f));
    EXPECT_TRUE(Near(empty.boxSize, Vector4(199998, 199998, 199998), 0.01f));
    EXPECT_TRUE(Near(empty.boxCorners[7], Vector4(4509, 4518, 4527), 0.01f));
}

TEST_F(VehicleTest, SteerRotateAndAccelerate) {
    for (int i = 0; i < 400; ++i)
        tank.Steer(true);
    EXPECT_EQ(tank.body.rotation.z, 400); // never wrapped
    tank.Steer(false);
    EXPECT_EQ(tank.body.rotation.z, 399);
    tank.Rotate(270, 1, 2);
    EXPECT_TRUE(Near(tank.body.rotation, Vector4(270, 1, 401), 0));

    tank.body.rotation = Vector4(0, 0, 0);
    tank.UpdateGeometry();
    tank.thrust = Vector4(0.25f, -1, 2);
    for (float x : {0.75f, 0.25f, -0.25f}) {
        tank.Accelerate(x > 0.5f);
        EXPECT_TRUE(Near(tank.thrust, Vector4(x, -1, 2), 1e-6f));
    }
    EXPECT_TRUE(Near(tank.body.position, Vector4(0, 0, 0), 0)); // only the thrust changes

    // A hull with every vertex at one x has no forward direction: no thrust.
    ModelWriter flat;
    AddSquare(flat, "a/cobra_camo.bmp", 0, 0, 1);
    for (size_t i = 0; i < flat.frames[0].size(); i += 3)
        flat.frames[0][i] = 1;
    flat.Write("models/cobra_body.rozi");
    Vehicle flatTank;
    flatTank.Load();
    flatTank.Accelerate(true);
    EXPECT_TRUE(Near(flatTank.thrust, Vector4(0, 0, 0), 0));
    flatTank.Update(50);
    EXPECT_TRUE(Finite(flatTank));
}

TEST_F(VehicleTest, HeldAcceleratorSettlesAt50And20Ms) {
    tank.Rotate(270, 0, 0);
    const struct {
        float ms, thrust, motion, advance;
    } cases[] = {{50, 5, 55, 50}, {20, 0.2857143f, 0.4489796f, 0.4081633f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        tank.thrust = tank.motion = Vector4(0, 0, 0);
        tank.SetPosition(0, 0, 0);
        float before = 0;
        for (int step = 0; step < 400; ++step) {
            tank.Accelerate(true);
            before = tank.body.position.x;
            tank.Update(c.ms);
        }
        EXPECT_NEAR(tank.thrust.x, c.thrust, 1e-4f * c.thrust);
        EXPECT_NEAR(tank.motion.x, c.motion, 1e-4f * c.motion);
        EXPECT_NEAR(tank.body.position.x - before, c.advance, 2e-3f * c.advance);
        EXPECT_NEAR(tank.thrust.z, 0, 1e-4f); // heading 0 drives along world x
    }
}

TEST_F(VehicleTest, ContactDampsTheMotionAndHoldsTheHullOnTheGround) {
    Stand(tank);
    tank.motion = Vector4(1, 0, 0.5f);
    for (int step = 0; step < 10; ++step) {
        const Vector4 motion = tank.motion;
        tank.Update(50);
        EXPECT_GT(CountTriangles(tank), 0);
        EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f); // contact zeroed the fall before gravity's step
        EXPECT_NEAR(tank.motion.x, motion.x / 1.1f, 1e-6f);
        EXPECT_NEAR(tank.motion.z, motion.z / 1.1f, 1e-6f);
        // Rested at 3 world units above the ground, then moved by this step.
        EXPECT_NEAR(tank.body.position.y, 93.0f / 9 + tank.motion.y, 1e-4f);
    }
    const float x = tank.motion.x;
    tank.Update(20); // without thrust the 20 ms divisor is 2.75
    EXPECT_NEAR(tank.motion.x, x / 2.75f, 1e-6f);

    // Far above every leaf there is no contact: the tank falls.
    tank.SetPosition(80, 40, 80);
    tank.fallSpeed = 0;
    for (float fall : {-0.01f, -0.02f}) {
        tank.Update(50);
        EXPECT_EQ(CountTriangles(tank), 0);
        EXPECT_FLOAT_EQ(tank.fallSpeed, fall);
    }
    tank.Update(20);
    EXPECT_FLOAT_EQ(tank.fallSpeed, -0.045f);
}

TEST_F(VehicleTest, ContactReachIsFortyWorldUnitsAndTheLastTriangleDecides) {
    const Vector4 zero(0, 0, 0), far(1000, 1000, 1000);
    auto only = [&](int corner) {
        tank.EmptyGroundTriangles();
        for (Vector4& c : tank.boxCorners)
            c = far;
        tank.boxCorners[corner] = zero;
    };
    only(6);
    tank.AddGroundTriangle(Vector4(120, 0, 0), zero, zero); // centroid exactly 40 away
    EXPECT_TRUE(tank.RestOnGroundTriangles());
    EXPECT_FLOAT_EQ(tank.body.position.y, 3 * 0.11111111f);
    only(6);
    tank.AddGroundTriangle(Vector4(120.00002f, 0, 0), zero, zero); // just beyond it
    tank.body.position.y = 7;
    EXPECT_FALSE(tank.RestOnGroundTriangles());
    EXPECT_EQ(tank.body.position.y, 7);
    only(0); // top corners do not count
    tank.AddGroundTriangle(zero, zero, zero);
    EXPECT_FALSE(tank.RestOnGroundTriangles());

    // Two triangles in reach of different corners: the later one in the list
    // sets the height, whichever is nearer.
    only(4);
    tank.boxCorners[7] = Vector4(500, 0, 0);
    tank.AddGroundTriangle(Vector4(0, 3, 0), Vector4(0, 3, 0), Vector4(0, 3, 0));
    tank.AddGroundTriangle(Vector4(500, 30, 0), Vector4(500, 30, 0), Vector4(500, 60, 0));
    tank.AddGroundTriangle(Vector4(2000, 99, 0), zero, zero); // out of reach
    EXPECT_TRUE(tank.RestOnGroundTriangles());
    EXPECT_FLOAT_EQ(tank.body.position.y, (40 + 3) * 0.11111111f);
}

TEST_F(VehicleTest, FallThroughCatchSamplesAtVehicleUnits) {
    // High ground only in the map's first two columns: at vehicle x = 80 the
    // catch samples u = 0.05 (column 0.76), while the tank stands at world
    // x = 720, over column 7, where the ground is 0.
    FillHeightMap(
        landscape, 16, 16, [](int32_t, int32_t column) { return uint8_t(column < 2 ? 200 : 0); },
        true);
    tank.Rotate(270, 0, 0);
    const float h = 200 * 0.11111111f;
    tank.SetPosition(80, -30, 80);
    tank.fallSpeed = -0.5f;
    tank.motion = Vector4(0, -0.3f, 0);
    tank.Update(50);
    EXPECT_EQ(CountTriangles(tank), 0);
    EXPECT_NEAR(tank.body.position.y, h + 2.5f, 1e-4f);
    EXPECT_EQ(tank.fallSpeed, 0);
    EXPECT_LT(tank.motion.y, 0); // the catch leaves the motion alone

    // At h - 45 or above the catch leaves the tank where it is.
    tank.SetPosition(80, h - 44.9f, 80);
    tank.motion = Vector4(0, 0, 0);
    tank.Update(50);
    EXPECT_LT(tank.body.position.y, h - 44.9f);
    EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f);
}

TEST_F(VehicleTest, LongAndZeroFramesStayFinite) {
    Vehicle reference;
    auto start = [&](Vehicle& v) {
        Stand(v);
        v.motion = Vector4(2, 0.5f, -1);
        v.thrust = Vector4(0.5f, 0, 0.25f);
        v.fallSpeed = -0.2f;
    };
    // A 200 ms frame moves the tank as one 50 ms step; a 0 ms frame as 1 ms.
    for (auto [ms, as] : {std::pair{200.0f, 50.0f}, {0.0f, 1.0f}, {-5.0f, 1.0f}}) {
        start(tank);
        start(reference);
        tank.Update(ms);
        reference.Update(as);
        EXPECT_TRUE(Finite(tank)) << ms;
        EXPECT_TRUE(Near(tank.body.position, reference.body.position, 0)) << ms;
        EXPECT_TRUE(Near(tank.motion, reference.motion, 0)) << ms;
        EXPECT_EQ(tank.fallSpeed, reference.fallSpeed) << ms;
    }
    // Held for many frames, neither ever blows up.
    for (float ms : {200.0f, 0.0f}) {
        start(tank);
        for (int i = 0; i < 500; ++i) {
            tank.Accelerate(true);
            tank.Steer(true);
            tank.Update(ms);
        }
        EXPECT_TRUE(Finite(tank)) << ms;
        EXPECT_LT(std::fabs(tank.motion.x), 100.0f) << ms;
    }
}

TEST_F(VehicleTest, FindGroundReusesItsNodesInASteadyState) {
    Vehicle fresh;
    for (Vehicle* v : {&tank, &fresh}) {
        Stand(*v);
        v->UpdateGeometry();
    }
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(tank.FindGround());
    fresh.FindGround();
    const std::vector<float> triangles = Triangles(tank);
    ASSERT_GT(triangles.size(), 0u);
    EXPECT_EQ(triangles, Triangles(fresh)); // the same list as a vehicle that never searched

    // Standing still on the ground, a step allocates nothing.
    for (int i = 0; i < 5; ++i)
        tank.Update(50);
    const long before = AllocationCount();
    for (int i = 0; i < 100; ++i)
        tank.Update(50);
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(Triangles(tank).size(), triangles.size());
}

namespace {
// Looks down -z at world x from -100 to 100 and y from -75 to 75.
class VehicleDraw : public VehicleTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        LoadTestTextures();
        VehicleTest::SetUp();
    }
    void Frame() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-100, 100, -75, 75, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D); // Draw turns it on
        tank.Draw();
    }
    void ExpectColour(float x, float y, uint8_t r, uint8_t g, uint8_t b) {
        ExpectPixel(gl, int((x + 100) * 3.2f), int((y + 75) * 3.2f), r, g, b);
    }
    GLTestContext gl;
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

TEST_F(VehicleDraw, DrawLeavesTheModelviewMatrixAsItFoundIt) {
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    glRotatef(30, 0, 1, 0);
    tank.turret.rotation.z = 40;
    tank.barrel.rotation.y = -10;
    tank.Rotate(270, 0, 0);
    std::vector<GLfloat> before(16), after(16);
    GLint depthBefore, depthAfter, mode;
    glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    glMatrixMode(GL_PROJECTION); // Draw selects the modelview matrix itself
    tank.Draw();
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter);
    EXPECT_EQ(before, after);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
