// The square root of the software working precision.
#include "random/SoftReal.h"

#include <cmath>

namespace {

__extension__ typedef unsigned __int128 U128;

// floor(sqrt(n)) for n in [2^126, 2^128). A double's square root is within 2^12 of it; one
// Newton step on the exact residual brings it within one, and the last steps are exact.
std::uint64_t IntegerSqrt(U128 n) {
    const double approximation = std::sqrt(static_cast<double>(n));
    std::uint64_t r =
        approximation >= 18446744073709551615.0 ? ~0ull : static_cast<std::uint64_t>(approximation);
    const U128 square = static_cast<U128>(r) * r;
    const double residual =
        n >= square ? static_cast<double>(n - square) : -static_cast<double>(square - n);
    const auto step = static_cast<std::int64_t>(residual / (2.0 * static_cast<double>(r)));
    if (step > 0 && r > ~0ull - static_cast<std::uint64_t>(step)) {
        r = ~0ull;
    } else {
        r += static_cast<std::uint64_t>(step);
    }
    while (static_cast<U128>(r) * r > n) {
        --r;
    }
    while (r != ~0ull && static_cast<U128>(r + 1) * (r + 1) <= n) {
        ++r;
    }
    return r;
}

} // namespace

SoftReal Sqrt(SoftReal a) {
    if (a.IsNaN()) {
        return SoftReal::Quiet(a);
    }
    if (a.IsZero() || (a.IsInf() && !a.Negative())) {
        return a; // sqrt(-0) is -0
    }
    if (a.Negative()) {
        return SoftReal::Indefinite();
    }
    const SoftReal::Unpacked u = a.Unpack();
    // a = n * 2^e with an even e and n in [2^126, 2^128); its root is sqrt(n) * 2^(e/2).
    std::int32_t e = u.Exponent - 127;
    U128 n = static_cast<U128>(u.Significand) << 64;
    if ((e & 1) != 0) {
        n >>= 1;
        ++e;
    }
    const std::uint64_t root = IntegerSqrt(n);
    // The root lies above root + 1/2 exactly when n - root^2 > root (it never lies on it), and
    // is exact when the residual is zero: a rounding bit and a sticky bit say which.
    const U128 residual = n - static_cast<U128>(root) * root;
    const U128 below = residual == 0 ? 0 : (residual > root ? (1ull << 63) | 1 : 1);
    return SoftReal::Round(false, e / 2 + 63, (static_cast<U128>(root) << 64) | below);
}
