#include "TerrainTestSupport.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "platform/MessageBox.h"
#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/Landscape.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
using Rgb = std::array<int, 3>;

uint8_t Hills(int32_t r, int32_t c) {
    return uint8_t((r * 5 + c * 3) % 256);
}

// A data folder as the program reads it (working directory) with every picture
// the terrain reads, a real OpenGL context, the global log on a scratch file and
// a fresh global texture table holding the pictures the terrain uses in slots 0 to 5.
class TerrainScene : public testing::Test {
  protected:
    static void WriteHeightMap(int width, int height,
                               const std::function<uint8_t(int32_t, int32_t)>& heights) {
        std::vector<uint8_t> rgb; // the height is the blue byte; red and green are noise
        for (int i = 0; i < width * height; ++i)
            rgb.insert(rgb.end(), {uint8_t(i * 7), uint8_t(i), heights(i / width, i % width)});
        ASSERT_TRUE(WriteBinaryFile("textures/landscp.bmp", EncodeBmp24(width, height, rgb)));
    }

    static void WritePicture(const char* name, int size, const std::vector<uint8_t>& rgb) {
        ASSERT_TRUE(WriteBinaryFile(name, EncodeBmp24(size, size, rgb)));
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
        WriteHeightMap(96, 64, Hills);
        for (int i = 0; i < 3; ++i)
            WritePicture(kTerrainSourceNames[i], 256, Busy(256, 256, i + 1));
        WritePicture("textures/water.bmp", 8, Solid(8, 8, 0, 0, 200));
        WritePicture("textures/info.bmp", 16, Solid(16, 16, 200, 100, 50));
        WritePicture("textures/trail.bmp", 8, Solid(8, 8, 128, 128, 128));
        LoadTextures();
    }

    void TearDown() override {
        appState.fineTerrain = fineTerrain;
        appState.largeTerrainTexture = largeTexture;
        ResetTextureTable(0);
    }

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

    // Runs the data tool on the folder; the cache it puts where the program's was,
    // nothing when it fails.
    std::vector<uint8_t> RunTool(const std::string& arguments) {
        const std::string command = std::string(ZEZIVOZE_BINARY_DIR) + "/zezivoze-data terrain " +
                                    dir.path().string() + arguments + " > tool.out 2>&1";
        fs::remove(kTerrainCacheFile);
        return std::system(command.c_str()) == 0 ? ReadFileBytes(kTerrainCacheFile)
                                                 : std::vector<uint8_t>{};
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
    // sources (kept in blended), under its decimal name; the last tile's texture
    // holds it too.
    void ExpectTiles(int32_t tileSize) {
        const TextureEntry* sources = textureManager.slots; // in slots 0 to 2
        blended.resize(kTerrainBytes);
        BlendTerrainTiles(
            land.Field(),
            {sources[0].image->pixels, sources[1].image->pixels, sources[2].image->pixels},
            tileSize, blended.data());
        const int32_t count = (1024 / tileSize) * (1024 / tileSize);
        const size_t bytes = size_t(tileSize) * tileSize * 3;
        ASSERT_EQ(land.tileSize, tileSize);
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_TRUE(land.tiles[i] >= 0 && land.tiles[i] < textureManager.count);
            const TextureEntry& entry = textureManager.slots[land.tiles[i]];
            ASSERT_TRUE(entry.image->width == tileSize && entry.image->height == tileSize);
            EXPECT_TRUE(entry.Name() == std::to_string(i) &&
                        std::equal(entry.image->pixels, entry.image->pixels + bytes,
                                   blended.begin() + std::ptrdiff_t(i * bytes)))
                << "tile " << i;
        }
        std::vector<uint8_t> uploaded(bytes);
        textureManager.Bind(land.tiles[count - 1]);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
        EXPECT_TRUE(std::equal(uploaded.begin(), uploaded.end(), blended.end() - bytes));
    }

    GLTestContext gl;
    TempDir dir{true};
    LogCapture log;
    MessageBoxRecorder boxes; // a fatal error ends the program instead of waiting on a box
    Landscape land;
    std::vector<uint8_t> blended;
    unsigned char fineTerrain = appState.fineTerrain;
    unsigned char largeTexture = appState.largeTerrainTexture;
};

// Looks straight down on the whole map with a margin of m around it, world x
// to the right and world z downwards on the screen; the frame's state as the
// program sets it before the landscape is drawn.
struct TopView {
    float width, height, m;

    TopView(const Landscape& land)
        : width(land.width * 95.2381f), height(land.height * 95.2381f), m(width * 0.05f) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
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

// Writes a cache until the file size limit (1 MiB) stops it; the signal that
// brings becomes a kill, as a user or the system may end a run at any point.
void KilledInsideTheCacheWrite() {
    const rlimit limit{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, [](int) { kill(getpid(), SIGKILL); });
    WriteTerrainCache(kTerrainCacheFile, 256, 1u, Busy(1024, 1024, 9).data());
    std::exit(0);
}

// The tiles painted (160, 80, 0) show as (159, 79, 0); the water (0, 0, 200) at
// half strength is added over them.
constexpr Rgb kGround{159, 79, 0}, kWater{159, 79, 100}, kBlack{0, 0, 0};
// The loading screen's frame, and its bar (0, 80, 80) added over the frame.
constexpr Rgb kFrame{0, 96, 96}, kBar{0, 176, 176};
constexpr auto npos = std::string::npos;
} // namespace

using TerrainDraw = TerrainScene;
using TerrainLoad = TerrainScene;

TEST_F(TerrainDraw, WaterShowsOverLowGroundWithinTheTerrainsRectangle) {
    appState.fineTerrain = 1;
    appState.largeTerrainTexture = 1;
    // Top-left and bottom-right quarters at 124, just under the water at 128, the others at 220.
    WriteHeightMap(96, 64,
                   [](int32_t r, int32_t c) { return uint8_t((r < 32) == (c < 48) ? 124 : 220); });
    land.Load("textures/landscp.bmp");
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
    EXPECT_EQ(log.Contents().find("Error:"), npos);
}

TEST_F(TerrainDraw, LeavesBindTheTileUnderTheirFirstCornerUnevenly) {
    appState.largeTerrainTexture = 0;
    WriteHeightMap(128, 128, [](int32_t, int32_t) { return uint8_t(200); });
    // The map scale is applied twice, so the tiles do not divide the leaves
    // evenly: the leaf column (and row) that starts each tile column.
    for (auto [fine, perSide, firstOfTile] : {std::tuple{0, 16, std::array{0, 5, 9, 14}},
                                              std::tuple{1, 32, std::array{0, 9, 18, 27}}}) {
        appState.fineTerrain = static_cast<unsigned char>(fine);
        land.Unload();
        land.Load("textures/landscp.bmp");
        for (int i = 0; i < 16; ++i) // every tile a colour of its own
            PaintTile(i, 256, uint8_t(i * 16), uint8_t(255 - i * 16), 77);
        const TopView view(land);
        land.Draw();
        auto tileOf = [&](int k) {
            return int(std::upper_bound(firstOfTile.begin(), firstOfTile.end(), k) -
                       firstOfTile.begin()) -
                   1;
        };
        const float step = 128 * 95.2381f / float(perSide);
        for (int row = 0; row < perSide; ++row)
            for (int column = 0; column < perSide; ++column) {
                const int tile = tileOf(row) * 4 + tileOf(column);
                ExpectPixel(view.X(step * (column + 0.5f)), view.Y(step * (row + 0.5f)),
                            {tile * 16, 255 - tile * 16, 77}, "leaf");
            }
    }
}

TEST_F(TerrainDraw, LoadingScreenDrawsPictureFrameAndAnUnclampedBarAfresh) {
    glViewport(0, 0, 640, 480);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // The bar times the grey trail picture; redrawn whole each time: no trail of
    // a longer bar.
    for (auto [progress, x, y, rgb] :
         {std::tuple{0.5f, 64, 416, Rgb{200, 100, 50}}, // picture
          std::tuple{0.5f, 130, 416, kBlack}, std::tuple{0.5f, 37, 240, kFrame},
          std::tuple{0.5f, 318, 240, kBar}, // ends at 320
          std::tuple{0.5f, 322, 240, kFrame}, std::tuple{0.0f, 318, 240, kFrame},
          std::tuple{1.5f, 602, 240, kBar}, std::tuple{1.5f, 620, 240, Rgb{0, 80, 80}}}) {
        DrawLoadingScreen(progress, true);
        ExpectPixel(x, y, rgb, "loading screen");
    }
}

TEST_F(TerrainLoad, CacheWrittenReadRebuiltOnAnyChangeSlotsReusedNoTemporaryLeft) {
    appState.fineTerrain = 1;
    const bool swapControl = SDL_GL_SetSwapInterval(1) == 0; // not under every X server
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);                       // as the scene set-up leaves it
    const int32_t screens = Reload(false);
    EXPECT_TRUE(land.loaded == 1 && land.width == 96 && land.height == 64);
    EXPECT_EQ(land.heightMap[5 * 96 + 7], Hills(5, 7)); // row 0 = top row of the picture
    ExpectTiles(256);
    // The first and the last row always show; 4096 rows never all do. The last
    // shows the bar at 255 / 256, up to x = 597.8.
    EXPECT_TRUE(screens >= 2 && screens < 4096) << screens;
    ExpectPixel(596, 240, kBar, "bar");
    ExpectPixel(599, 240, kFrame, "frame");
    EXPECT_TRUE(!swapControl || SDL_GL_GetSwapInterval() == 1); // back as before loading
    std::vector<uint8_t> small = ReadFileBytes(kTerrainCacheFile);
    ASSERT_TRUE(small.size() == 8 + kTerrainBytes + 4 && Word(small, 0) == 4u);
    EXPECT_NE(log.Contents().find("Unable to open file (textures/landscpf.dat)"), npos);
    EXPECT_EQ(RunTool(" --tile 256"), small); // the data tool writes the same, windowless

    // A second load without an unload only logs and keeps the terrain.
    TerrainNode* firstChild = land.children[0];
    land.Load("textures/landscp.bmp");
    EXPECT_NE(log.Contents().find("Landscape already loaded"), npos);
    EXPECT_EQ(land.children[0], firstChild);

    // The matching cache: no loading screen over the cleared screen, nothing written.
    const fs::file_time_type written = fs::last_write_time(kTerrainCacheFile);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(Reload(false), 0);
    ExpectPixel(320, 240, {51, 102, 153}, "cleared");
    EXPECT_TRUE(fs::last_write_time(kTerrainCacheFile) == written &&
                ReadFileBytes(kTerrainCacheFile) == small);
    ExpectTiles(256);

    auto expectRebuilt = [&](const char* what, bool large) {
        SCOPED_TRACE(what);
        EXPECT_GT(Reload(large), 0);
        EXPECT_EQ(ReadFileBytes(kTerrainCacheFile).size(), 8 + kTerrainBytes + 4);
        ExpectTiles(large ? 1024 : 256);
    };
    // One height sample, one source texel byte: the check value sees every input.
    WriteHeightMap(96, 64,
                   [](int32_t r, int32_t c) { return uint8_t(Hills(r, c) ^ (r * c == 63 * 95)); });
    expectRebuilt("other height map", false);
    EXPECT_NE(log.Contents().find(
                  "Terrain texture cache 'textures/landscpf.dat' does not match, rebuilding it\n"),
              npos);
    std::vector<uint8_t> texels = Busy(256, 256, 2);
    texels.back() ^= 1;
    WritePicture("textures/landscpt2.bmp", 256, texels);
    LoadTextures();
    expectRebuilt("other source picture", false);
    expectRebuilt("other tile count", true); // tile 0's slot reused, the others kept
    const std::vector<uint8_t> large = ReadFileBytes(kTerrainCacheFile);
    EXPECT_TRUE(Word(large, 0) == 1u && Word(large, 4) == 1u);
    EXPECT_EQ(RunTool(""), large); // 1024 unless told
    // Without reuse the loads since the table was reset would take 16 + 1 + 16
    // slots: the tiles stay in the slots after the start-up pictures, row by row.
    expectRebuilt("back to 16 tiles", false);
    EXPECT_TRUE(textureManager.count == 6 + 16 &&
                textureManager.FindByName("textures/water.bmp") == 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(land.tiles[i], 6 + i);
    // A slot that no longer holds its tile is not taken over.
    LoadTextures();
    textureManager.LoadFromMemory("not a tile", nullptr, 1, 1);
    Reload(false);
    EXPECT_TRUE(textureManager.count == 7 + 16 && land.tiles[0] == 7);

    // The temporary's name taken by a folder (stops even a user whom permissions
    // do not): the tiles are still made, the old file stays, one line says so.
    const std::string temporary = std::string(kTerrainCacheFile) + ".tmp";
    small = ReadFileBytes(kTerrainCacheFile);
    fs::create_directories(temporary);
    EXPECT_GT(Reload(true), 0);
    ExpectTiles(1024);
    EXPECT_EQ(ReadFileBytes(kTerrainCacheFile), small);
    const std::string text = log.Contents(), line = "cache 'textures/landscpf.dat' not saved\n";
    EXPECT_TRUE(text.find(line) != npos && text.find(line) == text.rfind(line)) << text;
    // A run killed inside the cache write leaves its temporary; the next start
    // removes it, whether it uses the cache or writes a new one.
    fs::remove(temporary);
    GTEST_FLAG_SET(death_test_style, "fast"); // a fork, in this folder
    for (bool rewrite : {false, true}) {
        EXPECT_EXIT(KilledInsideTheCacheWrite(), testing::KilledBySignal(SIGKILL), "");
        EXPECT_EQ(fs::file_size(temporary), 1u << 20);
        EXPECT_EQ(Reload(rewrite) > 0, rewrite);
        EXPECT_TRUE(!fs::exists(temporary) &&
                    ReadFileBytes(kTerrainCacheFile) == (rewrite ? large : small));
    }
}

TEST_F(TerrainLoad, AMissingOrMisshapenSourceOrAFullTableEndsTheProgramClearly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process with its own context
    auto load = [](bool middle, int32_t capacity) {
        SetMessageBoxSink([](const char*, const char* text) { std::fprintf(stderr, "%s", text); });
        // The cache writer must be stopped, its temporary gone, before the end.
        std::atexit([] {
            if (fs::exists(std::string(kTerrainCacheFile) + ".tmp"))
                std::_Exit(7);
        });
        ResetTextureTable(capacity);
        for (int i = 0; i < 3; ++i)
            if (i != 1 || middle)
                textureManager.LoadFromFile(kTerrainSourceNames[i]);
        Landscape land;
        land.Load("textures/landscp.bmp");
        std::exit(0);
    };
    EXPECT_EXIT(load(false, 16), testing::ExitedWithCode(1),
                "Terrain source texture 'textures/landscpt2.bmp' is not loaded");
    // The table fills up while the tiles are uploaded and the cache is written.
    EXPECT_EXIT(load(true, 5), testing::ExitedWithCode(1), "texture limit reached");
    ASSERT_TRUE(
        WriteBinaryFile("textures/landscpt3.bmp", EncodeBmp24(128, 256, Busy(128, 256, 5))));
    EXPECT_EXIT(load(true, 16), testing::ExitedWithCode(1),
                "Terrain source texture 'textures/landscpt3.bmp' is 128x256, not 256x256");
    EXPECT_TRUE(RunTool("").empty()); // nor does the data tool take it
    EXPECT_NE(ReadFileText("tool.out").find("'textures/landscpt3.bmp' is 128x256"), npos);
}
