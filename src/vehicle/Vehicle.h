#pragma once

#include "math/Vector4.h"
#include "model/Model.h"
#include "terrain/GroundTriangleSink.h"

struct Matrix4;

// A node of a vehicle's ground-triangle list; the list ends with one empty node
// whose next is null.
struct GroundTriangle {
    Vector4 p0;
    Vector4 p1;
    Vector4 p2;
    GroundTriangle* next = nullptr;
};

// One tank: hull, turret and barrel models, its position and heading, and the
// state of its motion over the terrain. Positions are in vehicle units (9 world units).
class Vehicle : public GroundTriangleSink {
  public:
    Vehicle();
    ~Vehicle();
    Vehicle(const Vehicle&) = delete;
    Vehicle& operator=(const Vehicle&) = delete;

    void Load();
    void Release();
    void Draw();
    void SetPosition(float x, float y, float z);
    void Rotate(float x, float y, float z);
    void Steer(bool left);
    void Accelerate(bool forward);
    void UpdateGeometry();
    void UpdateMuzzle();
    // The muzzle from the hull's world matrix and its three rotations.
    void UpdateMuzzle(const Matrix4& world, const Matrix4& rx, const Matrix4& ry,
                      const Matrix4& rz);
    void Update(float elapsedMs);
    bool FindGround();
    void AddGroundTriangle(const Vector4& p0, const Vector4& p1, const Vector4& p2) override;
    // The parts of FindGround around the terrain's search: the list emptied to
    // its end node, and the hull set on the last triangle in reach.
    void EmptyGroundTriangles();
    bool RestOnGroundTriangles();
    bool RestOnSurface();
    // Keeps the hull's box on the terrain after the step moved it by `moved`.
    void KeepOnMap(const Vector4& moved);

    unsigned char loaded;
    Model body;
    Model turret;
    Model barrel;
    Vector4 boxCorners[8];
    Vector4 boxCentre;
    Vector4 boxSize; // full edge lengths of the world box
    GroundTriangle* groundTriangles;
    Vector4 scale;
    Vector4 motion;
    Vector4 thrust;
    float fallSpeed;
    Vector4 muzzlePoint;
    Vector4 shotVelocity;

    // Nodes of earlier steps kept for reuse, so that a steady state of the
    // ground search allocates nothing.
    GroundTriangle* spareTriangles;

  private:
    GroundTriangle* NewEndNode();
    void HullMatrices(Matrix4& world, Matrix4& rx, Matrix4& ry, Matrix4& rz) const;
};

extern Vehicle firstTank;  // driven by the user
extern Vehicle secondTank; // drives in circles by itself
