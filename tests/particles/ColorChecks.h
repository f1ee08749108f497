// Colour expectations of the spline and flame tests.
#pragma once

#include <gtest/gtest.h>

#include "math/DVector.h"

inline void ExpectColorNear(const TColor4& c, float r, float g, float b, float a,
                            float eps = 1e-6f) {
    EXPECT_NEAR(c.r, r, eps);
    EXPECT_NEAR(c.g, g, eps);
    EXPECT_NEAR(c.b, b, eps);
    EXPECT_NEAR(c.a, a, eps);
}
