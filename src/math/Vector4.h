#pragma once

// A point or direction of four floats; every vector this program makes has w = 1.
// Operations work on x, y, z and leave w alone or set it to 1 in a new result.
struct Vector4 {
    // x, y, z start at 0 rather than undefined: cheaper than chasing a stray read.
    Vector4() : x(0), y(0), z(0), w(1) {}
    Vector4(float x_, float y_, float z_) : x(x_), y(y_), z(z_), w(1) {}

    float x;
    float y;
    float z;
    float w;
};

float Dot(const Vector4& a, const Vector4& b);
// Scales x, y, z to unit length; a zero-length vector stays zero (no NaN).
void Normalize(Vector4& v);
void operator+=(Vector4& a, const Vector4& b);
void operator/=(Vector4& a, float s);
Vector4 operator-(const Vector4& a, const Vector4& b);
Vector4 operator*(const Vector4& v, float s);
