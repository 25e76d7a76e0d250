#include "terrain/TerrainCache.h"
#include "support/TestSupport.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {
constexpr size_t kCacheBytes = 8 + kTerrainBytes + 4;

std::vector<uint8_t> Pattern(uint8_t seed) {
    std::vector<uint8_t> tiles(kTerrainBytes);
    for (size_t i = 0; i < tiles.size(); ++i)
        tiles[i] = uint8_t(i * 31 + seed + (i >> 12));
    return tiles;
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}
} // namespace

TEST(TerrainCache, LayoutAndRoundTrip) {
    LogCapture log;
    TempDir dir;
    const std::string file = dir.File("landscpf.dat");
    const std::vector<uint8_t> tiles = Pattern(3);
    ASSERT_TRUE(WriteTerrainCache(file.c_str(), 256, 0xA1B2C3D4u, tiles.data()));
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), kCacheBytes); // 3,145,736 bytes and the check value
    EXPECT_EQ(Word(bytes, 0), 4u);
    EXPECT_EQ(Word(bytes, 4), 4u);
    EXPECT_TRUE(std::equal(tiles.begin(), tiles.end(), bytes.begin() + 8));
    EXPECT_EQ(Word(bytes, 8 + kTerrainBytes), 0xA1B2C3D4u);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    std::vector<uint8_t> back(kTerrainBytes);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 0xA1B2C3D4u, back.data()),
              TerrainCacheResult::Used);
    EXPECT_EQ(back, tiles);

    ASSERT_TRUE(WriteTerrainCache(file.c_str(), 1024, 7u, tiles.data()));
    const std::vector<uint8_t> large = ReadFileBytes(file);
    EXPECT_EQ(Word(large, 0), 1u);
    EXPECT_EQ(Word(large, 4), 1u);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 1024, 7u, back.data()), TerrainCacheResult::Used);
}

TEST(TerrainCache, OnlyAWholeMatchingCacheIsUsed) {
    LogCapture log;
    TempDir dir;
    const std::string file = dir.File("landscpf.dat");
    std::vector<uint8_t> back(kTerrainBytes);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 1u, back.data()), TerrainCacheResult::Missing);
    EXPECT_NE(log.Contents().find("Unable to open file (" + file + ")"), std::string::npos);

    ASSERT_TRUE(WriteTerrainCache(file.c_str(), 256, 1u, Pattern(0).data()));
    const std::vector<uint8_t> good = ReadFileBytes(file);
    // Another tile count, another check value.
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 1024, 1u, back.data()), TerrainCacheResult::Mismatch);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 2u, back.data()), TerrainCacheResult::Mismatch);

    auto verdict = [&](const std::vector<uint8_t>& bytes) {
        WriteFileBytes(file, bytes);
        return ReadTerrainCache(file.c_str(), 256, 1u, back.data());
    };
    // Without its check value (the layout before it was added), short, cut
    // inside the header, one byte too long, empty.
    EXPECT_EQ(verdict({good.begin(), good.end() - 4}), TerrainCacheResult::Mismatch);
    EXPECT_EQ(verdict({good.begin(), good.begin() + 1000}), TerrainCacheResult::Mismatch);
    EXPECT_EQ(verdict({good.begin(), good.begin() + 6}), TerrainCacheResult::Mismatch);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(verdict(longer), TerrainCacheResult::Mismatch);
    EXPECT_EQ(verdict({}), TerrainCacheResult::Mismatch);
    // Counts that are nonsense.
    std::vector<uint8_t> damaged = good;
    damaged[0] = 0xFF, damaged[3] = 0x7F;
    EXPECT_EQ(verdict(damaged), TerrainCacheResult::Mismatch);
    EXPECT_EQ(verdict(good), TerrainCacheResult::Used);
}

TEST(TerrainCache, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    LogCapture log;
    TempDir dir;
    const std::string file = dir.File("landscpf.dat");
    ASSERT_TRUE(WriteTerrainCache(file.c_str(), 256, 1u, Pattern(1).data()));
    const std::vector<uint8_t> before = ReadFileBytes(file);
    // The temporary cannot be created: a folder stands in its way (this works
    // even for a user whom permissions do not stop).
    std::filesystem::create_directory(file + ".tmp");
    EXPECT_FALSE(WriteTerrainCache(file.c_str(), 1024, 9u, Pattern(2).data()));
    EXPECT_EQ(ReadFileBytes(file), before);
    std::filesystem::remove(file + ".tmp");

    // A folder that does not exist cannot take the cache either.
    EXPECT_FALSE(
        WriteTerrainCache(dir.File("missing/landscpf.dat").c_str(), 256, 1u, Pattern(2).data()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

    // The final name taken by a folder: the rename fails, the temporary goes.
    const std::string blocked = dir.File("blocked.dat");
    std::filesystem::create_directory(blocked);
    std::filesystem::create_directory(blocked + "/inside"); // not empty: cannot be replaced
    EXPECT_FALSE(WriteTerrainCache(blocked.c_str(), 256, 1u, Pattern(2).data()));
    EXPECT_FALSE(std::filesystem::exists(blocked + ".tmp"));
}

TEST(LoadingScreenPacer, DrawsAtMostOncePer15MsBesidesForcedScreens) {
    LoadingScreenPacer pacer;
    EXPECT_TRUE(pacer.Due(1000.0, false)); // the first one always
    EXPECT_FALSE(pacer.Due(1001.0, false));
    EXPECT_FALSE(pacer.Due(1014.9, false));
    EXPECT_TRUE(pacer.Due(1015.0, false));
    EXPECT_FALSE(pacer.Due(1020.0, false));
    EXPECT_TRUE(pacer.Due(1021.0, true)); // forced, and it restarts the interval
    EXPECT_FALSE(pacer.Due(1035.0, false));
    EXPECT_TRUE(pacer.Due(1036.0, false));
    pacer.Reset();
    EXPECT_TRUE(pacer.Due(1037.0, false));
}
