#include "decimal_rounding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr int kKept = 8; // significant digits that RoundFloatDirectly keeps

constexpr auto kPowersOfTen = PowersOfTen<uint64_t, 20>();

// The largest factor that times 10^s stays within 64 bits.
constexpr std::array<uint64_t, 19> kLargestFactor = [] {
    std::array<uint64_t, 19> factors{};
    for (std::size_t s = 0; s < factors.size(); ++s) {
        factors[s] = std::numeric_limits<uint64_t>::max() / kPowersOfTen[s];
    }
    return factors;
}();

int DigitCount(uint64_t n) {
    int count = 1;
    while (count < 20 && n >= kPowersOfTen[static_cast<std::size_t>(count)]) {
        ++count;
    }
    return count;
}

} // namespace

Digits RoundedDigits(long double value, int precision, long long decimals) {
    Digits r;
    if (value == 0) {
        return r;
    }
    // "D.DDDDDDDDDDDDDDDDDe+X": the exact value rounded to 18 significant digits. Every float
    // is also a double, whose conversion is several times faster and gives the same digits.
    char text[40];
    const long double magnitude = std::fabs(value);
    const double asDouble = static_cast<double>(magnitude);
    const auto end =
        asDouble == magnitude
            ? std::to_chars(text, text + sizeof text, asDouble, std::chars_format::scientific, 17)
                  .ptr
            : std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 17)
                  .ptr;
    r.digit[0] = text[0];
    std::copy(text + 2, text + 19, r.digit + 1);
    int scientific = 0;
    std::from_chars(text + 21, end, scientific);
    if (text[20] == '-') {
        scientific = -scientific;
    }
    r.exponent = scientific + 1;

    const long long k = std::min<long long>(r.exponent + decimals, precision);
    if (k < 0) {
        r.exponent = 0;
        return r;
    }
    if (k >= 18) {
        r.count = 18;
    } else if (r.digit[k] >= '5') {
        long long j = k - 1;
        for (; j >= 0 && r.digit[j] == '9'; --j) {
            r.digit[j] = '0';
        }
        if (j < 0) {
            r.digit[0] = '1';
            r.count = 1;
            ++r.exponent;
        } else {
            ++r.digit[j];
            r.count = static_cast<int>(k);
        }
    } else {
        r.count = static_cast<int>(k); // k == 0 leaves zero, with the exponent kept
    }
    while (r.count > 0 && r.digit[r.count - 1] == '0') {
        --r.count;
    }
    r.negative = value < 0 && r.count > 0;
    return r;
}

// One rounding of the float scaled to its last kept digit gives RoundedDigits' digits: there the
// 18-digit form differs from the float by at most 0.5 * 10^(k-18) <= 5e-11 (k <= 8 digits kept),
// so both round alike 2^-34 or more from a half; an exact half has at most 9 digits and is its own
// 18-digit form. A form rounded up to 10^e keeps "1" one place up: the same value.
bool RoundFloatDirectly(float value, int32_t decimals, DecimalNumber& rounded) {
    const auto bits = std::bit_cast<uint32_t>(value);
    const uint32_t biased = bits >> 23 & 0xFF;
    if (biased == 0xFF) {
        return false;
    }
    // |value| = m * 2^q
    const uint64_t m = biased == 0 ? bits & 0x7FFFFF : (bits & 0x7FFFFF) | 0x800000;
    const int q = static_cast<int>(std::max<uint32_t>(biased, 1)) - 150;
    if (m == 0) {
        rounded = DecimalNumber{};
        return true;
    }
    const int d = std::min(decimals, 18);
    uint64_t digits = 0;
    int scale = 0; // the result is digits * 10^-scale
    if (q < 0) {
        if (d < 0) {
            return false;
        }
        // |value| * 10^scale = scaled / 2^t
        const int t = -q;
        scale = d;
        if (m > kLargestFactor[static_cast<std::size_t>(scale)]) {
            return false;
        }
        uint64_t scaled = m * kPowersOfTen[static_cast<std::size_t>(scale)];
        if (t >= 64) {
            // Below 2^(64 - t): a quarter at most, which rounds to zero, from t = 66 on.
            if (t < 66 && scaled >> (t - 2) != 0) {
                return false;
            }
        } else {
            if (scaled >> t >= kPowersOfTen[kKept]) {
                // More digits than kept: the value is below 2^23, so at least one is a decimal.
                scale -= DigitCount(scaled >> t) - kKept;
                scaled = m * kPowersOfTen[static_cast<std::size_t>(scale)];
            }
            const uint64_t half = uint64_t{1} << (t - 1);
            const uint64_t rest = scaled & ((uint64_t{1} << t) - 1);
            const uint64_t off = rest > half ? rest - half : half - rest;
            // Closer to a half than 2^-34, the 18-digit form might round the other way.
            if (off != 0 && t > 34 && off < uint64_t{1} << (t - 34)) {
                return false;
            }
            digits = (scaled >> t) + (rest >= half ? 1 : 0);
        }
    } else {
        if (q > 40) {
            return false;
        }
        // A whole number of at least 7 digits.
        const uint64_t whole = m << q;
        const long long s = std::min<long long>(d, kKept - DigitCount(whole));
        if (s >= 0) {
            digits = whole * kPowersOfTen[static_cast<std::size_t>(s)];
            scale = static_cast<int>(s);
        } else if (s > -20) {
            const uint64_t unit = kPowersOfTen[static_cast<std::size_t>(-s)];
            const uint64_t rest = whole % unit;
            const uint64_t up = unit - rest;
            const uint64_t off = rest > up ? rest - up : up - rest; // |2 rest - unit|
            if (off != 0 && off <= unit >> 33) {                    // within 2^-34 of a half
                return false;
            }
            digits = whole / unit + (rest >= up ? 1 : 0);
            scale = static_cast<int>(s);
        } // else below 2^64 / 10^20: zero
    }
    rounded.digits = digits;
    rounded.exponent = digits == 0 ? 0 : -scale;
    rounded.negative = digits != 0 && bits >> 31 != 0;
    return true;
}
