#include "terrain/TerrainNode.h"

#include "terrain/GroundTriangleSink.h"

#include <cmath>

bool TerrainNode::CollectContacts(const Vector4& centre, const Vector4& size,
                                  GroundTriangleSink& sink) {
    if (children[0] != nullptr) {
        bool touched = false;
        for (TerrainNode* child : children)
            if (child != nullptr && child->CollectContacts(centre, size, sink))
                touched = true;
        return touched;
    }
    // The box's full edge lengths are added to the leaf's half-extents.
    const Vector4 d = centre - boxCentre;
    const bool touched = std::fabs(d.x) <= boxHalf.x + size.x &&
                         std::fabs(d.y) <= boxHalf.y + size.y &&
                         std::fabs(d.z) <= boxHalf.z + size.z;
    if (!touched)
        return false;
    sink.AddGroundTriangle(vertices[0], vertices[1], vertices[2]);
    sink.AddGroundTriangle(vertices[0], vertices[2], vertices[3]);
    sink.AddGroundTriangle(vertices[0], vertices[3], vertices[4]);
    sink.AddGroundTriangle(vertices[0], vertices[4], vertices[1]);
    return true;
}

const TerrainNode* TerrainNode::LeafAt(float x, float z) const {
    if (!(x >= vertices[1].x && x <= vertices[3].x && z >= vertices[1].z && z <= vertices[3].z))
        return nullptr;
    const TerrainNode* node = this;
    while (node->children[0] != nullptr) {
        // Children 1 and 2 lie beyond the middle in x, 2 and 3 in z.
        const Vector4& middle = node->children[2]->vertices[1];
        const bool east = x >= middle.x, south = z >= middle.z;
        node = node->children[south ? (east ? 2 : 3) : (east ? 1 : 0)];
    }
    return node;
}

namespace {
// The height at (x, z) of the plane through a, b and c, taken in plan.
float PlaneHeight(const Vector4& a, const Vector4& b, const Vector4& c, float x, float z) {
    const double abx = b.x - a.x, abz = b.z - a.z, acx = c.x - a.x, acz = c.z - a.z;
    const double det = abx * acz - abz * acx;
    if (det == 0)
        return a.y;
    const double px = x - a.x, pz = z - a.z;
    const double s = (px * acz - pz * acx) / det, t = (abx * pz - abz * px) / det;
    return static_cast<float>(a.y + s * (b.y - a.y) + t * (c.y - a.y));
}
} // namespace

// The fan's four triangles meet at the centre along the square's diagonals.
float TerrainNode::FanHeight(float x, float z) const {
    const float dx = (x - vertices[0].x) * (vertices[3].z - vertices[1].z);
    const float dz = (z - vertices[0].z) * (vertices[3].x - vertices[1].x);
    int first; // the triangle (centre, corner first, the next corner)
    if (std::fabs(dz) >= std::fabs(dx))
        first = dz < 0 ? 1 : 3;
    else
        first = dx > 0 ? 2 : 4;
    return PlaneHeight(vertices[0], vertices[first], vertices[first % 4 + 1], x, z);
}
