// A piecewise-linear colour gradient over one float parameter, with at most ten keys.
#pragma once

#include <cstdint>

#include "math/DVector.h"

struct TColorKey {
    float Time;
    TColor4 Color;
    // Colour change per unit of Time over the segment that ends at this key; zero on the first.
    TColor4 Slope;
};

class TColorSpline {
  public:
    static constexpr std::int32_t MaxKeys = 10;

    // Appends a key. Ignored when the spline is full, when Time is not finite, or when Time does
    // not exceed the previous key's Time (the segment's slope would be infinite or meaningless).
    void AddKey(float Time, const TColor4& Color);

    // The colour at Time: held at the first key's colour below it (or for NaN), at the last key's
    // above it, interpolated between. Transparent black for a spline without keys.
    TColor4 Evaluate(float Time) const;

    TColorKey ColorKeys[MaxKeys] = {};
    std::int32_t Count = 0;
};
