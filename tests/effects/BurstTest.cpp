#include "effects/Burst.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "effects/EffectsTestSupport.h"
#include "effects/RandomGenerator.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {
float Distance(const Vector4& a, const Vector4& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

void ExpectNear(const Vector4& a, const Vector4& b) {
    EXPECT_NEAR(a.x, b.x, 1e-3f);
    EXPECT_NEAR(a.y, b.y, 1e-3f);
    EXPECT_NEAR(a.z, b.z, 1e-3f);
}
} // namespace

TEST(Burst, StartLaysStreaksFromTheGeneratorInOrderAndReplacesTheOldList) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    Vector4 impact(1000, 50, 2000);
    RandomGenerator expected = randomGenerator; // replay the same draws by hand

    Burst burst;
    burst.Start(impact, 16, 8);
    ASSERT_EQ(burst.streakCount, 16);
    ASSERT_EQ(burst.sparksPerStreak, 8);
    ASSERT_EQ(burst.streaks.size(), 16u);
    ASSERT_TRUE(glIsList(burst.displayList));

    auto q = [&expected] { return expected.Next() * (1.0f / 32768.0f) - 0.5f; };
    for (int g = 0; g < 16; ++g) {
        SCOPED_TRACE(g);
        float length = q() * 225.0f;
        EXPECT_FLOAT_EQ(burst.streakLengths[g], length);
        float cx = impact.x + q() * 75.0f;
        float cz = impact.z + q() * 75.0f;
        float vx = q() * 9.0f;
        float vy = q() * 1.5f + 5.5f;
        float vz = q() * 9.0f;
        float norm = std::sqrt(vx * vx + vy * vy + vz * vz);
        ASSERT_EQ(burst.streaks[g].size(), 8u);
        for (int e = 0; e < 8; ++e) {
            const Sprite& spark = burst.streaks[g][e];
            float s = length / 8 * e;
            ExpectNear(spark.position,
                       Vector4(cx - vx / norm * s, 50 - vy / norm * s, cz - vz / norm * s));
            EXPECT_FLOAT_EQ(spark.velocity.x, vx);
            EXPECT_FLOAT_EQ(spark.velocity.y, vy);
            EXPECT_FLOAT_EQ(spark.velocity.z, vz);
            EXPECT_EQ(spark.colour[0], 255);
            EXPECT_EQ(spark.colour[1], static_cast<int>(q() * 32.0f + 64.0f));
            EXPECT_EQ(spark.colour[2], 0);
            EXPECT_EQ(spark.colour[3], 255);
            EXPECT_EQ(spark.displayList, burst.displayList);
        }
    }
    EXPECT_EQ(randomGenerator.state, expected.state); // no draw more, none fewer

    // A new impact gives the sparks a fresh list and deletes the old one.
    auto liveLists = [] {
        int live = 0;
        for (GLuint list = 1; list < 256; ++list)
            live += glIsList(list) ? 1 : 0;
        return live;
    };
    EXPECT_EQ(liveLists(), 1);
    for (int i = 0; i < 20; ++i)
        burst.Start(impact, 16, 8);
    EXPECT_EQ(liveLists(), 1);
    EXPECT_TRUE(glIsList(burst.displayList));
    EXPECT_EQ(burst.streaks[15][7].displayList, burst.displayList);
    burst.Release();
    EXPECT_EQ(liveLists(), 0);
    EXPECT_EQ(burst.displayList, 0u);
    EXPECT_TRUE(burst.streaks.empty());
    burst.Update(50); // nothing left to move
}

TEST(Burst, GreenAndVerticalSpeedStayInTheirRanges) {
    Vector4 impact(0, 0, 0);
    Burst burst;
    int lowestGreen = 255, highestGreen = 0;
    for (int round = 0; round < 300; ++round) {
        burst.Start(impact, 16, 8);
        for (const auto& streak : burst.streaks) {
            EXPECT_GE(streak[0].velocity.y, 4.75f);
            EXPECT_LT(streak[0].velocity.y, 6.25f);
            for (const Sprite& spark : streak) {
                lowestGreen = std::min<int>(lowestGreen, spark.colour[1]);
                highestGreen = std::max<int>(highestGreen, spark.colour[1]);
            }
        }
    }
    EXPECT_EQ(lowestGreen, 48); // 38400 greens reach both ends of the range
    EXPECT_EQ(highestGreen, 79);

    // The extreme draws: the vertical speed is the fifth draw of a streak,
    // the green the seventh.
    randomGenerator.state = StateBeforeDraw(0, 5);
    burst.Start(impact, 1, 8);
    EXPECT_FLOAT_EQ(burst.streaks[0][0].velocity.y, 4.75f);
    randomGenerator.state = StateBeforeDraw(32767, 5);
    burst.Start(impact, 1, 8);
    EXPECT_NEAR(burst.streaks[0][0].velocity.y, 6.25f, 1e-4f);
    EXPECT_LT(burst.streaks[0][0].velocity.y, 6.25f);
    randomGenerator.state = StateBeforeDraw(0, 7);
    burst.Start(impact, 1, 8);
    EXPECT_EQ(burst.streaks[0][0].colour[1], 48);
    randomGenerator.state = StateBeforeDraw(32767, 7);
    burst.Start(impact, 1, 8);
    EXPECT_EQ(burst.streaks[0][0].colour[1], 79);
    burst.Release();
}

TEST(Burst, NegativeLengthPlacesTheSparksAheadAlongTheirFlight) {
    Burst burst;
    burst.Start(Vector4(0, 0, 0), 1, 8);
    Vector4 centre(100, 200, 300);
    Vector4 v(3, 4, 0); // unit direction (0.6, 0.8, 0)
    burst.streakLengths[0] = -80;
    burst.LayStreak(0, centre, v);
    const Sprite& tail = burst.streaks[0][7];
    EXPECT_NEAR(Distance(tail.position, centre), 70.0f, 1e-3f);
    ExpectNear(tail.position, Vector4(100 + 42, 200 + 56, 300));
    ExpectNear(burst.streaks[0][0].position, centre);
    ExpectNear(burst.streaks[0][1].position, Vector4(106, 208, 300));
    burst.Release();
}

TEST(Burst, UpdateMovesHeadsAndLetsFollowersTrail) {
    appState.gravity = Vector4(0, -0.01f, 0);
    appState.wind = Vector4(0.01f, 0, -0.03f);
    Burst burst;
    burst.Start(Vector4(0, 0, 0), 2, 8);
    std::vector<Sprite> before = burst.streaks[1];

    burst.Update(50); // dt = 1
    const std::vector<Sprite>& after = burst.streaks[1];
    const Sprite& head = after[0];
    Vector4 v = before[0].velocity;
    ExpectNear(head.position, Vector4(before[0].position.x + v.x, before[0].position.y + v.y,
                                      before[0].position.z + v.z));
    ExpectNear(head.velocity, Vector4(v.x + 0.01f, v.y - 0.1f, v.z - 0.03f));
    EXPECT_EQ(head.colour[3], 254);

    // Follower 1 trails the head's new state; the others their predecessor's old one.
    ExpectNear(after[1].position, head.position - head.velocity);
    ExpectNear(after[1].velocity, head.velocity);
    for (int e = 2; e < 8; ++e) {
        SCOPED_TRACE(e);
        ExpectNear(after[e].position, before[e - 1].position - before[e - 1].velocity);
        ExpectNear(after[e].velocity, before[e - 1].velocity);
        EXPECT_EQ(after[e].colour[3], 254 - e);
    }

    // With dt = 0.5 the followers' speeds halve.
    std::vector<Sprite> mid = burst.streaks[1];
    burst.Update(25);
    ExpectNear(burst.streaks[1][3].velocity, mid[2].velocity * 0.5f);

    // The head's alpha floor is the spark count: 9 -> 8 -> 8, follower 7 at 1.
    burst.streaks[1][0].colour[3] = 9;
    burst.Update(50);
    EXPECT_EQ(burst.streaks[1][0].colour[3], 8);
    burst.Update(50);
    EXPECT_EQ(burst.streaks[1][0].colour[3], 8);
    EXPECT_EQ(burst.streaks[1][7].colour[3], 1);
    burst.Release();
}
