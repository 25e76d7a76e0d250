#include "terrain/Landscape.h"

#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/SwapIntervalOff.h"
#include "platform/WorkerThreads.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"

#include <GL/gl.h>
#include <cstring>
#include <memory>
#include <string>

namespace {
const uint8_t* SourcePixels(const char* name) {
    const int32_t slot = textureManager.FindByName(name);
    const RgbImage* image = slot >= 0 ? textureManager.slots[slot].image : nullptr;
    return RequireTerrainSource(name, image);
}

// A reload puts each tile back into the slot that the previous load gave it, as
// long as that slot still holds the tile of the same name, so that rebuilding the
// terrain never fills the texture table. Otherwise the tile takes the next slot.
int32_t UploadTile(int32_t previous, const char* name, const uint8_t* pixels, int32_t size) {
    TextureManager& manager = textureManager;
    const bool reusable =
        previous >= 0 && previous < manager.count && manager.slots[previous].loaded == 1 &&
        manager.slots[previous].image != nullptr && manager.slots[previous].name != nullptr &&
        std::strcmp(manager.slots[previous].name, name) == 0;
    if (!reusable)
        return manager.LoadFromMemory(name, pixels, int16_t(size), int16_t(size));

    RgbImage& image = *manager.slots[previous].image;
    const size_t bytes = size_t(size) * size * 3;
    if (image.width != size || image.height != size || image.pixels == nullptr) {
        delete[] image.pixels;
        image.pixels = new uint8_t[bytes];
        image.width = size;
        image.height = size;
    }
    std::memcpy(image.pixels, pixels, bytes);
    glBindTexture(GL_TEXTURE_2D, manager.ids[previous]);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels);
    errorLog.Write("Texture '%s' loaded\n", name);
    return previous;
}

// The blend, with the loading screen at every texel row but the very last,
// whose screen the caller shows once the picture is made.
void SynthesizeTiles(const HeightField& field, const TerrainSources& sources, int32_t size,
                     uint8_t* tiles) {
    ResetLoadingScreen();
    const int32_t tilesPerSide = kTerrainTexels / size;
    const int32_t lastTile = tilesPerSide * tilesPerSide - 1;
    BlendTerrainTiles(field, sources, size, tiles, [&](int32_t tile, int32_t row) {
        if (tile != lastTile || row != size - 1)
            DrawLoadingScreen(float(row) / float(size), tile == 0 && row == 0);
    });
}
} // namespace

void Landscape::BuildTextures(int32_t size) {
    if (!ValidTileSize(size))
        errorLog.Fatal("Terrain texture tile size %i is not supported\n", size);
    const TerrainSources sources{SourcePixels(kTerrainSourceNames[0]),
                                 SourcePixels(kTerrainSourceNames[1]),
                                 SourcePixels(kTerrainSourceNames[2])};
    const HeightField field = Field();
    const uint32_t check = TerrainCheckValue(field, sources);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kTerrainBytes]);

    RemoveStaleTerrainCacheTemporary(cacheFile.c_str());
    const TerrainCacheResult cache = ReadTerrainCache(cacheFile.c_str(), size, check, buffer.get());
    if (cache == TerrainCacheResult::Mismatch)
        errorLog.Write("Terrain texture cache '%s' does not match, rebuilding it\n",
                       cacheFile.c_str());

    // A new picture: its last loading screen is shown once it is made (drawing
    // competes with nothing then), and its cache is written on the side while the
    // tiles are uploaded. A fatal error meanwhile stops the writer, which then
    // leaves no temporary behind.
    bool saved = true;
    WorkerThreads writer;
    if (cache != TerrainCacheResult::Used) {
        SwapIntervalOff noWait;
        SynthesizeTiles(field, sources, size, buffer.get());
        auto write = [&] {
            saved = WriteTerrainCache(cacheFile.c_str(), size, check, buffer.get(),
                                      [&] { return writer.Stopping(); });
        };
        DrawLoadingScreen(float(size - 1) / float(size), true);
        if (!writer.Start(write))
            write();
    }

    tileSize = size;
    const int32_t tileCount = (kTerrainTexels / size) * (kTerrainTexels / size);
    const size_t tileBytes = size_t(size) * size * 3;
    for (int32_t i = 0; i < tileCount; ++i)
        tiles[i] =
            UploadTile(tiles[i], std::to_string(i).c_str(), buffer.get() + i * tileBytes, size);

    writer.Finish();
    if (!saved)
        errorLog.Write("Terrain texture cache '%s' not saved\n", cacheFile.c_str());
}
