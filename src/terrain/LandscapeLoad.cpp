#include "terrain/Landscape.h"

#include "image/BmpReader.h"
#include "platform/ErrorLog.h"
#include "state/AppState.h"
#include "terrain/LoadingScreen.h"

#include <algorithm>
#include <cstddef>

void Landscape::Load(const char* fileName) {
    if (loaded == 1) {
        errorLog.Write("Landscape already loaded");
        return;
    }
    LoadHeightMap(fileName);
    if (CellByCell()) {
        // The grid's colours are blended as it is drawn: nothing slow to make
        // or cache, only the patches' heights to find.
        ResetLoadingScreen();
        BuildSurface([](float progress) { DrawLoadingScreen(progress, progress >= 1.0f); });
    } else {
        BuildSurface();
        BuildTextures(appState.largeTerrainTexture == 1 ? 1024 : 256);
    }
    loaded = 1;
}

void Landscape::LoadHeightMap(const char* fileName) {
    BmpReader reader;
    reader.Load(fileName);
    delete[] heightMap;
    width = std::max(reader.width, 0);
    height = std::max(reader.height, 0);
    const size_t count = size_t(width) * size_t(height);
    heightMap = new uint8_t[count]();
    // The blue byte of each pixel is its height; a pixel block shorter than the
    // picture leaves the missing samples at 0 rather than read past its end.
    const size_t available = reader.pixels != nullptr ? reader.imageSize / 3 : 0;
    const size_t filled = std::min(count, available);
    for (size_t i = 0; i < filled; ++i)
        heightMap[i] = reader.pixels[3 * i];
}
