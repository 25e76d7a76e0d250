#include "vehicle/Vehicle.h"

// Placeholder until the vehicles land.
Model::Model() : loaded(0) {}
Model::~Model() {}
Vehicle::Vehicle() : loaded(0), groundTriangles(nullptr), fallSpeed(0) {}
Vehicle::~Vehicle() {}
