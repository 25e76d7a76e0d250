#pragma once

#include "image/RgbImage.h"

#include <cstdint>
#include <string>
#include <vector>

// The program's own readers, run so that a refusal comes back as text instead
// of a message box or the end of the process.

// Decodes a picture with the texture loader. Null on refusal, with the
// loader's message in problem.
RgbImage* DecodePictureFile(const std::string& path, std::string& problem);

// Reads a height map with the height-map reader: heights (the blue bytes) top
// row first. False on refusal, with the reader's message in problem.
bool ReadHeightMapFile(const std::string& path, int& width, int& height,
                       std::vector<uint8_t>& heights, std::string& problem);
