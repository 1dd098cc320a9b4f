#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // MinGW's C++ headers define it already
#endif
#include <windows.h>
#endif

#include "decimal_rounding.h"
#include "editor_errors.h"
#include "text_utf.h"

NumberNotation UserNotation;

namespace {

// Reading works on UTF-16 texts and, for the import's fields, on ASCII bytes alike: Char is
// char16_t or char.
template <typename Char> bool IsDigit(Char c) {
    return c >= '0' && c <= '9';
}

template <typename Char> void SkipSpaces(std::basic_string_view<Char> text, std::size_t& i) {
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
}

// strtold follows the C locale, which the window toolkit switches to the user's; the texts built
// here always use '.'.
long double AsciiToLongDouble(const std::string& ascii) {
#ifdef _WIN32
    // The C runtime has no strtold_l: the separator becomes the one its current locale reads.
    std::string text = ascii;
    if (const std::size_t at = text.find('.'); at != std::string::npos) {
        text[at] = *localeconv()->decimal_point;
    }
    return std::strtold(text.c_str(), nullptr);
#else
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtold_l(ascii.c_str(), nullptr, cLocale);
#endif
}

// What the syntax check learns of a number on the way: enough to compute most values directly.
struct ScannedNumber {
    uint64_t mantissa = 0;     // the first significant digits, at most 19 of them
    int significant = 0;       // how many went into `mantissa`
    int mantissaScale = 0;     // digits after the separator that went into `mantissa`
    bool mantissaExact = true; // false once a significant digit did not fit
    std::size_t mantissaDigits = 0;
    int exponent = 0; // the written exponent
    bool negative = false;
    std::size_t separatorAt = std::u16string_view::npos;
    std::size_t end = 0; // where the number ends, before any trailing spaces
};

template <typename Char>
void ScanDigits(std::basic_string_view<Char> text, std::size_t& i, bool fraction,
                ScannedNumber& number) {
    for (; i < text.size() && IsDigit(text[i]); ++i, ++number.mantissaDigits) {
        const int digit = text[i] - '0';
        if (number.significant == 0 && digit == 0) {
            number.mantissaScale += fraction ? 1 : 0;
        } else if (number.significant < 19) {
            number.mantissa = number.mantissa * 10 + static_cast<uint64_t>(digit);
            number.mantissaScale += fraction ? 1 : 0;
            ++number.significant;
        } else if (digit != 0 || !fraction) {
            number.mantissaExact = false;
        }
    }
}

// The sign and the integer digits from `i` on; answers where they end. No notation plays a part
// up to there.
template <typename Char>
std::size_t ScanIntegerPart(std::basic_string_view<Char> text, std::size_t i,
                            ScannedNumber& number) {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    ScanDigits(text, i, false, number);
    return i;
}

// The rest of the number syntax from `i`, where the integer part ended:
// "[sep digits][(E|e)[+-]digits]" with at least one mantissa digit in all, then only spaces.
// False for anything else, the special words too. `separator`: whether the character at `i` is
// the notation's separator, which is all the notation decides.
template <typename Char>
bool ScanRest(std::basic_string_view<Char> text, std::size_t i, bool separator,
              ScannedNumber& number) {
    if (separator) {
        number.separatorAt = i++;
        ScanDigits(text, i, true, number);
    }
    if (number.mantissaDigits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        if (i >= text.size() || !IsDigit(text[i])) {
            return false;
        }
        // Reading stops once the exponent reaches 500, so it never grows beyond 4999 and any
        // digit left behind makes the text fail below.
        int magnitude = 0;
        for (; i < text.size() && IsDigit(text[i]) && magnitude < 500; ++i) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
        number.exponent = negativeExponent ? -magnitude : magnitude;
    }
    number.end = i;
    SkipSpaces(text, i);
    return i == text.size();
}

// The scanned number from `start` on for the C library: only the separator differs from what
// strtold reads, the rest being ASCII digits, signs and exponent letters.
template <typename Char>
std::string AsciiNumber(std::basic_string_view<Char> text, std::size_t start,
                        const ScannedNumber& number) {
    std::string ascii;
    ascii.reserve(number.end - start);
    for (std::size_t i = start; i < number.end; ++i) {
        ascii += i == number.separatorAt ? '.' : static_cast<char>(text[i]);
    }
    return ascii;
}

// Powers of ten that long double holds exactly: 10^e = 2^e * 5^e needs 5^e to fit the significand.
constexpr int kExactPowers = std::numeric_limits<long double>::digits >= 64   ? 27
                             : std::numeric_limits<long double>::digits >= 53 ? 22
                                                                              : 0;
constexpr uint64_t kExactMantissa = std::numeric_limits<long double>::digits >= 64
                                        ? std::numeric_limits<uint64_t>::max()
                                        : (uint64_t{1} << 53);

// mantissa * 10^scale when the mantissa and the power of ten are both exact: one multiplication
// or division, rounded once, is then the correctly rounded value (the fast path of Clinger's
// algorithm). False when the C library has to do it.
bool ExactValue(uint64_t mantissa, int scale, bool negative, long double& value) {
    static constexpr auto kPowers = PowersOfTen<long double, kExactPowers + 1>();
    if (mantissa > kExactMantissa || scale > kExactPowers || scale < -kExactPowers) {
        return false;
    }
    const auto exact = static_cast<long double>(mantissa);
    const long double magnitude = scale >= 0 ? exact * kPowers[static_cast<std::size_t>(scale)]
                                             : exact / kPowers[static_cast<std::size_t>(-scale)];
    value = negative ? -magnitude : magnitude;
    return true;
}

// m * 10^scale as the nearest float without long double, where that provably is the float of
// ExactValue's value: m < 2^53, scale >= -12, and m * 10^scale < 2^53 when scale > 0, an exact
// product. The quotient x = m / 10^k of two exact doubles is rounded once, by at most
// |x| * 2^-53. From a float rounding midpoint c * 2^e (c < 2^25) other than x, x lies a nonzero
// multiple of 1 / 10^k away, or of 2^e / 5^k when e <= -k (10^k holds 2^k): more than |x| * 2^-53
// as m < 2^53, and as |x| < 2^(e + 25) there and 5^k < 2^28. So the double is x or on x's side of
// every midpoint: its float is the nearest to x, as is that of any wider correctly rounded
// quotient. With 14 decimals a double can misread. False outside that range.
bool NearestFloat(uint64_t m, int scale, bool negative, float& value) {
    static constexpr auto kPowers = PowersOfTen<double, 13>();
    constexpr uint64_t kExact = uint64_t{1} << 53;
    if (scale < -12 || scale > 12 || m >= kExact) {
        return false;
    }
    double magnitude = 0;
    if (scale <= 0) {
        magnitude = static_cast<double>(m) / kPowers[static_cast<std::size_t>(-scale)];
    } else {
        magnitude = static_cast<double>(m) * kPowers[static_cast<std::size_t>(scale)];
        if (magnitude >= static_cast<double>(kExact)) {
            return false;
        }
    }
    value = static_cast<float>(negative ? -magnitude : magnitude);
    return true;
}

#ifdef _WIN32
// The separator of a named locale; the user's locale stands in when that one is not installed.
NumberNotation NamedNotation(const wchar_t* name) {
    LCID locale = LocaleNameToLCID(name, 0);
    if (locale == 0 || !IsValidLocale(locale, LCID_INSTALLED)) {
        locale = GetThreadLocale();
    }
    NumberNotation notation;
    wchar_t separator[16] = {};
    if (GetLocaleInfoW(locale, LOCALE_SDECIMAL, separator, 16) > 1) {
        notation.DecimalSeparator = static_cast<char16_t>(separator[0]);
    }
    return notation;
}
NumberNotation GermanNotation() {
    return NamedNotation(L"de-DE");
}
NumberNotation UsNotation() {
    return NamedNotation(L"en-US");
}
#else
// Without the Windows locale data the standard separators of these locales stand in.
NumberNotation GermanNotation() {
    return NumberNotation{u','};
}
NumberNotation UsNotation() {
    return NumberNotation{u'.'};
}
#endif

// NaN, +inf and -inf are written as words, whatever the format.
bool WriteSpecial(std::u16string& out, long double value) {
    if (std::isnan(value)) {
        out = u"NAN";
    } else if (std::isinf(value)) {
        out = value > 0 ? u"INF" : u"-INF";
    } else {
        return false;
    }
    return true;
}

void AppendExponentForm(std::u16string& out, const Digits& r, char16_t separator,
                        int minExponentDigits) {
    if (r.negative) {
        out += u'-';
    }
    out += static_cast<char16_t>(r.count > 0 ? r.digit[0] : '0');
    if (r.count > 1) {
        out += separator;
        out.append(r.digit + 1, r.digit + r.count);
    }
    out += u'E';
    const int exponent = r.exponent - 1;
    if (exponent < 0) {
        out += u'-';
    }
    char text[16];
    const auto end =
        std::to_chars(text, text + sizeof text, exponent < 0 ? -exponent : exponent).ptr;
    const int written = static_cast<int>(end - text);
    out.append(static_cast<std::size_t>(std::max(minExponentDigits - written, 0)), u'0');
    out.append(text, end);
}

// The first `count` digits from `from` on, '0' where no digit is retained.
void AppendDigits(std::u16string& out, const Digits& r, int from, int count) {
    for (int j = from; j < from + count; ++j) {
        out += static_cast<char16_t>(j < r.count ? r.digit[j] : '0');
    }
}

// The fixed format of rounded digits; precision and decimals already limited.
std::u16string WriteFixed(const Digits& r, int precision, int decimals,
                          const NumberNotation& notation) {
    std::u16string out;
    if (r.exponent > precision) {
        AppendExponentForm(out, r, notation.DecimalSeparator,
                           decimals >= 1 && decimals <= 4 ? decimals : 1);
        return out;
    }
    if (r.negative) {
        out += u'-';
    }
    if (r.exponent <= 0) {
        out += u'0';
    } else {
        AppendDigits(out, r, 0, r.exponent);
    }
    if (decimals > 0) {
        out += notation.DecimalSeparator;
        const int zeros = r.exponent < 0 ? std::min(-r.exponent, decimals) : 0;
        out.append(static_cast<std::size_t>(zeros), u'0');
        AppendDigits(out, r, std::max(r.exponent, 0), decimals - zeros);
    }
    return out;
}

// Reads the text in the first of `notations` notations that accepts it; separatorOf(n) gives the
// n-th one's separator and is asked only when its turn comes. Notations differ only in whether
// the character behind the integer digits is their separator, so at most two scans run.
template <typename Char, typename SeparatorOf>
bool ReadNumber(std::basic_string_view<Char> text, int notations, const SeparatorOf& separatorOf,
                long double& value) {
    std::size_t start = 0;
    SkipSpaces(text, start);
    ScannedNumber integerPart;
    const std::size_t at = ScanIntegerPart(text, start, integerPart);
    bool tried[2] = {false, false}; // by whether text[at] was the separator
    for (int n = 0; n < notations && !(tried[0] && tried[1]); ++n) {
        const bool separator = at < text.size() && text[at] == separatorOf(n);
        if (tried[separator]) {
            continue;
        }
        tried[separator] = true;
        ScannedNumber number = integerPart;
        if (!ScanRest(text, at, separator, number)) {
            continue;
        }
        if (number.mantissaExact &&
            ExactValue(number.mantissa, number.exponent - number.mantissaScale, number.negative,
                       value)) {
            return true;
        }
        const long double read = AsciiToLongDouble(AsciiNumber(text, start, number));
        if (!std::isinf(read)) { // else beyond the extended range
            value = read;
            return true;
        }
    }
    const std::basic_string_view<Char> word = text.substr(start);
    if (EqualsIgnoringAsciiCase(word, u"NAN")) {
        value = std::numeric_limits<long double>::quiet_NaN();
    } else if (EqualsIgnoringAsciiCase(word, u"INF") || EqualsIgnoringAsciiCase(word, u"+INF")) {
        value = std::numeric_limits<long double>::infinity();
    } else if (EqualsIgnoringAsciiCase(word, u"-INF")) {
        value = -std::numeric_limits<long double>::infinity();
    } else {
        return false;
    }
    return true;
}

} // namespace

bool TextToNumber(std::u16string_view text, long double& value, const NumberNotation& notation) {
    const auto separatorOf = [&notation](int) { return notation.DecimalSeparator; };
    return ReadNumber(text, 1, separatorOf, value);
}

long double TextToNumber(std::u16string_view text, const NumberNotation& notation) {
    long double value = 0;
    if (!TextToNumber(text, value, notation)) {
        throw ConvertError("'" + Utf16ToUtf8(text) + "' is not a valid floating point value");
    }
    return value;
}

std::u16string FormatFixed(long double value, int precision, int decimals,
                           const NumberNotation& notation) {
    std::u16string out;
    if (WriteSpecial(out, value)) {
        return out;
    }
    precision = std::clamp(precision, 2, 18);
    decimals = std::min(decimals, 18);
    return WriteFixed(RoundedDigits(value, precision, decimals), precision, decimals, notation);
}

std::u16string FormatGeneral(long double value, const NumberNotation& notation) {
    std::u16string out;
    if (WriteSpecial(out, value)) {
        return out;
    }
    const Digits r = RoundedDigits(value, 15, std::numeric_limits<int>::max());
    if (r.exponent > 15 || r.exponent < -3) {
        AppendExponentForm(out, r, notation.DecimalSeparator, 1);
        return out;
    }
    if (r.negative) {
        out += u'-';
    }
    if (r.exponent <= 0) {
        out += u'0';
        if (r.count > 0) {
            out += notation.DecimalSeparator;
            out.append(static_cast<std::size_t>(-r.exponent), u'0');
            AppendDigits(out, r, 0, r.count);
        }
    } else {
        AppendDigits(out, r, 0, r.exponent);
        if (r.count > r.exponent) {
            out += notation.DecimalSeparator;
            AppendDigits(out, r, r.exponent, r.count - r.exponent);
        }
    }
    return out;
}

namespace {

// The text as the nearest float, or false when no notation reads it.
template <typename Char> bool ReadAnyNotation(std::basic_string_view<Char> text, float& value) {
    long double read = 0;
    // The named notations are built only when their turn comes: on Windows each is a locale query.
    const auto separatorOf = [](int n) {
        return n == 0   ? UserNotation.DecimalSeparator
               : n == 1 ? GermanNotation().DecimalSeparator
                        : UsNotation().DecimalSeparator;
    };
    if (ReadNumber(text, 3, separatorOf, read)) {
        // The cast rounds to nearest, ties to even; beyond the float range it gives infinity.
        value = static_cast<float>(read);
        return true;
    }
    return false;
}

// A field as nearly all files write it: an optional sign, then at most 19 digits with at most one
// '.' or ',' among them. ReadNumber finds the same number, mantissa * 10^-decimals, in each
// notation whose separator that character is, and none in any other. False leaves the text to
// ReadAnyNotation.
struct PlainNumber {
    uint64_t mantissa = 0;
    int decimals = 0;
    bool negative = false;
};

bool ScanPlainNumber(std::string_view text, PlainNumber& number) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) {
        ++p;
    }
    const char* const first = p;
    const char* separator = nullptr;
    uint64_t mantissa = 0; // wraps beyond 19 digits, which are refused below
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit < 10) {
            mantissa = mantissa * 10 + digit;
        } else if ((*p == '.' || *p == ',') && separator == nullptr) {
            separator = p;
        } else {
            return false;
        }
    }
    const std::ptrdiff_t digits = end - first - (separator == nullptr ? 0 : 1);
    if (digits == 0 || digits > 19) {
        return false;
    }
    if (separator != nullptr) {
        const char16_t c = static_cast<char16_t>(*separator);
        if (c != UserNotation.DecimalSeparator && c != GermanNotation().DecimalSeparator &&
            c != UsNotation().DecimalSeparator) {
            return false;
        }
    }
    number.mantissa = mantissa;
    number.decimals = separator == nullptr ? 0 : static_cast<int>(end - separator - 1);
    number.negative = negative;
    return true;
}

// Whether the text FormatFixed writes in the user notation reads back as its digits: a separator
// that is also part of the number syntax can make it read as another value.
bool PlainSeparator() {
    const char16_t separator = UserNotation.DecimalSeparator;
    return !IsDigit(separator) && separator != u'E' && separator != u'e' && separator != u'+' &&
           separator != u'-' && separator != u' ';
}

// The normalized value of a plain number x = m / 10^k straight from its digits, where they round
// as those of its nearest float do. That float lies within |x| * 2^-24 of x, its 18-digit form,
// which the writing rounds, within |x| * (2^-24 + 10^-16). For k <= decimals, x lies on the grid
// of the last retained decimal, 10^-decimals / 2 from every half of it: farther than the form
// when m * 10^(decimals - k) < 2^23. For k > decimals, a half other than x lies at least 10^-k
// from x: farther than the form when m < 2^24. An exact half depends on the float. Such values
// have fewer than 8 integer digits, so the decimals alone decide the digits kept.
bool RoundPlainNumber(const PlainNumber& number, int32_t decimals, float& value) {
    static constexpr auto kPowers = PowersOfTen<uint64_t, 20>();
    if (decimals < 0 || decimals > 12 || !PlainSeparator()) {
        return false;
    }
    uint64_t m = number.mantissa;
    int k = number.decimals;
    for (; k > 0 && m % 10 == 0; --k) {
        m /= 10;
    }
    if (m >= uint64_t{1} << 24) {
        return false;
    }
    uint64_t rounded = 0;
    if (k <= decimals) {
        rounded = m * kPowers[static_cast<std::size_t>(decimals - k)];
        if (rounded >= uint64_t{1} << 23) {
            return false;
        }
    } else {
        const uint64_t unit = kPowers[static_cast<std::size_t>(k - decimals)];
        const uint64_t rest = m % unit;
        if (2 * rest == unit) {
            return false;
        }
        rounded = m / unit + (2 * rest > unit ? 1 : 0);
    }
    return NearestFloat(rounded, -decimals, number.negative && rounded != 0, value);
}

// The digits FormatFixed(value, 8, decimals, UserNotation) writes for a value that is not NaN,
// where its text reads back as exactly them; false where only reading the text tells.
bool WrittenDigits(float value, int32_t decimals, DecimalNumber& rounded) {
    if (!PlainSeparator() || std::isinf(value)) {
        return false;
    }
    if (!RoundFloatDirectly(value, decimals, rounded)) {
        const Digits r = RoundedDigits(value, 8, std::min(decimals, 18));
        rounded.digits = 0;
        for (int j = 0; j < r.count; ++j) {
            rounded.digits = rounded.digits * 10 + static_cast<uint64_t>(r.digit[j] - '0');
        }
        rounded.exponent = r.exponent - r.count;
        rounded.negative = r.negative;
    }
    return true;
}

// The digits of a directly rounded float; at most nine, by RoundFloatDirectly's bound.
Digits ToDigits(const DecimalNumber& number) {
    Digits r;
    if (number.digits == 0) {
        return r;
    }
    char text[20];
    int count = static_cast<int>(std::to_chars(text, text + sizeof text, number.digits).ptr - text);
    r.exponent = count + number.exponent;
    while (text[count - 1] == '0') {
        --count;
    }
    std::copy(text, text + count, r.digit);
    r.count = count;
    r.negative = number.negative;
    return r;
}

} // namespace

std::u16string NormalizeNumberText(std::u16string_view text, int32_t decimals) {
    float value = 0;
    if (!ReadAnyNotation(text, value)) {
        return u"ERROR";
    }
    // Negative decimals can leave a zero in exponent form, which the 18-digit route writes.
    DecimalNumber rounded;
    if (decimals >= 0 && RoundFloatDirectly(value, decimals, rounded)) {
        return WriteFixed(ToDigits(rounded), 8, std::min(decimals, 18), UserNotation);
    }
    return FormatFixed(value, 8, decimals, UserNotation);
}

bool NormalizedNumber(std::u16string_view text, int32_t decimals, long double& value) {
    float read = 0;
    return ReadAnyNotation(text, read) && NormalizedNumber(read, decimals, value);
}

bool NormalizedNumber(std::string_view asciiText, int32_t decimals, long double& value) {
    float read = 0;
    return ReadAnyNotation(asciiText, read) && NormalizedNumber(read, decimals, value);
}

bool NormalizedNumber(float value, int32_t decimals, long double& result) {
    if (std::isnan(value)) {
        result = std::numeric_limits<long double>::quiet_NaN(); // written and read as "NAN"
        return true;
    }
    DecimalNumber rounded;
    if (WrittenDigits(value, decimals, rounded) &&
        ExactValue(rounded.digits, rounded.exponent, rounded.negative, result)) {
        return true;
    }
    return TextToNumber(FormatFixed(value, 8, decimals, UserNotation), result, UserNotation);
}

bool NormalizedFloat(std::string_view asciiText, int32_t decimals, float& value) {
    PlainNumber plain;
    float read = 0;
    if (ScanPlainNumber(asciiText, plain)) {
        if (RoundPlainNumber(plain, decimals, value)) {
            return true;
        }
        if (NearestFloat(plain.mantissa, -plain.decimals, plain.negative, read)) {
            return NormalizedFloat(read, decimals, value);
        }
    }
    return ReadAnyNotation(asciiText, read) && NormalizedFloat(read, decimals, value);
}

bool NormalizedFloat(float value, int32_t decimals, float& result) {
    DecimalNumber rounded;
    if (!std::isnan(value) && WrittenDigits(value, decimals, rounded) &&
        NearestFloat(rounded.digits, rounded.exponent, rounded.negative, result)) {
        return true;
    }
    long double normalized = 0;
    if (!NormalizedNumber(value, decimals, normalized)) {
        return false;
    }
    result = static_cast<float>(normalized);
    return true;
}

std::size_t SeparatorToChange(std::u16string_view text, const NumberNotation& from) {
    const std::size_t at = text.find(from.DecimalSeparator);
    long double value = 0;
    return at != std::u16string_view::npos && TextToNumber(text, value, from)
               ? at
               : std::u16string_view::npos;
}

std::u16string DecimalText(std::size_t Value) {
    const std::string digits = std::to_string(Value);
    return std::u16string(digits.begin(), digits.end());
}
