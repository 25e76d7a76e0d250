#include "Commands.h"

#include "image/DibImage.h"
#include "terrain/Landscape.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {
int Usage() {
    std::fprintf(stderr, "usage: zezivoze-data terrain DIR [--tile 256|1024]\n");
    return 2;
}

struct ImageDeleter {
    void operator()(RgbImage* image) const { DeleteRgbImage(image); }
};
} // namespace

// Writes DIR's terrain texture cache exactly as the program would for the tile
// size, without a window: the same height map reading, blend and file.
int RunTerrain(int argc, char** argv) {
    if (argc != 1 && argc != 3)
        return Usage();
    int32_t tileSize = 1024; // the options dialog's default
    if (argc == 3) {
        if (std::strcmp(argv[1], "--tile") != 0)
            return Usage();
        if (std::strcmp(argv[2], "256") == 0)
            tileSize = 256;
        else if (std::strcmp(argv[2], "1024") != 0)
            return Usage();
    }
    const std::filesystem::path dir = argv[0];
    const std::string heightMapFile = (dir / "textures/landscp.bmp").string();
    if (!std::filesystem::is_regular_file(heightMapFile)) {
        std::fprintf(stderr, "zezivoze-data: %s: no such file\n", heightMapFile.c_str());
        return 1;
    }

    Landscape land;
    land.LoadHeightMap(heightMapFile.c_str());
    std::unique_ptr<RgbImage, ImageDeleter> images[3];
    const uint8_t* pixels[3];
    for (int i = 0; i < 3; ++i) {
        const std::string file = (dir / kTerrainSourceNames[i]).string();
        if (std::filesystem::is_regular_file(file))
            images[i].reset(LoadDibImage(file.c_str()));
        pixels[i] = RequireTerrainSource(kTerrainSourceNames[i], images[i].get());
    }
    const TerrainSources sources{pixels[0], pixels[1], pixels[2]};

    std::unique_ptr<uint8_t[]> tiles(new uint8_t[kTerrainBytes]);
    const auto start = std::chrono::steady_clock::now();
    BlendTerrainTiles(land.Field(), sources, tileSize, tiles.get());
    const double blendMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    const std::string cacheFile = (dir / kTerrainCacheFile).string();
    if (!WriteTerrainCache(cacheFile.c_str(), tileSize, TerrainCheckValue(land.Field(), sources),
                           tiles.get())) {
        std::fprintf(stderr, "zezivoze-data: %s could not be written\n", cacheFile.c_str());
        return 1;
    }
    const int32_t perSide = kTerrainTexels / tileSize;
    std::printf("%s: %d x %d tiles of %d texels from a %d x %d height map\n", cacheFile.c_str(),
                perSide, perSide, tileSize, land.width, land.height);
    std::printf("blend: %.2f ms\n", blendMs);
    return 0;
}
