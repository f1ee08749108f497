// The colour gradient: keys with precomputed slopes, evaluated by a short linear search.
#include "particles/DColorSpline.h"

#include <cmath>

#include "real/FloatEnv.h"

void TColorSpline::AddKey(float Time, const TColor4& Color) {
    if (Count < 0 || Count >= MaxKeys || !std::isfinite(Time)) {
        return;
    }
    const std::int32_t n = Count;
    TColor4 slope = {0.0f, 0.0f, 0.0f, 0.0f};
    if (n > 0) {
        const TColorKey& previous = ColorKeys[n - 1];
        // Keys must climb: a repeated or falling Time would give an infinite or reversed slope.
        if (!(Time > previous.Time)) {
            return;
        }
        const float r = static_cast<float>(
            Real(1) / (static_cast<Real>(Time) - static_cast<Real>(previous.Time)));
        if (!std::isfinite(r)) {
            return; // the span is too small for a float reciprocal
        }
        slope = ColorScale(ColorSub(Color, previous.Color), r);
    }
    ColorKeys[n].Time = Time;
    ColorKeys[n].Color = Color;
    ColorKeys[n].Slope = slope;
    Count = n + 1;
}

TColor4 TColorSpline::Evaluate(float Time) const {
    const std::int32_t count = Count < MaxKeys ? Count : MaxKeys;
    if (count <= 0) {
        return {0.0f, 0.0f, 0.0f, 0.0f};
    }
    if (!(Time >= ColorKeys[0].Time)) {
        return ColorKeys[0].Color;
    }
    for (std::int32_t i = 1; i < count; ++i) {
        if (Time <= ColorKeys[i].Time) {
            const float offset = Time - ColorKeys[i - 1].Time;
            return ColorAdd(ColorKeys[i - 1].Color, ColorScale(ColorKeys[i].Slope, offset));
        }
    }
    return ColorKeys[count - 1].Color;
}
