#include "TerrainTestSupport.h"
#include "image/TextureManager.h"
#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/TerrainBlend.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <set>

// Maps larger than the quadtree's leaves: drawn from a grid at their own resolution.

namespace {
uint8_t Ridges(int32_t r, int32_t c) {
    return uint8_t((r * 37 + c * 11 + (r * c) % 29) % 256);
}

// Fine terrain on a 200 x 120 map: 190 x 114 cells, patches of 16.
class Grid : public testing::Test {
  protected:
    void SetUp() override {
        appState.fineTerrain = 1;
        FillHeightMap(land, 200, 120, Ridges);
        land.BuildSurface();
    }
    Landscape land;
};
} // namespace

// Every vertex lies on its sample, patches meet on shared vertices bit for bit, coarse takes
// every other sample.
TEST_F(Grid, PatchesShareEdges) {
    const TerrainGrid& grid = land.Grid();
    ASSERT_EQ(std::tuple(grid.PatchesX(), grid.PatchesZ()), std::tuple(12, 8));
    std::vector<Vector4> a, b;
    std::vector<uint32_t> indices;
    grid.PatchMesh(2, 3, a, indices);
    ASSERT_EQ(std::tuple(a.size(), indices.size()), std::tuple(17u * 17u, 16u * 16u * 6u));
    for (const Vector4& v : a) { // x = 100 a sample, z likewise
        const int32_t c = int32_t(std::lround(v.x / 100)), r = int32_t(std::lround(v.z / 100));
        ASSERT_EQ(std::tuple(v.x, v.z, v.y), std::tuple(c / 0.01f, r / 0.01f, float(Ridges(r, c))));
    }
    // The last row of patches is cut at the map's edge: 115 - 112 = 3 cells deep.
    for (auto [px, pz, dx, dz, edge] :
         {std::tuple{2, 3, 1, 0, 17}, {2, 3, 0, 1, 17}, {11, 7, -1, 0, 4}}) {
        grid.PatchMesh(px, pz, a, indices);
        grid.PatchMesh(px + dx, pz + dz, b, indices);
        std::set<std::tuple<float, float, float>> shared;
        for (const Vector4& v : a)
            shared.insert({v.x, v.y, v.z});
        int common = 0;
        for (const Vector4& v : b)
            common += shared.count({v.x, v.y, v.z});
        EXPECT_EQ(common, edge) << px << ", " << pz << " and its neighbour";
    }
    // The last line is the edge itself, between samples.
    grid.PatchMesh(11, 7, a, indices);
    float far[2];
    land.WorldExtent(far[0], far[1]);
    EXPECT_EQ(std::tuple(a.back().x, a.back().z), std::tuple(far[0], far[1]));
    EXPECT_EQ(a.back().y, land.HeightAtWorld(far[0], far[1]));

    appState.fineTerrain = 0;
    land.BuildSurface();
    land.Grid().PatchMesh(0, 0, a, indices);
    EXPECT_EQ(std::tuple(a[1].x, a[1].y), std::tuple(200.0f, float(Ridges(0, 2))));
}

// Looking along +x from above the map's west edge: the patches behind the camera, beyond the
// far plane or off to the side are not drawn, the one ahead is.
TEST_F(Grid, DrawsOnlyWhatIsInView) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 640.0 / 480.0, 1.0, 3000.0);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(8000, 400, 6000, 9000, 300, 6000, 0, 1, 0);
    FillHeightMap(land, 400, 400, Ridges);
    land.BuildSurface();
    land.DrawTerrain(); // no pictures: it draws white
    const TerrainGrid& grid = land.Grid();
    const int32_t patchWorld = TerrainGrid::kPatchCells * 100; // 1600 units
    std::set<std::pair<int32_t, int32_t>> drawn;
    for (int32_t index : grid.DrawnPatches()) {
        const int32_t px = index % grid.PatchesX(), pz = index / grid.PatchesX();
        drawn.insert({px, pz});
        EXPECT_GE((px + 1) * patchWorld, 8000) << px << ", " << pz << " behind";
        EXPECT_LE(px * patchWorld, 11000) << px << ", " << pz << " beyond the far plane";
        EXPECT_LE(std::abs(pz * patchWorld + patchWorld / 2 - 6000), 3000) << pz << " aside";
    }
    EXPECT_EQ(drawn.count({9000 / patchWorld, 6000 / patchWorld}), 1u);
    EXPECT_EQ(grid.DrawnTriangles(), int64_t(drawn.size()) * 16 * 16 * 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// On flat ground at a height, the three sources (red low, green middle, blue high) show in the
// shares the terrain texture's blend gives that height.
TEST_F(Grid, ColoursFollowHeight) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    ResetTextureTable(16);
    for (int i = 0; i < 3; ++i)
        textureManager.LoadFromMemory(
            kTerrainSourceNames[i],
            Solid(8, 8, i == 0 ? 255 : 0, i == 1 ? 255 : 0, i == 2 ? 255 : 0).data(), 8, 8);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    for (int height : {40, 96, 150, 196, 250}) {
        FillHeightMap(land, 64, 64, [&](int32_t, int32_t) { return uint8_t(height); });
        land.BuildSurface();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 6000, -4500, 0, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(90, 1, 0, 0);
        land.DrawTerrain();
        const BlendWeights w = WeightsForHeight(height * 0.5f);
        uint8_t rgb[3];
        gl.ReadPixel(320, 240, rgb);
        EXPECT_NEAR(rgb[0], w.low * 255, 2) << height;
        EXPECT_NEAR(rgb[1], w.middle * 255, 2) << height;
        EXPECT_NEAR(rgb[2], w.high * 255, 2) << height;
    }
    ResetTextureTable(0);
}
