// Length, normalisation and random directions, computed at working precision.
#include "math/DVector.h"

#include <cmath>

#include "random/Random.h"

namespace {
// The decimal 0.0001 at working precision, as the thresholds compare against it.
constexpr Real Tiny = 0.0001L;
} // namespace

float VectorLength(const TVector3& v) {
    const Real x = v.x, y = v.y, z = v.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

TVector3 VectorNormalize(const TVector3& v) {
    const float length = VectorLength(v);
    if (length <= Tiny) {
        return v;
    }
    const float reciprocal = static_cast<float>(Real(1) / length);
    return VectorScale(v, reciprocal);
}

TVector3 RandomVector(float Length) {
    TVector3 v;
    do {
        v.x = static_cast<float>(Random());
        v.y = static_cast<float>(Random());
        v.z = static_cast<float>(Random());
    } while (VectorLength(v) < Tiny);
    return VectorScale(VectorNormalize(v), Length);
}
