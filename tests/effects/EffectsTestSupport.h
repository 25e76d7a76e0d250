#pragma once

// Helpers shared by the effects tests and the effects soak benchmark.

#include "app/AppState.h"
#include "app/Globals.h"
#include "effects/Shot.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "support/TestSupport.h"
#include "terrain/Landscape.h"

#include <GL/gl.h>
#include <cstdint>
#include <cstdio>
#include <malloc.h>
#include <new>
#include <unistd.h>
#include <vector>

// The generator state from which `steps` further draws end with `value`: lets a
// test put a chosen draw at a chosen place in a sequence.
inline uint32_t StateBeforeDraw(int32_t value, int steps) {
    // Inverse of the multiplier modulo 2^32 by Newton's iteration.
    uint32_t inverse = 214013u;
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - 214013u * inverse;
    uint32_t state = static_cast<uint32_t>(value) << 16;
    for (int i = 0; i < steps; ++i)
        state = (state - 2531011u) * inverse;
    return state;
}

// Loads the global landscape from a real height-map file, flat at `level`:
// 64 x 64 samples, so the ground spans about 0 to 6095 world units in x and z.
inline bool LoadFlatGround(uint8_t level) {
    TempDir dir;
    std::string path = dir.File("flat.bmp");
    if (!WriteBinaryFile(path, EncodeHeightMapBmp(64, 64, std::vector<uint8_t>(64 * 64, level))))
        return false;
    landscape.Unload();
    landscape.LoadHeightMap(path.c_str());
    landscape.loaded = 1; // so that Unload frees it
    return landscape.width == 64;
}

// Empties the global texture table and, with a context current, loads plain
// white pictures under the names the shot looks up.
inline void ResetTextures(bool withEffectTextures) {
    ResetTextureTable(8);
    if (!withEffectTextures)
        return;
    std::vector<uint8_t> white(8 * 8 * 3, 255);
    textureManager.LoadFromMemory("textures/star.bmp", white.data(), 8, 8);
    textureManager.LoadFromMemory("textures/trail.bmp", white.data(), 8, 8);
}

// The drawing state the frame sets for the translucent effects.
inline void SetEffectDrawingState() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
}

// Flat ground at 100, the effect textures, the world's gravity and wind, and
// the effects' drawing state; needs a current context.
inline bool PrepareEffectsScene() {
    if (!LoadFlatGround(100))
        return false;
    ResetTextures(true);
    appState.gravity = Vector4(0, -0.01f, 0);
    appState.wind = Vector4(0.01f, 0, -0.03f);
    SetEffectDrawingState();
    return true;
}

// One frame's worth of a shot fired below the ground: spawned, exploded at
// once, burst and plume updated and drawn, then one more frame.
inline void FireShotIntoTheGround(Shot& shot, int i) {
    shot.Spawn(Vector4(1000.0f + static_cast<float>(i % 50), 50, 2000), Vector4(0, 1, 10), 60);
    shot.Update(50);
    shot.DrawTrail();
    shot.Update(50);
    shot.DrawTrail();
}

// Display lists alive among the names 1 to highest.
inline int LiveDisplayLists(uint32_t highest) {
    int live = 0;
    for (GLuint list = 1; list <= highest; ++list)
        live += glIsList(list) ? 1 : 0;
    return live;
}

// Bytes the heap has handed out and not had back.
inline size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Resident memory of the process in kilobytes.
inline long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
