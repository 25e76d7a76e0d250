#include "math/Matrix4.h"

#include <cmath>

Matrix4::Matrix4() {
    Identity();
}

Matrix4::Matrix4(Vector4 translation) {
    Identity();
    m[12] = translation.x;
    m[13] = translation.y;
    m[14] = translation.z;
}

void Matrix4::Identity() {
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

Matrix4 Matrix4::Rotation(float angle, Vector4 axis) {
    const double radians = double(angle) * double(0.017453292f);
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double t = 1.0 - c;

    const double length =
        std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
    if (length * length != 1.0)
        Normalize(axis);
    const double x = axis.x, y = axis.y, z = axis.z;

    Matrix4 r;
    r.m[0] = static_cast<float>(t * x * x + c);
    r.m[1] = static_cast<float>(t * x * y + s * z);
    r.m[2] = static_cast<float>(t * x * z - s * y);
    r.m[4] = static_cast<float>(t * x * y - s * z);
    r.m[5] = static_cast<float>(t * y * y + c);
    r.m[6] = static_cast<float>(t * y * z + s * x);
    r.m[8] = static_cast<float>(t * x * z + s * y);
    r.m[9] = static_cast<float>(t * y * z - s * x);
    r.m[10] = static_cast<float>(t * z * z + c);
    return r;
}

Vector4 operator*(const Matrix4& a, const Vector4& v) {
    const float* m = a.m;
    const double x = v.x, y = v.y, z = v.z, w = v.w;
    return Vector4(static_cast<float>(m[0] * x + m[4] * y + m[8] * z + m[12] * w),
                   static_cast<float>(m[1] * x + m[5] * y + m[9] * z + m[13] * w),
                   static_cast<float>(m[2] * x + m[6] * y + m[10] * z + m[14] * w));
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 result;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += double(a.m[4 * k + j]) * b.m[4 * i + k];
            result.m[4 * i + j] = static_cast<float>(sum);
        }
    return result;
}
