#include "effects/Plume.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "effects/EffectsTestSupport.h"
#include "effects/RandomGenerator.h"

#include <gtest/gtest.h>

TEST(Plume, StartSetsEveryPuffAtTheImpactWithDrawnSpeeds) {
    Vector4 impact(10, 20, 30);
    RandomGenerator expected = randomGenerator;
    Plume plume;
    plume.Start(impact, 100);
    EXPECT_EQ(plume.puffCount, 100);
    EXPECT_EQ(plume.visibleCount, 1);
    EXPECT_EQ(plume.clock, 0.0f);
    EXPECT_EQ(plume.nextRelease, 0.0f);
    ASSERT_EQ(plume.puffs.size(), 100u);
    auto q = [&expected] { return expected.Next() * (1.0f / 32768.0f); };
    for (const Sprite& puff : plume.puffs) {
        EXPECT_EQ(puff.colour[0], 128);
        EXPECT_EQ(puff.colour[1], 128);
        EXPECT_EQ(puff.colour[2], 128);
        EXPECT_EQ(puff.colour[3], 255);
        EXPECT_EQ(puff.position.x, 10);
        EXPECT_EQ(puff.position.y, 20);
        EXPECT_EQ(puff.position.z, 30);
        EXPECT_FLOAT_EQ(puff.velocity.x, q() - 0.5f);
        EXPECT_FLOAT_EQ(puff.velocity.y, (q() - 0.5f) * 1.5f + 4.5f);
        EXPECT_FLOAT_EQ(puff.velocity.z, q() - 0.5f);
        EXPECT_GE(puff.velocity.y, 3.75f);
        EXPECT_LT(puff.velocity.y, 5.25f);
        EXPECT_EQ(puff.displayList, plume.displayList);
    }
    EXPECT_EQ(randomGenerator.state, expected.state);

    // The extreme vertical speeds (the second draw of a puff).
    randomGenerator.state = StateBeforeDraw(0, 2);
    plume.Start(impact, 1);
    EXPECT_FLOAT_EQ(plume.puffs[0].velocity.y, 3.75f);
    randomGenerator.state = StateBeforeDraw(32767, 2);
    plume.Start(impact, 1);
    EXPECT_NEAR(plume.puffs[0].velocity.y, 5.25f, 1e-4f);
    EXPECT_LT(plume.puffs[0].velocity.y, 5.25f);
    plume.Release();
}

TEST(Plume, ReleasesOnePuffPerUpdateOnItsSchedule) {
    appState.wind = Vector4(0.01f, 0, -0.03f);
    Vector4 impact(0, 0, 0);
    Plume plume;
    plume.Start(impact, 100);
    Sprite first = plume.puffs[0];

    plume.Update(50); // moves puff 0 only, releases nothing
    EXPECT_EQ(plume.visibleCount, 1);
    EXPECT_FLOAT_EQ(plume.puffs[0].position.y, first.velocity.y);
    EXPECT_FLOAT_EQ(plume.puffs[0].velocity.x, first.velocity.x + 0.01f);
    EXPECT_FLOAT_EQ(plume.puffs[0].velocity.z, first.velocity.z - 0.03f);
    EXPECT_EQ(plume.puffs[0].colour[3], 254);
    EXPECT_EQ(plume.puffs[1].position.y, 0.0f);
    EXPECT_EQ(plume.clock, 50.0f);

    plume.Update(50); // clock 50 > 0: puff 1 comes out
    EXPECT_EQ(plume.visibleCount, 2);
    EXPECT_EQ(plume.nextRelease, 125.0f);
    EXPECT_EQ(plume.puffs[1].position.y, 0.0f); // released after this update's move
    plume.Update(50);                           // clock 100: not yet
    EXPECT_EQ(plume.visibleCount, 2);
    EXPECT_NE(plume.puffs[1].position.y, 0.0f);
    EXPECT_EQ(plume.puffs[2].position.y, 0.0f);
    plume.Update(50); // clock 150 > 125: puff 2
    EXPECT_EQ(plume.visibleCount, 3);
    EXPECT_EQ(plume.nextRelease, 250.0f);

    // Released puffs fade to nothing and stay; no more than puffCount come out.
    for (int i = 0; i < 600; ++i)
        plume.Update(50);
    EXPECT_EQ(plume.visibleCount, 100);
    EXPECT_EQ(plume.puffs[0].colour[3], 0);
    EXPECT_EQ(plume.puffs[99].colour[3], 0);

    // No puffs: nothing moves, nothing is read.
    plume.Start(impact, 0);
    EXPECT_EQ(plume.visibleCount, 0);
    plume.Update(50);
    plume.Update(50);
    EXPECT_EQ(plume.visibleCount, 0);
    plume.Release();
}
