#pragma once

#include "vehicle/Vehicle.h"

// The triangles in a vehicle's ground list (the nodes before the end node).
inline int CountTriangles(const Vehicle& vehicle) {
    int count = 0;
    for (const GroundTriangle* node = vehicle.groundTriangles; node->next != nullptr;
         node = node->next)
        ++count;
    return count;
}
