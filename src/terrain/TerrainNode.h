#pragma once

#include "math/Vector4.h"

#include <cstdint>

class GroundTriangleSink;
class Landscape;

// One square patch of the terrain quadtree over map coordinates (u, v).
class TerrainNode {
  public:
    TerrainNode();
    ~TerrainNode();
    TerrainNode(const TerrainNode&) = delete;
    TerrainNode& operator=(const TerrainNode&) = delete;

    void Build(float x0, float z0, float size, Landscape& landscape);
    void Draw();
    void FreeChildren();
    // Hands the triangles of every leaf whose box touches the given box (centre
    // and full edge lengths) to the sink, depth first; true if any leaf was touched.
    bool CollectContacts(const Vector4& centre, const Vector4& size, GroundTriangleSink& sink);
    // The leaf whose square holds world (x, z), or null outside this node.
    const TerrainNode* LeafAt(float x, float z) const;
    // The height of this leaf's fan at world (x, z) within its square.
    float FanHeight(float x, float z) const;
    // Where the leaf's first corner lies on the terrain texture (0 to 1 inside);
    // the map scale is applied twice, so the tiles do not divide the leaves evenly.
    void TileCoordinates(float& a, float& b) const;
    // Index into the landscape's tiles of the tile this leaf is drawn with.
    int32_t TileIndex() const;

    Vector4 vertices[5]; // [0] centre, then the corners (x0,z0), (x0+s,z0), (x0+s,z0+s), (x0,z0+s)
    float texCoords[5][2];
    float x0;
    float z0;
    float size;
    Vector4 boxCentre;
    Vector4 boxHalf;
    TerrainNode* children[4];
    Landscape* owner; // the landscape it was built over: size and tiles for drawing
};
