#pragma once

// Model files for the tests, made with the program's own writer, and the
// texture table the loader looks its textures up in.

#include "app/Globals.h"
#include "image/TextureManager.h"
#include "model/ModelWriter.h"

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
    if (textureManager.capacity != 0)
        return;
    textureManager.Create(256);
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
