#pragma once

#include <cstdint>

// The effects' own linear congruential generator, so that a run scatters its
// sparks and puffs the same way on every platform. One state for the whole
// program, starting at 1 and never reseeded.
class RandomGenerator {
  public:
    constexpr RandomGenerator() = default;

    // Next value from 0 to 32767.
    int32_t Next();
    // Next value scaled into [0, 1).
    float NextUnit();

    uint32_t state = 1;
};

extern RandomGenerator randomGenerator;
