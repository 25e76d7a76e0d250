#pragma once

#include "math/Vector4.h"

class Landscape;
class Vehicle;

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
    // Hands the triangles of every leaf whose box touches the vehicle's box to
    // Vehicle::AddGroundTriangle, depth first; true if any leaf was touched.
    bool CollectContacts(Vehicle& vehicle);

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
