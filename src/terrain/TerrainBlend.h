#pragma once

#include "terrain/HeightField.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// The terrain texture: one virtual picture of 1024 x 1024 texels over the whole
// map, blended from three 256 x 256 source pictures by terrain height and cut
// into N x N square tiles. Nothing here needs a window.

inline constexpr int32_t kTerrainTexels = 1024;
inline constexpr int32_t kSourceTexels = 256;
inline constexpr size_t kTerrainBytes = size_t(kTerrainTexels) * kTerrainTexels * 3;

// The three sources, each 256 x 256 texels of red, green, blue, rows packed.
struct TerrainSources {
    const uint8_t* low = nullptr;
    const uint8_t* middle = nullptr;
    const uint8_t* high = nullptr;
};

struct BlendWeights {
    float low;
    float middle;
    float high;
};

// Weights of the three sources at h, half the interpolated height (0 to 127.5).
inline BlendWeights WeightsForHeight(float h) {
    if (h < 33.0f)
        return {1.0f, 0.0f, 0.0f};
    if (h < 63.0f)
        return {(30.0f - (h - 33.0f)) * 0.033333335f, (h - 33.0f) * 0.033333335f, 0.0f};
    if (h < 88.0f)
        return {0.0f, 1.0f, 0.0f};
    if (h < 108.0f)
        return {0.0f, (20.0f - (h - 88.0f)) * 0.05f, (h - 88.0f) * 0.05f};
    return {0.0f, 0.0f, 1.0f};
}

// One texel byte from the three sources' bytes.
uint8_t BlendChannel(uint8_t low, uint8_t middle, uint8_t high, const BlendWeights& w);

// True for the tile sizes the texture can be cut into (256 and 1024 are used).
bool ValidTileSize(int32_t tileSize);

// Called on the calling thread before each texel row of each tile, in order; the
// first call comes before any blending starts.
using BlendRowCallback = std::function<void(int32_t tile, int32_t row)>;

// Blends the whole picture into out (kTerrainBytes) as the N x N tiles of side
// tileSize one after another, tile (r, c) at index r * N + c, each tile tileSize
// rows of tileSize texels. threads = 0 uses every core.
void BlendTerrainTiles(const HeightField& field, const TerrainSources& sources, int32_t tileSize,
                       uint8_t* out, const BlendRowCallback& onRow = {}, int threads = 0);

// A 32-bit check value of the height map and the sources, stored with the cache
// so that a cache made from other inputs is not used.
uint32_t TerrainCheckValue(const HeightField& field, const TerrainSources& sources);

struct RgbImage;

// The sources' file names: low ground, middle, high ground.
inline constexpr const char* kTerrainSourceNames[3] = {
    "textures/landscpt.bmp", "textures/landscpt2.bmp", "textures/landscpt3.bmp"};

// The pixels of a source picture; ends the program with a clear message when the
// picture is missing or not 256 x 256, rather than reading outside it.
const uint8_t* RequireTerrainSource(const char* name, const RgbImage* image);
