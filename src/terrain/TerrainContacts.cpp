#include "terrain/TerrainNode.h"

#include "vehicle/Vehicle.h"

#include <cmath>

// Kept apart from the rest of the node, so that only programs that collect
// ground contacts need the vehicle code.
bool TerrainNode::CollectContacts(Vehicle& vehicle) {
    if (children[0] != nullptr) {
        bool touched = false;
        for (TerrainNode* child : children)
            if (child != nullptr && child->CollectContacts(vehicle))
                touched = true;
        return touched;
    }
    // The vehicle's full edge lengths are added to the leaf's half-extents.
    const Vector4 d = vehicle.boxCentre - boxCentre;
    const bool touched = std::fabs(d.x) <= boxHalf.x + vehicle.boxSize.x &&
                         std::fabs(d.y) <= boxHalf.y + vehicle.boxSize.y &&
                         std::fabs(d.z) <= boxHalf.z + vehicle.boxSize.z;
    if (!touched)
        return false;
    vehicle.AddGroundTriangle(vertices[0], vertices[1], vertices[2]);
    vehicle.AddGroundTriangle(vertices[0], vertices[2], vertices[3]);
    vehicle.AddGroundTriangle(vertices[0], vertices[3], vertices[4]);
    vehicle.AddGroundTriangle(vertices[0], vertices[4], vertices[1]);
    return true;
}
