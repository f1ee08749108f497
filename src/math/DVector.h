// Vector and colour values of the simulation and the ten small functions over them.
//
// Results are stored as 32-bit floats; intermediates are carried at working precision (Real).
#pragma once

#include <cstddef>
#include <type_traits>

#include "real/FloatEnv.h"

struct TVector3 {
    float x, y, z;
};

struct TColor4 {
    float r, g, b, a;
};

// OpenGL reads these in place as arrays of three and four floats: no padding, fixed order.
static_assert(sizeof(TVector3) == 12 && std::is_standard_layout_v<TVector3>, "TVector3 layout");
static_assert(offsetof(TVector3, y) == 4 && offsetof(TVector3, z) == 8, "TVector3 order");
static_assert(sizeof(TColor4) == 16 && std::is_standard_layout_v<TColor4>, "TColor4 layout");
static_assert(offsetof(TColor4, g) == 4 && offsetof(TColor4, b) == 8 && offsetof(TColor4, a) == 12,
              "TColor4 order");

inline TVector3 MakeVector(float x, float y, float z) {
    return {x, y, z};
}

inline TVector3 VectorAdd(const TVector3& p, const TVector3& q) {
    return {p.x + q.x, p.y + q.y, p.z + q.z};
}

inline TVector3 VectorScale(const TVector3& v, float s) {
    return {v.x * s, v.y * s, v.z * s};
}

float VectorLength(const TVector3& v);

// v scaled to length 1 by its reciprocal length; v itself when its length is at most 0.0001.
TVector3 VectorNormalize(const TVector3& v);

// A vector of length Length with no negative component: three Random draws (x, y, z), redrawn
// while their length is below 0.0001, normalised and scaled.
TVector3 RandomVector(float Length);

inline TColor4 MakeColor(float r, float g, float b, float a) {
    return {r, g, b, a};
}

inline TColor4 ColorAdd(const TColor4& p, const TColor4& q) {
    return {p.r + q.r, p.g + q.g, p.b + q.b, p.a + q.a};
}

inline TColor4 ColorSub(const TColor4& p, const TColor4& q) {
    return {p.r - q.r, p.g - q.g, p.b - q.b, p.a - q.a};
}

inline TColor4 ColorScale(const TColor4& c, float s) {
    return {c.r * s, c.g * s, c.b * s, c.a * s};
}
