#include "effects/Shot.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "effects/EffectsTestSupport.h"
#include "effects/RandomGenerator.h"

#include <gtest/gtest.h>

namespace {
void ExpectAt(const Vector4& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-3f);
    EXPECT_NEAR(p.y, y, 1e-3f);
    EXPECT_NEAR(p.z, z, 1e-3f);
}

class ShotTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadFlatGround(100));
        appState.gravity = Vector4(0, -0.01f, 0);
        appState.wind = Vector4(0.01f, 0, -0.03f);
    }
    void TearDown() override { landscape.Unload(); }
    Shot shot;
};
} // namespace

TEST_F(ShotTest, FreshRibbonLiesBehindTheOriginAndFades) {
    Vector4 origin(3000, 150, 3000);
    origin.w = 2; // all four components are kept
    shot.Spawn(origin, Vector4(0, 0, 10), 60);
    EXPECT_EQ(shot.pairCount, 60);
    EXPECT_FALSE(shot.exploded);
    ASSERT_EQ(shot.points.size(), 120u);
    ASSERT_EQ(shot.alphas.size(), 60u);
    EXPECT_EQ(shot.origin.w, 2.0f);
    for (int i = 0; i < 60; ++i) {
        SCOPED_TRACE(i);
        ExpectAt(shot.points[2 * i], 2995, 150, 3000.0f - i);
        ExpectAt(shot.points[2 * i + 1], 3005, 150, 3000.0f - i);
        EXPECT_EQ(shot.points[2 * i].w, 2.0f);
        EXPECT_EQ(shot.alphas[i], static_cast<int>((60.0f - i) / 60.0f * 255.0f));
    }
    EXPECT_EQ(shot.alphas[0], 255);
    EXPECT_EQ(shot.alphas[59], 4);

    // Whatever the direction, the ribbon is 10 units wide along x and its tail
    // 60 (n - 1) / n units behind the origin.
    shot.Spawn(Vector4(0, 0, 0), Vector4(3, 4, 0), 4);
    ExpectAt(shot.points[6], -5 - 0.6f * 45, -0.8f * 45, 0);
    ExpectAt(shot.points[7], 5 - 0.6f * 45, -0.8f * 45, 0);
    EXPECT_EQ(shot.alphas[3], 63); // 1/4 of 255, truncated

    // Without speed there is no direction: the ribbon collapses, nothing is NaN.
    shot.Spawn(Vector4(1, 2, 3), Vector4(0, 0, 0), 10);
    ExpectAt(shot.points[18], -4, 2, 3);
}

TEST_F(ShotTest, UpdatesFlyFallAndMoveTheRibbonOn) {
    shot.Spawn(Vector4(3000, 150, 3000), Vector4(0, 0, 10), 60);
    shot.Update(50);
    ExpectAt(shot.points[0], 2995, 150, 3010);
    ExpectAt(shot.points[1], 3005, 150, 3010);
    EXPECT_FLOAT_EQ(shot.velocity.y, -0.4f);
    ExpectAt(shot.points[2], 2995, 150, 3010); // pair 1 equals the head
    // The head moved in place, so pair 2 takes the spawn's pair 1.
    ExpectAt(shot.points[4], 2995, 150, 2999);
    ExpectAt(shot.points[119], 3005, 150, 3000 - 58);

    shot.Update(50);
    ExpectAt(shot.points[0], 2995, 149.6f, 3020);
    EXPECT_FLOAT_EQ(shot.velocity.y, -0.8f);
    EXPECT_FLOAT_EQ(shot.velocity.z, 10.0f);
    ExpectAt(shot.points[4], 2995, 150, 3010); // the head of one update ago
    ExpectAt(shot.points[6], 2995, 150, 2999);
    EXPECT_FALSE(shot.exploded);

    // A shorter frame moves it by its share of a step.
    shot.Update(25);
    EXPECT_NEAR(shot.points[0].z, 3025.0f, 1e-3f);
    EXPECT_NEAR(shot.velocity.y, -1.0f, 1e-5f);
}

TEST_F(ShotTest, BelowTheGroundItExplodesOnceUntilSpawnedAgain) {
    shot.Spawn(Vector4(3000, 50, 3000), Vector4(0, 0, 10), 60);
    uint32_t before = randomGenerator.state;
    shot.Update(50);
    ASSERT_TRUE(shot.exploded);
    EXPECT_NE(randomGenerator.state, before);
    EXPECT_EQ(shot.burst.streakCount, 16);
    EXPECT_EQ(shot.burst.sparksPerStreak, 8);
    EXPECT_EQ(shot.plume.puffCount, 100);
    EXPECT_EQ(shot.plume.puffs[99].position.z, 3010.0f); // the impact is the moved head
    EXPECT_EQ(shot.plume.puffs[99].position.y, 50.0f);
    // Started, then updated once in the same call.
    EXPECT_EQ(shot.plume.clock, 50.0f);
    EXPECT_EQ(shot.burst.streaks[0][0].colour[3], 254);

    // Still below: no second burst (no draw from the generator), the old one goes on.
    uint32_t afterImpact = randomGenerator.state;
    shot.Update(50);
    EXPECT_EQ(randomGenerator.state, afterImpact);
    EXPECT_EQ(shot.plume.clock, 100.0f);
    EXPECT_EQ(shot.plume.visibleCount, 2);

    // Spawning again clears the flag; the old effects stand still.
    shot.Spawn(Vector4(3000, 150, 3000), Vector4(0, 0, 10), 60);
    EXPECT_FALSE(shot.exploded);
    shot.Update(50);
    EXPECT_FALSE(shot.exploded);
    EXPECT_EQ(shot.plume.clock, 100.0f);

    // Outside the map the ground is at 0: a shot there above 0 flies on.
    shot.Spawn(Vector4(-500, 50, -500), Vector4(0, 0, 10), 60);
    shot.Update(50);
    EXPECT_FALSE(shot.exploded);
}

TEST_F(ShotTest, FewPairsAndNoSpawnAreHarmless) {
    // Before any spawn.
    shot.Update(50);
    shot.DrawTrail();
    EXPECT_EQ(shot.pairCount, 0);

    for (int n : {0, -3}) {
        shot.Spawn(Vector4(3000, 50, 3000), Vector4(0, 0, 10), n);
        EXPECT_EQ(shot.pairCount, n);
        EXPECT_TRUE(shot.points.empty());
        shot.Update(50);
        shot.DrawTrail();
        EXPECT_FALSE(shot.exploded);
    }

    // A head pair alone still meets the ground.
    shot.Spawn(Vector4(3000, 50, 3000), Vector4(0, 0, 10), 1);
    ASSERT_EQ(shot.points.size(), 2u);
    EXPECT_EQ(shot.alphas[0], 255);
    shot.Update(50);
    EXPECT_TRUE(shot.exploded);
    ExpectAt(shot.points[0], 2995, 50, 3010);
    shot.DrawTrail();
}
