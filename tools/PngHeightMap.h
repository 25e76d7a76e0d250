#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads a PNG picture as a height map. Grey pictures of any depth are taken,
// with or without alpha (which is ignored), and colour or palette pictures
// whose every pixel is grey; 16-bit levels are scaled to 0-255, rounded.
// Refused, with the reason: a file that is not a PNG or is damaged, a picture
// with coloured pixels, and one outside the sizes the game plays (checked
// before anything is allocated for the pixels).
class PngHeightMap {
  public:
    bool Decode(const uint8_t* data, size_t size);

    int width = 0;
    int height = 0;
    std::vector<uint8_t> heights; // one byte a sample, top row first
    std::string problem;          // why Decode refused
};
