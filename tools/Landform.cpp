#include "Landform.h"

#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace {
struct Sample {
    float value, dx, dy; // value from -1 to 1, and its slope
};

Sample Value(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const float tx = x - fx, ty = y - fy;
    const float ux = tx * tx * (3 - 2 * tx), uy = ty * ty * (3 - 2 * ty);
    const float dux = 6 * tx * (1 - tx), duy = 6 * ty * (1 - ty);
    const float a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
    const float c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
    const float k = a - b - c + d;
    return {2 * (a + (b - a) * ux + (c - a) * uy + k * ux * uy) - 1, 2 * dux * (b - a + k * uy),
            2 * duy * (c - a + k * ux)};
}

// The next octave: twice the frequency, turned so that the lattices of the
// octaves do not line up.
void Next(float& x, float& y) {
    const float nx = 1.6f * x - 1.2f * y;
    y = 1.2f * x + 1.6f * y;
    x = nx;
}

// Octaves of value noise, each of half the weight; about -1 to 1.
float Octaves(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i, Next(x, y)) {
        sum += weight * Value(x, y, seed + static_cast<uint32_t>(i) * 101u).value;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

// Octaves whose detail fades where the coarser ones are steep: smooth slopes
// and detailed flats and crests, the way weather wears hills down.
float Worn(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0, sx = 0, sy = 0;
    for (int i = 0; i < octaves; ++i, Next(x, y)) {
        const Sample s = Value(x, y, seed + static_cast<uint32_t>(i) * 101u);
        sx += s.dx;
        sy += s.dy;
        sum += weight * s.value / (1 + sx * sx + sy * sy);
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

// Ridged octaves: sharp crests where the noise crosses zero, each octave
// weighted by the one before so that the detail gathers on the crests; 0 to 1.
float Ridges(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amplitude = 1, total = 0, weight = 1;
    for (int i = 0; i < octaves; ++i, Next(x, y)) {
        float n = 1 - std::fabs(Value(x, y, seed + static_cast<uint32_t>(i) * 101u).value);
        n = n * n * weight;
        weight = Clamp01(n * 1.5f);
        sum += n * amplitude;
        total += amplitude;
        amplitude *= 0.5f;
    }
    return sum / total;
}

float Mix(float a, float b, float t) {
    return a + (b - a) * t;
}

// The relief at a point of the noise's plane, before the start is shaped.
float Relief(float x, float y) {
    // Bend the coordinates so that no form runs straight.
    const float qx = x + 14 * Octaves(x / 40, y / 40, 3, 71);
    const float qy = y + 14 * Octaves(x / 40, y / 40, 3, 72);

    // Regions of plain, of hills and of mountains, each many samples across.
    const float region = Octaves(qx / 160, qy / 160, 4, 73);
    const float hilly = SmoothStep(-0.3f, 0.1f, region);
    const float mountains = SmoothStep(0.0f, 0.3f, region);
    const float hills = Worn(qx / 14, qy / 14, 5, 74);
    const float ridges = Ridges(qx / 100, qy / 100, 7, 75);
    float h = 146 + 30 * region + (10 + 40 * hilly) * hills + mountains * (115 * ridges - 10);

    // A river: where a broad noise field crosses its middle, through the low
    // ground only.
    const float course = std::fabs(Octaves(qx / 150, qy / 150, 2, 76));
    const float valley = (1 - SmoothStep(0.0f, 0.07f, course)) * (1 - mountains);
    h = Mix(h, std::min(h, 116.0f + 80 * course), valley);

    // Lakes deepen away from their shores; heights settle softly against the top.
    if (h < 128)
        h = 128 - 1.8f * (128 - h);
    if (h > 215)
        h = 215 + 35 * (h - 215) / (35 + (h - 215));
    return h;
}
} // namespace

float Landform::HeightAt(float x, float y) {
    // The part of the noise's plane whose corner has a lake and a mountain
    // range in sight, chosen by looking.
    float h = Relief(x + 12000, y + 7500);
    // The tanks start at sample (0.45, 0.45): level, dry ground there.
    const float dx = x - 0.45f, dy = y - 0.45f;
    const float distance = std::sqrt(dx * dx + dy * dy);
    h = Mix(h, std::max(h, 142.0f), 1 - SmoothStep(8, 14, distance));
    return Mix(h, 152, 1 - SmoothStep(2, 8, distance));
}

std::vector<uint8_t> Landform::Make(int size) {
    std::vector<uint8_t> heights(static_cast<size_t>(size) * size);
    auto rows = [&](int first, int step) {
        for (int y = first; y < size; y += step)
            for (int x = 0; x < size; ++x) {
                const float h = HeightAt(static_cast<float>(x), static_cast<float>(y));
                heights[static_cast<size_t>(y) * size + x] =
                    static_cast<uint8_t>(std::clamp(std::floor(h + 0.5f), 0.0f, 255.0f));
            }
    };
    const int threads =
        std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, size / 64 + 1);
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(rows, t, threads);
    rows(0, threads);
    for (std::thread& helper : helpers)
        helper.join();
    return heights;
}
