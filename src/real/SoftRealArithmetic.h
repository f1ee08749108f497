// The software working precision's arithmetic: the inline fast paths for normal operands and a
// normal result, and the comparison. Part of SoftReal.h, which holds the general paths.
#pragma once

#include "real/SoftReal.h"

#include <cstdint>

// The sum of two normal numbers in 64-bit words where the result is normal; +0 where the
// general path must go (an exact zero, a subnormal result).
constexpr SoftReal SoftReal::AddNormal(SoftReal a, SoftReal b) {
    // The larger magnitude first, by masks: which one it is is a coin toss for the sums the
    // engine makes (x*x + y*y), and a compiler turns a select on it into a branch.
    const std::uint64_t swap =
        0 - static_cast<std::uint64_t>(((static_cast<U128>(a.Field()) << 64) | a.Significand) <
                                       ((static_cast<U128>(b.Field()) << 64) | b.Significand));
    const std::uint64_t significands = (a.Significand ^ b.Significand) & swap;
    const auto signExponents = static_cast<std::uint16_t>((a.SignExponent ^ b.SignExponent) & swap);
    a.Significand ^= significands;
    b.Significand ^= significands;
    a.SignExponent ^= signExponents;
    b.SignExponent ^= signExponents;
    const std::int32_t d = a.Field() - b.Field();
    if (d >= 66) {
        return a; // b lies below a quarter of a's unit in the last place
    }
    // b aligned to a: its bits at and below a's last place in `low`, exactly, but for d = 65,
    // where its last bit is or-ed into the sticky bit.
    const std::uint64_t y = b.Significand;
    const std::uint64_t smallHigh = d >= 64 ? 0 : y >> d;
    // (y << 1) << (63 - d) is y << (64 - d), and 0 for d = 0, without a branch on d.
    const std::uint64_t smallLow =
        d < 64 ? (y << 1) << (63 - d) : (d == 64 ? y : (y >> 1) | (y & 1));
    std::int32_t field = a.Field();
    std::uint64_t high = 0, low = 0;
    if (a.Negative() == b.Negative()) {
        high = a.Significand + smallHigh;
        low = smallLow;
        // Carried out: one place down (selects, not branches).
        const std::uint64_t carry = high < a.Significand;
        low = (low >> carry) | (low & carry) | ((high << 63) & (0 - carry));
        high = (high >> carry) | (carry << 63);
        field += static_cast<std::int32_t>(carry);
    } else {
        low = 0 - smallLow;
        high = a.Significand - smallHigh - (smallLow != 0);
        // For d < 2, cancellation of any number of bits, but then the difference is exact
        // (at most one bit below high, and it moves up with the shift); for d >= 2, at most
        // one bit. One shift by the leading zeros serves both, without a branch on d.
        if (high == 0) {
            return Zero(false); // zero, or all of it in low: the general path
        }
        const int shift = __builtin_clzll(high);
        high = (high << shift) | ((low >> 1) >> (63 - shift));
        low <<= shift;
        field -= shift;
        if (field < 1) {
            return Zero(false);
        }
    }
    return RoundNormal(a.Negative(), field, high, low);
}

constexpr SoftReal SoftReal::MulNormal(SoftReal a, SoftReal b) {
    // The exact 128-bit product, its top bit at 127 or 126.
    const U128 product = static_cast<U128>(a.Significand) * b.Significand;
    std::uint64_t high = static_cast<std::uint64_t>(product >> 64);
    std::uint64_t low = static_cast<std::uint64_t>(product);
    std::int32_t field = a.Field() + b.Field() - Bias + 1;
    Normalise(high, low, field);
    if (field < 1) {
        return Zero(false);
    }
    return RoundNormal(a.Negative() != b.Negative(), field, high, low);
}

// The estimates below need a few more bits than 53 nowhere: signed conversions of the top
// bits (unsigned ones of 64-bit values are slow on x86-64) are close enough.
constexpr double SoftReal::Estimate(std::uint64_t x) {
    return static_cast<double>(static_cast<std::int64_t>(x >> 11)) * 0x1p11;
}

// a / b for normal operands without a 128-bit division: the quotient from a double's
// estimate, corrected on the exact remainder, then rounded; +0 where the result is not
// normal (the general path's business).
constexpr SoftReal SoftReal::DivNormal(SoftReal a, SoftReal b) {
    const bool negative = a.Negative() != b.Negative();
    const std::uint64_t x = a.Significand, y = b.Significand;
    const bool above = x >= y; // x / y in [1, 2), else in [1/2, 1)
    // q = floor(n * 2^64 / y) with n < y: it fits 64 bits (at most 2^64 - 2).
    const std::uint64_t aboveMask = 0 - static_cast<std::uint64_t>(above);
    const std::uint64_t n = x - (y & aboveMask);
    const U128 numerator = static_cast<U128>(n) << 64;
    // One division, for a reciprocal that both steps below multiply by.
    const double reciprocal = 1.0 / Estimate(y);
    // Halved, below 2^63, for a signed conversion (a quotient next to 2^64 rounds up to it).
    const double half = Estimate(n) * reciprocal * 0x1p63;
    std::uint64_t q =
        half >= 0x1p63 ? ~1ull : static_cast<std::uint64_t>(static_cast<std::int64_t>(half)) << 1;
    // The estimate is within 2^14 of q, the remainder below 2^79 in magnitude; one step on
    // the remainder (its top bits are enough) brings q within one.
    auto remainder = static_cast<I128>(numerator - static_cast<U128>(q) * y);
    q += static_cast<std::uint64_t>(static_cast<std::int64_t>(
        static_cast<double>(static_cast<std::int64_t>(remainder >> 16)) * 0x1p16 * reciprocal));
    remainder = static_cast<I128>(numerator - static_cast<U128>(q) * y);
    // Within one: a step each way by selects; the loops are a guard that never runs.
    // (Masks, not ?:, which a compiler may turn into branches that go either way.)
    const std::uint64_t low1 = remainder < 0;
    q -= low1;
    remainder += static_cast<I128>(y & (0 - low1));
    const std::uint64_t high1 = remainder >= static_cast<I128>(y);
    q += high1;
    remainder -= static_cast<I128>(y & (0 - high1));
    while (remainder < 0) {
        --q;
        remainder += y;
    }
    while (remainder >= static_cast<I128>(y)) {
        ++q;
        remainder -= y;
    }
    // Above: 1 + q / 2^64, q's last bit the rounding bit. Below: q / 2^64 and one more
    // quotient bit from the doubled remainder. Selects, not branches.
    const U128 twice = static_cast<U128>(remainder) << 1;
    const std::uint64_t sticky = remainder != 0;
    const std::uint64_t nextBit = 0 - static_cast<std::uint64_t>(twice >= y);
    const std::uint64_t next =
        ((Top | static_cast<std::uint64_t>(twice != y)) & nextBit) | (sticky & ~nextBit);
    const std::int32_t field = a.Field() - b.Field() + Bias - !above;
    const std::uint64_t significand = ((Top | (q >> 1)) & aboveMask) | (q & ~aboveMask);
    const std::uint64_t low = (((q << 63) | sticky) & aboveMask) | (next & ~aboveMask);
    if (field < 1) {
        return Zero(false);
    }
    return RoundNormal(negative, field, significand, low);
}

// -1, 0 or 1 as a is below, equal to or above b; 2 when either is a NaN.
constexpr int SoftReal::Compare(SoftReal a, SoftReal b) {
    if (a.IsNaN() || b.IsNaN()) {
        return 2;
    }
    if (a.IsZero() && b.IsZero()) {
        return 0;
    }
    // Sign-magnitude to an ordered key: the encoding's magnitude orders like the value.
    const auto key = [](SoftReal v) {
        const U128 magnitude = (static_cast<U128>(v.Field()) << 64) | v.Significand;
        return v.Negative() ? -magnitude : magnitude;
    };
    const U128 bias = static_cast<U128>(1) << 127;
    const U128 x = key(a) + bias, y = key(b) + bias;
    return x < y ? -1 : (x > y ? 1 : 0);
}
