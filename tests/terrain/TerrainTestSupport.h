#pragma once

#include "terrain/Landscape.h"

#include <cstdint>
#include <functional>
#include <vector>

// A height map in place of a picture, marked loaded so Unload frees it; `build` adds the quadtree.
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

// Pictures' RGB texels: one colour, or noise from a seed.
inline std::vector<uint8_t> Solid(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3)
        rgb[i] = r, rgb[i + 1] = g, rgb[i + 2] = b;
    return rgb;
}

inline std::vector<uint8_t> Busy(int width, int height, uint32_t seed) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (uint8_t& byte : rgb) {
        seed = seed * 1664525u + 1013904223u;
        byte = uint8_t(seed >> 24);
    }
    return rgb;
}

inline uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset) { // little-endian 32-bit
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}
