#pragma once

#include "effects/Sprite.h"

#include <cstdint>
#include <vector>

// Grey puffs that leave an impact one after another, rise, drift with the
// wind and fade out.
class Plume {
  public:
    Plume() = default;
    Plume(const Plume&) = delete;
    Plume& operator=(const Plume&) = delete;

    // Frees the previous impact's puffs and display list first.
    void Start(const Vector4& impact, int puffCount);
    void Update(float elapsedMs);
    // The released puffs in order; the caller pushes the matrix.
    void Draw() const;
    // Deletes the display list and frees the puffs; needs the context that
    // compiled the list.
    void Release();

    uint32_t displayList = 0;
    int32_t puffCount = 0;
    int32_t visibleCount = 0; // released so far; only these move and are drawn
    std::vector<Sprite> puffs;
    float clock = 0;       // milliseconds since the start
    float nextRelease = 0; // clock must pass this before the next release
};
