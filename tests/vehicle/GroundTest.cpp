#include "model/ModelFiles.h"

#include "state/AppState.h"
#include "terrain/TerrainTestSupport.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
// Rolling hills with a cliff of 80 every 37 columns: slopes of every steepness.
uint8_t Hills(int32_t r, int32_t c) {
    const double h = 120 + 70 * std::sin(c * 0.21) * std::cos(r * 0.17) + (c % 37 < 3 ? 80 : 0);
    return uint8_t(std::clamp(h, 0.0, 255.0));
}

// The height of the terrain as OpenGL draws it at world (x, z): the depth under one pixel of
// a view straight down on a 2-unit square around the point; -300 where nothing is drawn.
float DrawnHeight(float x, float z) {
    glViewport(0, 0, 64, 64);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(x - 1, x + 1, -z - 1, -z + 1, -300, 300);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 1, 0, 0); // eye coordinates (x, -z, y): y is the depth
    landscape.DrawTerrain();
    float depth = 1;
    glReadPixels(32, 32, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return 300 * (1 - 2 * depth);
}

class Ground : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        WriteTestTank(dir.path().string());
        appState.gravity = Vector4(0, -0.01f, 0);
    }
    void TearDown() override { landscape.Unload(); }

    // The bottom corner nearest the drawn ground under it is within 4 units of it.
    void ExpectOnGround(const char* where) {
        float nearest = 1e9f;
        for (int c = 4; c < 8; ++c) {
            const Vector4& p = tank.boxCorners[c];
            float far[2]; // looked at from just inside the edge, where the ground ends
            landscape.WorldExtent(far[0], far[1]);
            const float x = std::clamp(p.x, 0.1f, far[0] - 0.1f);
            nearest = std::min(nearest, p.y - DrawnHeight(x, std::clamp(p.z, 0.1f, far[1] - 0.1f)));
        }
        EXPECT_LE(std::fabs(nearest), 4.0f) << where; // one step of driving up a slope may sink it
    }
    // How far the box stands inside each edge: x = 0, the far x, z = 0, the far z.
    std::array<float, 4> Gaps(const float far[2]) const {
        const Vector4 &c = tank.boxCentre, &s = tank.boxSize;
        return {c.x - s.x / 2, far[0] - c.x - s.x / 2, c.z - s.z / 2, far[1] - c.z - s.z / 2};
    }

    GLTestContext gl{64, 64};
    TempDir dir{true};
    Vehicle tank;
};
} // namespace

// On maps larger and smaller than one leaf a cell, square or not, with both terrain settings:
// put down anywhere, the tank comes to rest on the drawn ground; driven, it stays there; driven
// into the map's edge, it stops at the edge.
TEST_F(Ground, TanksRestOnItAndStopAtTheEdge) {
    for (auto [width, height] : {std::pair{64, 64}, {256, 256}, {1024, 1024}, {96, 48}, {32, 32}})
        for (int fine : {1, 0}) {
            if (width == 32 && fine == 1)
                continue; // one leaf a cell: the original contact rule, tested on its own
            appState.fineTerrain = fine;
            FillHeightMap(landscape, width, height, Hills);
            landscape.BuildSurface();
            float far[2];
            landscape.WorldExtent(far[0], far[1]);
            // Interior, the four edges and corners, and the foot of a cliff.
            const float at[][2] = {{0.5f, 0.5f}, {0, 0.5f}, {1, 0.5f}, {0.5f, 0}, {0.5f, 1},
                                   {0, 0},       {1, 1},    {1, 0},    {0, 1},    {0.36f, 0.4f}};
            for (const auto& [u, v] : at) {
                const std::string where =
                    testing::PrintToString(std::tuple(width, height, fine, u, v));
                tank.Load();
                tank.Rotate(270, 0, 0);
                tank.motion = tank.thrust = Vector4(0, 0, tank.fallSpeed = 0);
                tank.SetPosition(u * far[0] / 9, 300.0f / 9, v * far[1] / 9);
                for (int step = 0; step < 40; ++step) // falls, lands, is held on the map
                    tank.Update(20);
                tank.UpdateGeometry();
                ExpectOnGround(where.c_str());
                // Driven outwards from the edge it stands at, or along x from the interior.
                tank.body.rotation.z = u == 0 ? 180.0f : v == 0 ? 90.0f : v == 1 ? -90.0f : 0.0f;
                for (int step = 1; step <= 150; ++step) {
                    tank.Accelerate(true);
                    tank.Update(20);
                    if (step % 50 == 0) {
                        tank.UpdateGeometry();
                        ExpectOnGround((where + " driving").c_str());
                        const auto gaps = Gaps(far);
                        EXPECT_GE(*std::min_element(gaps.begin(), gaps.end()), -0.01f) << where;
                    }
                }
                if (u > 0 && u < 1 && v > 0 && v < 1)
                    continue;
                // At the edge, with no motion left across it.
                const auto gap = Gaps(far);
                const float outwards[4] = {-tank.motion.x, tank.motion.x, -tank.motion.z,
                                           tank.motion.z};
                const size_t side = std::min_element(gap.begin(), gap.end()) - gap.begin();
                EXPECT_LT(gap[side], 1.0f) << where;
                EXPECT_LE(outwards[side], 0.0f) << where;
            }
        }
}
