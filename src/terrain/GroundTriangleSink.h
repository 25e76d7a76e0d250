#pragma once

#include "math/Vector4.h"

// What takes the ground triangles that the terrain's contact search finds; the
// vehicles implement it, so the terrain needs to know nothing of them.
class GroundTriangleSink {
  public:
    virtual void AddGroundTriangle(const Vector4& p0, const Vector4& p1, const Vector4& p2) = 0;

  protected:
    ~GroundTriangleSink() = default;
};
