#pragma once
// Rounding values half away from zero to a number of decimals and significant digits, as the
// number texts write them: through the value's 18-digit decimal form, which serves any value, or
// straight from the bits of a 32-bit float wherever both must give the same digits.

#include <array>
#include <cstddef>
#include <cstdint>

// 10^0 .. 10^(N-1) as T, each from the one before by one multiplication: exact as long as T holds
// the power.
template <typename T, std::size_t N> constexpr std::array<T, N> PowersOfTen() {
    std::array<T, N> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < N; ++i) {
        powers[i] = powers[i - 1] * 10;
    }
    return powers;
}

// A finite value as significant digits D1..Dcount (no trailing zeros) and exponent e, the value
// being 0.D1D2... * 10^e. count == 0 means zero.
struct Digits {
    char digit[18] = {};
    int count = 0;
    int exponent = 0;
    bool negative = false;
};

// The 18-digit decimal form of a finite value, rounded half away from zero to
// k = min(e + decimals, precision) digits (precision at most 18). k < 0 gives zero with exponent 0;
// k == 0 gives "1" one place up when D1 is 5 or more, else zero keeping e.
Digits RoundedDigits(long double value, int precision, long long decimals);

// A decimal number: digits * 10^exponent, negated when `negative`. Zero is never negative and has
// the exponent 0.
struct DecimalNumber {
    uint64_t digits = 0;
    int exponent = 0;
    bool negative = false;
};

// RoundedDigits(value, 8, min(decimals, 18)) as a number, its digits at most 10^8, decided from
// the float's bits without its decimal form. False where that cannot be decided so: NaN and
// infinities, magnitudes of 2^64 and more, negative decimals for a value with a fraction, more than
// 64 bits for the scaled value, and values within 2^-34 of a half at the last retained digit (exact
// halves excepted).
bool RoundFloatDirectly(float value, int32_t decimals, DecimalNumber& rounded);
