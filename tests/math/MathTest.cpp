#include "math/Matrix4.h"
#include "support/TestSupport.h"

#include <GL/gl.h>

// Vector4's other operators are used by the matrix and vehicle tests.
TEST(Vector4AndMatrix4, AsOpenGlDoes) {
    Vector4 unit(3, 0, 4), zero; // normalizing leaves the zero vector alone
    Normalize(unit);
    Normalize(zero);
    EXPECT_TRUE(Near(unit, Vector4(0.6f, 0, 0.8f), 1e-6f));
    EXPECT_EQ(Xyz(zero), Xyz(Vector4()));
    const Vector4 point(10, 20, 30);
    Vector4 direction = point;
    direction.w = 0;
    Matrix4 translate(Vector4(1, 2, 3));
    EXPECT_TRUE(Near(Matrix4() * point, point, 0));
    EXPECT_TRUE(Near(translate * point, Vector4(11, 22, 33), 0));
    EXPECT_TRUE(Near(translate * direction, point, 0)); // a direction is not moved
    // T * R turns first (right-handed: x towards y about z), then moves.
    EXPECT_TRUE(Near((translate * Matrix4::Rotation(90, Vector4(0, 0, 1))) * Vector4(1, 0, 0),
                     Vector4(1, 3, 3), 1e-6f));
    translate = translate * translate; // the product may be stored over its own operand
    EXPECT_EQ(translate.m[12], 2.0f);

    GLTestContext gl; // rotations are what glRotatef leaves on the stack
    ASSERT_TRUE(gl.ok());
    for (float angle : {0.0f, 30.0f, 89.0f, 90.0f, 179.5f, 270.0f, -45.0f, 725.0f})
        for (const Vector4& axis : {Vector4(1, 0, 0), Vector4(0, 1, 0), Vector4(0, 0, 1),
                                    Vector4(1, 1, 0), Vector4(-2, 3, 0.5f), Vector4(0, 0, 2)}) {
            glLoadIdentity();
            glRotatef(angle, axis.x, axis.y, axis.z);
            float expected[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, expected);
            const Matrix4 ours = Matrix4::Rotation(angle, axis);
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(ours.m[i], expected[i], 2e-6) << angle << " " << i;
        }
}
