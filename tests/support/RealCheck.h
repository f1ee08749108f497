// The software working precision against the x87, operation by operation: a generator of
// operands (random encodings, the edges of every conversion, the ranges the particle engine
// produces) and the results of every operation the program performs, as bits.
//
// Evaluate<SoftReal> runs everywhere; Evaluate<long double> only where long double is the x87's
// format. The differential test compares the two case by case, and the digest of the software
// results, pinned from an x86 run where both agree, checks the same bits on other machines.
#pragma once

#include <cstdint>
#include <cstring>

#include "real/SoftReal.h"

#if (defined(__i386__) || defined(__x86_64__)) && __LDBL_MANT_DIG__ == 64
#define REALCHECK_HAVE_X87 1
#include <cmath>
#else
#define REALCHECK_HAVE_X87 0
#endif

namespace realcheck {

// An encoding of the 80-bit format.
struct Bits {
    std::uint16_t SignExponent;
    std::uint64_t Significand;
};

// One case: two working-precision operands and one operand of each source type.
struct Case {
    Bits A, B;
    std::uint32_t Float;
    std::uint64_t Double;
    std::int64_t Int64;
    std::int32_t Int32;
    std::uint32_t Uint32;
};

// What Evaluate writes, in this order; a working-precision result takes two words.
inline const char* const ResultNames[] = {"a + b",
                                          "a + b",
                                          "a - b",
                                          "a - b",
                                          "a * b",
                                          "a * b",
                                          "a / b",
                                          "a / b",
                                          "sqrt(a)",
                                          "sqrt(a)",
                                          "-a",
                                          "-a",
                                          "Real(float)",
                                          "Real(float)",
                                          "Real(double)",
                                          "Real(double)",
                                          "Real(int64)",
                                          "Real(int64)",
                                          "Real(int32)",
                                          "Real(int32)",
                                          "Real(uint32)",
                                          "Real(uint32)",
                                          "float(a)",
                                          "double(a)",
                                          "RoundToInt(a)",
                                          "TruncToInt(a)",
                                          "comparisons of a and b"};
constexpr int ResultCount = sizeof ResultNames / sizeof ResultNames[0];
// Operations per case: eleven with a working-precision result, four conversions from it, six
// comparisons.
constexpr int OperationsPerCase = 11 + 4 + 6;

// splitmix64: the same operands on every machine (each draw sequenced: the order in which a
// call's arguments are evaluated differs between compilers).
class Generator {
  public:
    explicit Generator(std::uint64_t seed) : State(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }

    Case NextCase() {
        Case c;
        c.A = NextReal();
        c.B = Below(3) == 0 ? NextReal() : Related(c.A);
        c.Float = NextFloat();
        c.Double = NextDouble();
        c.Int64 = NextInteger(64);
        c.Int32 = static_cast<std::int32_t>(NextInteger(32));
        c.Uint32 = static_cast<std::uint32_t>(Next());
        return c;
    }

  private:
    static constexpr std::int32_t Bias = 16383;
    static constexpr std::uint64_t Top = 1ull << 63;
    std::uint64_t State;

    std::uint16_t Sign() { return (Next() & 1) != 0 ? 0x8000 : 0; }
    // A finite value with its leading bit at 2^exponent (subnormal below the normal range).
    Bits Finite(std::int32_t exponent, std::uint64_t significand) {
        significand |= Top;
        std::int32_t field = exponent + Bias;
        if (field <= 0) {
            significand = 1 - field >= 64 ? 0 : significand >> (1 - field);
            field = 0;
        }
        if (field >= 0x7FFF) {
            field = 0x7FFE;
        }
        return {static_cast<std::uint16_t>(Sign() | field), significand};
    }
    std::int32_t Around(std::int32_t centre, std::int32_t spread) {
        return centre - spread + static_cast<std::int32_t>(Below(2 * spread + 1));
    }
    // Low `bits` bits (1 to 63) of a significand at a halfway point of a rounding to fewer bits,
    // or one unit on either side of it.
    std::uint64_t Tie(std::uint64_t significand, int bits) {
        const std::uint64_t mask = (1ull << bits) - 1;
        const std::uint64_t half = 1ull << (bits - 1);
        const std::uint64_t offsets[] = {half, half + 1, half - 1, 0, mask};
        return (significand & ~mask) | offsets[Below(5)];
    }

    Bits NextReal() {
        const std::uint64_t s = Next();
        switch (Below(16)) {
        case 0: { // the special encodings and the ends of the range
            const Bits specials[] = {{0x0000, 0},
                                     {0x8000, 0},
                                     {0x7FFF, Top},
                                     {0xFFFF, Top},
                                     {0xFFFF, Top | 1ull << 62},
                                     {0x7FFF, Top | 1ull << 62 | 12345},
                                     {0x7FFF, Top | 777},
                                     {0x0000, 1},
                                     {0x8000, Top - 1},
                                     {0x0001, Top},
                                     {0x7FFE, ~0ull},
                                     {0x3FFF, Top},
                                     {0xBFFF, Top},
                                     {0x3FFE, Top},
                                     {0x403E, Top},
                                     {0xC03E, Top},
                                     {0x403D, ~0ull}};
            return specials[Below(sizeof specials / sizeof specials[0])];
        }
        case 1:
        case 2: { // any encoding
            const std::int32_t field = static_cast<std::int32_t>(Below(0x7FFF));
            return {static_cast<std::uint16_t>(Sign() | field), field == 0 ? s >> 1 : s | Top};
        }
        case 6: { // halfway cases of the conversion to float, normal and subnormal
            const std::int32_t exponent = Around(-100, 60);
            return Finite(exponent, Tie(s, Below(4) == 0 ? 40 + Below(24) : 40));
        }
        case 7: { // halfway cases of the conversion to double
            const std::int32_t exponent = Around(-900, 200) + (Below(2) ? 1800 : 0);
            return Finite(exponent, Tie(s, Below(4) == 0 ? 11 + Below(53) : 11));
        }
        case 8: { // integers, halves and quarters, up to 2^64
            const int length = 1 + static_cast<int>(Below(64));
            const int point = static_cast<int>(Below(3));
            return Finite(length - 1 - point, s << (64 - length));
        }
        case 9: // the subnormal range, and either side of the float's
            return Finite(Below(2) ? Around(-150, 30) : Around(-16400, 70), s);
        case 10: { // the engine's floats: positions, velocities, ages, seconds, rates
            const std::uint32_t bits = (static_cast<std::uint32_t>(Around(127, 40)) << 23) |
                                       static_cast<std::uint32_t>(s & 0x7FFFFF);
            const SoftReal v(__builtin_bit_cast(float, bits));
            return {static_cast<std::uint16_t>(v.SignExponentBits() | Sign()), v.SignificandBits()};
        }
        case 11: { // Random(): a 32-bit state times 2^-32
            const SoftReal v = SoftReal(static_cast<std::uint32_t>(s)) * SoftReal(0x1p-32);
            return {v.SignExponentBits(), v.SignificandBits()};
        }
        case 12: { // about the 64-bit integer range
            const std::int32_t exponent = Around(63, 2);
            return Finite(exponent, Below(2) ? s : (Below(2) ? ~0ull : Top));
        }
        case 13: // products and quotients that overflow or underflow
            return Finite(Below(2) ? Around(16383, 70) : Around(-16382, 70), s);
        default:
            return Finite(Around(0, 70), s);
        }
    }

    // An operand near `a`: itself, its negation, a few units away, or at a chosen distance in
    // exponent (cancellation, the edges of the aligning shift).
    Bits Related(Bits a) {
        Bits b = a;
        switch (Below(6)) {
        case 0:
            break;
        case 1:
            b.SignExponent ^= 0x8000;
            break;
        case 2:
            b.Significand += Next() % 5 - 2;
            if ((b.SignExponent & 0x7FFF) != 0) {
                b.Significand |= Top;
            } else {
                b.Significand &= ~Top; // no pseudo-denormals: the program never makes them
            }
            break;
        default: {
            const std::int32_t distances[] = {0, 1, 2, 3, 62, 63, 64, 65, 66, 126, 127, 128, 129};
            const std::int32_t d = distances[Below(sizeof distances / sizeof distances[0])];
            const std::int32_t field = (a.SignExponent & 0x7FFF) - (Below(2) ? d : -d);
            if (field < 1 || field > 0x7FFE || (a.SignExponent & 0x7FFF) == 0x7FFF) {
                return NextReal();
            }
            b = {static_cast<std::uint16_t>(Sign() | field), Next() | Top};
        }
        }
        return b;
    }

    std::uint32_t NextFloat() {
        const std::uint64_t s = Next();
        switch (Below(4)) {
        case 0:
            return static_cast<std::uint32_t>(s); // any, NaNs and subnormals included
        case 1:
            return static_cast<std::uint32_t>(s) & 0x807FFFFF; // zero and subnormals
        default:
            return (static_cast<std::uint32_t>(s) & 0x807FFFFF) |
                   (static_cast<std::uint32_t>(Around(127, 40)) << 23);
        }
    }
    std::uint64_t NextDouble() {
        const std::uint64_t s = Next();
        switch (Below(3)) {
        case 0:
            return s;
        case 1:
            return s & 0x800FFFFFFFFFFFFFull;
        default:
            return (s & 0x800FFFFFFFFFFFFFull) |
                   (static_cast<std::uint64_t>(Around(1023, 100)) << 52);
        }
    }
    std::int64_t NextInteger(int width) {
        const std::uint64_t s = Next();
        const int length = static_cast<int>(Below(static_cast<std::uint32_t>(width) + 1));
        const std::uint64_t magnitude = length == 0 ? 0 : s >> (64 - length);
        const auto value = static_cast<std::int64_t>(magnitude);
        return (Next() & 1) != 0 && length < 64 ? -value : value;
    }
};

// The two types behind one set of names.
inline Bits BitsOf(SoftReal x) {
    return {x.SignExponentBits(), x.SignificandBits()};
}
inline SoftReal MakeSoft(Bits b) {
    return SoftReal::FromBits(b.SignExponent, b.Significand);
}
inline std::int64_t RoundOf(SoftReal x) {
    return x.RoundToInt64();
}
inline std::int64_t TruncOf(SoftReal x) {
    return x.TruncToInt64();
}

#if REALCHECK_HAVE_X87
inline Bits BitsOf(long double x) {
    Bits b;
    std::memcpy(&b.Significand, &x, 8);
    std::memcpy(&b.SignExponent, reinterpret_cast<const unsigned char*>(&x) + 8, 2);
    return b;
}
inline long double MakeHardware(Bits b) {
    long double x = 0;
    std::memcpy(&x, &b.Significand, 8);
    std::memcpy(reinterpret_cast<unsigned char*>(&x) + 8, &b.SignExponent, 2);
    return x;
}
inline long double Sqrt(long double x) {
    return std::sqrt(x);
}
// The x87's own integer stores: fistp in the mode in force (to nearest), and with the control
// word's rounding field set to chop for the truncation.
inline std::int64_t RoundOf(long double x) {
    std::int64_t r;
    __asm__("fistpll %0" : "=m"(r) : "t"(x) : "st");
    return r;
}
inline std::int64_t TruncOf(long double x) {
    std::uint16_t saved, chop;
    __asm__ volatile("fnstcw %0" : "=m"(saved));
    chop = static_cast<std::uint16_t>(saved | 0x0C00);
    __asm__ volatile("fldcw %0" : : "m"(chop));
    std::int64_t r;
    __asm__ volatile("fistpll %0" : "=m"(r) : "t"(x) : "st");
    __asm__ volatile("fldcw %0" : : "m"(saved));
    return r;
}
#endif

template <class T> T Make(Bits b);
template <> inline SoftReal Make<SoftReal>(Bits b) {
    return MakeSoft(b);
}
#if REALCHECK_HAVE_X87
template <> inline long double Make<long double>(Bits b) {
    return MakeHardware(b);
}
#endif

// Every operation on one case, as ResultCount words.
template <class T> void Evaluate(const Case& c, std::uint64_t* out) {
    const T a = Make<T>(c.A), b = Make<T>(c.B);
    int n = 0;
    const auto put = [&](T x) {
        const Bits r = BitsOf(x);
        out[n++] = r.SignExponent;
        out[n++] = r.Significand;
    };
    put(a + b);
    put(a - b);
    put(a * b);
    put(a / b);
    put(Sqrt(a));
    put(-a);
    put(static_cast<T>(__builtin_bit_cast(float, c.Float)));
    put(static_cast<T>(__builtin_bit_cast(double, c.Double)));
    put(static_cast<T>(c.Int64));
    put(static_cast<T>(c.Int32));
    put(static_cast<T>(c.Uint32));
    out[n++] = __builtin_bit_cast(std::uint32_t, static_cast<float>(a));
    out[n++] = __builtin_bit_cast(std::uint64_t, static_cast<double>(a));
    out[n++] = static_cast<std::uint64_t>(RoundOf(a));
    out[n++] = static_cast<std::uint64_t>(TruncOf(a));
    out[n++] =
        (a == b) | (a != b) << 1 | (a < b) << 2 | (a <= b) << 3 | (a > b) << 4 | (a >= b) << 5;
}

// A digest of the software results of `count` cases from `seed`.
inline std::uint64_t SoftDigest(std::uint64_t seed, std::uint64_t count) {
    Generator generator(seed);
    std::uint64_t digest = 0xCBF29CE484222325ull;
    std::uint64_t words[ResultCount];
    for (std::uint64_t i = 0; i < count; ++i) {
        Evaluate<SoftReal>(generator.NextCase(), words);
        for (const std::uint64_t w : words) {
            digest = (digest ^ w) * 0x100000001B3ull;
            digest ^= digest >> 29;
        }
    }
    return digest;
}

} // namespace realcheck
