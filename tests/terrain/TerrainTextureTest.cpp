#include "TerrainScene.h"
#include "platform/ErrorLog.h"
#include "platform/MessageBox.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
uint8_t Hills(int32_t r, int32_t c) {
    return uint8_t((r * 5 + c * 3) % 256);
}

// What the blend makes of the folder's pictures, tiles in cache order.
std::vector<uint8_t> ExpectedTiles(const Landscape& land, int32_t tileSize) {
    const TerrainSources sources{
        textureManager.slots[textureManager.FindByName("textures/landscpt.bmp")].image->pixels,
        textureManager.slots[textureManager.FindByName("textures/landscpt2.bmp")].image->pixels,
        textureManager.slots[textureManager.FindByName("textures/landscpt3.bmp")].image->pixels};
    std::vector<uint8_t> tiles(kTerrainBytes);
    BlendTerrainTiles(land.Field(), sources, tileSize, tiles.data());
    return tiles;
}

// Each tile's slot holds its part of the picture, under its decimal name, and
// the OpenGL texture holds the same texels.
void ExpectTiles(const Landscape& land, int32_t tileSize, const std::vector<uint8_t>& expected) {
    const int32_t count = (1024 / tileSize) * (1024 / tileSize);
    const size_t bytes = size_t(tileSize) * tileSize * 3;
    EXPECT_EQ(land.tileSize, tileSize);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t slot = land.tiles[i];
        ASSERT_GE(slot, 0);
        ASSERT_LT(slot, textureManager.count);
        const TextureEntry& entry = textureManager.slots[slot];
        EXPECT_STREQ(entry.Name(), std::to_string(i).c_str());
        ASSERT_EQ(entry.image->width, tileSize);
        ASSERT_EQ(entry.image->height, tileSize);
        EXPECT_TRUE(std::equal(entry.image->pixels, entry.image->pixels + bytes,
                               expected.begin() + std::ptrdiff_t(i * bytes)))
            << "tile " << i;
        if (i == count - 1) { // the texture itself, for the last tile
            std::vector<uint8_t> uploaded(bytes);
            textureManager.Bind(slot);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
            EXPECT_TRUE(std::equal(uploaded.begin(), uploaded.end(),
                                   expected.begin() + std::ptrdiff_t(i * bytes)));
        }
    }
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

constexpr size_t kCacheBytes = 8 + kTerrainBytes + 4;
} // namespace

TEST_F(TerrainScene, ColdLoadBlendsShowsTheLoadingScreenAndWritesTheCache) {
    WriteData(Hills);
    LoadTextures();
    appState.fineTerrain = 1;
    appState.largeTerrainTexture = 0;
    const bool swapControl = SDL_GL_SetSwapInterval(1) == 0; // not under every X server
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);                       // as the scene set-up leaves it
    const int32_t screens = LoadingScreensDrawn();
    Landscape land;
    land.Load("textures/landscp.bmp");
    EXPECT_EQ(land.loaded, 1);
    EXPECT_EQ(land.width, 96);
    EXPECT_EQ(land.height, 64);
    EXPECT_EQ(land.heightMap[5 * 96 + 7], Hills(5, 7)); // row 0 = top row of the picture
    ASSERT_NE(land.children[0], nullptr);

    // 16 tiles in the slots after the start-up pictures, row by row.
    EXPECT_EQ(textureManager.count, 6 + 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(land.tiles[i], 6 + i);
    ExpectTiles(land, 256, ExpectedTiles(land, 256));
    // The first and the last row always show; 4096 rows never all do.
    EXPECT_GE(LoadingScreensDrawn() - screens, 2);
    EXPECT_LT(LoadingScreensDrawn() - screens, 4096);
    // The last screen shows the bar at the last row's progress, 255 / 256: the
    // frame (0, 96, 96) with the grey-tinted bar (0, 80, 80) added up to x = 597.8.
    uint8_t rgb[3];
    gl.ReadPixel(596, 240, rgb);
    EXPECT_NEAR(rgb[1], 176, 3);
    EXPECT_NEAR(rgb[2], 176, 3);
    gl.ReadPixel(599, 240, rgb);
    EXPECT_NEAR(rgb[1], 96, 3);
    if (swapControl) {
        EXPECT_EQ(SDL_GL_GetSwapInterval(), 1); // back as it was after loading
    }

    const std::vector<uint8_t> cache = ReadFileBytes(kTerrainCacheFile);
    ASSERT_EQ(cache.size(), kCacheBytes);
    EXPECT_EQ(Word(cache, 0), 4u);
    EXPECT_EQ(Word(cache, 4), 4u);
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

TEST_F(TerrainScene, AMatchingCacheIsReadWithoutLoadingScreenOrWriting) {
    WriteData(Hills);
    LoadTextures();
    appState.largeTerrainTexture = 1;
    Landscape cold;
    cold.Load("textures/landscp.bmp");
    const std::vector<uint8_t> expected = ExpectedTiles(cold, 1024);
    const fs::file_time_type written = fs::last_write_time(kTerrainCacheFile);
    const std::vector<uint8_t> cache = ReadFileBytes(kTerrainCacheFile);
    EXPECT_EQ(Word(cache, 0), 1u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), cache.begin() + 8));

    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const int32_t screens = LoadingScreensDrawn();
    Landscape warm;
    warm.Load("textures/landscp.bmp");
    EXPECT_EQ(LoadingScreensDrawn(), screens);
    uint8_t pixel[3];
    gl.ReadPixel(320, 240, pixel); // nothing drawn over the cleared screen
    EXPECT_NEAR(pixel[0], 51, 1);
    EXPECT_NEAR(pixel[2], 153, 1);
    EXPECT_EQ(fs::last_write_time(kTerrainCacheFile), written);
    EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), cache);
    EXPECT_EQ(textureManager.count, 6 + 1 + 1); // a new landscape takes its own slot
    ExpectTiles(warm, 1024, expected);
}

TEST_F(TerrainScene, StaleMismatchedAndDamagedCachesAreRebuilt) {
    WriteData(Hills);
    LoadTextures();
    appState.largeTerrainTexture = 0;
    Landscape land;
    land.Load("textures/landscp.bmp");
    const std::vector<uint8_t> first = ReadFileBytes(kTerrainCacheFile);

    auto reload = [&](const char* what) {
        SCOPED_TRACE(what);
        const int32_t screens = LoadingScreensDrawn();
        land.Unload();
        land.Load("textures/landscp.bmp");
        EXPECT_GT(LoadingScreensDrawn(), screens); // made anew
        const std::vector<uint8_t> cache = ReadFileBytes(kTerrainCacheFile);
        EXPECT_EQ(cache.size(), kCacheBytes);
        ExpectTiles(land, land.tileSize, ExpectedTiles(land, land.tileSize));
        return cache;
    };

    // Another height map: same counts, other check value.
    WriteHeightMap(96, 64, [](int32_t r, int32_t c) { return uint8_t(255 - Hills(r, c)); });
    const std::vector<uint8_t> stale = reload("other height map");
    EXPECT_NE(Word(stale, 8 + kTerrainBytes), Word(first, 8 + kTerrainBytes));
    EXPECT_NE(log.Contents().find("Terrain texture cache 'textures/landscpf.dat' does not match"),
              std::string::npos);

    // Another source picture.
    WritePicture("textures/landscpt2.bmp", 256, 256, Busy(256, 256, 99));
    LoadTextures();
    reload("other source picture");

    // Made for 256 (counts 4, 4), loaded for 1024: rewritten with 1, 1.
    appState.largeTerrainTexture = 1;
    const std::vector<uint8_t> large = reload("other tile count");
    EXPECT_EQ(Word(large, 0), 1u);
    EXPECT_EQ(Word(large, 4), 1u);

    // Short, without its check value, damaged counts.
    WriteFileBytes(kTerrainCacheFile, {large.begin(), large.begin() + 100000});
    reload("short");
    WriteFileBytes(kTerrainCacheFile, {large.begin(), large.end() - 4});
    reload("no check value");
    std::vector<uint8_t> damaged = large;
    damaged[1] = 0x40;
    WriteFileBytes(kTerrainCacheFile, damaged);
    EXPECT_EQ(reload("damaged counts"), large);
}

TEST_F(TerrainScene, AnUnwritableCacheStillGivesTiles) {
    WriteData(Hills);
    LoadTextures();
    appState.largeTerrainTexture = 0;
    // The temporary file's name is taken by a folder: nothing can be written.
    fs::create_directories(std::string(kTerrainCacheFile) + ".tmp");
    Landscape land;
    land.Load("textures/landscp.bmp");
    EXPECT_EQ(land.loaded, 1);
    ExpectTiles(land, 256, ExpectedTiles(land, 256));
    EXPECT_FALSE(fs::exists(kTerrainCacheFile));
    const std::string text = log.Contents();
    EXPECT_NE(text.find("Terrain texture cache 'textures/landscpf.dat' not saved\n"),
              std::string::npos);
    size_t lines = 0;
    for (size_t at = text.find("not saved"); at != std::string::npos;
         at = text.find("not saved", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u);
}

TEST_F(TerrainScene, ReloadsReuseTheirSlots) {
    WriteData(Hills);
    LoadTextures();
    appState.largeTerrainTexture = 0;
    Landscape land;
    land.Load("textures/landscp.bmp");
    const int32_t used = textureManager.count;
    EXPECT_EQ(used, 6 + 16);
    // 30 rebuilds of 16 tiles would take 480 slots of the 256 without reuse.
    for (int i = 0; i < 30; ++i) {
        appState.fineTerrain = i % 2;
        land.Unload();
        land.Load("textures/landscp.bmp");
    }
    EXPECT_EQ(textureManager.count, used);
    EXPECT_EQ(textureManager.FindByName("textures/water.bmp"), 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(land.tiles[i], 6 + i);

    // Another tile size reuses tile 0's slot and keeps the others for later.
    appState.largeTerrainTexture = 1;
    land.Unload();
    land.Load("textures/landscp.bmp");
    EXPECT_EQ(textureManager.count, used);
    ExpectTiles(land, 1024, ExpectedTiles(land, 1024));
    appState.largeTerrainTexture = 0;
    land.Unload();
    land.Load("textures/landscp.bmp");
    EXPECT_EQ(textureManager.count, used);
    ExpectTiles(land, 256, ExpectedTiles(land, 256));

    // A slot that no longer holds its tile is not taken over.
    ResetTextureTable(256);
    LoadTextures();
    textureManager.LoadFromMemory("not a tile", nullptr, 1, 1);
    land.Unload();
    land.Load("textures/landscp.bmp");
    EXPECT_EQ(textureManager.count, 7 + 16);
    EXPECT_EQ(land.tiles[0], 7);
}

namespace {
std::string childLog;

// The fatal path in a child process with its own context and the log open.
template <typename Body> void ExpectFatal(Body body, const std::string& pattern) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    childLog = fs::absolute("child.out").string();
    EXPECT_EXIT(
        {
            SetMessageBoxSink(
                [](const char*, const char* text) { std::fprintf(stderr, "box %s\n", text); });
            GLTestContext context;
            if (!context.ok())
                std::exit(3);
            errorLog.Open(childLog.c_str());
            body();
            std::exit(0);
        },
        testing::ExitedWithCode(1), pattern);
}
} // namespace

TEST_F(TerrainScene, AMissingOrMisshapenSourceEndsTheProgramClearly) {
    WriteData(Hills);
    ExpectFatal(
        [] {
            ResetTextureTable(16);
            textureManager.LoadFromFile("textures/landscpt.bmp");
            textureManager.LoadFromFile("textures/landscpt3.bmp");
            Landscape land;
            land.Load("textures/landscp.bmp");
        },
        "Terrain source texture 'textures/landscpt2.bmp' is not loaded");
    WritePicture("textures/landscpt3.bmp", 128, 256, Busy(128, 256, 5));
    ExpectFatal(
        [] {
            ResetTextureTable(16);
            for (const char* name :
                 {"textures/landscpt.bmp", "textures/landscpt2.bmp", "textures/landscpt3.bmp"})
                textureManager.LoadFromFile(name);
            Landscape land;
            land.Load("textures/landscp.bmp");
        },
        "Terrain source texture 'textures/landscpt3.bmp' is 128x256, not 256x256");
}

TEST_F(TerrainScene, TheDataToolWritesTheProgramsCacheByteForByte) {
    WriteData(Hills, 77, 50);
    LoadTextures();
    const std::string tool = std::string(ZEZIVOZE_BINARY_DIR) + "/zezivoze-data";
    for (int32_t tileSize : {256, 1024}) {
        SCOPED_TRACE(tileSize);
        appState.largeTerrainTexture = tileSize == 1024;
        fs::remove(kTerrainCacheFile);
        Landscape land;
        land.Load("textures/landscp.bmp");
        const std::vector<uint8_t> program = ReadFileBytes(kTerrainCacheFile);
        fs::remove(kTerrainCacheFile);
        const std::string command = tool + " terrain " + dir.path().string() + " --tile " +
                                    std::to_string(tileSize) + " > tool.out";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), program);
        EXPECT_NE(ReadFileText("tool.out").find("blend: "), std::string::npos);
    }
    // Without the tile option it writes the 1024 layout; bad use and missing data fail.
    ASSERT_EQ(std::system((tool + " terrain " + dir.path().string() + " > tool.out").c_str()), 0);
    EXPECT_EQ(Word(ReadFileBytes(kTerrainCacheFile), 0), 1u);
    EXPECT_NE(
        std::system((tool + " terrain " + dir.path().string() + " --tile 512 2>/dev/null").c_str()),
        0);
    EXPECT_NE(std::system((tool + " terrain " + dir.File("nowhere") + " 2>/dev/null").c_str()), 0);
    fs::remove("textures/landscpt.bmp");
    EXPECT_NE(std::system((tool + " terrain " + dir.path().string() + " 2> tool.err").c_str()), 0);
    EXPECT_NE(ReadFileText("tool.err").find("'textures/landscpt.bmp' is not loaded"),
              std::string::npos);
}
