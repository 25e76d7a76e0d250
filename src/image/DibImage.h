#pragma once

#include "image/RgbImage.h"

#include <cstddef>
#include <cstdint>

// Decodes a device-independent bitmap file of any common layout (1, 4, 8, 16,
// 24 or 32 bits per pixel; uncompressed, RLE8, RLE4 or bit fields; 12- or
// 40-byte header; with or without the "BM" file header; bottom-up or top-down)
// into a new bottom-up RgbImage. On failure shows a message box captioned
// "Error" and returns null.
RgbImage* LoadDibImage(const char* fileName);

// The same for a file already in memory; fileName only names it in messages.
RgbImage* DecodeDibImage(const uint8_t* data, size_t size, const char* fileName);

// Frees an image made by the decoder or by the texture manager.
void DeleteRgbImage(RgbImage* image);
