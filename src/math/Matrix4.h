#pragma once

#include "math/Vector4.h"

// A 4 x 4 transform in OpenGL's column-major layout: row r, column c is m[4c + r].
// A product a * b applied to a vector applies b first.
struct Matrix4 {
    Matrix4(); // the identity
    explicit Matrix4(Vector4 translation);

    void Identity();
    // The rotation glRotatef makes: angle in degrees about axis, right-handed.
    static Matrix4 Rotation(float angle, Vector4 axis);

    float m[16];
};

// Applies the first three rows; the result's w is 1, not computed.
Vector4 operator*(const Matrix4& m, const Vector4& v);
Matrix4 operator*(const Matrix4& a, const Matrix4& b);
