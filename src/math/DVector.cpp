// Length, normalisation and random directions, computed at working precision.
#include "math/DVector.h"

#include "random/Random.h"

namespace {
// The decimal 0.0001 at working precision, as the thresholds compare against it (correctly
// rounded, as the literal 0.0001L is on the x87).
constexpr Real Tiny = Real(1) / Real(10000);
} // namespace

float VectorLength(const TVector3& v) {
    const Real x = v.x, y = v.y, z = v.z;
    return static_cast<float>(Sqrt(x * x + y * y + z * z));
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
    float length;
    do {
        v.x = static_cast<float>(Random());
        v.y = static_cast<float>(Random());
        v.z = static_cast<float>(Random());
        length = VectorLength(v);
    } while (length < Tiny);
    // VectorNormalize(v) with the length already at hand: it is above the threshold (no float
    // equals the decimal 0.0001), so normalising is the scale by its reciprocal.
    const float reciprocal = static_cast<float>(Real(1) / length);
    return VectorScale(VectorScale(v, reciprocal), Length);
}
