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
    constexpr Unpacked Unpack() const {
        if (Field() != 0) {
            return {Negative(), Field() - Bias, Significand};
        }
        const int shift = __builtin_clzll(Significand);
        return {Negative(), 1 - Bias - shift, Significand << shift};
    }

    static constexpr int LeadingZeros(U128 x) {
        const auto high = static_cast<std::uint64_t>(x >> 64);
        return high != 0 ? __builtin_clzll(high)
                         : 64 + __builtin_clzll(static_cast<std::uint64_t>(x));
    }
    // x >> n, with every bit shifted out or-ed into bit 0 (the sticky bit).
    static constexpr U128 ShiftRightJam(U128 x, int n) {
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
    static constexpr SoftReal Round(bool negative, std::int32_t exponent, U128 mantissa) {
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
    static constexpr SoftReal RoundNormal(bool negative, std::int32_t field, std::uint64_t high,
                                          std::uint64_t low) {
        // Without branches on the data: a rounding that goes either way half the time would
        // cost more in mispredictions than the arithmetic.
        high +=
            static_cast<std::uint64_t>(low > Top) | (static_cast<std::uint64_t>(low == Top) & high);
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
    static constexpr void Normalise(std::uint64_t& high, std::uint64_t& low, std::int32_t& field) {
        const std::uint64_t shift = ~high >> 63;
        high = (high << shift) | ((low >> 63) & shift);
        low <<= shift;
        field -= static_cast<std::int32_t>(shift);
    }

    // The NaN an operation with a NaN operand gives.
    static constexpr SoftReal Quiet(SoftReal a) {
        a.Significand |= Top | QuietBit;
        return a;
    }
    static constexpr SoftReal PropagateNaN(SoftReal a, SoftReal b) {
        if (a.IsNaN() && b.IsNaN()) {
            // Equal significands: the positive one.
            if (a.Significand == b.Significand) {
                return Quiet(a.Negative() ? b : a);
            }
            return Quiet(a.Significand > b.Significand ? a : b);
        }
        return Quiet(a.IsNaN() ? a : b);
    }

    template <class I> static constexpr SoftReal FromInteger(I value) {
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
    template <int FracBits, int ExpBits> static constexpr SoftReal FromBinary(std::uint64_t bits) {
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
    static constexpr SoftReal FromFloat(std::uint32_t bits) { return FromBinary<23, 8>(bits); }
    static constexpr SoftReal FromDouble(std::uint64_t bits) { return FromBinary<52, 11>(bits); }

    // The nearest value of the IEEE format (ties to even, subnormals, overflow to infinity), as
    // its bits. A NaN keeps its sign and the top fraction bits, and is quieted.
    template <int FracBits, int ExpBits>
    __attribute__((always_inline)) constexpr std::uint64_t ToBinary() const {
        constexpr std::int32_t maxField = (1 << ExpBits) - 1;
        constexpr std::int32_t bias = maxField >> 1;
        constexpr std::uint64_t infinity = static_cast<std::uint64_t>(maxField) << FracBits;
        const std::uint64_t sign = static_cast<std::uint64_t>(Negative()) << (FracBits + ExpBits);
        constexpr std::int32_t minExponent = 1 - bias;
        if (IsNormal() && Field() - Bias >= minExponent && Field() - Bias <= bias) {
            // The common case: a normal result, rounded at a fixed place.
            std::uint64_t kept = Significand >> (63 - FracBits);
            const std::uint64_t rest = Significand << (FracBits + 1);
            kept += static_cast<std::uint64_t>(rest > Top) |
                    (static_cast<std::uint64_t>(rest == Top) & kept);
            const std::uint64_t magnitude =
                (static_cast<std::uint64_t>(Field() - Bias - minExponent) << FracBits) + kept;
            return sign | (magnitude >= infinity ? infinity : magnitude);
        }
        return ToBinarySlow<FracBits, ExpBits>();
    }

    // The rest of ToBinary: NaNs, infinities, zeros, subnormal inputs, results out of the
    // format's normal range. Out of line, so the common case stays small enough to inline.
    template <int FracBits, int ExpBits>
    __attribute__((noinline)) constexpr std::uint64_t ToBinarySlow() const {
        constexpr std::int32_t maxField = (1 << ExpBits) - 1;
        constexpr std::int32_t bias = maxField >> 1;
        constexpr std::uint64_t infinity = static_cast<std::uint64_t>(maxField) << FracBits;
        const std::uint64_t sign = static_cast<std::uint64_t>(Negative()) << (FracBits + ExpBits);
        constexpr std::int32_t minExponent = 1 - bias;
        if (IsNaN()) {
            return sign | infinity | (1ull << (FracBits - 1)) |
                   ((Significand << 1) >> (64 - FracBits));
        }
        if (IsInf()) {
            return sign | infinity;
        }
        if (IsZero()) {
            return sign;
        }
        const Unpacked u = Unpack();
        if (u.Exponent > bias) {
            return sign | infinity;
        }
        // Bits below the format's unit in the last place: 63 - FracBits for a normal result,
        // more for a subnormal one. The sum of field and rounded significand below carries a
        // round-up into the exponent (and a subnormal into the normal range) by itself.
        const std::int32_t drop =
            63 - FracBits + (u.Exponent < minExponent ? minExponent - u.Exponent : 0);
        if (drop > 64) {
            return sign; // below half the smallest subnormal
        }
        std::uint64_t kept = drop == 64 ? 0 : u.Significand >> drop;
        const std::uint64_t rest = drop == 64 ? u.Significand : u.Significand << (64 - drop);
        if (rest > Top || (rest == Top && (kept & 1) != 0)) {
            ++kept;
        }
        const std::uint64_t field =
            u.Exponent < minExponent ? 0 : static_cast<std::uint64_t>(u.Exponent - minExponent);
        const std::uint64_t magnitude = (field << FracBits) + kept;
        return sign | (magnitude >= infinity ? infinity : magnitude);
    }

    constexpr std::int64_t ToInt64(bool truncate) const {
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

    // The general paths, for every operand.
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

    // The sum of two normal numbers in 64-bit words where the result is normal; +0 where the
    // general path must go (an exact zero, a subnormal result).
    __attribute__((always_inline)) static constexpr SoftReal AddNormal(SoftReal a, SoftReal b) {
        // The larger magnitude first, by masks: which one it is is a coin toss for the sums the
        // engine makes (x*x + y*y), and a compiler turns a select on it into a branch.
        const std::uint64_t swap =
            0 - static_cast<std::uint64_t>(((static_cast<U128>(a.Field()) << 64) | a.Significand) <
                                           ((static_cast<U128>(b.Field()) << 64) | b.Significand));
        const std::uint64_t significands = (a.Significand ^ b.Significand) & swap;
        const auto signExponents =
            static_cast<std::uint16_t>((a.SignExponent ^ b.SignExponent) & swap);
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

    static constexpr SoftReal MulNormal(SoftReal a, SoftReal b) {
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

    // The estimates below need a few more bits than 53 nowhere: signed conversions of the top
    // bits (unsigned ones of 64-bit values are slow on x86-64) are close enough.
    static constexpr double Estimate(std::uint64_t x) {
        return static_cast<double>(static_cast<std::int64_t>(x >> 11)) * 0x1p11;
    }

    // a / b for normal operands without a 128-bit division: the quotient from a double's
    // estimate, corrected on the exact remainder, then rounded; +0 where the result is not
    // normal (the general path's business).
    static constexpr SoftReal DivNormal(SoftReal a, SoftReal b) {
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
        std::uint64_t q = half >= 0x1p63
                              ? ~1ull
                              : static_cast<std::uint64_t>(static_cast<std::int64_t>(half)) << 1;
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

    // -1, 0 or 1 as a is below, equal to or above b; 2 when either is a NaN.
    static constexpr int Compare(SoftReal a, SoftReal b) {
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
};

SoftReal Sqrt(SoftReal a);
