#include "number_field.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "number_text.h"
#include "text_utf.h"

namespace {

// The general route: the UTF-16 text through NormalizedNumber's long double value, which every
// field went through before the fast one existed.
std::optional<float> GeneralRoute(const std::string& text, int32_t decimals) {
    long double value = 0;
    if (!NormalizedNumber(Utf8ToUtf16(text), decimals, value)) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

std::optional<float> FieldRead(const std::string& text, int32_t decimals) {
    float value = 0;
    const auto decode = [](std::string_view bytes) { return Utf8ToUtf16(bytes); };
    if (!ReadNumberField(text, decimals, decode, value)) {
        return std::nullopt;
    }
    return value;
}

// Same answer and, where read, the same bits (NaN and the sign of zero included).
::testing::AssertionResult SameAsGeneralRoute(const std::string& text, int32_t decimals) {
    const std::optional<float> expected = GeneralRoute(text, decimals);
    const std::optional<float> actual = FieldRead(text, decimals);
    if (expected.has_value() == actual.has_value() &&
        (!expected || std::bit_cast<uint32_t>(*expected) == std::bit_cast<uint32_t>(*actual))) {
        return ::testing::AssertionSuccess();
    }
    const auto show = [](const std::optional<float>& f) {
        char text[32] = "no number";
        if (f) {
            std::snprintf(text, sizeof text, "%.9g", static_cast<double>(*f));
        }
        return std::string(text);
    };
    return ::testing::AssertionFailure()
           << "'" << text << "' with " << decimals << " decimals for a '"
           << Utf16ToUtf8(std::u16string(1, UserNotation.DecimalSeparator))
           << "' user: " << show(actual) << ", the general route " << show(expected);
}

// x = m / 10^14 = (c * 5^14 + t) / 2^(14 + g) with c odd: t units of 2^-(14 + g) / 5^14 beside the
// float rounding midpoint c * 2^-(14 + g), close enough for the double quotient to land on it and
// take the even neighbour, which for |t| = 3 or 7 is the other one. A wider quotient does not land
// there. Fewer than 2^53 as the mantissa: only the 14 decimals put these beyond a double.
struct NearMidpoint {
    std::string text;
    float nearest;       // the float nearest to x
    float doubleRounded; // the float of the double quotient
};

std::vector<NearMidpoint> FourteenDecimalsNextToMidpoints() {
    constexpr uint64_t kFivePower14 = 6103515625;
    std::vector<NearMidpoint> texts;
    for (const int g : {4, 5}) {
        for (const int t : {-3, 3, -7, 7}) {
            int found = 0;
            for (uint64_t c = (uint64_t{1} << 24) + 1; found < 5; c += 2) {
                const uint64_t n = c * kFivePower14 + static_cast<uint64_t>(t);
                if (n % (uint64_t{1} << g) != 0) {
                    continue;
                }
                const uint64_t m = n >> g;
                // Piece by piece: g++ 12 at -O3 warns falsely of an overlap in insert.
                const std::string whole = std::to_string(m);
                std::string digits = whole.substr(0, whole.size() - 14);
                digits += '.';
                digits += std::string_view(whole).substr(whole.size() - 14);
                const double side = t < 0 ? -1 : 1;
                texts.push_back(
                    {digits, static_cast<float>(std::ldexp(static_cast<double>(c) + side, -14 - g)),
                     static_cast<float>(static_cast<double>(m) / 1e14)});
                ++found;
            }
        }
    }
    return texts;
}

class NumberFieldTest : public ::testing::Test {
protected:
    void SetUp() override { UserNotation = NumberNotation{}; }
    void TearDown() override { UserNotation = NumberNotation{}; }
};

// Texts at the edges of the fast reading, in each user notation it depends on: 'E' makes the
// written text read differently, a separator outside ASCII leaves '.' and ',' to the others.
TEST_F(NumberFieldTest, EdgeTextsReadAsTheGeneralRouteReadsThem) {
    std::vector<std::string> texts = {
        // halves at the last retained decimal
        "0.05", "0,05", "0.00005", "2.25", "-0.00015", "0.15", "-2,5", "0.45",
        // notations, separators and signs
        "1,000", "1.000,5", "1,000.5", "1.000.000", ".5", ",5", "5.", "5,", "-.5", "+,5", ".", "-",
        "+", "", "-0", "+0", "-0.0", "+5", "--5", "+-5", " 5", "5 ", "1 5", "5\t", "1e3", "1E-3",
        "0x10", "NAN", "nan", "INF", "-inf", "5a", "a5", "1;5",
        // magnitudes
        "3.4028235e38", "340282350000000000000000000000000000000", "1e39", "1e-46",
        "0.000000000001", "0.0000000000001", "999999999999", "16777217", "-16777217.5",
        "99999999.5", "99999999.95", "123456789.123",
        // digit counts at and beyond the limits: 8, 9, 12, 13, 16, 17, 19 and 20 digits
        "12345678", "1234567.8", "123456789", "0.12345678", "0.123456789", "1234.56789012",
        "0.123456789012", "0.1234567890123", "9007199254740991", "9007199254740993",
        "900719925.4740991", "90071992.547409921", "1234567890123456789", "12345678901234567890",
        "0.0000000000000000001", "00000000000000000001.5", "000000000000000000001.5",
        // mantissas of 2^53 and more next to float midpoints: a double misreads them
        "16777217.000000001", "-16777217.000000001", "100000004.00000001", "18014399583223809",
        "-18014399583223809"};
    for (const NearMidpoint& near : FourteenDecimalsNextToMidpoints()) {
        texts.push_back(near.text);
    }
    for (const char16_t separator : {u'.', u',', u'E', u'\u012E'}) {
        UserNotation.DecimalSeparator = separator;
        for (const int32_t decimals : {1, 4, 0, 8, 12, 18, 30, -3}) {
            for (const std::string& text : texts) {
                ASSERT_TRUE(SameAsGeneralRoute(text, decimals));
            }
        }
    }
}

// Next to a midpoint the text reads as its nearest float, which the double quotient misses; the
// normalized value shows the difference.
TEST_F(NumberFieldTest, MidpointTextsReadAsTheirNearestFloat) {
    const auto shortest = [](float f) {
        char text[32];
        return std::string(text, std::to_chars(text, text + sizeof text, f).ptr);
    };
    int shown = 0;
    for (const NearMidpoint& near : FourteenDecimalsNextToMidpoints()) {
        const std::optional<float> read = FieldRead(near.text, 8);
        ASSERT_TRUE(read.has_value()) << near.text;
        ASSERT_EQ(std::bit_cast<uint32_t>(*read),
                  std::bit_cast<uint32_t>(*FieldRead(shortest(near.nearest), 8)))
            << near.text;
        shown += *read != *FieldRead(shortest(near.doubleRounded), 8) ? 1 : 0;
    }
    EXPECT_EQ(shown, 40);
}

// Plain decimals across magnitudes and digit counts, leading and trailing zeros, both separators
// and both signs, as the imports read them (1 and 4 decimals).
TEST_F(NumberFieldTest, RandomPlainDecimalsReadAsTheGeneralRouteReadsThem) {
    std::mt19937_64 random(20240611);
    std::vector<std::string> texts;
    for (int i = 0; i < 600000; ++i) {
        const uint64_t bits = random();
        std::string text = bits % 5 == 0 ? "-" : bits % 37 == 1 ? "+" : "";
        const int integerDigits = static_cast<int>(bits >> 8 & 15) % 12;
        const int fractionDigits = static_cast<int>(bits >> 12 & 15);
        const bool leadingZeros = (bits >> 16 & 7) == 0;
        for (int d = 0; d < integerDigits; ++d) {
            text += static_cast<char>('0' + (leadingZeros && d < 2 ? 0 : random() % 10));
        }
        if (fractionDigits > 0 || (bits >> 20 & 15) == 0) {
            text += (bits >> 24 & 1) != 0 ? '.' : ',';
        }
        for (int d = 0; d < fractionDigits; ++d) {
            text += static_cast<char>('0' + random() % 10);
        }
        texts.push_back(text);
    }
    for (const char16_t separator : {u'.', u','}) {
        UserNotation.DecimalSeparator = separator;
        for (const int32_t decimals : {1, 4}) {
            for (const std::string& text : texts) {
                ASSERT_TRUE(SameAsGeneralRoute(text, decimals));
            }
        }
    }
}

// The rounding of a float read already, for any float and number of decimals.
TEST_F(NumberFieldTest, NormalizedFloatOfAFloatIsTheLongDoubleValueCast) {
    std::vector<float> values = {0.05f,
                                 -0.0f,
                                 0.0f,
                                 1e-45f,
                                 3.4028235e38f,
                                 16777217.0f,
                                 std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 random(31);
    for (int i = 0; i < 200000; ++i) {
        values.push_back(std::bit_cast<float>(static_cast<uint32_t>(random())));
    }
    for (const char16_t separator : {u'.', u',', u'E'}) {
        UserNotation.DecimalSeparator = separator;
        for (const int32_t decimals : {0, 1, 4, 8, 12, 13, 18, 30, -3}) {
            for (const float f : values) {
                long double expected = 0;
                const bool reads = NormalizedNumber(f, decimals, expected);
                float actual = 0;
                ASSERT_EQ(NormalizedFloat(f, decimals, actual), reads) << f;
                if (reads) {
                    ASSERT_EQ(std::bit_cast<uint32_t>(actual),
                              std::bit_cast<uint32_t>(static_cast<float>(expected)))
                        << f << " with " << decimals << " decimals";
                }
            }
        }
    }
}

} // namespace
