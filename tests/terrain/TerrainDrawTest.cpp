#include "TerrainScene.h"
#include "terrain/LoadingScreen.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstdlib>

namespace {
// Looks straight down on the whole map from above, world x to the right and
// world z downwards on the screen, with a margin around it.
struct TopView {
    float cx, cz, halfWidth, halfHeight;

    TopView(const Landscape& land)
        : cx(land.width * 0.952381f / 0.01f * 0.5f), cz(land.height * 0.952381f / 0.01f * 0.5f),
          halfWidth(std::max(cx, cz * 4.0f / 3.0f) * 1.1f), halfHeight(halfWidth * 0.75f) {
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

// The frame's state as the program sets it before the landscape is drawn.
void FrameState() {
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

// With TERRAIN_SHOTS set to a folder, keeps the frame there as a PPM picture to look at.
void SaveShot(const GLTestContext& gl, const char* name) {
    const char* folder = std::getenv("TERRAIN_SHOTS");
    if (folder == nullptr)
        return;
    const std::vector<uint8_t> pixels = gl.ReadPixels();
    std::string text = "P6 640 480 255\n";
    for (int y = 479; y >= 0; --y)
        text.append(pixels.begin() + y * 640 * 3, pixels.begin() + (y + 1) * 640 * 3);
    WriteFileText(std::string(folder) + "/" + name + ".ppm", text);
}

void ExpectPixel(const GLTestContext& gl, int x, int y, int r, int g, int b, const char* what) {
    uint8_t rgb[3];
    gl.ReadPixel(x, y, rgb);
    EXPECT_NEAR(rgb[0], r, 3) << what << " at " << x << ", " << y;
    EXPECT_NEAR(rgb[1], g, 3) << what << " at " << x << ", " << y;
    EXPECT_NEAR(rgb[2], b, 3) << what << " at " << x << ", " << y;
}

} // namespace

class TerrainDraw : public TerrainScene {
  protected:
    // The three sources alike, so the ground is (159, 79, 0) wherever it is drawn;
    // the water is (0, 0, 200) at half strength.
    void Load(int width, int height, const Heights& heights) {
        WriteData(heights, width, height);
        for (const char* name :
             {"textures/landscpt.bmp", "textures/landscpt2.bmp", "textures/landscpt3.bmp"})
            WritePicture(name, 256, 256, Solid(256, 256, 160, 80, 0));
        LoadTextures();
        land.Load("textures/landscp.bmp");
    }
    Landscape land;
};

TEST_F(TerrainDraw, WaterShowsOverLowGroundAndHidesUnderHighGround) {
    appState.fineTerrain = 1;
    appState.largeTerrainTexture = 0;
    // Left half at 60, right half at 220.
    Load(96, 64, [](int32_t, int32_t c) { return uint8_t(c < 48 ? 60 : 220); });
    FrameState();
    const TopView view(land);
    land.Draw();
    SaveShot(gl, "water");
    GLboolean blend = GL_FALSE;
    glGetBooleanv(GL_BLEND, &blend);
    EXPECT_TRUE(blend);

    const float width = 96 * 95.2381f, height = 64 * 95.2381f;
    for (float v : {0.2f, 0.5f, 0.8f}) {
        ExpectPixel(gl, view.X(width * 0.2f), view.Y(height * v), 159, 79, 100, "water");
        ExpectPixel(gl, view.X(width * 0.8f), view.Y(height * v), 159, 79, 0, "ground");
    }
    EXPECT_EQ(log.Contents().find("Error:"), std::string::npos);
}

TEST_F(TerrainDraw, TheWaterCoversExactlyTheTerrainsRectangle) {
    appState.fineTerrain = 0;
    appState.largeTerrainTexture = 1;
    Load(100, 70, [](int32_t, int32_t) { return uint8_t(40); }); // all under water
    FrameState();
    const TopView view(land);
    land.Draw();
    const float right = 100 * 95.2381f, bottom = 70 * 95.2381f;
    // Two pixels inside each corner: ground and water; two outside: nothing.
    const int x0 = view.X(0), x1 = view.X(right), y0 = view.Y(0), y1 = view.Y(bottom);
    for (auto [x, y, dx, dy] : {std::tuple{x0, y0, 1, -1}, std::tuple{x1, y0, -1, -1},
                                std::tuple{x1, y1, -1, 1}, std::tuple{x0, y1, 1, 1}}) {
        ExpectPixel(gl, x + 2 * dx, y + 2 * dy, 159, 79, 100, "inside");
        ExpectPixel(gl, x - 2 * dx, y - 2 * dy, 0, 0, 0, "outside");
        ExpectPixel(gl, x - 2 * dx, y + 2 * dy, 0, 0, 0, "outside");
        ExpectPixel(gl, x + 2 * dx, y - 2 * dy, 0, 0, 0, "outside");
    }
}

TEST_F(TerrainDraw, LeavesBindTheTileUnderTheirFirstCornerUnevenly) {
    appState.fineTerrain = 0;
    appState.largeTerrainTexture = 0;
    Load(128, 128, [](int32_t, int32_t) { return uint8_t(200); });
    // Every tile a colour of its own.
    for (int i = 0; i < 16; ++i) {
        const std::vector<uint8_t> solid =
            Solid(256, 256, uint8_t(i * 16), uint8_t(255 - i * 16), 77);
        textureManager.Bind(land.tiles[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, solid.data());
    }
    FrameState();
    const TopView view(land);
    land.Draw();
    SaveShot(gl, "tiles");
    // Leaf columns 0-4, 5-8, 9-13 and 14-15 fall on tile columns 0 to 3; rows alike.
    const int tileOf[16] = {0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3};
    const float side = 128 * 95.2381f;
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column) {
            const int tile = tileOf[row] * 4 + tileOf[column];
            uint8_t rgb[3];
            gl.ReadPixel(view.X(side * (column + 0.5f) / 16), view.Y(side * (row + 0.5f) / 16),
                         rgb);
            EXPECT_NEAR(rgb[0], tile * 16, 2) << "leaf " << row << ", " << column;
            EXPECT_NEAR(rgb[1], 255 - tile * 16, 2) << "leaf " << row << ", " << column;
        }
}

TEST_F(TerrainDraw, LoadingScreenDrawsPictureFrameAndBar) {
    WriteData([](int32_t, int32_t) { return uint8_t(0); });
    LoadTextures();
    glViewport(0, 0, 640, 480);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glClearColor(0, 0, 0, 0);
    const int32_t drawn = LoadingScreensDrawn();
    // Frame (0, 96, 96); bar (0, 160, 160) times the grey trail picture, added on top.
    const int bar[3] = {0, 96 + 80, 96 + 80};
    DrawLoadingScreen(0.5f, true);
    SaveShot(gl, "loading");
    EXPECT_EQ(LoadingScreensDrawn(), drawn + 1);
    ExpectPixel(gl, 64, 416, 200, 100, 50, "info picture");
    ExpectPixel(gl, 130, 416, 0, 0, 0, "beside the picture");
    ExpectPixel(gl, 37, 240, 0, 96, 96, "frame");
    ExpectPixel(gl, 300, 217, 0, 96, 96, "frame");
    ExpectPixel(gl, 42, 240, bar[0], bar[1], bar[2], "bar");
    ExpectPixel(gl, 318, 240, bar[0], bar[1], bar[2], "bar");
    ExpectPixel(gl, 322, 240, 0, 96, 96, "past the bar at 320");
    ExpectPixel(gl, 320, 270, 0, 0, 0, "above the frame");
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    // Redrawn whole every time: no trail of the longer bar.
    DrawLoadingScreen(0.0f, true);
    ExpectPixel(gl, 42, 240, 0, 96, 96, "empty bar");
    ExpectPixel(gl, 318, 240, 0, 96, 96, "no trail");
    DrawLoadingScreen(1.0f, true);
    ExpectPixel(gl, 598, 240, bar[0], bar[1], bar[2], "full bar");
    ExpectPixel(gl, 602, 240, 0, 96, 96, "frame margin");
    DrawLoadingScreen(1.5f, true); // not clamped: the bar runs on to 880
    ExpectPixel(gl, 602, 240, bar[0], bar[1], bar[2], "bar past the frame");
    ExpectPixel(gl, 620, 240, 0, 80, 80, "bar past the frame");

    // Unforced calls right after a drawn one wait for their turn.
    const int32_t before = LoadingScreensDrawn();
    ResetLoadingScreen();
    DrawLoadingScreen(0.25f);
    EXPECT_EQ(LoadingScreensDrawn(), before + 1);
}
