#include "TerrainTestSupport.h"

#include <gtest/gtest.h>

// Heights on no one plane, so that the order of the arithmetic shows: the four samples weighted
// in single precision, term by term in this order, to the bit wherever the point is inside.
TEST(HeightGuard, BilinearToTheBit) {
    Landscape land;
    FillHeightMap(land, 37, 29, [](int32_t r, int32_t c) { return uint8_t(r * 97 + c * c * 13); });
    auto expected = [h = land.heightMap](float u, float v) {
        const float fx = 37 * u * 0.952381f, fz = 29 * v * 0.952381f;
        const int x = int(fx), z = int(fz), at = z * 37 + x;
        const float a = fx - float(x), b = fz - float(z);
        return fx >= 36 || fz >= 28 ? 0
                                    : (1 - a) * (1 - b) * h[at] + (1 - a) * b * h[at + 37] +
                                          a * (1 - b) * h[at + 1] + a * b * h[at + 38];
    };
    std::vector<std::tuple<float, float, float, float>> wrong; // u, v, height, expected
    for (float u = 0; u < 1.1f; u += 1 / 143.0f)
        for (float v = 0; v < 1.1f; v += 1 / 147.0f)
            if (land.HeightAt(u, v) != expected(u, v))
                wrong.emplace_back(u, v, land.HeightAt(u, v), expected(u, v));
    EXPECT_EQ(wrong.size(), 0u) << testing::PrintToString(wrong).substr(0, 300);
}
