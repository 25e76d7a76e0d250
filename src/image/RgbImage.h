#pragma once

#include <cstdint>

// A picture in memory: width x height pixels of red, green, blue bytes, rows
// packed without padding, first row at the bottom of the picture.
struct RgbImage {
    int32_t width;
    int32_t height;
    uint8_t* pixels; // new[]-allocated, owned by whoever owns the image
};
