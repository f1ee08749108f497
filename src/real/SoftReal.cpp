// The square root of the software working precision.
#include "real/SoftReal.h"

#include <cmath>

namespace {

__extension__ typedef unsigned __int128 U128;
__extension__ typedef __int128 I128;

// floor(sqrt(n)) for n = significand * 2^shift (shift 63 or 64), which lies in [2^126, 2^128).
// A double's square root is within 2^13 of it; one Newton step on the exact residual brings it
// within a unit or two, and the last steps are exact. The conversions take the top bits only,
// signed (unsigned ones of 64-bit values are slow on x86-64): the estimates need no more.
std::uint64_t IntegerSqrt(U128 n, std::uint64_t significand, int shift) {
    const double estimate =
        std::sqrt(static_cast<double>(static_cast<std::int64_t>(significand >> 11)) * 0x1p74 *
                  static_cast<double>(shift - 62));
    // Halved below 2^63 for the signed conversion; the lost unit is corrected below.
    const double half = estimate * 0.5;
    std::uint64_t r =
        half >= 0x1p63 ? ~1ull : static_cast<std::uint64_t>(static_cast<std::int64_t>(half)) << 1;
    if (r < (1ull << 63)) {
        r = 1ull << 63;
    }
    const auto residual = static_cast<I128>(n - static_cast<U128>(r) * r);
    const double step = static_cast<double>(static_cast<std::int64_t>(residual >> 16)) * 0x1p16 /
                        (2.0 * static_cast<double>(static_cast<std::int64_t>(r >> 1)) * 2.0);
    // Saturating at 2^64 - 1, by a mask (the step's sign is a coin toss).
    const auto add = static_cast<std::int64_t>(step);
    const std::uint64_t sum = r + static_cast<std::uint64_t>(add);
    r = sum | (0 - static_cast<std::uint64_t>((add > 0) & (sum < r)));
    // Within a few units now: the residual decides, by additions ((r + 1)^2 = r^2 + 2r + 1),
    // one step each way by selects (the usual case), then loops as a guard.
    U128 square = static_cast<U128>(r) * r;
    const bool over = square > n;
    square -= (2 * static_cast<U128>(r) - 1) & (0 - static_cast<U128>(over));
    r -= over;
    const bool under = (r != ~0ull) & (n - square > 2 * static_cast<U128>(r));
    square += (2 * static_cast<U128>(r) + 1) & (0 - static_cast<U128>(under));
    r += under;
    while (square > n) {
        square -= 2 * static_cast<U128>(r) - 1;
        --r;
    }
    while (r != ~0ull && n - square > 2 * static_cast<U128>(r)) {
        square += 2 * static_cast<U128>(r) + 1;
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
    const std::int32_t odd = e & 1; // a coin toss: no branch
    const int shift = 64 - odd;
    e += odd;
    const U128 n = static_cast<U128>(u.Significand) << shift;
    const std::uint64_t root = IntegerSqrt(n, u.Significand, shift);
    // The root lies above root + 1/2 exactly when n - root^2 > root (it never lies on it), and
    // is exact when the residual is zero: a rounding bit and a sticky bit say which.
    const U128 residual = n - static_cast<U128>(root) * root;
    const std::uint64_t below = static_cast<std::uint64_t>(residual != 0) |
                                (static_cast<std::uint64_t>(residual > root) << 63);
    // The root of a finite value is always normal.
    return SoftReal::RoundNormal(false, e / 2 + 63 + SoftReal::Bias, root, below);
}
