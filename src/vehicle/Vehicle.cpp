#include "vehicle/Vehicle.h"

#include <new>

namespace {
void FreeList(GroundTriangle* node) {
    while (node != nullptr) {
        GroundTriangle* next = node->next;
        delete node;
        node = next;
    }
}
} // namespace

Vehicle::Vehicle()
    : loaded(0), groundTriangles(new GroundTriangle), fallSpeed(0), spareTriangles(nullptr) {}

Vehicle::~Vehicle() {
    Release();
    FreeList(groundTriangles);
    FreeList(spareTriangles);
}

void Vehicle::Release() {
    if (!loaded)
        return;
    body.Release();
    turret.Release();
    barrel.Release();
    loaded = 0;
}

// An empty end node (corners' w = 1, next null), from the spares when there are any.
GroundTriangle* Vehicle::NewEndNode() {
    GroundTriangle* node = spareTriangles;
    if (node != nullptr)
        spareTriangles = node->next;
    else
        node = new (std::nothrow) GroundTriangle;
    if (node != nullptr)
        *node = GroundTriangle();
    return node;
}

void Vehicle::AddGroundTriangle(const Vector4& p0, const Vector4& p1, const Vector4& p2) {
    GroundTriangle* end = groundTriangles;
    while (end->next != nullptr)
        end = end->next;
    end->p0 = p0;
    end->p1 = p1;
    end->p2 = p2;
    // Without a new end node the filled one stays the end: the next triangle overwrites it.
    end->next = NewEndNode();
}
