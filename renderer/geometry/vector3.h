// Vector3: a point, direction or displacement of the renderer's geometry. Arrays of it are
// handed to OpenGL as tightly packed float triples (x0, y0, z0, x1, ...).
#pragma once

#include <cmath>
#include <type_traits>

// Single-precision sine, cosine and square root: float argument, result rounded to float.
// Going through double keeps native and Windows builds on the same bits.
inline float sinFloat(float x) {
    return float(std::sin(double(x)));
}
inline float cosFloat(float x) {
    return float(std::cos(double(x)));
}
inline float sqrtFloat(float x) {
    return float(std::sqrt(double(x)));
}

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue) {}

    Vector3& operator+=(const Vector3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    Vector3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    float length() const {
        const float sum = x * x + y * y + z * z;  // left to right, rounded to float
        return sqrtFloat(sum);
    }

    // One division, three multiplications. A zero vector becomes non-finite (no guard):
    // callers only rely on the result for non-zero vectors.
    Vector3& normalize() {
        const float factor = 1.0f / length();
        return *this *= factor;
    }
};

static_assert(sizeof(Vector3) == 12, "Vector3 must be three packed floats for glVertexPointer");
static_assert(sizeof(Vector3[4]) == 48, "Vector3 arrays must be tightly packed");
static_assert(std::is_standard_layout<Vector3>::value && std::is_trivially_copyable<Vector3>::value,
              "Vector3 is handed to OpenGL as raw floats");

inline Vector3 operator*(Vector3 v, float s) {
    return Vector3(v.x * s, v.y * s, v.z * s);
}

inline Vector3 operator-(Vector3 a, Vector3 b) {
    return Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

// Right-handed: for a triangle (p, q, r), (q - p) x (r - p) faces the side from which
// p, q, r are seen counter-clockwise.
inline Vector3 cross(Vector3 a, Vector3 b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
