#pragma once

// Model files for the tests, made with the program's own writer, and the
// texture table the loader looks its textures up in.

#include "app/Globals.h"
#include "image/TextureManager.h"
#include "model/ModelWriter.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// The texture table with a few 2 x 2 pictures of the tank's set under their
// paths, each one flat colour; slot numbers follow this list.
inline const char* const kTestTextures[] = {
    "textures/star.bmp",
    "textures/cobra/cobra_treads.bmp",
    "textures/cobra/cobra_camo.bmp",
    "textures/cobra/cobra_mainbarrel.bmp",
};
inline const uint8_t kTestColours[][3] = {{255, 255, 0}, {0, 0, 255}, {255, 0, 0}, {0, 255, 0}};

inline void LoadTestTextures() {
    ResetTextureTable(256);
    for (int i = 0; i < 4; ++i) {
        uint8_t pixels[12];
        for (int p = 0; p < 4; ++p)
            for (int c = 0; c < 3; ++c)
                pixels[3 * p + c] = kTestColours[i][c];
        textureManager.LoadFromMemory(kTestTextures[i], pixels, 2, 2);
    }
}

// A unit square in the z = 0 plane, corners counter-clockwise seen from +z.
inline void AddSquare(ModelWriter& writer, const std::string& texture, float x0, float y0,
                      float size, float z = 0) {
    const float corners[4][3] = {
        {x0, y0, z}, {x0 + size, y0, z}, {x0 + size, y0 + size, z}, {x0, y0 + size, z}};
    const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    writer.AddQuad(texture, corners, uv);
}

// Three faces: blue treads, red camouflage, and one whose texture is unknown.
inline ModelWriter SmallModel() {
    ModelWriter writer;
    AddSquare(writer, "c:/art/tank/cobra_treads.tga", 0, 0, 1);
    AddSquare(writer, "art/cobra_camo.bmp", 1, 0, 1);
    AddSquare(writer, "art/missing_part.tga", 2, 0, 1);
    writer.AddMount("turret", 0.32f, 0, 0.98f);
    return writer;
}

// An axis-aligned box of six quads, all with one texture, faces turned outward.
inline void AddBox(ModelWriter& writer, const std::string& texture, const float lo[3],
                   const float hi[3]) {
    const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
    const float faces[6][4][3] = {
        {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, // top
        {{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}}, // bottom
        {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}, // front
        {{x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}}, // back
        {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, // right
        {{x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}}, // left
    };
    const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    for (const auto& face : faces)
        writer.AddQuad(texture, face, uv);
}

// The three part files under models/ in the working directory: a hull from
// x -1 to 2, y -0.5 to 0.5, z 0 to 1 (red camouflage), a small turret (blue
// treads) and a barrel 2.7 long along +x (green).
inline void WriteTestTank(const std::string& folder) {
    const std::string models = folder + "/models";
    std::filesystem::create_directories(models);
    ModelWriter hull, turret, barrel;
    const float hullLo[3] = {-1, -0.5f, 0}, hullHi[3] = {2, 0.5f, 1};
    AddBox(hull, "c:/art/cobra_camo.tga", hullLo, hullHi);
    hull.AddMount("turret", 0.32f, 0, 0.98f);
    const float turretLo[3] = {-0.3f, -0.3f, 0}, turretHi[3] = {0.3f, 0.3f, 0.3f};
    AddBox(turret, "c:/art/cobra_treads.tga", turretLo, turretHi);
    turret.AddMount("barrel", 1.0f, 0, 0.22f);
    const float barrelLo[3] = {0, -0.05f, -0.05f}, barrelHi[3] = {2.7f, 0.05f, 0.05f};
    AddBox(barrel, "c:/art/cobra_mainbarrel.tga", barrelLo, barrelHi);
    hull.Write((models + "/cobra_body.rozi").c_str());
    turret.Write((models + "/cobra_main_turret.rozi").c_str());
    barrel.Write((models + "/cobra_main_barrel.rozi").c_str());
}

// Expects the read-back colour of pixel (x, y), y counted from the bottom.
inline void ExpectPixel(const GLTestContext& gl, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t rgb[3];
    gl.ReadPixel(x, y, rgb);
    EXPECT_EQ(rgb[0], r) << "pixel " << x << ", " << y;
    EXPECT_EQ(rgb[1], g) << "pixel " << x << ", " << y;
    EXPECT_EQ(rgb[2], b) << "pixel " << x << ", " << y;
}
