#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The default data set: every file the program reads at start.
struct DataFile {
    std::string path; // relative to the data folder, forward slashes
    std::vector<uint8_t> bytes;
};

constexpr const char* kHeightMapFile = "textures/landscp.bmp";

// The tank's three models, read after the textures. Their generator and
// check belong to the model module, which adds them to generate and check.
constexpr const char* kModelFiles[] = {
    "models/cobra_body.rozi",
    "models/cobra_main_turret.rozi",
    "models/cobra_main_barrel.rozi",
};

// The 33 textures in table order, then the height map. Deterministic: the
// same bytes on every run. The texture formats vary on purpose, so that every
// start exercises the picture loader's layouts.
std::vector<DataFile> MakeDefaultPictures();

// How a texture of the default set is stored, for check's report ("8 bits,
// palette, RLE8").
std::string DescribeDib(const std::vector<uint8_t>& bytes);
