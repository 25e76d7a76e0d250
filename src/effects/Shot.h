#pragma once

#include "effects/Burst.h"
#include "effects/Plume.h"
#include "math/Vector4.h"

#include <cstdint>
#include <vector>

// The one shot in flight: a ribbon of point pairs fading towards the tail. It
// falls under gravity, and where its head first goes below the ground it sets
// off a burst and a plume, which it animates and draws from then on.
class Shot {
  public:
    Shot() = default;
    Shot(const Shot&) = delete;
    Shot& operator=(const Shot&) = delete;

    // Restarts the shot: a straight, unexploded ribbon of pairCount pairs lying
    // behind origin against the direction of flight. The previous ribbon is freed.
    void Spawn(const Vector4& origin, const Vector4& velocity, int pairCount);
    // Flies, moves the ribbon on by one pair and tests the head against the
    // ground; once exploded also updates and draws the burst and the plume.
    void Update(float elapsedMs);
    // Draws the ribbon with the texture the caller has bound.
    void DrawTrail() const;

    // Pair k is points[2k] (left, A) and points[2k + 1] (right, B); pair 0 is the head.
    std::vector<Vector4> points;
    std::vector<uint8_t> alphas; // opacity of the segment ending at pair k
    int32_t pairCount = 0;
    Vector4 origin;
    Vector4 velocity; // world units per 50 ms step
    uint8_t colour[3] = {0, 0, 0};
    Burst burst;
    Plume plume;
    uint8_t exploded = 0;
};

// The program's one shot.
extern Shot shot;
