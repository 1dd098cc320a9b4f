#include "number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "decimal_rounding.h"
#include "editor_errors.h"
#include "text_utf.h"

namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInf = std::numeric_limits<long double>::infinity();

std::string U8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

std::u16string U16(const std::string& text) {
    return Utf8ToUtf16(text);
}

std::string WithSeparator(std::string text, char separator) {
    for (char& c : text) {
        if (c == '.') {
            c = separator;
        }
    }
    return text;
}

// UserNotation is process-wide: every test starts from a '.' user and leaves it that way.
class NumberTextTest : public ::testing::Test {
protected:
    void SetUp() override { UserNotation = NumberNotation{}; }
    void TearDown() override { UserNotation = NumberNotation{}; }
};

struct NormalizeCase {
    const char* text;
    int32_t decimals;
    const char* result; // for a '.' user; a ',' user gets the same with ','
};

// Every text is read in exactly one notation or in all alike, so the user's separator only
// changes the separator written.
TEST_F(NumberTextTest, NormalizeAcceptsEveryNotationAndAnswersInTheUsers) {
    const NormalizeCase cases[] = {
        {"1,5", 1, "1.5"},
        {"1.5", 1, "1.5"},
        {"1.234,5", 1, "ERROR"},
        {"1,234.5", 1, "ERROR"},
        {"1,234", 1, "1.2"},
        {"1.234", 1, "1.2"},
        {" 12 ", 1, "12.0"},
        {"  12  ", 1, "12.0"},
        {"\t12", 1, "ERROR"},
        {"12\t", 1, "ERROR"},
        {"\xC2\xA0"
         "12",
         1, "ERROR"}, // no-break space
        {"12 Hz", 1, "ERROR"},
        {"+5", 1, "5.0"},
        {".5", 1, "0.5"},
        {"5.", 1, "5.0"},
        {".", 1, "ERROR"},
        {"-", 1, "ERROR"},
        {"", 1, "ERROR"},
        {"   ", 1, "ERROR"},
        {"1E", 1, "ERROR"},
        {"1e+", 1, "ERROR"},
        {"e5", 1, "ERROR"},
        {"--1", 1, "ERROR"},
        {"- 1", 1, "ERROR"},
        {"1e2", 1, "100.0"},
        {"1E-2", 4, "0.0100"},
        {"0.05", 1, "0.1"},
        {"0.25", 1, "0.3"},
        {"0.35", 1, "0.3"}, // the nearest float lies below 0.35
        {"-0.04", 1, "0.0"},
        {"-0.05", 1, "-0.1"},
        {"-0", 1, "0.0"},
        {"2.5", 0, "3"},
        {"100.4", 0, "100"},
        {"-2.5", 0, "-3"},
        {"0.125", 2, "0.13"}, // half away from zero, not to even
        {"9.96", 1, "10.0"},
        {"12345.6789", 4, "12345.6790"}, // eight significant digits survive
        {"99999999", 1, "1E8"},          // the float is 1E8
        {"1e8", 1, "1E8"},
        {"1.23456789e8", 1, "1.2345679E8"},
        {"1.23456789e8", 4, "1.2345679E0008"},
        {"1.23456789e8", 5, "1.2345679E8"},
        {"1e39", 1, "INF"},
        {"-1e39", 1, "-INF"},
        {"1e4931", 1, "INF"},
        {"1e4933", 1, "ERROR"}, // beyond the extended range: no notation can read it
        {"1e-4999", 1, "0.0"},
        {"nan", 1, "NAN"},
        {"-nan", 1, "ERROR"},
        {"-inf", 1, "-INF"},
        {" +INF", 1, "INF"},
        {"INF ", 1, "ERROR"},
        {"INFINITY", 1, "ERROR"},
        {"1E5000", 1, "ERROR"}, // the last exponent digit stays unread
        {"1E-5000", 1, "ERROR"},
        {"1E00000000005", 1, "100000.0"},    // leading zeros never reach 500
        {"\xEF\xBC\x91", 1, "ERROR"},        // fullwidth digit one
        {"0.1", 18, "0.100000000000000000"}, // the precision still limits the digits
        {"1e-45", 1, "0.0"},
    };
    for (const char separator : {'.', ','}) {
        UserNotation.DecimalSeparator = static_cast<char16_t>(separator);
        for (const NormalizeCase& c : cases) {
            SCOPED_TRACE(std::string("user '") + separator + "', text '" + c.text + "', d " +
                         std::to_string(c.decimals));
            EXPECT_EQ(U8(NormalizeNumberText(U16(c.text), c.decimals)),
                      WithSeparator(c.result, separator));
        }
    }
}

TEST_F(NumberTextTest, NormalizeResultReadsBackInTheUserNotation) {
    for (const char16_t separator : {u'.', u','}) {
        UserNotation.DecimalSeparator = separator;
        for (const char* text : {"1,5", "1.5", "-3,25", "800.5", "1.23456789e8", "1e39", "nan"}) {
            SCOPED_TRACE(text);
            const std::u16string normalized = NormalizeNumberText(U16(text), 1);
            long double value = 0;
            EXPECT_TRUE(TextToNumber(normalized, value, UserNotation));
        }
    }
}

// A separator outside ASCII must be compared as the whole code unit: U+012E and U+022C end in
// the bytes of '.' and ','.
TEST_F(NumberTextTest, SeparatorIsComparedAsAWholeCodeUnit) {
    const NumberNotation iogonek{u'\u012E'};
    long double value = 0;
    EXPECT_FALSE(TextToNumber(u"1.5", value, iogonek));
    ASSERT_TRUE(TextToNumber(u"1\u012E5", value, iogonek));
    EXPECT_EQ(value, 1.5L);

    EXPECT_EQ(NormalizeNumberText(u"1\u022C5", 1), u"ERROR");

    UserNotation = iogonek;
    EXPECT_EQ(NormalizeNumberText(u"1.5", 1), u"1\u012E5");
    EXPECT_EQ(NormalizeNumberText(u"1,5", 1), u"1\u012E5");
    EXPECT_EQ(NormalizeNumberText(u"1\u012E5", 1), u"1\u012E5");
}

struct ReadCase {
    const char* text;
    bool ok;
    long double value;
};

TEST_F(NumberTextTest, ReadsTheCorrectlyRoundedExtendedValue) {
    const ReadCase cases[] = {
        {"0.1", true, 0.1L}, // not the double 0.1
        {"-2.5e-3", true, -2.5e-3L},
        {"12345678901234567890123", true, 12345678901234567890123.0L},
        {"1E499", true, 1e499L},
        {"1E4931", true, 1e4931L},
        {"1.18973149535723176502e4932", true, std::numeric_limits<long double>::max()},
        {"1E4933", false, 0},
        {"-1E4933", false, 0},
        {"1E4999", false, 0},
        {"0E4999", true, 0},
        {"0E5000", false, 0},
        {"1E-4999", true, 0},
        {"1,5", false, 0},
        {"nAn", true, kNaN},
        {" inF", true, kInf},
        {"+inf", true, kInf},
        {"-INF", true, -kInf},
        {"+NAN", false, 0},
        {"IN F", false, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.text);
        long double value = 12345;
        EXPECT_EQ(TextToNumber(U16(c.text), value, NumberNotation{}), c.ok);
        if (!c.ok) {
            EXPECT_EQ(value, 12345) << "a failed read leaves the value alone";
        } else if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(value));
        } else {
            EXPECT_EQ(value, c.value);
        }
    }
}

// Short numbers are computed directly rather than by the C library; both must agree to the bit,
// on either side of the largest exact power of ten and with leading and trailing zeros.
TEST_F(NumberTextTest, DirectReadingAgreesWithTheCLibrary) {
    std::mt19937_64 random(20261210);
    for (int i = 0; i < 200000; ++i) {
        std::string digits = std::to_string(random() >> (random() % 64));
        const std::size_t point = random() % (digits.size() + 1);
        std::string text = std::string(random() % 3, '0') + digits.substr(0, point) + "." +
                           digits.substr(point) + std::string(random() % 3, '0');
        const int exponent = static_cast<int>(random() % 81) - 40;
        text = (random() % 2 == 0 ? "-" : "") + text + "e" + std::to_string(exponent);
        SCOPED_TRACE(text);
        long double value = 0;
        ASSERT_TRUE(TextToNumber(U16(text), value, NumberNotation{}));
        const long double expected = std::strtold(text.c_str(), nullptr);
        ASSERT_EQ(value, expected);
        ASSERT_EQ(std::signbit(value), std::signbit(expected));
    }
}

// The value NormalizedNumber computes is the one its text reads back as, for every user.
TEST_F(NumberTextTest, NormalizedNumberIsTheNormalizedTextsValue) {
    std::vector<std::string> texts = {
        "1,5",       "-0.04", "-0,06",    "31.5",  "999999.96", "1e39", "3.4028235e38",
        "1e-46",     "-nan",  "-INF",     "1.2.3", "",          "0",    "-0,0",
        "123456789", "1e-30", "7.006e-45"};
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const float f = std::bit_cast<float>(static_cast<uint32_t>(random()));
        texts.push_back(U8(FormatGeneral(f, NumberNotation{i % 2 == 0 ? u'.' : u','})));
    }
    for (const char16_t separator : {u'.', u',', u'E'}) {
        UserNotation.DecimalSeparator = separator;
        for (const int32_t decimals : {1, 4, 0, -3, 8, 30}) {
            for (const std::string& text : texts) {
                SCOPED_TRACE(text + " with " + std::to_string(decimals) + " decimals");
                const std::u16string normalized = NormalizeNumberText(U16(text), decimals);
                long double expected = 0;
                const bool readsBack = TextToNumber(normalized, expected, UserNotation);
                long double value = 0;
                ASSERT_EQ(NormalizedNumber(U16(text), decimals, value), normalized != u"ERROR");
                if (readsBack) {
                    ASSERT_TRUE(std::isnan(expected) ? std::isnan(value) : value == expected);
                    ASSERT_EQ(std::signbit(value), std::signbit(expected));
                }
            }
        }
    }
}

// The 18-digit route's digits as a number, for comparison with the direct rounding.
DecimalNumber ThroughEighteenDigits(float value, int32_t decimals) {
    const Digits r = RoundedDigits(value, 8, std::min(decimals, 18));
    DecimalNumber number;
    for (int j = 0; j < r.count; ++j) {
        number.digits = number.digits * 10 + static_cast<uint64_t>(r.digit[j] - '0');
    }
    number.exponent = r.count == 0 ? 0 : r.exponent - r.count;
    number.negative = r.negative;
    return number;
}

// The direct rounding, trailing zeros dropped; nullopt where it leaves the value to the 18-digit
// route.
std::optional<DecimalNumber> Directly(float value, int32_t decimals) {
    DecimalNumber number;
    if (!RoundFloatDirectly(value, decimals, number)) {
        return std::nullopt;
    }
    while (number.digits != 0 && number.digits % 10 == 0) {
        number.digits /= 10;
        ++number.exponent;
    }
    return number;
}

// Where the direct rounding decides, it gives the 18-digit route's number exactly.
testing::AssertionResult RoundsAlike(float value, int32_t decimals,
                                     std::optional<bool> decidedDirectly = std::nullopt) {
    const std::optional<DecimalNumber> direct = Directly(value, decimals);
    const auto describe = [&] {
        char text[64];
        std::snprintf(text, sizeof text,
                      "%a (bits %08x) with %d decimals: ", static_cast<double>(value),
                      std::bit_cast<uint32_t>(value), decimals);
        return testing::AssertionFailure() << text;
    };
    if (decidedDirectly && direct.has_value() != *decidedDirectly) {
        return describe() << (direct ? "decided directly" : "left to the 18-digit route");
    }
    if (!direct) {
        return testing::AssertionSuccess();
    }
    const DecimalNumber exact = ThroughEighteenDigits(value, decimals);
    if (direct->digits != exact.digits || direct->exponent != exact.exponent ||
        direct->negative != exact.negative) {
        return describe() << (direct->negative ? "-" : "") << direct->digits << "E"
                          << direct->exponent << " instead of " << (exact.negative ? "-" : "")
                          << exact.digits << "E" << exact.exponent;
    }
    return testing::AssertionSuccess();
}

struct DirectCase {
    float value;
    int32_t decimals;
    bool direct; // decided without the 18-digit form
};

// The rounding notes, the ends of the direct route's range and what lies beyond it.
TEST_F(NumberTextTest, DirectRoundingGivesTheEighteenDigitRoutesDigits) {
    const float kMax = std::numeric_limits<float>::max();
    const DirectCase cases[] = {
        {0.35f, 1, true}, // the float lies below 0.35
        {0.05f, 1, true}, // and above 0.05
        {0.25f, 1, true}, // exact halves round away from zero
        {2.5f, 0, true},
        {0.125f, 2, true},
        {8388607.5f, 0, true}, // the largest float with a half
        {0.5f, 0, true},
        {0.49999997f, 0, true},
        {5e-5f, 4, true}, // just below the half
        {9.96f, 1, true}, // carries into a new digit
        {99999999.0f, 1, true},
        {12345.6789f, 4, true}, // eight significant digits
        {999999.96f, 1, true},
        {123456789.0f, 1, true}, // whole floats: eight digits from the ninth on
        {1.5e8f, 4, true},
        {1.5e9f, -3, true},
        {8389500.0f, -3, true}, // exact halves of whole floats
        {8388615.0f, -1, true},
        {1e10f, INT32_MIN, true},
        {std::ldexp(1.0f, 63), 1, true},
        {std::ldexp(1.0f, 64), 1, false},
        {kMax, 1, false},
        {12.5f, -1, false}, // a fraction with negative decimals
        {1e-7f, 12, true},
        {3e-12f, 12, true},
        {4e-13f, 12, false}, // the scaled value needs more than 64 bits
        {1e-13f, 12, true},  // far below a half
        {0.1f, 18, false},
        {0.1f, 30, false},
        {std::numeric_limits<float>::denorm_min(), 4, true},
        {0.0f, 1, true},
        {-0.0f, 1, true},
        {std::numeric_limits<float>::infinity(), 1, false},
        {std::numeric_limits<float>::quiet_NaN(), 1, false},
    };
    for (const DirectCase& c : cases) {
        EXPECT_TRUE(RoundsAlike(c.value, c.decimals, c.direct));
        EXPECT_TRUE(RoundsAlike(-c.value, c.decimals, c.direct));
    }
}

TEST_F(NumberTextTest, DirectRoundingOfRandomFloats) {
    std::mt19937 random(20261211);
    for (int i = 0; i < 50000; ++i) {
        const float f = std::bit_cast<float>(static_cast<uint32_t>(random()));
        for (const int32_t decimals : {-3, 0, 1, 2, 4, 8, 12, 18}) {
            ASSERT_TRUE(RoundsAlike(f, decimals));
        }
    }
}

// The three floats nearest to each half of the last retained digit, at the decimals the editor
// uses: below 2^18 units, below the eight-digit limit, and with eight digits kept from larger
// magnitudes. All are below 2^64, and at these decimals no float but an exact half comes within
// 2^-34 of one, so all are decided directly. Debug builds, which the sanitizer run uses, take
// every eighth half.
TEST_F(NumberTextTest, DirectRoundingNextToEveryHalf) {
#ifdef NDEBUG
    constexpr int kStride = 1;
#else
    constexpr int kStride = 8;
#endif
    for (const int32_t decimals : {0, 1, 4}) {
        SCOPED_TRACE(decimals);
        const long double unit = std::pow(10.0L, -decimals);
        const auto aroundHalf = [&](long double half, bool negative) {
            const float nearest = static_cast<float>(negative ? -half : half);
            for (const float f :
                 {std::nextafter(nearest, 0.0f), nearest, std::nextafter(nearest, 2 * nearest)}) {
                if (testing::AssertionResult alike = RoundsAlike(f, decimals, true); !alike) {
                    return alike;
                }
            }
            return testing::AssertionSuccess();
        };
        for (int64_t n = 0; n < (1 << 18); n += kStride) {
            ASSERT_TRUE(aroundHalf((n + 0.5L) * unit, n % 2 != 0));
        }
        for (int64_t n = 100000000 - (1 << 16); n < 100000000; n += kStride) {
            ASSERT_TRUE(aroundHalf((n + 0.5L) * unit, n % 2 != 0));
        }
        for (int e = 9 - decimals; e <= 19; ++e) {
            const long double kept = std::pow(10.0L, e - 8);
            for (int64_t n = 0; n < (1 << 12); n += kStride) {
                ASSERT_TRUE(aroundHalf((10000000 + n + 0.5L) * kept, n % 2 != 0));
                ASSERT_TRUE(aroundHalf((99999999 - n + 0.5L) * kept, n % 2 != 0));
            }
        }
    }
}

// The value computed without the text is what the 18-digit route's text reads back as, and the
// text written from the direct digits is that text.
TEST_F(NumberTextTest, NormalizedFloatIsTheFixedTextsValue) {
    std::vector<float> values = {0.35f, 0.25f, -0.05f, 2.5f, 1e8f, 123456789.0f, 1e-45f, -0.0f};
    std::mt19937 random(11);
    for (int i = 0; i < 5000; ++i) {
        values.push_back(std::bit_cast<float>(static_cast<uint32_t>(random())));
    }
    for (const char16_t separator : {u'.', u',', u'E'}) {
        UserNotation.DecimalSeparator = separator;
        for (const int32_t decimals : {0, 1, 4, -3, 8, 30}) {
            for (const float f : values) {
                const std::u16string fixed = FormatFixed(f, 8, decimals, UserNotation);
                const auto trace = [&] { return U8(fixed) + " with " + std::to_string(decimals); };
                long double expected = 0;
                const bool readsBack = TextToNumber(fixed, expected, UserNotation);
                long double value = 0;
                ASSERT_EQ(NormalizedNumber(f, decimals, value), readsBack) << trace();
                if (readsBack) {
                    ASSERT_TRUE(std::isnan(expected) ? std::isnan(value) : value == expected)
                        << trace();
                    ASSERT_EQ(std::signbit(value), std::signbit(expected)) << trace();
                }
                if (!std::isnan(f)) {
                    ASSERT_TRUE(NormalizeNumberText(FormatGeneral(f, UserNotation), decimals) ==
                                fixed)
                        << trace();
                }
            }
        }
    }
}

// A normalized text normalized again, as table cells are, gives what its value normalized again
// gives: that text reads back first in the user notation.
TEST_F(NumberTextTest, NormalizingTwiceNeedsNoText) {
    std::vector<std::string> texts = {"31.5", "2,5", "-0.05", "99999999.5", "1e39", "nan", "-0"};
    std::mt19937 random(12);
    for (int i = 0; i < 5000; ++i) {
        const float f = std::bit_cast<float>(static_cast<uint32_t>(random()));
        texts.push_back(U8(FormatGeneral(f, NumberNotation{i % 2 == 0 ? u'.' : u','})));
    }
    for (const char16_t separator : {u'.', u','}) {
        UserNotation.DecimalSeparator = separator;
        for (const int32_t decimals : {0, 1}) {
            for (const std::string& text : texts) {
                long double first = 0;
                ASSERT_TRUE(NormalizedNumber(U16(text), decimals, first)) << text;
                long double again = 0;
                long double direct = 0;
                ASSERT_EQ(NormalizedNumber(NormalizeNumberText(U16(text), decimals), 1, again),
                          NormalizedNumber(static_cast<float>(first), 1, direct))
                    << text;
                ASSERT_TRUE(std::isnan(again) ? std::isnan(direct) : again == direct) << text;
                ASSERT_EQ(std::signbit(again), std::signbit(direct)) << text;
            }
        }
    }
}

// Every digit counts, however long the text: these sit at, just above and just below the
// midpoint between 1 and the next extended value.
TEST_F(NumberTextTest, LongDigitStringsRoundExactly) {
    const std::string midpoint =
        "1.0000000000000000000542101086242752217003726400434970855712890625";
    const std::string far(6000, '0');
    const long double next = std::nextafter(1.0L, 2.0L);
    const NumberNotation dot;

    EXPECT_EQ(TextToNumber(U16(midpoint), dot), 1.0L); // ties to even
    EXPECT_EQ(TextToNumber(U16(midpoint + far + "1"), dot), next);
    std::string below = midpoint;
    below.back() = '4';
    EXPECT_EQ(TextToNumber(U16(below + std::string(6000, '9')), dot), 1.0L);

    EXPECT_EQ(TextToNumber(U16("0." + far + "1e4999"), dot), 1e-1002L);
    EXPECT_EQ(TextToNumber(U16("1" + far + "e-4999"), dot), 1e1001L);
}

TEST_F(NumberTextTest, RaisingFormNamesTheWholeText) {
    EXPECT_EQ(TextToNumber(u" -3,25 ", NumberNotation{u','}), -3.25L);
    try {
        TextToNumber(u" 12 Hz\u00B0", NumberNotation{});
        FAIL() << "no error raised";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "' 12 Hz\xC2\xB0' is not a valid floating point value");
    }
    EXPECT_THROW(TextToNumber(u"ERROR", NumberNotation{}), std::runtime_error);
}

// The window toolkit switches the C locale to the user's; reading must not follow it.
TEST_F(NumberTextTest, ReadingIgnoresTheCLocale) {
#ifdef _WIN32
    const char* const german = "German_Germany.1252";
#else
    const char* const german = "de_DE.UTF-8";
#endif
    if (std::setlocale(LC_NUMERIC, german) == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    long double dot = 0;
    long double comma = 0;
    // More digits than the direct path takes, so that the C library reads them.
    const bool dotRead = TextToNumber(u"1.50000000000000000000001", dot, NumberNotation{});
    const bool commaRead = TextToNumber(u"1,50000000000000000000001", comma, NumberNotation{u','});
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_TRUE(dotRead && commaRead);
    EXPECT_EQ(dot, 1.5L);
    EXPECT_EQ(comma, 1.5L);
}

struct GeneralCase {
    long double value;
    const char* text;
};

TEST_F(NumberTextTest, GeneralFormat) {
    const GeneralCase cases[] = {
        {1000, "1000"},
        {0.5, "0.5"},
        {-2.25f, "-2.25"},
        {std::ldexp(1.0L, -13), "0.0001220703125"},
        {std::ldexp(1.0L, -14), "6.103515625E-5"},
        {std::ldexp(1.0L, 49), "562949953421312"},
        {std::ldexp(1.0L, 50), "1.12589990684262E15"},
        {0.1f, "0.100000001490116"},
        {-0.3f, "-0.300000011920929"},
        {0.99999999999999999L, "1"},
        {std::numeric_limits<float>::denorm_min(), "1.40129846432482E-45"},
        {std::numeric_limits<float>::max(), "3.40282346638529E38"},
        {std::numeric_limits<long double>::max(), "1.18973149535723E4932"},
        {-0.0L, "0"},
        {kNaN, "NAN"},
        {-kNaN, "NAN"},
        {kInf, "INF"},
        {-kInf, "-INF"},
    };
    for (const GeneralCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(U8(FormatGeneral(c.value, NumberNotation{})), c.text);
        EXPECT_EQ(U8(FormatGeneral(c.value, NumberNotation{u','})), WithSeparator(c.text, ','));
    }
}

struct FixedCase {
    long double value;
    int precision;
    int decimals;
    const char* text;
};

TEST_F(NumberTextTest, FixedFormat) {
    const FixedCase cases[] = {
        {1234567, 6, 1, "1.23457E6"},
        {123456.7f, 5, 2, "1.2346E05"},
        {999999.96f, 6, 1, "1E6"}, // the carry makes seven integer digits
        {1e9, 8, 5, "1E9"},        // more than four decimals: one exponent digit at least
        {1e-9, 8, 3, "0.000"},     // k < 0
        {0.0004, 8, 3, "0.000"},   // k = 0, first digit below 5
        {0.0006, 8, 3, "0.001"},   // k = 0, first digit 5 or more
        {-0.0006, 8, 3, "-0.001"},
        {0.000123, 8, 6, "0.000123"},
        {1.5, 8, 0, "2"},
        {20, 8, 2, "20.00"},
        {123456789, 1, 0, "1.2E8"},                              // precision 1 counts as 2
        {std::ldexp(1.0L, -20), 30, 30, "0.000000953674316406"}, // both limited to 18
        {1.0L / 3, 18, 18, "0.333333333333333333"},
        {1e-40L, 8, INT_MIN, "0"},
        {-kNaN, 8, 1, "NAN"},
        {-kInf, 8, 1, "-INF"},
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(U8(FormatFixed(c.value, c.precision, c.decimals, NumberNotation{})), c.text);
        EXPECT_EQ(U8(FormatFixed(c.value, c.precision, c.decimals, NumberNotation{u','})),
                  WithSeparator(c.text, ','));
    }
}

// Fifteen digits identify every float, so each one written in the general format reads back
// to itself; a stride through all bit patterns covers every exponent.
TEST_F(NumberTextTest, GeneralFormatReadsBackToTheSameFloat) {
    for (const char16_t separator : {u'.', u','}) {
        const NumberNotation notation{separator};
        for (uint64_t bits = 0; bits <= UINT32_MAX; bits += 65521) {
            const float f = std::bit_cast<float>(static_cast<uint32_t>(bits));
            if (std::isnan(f)) {
                continue;
            }
            const std::u16string text = FormatGeneral(f, notation);
            long double value = 0;
            ASSERT_TRUE(TextToNumber(text, value, notation)) << U8(text);
            ASSERT_EQ(static_cast<float>(value), f) << U8(text);
        }
    }
}

} // namespace
