#include "model/ModelFiles.h"

#include "state/AppState.h"
#include "support/counting/AllocationCounter.h"
#include "terrain/TerrainTestSupport.h"
#include "vehicle/Vehicle.h"

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

std::vector<float> State(const Vehicle& v) { // parts' places and angles, scale, motion
    std::vector<float> all;
    for (const Vector4* p :
         {&v.body.position, &v.turret.position, &v.barrel.position, &v.body.rotation,
          &v.turret.rotation, &v.barrel.rotation, &v.scale, &v.motion, &v.thrust})
        all.insert(all.end(), {p->x, p->y, p->z});
    all.push_back(v.fallSpeed);
    return all;
}

void Move(Vehicle& v) {
    v.motion = Vector4(2, 0.5f, -1), v.thrust = Vector4(0.5f, 0, 0.25f), v.fallSpeed = -0.2f;
}

// The test tank from a scratch working directory, at the origin, angles 0; Stand() gives a tank
// the scene's pose on flat ground (high ground far off, in the map's first two columns).
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
    Vehicle& Stand(Vehicle& vehicle) {
        if (landscape.loaded != 1)
            FillHeightMap(
                landscape, 32, 32,
                [](int32_t, int32_t column) { return uint8_t(column < 2 ? 200 : 90); }, true);
        vehicle.Load();
        vehicle.Rotate(270, 0, 0);
        vehicle.SetPosition(80, 93.0f / 9, 80); // resting 3 world units above the ground
        vehicle.UpdateGeometry();
        return vehicle;
    }
    TempDir dir{true};
    Vehicle tank;
};
} // namespace

// Load sets the parts, the scale, the box and the muzzle, but keeps the motion.
TEST_F(VehicleTest, LoadKeepsMotion) {
    Move(tank);
    tank.body.rotation = Vector4(10, 20, 30);
    // The hull's box around its place (5, 50, 5) scaled 9 times.
    const Vector4 corners[8] = {{63, 454.5f, 54}, {36, 454.5f, 54}, {36, 445.5f, 54},
                                {63, 445.5f, 54}, {36, 454.5f, 45}, {63, 454.5f, 45},
                                {63, 445.5f, 45}, {36, 445.5f, 45}};
    for (int load = 0; load < 2; ++load) { // loading again replaces the models
        tank.Load();
        EXPECT_EQ(tank.loaded + tank.body.loaded + tank.barrel.loaded, 3);
        EXPECT_EQ(State(tank),
                  (std::vector<float>{5, 50, 5,    0.32f, 0,    0.98f, 1,     0,    0.22f, 0,
                                      0, 0,  0,    0,     0,    0,     0,     0,    9,     9,
                                      9, 2,  0.5f, -1,    0.5f, 0,     0.25f, -0.2f}));
        for (int c = 0; c < 8; ++c) // geometry is valid at once
            EXPECT_TRUE(Near(tank.boxCorners[c], corners[c])) << c;
        EXPECT_TRUE(Near(tank.boxCentre, {49.5f, 450, 49.5f}));
        EXPECT_TRUE(Near(tank.boxSize, {27, 9, 9}));
    }
    for (auto [turret, barrel, muzzle, velocity] :
         {std::tuple{0.0f, 0.0f, Vector4(81.18f, 450, 55.8f), Vector4(25, 0, 0)},
          {90.0f, 0.0f, Vector4(45, 486.18f, 55.8f), Vector4(0, 25, 0)},
          {0.0f, 30.0f, Vector4(77.708f, 450, 38.884f), Vector4(21.6506f, 0, -12.5f)}}) {
        tank.turret.rotation.z = turret;
        tank.barrel.rotation.y = barrel;
        tank.UpdateMuzzle(); // on its own, from the hull's current matrices
        EXPECT_TRUE(Near(tank.muzzlePoint, muzzle)) << turret << " " << barrel;
        EXPECT_TRUE(Near(tank.shotVelocity, velocity)) << turret << " " << barrel;
    }
    tank.Release(); // the destructor releases again
    EXPECT_EQ(tank.loaded + tank.body.loaded + tank.barrel.loaded, 0);
}

// Accelerates both ways and settles as the frame implies.
TEST_F(VehicleTest, Accelerate) {
    tank.thrust = Vector4(0.25f, -1, 2);
    for (float x : {0.75f, 0.25f, -0.25f}) { // forward, then backward twice
        tank.Accelerate(x > 0.5f);
        EXPECT_TRUE(Near(tank.thrust, Vector4(x, -1, 2), 1e-6f));
    }
    // A held accelerator at 20 ms frames: thrust, speed and advance settle as the frame implies.
    tank.Rotate(270, 0, 0);
    tank.thrust = tank.motion = Vector4(0, 0, 0);
    float before = 0;
    for (int step = 0; step < 400; ++step) {
        tank.Accelerate(true);
        before = tank.body.position.x;
        tank.Update(20);
    }
    const Vector4 settled(tank.thrust.x / 0.2857143f, tank.motion.x / 0.4489796f,
                          (tank.body.position.x - before) / 0.4081633f);
    EXPECT_TRUE(Near(settled, Vector4(1, 1, 1), 2e-3f));
    // A hull with every vertex at one x has no forward direction: no thrust.
    for (int i = 0; i < tank.body.vertexCount; ++i)
        tank.body.frames[0][3 * i] = 1;
    tank.UpdateGeometry();
    tank.thrust = Vector4(0, 0, 0);
    tank.Accelerate(true);
    EXPECT_TRUE(Near(tank.thrust, Vector4(0, 0, 0), 0)); // not NaN
}

// Contacts reach forty world units; the last triangle in reach decides.
TEST_F(VehicleTest, ContactReach) {
    const Vector4 o(0, 0, 0);
    // Rests on the triangles given with only the given box corners near.
    auto rest = [&](std::vector<std::pair<int, Vector4>> corners,
                    std::vector<std::array<Vector4, 3>> ground) {
        tank.EmptyGroundTriangles();
        for (Vector4& c : tank.boxCorners)
            c = Vector4(1000, 1000, 1000);
        for (auto [c, at] : corners)
            tank.boxCorners[c] = at;
        for (const auto& t : ground)
            tank.AddGroundTriangle(t[0], t[1], t[2]);
        tank.body.position.y = 7;
        return tank.RestOnGroundTriangles();
    };
    EXPECT_TRUE(rest({{6, o}}, {{Vector4(120, 0, 0), o, o}})); // centroid exactly 40 away
    EXPECT_FLOAT_EQ(tank.body.position.y, 3 * 0.11111111f);
    EXPECT_FALSE(rest({{6, o}}, {{Vector4(120.00002f, 0, 0), o, o}})); // just beyond it
    EXPECT_EQ(tank.body.position.y, 7);
    EXPECT_FALSE(rest({{0, o}}, {{o, o, o}})); // top corners do not count
    // The later of two triangles in reach sets the height, nearer or not; the third is too far.
    const Vector4 a(0, 3, 0), b(500, 30, 0), c(500, 60, 0), d(2000, 99, 0);
    EXPECT_TRUE(rest({{4, o}, {7, Vector4(500, 0, 0)}}, {{a, a, a}, {b, b, c}, {d, o, o}}));
    EXPECT_FLOAT_EQ(tank.body.position.y, (40 + 3) * 0.11111111f);
}

// On the ground: damping, node reuse, long frames; above it a fall, below it the catch.
TEST_F(VehicleTest, GroundAndFall) {
    Vehicle reference, fresh;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Stand(tank).FindGround());
    ASSERT_TRUE(Stand(fresh).FindGround());
    ASSERT_GT(Triangles(tank).size(), 0u);
    EXPECT_EQ(Triangles(tank), Triangles(fresh)); // the same list as a vehicle that never searched

    tank.motion = Vector4(0.01f, 0, 0.005f);
    const long allocations = AllocationCount();
    for (int step = 0; step < 100; ++step) {
        const Vector4 motion = tank.motion;
        tank.Update(50);
        EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f); // contact zeroed the fall before gravity's step
        EXPECT_TRUE(Near(tank.motion, {motion.x / 1.1f, tank.motion.y, motion.z / 1.1f}, 1e-7f));
        // Rested at 3 world units above the ground, then moved by this step.
        EXPECT_NEAR(tank.body.position.y, 93.0f / 9 + tank.motion.y, 1e-4f);
    }
    EXPECT_EQ(AllocationCount(), allocations); // a step on the ground allocates nothing
    tank.SetPosition(80, 40, 80);              // far above every leaf: no contact, the tank falls
    tank.fallSpeed = 0;
    for (float fall : {-0.01f, -0.02f, -0.045f}) {
        tank.Update(fall < -0.03f ? 20 : 50);
        EXPECT_TRUE(Triangles(tank).empty());
        EXPECT_FLOAT_EQ(tank.fallSpeed, fall);
    }
    // Deep below, the catch puts it on the ground under it, motion untouched: at world
    // x = 720 (column 7.2), not at the vehicle units' x = 80 (column 0.76, high).
    tank.SetPosition(80, -40, 80);
    tank.fallSpeed = -0.5f;
    tank.motion = Vector4(0, -0.3f, 0);
    tank.Update(50);
    EXPECT_EQ(std::tuple(Triangles(tank).size(), tank.fallSpeed, tank.motion.y < 0),
              std::tuple(0u, 0.0f, true));
    EXPECT_NEAR(tank.body.position.y, 90 * 0.11111111f + 2.5f, 1e-4f);
    // A 200 ms frame moves the tank as one 55 ms step; a 0 ms frame as 1 ms.
    for (auto [ms, as] : {std::pair{200.0f, 55.0f}, {0.0f, 1.0f}, {-5.0f, 1.0f}, {53.0f, 50.0f}}) {
        Move(Stand(tank));
        Move(Stand(reference));
        tank.Update(ms);
        reference.Update(as);
        if (ms != 53) { // NaN would differ from itself
            EXPECT_EQ(State(tank), State(reference)) << ms;
        }
    }
    EXPECT_NE(State(tank), State(reference)); // up to 55 ms a frame keeps its own step
}

// Draws the tank where its position puts it, textured, and restores the matrix.
TEST_F(VehicleTest, Draws) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    LoadTestTextures();
    tank.Load();
    tank.SetPosition(-5, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-100, 100, -75, 75, -1000, 1000); // looking down -z
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, 5); // a shift in depth alone, which Draw must keep
    std::vector<GLfloat> before(16), after(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
    // Hull x from -54 to -27, red camouflage; turret top around x = -42.1, blue; barrel from
    // x = -33.1 forward, its picture unknown: white; nothing past the muzzle. The traverse
    // swings the barrel to +y about the turret's mount, away from where it was.
    const std::tuple<float, float, float, int> looks[] = {
        {0, -50, -3.5f, 0xFF0000}, {0, -42, 0, 0x0000FF},      {0, -15, 0, 0xFFFFFF},
        {0, -5, 0, 0x000000},      {90, -42.1f, 20, 0xFFFFFF}, {90, -15, 0, 0x000000}};
    for (auto [turret, x, y, rgb] : looks) {
        tank.turret.rotation.z = turret;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);    // Draw turns it on
        glMatrixMode(GL_PROJECTION); // and selects the modelview matrix itself
        tank.Draw();
        uint8_t got[3];
        gl.ReadPixel(int((x + 100) * 3.2f), int((y + 75) * 3.2f), got);
        EXPECT_EQ(got[0] << 16 | got[1] << 8 | got[2], rgb) << x << ", " << y;
    }
    GLint mode, depth;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
    EXPECT_EQ(std::tuple(mode, depth, after, glGetError()),
              std::tuple(GL_MODELVIEW, 1, before, GLenum(GL_NO_ERROR)));
}
