#include "terrain/Landscape.h"

#include "state/AppState.h"
#include "terrain/TerrainCache.h"

Landscape::Landscape()
    : heightMap(nullptr), width(0), height(0), loaded(0), tileSize(0), cacheFile(kTerrainCacheFile),
      heightMapFile("textures/landscp.bmp") {
    for (int32_t& tile : tiles)
        tile = -1;
}

Landscape::~Landscape() {
    Unload();
    delete[] heightMap; // read without a full load (the data tool)
}

void Landscape::Unload() {
    if (loaded != 1)
        return;
    delete[] heightMap;
    heightMap = nullptr;
    FreeChildren();
    grid.Release();
    loaded = 0;
}

float Landscape::HeightAt(float u, float v) const {
    return SampleHeight(Field(), LocateSample(width, u), LocateSample(height, v));
}

void Landscape::SampleVertex(float u, float v, Vector4& vertex, float* texCoord) const {
    const SamplePosition x = LocateSample(width, u), z = LocateSample(height, v);
    vertex.x = x.f / 0.01f;
    vertex.z = z.f / 0.01f;
    vertex.y = SampleHeight(Field(), x, z);
    // One texture repeat every 32 height-map cells.
    if (texCoord != nullptr && x.inside && z.inside) {
        texCoord[0] = x.f * 0.03125f;
        texCoord[1] = z.f * 0.03125f;
    }
}

// The inverse of the sample-to-world scale only: the 0.952381 of the map
// coordinates is not undone, so callers sample where the drawn terrain shows
// x * 0.952381.
void Landscape::WorldToMap(float& x, float& z) {
    x = static_cast<float>(0.01 * x / landscape.width);
    z = static_cast<float>(0.01 * z / landscape.height);
}

float Landscape::HeightAtWorld(float x, float z) const {
    return SampleHeight(Field(), LocateSampleCoordinate(width, x * 0.01f),
                        LocateSampleCoordinate(height, z * 0.01f));
}

void Landscape::WorldExtent(float& x, float& z) const {
    x = LocateSample(width, 1.0f).f / 0.01f;
    z = LocateSample(height, 1.0f).f / 0.01f;
}

bool Landscape::LeavesAreCells() const {
    return width == 32 && height == 32 && appState.fineTerrain == 1;
}

bool Landscape::SurfaceHeight(float x, float z, float& y) const {
    if (loaded != 1)
        return false;
    if (grid.Built())
        return grid.SurfaceHeight(x * 0.01f, z * 0.01f, y);
    const TerrainNode* leaf = LeafAt(x, z);
    if (leaf == nullptr)
        return false;
    y = leaf->FanHeight(x, z);
    return true;
}

void Landscape::BuildSurface(const std::function<void(float)>& progress) {
    grid.Release();
    FreeChildren();
    if (!CellByCell()) {
        Build(0.0f, 0.0f, 1.0f, *this);
        return;
    }
    float x, z;
    WorldExtent(x, z);
    grid.Build(Field(), x * 0.01f, z * 0.01f, appState.fineTerrain == 1 ? 1 : 2, progress);
}

bool Landscape::CollectGround(const Vector4& centre, const Vector4& size,
                              GroundTriangleSink& sink) {
    if (grid.Built())
        return grid.CollectTriangles(centre, size, sink);
    return CollectContacts(centre, size, sink);
}
