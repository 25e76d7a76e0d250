#pragma once

#include "terrain/HeightField.h"
#include "terrain/TerrainNode.h"

#include <cstdint>
#include <string>

// The program's single terrain: height map, quadtree (the landscape is its root
// node), terrain texture tiles and water plane.
class Landscape : public TerrainNode {
  public:
    Landscape();
    ~Landscape();

    void Load(const char* fileName);
    void Unload();
    // Bilinear height (0 to 255) at map coordinates; 0 outside the map.
    float HeightAt(float u, float v) const;
    void SampleVertex(float u, float v, Vector4& vertex, float* texCoord = nullptr) const;
    // World (x, z) to map (u, v) in place, using the global landscape's size.
    static void WorldToMap(float& x, float& z);
    void Draw(); // terrain leaves, then water

    // The ground as drawn, in world units: the height of the terrain surface at
    // (x, z); false off the terrain's rectangle or without a terrain.
    bool SurfaceHeight(float x, float z, float& y) const;
    // The height map's bilinear height under world (x, z); 0 off the map.
    float HeightAtWorld(float x, float z) const;
    // The far corner of the terrain's world rectangle (the near one is at 0, 0).
    void WorldExtent(float& x, float& z) const;
    // True where each fine leaf is one map cell (the 32 x 32 map with fine
    // terrain): there the vehicles' ground contact keeps its original rule.
    bool LeavesAreCells() const;

    // Reads the height map alone (no window needed); Load's first steps.
    void LoadHeightMap(const char* fileName);
    // Makes the terrain texture tiles of side tileSize, from the cache when it
    // matches, else by blending (with the loading screen) and writing the cache.
    void BuildTextures(int32_t tileSize);
    HeightField Field() const { return HeightField{heightMap, width, height}; }

    uint8_t* heightMap;
    int32_t tiles[64]; // -1 until a tile has a slot; kept over Unload for reuse
    int32_t width;
    int32_t height;
    unsigned char loaded;
    int32_t tileSize;
    // The terrain texture cache; elsewhere than beside the textures when their
    // folder cannot be written.
    std::string cacheFile;
    // What the scene loads: the data's height map, or one the player chose.
    std::string heightMapFile;
};

// The program's terrain.
extern Landscape landscape;
