#include "app/AppState.h"
#include "app/Globals.h"
#include "effects/EffectsTestSupport.h"
#include "effects/RandomGenerator.h"
#include "effects/Shot.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {
const uint8_t kBackground[3] = {0, 0, 64};

struct Census {
    int changed = 0; // differs from the background
    int white = 0;   // the same amount added to all three channels
    int orange = 0;  // red and some green added, blue untouched
    int darker = 0;  // any channel below the background: not additive
    int brightestRed = 0;
};

Census Count(const std::vector<uint8_t>& pixels) {
    Census c;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        int dr = pixels[i] - kBackground[0];
        int dg = pixels[i + 1] - kBackground[1];
        int db = pixels[i + 2] - kBackground[2];
        if (dr == 0 && dg == 0 && db == 0)
            continue;
        ++c.changed;
        c.brightestRed = std::max(c.brightestRed, dr);
        if (dr < 0 || dg < 0 || db < 0)
            ++c.darker;
        if (dr > 8 && std::abs(dr - dg) <= 1 && std::abs(dr - db) <= 1)
            ++c.white;
        if (db == 0 && dr > 40 && dg > 0 && dg * 2 < dr)
            ++c.orange;
    }
    return c;
}

void SavePicture(const GLTestContext& gl, const char* name) {
    // For a look by eye when ZEZIVOZE_SAVE_PICTURES names a folder.
    const char* folder = std::getenv("ZEZIVOZE_SAVE_PICTURES");
    if (folder == nullptr)
        return;
    std::vector<uint8_t> pixels = gl.ReadPixels();
    std::string header = "P6\n640 480\n255\n";
    std::vector<uint8_t> ppm(header.begin(), header.end());
    for (int y = gl.height - 1; y >= 0; --y)
        ppm.insert(ppm.end(), pixels.begin() + size_t(y) * gl.width * 3,
                   pixels.begin() + size_t(y + 1) * gl.width * 3);
    WriteFileBytes(std::string(folder) + "/" + name + ".ppm", ppm);
}

void BeginFrame() {
    glClearColor(kBackground[0] / 255.0f, kBackground[1] / 255.0f, kBackground[2] / 255.0f, 0);
    glDepthMask(GL_TRUE); // the clear obeys the depth write mask
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
}

void BindTrail() {
    textureManager.Bind(textureManager.FindByName("textures/trail.bmp"));
}
} // namespace

TEST(ShotDraw, RibbonFliesThenSparksAndPuffsAreAddedWhereItLands) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(LoadFlatGround(100));
    ResetTextures(true);
    appState.gravity = Vector4(0, -0.01f, 0);
    appState.wind = Vector4(0.01f, 0, -0.03f);
    // Eye above and behind the landing point, looking down the -z axis.
    appState.cameraAngles = Vector4(25, 0, 0);
    appState.cameraPosition = Vector4(-3000, -330, -3500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 640.0 / 480.0, 10.0, 20000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetEffectDrawingState();
    randomGenerator.state = 1; // the same scatter whichever tests ran before

    Shot shot;
    shot.Spawn(Vector4(3000, 180, 3300), Vector4(0, 2, -10), 60);
    shot.colour[0] = shot.colour[1] = shot.colour[2] = 255;
    for (int frame = 0; frame < 8; ++frame) {
        BeginFrame();
        shot.Update(50);
        ASSERT_FALSE(shot.exploded);
        Census effects = Count(gl.ReadPixels());
        EXPECT_EQ(effects.changed, 0); // nothing but the ribbon before the impact
        BindTrail();
        shot.DrawTrail();
    }
    SavePicture(gl, "ribbon");
    Census ribbon = Count(gl.ReadPixels());
    EXPECT_GT(ribbon.white, 200);
    EXPECT_EQ(ribbon.orange, 0);
    EXPECT_EQ(ribbon.darker, 0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), textureManager.ids[1]);

    int frames = 0;
    while (!shot.exploded && frames++ < 200) {
        BeginFrame();
        shot.Update(50);
        BindTrail();
        shot.DrawTrail();
    }
    ASSERT_TRUE(shot.exploded);
    EXPECT_NEAR(shot.points[0].y, 100.0f, 10.0f);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), textureManager.ids[1]);

    // Let the sparks spread and a few puffs rise, then look at what Update drew.
    for (int frame = 0; frame < 12; ++frame) {
        BeginFrame();
        shot.Update(50);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(GLuint(bound), textureManager.ids[0]); // the star
        BindTrail();
        shot.DrawTrail();
    }
    BeginFrame();
    shot.Update(50);
    SavePicture(gl, "impact");
    Census impact = Count(gl.ReadPixels());
    EXPECT_GT(impact.orange, 500);
    EXPECT_GT(impact.white, 100);
    EXPECT_GE(impact.brightestRed, 200);
    EXPECT_EQ(impact.darker, 0);
    GLint depthWrites = GL_TRUE;
    glGetIntegerv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_FALSE);
    GLint matrixDepth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &matrixDepth);
    EXPECT_EQ(matrixDepth, 1); // every push popped

    // Spawned again above the ground: the old sparks and puffs are not drawn.
    shot.Spawn(Vector4(3000, 180, 3300), Vector4(0, 2, -10), 60);
    BeginFrame();
    shot.Update(50);
    EXPECT_EQ(Count(gl.ReadPixels()).changed, 0);

    // One or two pairs make no segment to draw.
    for (int n : {1, 2}) {
        shot.Spawn(Vector4(3000, 180, 3300), Vector4(0, 2, -10), n);
        BeginFrame();
        shot.Update(50);
        BindTrail();
        shot.DrawTrail();
        EXPECT_EQ(Count(gl.ReadPixels()).changed, 0) << n;
    }
    shot.burst.Release();
    shot.plume.Release();
    landscape.Unload();
}

TEST(ShotDraw, MissingStarTextureBindsNothing) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    ASSERT_TRUE(LoadFlatGround(100));
    ResetTextures(false);
    GLuint own = 0;
    glGenTextures(1, &own);
    glBindTexture(GL_TEXTURE_2D, own);

    Shot shot;
    shot.Spawn(Vector4(3000, 50, 3000), Vector4(0, 0, 10), 60);
    shot.Update(50);
    ASSERT_TRUE(shot.exploded);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), own);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    shot.burst.Release();
    shot.plume.Release();
    landscape.Unload();
}
