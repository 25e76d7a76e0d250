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
// The sizes of height map the game plays, in samples on each side.
constexpr int kMinMapSide = 2;
constexpr int kMaxMapSide = 8192;

// The tank's three models, read after the textures. Their generator and
// check belong to the model module, which adds them to generate and check.
constexpr const char* kModelFiles[] = {
    "models/cobra_body.rozi",
    "models/cobra_main_turret.rozi",
    "models/cobra_main_barrel.rozi",
};

// The default world is this many samples across; --map-size picks another.
constexpr int kDefaultMapSize = 512;

// The 33 textures in table order, then the height map of mapSize x mapSize
// samples (32: the small map of its own). Deterministic: the same bytes on
// every run. The texture formats vary on purpose, so that every start
// exercises the picture loader's layouts.
std::vector<DataFile> MakeDefaultPictures(int mapSize);

// How a texture of the default set is stored, for check's report ("8 bits,
// palette, RLE8").
std::string DescribeDib(const std::vector<uint8_t>& bytes);
