#include "math/Matrix4.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {
void ExpectVector(const Vector4& v, float x, float y, float z, float w) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}
} // namespace

TEST(Vector4, OperationsTouchXyzAndSetWOnlyInNewResults) {
    Vector4 a(1, 2, 3), b(4, 5, 6);
    a.w = 9;
    b.w = -2;
    EXPECT_FLOAT_EQ(Dot(a, b), 32.0f);

    Vector4 n(3, 0, 4);
    n.w = 7;
    Normalize(n);
    ExpectVector(n, 0.6f, 0.0f, 0.8f, 7.0f);

    Vector4 zero(0, 0, 0);
    Normalize(zero);
    ExpectVector(zero, 0, 0, 0, 1);

    Vector4 p(5, 7, 9), q(1, 2, 3);
    p.w = 0;
    q.w = 0;
    ExpectVector(p - q, 4, 5, 6, 1);

    Vector4 d(1, -2, 3);
    d.w = 0;
    ExpectVector(d * 2.0f, 2, -4, 6, 1);

    Vector4 acc(1, 1, 1);
    acc.w = 5;
    acc += Vector4(1, 2, 3);
    ExpectVector(acc, 2, 3, 4, 5);
    acc /= 2.0f;
    ExpectVector(acc, 1, 1.5f, 2, 5);
}

TEST(Matrix4, LayoutTranslationAndProducts) {
    Matrix4 identity;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(identity.m[i], (i == 0 || i == 5 || i == 10 || i == 15) ? 1.0f : 0.0f);

    Vector4 t(1, 2, 3);
    t.w = 42; // ignored
    Matrix4 translate(t);
    EXPECT_EQ(translate.m[12], 1.0f);
    EXPECT_EQ(translate.m[13], 2.0f);
    EXPECT_EQ(translate.m[14], 3.0f);
    EXPECT_EQ(translate.m[15], 1.0f);

    ExpectVector(translate * Vector4(10, 20, 30), 11, 22, 33, 1);
    Vector4 direction(10, 20, 30);
    direction.w = 0;
    ExpectVector(translate * direction, 10, 20, 30, 1);

    // T * R rotates first, then translates.
    Matrix4 rotate = Matrix4::Rotation(90, Vector4(0, 0, 1));
    Vector4 moved = (translate * rotate) * Vector4(1, 0, 0);
    EXPECT_NEAR(moved.x, 1.0f, 1e-6);
    EXPECT_NEAR(moved.y, 3.0f, 1e-6);
    EXPECT_NEAR(moved.z, 3.0f, 1e-6);

    // The product may be stored over its own operand.
    Matrix4 a = translate;
    a = a * a;
    EXPECT_EQ(a.m[12], 2.0f);

    a.m[3] = 5;
    a.Identity();
    EXPECT_EQ(a.m[3], 0.0f);
    EXPECT_EQ(a.m[12], 0.0f);
}

TEST(Matrix4, RotationTurnsRightHandedAndNormalisesTheAxis) {
    Vector4 turned = Matrix4::Rotation(90, Vector4(0, 0, 1)) * Vector4(1, 0, 0);
    EXPECT_NEAR(turned.x, 0.0f, 1e-6);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6);
    EXPECT_NEAR(turned.z, 0.0f, 1e-6);
    EXPECT_EQ(turned.w, 1.0f);

    Matrix4 unit = Matrix4::Rotation(90, Vector4(0, 0, 1));
    Matrix4 longer = Matrix4::Rotation(90, Vector4(0, 0, 2));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(unit.m[i], longer.m[i]) << "element " << i;
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
