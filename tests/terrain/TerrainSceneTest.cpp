#include "TerrainTestSupport.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "platform/MessageBox.h"
#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <array>
#include <cstdio>

namespace fs = std::filesystem;

namespace {
using Rgb = std::array<int, 3>;

const auto Hills = [](int32_t r, int32_t c) { return uint8_t((r * 5 + c * 3) % 256); };

// A working directory with every picture the terrain reads, a real OpenGL context, the log on
// a scratch file and a fresh texture table holding the terrain's pictures in slots 0 to 5.
class TerrainScene : public testing::Test {
  protected:
    static void WriteHeightMap(int width, int height, // height: the blue byte; red, green noise
                               const std::function<uint8_t(int32_t, int32_t)>& heights) {
        std::vector<uint8_t> rgb;
        for (int i = 0; i < width * height; ++i)
            rgb.insert(rgb.end(), {uint8_t(i * 7), uint8_t(i), heights(i / width, i % width)});
        WritePicture("textures/landscp.bmp", width, rgb, height);
    }

    static void WritePicture(const char* name, int size, const std::vector<uint8_t>& rgb,
                             int height = 0) {
        ASSERT_TRUE(WriteBinaryFile(name, EncodeBmp24(size, height ? height : size, rgb)));
    }

    static void LoadTextures() {
        ResetTextureTable(256);
        for (const char* name :
             {kTerrainSourceNames[0], kTerrainSourceNames[1], kTerrainSourceNames[2],
              "textures/info.bmp", "textures/water.bmp", "textures/trail.bmp"})
            textureManager.LoadFromFile(name);
    }

    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        WriteHeightMap(32, 32, Hills); // maps up to 32 x 32 are drawn by the quadtree
        for (int i = 0; i < 3; ++i)
            WritePicture(kTerrainSourceNames[i], 256, Busy(256, 256, i + 1));
        WritePicture("textures/water.bmp", 8, Solid(8, 8, 0, 0, 200));
        WritePicture("textures/info.bmp", 16, Solid(16, 16, 200, 100, 50));
        WritePicture("textures/trail.bmp", 8, Solid(8, 8, 128, 128, 128));
        LoadTextures();
    }

    void TearDown() override { ResetTextureTable(0); }

    void ExpectPixel(int x, int y, Rgb want, const char* what = "") const {
        uint8_t rgb[3];
        gl.ReadPixel(x, y, rgb);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(rgb[k], want[k], 3) << what << " at " << x << ", " << y << " channel " << k;
    }

    // Gives a tile's texture one colour instead of its blended texels.
    void PaintTile(int32_t tile, int size, uint8_t r, uint8_t g, uint8_t b) {
        const std::vector<uint8_t> solid = Solid(size, size, r, g, b);
        textureManager.Bind(land.tiles[tile]);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, solid.data());
    }

    int32_t Reload(bool largeTexture) { // unloads, loads again; how many loading screens that drew
        appState.largeTerrainTexture = largeTexture;
        const int32_t screens = LoadingScreensDrawn();
        land.Unload();
        land.Load("textures/landscp.bmp");
        return LoadingScreensDrawn() - screens;
    }

    // Each tile's slot, and the last tile's texture, hold its part of the sources' blend.
    void ExpectTiles(int32_t tileSize) {
        auto source = [](int slot) { return textureManager.slots[slot].image->pixels; };
        std::vector<uint8_t> blended(kTerrainBytes);
        BlendTerrainTiles(land.Field(), {source(0), source(1), source(2)}, tileSize,
                          blended.data());
        const int32_t count = (1024 / tileSize) * (1024 / tileSize);
        const size_t bytes = size_t(tileSize) * tileSize * 3;
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_GE(land.tiles[i], 0);
            ASSERT_LT(land.tiles[i], textureManager.count);
            const TextureEntry& entry = textureManager.slots[land.tiles[i]];
            ASSERT_EQ(std::tuple(entry.image->width, entry.image->height),
                      std::tuple(tileSize, tileSize));
            EXPECT_TRUE(std::equal(entry.image->pixels, entry.image->pixels + bytes,
                                   blended.begin() + std::ptrdiff_t(i * bytes)))
                << "tile " << i;
        }
        std::vector<uint8_t> uploaded(bytes);
        textureManager.Bind(land.tiles[count - 1]);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
        EXPECT_TRUE(std::equal(uploaded.begin(), uploaded.end(), blended.end() - bytes));
    }

    GLTestContext gl;
    TempDir dir{true};
    LogCapture log;
    MessageBoxRecorder boxes; // a fatal error ends the program instead of waiting on a box
    Landscape land;
};

// Looks straight down on the map with a margin m, world x rightwards and z downwards on the
// screen; the frame's state as the program sets it before drawing the landscape.
struct TopView {
    float width, height, m;

    TopView(const Landscape& land)
        : width(land.width * 95.2381f), height(land.height * 95.2381f), m(width * 0.05f) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND); // the loading screen leaves it on
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-m, width + m, -height - m, m, -1000.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f); // height towards the eye, z down the screen
    }
    int X(float x) const { return int((x + m) / (width + 2 * m) * 640.0f); }
    int Y(float z) const { return int(480.0f - (z + m) / (height + 2 * m) * 480.0f); }
};

// Tiles painted (160, 80, 0) show as (159, 79, 0); water (0, 0, 200) adds at half strength.
constexpr Rgb kGround{159, 79, 0}, kWater{159, 79, 100}, kBlack{0, 0, 0}, kFrame{0, 96, 96};
constexpr auto npos = std::string::npos;
} // namespace

using TerrainDraw = TerrainScene;
using TerrainLoad = TerrainScene;

// Water shows over low ground, only within the terrain's rectangle.
TEST_F(TerrainDraw, WaterOverLowGround) {
    appState.fineTerrain = 1;
    WriteHeightMap(32, 24, // TL and BR quarters at 124, just under the water's 128; the others 220
                   [](int32_t r, int32_t c) { return uint8_t((r < 12) == (c < 16) ? 124 : 220); });
    Reload(true);
    PaintTile(0, 1024, 160, 80, 0);
    const TopView view(land);
    land.Draw();
    // Quarters, and points just inside and just outside each edge and corner.
    for (float u : {-0.008f, 0.008f, 0.4f, 0.6f, 0.992f, 1.008f})
        for (float v : {-0.008f, 0.008f, 0.4f, 0.6f, 0.992f, 1.008f})
            ExpectPixel(view.X(view.width * u), view.Y(view.height * v),
                        u < 0 || u > 1 || v < 0 || v > 1 ? kBlack
                        : (u < 0.5f) == (v < 0.5f)       ? kWater
                                                         : kGround);
}

// Leaves bind the tile under their first corner, which spreads the tiles unevenly.
TEST_F(TerrainDraw, LeafTiles) {
    appState.fineTerrain = 0;
    WriteHeightMap(32, 32, [](int32_t, int32_t) { return uint8_t(200); });
    Reload(false);
    for (int i = 0; i < 16; ++i) // every tile a colour of its own
        PaintTile(i, 256, uint8_t(i * 16), uint8_t(255 - i * 16), 77);
    const TopView view(land);
    land.Draw();
    // The map scale applies twice: tile columns and rows start at leaves 0, 5, 9 and 14.
    auto tileOf = [](int k) { return (k >= 5) + (k >= 9) + (k >= 14); };
    const float step = 32 * 95.2381f / 16;
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column) {
            const int tile = tileOf(row) * 4 + tileOf(column);
            ExpectPixel(view.X(step * (column + 0.5f)), view.Y(step * (row + 0.5f)),
                        {tile * 16, 255 - tile * 16, 77}, "leaf");
        }
}

// The cache is written, read, rebuilt on any change; tile slots are reused; no temporary stays.
TEST_F(TerrainLoad, Cache) {
    appState.fineTerrain = 1;
    glEnable(GL_DEPTH_TEST);                                 // as the program draws
    const bool swapControl = SDL_GL_SetSwapInterval(1) == 0; // not under every X server
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);                       // as the scene set-up leaves it
    const int32_t screens = Reload(false);
    EXPECT_EQ(land.heightMap[5 * 32 + 7], Hills(5, 7)); // row 0 = top row of the picture
    ExpectTiles(256);
    // The first and last row always show, 4096 rows never all do. The last shows the picture
    // and the bar (times the grey trail picture) at 255 / 256, up to x = 597.8.
    EXPECT_GE(screens, 2);
    EXPECT_LT(screens, 4096);
    ExpectPixel(64, 416, {200, 100, 50}, "picture");
    ExpectPixel(596, 240, {0, 176, 176}, "bar"); // (0, 80, 80) added over the frame
    ExpectPixel(599, 240, kFrame, "frame");
    // Unclamped the bar runs past the frame; each screen is drawn whole, no trail of a longer bar.
    DrawLoadingScreen(1.5f, true);
    ExpectPixel(620, 240, {0, 80, 80}, "unclamped");
    DrawLoadingScreen(0.0f, true);
    ExpectPixel(318, 240, kFrame, "afresh");
    EXPECT_EQ(swapControl ? SDL_GL_GetSwapInterval() : 1, 1); // back as before loading

    TerrainNode* firstChild = land.children[0]; // a load without unload only logs, keeps terrain
    land.Load("textures/landscp.bmp");
    EXPECT_TRUE(log.Contents().ends_with("Landscape already loaded")) << log.Contents();
    EXPECT_EQ(land.children[0], firstChild);

    EXPECT_EQ(Reload(false), 0); // the matching cache: no loading screen
    ExpectTiles(256);

    WriteHeightMap(32, 32, // a height, source texel, tile count: the check value sees every input
                   [](int32_t r, int32_t c) { return uint8_t(Hills(r, c) ^ (r * c == 31 * 31)); });
    EXPECT_GT(Reload(false), 0) << "other height map";
    EXPECT_NE(log.Contents().find(
                  "Terrain texture cache 'textures/landscpf.dat' does not match, rebuilding it\n"),
              npos);
    std::vector<uint8_t> texels = Busy(256, 256, 2);
    texels.back() ^= 1;
    WritePicture("textures/landscpt2.bmp", 256, texels);
    LoadTextures();
    EXPECT_GT(Reload(false), 0) << "other source picture";
    EXPECT_GT(Reload(true), 0) << "other tile count"; // tile 0's slot reused, the others kept
    ExpectTiles(1024);
    // The data tool writes the same, windowless; 1024 unless told.
    const std::vector<uint8_t> large = ReadFileBytes(kTerrainCacheFile);
    fs::remove(kTerrainCacheFile);
    ASSERT_EQ(std::system(ZEZIVOZE_BINARY_DIR "/zezivoze-data terrain ."), 0);
    EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), large);
    // Without reuse these loads would take 16 + 1 + 16 slots; tiles stay after the start-up ones.
    EXPECT_GT(Reload(false), 0);
    EXPECT_EQ(std::tuple(textureManager.count, std::vector(land.tiles, land.tiles + 16)),
              std::tuple(6 + 16,
                         std::vector{6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}));
    LoadTextures(); // a slot no longer holding its tile is not taken over
    textureManager.LoadFromMemory("not a tile", nullptr, 1, 1);
    Reload(false);
    EXPECT_EQ(std::tuple(textureManager.count, land.tiles[0]), std::tuple(7 + 16, 7));

    // A folder on the temporary's name (stops even root): tiles still made, one line says so.
    const std::string temporary = std::string(kTerrainCacheFile) + ".tmp";
    fs::create_directories(temporary);
    EXPECT_GT(Reload(true), 0);
    const std::string text = log.Contents(), line = "cache 'textures/landscpf.dat' not saved\n";
    EXPECT_EQ(std::tuple(text.find(line) != npos, text.find(line)),
              std::tuple(true, text.rfind(line)))
        << text;
    fs::remove(temporary); // a killed run's leftover goes at the next load; cache used or rewritten
    for (bool rewrite : {false, true}) {
        WriteFileText(temporary, "cut short");
        EXPECT_EQ(Reload(rewrite) > 0, rewrite);
        EXPECT_FALSE(fs::exists(temporary));
    }
}

// A missing or misshapen source, or a full table, ends the program with a clear message.
TEST_F(TerrainLoad, BadSourceIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process with its own context
    auto load = [](bool middle, int32_t capacity) {
        SetMessageBoxSink([](const char*, const char* text) { std::fprintf(stderr, "%s", text); });
        std::atexit([] { // the cache writer must be stopped, its temporary gone, before the end
            if (fs::exists(std::string(kTerrainCacheFile) + ".tmp"))
                std::_Exit(7);
        });
        ResetTextureTable(capacity);
        for (int i = 0; i < 3; ++i)
            if (i != 1 || middle)
                textureManager.LoadFromFile(kTerrainSourceNames[i]);
        Landscape().Load("textures/landscp.bmp");
        std::exit(0);
    };
    EXPECT_EXIT(load(false, 16), testing::ExitedWithCode(1),
                "Terrain source texture 'textures/landscpt2.bmp' is not loaded");
    // The table fills up while the tiles are uploaded and the cache is written.
    EXPECT_EXIT(load(true, 5), testing::ExitedWithCode(1), "texture limit reached");
    WritePicture("textures/landscpt3.bmp", 128, Busy(128, 256, 5), 256);
    EXPECT_EXIT(load(true, 16), testing::ExitedWithCode(1),
                "Terrain source texture 'textures/landscpt3.bmp' is 128x256, not 256x256");
}
