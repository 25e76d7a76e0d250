#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes BMP pictures in the layouts the program reads: the height map's
// 24-bit "BM" file with a 40-byte header, and the other DIB layouts the texture
// loader takes. Pixels are given as red, green, blue bytes, rows packed, TOP
// row first (the way one draws a picture); the writer stores rows bottom-up
// unless asked for top-down.
struct BmpLayout {
    int bitsPerPixel = 24;         // 1, 4, 8, 16, 24 or 32
    uint32_t compression = 0;      // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields (16 and 32 bits)
    bool coreHeader = false;       // 12-byte header with 3-byte colour entries
    bool fileHeader = true;        // false: a packed DIB without the "BM" header
    bool topDown = false;          // negative height, first stored row at the top
    std::vector<uint32_t> palette; // 0xRRGGBB; 1, 4 and 8 bits pick the nearest entry
    uint32_t masks[3] = {0xF800, 0x07E0, 0x001F}; // red, green, blue, for bit fields
};

// The whole file. Indexed layouts need a palette; 16 bits without bit fields
// are 5-5-5.
std::vector<uint8_t> EncodeBmp(int width, int height, const std::vector<uint8_t>& rgb,
                               const BmpLayout& layout);

// A 24-bit "BM" picture with a 40-byte header, bottom-up.
std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint8_t>& rgb);

// A height map: a 24-bit grey picture whose bytes are all the height (the
// reader takes the blue one); heights top row first.
std::vector<uint8_t> EncodeHeightMapBmp(int width, int height, const std::vector<uint8_t>& heights);

// Writes bytes to path, making its folders; false if it could not be written.
bool WriteBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes);
