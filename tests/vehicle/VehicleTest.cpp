#include "model/ModelFiles.h"

#include "state/AppState.h"
#include "support/counting/AllocationCounter.h"
#include "terrain/TerrainTestSupport.h"
#include "vehicle/Vehicle.h"
#include "vehicle/VehicleTestSupport.h"

#include <GL/gl.h>
#include <array>

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

// The parts' places and angles, the scale and the motion, in one list.
std::vector<float> State(const Vehicle& v) {
    std::vector<float> all;
    for (const Vector4* p :
         {&v.body.position, &v.turret.position, &v.barrel.position, &v.body.rotation,
          &v.turret.rotation, &v.barrel.rotation, &v.scale, &v.motion, &v.thrust})
        all.insert(all.end(), {p->x, p->y, p->z});
    all.push_back(v.fallSpeed);
    return all;
}

// The test tank loaded from a scratch working directory, at the origin with
// all angles 0; Stand() gives a tank the scene's pose on flat ground.
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
        vehicle.UpdateGeometry();
    }
    TempDir dir{true};
    Vehicle tank;
};
} // namespace

TEST_F(VehicleTest, LoadSetsPartsScaleAndGeometryButKeepsMotion) {
    Vehicle().Release(); // never loaded: nothing to free
    tank.motion = Vector4(1, 2, 3);
    tank.thrust = Vector4(4, 5, 6);
    tank.fallSpeed = -7;
    tank.body.rotation = Vector4(10, 20, 30);
    for (int load = 0; load < 2; ++load) { // loading again replaces the models
        tank.Load();
        EXPECT_EQ(tank.loaded + tank.body.loaded + tank.barrel.loaded, 3);
        EXPECT_EQ(State(tank),
                  (std::vector<float>{5, 50, 5, 0.32f, 0, 0.98f, 1, 0, 0.22f, 0, 0, 0, 0, 0,
                                      0, 0,  0, 0,     9, 9,     9, 1, 2,     3, 4, 5, 6, -7}));
        // Geometry is valid at once: the hull's top front corner at (5, 50, 5) scaled.
        EXPECT_TRUE(Near(tank.boxCorners[0], Vector4(9 * 7, 9 * 50.5f, 9 * 6)));
        EXPECT_TRUE(Near(tank.muzzlePoint, Vector4(9 * 9.02f, 9 * 50, 9 * 6.2f)));
    }
    tank.Release();
    tank.Release();
    EXPECT_EQ(tank.loaded + tank.body.loaded + tank.barrel.loaded, 0);
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
}

TEST_F(VehicleTest, SteerRotateAccelerateAndSettle) {
    for (int i = 0; i < 400; ++i)
        tank.Steer(true);
    EXPECT_EQ(tank.body.rotation.z, 400); // never wrapped
    tank.Steer(false);
    tank.Rotate(270, 1, 2);
    EXPECT_TRUE(Near(tank.body.rotation, Vector4(270, 1, 401), 0));

    tank.body.rotation = Vector4(0, 0, 0);
    tank.UpdateGeometry();
    tank.thrust = Vector4(0.25f, -1, 2);
    for (float x : {0.75f, 0.25f, -0.25f}) { // forward, then backward twice
        tank.Accelerate(x > 0.5f);
        EXPECT_TRUE(Near(tank.thrust, Vector4(x, -1, 2), 1e-6f));
    }
    EXPECT_TRUE(Near(tank.body.position, Vector4(0, 0, 0), 0)); // only the thrust changes

    // A hull with every vertex at one x has no forward direction: no thrust.
    for (int i = 0; i < tank.body.vertexCount; ++i)
        tank.body.frames[0][3 * i] = 1;
    tank.UpdateGeometry();
    tank.thrust = Vector4(0, 0, 0);
    tank.Accelerate(true);
    EXPECT_TRUE(Near(tank.thrust, Vector4(0, 0, 0), 0));
    tank.Update(50);
    EXPECT_TRUE(std::isfinite(tank.body.position.x));

    // A held accelerator settles at 50 ms and at 20 ms frames.
    tank.Load();
    tank.Rotate(270, 0, 0);
    // Frame length, then the settled thrust, speed and advance per frame.
    for (const auto& c : {std::array{50.0f, 5.0f, 55.0f, 50.0f},
                          std::array{20.0f, 0.2857143f, 0.4489796f, 0.4081633f}}) {
        tank.thrust = tank.motion = Vector4(0, 0, 0);
        tank.SetPosition(0, 0, 0);
        float before = 0;
        for (int step = 0; step < 400; ++step) {
            tank.Accelerate(true);
            before = tank.body.position.x;
            tank.Update(c[0]);
        }
        EXPECT_NEAR(tank.thrust.x, c[1], 1e-4f * c[1]) << c[0];
        EXPECT_NEAR(tank.motion.x, c[2], 1e-4f * c[2]) << c[0];
        EXPECT_NEAR(tank.body.position.x - before, c[3], 2e-3f * c[3]) << c[0];
        EXPECT_NEAR(tank.thrust.z, 0, 1e-4f) << c[0]; // heading 0 drives along world x
    }
}

TEST_F(VehicleTest, ContactReachIsFortyWorldUnitsAndTheLastTriangleDecides) {
    const Vector4 zero(0, 0, 0);
    auto only = [&](int corner) {
        tank.EmptyGroundTriangles();
        for (Vector4& c : tank.boxCorners)
            c = Vector4(1000, 1000, 1000);
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
        EXPECT_EQ(State(tank), State(reference)) << ms; // NaN would differ from itself
    }
}

TEST_F(VehicleTest, OnTheGroundContactDampsTheMotionAndReusesItsNodes) {
    Vehicle fresh;
    for (Vehicle* v : {&tank, &fresh})
        Stand(*v);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(tank.FindGround());
    fresh.FindGround();
    const std::vector<float> triangles = Triangles(tank);
    ASSERT_GT(triangles.size(), 0u);
    EXPECT_EQ(triangles, Triangles(fresh)); // the same list as a vehicle that never searched

    tank.motion = Vector4(0.01f, 0, 0.005f);
    const long allocations = AllocationCount();
    for (int step = 0; step < 100; ++step) {
        const Vector4 motion = tank.motion;
        tank.Update(50);
        EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f); // contact zeroed the fall before gravity's step
        EXPECT_NEAR(tank.motion.x, motion.x / 1.1f, 1e-7f);
        EXPECT_NEAR(tank.motion.z, motion.z / 1.1f, 1e-7f);
        // Rested at 3 world units above the ground, then moved by this step.
        EXPECT_NEAR(tank.body.position.y, 93.0f / 9 + tank.motion.y, 1e-4f);
    }
    EXPECT_EQ(AllocationCount(), allocations); // a step on the ground allocates nothing
    EXPECT_EQ(Triangles(tank).size(), triangles.size());

    // Far above every leaf there is no contact: the tank falls.
    tank.SetPosition(80, 40, 80);
    tank.fallSpeed = 0;
    for (float fall : {-0.01f, -0.02f, -0.045f}) {
        tank.Update(fall < -0.03f ? 20 : 50);
        EXPECT_EQ(CountTriangles(tank), 0);
        EXPECT_FLOAT_EQ(tank.fallSpeed, fall);
    }
}

// Looks down -z at world x from -100 to 100 and y from -75 to 75; the
// modelview matrix holds a shift in depth alone, which Draw must leave as it is.
TEST_F(VehicleTest, DrawsTheTankWhereItsPositionPutsItTexturedAndRestoresTheMatrix) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    LoadTestTextures();
    tank.Load();
    glMatrixMode(GL_PROJECTION);
    glOrtho(-100, 100, -75, 75, -1000, 1000);
    glEnable(GL_DEPTH_TEST);
    auto frame = [&](float x, float turret) {
        tank.SetPosition(x, 0, 0);
        tank.turret.rotation.z = turret;
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, 5);
        std::vector<GLfloat> before(16), after(16);
        glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);    // Draw turns it on
        glMatrixMode(GL_PROJECTION); // and selects the modelview matrix itself
        tank.Draw();
        GLint mode, depth;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
        EXPECT_EQ(mode, GL_MODELVIEW);
        EXPECT_EQ(depth, 1);
        EXPECT_EQ(before, after);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    };
    auto expectColour = [&](float x, float y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t rgb[3];
        gl.ReadPixel(int((x + 100) * 3.2f), int((y + 75) * 3.2f), rgb);
        EXPECT_EQ(std::vector<int>(rgb, rgb + 3), (std::vector<int>{r, g, b})) << x << ", " << y;
    };
    // Hull x from -54 to -27 world units, turret on it around x = -42.1, the
    // barrel from x = -33.1 forward.
    frame(-5, 0);
    expectColour(-50, -3.5f, 255, 0, 0); // hull, red camouflage
    expectColour(-30, -3.5f, 255, 0, 0);
    expectColour(-42, 0, 0, 0, 255);     // turret top, blue
    expectColour(-15, 0, 255, 255, 255); // barrel, its picture unknown: plain white
    expectColour(-60, 0, 0, 0, 0);       // behind the hull
    expectColour(-5, 0, 0, 0, 0);        // beyond the muzzle
    expectColour(-40, 10, 0, 0, 0);
    // The turret's traverse swings the barrel to +y about the turret's mount.
    frame(-5, 90);
    expectColour(-42.1f, 20, 255, 255, 255);
    expectColour(-15, 0, 0, 0, 0);
}
