#include "effects/EffectsTestSupport.h"
#include "effects/Shot.h"

#include <cstdio>
#include <gtest/gtest.h>

// Firing for minutes must not pile up sprites, ribbons or display lists.
TEST(ShotSoak, ThousandsOfImpactsKeepHeapAndListsFlat) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(PrepareEffectsScene());

    Shot shot;
    uint32_t highestList = 0;
    auto fire = [&](int count) {
        for (int i = 0; i < count; ++i) {
            FireShotIntoTheGround(shot, i);
            highestList = std::max({highestList, shot.burst.displayList, shot.plume.displayList});
        }
        glFinish();
    };
    fire(1000); // the driver's own buffers settle during the first impacts
    ASSERT_TRUE(shot.exploded);
    size_t heapBefore = HeapInUse();
    fire(3000);
    size_t heapAfter = HeapInUse();

    // The driver's pools come and go in steps of about 1 MB; one leaked impact
    // alone would hold some 13 KB of sprites, 3000 of them some 39 MB.
    EXPECT_LT(heapAfter, heapBefore + 4 * 1024 * 1024) << heapBefore << " -> " << heapAfter;
    EXPECT_EQ(LiveDisplayLists(highestList), 2); // the burst's and the plume's
    std::printf("heap in use %zu -> %zu bytes, resident %ld KB, list names up to %u\n", heapBefore,
                heapAfter, ResidentKb(), highestList);
    shot.burst.Release();
    shot.plume.Release();
    EXPECT_EQ(LiveDisplayLists(highestList), 0);
    landscape.Unload();
}
