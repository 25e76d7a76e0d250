#include "terrain/TerrainBlend.h"
#include "TerrainTestSupport.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {
std::vector<uint8_t> Source(uint32_t seed) {
    std::vector<uint8_t> pixels(size_t(kSourceTexels) * kSourceTexels * 3);
    uint32_t state = seed;
    for (uint8_t& byte : pixels) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    return pixels;
}

std::vector<uint8_t> SolidSource(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(size_t(kSourceTexels) * kSourceTexels * 3);
    for (size_t i = 0; i < pixels.size(); i += 3)
        pixels[i] = r, pixels[i + 1] = g, pixels[i + 2] = b;
    return pixels;
}

// Texel (X, Y) of the virtual picture straight from the written-out rule:
// height at (X, Y) / 1024, three weighted terms, clamp, integer part of x 255.
void ReferenceTexel(const Landscape& land, const std::vector<uint8_t>* sources[3], int x, int y,
                    uint8_t out[3]) {
    const float h = land.HeightAt(float(x) * 0.0009765625f, float(y) * 0.0009765625f) * 0.5f;
    float w[3] = {0, 0, 0};
    if (h < 33)
        w[0] = 1;
    else if (h < 63)
        w[0] = (30 - (h - 33)) * 0.033333335f, w[1] = (h - 33) * 0.033333335f;
    else if (h < 88)
        w[1] = 1;
    else if (h < 108)
        w[1] = (20 - (h - 88)) * 0.05f, w[2] = (h - 88) * 0.05f;
    else
        w[2] = 1;
    const size_t s = (size_t(y % 256) * 256 + size_t(x % 256)) * 3;
    for (int k = 0; k < 3; ++k) {
        float value = (*sources[0])[s + k] * 0.00390625f * w[0] +
                      (*sources[1])[s + k] * 0.00390625f * w[1] +
                      (*sources[2])[s + k] * 0.00390625f * w[2];
        value = value < 0 ? 0 : value > 1 ? 1 : value;
        out[k] = uint8_t(value * 255);
    }
}

// Texel (X, Y) of the virtual picture inside blended tiles of side tileSize.
const uint8_t* TileTexel(const std::vector<uint8_t>& tiles, int tileSize, int x, int y) {
    const int n = 1024 / tileSize;
    const size_t tile = size_t(y / tileSize) * n + size_t(x / tileSize);
    return tiles.data() +
           (tile * tileSize * tileSize + size_t(y % tileSize) * tileSize + size_t(x % tileSize)) *
               3;
}
} // namespace

TEST(TerrainBlend, WeightsAtTheBandEdges) {
    auto expect = [](float h, float low, float middle, float high) {
        const BlendWeights w = WeightsForHeight(h);
        EXPECT_NEAR(w.low, low, 1e-6f) << h;
        EXPECT_NEAR(w.middle, middle, 1e-6f) << h;
        EXPECT_NEAR(w.high, high, 1e-6f) << h;
        EXPECT_NEAR(w.low + w.middle + w.high, 1.0f, 1e-6f) << h;
    };
    expect(0, 1, 0, 0);
    expect(32.99f, 1, 0, 0);
    expect(33, 1, 0, 0);
    expect(48, 0.5f, 0.5f, 0);
    expect(62.999f, 0.0000333f, 0.9999667f, 0);
    expect(63, 0, 1, 0);
    expect(87.99f, 0, 1, 0);
    expect(88, 0, 1, 0);
    expect(98, 0, 0.5f, 0.5f);
    expect(107.99f, 0, 0.0005f, 0.9995f);
    expect(108, 0, 0, 1);
    expect(127.5f, 0, 0, 1);
}

TEST(TerrainBlend, FullWeightBytesAndHalfwayMixes) {
    const BlendWeights full{1, 0, 0};
    EXPECT_EQ(BlendChannel(255, 9, 9, full), 254); // 255 / 256 * 255 = 254.0039
    EXPECT_EQ(BlendChannel(128, 9, 9, full), 127);
    EXPECT_EQ(BlendChannel(0, 9, 9, full), 0);
    EXPECT_EQ(BlendChannel(9, 255, 9, BlendWeights{0, 1, 0}), 254);
    EXPECT_EQ(BlendChannel(9, 9, 128, BlendWeights{0, 0, 1}), 127);
    // h = 48: half A, half B. (200 + 100) / 2 / 256 * 255 = 149.4
    EXPECT_EQ(BlendChannel(200, 100, 0, WeightsForHeight(48)), 149);
    // Weights beyond 1 are clamped, not wrapped.
    EXPECT_EQ(BlendChannel(255, 255, 255, BlendWeights{1, 1, 1}), 255);
    EXPECT_EQ(BlendChannel(255, 0, 0, BlendWeights{-1, 0, 0}), 0);
}

TEST(TerrainBlend, TilesMatchTheTexelRuleAtBothSizesAndAnyThreadCount) {
    Landscape land;
    // Heights sweep every band in both directions, with a bumpy edge.
    FillHeightMap(land, 150, 130,
                  [](int32_t r, int32_t c) { return uint8_t((c * 255 / 149 + r % 7 * 3) % 256); });
    const std::vector<uint8_t> a = Source(1), b = Source(2), c = Source(3);
    const std::vector<uint8_t>* sources[3] = {&a, &b, &c};
    const TerrainSources input{a.data(), b.data(), c.data()};

    std::vector<uint8_t> large(kTerrainBytes), small(kTerrainBytes), smallOneThread(kTerrainBytes),
        smallThreeThreads(kTerrainBytes);
    BlendTerrainTiles(land.Field(), input, 1024, large.data());
    BlendTerrainTiles(land.Field(), input, 256, small.data());
    BlendTerrainTiles(land.Field(), input, 256, smallOneThread.data(), {}, 1);
    BlendTerrainTiles(land.Field(), input, 256, smallThreeThreads.data(), {}, 3);
    EXPECT_EQ(small, smallOneThread);
    EXPECT_EQ(small, smallThreeThreads);

    int mismatches = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            uint8_t expected[3];
            ReferenceTexel(land, sources, x, y, expected);
            const uint8_t* got1024 = TileTexel(large, 1024, x, y);
            const uint8_t* got256 = TileTexel(small, 256, x, y);
            for (int k = 0; k < 3; ++k)
                if (got1024[k] != expected[k] || got256[k] != expected[k])
                    if (++mismatches < 5)
                        ADD_FAILURE() << "texel " << x << ", " << y << " channel " << k;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(TerrainBlend, SourcesRepeatEvery256TexelsInsideALargeTile) {
    Landscape land;
    FillHeightMap(land, 64, 64, [](int32_t, int32_t) { return uint8_t(100); }); // h = 50
    const std::vector<uint8_t> a = Source(7), b = Source(8), c = SolidSource(1, 2, 3);
    std::vector<uint8_t> tiles(kTerrainBytes);
    BlendTerrainTiles(land.Field(), TerrainSources{a.data(), b.data(), c.data()}, 1024,
                      tiles.data());
    // Inside the map the weights are the same everywhere: texels 256 apart are equal.
    for (int y : {3, 200, 511})
        for (int x : {0, 17, 255})
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(TileTexel(tiles, 1024, x, y)[k], TileTexel(tiles, 1024, x + 256, y)[k]);
                EXPECT_EQ(TileTexel(tiles, 1024, x, y)[k],
                          TileTexel(tiles, 1024, x + 512, y + 256)[k]);
            }
}

TEST(TerrainBlend, ReportsEveryRowOfEveryTileInOrderOnTheCallingThread) {
    Landscape land;
    FillHeightMap(land, 16, 16, [](int32_t r, int32_t c) { return uint8_t(r * 16 + c); });
    const std::vector<uint8_t> a = Source(1);
    std::vector<uint8_t> tiles(kTerrainBytes);
    std::vector<std::pair<int, int>> rows;
    const std::thread::id caller = std::this_thread::get_id();
    bool sameThread = true;
    BlendTerrainTiles(land.Field(), TerrainSources{a.data(), a.data(), a.data()}, 256, tiles.data(),
                      [&](int32_t tile, int32_t row) {
                          rows.emplace_back(tile, row);
                          sameThread = sameThread && std::this_thread::get_id() == caller;
                      });
    EXPECT_TRUE(sameThread);
    ASSERT_EQ(rows.size(), 16u * 256u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].first, int(i / 256));
        EXPECT_EQ(rows[i].second, int(i % 256));
    }
}

TEST(TerrainBlend, CheckValueFollowsEveryInput) {
    Landscape land;
    FillHeightMap(land, 33, 20, [](int32_t r, int32_t c) { return uint8_t(r ^ c); });
    std::vector<uint8_t> a = Source(1), b = Source(2), c = Source(3);
    const TerrainSources sources{a.data(), b.data(), c.data()};
    const uint32_t base = TerrainCheckValue(land.Field(), sources);
    EXPECT_EQ(TerrainCheckValue(land.Field(), sources), base);
    land.heightMap[33 * 20 - 1] ^= 1; // the last sample
    EXPECT_NE(TerrainCheckValue(land.Field(), sources), base);
    land.heightMap[33 * 20 - 1] ^= 1;
    for (std::vector<uint8_t>* source : {&a, &b, &c}) {
        (*source)[source->size() - 1] ^= 0x80; // the last texel byte of each
        EXPECT_NE(TerrainCheckValue(land.Field(), sources), base);
        (*source)[source->size() - 1] ^= 0x80;
    }
    // The same bytes as another shape are other inputs.
    HeightField reshaped = land.Field();
    reshaped.width = 20, reshaped.height = 33;
    EXPECT_NE(TerrainCheckValue(reshaped, sources), base);
    EXPECT_EQ(TerrainCheckValue(land.Field(), sources), base);
}
