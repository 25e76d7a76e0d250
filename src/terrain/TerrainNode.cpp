#include "terrain/TerrainNode.h"

#include "app/AppState.h"
#include "app/Globals.h"
#include "terrain/Landscape.h"

#include <algorithm>
#include <cmath>

TerrainNode::TerrainNode()
    : texCoords{}, x0(0), z0(0), size(0), children{}, owner(nullptr) {}

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

    const float points[5][2] = {{x0 + half, z0 + half},
                                {x0, z0},
                                {x0 + size, z0},
                                {x0 + size, z0 + size},
                                {x0, z0 + size}};
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
    const float corners[4][2] = {{x0, z0}, {x0 + half, z0}, {x0 + half, z0 + half}, {x0, z0 + half}};
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
