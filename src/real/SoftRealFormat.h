// The software working precision's encoding: unpacking, the roundings the operations share, the
// NaN rules, and the conversions from and to integers and the IEEE formats. Part of SoftReal.h.
#pragma once

#include "real/SoftReal.h"

#include <cstdint>

constexpr SoftReal::Unpacked SoftReal::Unpack() const {
    if (Field() != 0) {
        return {Negative(), Field() - Bias, Significand};
    }
    const int shift = __builtin_clzll(Significand);
    return {Negative(), 1 - Bias - shift, Significand << shift};
}

constexpr int SoftReal::LeadingZeros(U128 x) {
    const auto high = static_cast<std::uint64_t>(x >> 64);
    return high != 0 ? __builtin_clzll(high) : 64 + __builtin_clzll(static_cast<std::uint64_t>(x));
}

// x >> n, with every bit shifted out or-ed into bit 0 (the sticky bit).
constexpr SoftReal::U128 SoftReal::ShiftRightJam(U128 x, int n) {
    if (n == 0) {
        return x;
    }
    if (n >= 128) {
        return x != 0;
    }
    return (x >> n) | ((x << (128 - n)) != 0);
}

// The value mantissa * 2^(exponent - 127) (mantissa non-zero, any width up to 128 bits),
// rounded once to the format: to nearest, ties to even, gradually underflowing to subnormals
// and overflowing to infinity.
constexpr SoftReal SoftReal::Round(bool negative, std::int32_t exponent, U128 mantissa) {
    const int shift = LeadingZeros(mantissa);
    mantissa <<= shift;
    std::int32_t field = exponent - shift + Bias;
    if (field <= 0) {
        // Below the normal range: the bits past the subnormal unit 2^-16445 are rounded off.
        mantissa = ShiftRightJam(mantissa, 1 - field);
        field = 0;
    }
    std::uint64_t significand = static_cast<std::uint64_t>(mantissa >> 64);
    const auto rest = static_cast<std::uint64_t>(mantissa);
    if (rest > Top || (rest == Top && (significand & 1) != 0)) {
        ++significand;
        if (significand == 0) { // carried out of the top bit
            significand = Top;
            ++field;
        }
    }
    if (field == 0 && (significand & Top) != 0) {
        field = 1; // a subnormal rounded up to the smallest normal
    }
    if (field >= MaxField) {
        return Inf(negative);
    }
    return Make(negative, field, significand);
}

// The fast paths' rounding: high (top bit set) and the bits below it in `low` (a sticky bit
// or-ed into its lowest one), rounded to nearest even with the field given, at least 1.
constexpr SoftReal SoftReal::RoundNormal(bool negative, std::int32_t field, std::uint64_t high,
                                         std::uint64_t low) {
    // Without branches on the data: a rounding that goes either way half the time would
    // cost more in mispredictions than the arithmetic.
    high += static_cast<std::uint64_t>(low > Top) | (static_cast<std::uint64_t>(low == Top) & high);
    if (high == 0) { // carried out of the top bit
        high = Top;
        ++field;
    }
    if (field >= MaxField) {
        return Inf(negative);
    }
    return Make(negative, field, high);
}

// One place up when the top bit is clear, without a branch.
constexpr void SoftReal::Normalise(std::uint64_t& high, std::uint64_t& low, std::int32_t& field) {
    const std::uint64_t shift = ~high >> 63;
    high = (high << shift) | ((low >> 63) & shift);
    low <<= shift;
    field -= static_cast<std::int32_t>(shift);
}

// The NaN an operation with a NaN operand gives.
constexpr SoftReal SoftReal::Quiet(SoftReal a) {
    a.Significand |= Top | QuietBit;
    return a;
}

constexpr SoftReal SoftReal::PropagateNaN(SoftReal a, SoftReal b) {
    if (a.IsNaN() && b.IsNaN()) {
        // Equal significands: the positive one.
        if (a.Significand == b.Significand) {
            return Quiet(a.Negative() ? b : a);
        }
        return Quiet(a.Significand > b.Significand ? a : b);
    }
    return Quiet(a.IsNaN() ? a : b);
}

template <class I> constexpr SoftReal SoftReal::FromInteger(I value) {
    if (value == 0) {
        return Zero(false);
    }
    bool negative = false;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if constexpr (std::is_signed_v<I>) {
        if (value < 0) {
            negative = true;
            magnitude = 0 - magnitude;
        }
    }
    const int shift = __builtin_clzll(magnitude);
    return Make(negative, 63 - shift + Bias, magnitude << shift);
}

// An IEEE binary format with `FracBits` fraction bits and `ExpBits` exponent bits, exactly.
template <int FracBits, int ExpBits> constexpr SoftReal SoftReal::FromBinary(std::uint64_t bits) {
    constexpr std::int32_t maxField = (1 << ExpBits) - 1;
    constexpr std::int32_t bias = maxField >> 1;
    const bool negative = (bits >> (FracBits + ExpBits)) != 0;
    const auto field = static_cast<std::int32_t>((bits >> FracBits) & maxField);
    const std::uint64_t fraction = bits & ((1ull << FracBits) - 1);
    if (field == maxField) {
        if (fraction == 0) {
            return Inf(negative);
        }
        return Quiet(Make(negative, MaxField, fraction << (63 - FracBits)));
    }
    if (field == 0) {
        if (fraction == 0) {
            return Zero(negative);
        }
        const int shift = __builtin_clzll(fraction);
        return Make(negative, 63 - shift + 1 - bias - FracBits + Bias, fraction << shift);
    }
    return Make(negative, field - bias + Bias, (fraction << (63 - FracBits)) | Top);
}

// The nearest value of the IEEE format (ties to even, subnormals, overflow to infinity), as
// its bits. A NaN keeps its sign and the top fraction bits, and is quieted.
template <int FracBits, int ExpBits> constexpr std::uint64_t SoftReal::ToBinary() const {
    using F = Ieee<FracBits, ExpBits>;
    const std::uint64_t sign = F::Sign(Negative());
    if (IsNormal() && Field() - Bias >= F::MinExponent && Field() - Bias <= F::Bias) {
        // The common case: a normal result, rounded at a fixed place.
        std::uint64_t kept = Significand >> (63 - FracBits);
        const std::uint64_t rest = Significand << (FracBits + 1);
        kept += static_cast<std::uint64_t>(rest > Top) |
                (static_cast<std::uint64_t>(rest == Top) & kept);
        const std::uint64_t magnitude =
            (static_cast<std::uint64_t>(Field() - Bias - F::MinExponent) << FracBits) + kept;
        return sign | (magnitude >= F::Infinity ? F::Infinity : magnitude);
    }
    return ToBinarySlow<FracBits, ExpBits>();
}

constexpr std::int64_t SoftReal::ToInt64(bool truncate) const {
    if (Field() == MaxField) {
        return INT64_MIN;
    }
    if (IsZero()) {
        return 0;
    }
    const Unpacked u = Unpack();
    if (u.Exponent > 63) {
        return INT64_MIN;
    }
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0; // the bits below the unit, left-aligned
    if (u.Exponent < 0) {
        fraction = u.Exponent == -1 ? u.Significand : 1; // 1: below one half
    } else {
        whole = u.Significand >> (63 - u.Exponent);
        fraction = u.Exponent == 63 ? 0 : u.Significand << (u.Exponent + 1);
    }
    if (!truncate && (fraction > Top || (fraction == Top && (whole & 1) != 0))) {
        ++whole;
    }
    if (whole > static_cast<std::uint64_t>(INT64_MAX)) {
        return INT64_MIN; // out of range, or -2^63 itself
    }
    const auto value = static_cast<std::int64_t>(whole);
    return u.Negative ? -value : value;
}
