#pragma once

#include <cstdint>
#include <vector>

// The default world's relief: a procedural height map of size x size samples,
// top row first. The forms have a fixed size in samples (one sample is 100
// world units), so a larger map is a larger world, and every map is the
// top-left corner of the same one: lowland with lakes below the water level 128,
// rolling hills, ranges of ridged mountains up to about 235 with snow on their
// crests, and a river winding through the low ground. The corner where the tanks
// start is dry, gentle ground with a lake and hills in sight.
//
// Deterministic: the noise is an integer hash, and floats see only +, -, *, /,
// sqrt, fabs and floor (all exact or correctly rounded, and built without
// fused multiply-adds), so the same bytes come out on every run and machine.
class Landform {
  public:
    // The height at sample (x, y), unrounded.
    static float HeightAt(float x, float y);
    // The whole map, rows spread over the machine's cores.
    static std::vector<uint8_t> Make(int size);
};
