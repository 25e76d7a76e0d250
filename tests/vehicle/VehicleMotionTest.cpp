#include "model/ModelFiles.h"

#include "app/AppState.h"
#include "support/TestSupport.h"
#include "support/counting/AllocationCounter.h"
#include "terrain/Landscape.h"
#include "terrain/TerrainTestSupport.h"
#include "vehicle/Vehicle.h"
#include "vehicle/VehicleTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
bool Finite(const Vector4& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The test tank in the scene's pose, and the global terrain made from a height
// map in memory (the finer tree, so that a triangle centroid is always within
// reach of a bottom corner).
class VehicleMotion : public testing::Test {
  protected:
    void SetUp() override {
        appState.gravity = Vector4(0, -0.01f, 0);
        appState.fineTerrain = 1;
        WriteTestTank(dir.path().string());
        tank.Load();
        tank.Rotate(270, 0, 0);
    }
    void TearDown() override { landscape.Unload(); }

    void FlatGround(uint8_t level) {
        FillHeightMap(
            landscape, 16, 16, [=](int32_t, int32_t) { return level; }, true);
    }

    TempDir dir{true};
    Vehicle tank;
};
} // namespace

TEST_F(VehicleMotion, HeldAcceleratorSettlesAt50And20Ms) {
    struct Case {
        float ms, thrust, motion, advance;
    } cases[] = {{50, 5, 55, 50}, {20, 0.2857143f, 0.4489796f, 0.4081633f}};
    for (const Case& c : cases) {
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

TEST_F(VehicleMotion, ContactDampsTheMotionAndHoldsTheHullOnTheGround) {
    FlatGround(90);
    tank.SetPosition(80, 93.0f / 9, 80);
    tank.motion = Vector4(1, 0, 0.5f);
    for (int step = 0; step < 10; ++step) {
        const Vector4 motion = tank.motion;
        tank.Update(50);
        EXPECT_GT(CountTriangles(tank), 0);
        // Contact zeroed the fall before gravity's one step.
        EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f);
        EXPECT_NEAR(tank.motion.x, motion.x / 1.1f, 1e-6f);
        EXPECT_NEAR(tank.motion.z, motion.z / 1.1f, 1e-6f);
        // Rested at 3 world units above the ground, then moved by this step.
        EXPECT_NEAR(tank.body.position.y, 93.0f / 9 + tank.motion.y, 1e-4f);
    }
    // Without thrust the 20 ms divisor is 2.75.
    const float x = tank.motion.x;
    tank.Update(20);
    EXPECT_NEAR(tank.motion.x, x / 2.75f, 1e-6f);
}

TEST_F(VehicleMotion, NoTrianglesInReachMeansFalling) {
    FlatGround(90);
    tank.SetPosition(80, 40, 80); // 360 world units up, far above every leaf
    tank.Update(50);
    EXPECT_EQ(CountTriangles(tank), 0);
    EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f);
    tank.Update(50);
    EXPECT_FLOAT_EQ(tank.fallSpeed, -0.02f);
    tank.Update(20);
    EXPECT_FLOAT_EQ(tank.fallSpeed, -0.045f);
}

TEST_F(VehicleMotion, ContactReachIsFortyWorldUnitsAndTheLastTriangleDecides) {
    for (Vector4& corner : tank.boxCorners)
        corner = Vector4(1000, 1000, 1000);
    tank.boxCorners[6] = Vector4(0, 0, 0);
    const Vector4 zero(0, 0, 0);
    // Centroid (40, 0, 0): exactly at the limit.
    tank.AddGroundTriangle(Vector4(120, 0, 0), zero, zero);
    EXPECT_TRUE(tank.RestOnGroundTriangles());
    EXPECT_FLOAT_EQ(tank.body.position.y, 3 * 0.11111111f);

    // Just beyond it: no contact, the height is left alone.
    tank.EmptyGroundTriangles();
    tank.AddGroundTriangle(Vector4(120.00002f, 0, 0), zero, zero);
    tank.body.position.y = 7;
    EXPECT_FALSE(tank.RestOnGroundTriangles());
    EXPECT_EQ(tank.body.position.y, 7);

    // Top corners do not count.
    tank.EmptyGroundTriangles();
    tank.boxCorners[6] = Vector4(1000, 1000, 1000);
    tank.boxCorners[0] = Vector4(0, 0, 0);
    tank.AddGroundTriangle(zero, zero, zero);
    EXPECT_FALSE(tank.RestOnGroundTriangles());

    // Two triangles in reach of different corners: the later one in the list
    // sets the height, whichever is nearer.
    tank.EmptyGroundTriangles();
    tank.boxCorners[0] = Vector4(1000, 1000, 1000);
    tank.boxCorners[4] = Vector4(0, 0, 0);
    tank.boxCorners[7] = Vector4(500, 0, 0);
    tank.AddGroundTriangle(Vector4(0, 3, 0), Vector4(0, 3, 0), Vector4(0, 3, 0));
    tank.AddGroundTriangle(Vector4(500, 30, 0), Vector4(500, 30, 0), Vector4(500, 60, 0));
    tank.AddGroundTriangle(Vector4(2000, 99, 0), zero, zero); // out of reach
    EXPECT_TRUE(tank.RestOnGroundTriangles());
    EXPECT_FLOAT_EQ(tank.body.position.y, (40 + 3) * 0.11111111f);
}

TEST_F(VehicleMotion, FallThroughCatchSamplesAtVehicleUnits) {
    // High ground only in the map's first two columns: at vehicle x = 80 the
    // catch samples u = 0.05 (column 0.76), while the tank stands at world
    // x = 720, over column 7, where the ground is 0.
    FillHeightMap(
        landscape, 16, 16, [](int32_t, int32_t column) { return uint8_t(column < 2 ? 200 : 0); },
        true);
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
    tank.fallSpeed = 0;
    tank.Update(50);
    EXPECT_LT(tank.body.position.y, h - 44.9f);
    EXPECT_FLOAT_EQ(tank.fallSpeed, -0.01f);
}

TEST_F(VehicleMotion, LongAndZeroFramesStayFinite) {
    FlatGround(90);
    auto start = [&](Vehicle& v) {
        v.SetPosition(80, 93.0f / 9 + 1, 80);
        v.motion = Vector4(2, 0.5f, -1);
        v.thrust = Vector4(0.5f, 0, 0.25f);
        v.fallSpeed = -0.2f;
    };
    Vehicle reference;
    reference.Load();
    reference.Rotate(270, 0, 0);
    // A 200 ms frame moves the tank as one 50 ms step; a 0 ms frame as 1 ms.
    for (auto [ms, as] : {std::pair{200.0f, 50.0f}, {0.0f, 1.0f}, {-5.0f, 1.0f}}) {
        SCOPED_TRACE(ms);
        start(tank);
        start(reference);
        tank.Update(ms);
        reference.Update(as);
        EXPECT_TRUE(Finite(tank.body.position));
        EXPECT_TRUE(Finite(tank.motion));
        EXPECT_TRUE(Finite(tank.thrust));
        EXPECT_TRUE(std::isfinite(tank.fallSpeed));
        EXPECT_EQ(tank.body.position.x, reference.body.position.x);
        EXPECT_EQ(tank.body.position.y, reference.body.position.y);
        EXPECT_EQ(tank.motion.z, reference.motion.z);
        EXPECT_EQ(tank.fallSpeed, reference.fallSpeed);
    }
    // Held for many frames, neither ever blows up.
    for (float ms : {200.0f, 0.0f}) {
        start(tank);
        for (int i = 0; i < 500; ++i) {
            tank.Accelerate(true);
            tank.Steer(true);
            tank.Update(ms);
        }
        EXPECT_TRUE(Finite(tank.body.position));
        EXPECT_TRUE(Finite(tank.motion));
        EXPECT_LT(std::fabs(tank.motion.x), 100.0f);
    }
}

TEST_F(VehicleMotion, FindGroundReusesItsNodesInASteadyState) {
    FlatGround(90);
    tank.SetPosition(80, 93.0f / 9, 80);
    tank.UpdateGeometry();
    ASSERT_TRUE(tank.FindGround());
    const int triangles = CountTriangles(tank);
    ASSERT_GT(triangles, 0);

    // The same list as a vehicle that never searched before.
    Vehicle fresh;
    fresh.Load();
    fresh.Rotate(270, 0, 0);
    fresh.SetPosition(80, 93.0f / 9, 80);
    fresh.UpdateGeometry();
    for (int i = 0; i < 3; ++i)
        tank.FindGround();
    fresh.FindGround();
    const GroundTriangle* a = tank.groundTriangles;
    const GroundTriangle* b = fresh.groundTriangles;
    for (; a->next != nullptr && b->next != nullptr; a = a->next, b = b->next) {
        EXPECT_EQ(a->p0.x, b->p0.x);
        EXPECT_EQ(a->p1.z, b->p1.z);
        EXPECT_EQ(a->p2.y, b->p2.y);
    }
    EXPECT_EQ(a->next, nullptr);
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(a->p0.w, 1.0f);

    // Standing still on the ground, a step allocates nothing.
    for (int i = 0; i < 5; ++i)
        tank.Update(50);
    const long before = AllocationCount();
    for (int i = 0; i < 100; ++i)
        tank.Update(50);
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(CountTriangles(tank), triangles);
}
