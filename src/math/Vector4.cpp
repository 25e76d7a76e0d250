#include "math/Vector4.h"

#include <cmath>

// Sums are formed in double and rounded to float only when stored.

float Dot(const Vector4& a, const Vector4& b) {
    return static_cast<float>(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}

void Normalize(Vector4& v) {
    double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (length == 0.0)
        return;
    v.x = static_cast<float>(v.x / length);
    v.y = static_cast<float>(v.y / length);
    v.z = static_cast<float>(v.z / length);
}

void operator+=(Vector4& a, const Vector4& b) {
    a.x = static_cast<float>(double(a.x) + b.x);
    a.y = static_cast<float>(double(a.y) + b.y);
    a.z = static_cast<float>(double(a.z) + b.z);
}

void operator/=(Vector4& a, float s) {
    a.x = static_cast<float>(double(a.x) / s);
    a.y = static_cast<float>(double(a.y) / s);
    a.z = static_cast<float>(double(a.z) / s);
}

Vector4 operator-(const Vector4& a, const Vector4& b) {
    return Vector4(static_cast<float>(double(a.x) - b.x), static_cast<float>(double(a.y) - b.y),
                   static_cast<float>(double(a.z) - b.z));
}

Vector4 operator*(const Vector4& v, float s) {
    return Vector4(static_cast<float>(double(s) * v.x), static_cast<float>(double(s) * v.y),
                   static_cast<float>(double(s) * v.z));
}
