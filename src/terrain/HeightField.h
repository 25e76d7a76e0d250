#pragma once

#include <cstddef>
#include <cstdint>

// Map coordinates (u, v) run from 0 to 1 over the quadtree; sample coordinates
// are scaled by this, so u = 1 lands at about 95 % of the map, short of its last
// column.
inline constexpr float kMapToSample = 0.952381f;

// Height samples, row by row, row 0 at the top of the picture.
struct HeightField {
    const uint8_t* samples = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Where one map coordinate falls between the samples of one axis.
struct SamplePosition {
    float f;     // sample coordinate
    int32_t i;   // the sample at or below f
    float frac;  // f - i
    bool inside; // samples i and i + 1 both exist
};

// Where sample coordinate f falls between the samples of an axis of count samples.
inline SamplePosition LocateSampleCoordinate(int32_t count, float f) {
    SamplePosition p;
    p.f = f;
    // Tested as floats first, so that NaN or a huge coordinate never reaches the
    // integer conversion. For f >= 0 the truncation is the floor, and f - i is the
    // exact fractional part.
    p.inside = p.f >= 0.0f && p.f < static_cast<float>(count - 1);
    p.i = p.inside ? static_cast<int32_t>(p.f) : 0;
    p.frac = p.inside ? p.f - static_cast<float>(p.i) : 0.0f;
    return p;
}

inline SamplePosition LocateSample(int32_t count, float u) {
    return LocateSampleCoordinate(count, static_cast<float>(count) * u * kMapToSample);
}

// The four samples weighted in single precision, term by term in this order.
// So a flat map may come out one unit in the last place off its own height at
// some points.
inline float Bilerp(float a, float b, float h00, float h01, float h10, float h11) {
    return (1.0f - a) * (1.0f - b) * h00 + (1.0f - a) * b * h01 + a * (1.0f - b) * h10 +
           a * b * h11;
}

// Bilinear height between the four samples around the point; 0 where they do
// not all exist, or when there are no samples (the landscape is unloaded).
inline float SampleHeight(const HeightField& field, const SamplePosition& x,
                          const SamplePosition& z) {
    if (!x.inside || !z.inside || field.samples == nullptr)
        return 0.0f;
    const uint8_t* h00 = field.samples + static_cast<size_t>(z.i) * field.width + x.i;
    return Bilerp(x.frac, z.frac, h00[0], h00[field.width], h00[1], h00[field.width + 1]);
}
