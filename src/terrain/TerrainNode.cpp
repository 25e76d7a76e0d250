#include "terrain/TerrainNode.h"

#include "state/AppState.h"
#include "terrain/Landscape.h"

#include <algorithm>
#include <cmath>

namespace {
// Tile row or column under a texture coordinate; one off the texture is held to
// the nearest tile rather than index outside the tile table.
int32_t TileAlong(float coordinate, int32_t tileSize, int32_t tilesPerSide) {
    if (!(coordinate >= 0.0f))
        return 0;
    const float scaled = coordinate * 1024.0f / static_cast<float>(tileSize);
    if (scaled >= static_cast<float>(tilesPerSide))
        return tilesPerSide - 1;
    return static_cast<int32_t>(scaled);
}
} // namespace

TerrainNode::TerrainNode() : texCoords{}, x0(0), z0(0), size(0), children{}, owner(nullptr) {}

TerrainNode::~TerrainNode() {
    FreeChildren();
}

void TerrainNode::Build(float x0_, float z0_, float size_, Landscape& landscape) {
    const float minimumSize = appState.fineTerrain == 1 ? 0.0625f : 0.125f;
    const float half = size_ * 0.5f;
    FreeChildren(); // a rebuilt node must not lose a subtree
    x0 = x0_;
    z0 = z0_;
    size = size_;
    owner = &landscape;

    const float points[5][2] = {
        {x0 + half, z0 + half}, {x0, z0}, {x0 + size, z0}, {x0 + size, z0 + size}, {x0, z0 + size}};
    for (int i = 0; i < 5; ++i)
        landscape.SampleVertex(points[i][0], points[i][1], vertices[i], texCoords[i]);

    float lowest = 50000.0f, highest = -50000.0f;
    for (const Vector4& vertex : vertices) {
        lowest = std::min(lowest, vertex.y);
        highest = std::max(highest, vertex.y);
    }
    const Vector4 low(vertices[1].x, lowest, vertices[1].z);
    const Vector4 high(vertices[3].x, highest, vertices[3].z);
    boxCentre = Vector4((low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f);
    boxHalf = Vector4(std::fabs(high.x - low.x) * 0.5f, std::fabs(high.y - low.y) * 0.5f,
                      std::fabs(high.z - low.z) * 0.5f);

    if (size < minimumSize)
        return;
    const float corners[4][2] = {
        {x0, z0}, {x0 + half, z0}, {x0 + half, z0 + half}, {x0, z0 + half}};
    for (int i = 0; i < 4; ++i) {
        children[i] = new TerrainNode;
        children[i]->Build(corners[i][0], corners[i][1], half, landscape);
    }
}

void TerrainNode::FreeChildren() {
    for (TerrainNode*& child : children) {
        if (child == nullptr)
            continue;
        child->FreeChildren();
        delete child;
        child = nullptr;
    }
}

void TerrainNode::TileCoordinates(float& a, float& b) const {
    a = b = 0.0f;
    if (owner == nullptr)
        return;
    a = vertices[1].x * 0.01f / static_cast<float>(owner->width) * kMapToSample;
    b = vertices[1].z * 0.01f / static_cast<float>(owner->height) * kMapToSample;
}

int32_t TerrainNode::TileIndex() const {
    if (owner == nullptr)
        return 0;
    float a, b;
    TileCoordinates(a, b);
    const int32_t tileSize = owner->tileSize > 0 ? owner->tileSize : 1024;
    const int32_t tilesPerSide = std::max(1024 / tileSize, 1);
    return TileAlong(b, tileSize, tilesPerSide) * tilesPerSide +
           TileAlong(a, tileSize, tilesPerSide);
}
