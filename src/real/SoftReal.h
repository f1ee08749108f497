// The working precision in software, for machines whose long double is not the x87's 80-bit
// format (ARM64 and WebAssembly have a 128-bit quad, MSVC a plain double).
//
// SoftReal holds exactly the x87 extended format: a 64-bit significand with its integer bit
// written out, a 15-bit biased exponent and a sign, subnormals included. Every operation rounds
// once, to nearest with ties to even, and gives the bits the x87 gives under the program's
// control word (64-bit precision, every exception masked): + - * / and the square root, the
// conversions from and to integers, float and double, the comparisons. A NaN result follows the
// x87 too: an invalid operation gives the "real indefinite" (negative, significand 0xC000...), a
// NaN operand comes back quieted, the one with the larger significand when both are NaNs (the
// positive one when their significands are equal).
//
// Nothing here reads or changes the floating-point environment: the rounding is done on integers,
// so the results are the same on every compiler and processor.
#pragma once

#include <cstdint>
#include <type_traits>

class SoftReal {
  public:
    constexpr SoftReal() = default;

    // Every integer of up to 64 bits converts exactly.
    template <class I, std::enable_if_t<std::is_integral_v<I>, int> = 0>
    constexpr SoftReal(I value) : SoftReal(FromInteger(value)) {}
    // float and double convert exactly too: their values are all in the format.
    constexpr SoftReal(float value)
        : SoftReal(FromFloat(__builtin_bit_cast(std::uint32_t, value))) {}
    constexpr SoftReal(double value)
        : SoftReal(FromDouble(__builtin_bit_cast(std::uint64_t, value))) {}

    constexpr explicit operator float() const {
        return __builtin_bit_cast(float, static_cast<std::uint32_t>(ToBinary<23, 8>()));
    }
    constexpr explicit operator double() const {
        return __builtin_bit_cast(double, ToBinary<52, 11>());
    }

    // The encoding: bit 15 of SignExponent the sign, bits 0..14 the biased exponent.
    static constexpr SoftReal FromBits(std::uint16_t signExponent, std::uint64_t significand) {
        SoftReal r;
        r.Significand = significand;
        r.SignExponent = signExponent;
        return r;
    }
    constexpr std::uint16_t SignExponentBits() const { return SignExponent; }
    constexpr std::uint64_t SignificandBits() const { return Significand; }

    constexpr bool IsNaN() const { return Field() == MaxField && (Significand << 1) != 0; }

    // The nearest integer (ties to even), or the integer part; INT64_MIN for NaN and for values
    // outside the 64-bit range, as the x87 stores them.
    constexpr std::int64_t RoundToInt64() const { return ToInt64(false); }
    constexpr std::int64_t TruncToInt64() const { return ToInt64(true); }

    friend constexpr SoftReal operator-(SoftReal a) {
        a.SignExponent ^= SignBit;
        return a;
    }
    // Each operation tries its fast path, inline, for normal operands and a normal result, and
    // leaves every other case to its general path, out of line. A fast path's "no" is a zero
    // significand, which no normal result has.
    friend constexpr SoftReal operator+(SoftReal a, SoftReal b) {
        if (a.IsNormal() && b.IsNormal()) {
            const SoftReal sum = AddNormal(a, b);
            if (sum.Significand != 0) {
                return sum;
            }
        }
        return AddSub(a, b, false);
    }
    friend constexpr SoftReal operator-(SoftReal a, SoftReal b) {
        if (a.IsNormal() && b.IsNormal()) {
            const SoftReal difference = AddNormal(a, -b);
            if (difference.Significand != 0) {
                return difference;
            }
        }
        return AddSub(a, b, true);
    }
    friend constexpr SoftReal operator*(SoftReal a, SoftReal b) {
        if (a.IsNormal() && b.IsNormal()) {
            const SoftReal product = MulNormal(a, b);
            if (product.Significand != 0) {
                return product;
            }
        }
        return Mul(a, b);
    }
    friend constexpr SoftReal operator/(SoftReal a, SoftReal b) {
        if (a.IsNormal() && b.IsNormal()) {
            const SoftReal quotient = DivNormal(a, b);
            if (quotient.Significand != 0) {
                return quotient;
            }
        }
        return Div(a, b);
    }
    constexpr SoftReal& operator+=(SoftReal b) { return *this = *this + b; }
    constexpr SoftReal& operator-=(SoftReal b) { return *this = *this - b; }
    constexpr SoftReal& operator*=(SoftReal b) { return *this = *this * b; }
    constexpr SoftReal& operator/=(SoftReal b) { return *this = *this / b; }

    friend constexpr bool operator==(SoftReal a, SoftReal b) { return Compare(a, b) == 0; }
    friend constexpr bool operator!=(SoftReal a, SoftReal b) { return Compare(a, b) != 0; }
    friend constexpr bool operator<(SoftReal a, SoftReal b) { return Compare(a, b) == -1; }
    friend constexpr bool operator>(SoftReal a, SoftReal b) { return Compare(a, b) == 1; }
    friend constexpr bool operator<=(SoftReal a, SoftReal b) {
        const int c = Compare(a, b);
        return c == -1 || c == 0;
    }
    friend constexpr bool operator>=(SoftReal a, SoftReal b) {
        const int c = Compare(a, b);
        return c == 1 || c == 0;
    }

    // The square root, correctly rounded (SoftReal.cpp).
    friend SoftReal Sqrt(SoftReal a);

  private:
    __extension__ typedef unsigned __int128 U128;
    __extension__ typedef __int128 I128;

    static constexpr std::uint16_t SignBit = 0x8000;
    static constexpr std::int32_t MaxField = 0x7FFF;
    static constexpr std::int32_t Bias = 16383;
    static constexpr std::uint64_t Top = 1ull << 63;
    static constexpr std::uint64_t QuietBit = 1ull << 62;

    std::uint64_t Significand = 0;
    std::uint16_t SignExponent = 0;

    constexpr bool Negative() const { return (SignExponent & SignBit) != 0; }
    constexpr std::int32_t Field() const { return SignExponent & MaxField; }
    constexpr bool IsZero() const { return Field() == 0 && Significand == 0; }
    constexpr bool IsInf() const { return Field() == MaxField && (Significand << 1) == 0; }
    // Neither zero, subnormal, infinite nor a NaN: the operands of the fast paths.
    constexpr bool IsNormal() const {
        return static_cast<std::uint32_t>(Field() - 1) < static_cast<std::uint32_t>(MaxField - 1);
    }

    static constexpr SoftReal Make(bool negative, std::int32_t field, std::uint64_t significand) {
        return FromBits(static_cast<std::uint16_t>((negative ? SignBit : 0) | field), significand);
    }
    static constexpr SoftReal Zero(bool negative) { return Make(negative, 0, 0); }
    static constexpr SoftReal Inf(bool negative) { return Make(negative, MaxField, Top); }
    static constexpr SoftReal Indefinite() { return Make(true, MaxField, Top | QuietBit); }

    // A finite non-zero value as significand * 2^(Exponent - 63), the significand's top bit set
    // (subnormals normalised, so Exponent may lie below the format's).
    struct Unpacked {
        bool Negative;
        std::int32_t Exponent;
        std::uint64_t Significand;
    };

    // The encoding's helpers and the conversions, in SoftRealFormat.h.
    constexpr Unpacked Unpack() const;
    static constexpr int LeadingZeros(U128 x);
    static constexpr U128 ShiftRightJam(U128 x, int n);
    static constexpr SoftReal Round(bool negative, std::int32_t exponent, U128 mantissa);
    static constexpr SoftReal RoundNormal(bool negative, std::int32_t field, std::uint64_t high,
                                          std::uint64_t low);
    static constexpr void Normalise(std::uint64_t& high, std::uint64_t& low, std::int32_t& field);
    static constexpr SoftReal Quiet(SoftReal a);
    static constexpr SoftReal PropagateNaN(SoftReal a, SoftReal b);
    template <class I> static constexpr SoftReal FromInteger(I value);
    template <int FracBits, int ExpBits> static constexpr SoftReal FromBinary(std::uint64_t bits);
    static constexpr SoftReal FromFloat(std::uint32_t bits) { return FromBinary<23, 8>(bits); }
    static constexpr SoftReal FromDouble(std::uint64_t bits) { return FromBinary<52, 11>(bits); }
    template <int FracBits, int ExpBits>
    __attribute__((always_inline)) constexpr std::uint64_t ToBinary() const;
    constexpr std::int64_t ToInt64(bool truncate) const;

    // The fast paths and the comparison, in SoftRealArithmetic.h.
    __attribute__((always_inline)) static constexpr SoftReal AddNormal(SoftReal a, SoftReal b);
    static constexpr SoftReal MulNormal(SoftReal a, SoftReal b);
    static constexpr double Estimate(std::uint64_t x);
    static constexpr SoftReal DivNormal(SoftReal a, SoftReal b);
    static constexpr int Compare(SoftReal a, SoftReal b);

    // The general paths, out of line, for every case the fast paths leave. Defined here, in the
    // class: GCC warns on a noinline member declared apart from its constexpr (so inline) body.
    __attribute__((noinline)) static constexpr SoftReal AddSub(SoftReal a, SoftReal b,
                                                               bool subtract) {
        if (a.IsNaN() || b.IsNaN()) {
            return PropagateNaN(a, b);
        }
        if (subtract) {
            b.SignExponent ^= SignBit;
        }
        if (a.IsInf() || b.IsInf()) {
            if (a.IsInf() && b.IsInf() && a.Negative() != b.Negative()) {
                return Indefinite();
            }
            return a.IsInf() ? a : b;
        }
        if (a.IsZero() || b.IsZero()) {
            if (a.IsZero() && b.IsZero()) {
                return Zero(a.Negative() && b.Negative());
            }
            return a.IsZero() ? b : a;
        }
        Unpacked x = a.Unpack(), y = b.Unpack();
        if (x.Exponent < y.Exponent ||
            (x.Exponent == y.Exponent && x.Significand < y.Significand)) {
            const Unpacked t = x;
            x = y;
            y = t;
        }
        // The larger magnitude at bits 126..63, the other aligned below it: 64 guard bits and a
        // sticky bit leave the sum or difference exact enough to round once.
        const U128 big = static_cast<U128>(x.Significand) << 63;
        const U128 small =
            ShiftRightJam(static_cast<U128>(y.Significand) << 63,
                          x.Exponent - y.Exponent < 128 ? x.Exponent - y.Exponent : 128);
        if (x.Negative == y.Negative) {
            return Round(x.Negative, x.Exponent + 1, big + small);
        }
        const U128 difference = big - small;
        if (difference == 0) {
            return Zero(false); // exact cancellation is +0 when rounding to nearest
        }
        return Round(x.Negative, x.Exponent + 1, difference);
    }

    __attribute__((noinline)) static constexpr SoftReal Mul(SoftReal a, SoftReal b) {
        const bool negative = a.Negative() != b.Negative();
        if (a.IsNaN() || b.IsNaN()) {
            return PropagateNaN(a, b);
        }
        if (a.IsInf() || b.IsInf()) {
            if (a.IsZero() || b.IsZero()) {
                return Indefinite();
            }
            return Inf(negative);
        }
        if (a.IsZero() || b.IsZero()) {
            return Zero(negative);
        }
        const Unpacked x = a.Unpack(), y = b.Unpack();
        // The exact 128-bit product of the significands.
        return Round(negative, x.Exponent + y.Exponent + 1,
                     static_cast<U128>(x.Significand) * y.Significand);
    }

    __attribute__((noinline)) static constexpr SoftReal Div(SoftReal a, SoftReal b) {
        const bool negative = a.Negative() != b.Negative();
        if (a.IsNaN() || b.IsNaN()) {
            return PropagateNaN(a, b);
        }
        if (a.IsInf()) {
            return b.IsInf() ? Indefinite() : Inf(negative);
        }
        if (b.IsInf()) {
            return Zero(negative);
        }
        if (b.IsZero()) {
            return a.IsZero() ? Indefinite() : Inf(negative);
        }
        if (a.IsZero()) {
            return Zero(negative);
        }
        const Unpacked x = a.Unpack(), y = b.Unpack();
        // 65 quotient bits (64 and a rounding bit) and a sticky bit for a non-zero remainder.
        const U128 numerator = static_cast<U128>(x.Significand) << 64;
        U128 quotient = numerator / y.Significand;
        U128 remainder = numerator % y.Significand;
        std::int32_t shift = 64;
        if (x.Significand < y.Significand) {
            // Only 64 quotient bits so far: one more by hand.
            remainder <<= 1;
            quotient <<= 1;
            if (remainder >= y.Significand) {
                remainder -= y.Significand;
                quotient |= 1;
            }
            shift = 65;
        }
        const U128 mantissa = (quotient << 1) | (remainder != 0);
        return Round(negative, x.Exponent - y.Exponent - shift + 126, mantissa);
    }

    // An IEEE binary format's constants for the conversions to it, and a value's sign bit in it.
    template <int FracBits, int ExpBits> struct Ieee {
        static constexpr std::int32_t MaxField = (1 << ExpBits) - 1;
        static constexpr std::int32_t Bias = MaxField >> 1;
        static constexpr std::int32_t MinExponent = 1 - Bias;
        static constexpr std::uint64_t Infinity = static_cast<std::uint64_t>(MaxField) << FracBits;
        static constexpr std::uint64_t Sign(bool negative) {
            return static_cast<std::uint64_t>(negative) << (FracBits + ExpBits);
        }
    };

    // The rest of ToBinary: NaNs, infinities, zeros, subnormal inputs, results out of the
    // format's normal range. Out of line, so the common case stays small enough to inline.
    template <int FracBits, int ExpBits>
    __attribute__((noinline)) constexpr std::uint64_t ToBinarySlow() const {
        using F = Ieee<FracBits, ExpBits>;
        const std::uint64_t sign = F::Sign(Negative());
        if (IsNaN()) {
            return sign | F::Infinity | (1ull << (FracBits - 1)) |
                   ((Significand << 1) >> (64 - FracBits));
        }
        if (IsInf()) {
            return sign | F::Infinity;
        }
        if (IsZero()) {
            return sign;
        }
        const Unpacked u = Unpack();
        if (u.Exponent > F::Bias) {
            return sign | F::Infinity;
        }
        // Bits below the format's unit in the last place: 63 - FracBits for a normal result,
        // more for a subnormal one. The sum of field and rounded significand below carries a
        // round-up into the exponent (and a subnormal into the normal range) by itself.
        const std::int32_t drop =
            63 - FracBits + (u.Exponent < F::MinExponent ? F::MinExponent - u.Exponent : 0);
        if (drop > 64) {
            return sign; // below half the smallest subnormal
        }
        std::uint64_t kept = drop == 64 ? 0 : u.Significand >> drop;
        const std::uint64_t rest = drop == 64 ? u.Significand : u.Significand << (64 - drop);
        if (rest > Top || (rest == Top && (kept & 1) != 0)) {
            ++kept;
        }
        const std::uint64_t field = u.Exponent < F::MinExponent
                                        ? 0
                                        : static_cast<std::uint64_t>(u.Exponent - F::MinExponent);
        const std::uint64_t magnitude = (field << FracBits) + kept;
        return sign | (magnitude >= F::Infinity ? F::Infinity : magnitude);
    }
};

SoftReal Sqrt(SoftReal a);

// The definitions, in this order: the arithmetic builds on the encoding's helpers.
#include "real/SoftRealFormat.h"

#include "real/SoftRealArithmetic.h"
