#pragma once

#include "effects/Sprite.h"

#include <cstdint>
#include <vector>

// Streaks of orange sparks thrown up and out from an impact, falling and
// carried by the wind.
class Burst {
  public:
    Burst() = default;
    Burst(const Burst&) = delete;
    Burst& operator=(const Burst&) = delete;

    // Frees the previous impact's sparks and display list first, so that
    // firing for minutes keeps memory and the list count flat.
    void Start(const Vector4& impact, int streakCount, int sparksPerStreak);
    void Update(float elapsedMs);
    // Every spark, streak by streak, head first; the caller pushes the matrix.
    void Draw() const;
    // Lays streak g out along v from centre, spaced by streakLengths[g], and
    // colours its sparks (one draw of the generator per spark).
    void LayStreak(int g, const Vector4& centre, const Vector4& v);
    // Deletes the display list and frees the sparks; needs the context that
    // compiled the list.
    void Release();

    uint32_t displayList = 0;
    int32_t sparksPerStreak = 0;
    int32_t streakCount = 0;
    std::vector<std::vector<Sprite>> streaks; // spark 0 of each streak is its head
    std::vector<float> streakLengths;
};
