#include "effects/RandomGenerator.h"

// Constant-initialised, so it is ready before any other global object is built.
constinit RandomGenerator randomGenerator;

int32_t RandomGenerator::Next() {
    state = state * 214013u + 2531011u; // wraps modulo 2^32
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
}

float RandomGenerator::NextUnit() {
    return static_cast<float>(Next()) * (1.0f / 32768.0f);
}
