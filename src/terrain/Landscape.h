#pragma once

#include "terrain/HeightField.h"
#include "terrain/TerrainGrid.h"
#include "terrain/TerrainNode.h"

#include <cstdint>
#include <functional>
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
    void Draw(); // terrain, then water
    // The terrain alone: the quadtree's leaves, or the grid's patches in view.
    void DrawTerrain();
    // Maps wider or deeper than the quadtree's 32 fine leaves are drawn cell by
    // cell from a grid instead, at their own resolution.
    bool CellByCell() const { return width > 32 || height > 32; }
    // Builds what is drawn over the height map: the quadtree or the grid (fine
    // terrain: every sample; coarse: every other one).
    void BuildSurface(const std::function<void(float)>& progress = {});
    // Hands the drawn triangles near a box (centre and full edge lengths) to the
    // sink; true if there were any.
    bool CollectGround(const Vector4& centre, const Vector4& size, GroundTriangleSink& sink);

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
    const TerrainGrid& Grid() const { return grid; }

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

  private:
    TerrainGrid grid;
};

// The program's terrain.
extern Landscape landscape;
