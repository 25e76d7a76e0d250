#pragma once

// Model files made with the program's own writer, and the texture table the loader looks in.

#include "image/TextureManager.h"
#include "model/ModelWriter.h"
#include "support/TestSupport.h"

#include <array>
#include <cmath>

// One-pixel pictures of the tank's set under their paths, after a yellow star: treads blue
// (slot 1), camouflage red (2), main barrel green (3).
inline void LoadTestTextures() {
    ResetTextureTable(256);
    const char* names[] = {"textures/star.bmp", "textures/cobra/cobra_treads.bmp",
                           "textures/cobra/cobra_camo.bmp", "textures/cobra/cobra_mainbarrel.bmp"};
    const uint8_t colours[][3] = {{255, 255, 0}, {0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    for (int i = 0; i < 4; ++i)
        textureManager.LoadFromMemory(names[i], colours[i], 1, 1);
}

inline constexpr float kQuadUv[8] = {0, 0, 1, 0, 1, 1, 0, 1}; // each quad's picture covers it once

// A unit square from (x0, 0) in the z = 0 plane, counter-clockwise seen from +z.
inline void AddSquare(ModelWriter& writer, const std::string& texture, float x0 = 0) {
    const float corners[4][3] = {{x0, 0, 0}, {x0 + 1, 0, 0}, {x0 + 1, 1, 0}, {x0, 1, 0}};
    writer.AddQuad(texture, corners, kQuadUv);
}

inline ModelWriter SmallModel() { // blue treads, red camouflage, one face of unknown texture
    ModelWriter writer;
    AddSquare(writer, "c:/art/tank/cobra_treads.tga", 0);
    AddSquare(writer, "art/cobra_camo.bmp", 1);
    AddSquare(writer, "art/missing_part.tga", 2);
    writer.AddMount("turret", 0.32f, 0, 0.98f);
    return writer;
}

// An axis-aligned box of six quads of one texture, corners counter-clockwise seen from outside.
inline void AddBox(ModelWriter& writer, const std::string& texture, const float* lo,
                   const float* hi) {
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            const int a = (axis + 2 - side) % 3, b = (axis + 1 + side) % 3;
            float corners[4][3];
            for (int c = 0; c < 4; ++c) {
                corners[c][axis] = side ? hi[axis] : lo[axis];
                corners[c][a] = c == 1 || c == 2 ? hi[a] : lo[a];
                corners[c][b] = c >= 2 ? hi[b] : lo[b];
            }
            writer.AddQuad(texture, corners, kQuadUv);
        }
}

// The part files in models/: a hull x -1..2, y -0.5..0.5, z 0..1 (red camouflage), a small
// turret (blue treads) and a barrel 2.7 long along +x whose picture is not in the table (white).
inline void WriteTestTank(const std::string& folder) {
    std::filesystem::create_directories(folder + "/models");
    const std::tuple<const char*, const char*, std::array<float, 6>> parts[] = {
        {"cobra_body", "c:/art/cobra_camo.tga", {-1, -0.5f, 0, 2, 0.5f, 1}},
        {"cobra_main_turret", "c:/art/cobra_treads.tga", {-0.3f, -0.3f, 0, 0.3f, 0.3f, 0.3f}},
        {"cobra_main_barrel", "art/cobra_gun.tga", {0, -0.05f, -0.05f, 2.7f, 0.05f, 0.05f}},
    };
    for (const auto& [name, texture, box] : parts) {
        ModelWriter writer;
        AddBox(writer, texture, box.data(), box.data() + 3);
        writer.Write((folder + "/models/" + name + ".rozi").c_str());
    }
}
