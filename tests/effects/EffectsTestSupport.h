#pragma once

// Helpers shared by the effects tests and the effects soak benchmark.

#include "effects/Shot.h"
#include "image/TextureManager.h"
#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/Landscape.h"
#include "terrain/TerrainTestSupport.h"

#include <GL/gl.h>
#include <algorithm>
#include <ranges>

// Flat ground at 100 (64 x 64 samples, x, z ~0 to 6095), white pictures the shot looks up, world
// gravity, wind, the frame's translucent-effect state; needs a current context. False on GL errors.
inline bool PrepareEffectsScene() {
    FillHeightMap(landscape, 64, 64, [](int32_t, int32_t) { return uint8_t(100); });
    ResetTextureTable(8);
    const std::vector<uint8_t> white(8 * 8 * 3, 255);
    for (const char* name : {"textures/star.bmp", "textures/trail.bmp"})
        textureManager.LoadFromMemory(name, white.data(), 8, 8);
    appState.gravity = Vector4(0, -0.01f, 0);
    appState.wind = Vector4(0.01f, 0, -0.03f);
    for (GLenum capability : {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST})
        glEnable(capability);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    return glGetError() == GL_NO_ERROR;
}

// A shot spawned below the ground for two frames: it explodes, burst and plume drawn.
inline void FireShotIntoTheGround(Shot& shot, int i) {
    shot.Spawn(Vector4(1000.0f + static_cast<float>(i % 50), 50, 2000), Vector4(0, 1, 10), 60);
    for (int frame = 0; frame < 2; ++frame) {
        shot.Update(50);
        shot.DrawTrail();
    }
}

// Live display lists among the names 1 to highest; a driver may give each impact new names.
inline int LiveDisplayLists(uint32_t highest) {
    return int(std::ranges::count_if(std::views::iota(1u, highest + 1), glIsList));
}
