#include "effects/RandomGenerator.h"
#include "effects/EffectsTestSupport.h"

#include <gtest/gtest.h>

TEST(RandomGenerator, FollowsTheRecurrenceFromStateOne) {
    RandomGenerator generator;
    EXPECT_EQ(generator.state, 1u);

    // By hand: 1 * 214013 + 2531011 = 2745024, and 2745024 / 65536 = 41.
    EXPECT_EQ(generator.Next(), 41);
    EXPECT_EQ(generator.state, 2745024u);
    // 2745024 * 214013 + 2531011 = 587473352323 = 136 * 2^32 + 3357800067;
    // 3357800067 / 65536 = 51235, which is 18467 once the top bit is dropped.
    EXPECT_EQ(generator.Next(), 18467);
    EXPECT_EQ(generator.state, 3357800067u);
    EXPECT_EQ(generator.Next(), 6334);
    EXPECT_EQ(generator.Next(), 26500);
    EXPECT_EQ(generator.Next(), 19169);

    // Wrapping and the 15-bit mask, against the recurrence written out in 64 bits.
    uint64_t state = generator.state;
    for (int i = 0; i < 1000; ++i) {
        state = (state * 214013 + 2531011) % 4294967296ull;
        int32_t expected = static_cast<int32_t>((state / 65536) % 32768);
        ASSERT_EQ(generator.Next(), expected) << "draw " << i;
    }

    RandomGenerator scaled;
    EXPECT_FLOAT_EQ(scaled.NextUnit(), 41.0f / 32768.0f);

    // The test helper really puts the chosen value where asked.
    for (int32_t value : {0, 1, 12345, 32767}) {
        RandomGenerator placed;
        placed.state = StateBeforeDraw(value, 3);
        placed.Next();
        placed.Next();
        EXPECT_EQ(placed.Next(), value);
    }
}
