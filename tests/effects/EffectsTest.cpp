#include "effects/EffectsTestSupport.h"
#include "effects/RandomGenerator.h"

#include <GL/glu.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {
struct Census { // pixels off the dark blue background, by added colour; darker ones: not additive
    int changed = 0, white = 0, orange = 0, darker = 0;
    explicit Census(const std::vector<uint8_t>& pixels) {
        for (size_t i = 0; i < pixels.size(); i += 3) {
            const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2] - 64;
            changed += r != 0 || g != 0 || b != 0;
            white += r > 8 && std::abs(r - g) <= 1 && std::abs(r - b) <= 1;
            orange += b == 0 && r > 40 && g > 0 && g * 2 < r;
            darker += b < 0;
        }
    }
};

class Effects : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.ok() && PrepareEffectsScene()); }
    void TearDown() override { landscape.Unload(); } // the effects' lists go with the context
    void Frame() { // updating the shot draws its burst and plume once it has exploded
        glClearColor(0, 0, 64 / 255.0f, 0);
        glDepthMask(GL_TRUE); // the clear obeys the depth write mask
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDepthMask(GL_FALSE);
        shot.Update(50);
    }
    void DrawRibbon() {
        textureManager.Bind(textureManager.FindByName("textures/trail.bmp"));
        shot.DrawTrail();
    }
    static GLuint BoundTexture() {
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return GLuint(bound);
    }
    GLTestContext gl;
    Shot shot;
};
} // namespace

// The known sequence from state 1; the second value shows the 15-bit mask (51235 without).
TEST(RandomGenerator, RecurrenceFromStateOne) {
    RandomGenerator generator;
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358})
        EXPECT_EQ(generator.Next(), expected);
}

// Streaks laid out to the bit along their directions (divided by the single-precision root of
// Dot); heads lead, followers trail, heads fade; the plume's puffs come out on their schedule.
TEST_F(Effects, BurstAndPlume) {
    Burst& burst = shot.burst;
    RandomGenerator replay = randomGenerator; // Start's draws again, in their order
    auto centred = [&](float scale) { return (replay.NextUnit() - 0.5f) * scale; };
    burst.Start(Vector4(1000, 50, 2000), 16, 8);
    ASSERT_EQ(std::tuple(burst.streaks.size(), burst.streaks[1].size()), std::tuple(16u, 8u));
    for (int g = 0; g < 16; ++g) {
        const float length = centred(225), cx = 1000 + centred(75), cz = 2000 + centred(75);
        const Vector4 v{centred(9), centred(1.5f) + 5.5f, centred(9)};
        const float root = std::sqrt(Dot(v, v));
        for (int e = 0; e < 8; ++e) {
            const float s = length / 8.0f * float(e);
            const Sprite& spark = burst.streaks[g][e];
            EXPECT_EQ(
                std::tuple(Xyz(spark.position), int(spark.colour[1])),
                std::tuple(Xyz({cx - v.x / root * s, 50 - v.y / root * s, cz - v.z / root * s}),
                           int(centred(32) + 64)))
                << "streak " << g << " spark " << e;
        }
    }
    const std::vector<Sprite> before = burst.streaks[1];
    burst.Update(50); // dt = 1
    const std::vector<Sprite>& after = burst.streaks[1];
    EXPECT_TRUE(Near(after[0].position - before[0].velocity, before[0].position));
    EXPECT_TRUE(Near(after[0].velocity - before[0].velocity, Vector4(0.01f, -0.1f, -0.03f)));
    for (int e = 1; e < 8; ++e) { // 1 trails the head's new state, the rest their predecessor's old
        const Sprite& ahead = e == 1 ? after[0] : before[e - 1];
        EXPECT_TRUE(Near(after[e].position, ahead.position - ahead.velocity)) << e;
        EXPECT_TRUE(Near(after[e].velocity, ahead.velocity)) << e;
        EXPECT_EQ(after[e].colour[3], 254 - e);
    }
    burst.streaks[1][0].colour[3] = 9; // alpha floor: the spark count; 9 -> 8 -> 8, follower 7 at 1
    burst.Update(50);
    burst.Update(50);
    EXPECT_EQ(std::tuple(int(burst.streaks[1][0].colour[3]), int(burst.streaks[1][7].colour[3])),
              std::tuple(8, 1));

    const Vector4 impact(10, 20, 30); // the plume starts here, one puff per update on its schedule
    Plume& plume = shot.plume;
    plume.Start(impact, 100);
    ASSERT_EQ(plume.puffs.size(), 100u);
    const uint8_t* grey = plume.puffs[99].colour; // grey, opaque, at the impact
    EXPECT_EQ(std::vector<int>(grey, grey + 4), (std::vector<int>{128, 128, 128, 255}));
    EXPECT_EQ(Xyz(plume.puffs[99].position), Xyz(impact));
    const Sprite first = plume.puffs[0];
    plume.Update(50); // puff 0 moves at once, the wind on its speed; no other puff
    EXPECT_TRUE(Near(plume.puffs[0].position - first.velocity, impact, 1e-5f));
    EXPECT_TRUE(Near(plume.puffs[0].velocity - first.velocity, {0.01f, 0, -0.03f}, 1e-6f));
    EXPECT_EQ(std::tuple(int(plume.puffs[0].colour[3]), plume.visibleCount), std::tuple(254, 1));
    for (int u = 2; u <= 4; ++u) { // update 2 releases puff 1 after its move, update 4 puff 2
        plume.Update(50);
        EXPECT_EQ(plume.visibleCount, u < 4 ? 2 : 3) << u;
        EXPECT_EQ(plume.nextRelease, u < 4 ? 125.0f : 250.0f) << u;
        EXPECT_EQ(plume.puffs[1].position.y == 20.0f, u == 2) << u;
        EXPECT_EQ(plume.puffs[2].position.y, 20.0f) << u; // unreleased puffs stay
    }
    for (int i = 0; i < 600; ++i) // released puffs fade to nothing and stay; at most puffCount
        plume.Update(50);
    EXPECT_EQ(
        std::tuple(plume.visibleCount, int(plume.puffs[0].colour[3] + plume.puffs[99].colour[3])),
        std::tuple(100, 0));
}

// Ribbon and flight to the bit, against their arithmetic in the same order: pairs 60 / n apart
// back along the direction; at every whole-ms step, gravity times 40, times the step.
TEST_F(Effects, ShotFliesAndExplodesOnce) {
    for (const Vector4& v : {Vector4(3, 4, 10), Vector4(-0.7f, -2.9f, 0.013f),
                             Vector4(11.3f, 0.37f, -5.1f), Vector4(0, 4, -5.1f)}) {
        const float root = std::sqrt(Dot(v, v));
        shot.Spawn(Vector4(1000.5f, 0, 0), v, 7); // y and z keep every bit
        for (int i = 0; i < 14; ++i) {
            const float s = 60.0f / 7.0f * float(i / 2);
            EXPECT_EQ(Xyz(shot.points[i]), Xyz({1000.5f + (i % 2 ? 5.0f : -5.0f) - v.x / root * s,
                                                -(v.y / root * s), -(v.z / root * s)}))
                << v.x << ", " << v.y << ", " << v.z << " point " << i;
        }
    }
    // Pair k is (n - k) / n opaque, truncated.
    EXPECT_EQ(std::vector<int>(shot.alphas.begin(), shot.alphas.end()),
              (std::vector<int>{255, 218, 182, 145, 109, 72, 36}));
    shot.Spawn(Vector4(1, 2, 3), Vector4(0, 0, 0), 10); // speed 0: the ribbon collapses, no NaN
    EXPECT_TRUE(Near(shot.points[18], Vector4(-4, 2, 3), 0));

    const Vector4 v(0.25f, 0, 10), g = appState.gravity;
    for (int ms = 1; ms <= 250; ++ms) {
        shot.Spawn(Vector4(3000, 5000, 3000), v, 60); // far above the ground
        shot.Update(float(ms));
        const float dt = float(ms) * 0.02f;
        EXPECT_EQ(std::tuple(Xyz(shot.velocity), Xyz(shot.points[0])),
                  std::tuple(Xyz({v.x, g.y * 40.0f * dt, v.z}),
                             Xyz({2995.0f + v.x * dt, 5000.0f, 3000.0f + v.z * dt})))
            << ms << " ms";
    }
    shot.Spawn(Vector4(3000, 150, 3000), Vector4(0, 0, 10), 60); // pair k: head, k - 1 updates ago
    shot.Update(50);
    EXPECT_TRUE(Near(shot.points[119], Vector4(3005, 150, 3000 - 58)));
    shot.Update(50);
    EXPECT_EQ(std::tuple(Xyz(shot.points[4]), int(shot.exploded)),
              std::tuple(Xyz({2995, 150, 3010}), 0));

    for (int n : {0, -3, 1, 60}) { // below the ground it explodes once until spawned again
        shot.Spawn(Vector4(3000, 50, 3000), Vector4(0, 0, 10), n);
        EXPECT_EQ(shot.points.size(), size_t(2 * std::max(n, 0)));
        shot.Update(50);
        shot.DrawTrail();
        EXPECT_EQ(bool(shot.exploded), n > 0) << n; // a head pair alone meets the ground
    }
    // Still below: no second burst (no draw from the generator), the plume started at the impact
    // goes on; spawned again above, unexploded, the old effects stand still.
    const uint32_t afterImpact = randomGenerator.state;
    shot.Update(50);
    EXPECT_EQ(std::tuple(randomGenerator.state, shot.plume.clock), std::tuple(afterImpact, 100.0f));
    shot.Spawn(Vector4(3000, 150, 3000), Vector4(0, 0, 10), 60);
    shot.Update(50);
    EXPECT_EQ(std::tuple(int(shot.exploded), shot.plume.clock), std::tuple(0, 100.0f));
}

TEST_F(Effects, ImpactDrawnAdditively) {
    appState.cameraAngles = Vector4(25, 0, 0); // eye above, behind the landing point, facing -z
    appState.cameraPosition = Vector4(-3000, -330, -3500);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 640.0 / 480.0, 10.0, 20000.0);
    glMatrixMode(GL_MODELVIEW);
    randomGenerator.state = 1; // the same scatter whichever tests ran before

    shot.Spawn(Vector4(3000, 180, 3300), Vector4(0, 2, -10), 60);
    shot.colour[0] = shot.colour[1] = shot.colour[2] = 255;
    for (int frames = 1; !shot.exploded && frames < 200; ++frames) {
        Frame();
        DrawRibbon();
        EXPECT_GT(Census(gl.ReadPixels()).white, frames == 8 ? 200 : -1); // the ribbon in flight
    }
    ASSERT_TRUE(shot.exploded);
    EXPECT_NEAR(shot.points[0].y, 100.0f, 10.0f);
    // Let the sparks spread and a few puffs rise, then look at what Update drew.
    for (int frame = 0; frame < 12; ++frame) {
        Frame();
        EXPECT_EQ(BoundTexture(), textureManager.ids[0]); // the star
        DrawRibbon();
    }
    Frame();
    const Census impact(gl.ReadPixels());
    EXPECT_EQ(std::tuple(impact.orange > 500, impact.white > 100, impact.darker),
              std::tuple(true, true, 0))
        << impact.orange << " orange, " << impact.white << " white";

    for (int n : {60, 1, 2}) { // respawned above: no old sparks or puffs; 1 or 2 pairs: no segment
        shot.Spawn(Vector4(3000, 180, 3300), Vector4(0, 2, -10), n);
        Frame();
        if (n < 60)
            DrawRibbon();
        EXPECT_EQ(Census(gl.ReadPixels()).changed, 0) << n;
    }
}

// Impacts replace the effects' display lists, not pile them up; Release gives them back. A
// missing star binds nothing; sprites face the viewer.
TEST_F(Effects, ListsBindingAndFacing) {
    for (int i = 0; i < 200; ++i)
        FireShotIntoTheGround(shot, i);
    EXPECT_EQ(LiveDisplayLists(1 << 16), 2); // the burst's and the plume's
    ResetTextureTable(8);
    glBindTexture(GL_TEXTURE_2D, 77); // an unused name: a new texture of the caller's
    FireShotIntoTheGround(shot, 0);
    EXPECT_EQ(BoundTexture(), 77u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); // every push popped, among others
    shot.burst.Release();
    shot.plume.Release();
    EXPECT_EQ(LiveDisplayLists(1 << 16), 0);

    // A sprite faces the viewer: its transform undoes the camera's turns, leaving only its roll.
    appState.cameraAngles = Vector4(25, 60, 0);
    Sprite{}.Draw();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i : {0, 5, 10})
        EXPECT_NEAR(m[i], 1.0f, 1e-5f) << i;
}
