#include "math/Matrix4.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <tuple>

namespace {
Vector4 V(float x, float y, float z, float w) {
    Vector4 v(x, y, z);
    v.w = w;
    return v;
}
} // namespace

TEST(Vector4, OperationsTouchXyzAndSetWOnlyInNewResults) {
    EXPECT_FLOAT_EQ(Dot(V(1, 2, 3, 9), V(4, 5, 6, -2)), 32.0f);
    Vector4 unit = V(3, 0, 4, 7), zero = V(0, 0, 0, 5), sum = V(1, 1, 1, 5);
    Normalize(unit);
    Normalize(zero); // stays as it is
    sum += V(1, 2, 3, 0);
    sum /= 2.0f;
    EXPECT_EQ(std::tuple(unit.w, zero.w, sum.w), std::tuple(7.0f, 5.0f, 5.0f)); // left alone
    unit.w = zero.w = sum.w = 1;
    EXPECT_TRUE(Near(unit, Vector4(0.6f, 0, 0.8f), 1e-6f) && Near(zero, Vector4(), 0));
    EXPECT_TRUE(Near(sum, Vector4(1, 1.5f, 2), 0));
    // New results have w = 1.
    EXPECT_TRUE(Near(V(5, 7, 9, 0) - V(1, 2, 3, 0), Vector4(4, 5, 6), 0));
    EXPECT_TRUE(Near(V(1, -2, 3, 0) * 2.0f, Vector4(2, -4, 6), 0));
}

TEST(Matrix4, LayoutTranslationProductsAndRotationsAsGlRotatef) {
    Matrix4 translate(V(1, 2, 3, 42)); // the translation's w plays no part
    EXPECT_TRUE(Near(Matrix4() * V(10, 20, 30, 1), Vector4(10, 20, 30), 0));
    // Column-major, as OpenGL takes it: the translation is the last column.
    EXPECT_EQ(std::vector<float>(translate.m + 12, translate.m + 16),
              (std::vector<float>{1, 2, 3, 1}));
    EXPECT_TRUE(Near(translate * V(10, 20, 30, 1), Vector4(11, 22, 33), 0));
    EXPECT_TRUE(Near(translate * V(10, 20, 30, 0), Vector4(10, 20, 30), 0));
    // T * R turns first (right-handed: x towards y about z), then moves.
    EXPECT_TRUE(Near((translate * Matrix4::Rotation(90, V(0, 0, 1, 1))) * V(1, 0, 0, 1),
                     Vector4(1, 3, 3), 1e-6f));
    translate = translate * translate; // the product may be stored over its own operand
    EXPECT_EQ(translate.m[12], 2.0f);

    // Rotations are what glRotatef leaves on the stack.
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    glMatrixMode(GL_MODELVIEW);
    for (float angle : {0.0f, 30.0f, 89.0f, 90.0f, 179.5f, 270.0f, -45.0f, 725.0f})
        for (const Vector4& axis : {Vector4(1, 0, 0), Vector4(0, 1, 0), Vector4(0, 0, 1),
                                    Vector4(1, 1, 0), Vector4(-2, 3, 0.5f), Vector4(0, 0, 2)}) {
            glLoadIdentity();
            glRotatef(angle, axis.x, axis.y, axis.z);
            float expected[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, expected);
            const Matrix4 ours = Matrix4::Rotation(angle, axis);
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(ours.m[i], expected[i], 2e-6)
                    << angle << " " << axis.x << "," << axis.y << "," << axis.z << " " << i;
        }
}
