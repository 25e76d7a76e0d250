#pragma once

#include <cstdint>

class BinaryFile;

// Reads one uncompressed 24-bit BMP (the height map) into blue, green, red
// bytes, first row in memory = top row of the picture.
class BmpReader {
  public:
    BmpReader();
    ~BmpReader();
    BmpReader(const BmpReader&) = delete;
    BmpReader& operator=(const BmpReader&) = delete;

    void Load(const char* fileName);

    int32_t width;
    int32_t height;
    uint8_t* pixels;
    BinaryFile* file;
    char id[2];
    uint32_t fileSize;
    uint32_t reserved;
    uint32_t dataOffset;
    uint32_t infoSize;
    uint32_t headerWidth;
    uint32_t headerHeight;
    uint16_t planes;
    uint16_t bitsPerPixel;
    uint32_t compression;
    uint32_t imageSize; // after a load, the size of the pixel block (width x height x 3)
    uint32_t xPixelsPerMetre;
    uint32_t yPixelsPerMetre;
    uint32_t coloursUsed;
};
