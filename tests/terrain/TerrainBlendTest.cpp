#include "terrain/TerrainBlend.h"
#include "TerrainTestSupport.h"
#include "support/TestSupport.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainCache.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

namespace {
const uint8_t* TileTexel(const std::vector<uint8_t>& tiles, int tileSize, int x, int y) {
    const size_t tile = size_t(y / tileSize) * (1024 / tileSize) + size_t(x / tileSize);
    return &tiles[(tile * tileSize * tileSize + size_t(y % tileSize) * tileSize + x % tileSize) *
                  3];
}
} // namespace

TEST(TerrainBlend, WeightsAndChannelsAtTheEdges) {
    const float weights[][4] = {{0, 1, 0, 0},
                                {32.99f, 1, 0, 0},
                                {33, 1, 0, 0},
                                {48, 0.5f, 0.5f, 0},
                                {62.999f, 0.0000333f, 0.9999667f, 0},
                                {63, 0, 1, 0},
                                {87.99f, 0, 1, 0},
                                {88, 0, 1, 0},
                                {98, 0, 0.5f, 0.5f},
                                {107.99f, 0, 0.0005f, 0.9995f},
                                {108, 0, 0, 1},
                                {127.5f, 0, 0, 1}};
    for (const auto& [h, low, middle, high] : weights) {
        const BlendWeights w = WeightsForHeight(h);
        EXPECT_NEAR(w.low, low, 1e-6f) << h;
        EXPECT_NEAR(w.middle, middle, 1e-6f) << h;
        EXPECT_NEAR(w.high, high, 1e-6f) << h;
    }
    struct Channel {
        uint8_t low, middle, high;
        BlendWeights w;
        int expected;
    };
    for (const Channel& c : {
             Channel{255, 9, 9, {1, 0, 0}, 254}, // 255 / 256 * 255 = 254.0039
             Channel{128, 9, 9, {1, 0, 0}, 127},
             Channel{0, 9, 9, {1, 0, 0}, 0},
             Channel{9, 255, 9, {0, 1, 0}, 254},
             Channel{9, 9, 128, {0, 0, 1}, 127},
             Channel{200, 100, 0, WeightsForHeight(48), 149}, // (200 + 100) / 2 / 256 * 255
             Channel{255, 255, 255, {1, 1, 1}, 255},          // clamped, not wrapped
             Channel{255, 0, 0, {-1, 0, 0}, 0},
         })
        EXPECT_EQ(BlendChannel(c.low, c.middle, c.high, c.w), c.expected) << int(c.low);
}

TEST(TerrainBlend, TilesFollowTheTexelRuleAtBothSizesAndAnyThreadCount) {
    Landscape land;
    // Heights sweep every band in both directions, with a bumpy edge.
    FillHeightMap(land, 150, 130,
                  [](int32_t r, int32_t c) { return uint8_t((c * 255 / 149 + r % 7 * 3) % 256); });
    const std::vector<uint8_t> a = Busy(256, 256, 1), b = Busy(256, 256, 2), c = Busy(256, 256, 3);
    const TerrainSources input{a.data(), b.data(), c.data()};
    std::vector<uint8_t> large(kTerrainBytes), small(kTerrainBytes), other(kTerrainBytes);
    BlendTerrainTiles(land.Field(), input, 1024, large.data());
    BlendTerrainTiles(land.Field(), input, 256, small.data());
    for (int threads : {1, 3}) {
        BlendTerrainTiles(land.Field(), input, 256, other.data(), {}, threads);
        EXPECT_EQ(small, other) << threads << " threads";
    }
    // Texel (X, Y): half the height at (X, Y) / 1024, the sources repeating every 256.
    int mismatches = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const BlendWeights w = WeightsForHeight(land.HeightAt(x / 1024.0f, y / 1024.0f) * 0.5f);
            const size_t s = (size_t(y % 256) * 256 + size_t(x % 256)) * 3;
            for (int k = 0; k < 3; ++k) {
                const uint8_t expected = BlendChannel(a[s + k], b[s + k], c[s + k], w);
                if (TileTexel(large, 1024, x, y)[k] != expected ||
                    TileTexel(small, 256, x, y)[k] != expected)
                    if (++mismatches < 5)
                        ADD_FAILURE() << "texel " << x << ", " << y << " channel " << k;
            }
        }
    EXPECT_EQ(mismatches, 0);

    // Every row of every tile is reported in order, on the calling thread.
    std::vector<std::pair<int, int>> rows;
    const std::thread::id caller = std::this_thread::get_id();
    BlendTerrainTiles(land.Field(), input, 256, other.data(), [&](int32_t tile, int32_t row) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        rows.emplace_back(tile, row);
    });
    ASSERT_EQ(rows.size(), 16u * 256u);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], std::pair(int(i / 256), int(i % 256)));
}

TEST(TerrainBlend, CheckValueFollowsEveryInput) {
    Landscape land;
    FillHeightMap(land, 33, 20, [](int32_t r, int32_t c) { return uint8_t(r ^ c); });
    std::vector<uint8_t> a = Busy(256, 256, 1), b = Busy(256, 256, 2), c = Busy(256, 256, 3);
    const TerrainSources sources{a.data(), b.data(), c.data()};
    const uint32_t base = TerrainCheckValue(land.Field(), sources);
    // The last height sample, the last byte of each source.
    for (uint8_t* last : {&land.heightMap[33 * 20 - 1], &a.back(), &b.back(), &c.back()}) {
        *last ^= 0x80;
        EXPECT_NE(TerrainCheckValue(land.Field(), sources), base);
        *last ^= 0x80;
    }
    EXPECT_EQ(TerrainCheckValue(land.Field(), sources), base);
    // The same bytes as another shape are other inputs.
    HeightField reshaped = land.Field();
    reshaped.width = 20, reshaped.height = 33;
    EXPECT_NE(TerrainCheckValue(reshaped, sources), base);
}

TEST(TerrainCache, LayoutRoundTripAndOnlyWholeMatchingFilesUsed) {
    LogCapture log;
    TempDir dir;
    const std::string file = dir.File("landscpf.dat");
    std::vector<uint8_t> back(kTerrainBytes);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 1u, back.data()), TerrainCacheResult::Missing);
    EXPECT_NE(log.Contents().find("Unable to open file (" + file + ")"), std::string::npos);

    const std::vector<uint8_t> tiles = Busy(1024, 1024, 3);
    for (auto [tileSize, count] : {std::pair{1024, 1u}, std::pair{256, 4u}}) {
        ASSERT_TRUE(WriteTerrainCache(file.c_str(), tileSize, 0xA1B2C3D4u, tiles.data()));
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        ASSERT_EQ(bytes.size(), 8 + kTerrainBytes + 4);
        EXPECT_EQ(Word(bytes, 0), count);
        EXPECT_EQ(Word(bytes, 4), count);
        EXPECT_TRUE(std::equal(tiles.begin(), tiles.end(), bytes.begin() + 8));
        EXPECT_EQ(Word(bytes, 8 + kTerrainBytes), 0xA1B2C3D4u);
        EXPECT_FALSE(fs::exists(file + ".tmp"));
        EXPECT_EQ(ReadTerrainCache(file.c_str(), tileSize, 0xA1B2C3D4u, back.data()),
                  TerrainCacheResult::Used);
        EXPECT_EQ(back, tiles);
    }
    const std::vector<uint8_t> good = ReadFileBytes(file);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 1024, 0xA1B2C3D4u, back.data()),
              TerrainCacheResult::Mismatch);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 2u, back.data()), TerrainCacheResult::Mismatch);
    std::vector<uint8_t> longer = good, damaged = good;
    longer.push_back(0);
    damaged[0] = 0xFF, damaged[3] = 0x7F;
    // Without the check value (the older layout), short, cut inside the
    // header, one byte too long, empty, nonsense counts.
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>(good.begin(), good.end() - 4),
          std::vector<uint8_t>(good.begin(), good.begin() + 1000),
          std::vector<uint8_t>(good.begin(), good.begin() + 6), longer, std::vector<uint8_t>(),
          damaged}) {
        WriteFileBytes(file, bytes);
        EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 0xA1B2C3D4u, back.data()),
                  TerrainCacheResult::Mismatch)
            << bytes.size() << " bytes";
    }
}

TEST(TerrainCache, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    LogCapture log;
    TempDir dir;
    const std::string file = dir.File("landscpf.dat");
    const std::vector<uint8_t> tiles(kTerrainBytes, 7);
    ASSERT_TRUE(WriteTerrainCache(file.c_str(), 256, 1u, tiles.data()));
    const std::vector<uint8_t> before = ReadFileBytes(file);
    // A folder in the temporary's place (stops even a user whom permissions do not).
    fs::create_directory(file + ".tmp");
    EXPECT_FALSE(WriteTerrainCache(file.c_str(), 1024, 9u, tiles.data()));
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_FALSE(WriteTerrainCache(dir.File("missing/x.dat").c_str(), 256, 1u, tiles.data()));
    EXPECT_FALSE(fs::exists(dir.File("missing")));
    // The final name taken by a folder that is not empty: the rename fails, the temporary goes.
    const std::string blocked = dir.File("blocked.dat");
    fs::create_directories(blocked + "/inside");
    EXPECT_FALSE(WriteTerrainCache(blocked.c_str(), 256, 1u, tiles.data()));
    EXPECT_FALSE(fs::exists(blocked + ".tmp"));
}

TEST(LoadingScreenPacer, DrawsAtMostOncePer15MsBesidesForcedScreens) {
    LoadingScreenPacer pacer;
    // The first one always; a forced one restarts the interval.
    const std::tuple<double, bool, bool> calls[] = {
        {1000, false, true},  {1001, false, false}, {1014.9, false, false}, {1015, false, true},
        {1020, false, false}, {1021, true, true},   {1035, false, false},   {1036, false, true}};
    for (auto [now, force, due] : calls)
        EXPECT_EQ(pacer.Due(now, force), due) << now;
    pacer.Reset();
    EXPECT_TRUE(pacer.Due(1037.0, false));
}
