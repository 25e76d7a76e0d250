#include "TerrainTestSupport.h"
#include "app/Globals.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(HeightSampling, CornersOutsideAndTheLastRowAndColumn) {
    Landscape land;
    FillHeightMap(land, 64, 48, [](int32_t r, int32_t c) { return uint8_t(3 * r + c + 7); });
    EXPECT_FLOAT_EQ(land.HeightAt(0, 0), 7.0f); // top-left pixel
    EXPECT_EQ(land.HeightAt(-0.001f, 0.5f), 0.0f);
    EXPECT_EQ(land.HeightAt(0.5f, -0.001f), 0.0f);
    EXPECT_EQ(land.HeightAt(1.2f, 0.5f), 0.0f);
    EXPECT_EQ(land.HeightAt(std::numeric_limits<float>::quiet_NaN(), 0.5f), 0.0f);
    EXPECT_EQ(land.HeightAt(1e30f, 1e30f), 0.0f);
    // u = 1 lands well inside the map, at 0.952381 of its width.
    EXPECT_GT(land.HeightAt(1.0f, 1.0f), 0.0f);
    // A sample coordinate in the last column (63) or last row (47) has no
    // neighbours beyond it: height 0. Just before them it is inside.
    const float lastColumn = 63.0f / 64.0f / 0.952381f, lastRow = 47.0f / 48.0f / 0.952381f;
    EXPECT_EQ(land.HeightAt(lastColumn + 1e-4f, 0.5f), 0.0f);
    EXPECT_EQ(land.HeightAt(0.5f, lastRow + 1e-4f), 0.0f);
    EXPECT_GT(land.HeightAt(lastColumn - 1e-3f, 0.5f), 0.0f);
    EXPECT_GT(land.HeightAt(0.5f, lastRow - 1e-3f), 0.0f);
}

TEST(HeightSampling, BilinearBetweenTheFourSamplesAround) {
    Landscape land;
    // 129 wide: u = 0.5 gives fx = 61.428..., between columns 61 and 62.
    FillHeightMap(land, 129, 3, [](int32_t r, int32_t c) { return uint8_t(r == 0 ? c : 250); });
    const double fx = 129 * 0.5 * 0.952381;
    EXPECT_NEAR(fx, 61.428, 1e-3);
    EXPECT_NEAR(land.HeightAt(0.5f, 0.0f), fx, 1e-3); // the samples are their column numbers

    // Against a double-precision reference at scattered points.
    Landscape bumpy;
    FillHeightMap(bumpy, 37, 29,
                  [](int32_t r, int32_t c) { return uint8_t((r * 53 + c * 97) % 256); });
    for (int i = 0; i < 200; ++i) {
        const float u = float(i % 20) / 20.0f + 0.013f, v = float(i / 20) / 10.0f + 0.007f;
        const double sx = 37 * double(u) * 0.952381, sz = 29 * double(v) * 0.952381;
        const int ix = int(std::floor(sx)), iz = int(std::floor(sz));
        double expected = 0;
        if (ix >= 0 && ix <= 35 && iz >= 0 && iz <= 27) {
            const double a = sx - ix, b = sz - iz;
            auto h = [&](int r, int c) { return double(bumpy.heightMap[r * 37 + c]); };
            expected = (1 - a) * (1 - b) * h(iz, ix) + (1 - a) * b * h(iz + 1, ix) +
                       a * (1 - b) * h(iz, ix + 1) + a * b * h(iz + 1, ix + 1);
        }
        EXPECT_NEAR(bumpy.HeightAt(u, v), expected, 1e-3) << u << ", " << v;
    }
}

TEST(HeightSampling, FlatMapAndTinyMaps) {
    Landscape land;
    FillHeightMap(land, 40, 30, [](int32_t, int32_t) { return uint8_t(200); });
    for (float u : {0.0f, 0.3f, 0.77f, 1.0f})
        for (float v : {0.0f, 0.5f, 1.0f}) {
            EXPECT_EQ(land.HeightAt(u, v), 200.0f);
            Vector4 vertex;
            land.SampleVertex(u, v, vertex);
            EXPECT_EQ(vertex.y, 200.0f);
        }
    // Fewer than 2 x 2 samples: nothing has four neighbours.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 5}, std::pair{5, 1}, std::pair{0, 0}}) {
        Landscape tiny;
        FillHeightMap(tiny, w, h, [](int32_t, int32_t) { return uint8_t(99); });
        EXPECT_EQ(tiny.HeightAt(0, 0), 0.0f);
        EXPECT_EQ(tiny.HeightAt(0.5f, 0.5f), 0.0f);
    }
}

TEST(HeightSampling, SampleVertexGivesWorldPointAndTextureCoordinate) {
    Landscape land;
    FillHeightMap(land, 128, 128, [](int32_t, int32_t) { return uint8_t(10); });
    Vector4 vertex;
    vertex.w = 7.0f;
    float texCoord[2] = {-1.0f, -1.0f};
    land.SampleVertex(1.0f, 1.0f, vertex, texCoord);
    EXPECT_NEAR(vertex.x, 12190.48f, 0.01f);
    EXPECT_NEAR(vertex.z, 12190.48f, 0.01f);
    EXPECT_FLOAT_EQ(vertex.y, 10.0f);
    EXPECT_EQ(vertex.w, 7.0f);                            // w is left alone
    EXPECT_NEAR(texCoord[0], 121.9048f * 0.03125f, 1e-4); // one repeat per 32 cells
    EXPECT_NEAR(texCoord[1], 121.9048f * 0.03125f, 1e-4);

    // Outside: y = 0, x and z still written, the texture coordinate untouched.
    float untouched[2] = {5.0f, 6.0f};
    land.SampleVertex(-0.5f, 0.25f, vertex, untouched);
    EXPECT_EQ(vertex.y, 0.0f);
    EXPECT_NEAR(vertex.x, -6095.24f, 0.01f);
    EXPECT_NEAR(vertex.z, 3047.62f, 0.01f);
    EXPECT_EQ(untouched[0], 5.0f);
    EXPECT_EQ(untouched[1], 6.0f);
}

TEST(HeightSampling, WorldToMapUsesTheGlobalLandscapeWithoutUndoingTheMapScale) {
    FillHeightMap(landscape, 128, 64, [](int32_t, int32_t) { return uint8_t(0); });
    float x = 12190.48f, z = 0.0f;
    Landscape::WorldToMap(x, z);
    EXPECT_NEAR(x, 0.952381f, 1e-6);
    EXPECT_EQ(z, 0.0f);
    x = 0.0f, z = 6400.0f; // height 64
    Landscape::WorldToMap(x, z);
    EXPECT_FLOAT_EQ(z, 1.0f);
    // World point -> map -> the vertex drawn there lies at x * 0.952381.
    Vector4 vertex;
    float u = 5000.0f, v = 2000.0f;
    Landscape::WorldToMap(u, v);
    landscape.SampleVertex(u, v, vertex);
    EXPECT_NEAR(vertex.x, 5000.0f * 0.952381f, 0.01f);
    landscape.Unload();
    landscape.Unload(); // twice is harmless
    EXPECT_EQ(landscape.heightMap, nullptr);
    EXPECT_EQ(landscape.loaded, 0);
    // The sizes stay, the samples are gone: heights read as 0, nothing is read.
    EXPECT_EQ(landscape.HeightAt(0.5f, 0.5f), 0.0f);
    landscape.SampleVertex(0.5f, 0.5f, vertex);
    EXPECT_EQ(vertex.y, 0.0f);
}
