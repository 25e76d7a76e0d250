#pragma once

// Model files for the tests, made with the program's own writer, and the
// texture table the loader looks its textures up in.

#include "app/Globals.h"
#include "image/TextureManager.h"
#include "math/Vector4.h"
#include "model/ModelWriter.h"
#include "support/TestSupport.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

// The three part files under models/ in the folder: a hull from x -1 to 2, y
// -0.5 to 0.5, z 0 to 1 (red camouflage), a small turret (blue treads) and a
// barrel 2.7 long along +x (green).
inline void WriteTestTank(const std::string& folder) {
    std::filesystem::create_directories(folder + "/models");
    auto write = [&](const char* name, const char* texture, std::array<float, 6> box,
                     const char* mount, float x, float z) {
        ModelWriter part;
        AddBox(part, texture, &box[0], &box[3]);
        if (mount != nullptr)
            part.AddMount(mount, x, 0, z);
        part.Write((folder + "/models/" + name).c_str());
    };
    write("cobra_body.rozi", "c:/art/cobra_camo.tga", {-1, -0.5f, 0, 2, 0.5f, 1}, "turret", 0.32f,
          0.98f);
    write("cobra_main_turret.rozi", "c:/art/cobra_treads.tga", {-0.3f, -0.3f, 0, 0.3f, 0.3f, 0.3f},
          "barrel", 1.0f, 0.22f);
    write("cobra_main_barrel.rozi", "c:/art/cobra_mainbarrel.tga",
          {0, -0.05f, -0.05f, 2.7f, 0.05f, 0.05f}, nullptr, 0, 0);
}

// Expects the read-back colour of pixel (x, y), y counted from the bottom.
inline void ExpectPixel(const GLTestContext& gl, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t rgb[3];
    gl.ReadPixel(x, y, rgb);
    EXPECT_EQ(std::vector<int>(rgb, rgb + 3), (std::vector<int>{r, g, b}))
        << "pixel " << x << ", " << y;
}

inline testing::AssertionResult Near(const Vector4& a, const Vector4& b, float tolerance = 1e-3f) {
    if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
        std::fabs(a.z - b.z) <= tolerance && a.w == 1)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") is not (" << b.x << ", "
           << b.y << ", " << b.z << ", 1)";
}
