#include "terrain/Landscape.h"

// Placeholder until the terrain lands.
TerrainNode::TerrainNode() : texCoords{}, x0(0), z0(0), size(0), children{} {}
TerrainNode::~TerrainNode() {}
Landscape::Landscape() : heightMap(nullptr), tiles{}, width(0), height(0), loaded(0), tileSize(0) {}
Landscape::~Landscape() {}
