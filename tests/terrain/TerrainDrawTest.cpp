#include "TerrainScene.h"
#include "terrain/LoadingScreen.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdlib>

namespace {
// Looks straight down on the whole map from above, world x to the right and
// world z downwards on the screen, with a margin around it; the frame's state
// as the program sets it before the landscape is drawn.
struct TopView {
    float cx, cz, halfWidth, halfHeight;

    TopView(const Landscape& land)
        : cx(land.width * 95.2381f * 0.5f), cz(land.height * 95.2381f * 0.5f),
          halfWidth(std::max(cx, cz * 4.0f / 3.0f) * 1.1f), halfHeight(halfWidth * 0.75f) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDepthFunc(GL_LESS);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, 1.0, 2000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(cx, 1000.0, cz, cx, 0.0, cz, 0.0, 0.0, -1.0);
    }
    int X(float x) const { return int(320.0f + (x - cx) / halfWidth * 320.0f); }
    int Y(float z) const { return int(240.0f - (z - cz) / halfHeight * 240.0f); }
};

// With TERRAIN_SHOTS set to a folder, keeps the frame there as a PPM picture to look at.
void SaveShot(const GLTestContext& gl, const char* name) {
    if (const char* folder = std::getenv("TERRAIN_SHOTS")) {
        const std::vector<uint8_t> pixels = gl.ReadPixels();
        std::string text = "P6 640 480 255\n";
        for (int y = 479; y >= 0; --y)
            text.append(pixels.begin() + y * 640 * 3, pixels.begin() + (y + 1) * 640 * 3);
        WriteFileText(std::string(folder) + "/" + name + ".ppm", text);
    }
}

struct Rgb {
    int r, g, b;
};

void ExpectPixel(const GLTestContext& gl, int x, int y, Rgb c, const char* what) {
    uint8_t rgb[3];
    gl.ReadPixel(x, y, rgb);
    EXPECT_TRUE(std::abs(rgb[0] - c.r) <= 3 && std::abs(rgb[1] - c.g) <= 3 &&
                std::abs(rgb[2] - c.b) <= 3)
        << what << " at " << x << ", " << y << ": " << int(rgb[0]) << " " << int(rgb[1]) << " "
        << int(rgb[2]);
}

// The three sources alike make the ground (159, 79, 0) wherever it is drawn; the
// water (0, 0, 200) at half strength is added over it.
const uint8_t kSource[3] = {160, 80, 0};
constexpr Rgb kGround{159, 79, 0}, kWater{159, 79, 100}, kBlack{0, 0, 0};
} // namespace

using TerrainDraw = TerrainScene;

TEST_F(TerrainDraw, WaterShowsOverLowGroundWithinTheTerrainsRectangle) {
    appState.fineTerrain = 1;
    appState.largeTerrainTexture = 1;
    // Top-left and bottom-right quarters at 60, the others at 220.
    WriteData([](int32_t r, int32_t c) { return uint8_t((r < 32) == (c < 48) ? 60 : 220); }, 96, 64,
              kSource);
    LoadTextures();
    land.Load("textures/landscp.bmp");
    const TopView view(land);
    land.Draw();
    SaveShot(gl, "water");
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    const float right = 96 * 95.2381f, bottom = 64 * 95.2381f;
    for (float u : {0.1f, 0.4f, 0.6f, 0.9f})
        for (float v : {0.1f, 0.4f, 0.6f, 0.9f})
            ExpectPixel(gl, view.X(right * u), view.Y(bottom * v),
                        (u < 0.5f) == (v < 0.5f) ? kWater : kGround, "quarter");
    // Two pixels inside each corner, and two outside in three directions.
    const int x0 = view.X(0), x1 = view.X(right), y0 = view.Y(0), y1 = view.Y(bottom);
    for (auto [x, y, dx, dy, inside] :
         {std::tuple{x0, y0, 1, -1, kWater}, std::tuple{x1, y0, -1, -1, kGround},
          std::tuple{x1, y1, -1, 1, kWater}, std::tuple{x0, y1, 1, 1, kGround}}) {
        ExpectPixel(gl, x + 2 * dx, y + 2 * dy, inside, "inside");
        ExpectPixel(gl, x - 2 * dx, y - 2 * dy, kBlack, "outside");
        ExpectPixel(gl, x - 2 * dx, y + 2 * dy, kBlack, "outside");
        ExpectPixel(gl, x + 2 * dx, y - 2 * dy, kBlack, "outside");
    }
    EXPECT_EQ(log.Contents().find("Error:"), std::string::npos);
}

TEST_F(TerrainDraw, LeavesBindTheTileUnderTheirFirstCornerUnevenly) {
    appState.fineTerrain = 0;
    appState.largeTerrainTexture = 0;
    WriteData([](int32_t, int32_t) { return uint8_t(200); }, 128, 128);
    LoadTextures();
    land.Load("textures/landscp.bmp");
    for (int i = 0; i < 16; ++i) { // every tile a colour of its own
        const std::vector<uint8_t> solid =
            Solid(256, 256, uint8_t(i * 16), uint8_t(255 - i * 16), 77);
        textureManager.Bind(land.tiles[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, solid.data());
    }
    const TopView view(land);
    land.Draw();
    SaveShot(gl, "tiles");
    // Leaf columns 0-4, 5-8, 9-13 and 14-15 fall on tile columns 0 to 3; rows alike.
    const int tileOf[16] = {0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3};
    const float step = 128 * 95.2381f / 16;
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column) {
            const int tile = tileOf[row] * 4 + tileOf[column];
            ExpectPixel(gl, view.X(step * (column + 0.5f)), view.Y(step * (row + 0.5f)),
                        {tile * 16, 255 - tile * 16, 77}, "leaf");
        }
}

TEST_F(TerrainDraw, LoadingScreenDrawsPictureFrameAndBar) {
    WriteData([](int32_t, int32_t) { return uint8_t(0); });
    LoadTextures();
    glViewport(0, 0, 640, 480);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Frame (0, 96, 96); bar (0, 160, 160) times the grey trail picture, added on top.
    constexpr Rgb frame{0, 96, 96}, bar{0, 176, 176};
    struct Check {
        float progress;
        int x, y;
        Rgb rgb;
        const char* what;
    };
    // Redrawn whole every time: no trail of a longer bar; the bar is not clamped.
    const Check checks[] = {{0.5f, 64, 416, {200, 100, 50}, "info picture"},
                            {0.5f, 130, 416, kBlack, "beside the picture"},
                            {0.5f, 37, 240, frame, "frame"},
                            {0.5f, 300, 217, frame, "frame"},
                            {0.5f, 42, 240, bar, "bar"},
                            {0.5f, 318, 240, bar, "bar"},
                            {0.5f, 322, 240, frame, "past the bar at 320"},
                            {0.5f, 320, 270, kBlack, "above the frame"},
                            {0.0f, 42, 240, frame, "empty bar"},
                            {0.0f, 318, 240, frame, "no trail"},
                            {1.0f, 598, 240, bar, "full bar"},
                            {1.0f, 602, 240, frame, "frame margin"},
                            {1.5f, 602, 240, bar, "bar past the frame"},
                            {1.5f, 620, 240, {0, 80, 80}, "bar past the frame"}};
    for (const Check& check : checks) {
        const int32_t drawn = LoadingScreensDrawn();
        DrawLoadingScreen(check.progress, true);
        EXPECT_EQ(LoadingScreensDrawn(), drawn + 1);
        ExpectPixel(gl, check.x, check.y, check.rgb, check.what);
    }
    SaveShot(gl, "loading");
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    // Unforced calls right after a drawn one wait for their turn.
    const int32_t before = LoadingScreensDrawn();
    ResetLoadingScreen();
    DrawLoadingScreen(0.25f);
    DrawLoadingScreen(0.25f);
    EXPECT_EQ(LoadingScreensDrawn(), before + 1);
}
