#pragma once

#include "terrain/Landscape.h"

#include <cstdint>
#include <functional>

// Gives a landscape a height map filled in place of a picture, marked loaded so
// that Unload frees it; optionally builds the quadtree over it.
inline void FillHeightMap(Landscape& land, int32_t width, int32_t height,
                          const std::function<uint8_t(int32_t row, int32_t column)>& sample,
                          bool build = false) {
    land.Unload();
    land.width = width;
    land.height = height;
    land.heightMap = new uint8_t[size_t(width) * size_t(height)];
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c)
            land.heightMap[size_t(r) * width + c] = sample(r, c);
    land.loaded = 1;
    if (build)
        land.Build(0.0f, 0.0f, 1.0f, land);
}
