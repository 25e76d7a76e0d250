#include "math/Matrix4.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace {
Vector4 V(float x, float y, float z, float w) {
    Vector4 v(x, y, z);
    v.w = w;
    return v;
}

testing::AssertionResult Near(const Vector4& actual, std::array<float, 4> expected) {
    const float components[] = {actual.x, actual.y, actual.z, actual.w};
    for (int i = 0; i < 4; ++i)
        if (!(std::abs(components[i] - expected[i]) <= 1e-6f)) // NaN fails too
            return testing::AssertionFailure()
                   << "component " << i << " is " << components[i] << ", not " << expected[i];
    return testing::AssertionSuccess();
}
} // namespace

TEST(Vector4, OperationsTouchXyzAndSetWOnlyInNewResults) {
    EXPECT_FLOAT_EQ(Dot(V(1, 2, 3, 9), V(4, 5, 6, -2)), 32.0f);
    Vector4 unit = V(3, 0, 4, 7), zero = V(0, 0, 0, 5), sum = V(1, 1, 1, 5);
    Normalize(unit);
    Normalize(zero); // stays as it is
    sum += V(1, 2, 3, 0);
    sum /= 2.0f;
    EXPECT_TRUE(Near(unit, {0.6f, 0, 0.8f, 7}));
    EXPECT_TRUE(Near(zero, {0, 0, 0, 5}));
    EXPECT_TRUE(Near(sum, {1, 1.5f, 2, 5}));
    EXPECT_TRUE(Near(V(5, 7, 9, 0) - V(1, 2, 3, 0), {4, 5, 6, 1}));
    EXPECT_TRUE(Near(V(1, -2, 3, 0) * 2.0f, {2, -4, 6, 1}));
}

TEST(Matrix4, LayoutTranslationAndProducts) {
    Matrix4 identity, translate(V(1, 2, 3, 42)); // the translation's w plays no part
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(identity.m[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
    const float* column4 = translate.m + 12; // column-major: the translation is the last column
    EXPECT_TRUE(Near(V(column4[0], column4[1], column4[2], column4[3]), {1, 2, 3, 1}));
    EXPECT_TRUE(Near(translate * V(10, 20, 30, 1), {11, 22, 33, 1}));
    EXPECT_TRUE(Near(translate * V(10, 20, 30, 0), {10, 20, 30, 1}));
    // T * R turns first (right-handed: x towards y about z), then moves.
    EXPECT_TRUE(
        Near((translate * Matrix4::Rotation(90, V(0, 0, 1, 1))) * V(1, 0, 0, 1), {1, 3, 3, 1}));

    Matrix4 a = translate;
    a = a * a; // the product may be stored over its own operand
    EXPECT_EQ(a.m[12], 2.0f);
}

TEST(Matrix4, RotationEqualsWhatGlRotatefLeavesOnTheStack) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    const float angles[] = {0, 30, 89, 90, 179.5f, 270, -45, 725};
    const Vector4 axes[] = {Vector4(1, 0, 0), Vector4(0, 1, 0),     Vector4(0, 0, 1),
                            Vector4(1, 1, 0), Vector4(-2, 3, 0.5f), Vector4(0, 0, 2)};
    glMatrixMode(GL_MODELVIEW);
    for (float angle : angles)
        for (const Vector4& axis : axes) {
            glLoadIdentity();
            glRotatef(angle, axis.x, axis.y, axis.z);
            float expected[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, expected);
            Matrix4 ours = Matrix4::Rotation(angle, axis);
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(ours.m[i], expected[i], 2e-6)
                    << "angle " << angle << " axis " << axis.x << "," << axis.y << "," << axis.z
                    << " element " << i;
        }
}
