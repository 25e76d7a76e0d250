#include "TerrainScene.h"
#include "platform/MessageBox.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainCache.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
uint8_t Hills(int32_t r, int32_t c) {
    return uint8_t((r * 5 + c * 3) % 256);
}

class TerrainLoad : public TerrainScene {
  protected:
    void SetUp() override {
        TerrainScene::SetUp();
        WriteData(Hills);
        LoadTextures();
    }

    // Unloads and loads again; returns how many loading screens that drew.
    int32_t Reload(bool largeTexture) {
        appState.largeTerrainTexture = largeTexture;
        const int32_t screens = LoadingScreensDrawn();
        land.Unload();
        land.Load("textures/landscp.bmp");
        return LoadingScreensDrawn() - screens;
    }

    // Each tile's slot holds its part of the picture blended from the loaded
    // sources, under its decimal name; the last tile's texture holds it too.
    void ExpectTiles(int32_t tileSize) {
        auto pixels = [](int i) {
            return textureManager.slots[textureManager.FindByName(kTerrainSourceNames[i])]
                .image->pixels;
        };
        std::vector<uint8_t> expected(kTerrainBytes);
        BlendTerrainTiles(land.Field(), {pixels(0), pixels(1), pixels(2)}, tileSize,
                          expected.data());
        const int32_t count = (1024 / tileSize) * (1024 / tileSize);
        const size_t bytes = size_t(tileSize) * tileSize * 3;
        ASSERT_EQ(land.tileSize, tileSize);
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_TRUE(land.tiles[i] >= 0 && land.tiles[i] < textureManager.count);
            const TextureEntry& entry = textureManager.slots[land.tiles[i]];
            EXPECT_STREQ(entry.Name(), std::to_string(i).c_str());
            ASSERT_TRUE(entry.image->width == tileSize && entry.image->height == tileSize);
            EXPECT_TRUE(std::equal(entry.image->pixels, entry.image->pixels + bytes,
                                   expected.begin() + std::ptrdiff_t(i * bytes)))
                << "tile " << i;
        }
        std::vector<uint8_t> uploaded(bytes);
        textureManager.Bind(land.tiles[count - 1]);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
        EXPECT_TRUE(std::equal(uploaded.begin(), uploaded.end(), expected.end() - bytes));
    }
};
} // namespace

TEST_F(TerrainLoad, ColdLoadBlendsShowsTheLoadingScreenAndWritesTheCache) {
    appState.fineTerrain = 1;
    const bool swapControl = SDL_GL_SetSwapInterval(1) == 0; // not under every X server
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);                       // as the scene set-up leaves it
    const int32_t screens = Reload(false);
    EXPECT_EQ(land.loaded, 1);
    EXPECT_TRUE(land.width == 96 && land.height == 64);
    EXPECT_EQ(land.heightMap[5 * 96 + 7], Hills(5, 7)); // row 0 = top row of the picture
    ASSERT_NE(land.children[0], nullptr);
    // 16 tiles in the slots after the start-up pictures, row by row.
    EXPECT_EQ(textureManager.count, 6 + 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(land.tiles[i], 6 + i);
    ExpectTiles(256);
    // The first and the last row always show; 4096 rows never all do. The last
    // shows the bar at 255 / 256: the frame (0, 96, 96) with the bar (0, 80, 80)
    // added up to x = 597.8.
    EXPECT_TRUE(screens >= 2 && screens < 4096) << screens;
    uint8_t rgb[3];
    gl.ReadPixel(596, 240, rgb);
    EXPECT_TRUE(std::abs(rgb[1] - 176) <= 3 && std::abs(rgb[2] - 176) <= 3);
    gl.ReadPixel(599, 240, rgb);
    EXPECT_NEAR(rgb[1], 96, 3);
    EXPECT_TRUE(!swapControl || SDL_GL_GetSwapInterval() == 1); // back as before loading

    const std::vector<uint8_t> cache = ReadFileBytes(kTerrainCacheFile);
    ASSERT_EQ(cache.size(), 8 + kTerrainBytes + 4);
    EXPECT_TRUE(Word(cache, 0) == 4u && Word(cache, 4) == 4u);
    EXPECT_FALSE(fs::exists(std::string(kTerrainCacheFile) + ".tmp"));
    const std::string text = log.Contents();
    EXPECT_NE(text.find("Unable to open file (textures/landscpf.dat)"), std::string::npos);
    EXPECT_NE(text.find("Texture '15' loaded\n"), std::string::npos);
    EXPECT_EQ(text.find("not saved"), std::string::npos);

    // A second load without an unload only logs and keeps the terrain.
    TerrainNode* firstChild = land.children[0];
    land.Load("textures/landscp.bmp");
    EXPECT_NE(log.Contents().find("Landscape already loaded"), std::string::npos);
    EXPECT_EQ(land.children[0], firstChild);
    EXPECT_EQ(textureManager.count, 6 + 16);
}

TEST_F(TerrainLoad, AMatchingCacheIsReadWithoutLoadingScreenOrWriting) {
    Reload(true);
    const fs::file_time_type written = fs::last_write_time(kTerrainCacheFile);
    const std::vector<uint8_t> cache = ReadFileBytes(kTerrainCacheFile);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(Reload(true), 0);
    uint8_t pixel[3];
    gl.ReadPixel(320, 240, pixel); // nothing drawn over the cleared screen
    EXPECT_TRUE(pixel[0] == 51 && pixel[2] == 153);
    EXPECT_EQ(fs::last_write_time(kTerrainCacheFile), written);
    EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), cache);
    EXPECT_EQ(textureManager.count, 6 + 1);
    ExpectTiles(1024);
}

TEST_F(TerrainLoad, StaleMismatchedAndDamagedCachesAreRebuilt) {
    Reload(false);
    const uint32_t firstCheck = Word(ReadFileBytes(kTerrainCacheFile), 8 + kTerrainBytes);
    auto expectRebuilt = [&](const char* what, bool large) {
        SCOPED_TRACE(what);
        EXPECT_GT(Reload(large), 0);
        EXPECT_EQ(ReadFileBytes(kTerrainCacheFile).size(), 8 + kTerrainBytes + 4);
        ExpectTiles(large ? 1024 : 256);
    };
    WriteHeightMap(96, 64, [](int32_t r, int32_t c) { return uint8_t(255 - Hills(r, c)); });
    expectRebuilt("other height map", false);
    EXPECT_NE(Word(ReadFileBytes(kTerrainCacheFile), 8 + kTerrainBytes), firstCheck);
    EXPECT_NE(log.Contents().find("Terrain texture cache 'textures/landscpf.dat' does not match"),
              std::string::npos);
    WritePicture("textures/landscpt2.bmp", 256, Busy(256, 256, 99));
    LoadTextures();
    expectRebuilt("other source picture", false);
    expectRebuilt("other tile count", true);
    const std::vector<uint8_t> large = ReadFileBytes(kTerrainCacheFile);
    EXPECT_TRUE(Word(large, 0) == 1u && Word(large, 4) == 1u);
    WriteFileBytes(kTerrainCacheFile, {large.begin(), large.end() - 4});
    expectRebuilt("short", true);
    EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), large);
}

TEST_F(TerrainLoad, AnUnwritableCacheStillGivesTilesAndOneLogLine) {
    // The temporary file's name is taken by a folder: nothing can be written.
    fs::create_directories(std::string(kTerrainCacheFile) + ".tmp");
    Reload(false);
    EXPECT_EQ(land.loaded, 1);
    ExpectTiles(256);
    EXPECT_FALSE(fs::exists(kTerrainCacheFile));
    const std::string text = log.Contents();
    const std::string line = "Terrain texture cache 'textures/landscpf.dat' not saved\n";
    const size_t at = text.find(line);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(text.find("not saved", at + line.size()), std::string::npos);
}

TEST_F(TerrainLoad, ReloadsReuseTheirSlots) {
    Reload(false);
    // 30 rebuilds of 16 tiles would take 480 slots of the 256 without reuse.
    for (int i = 0; i < 30; ++i) {
        appState.fineTerrain = i % 2;
        Reload(false);
    }
    EXPECT_EQ(textureManager.count, 6 + 16);
    EXPECT_EQ(textureManager.FindByName("textures/water.bmp"), 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(land.tiles[i], 6 + i);
    // Another tile size reuses tile 0's slot and keeps the others for later.
    for (bool large : {true, false}) {
        Reload(large);
        EXPECT_EQ(textureManager.count, 6 + 16);
        ExpectTiles(large ? 1024 : 256);
    }
    // A slot that no longer holds its tile is not taken over.
    LoadTextures();
    textureManager.LoadFromMemory("not a tile", nullptr, 1, 1);
    Reload(false);
    EXPECT_EQ(textureManager.count, 7 + 16);
    EXPECT_EQ(land.tiles[0], 7);
}

TEST_F(TerrainLoad, AMissingOrMisshapenSourceEndsTheProgramClearly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process with its own context
    auto load = [](bool middle) {
        SetMessageBoxSink([](const char*, const char* text) { std::fprintf(stderr, "%s", text); });
        ResetTextureTable(16);
        for (int i = 0; i < 3; ++i)
            if (i != 1 || middle)
                textureManager.LoadFromFile(kTerrainSourceNames[i]);
        Landscape land;
        land.Load("textures/landscp.bmp");
        std::exit(0);
    };
    EXPECT_EXIT(load(false), testing::ExitedWithCode(1),
                "Terrain source texture 'textures/landscpt2.bmp' is not loaded");
    ASSERT_TRUE(
        WriteBinaryFile("textures/landscpt3.bmp", EncodeBmp24(128, 256, Busy(128, 256, 5))));
    EXPECT_EXIT(load(true), testing::ExitedWithCode(1),
                "Terrain source texture 'textures/landscpt3.bmp' is 128x256, not 256x256");
}

TEST_F(TerrainLoad, TheDataToolWritesTheProgramsCacheByteForByte) {
    const std::string tool =
        std::string(ZEZIVOZE_BINARY_DIR) + "/zezivoze-data terrain " + dir.path().string();
    auto run = [&](const std::string& arguments) {
        fs::remove(kTerrainCacheFile);
        return std::system((tool + arguments + " > tool.out 2>&1").c_str());
    };
    for (int32_t tileSize : {256, 1024}) {
        fs::remove(kTerrainCacheFile);
        Reload(tileSize == 1024);
        const std::vector<uint8_t> program = ReadFileBytes(kTerrainCacheFile);
        ASSERT_EQ(run(" --tile " + std::to_string(tileSize)), 0);
        EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), program) << tileSize;
        EXPECT_NE(ReadFileText("tool.out").find("blend: "), std::string::npos);
    }
    // Without the tile option it writes the 1024 layout; bad use and missing data fail.
    ASSERT_EQ(run(""), 0);
    EXPECT_EQ(Word(ReadFileBytes(kTerrainCacheFile), 0), 1u);
    EXPECT_NE(run(" --tile 512"), 0);
    EXPECT_NE(run("/nowhere"), 0);
    fs::remove("textures/landscpt.bmp");
    EXPECT_NE(run(""), 0);
    EXPECT_NE(ReadFileText("tool.out").find("'textures/landscpt.bmp' is not loaded"),
              std::string::npos);
}
