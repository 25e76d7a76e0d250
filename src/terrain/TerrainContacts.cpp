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
