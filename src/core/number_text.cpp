#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif

#include "editor_errors.h"
#include "text_utf.h"

NumberNotation UserNotation;

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

void SkipSpaces(std::u16string_view text, std::size_t& i) {
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
}

// ASCII letters only: a word in another script must never pass for "INF".
bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view upperWord) {
    if (text.size() != upperWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i] >= u'a' && text[i] <= u'z' ? text[i] - (u'a' - u'A') : text[i];
        if (c != upperWord[i]) {
            return false;
        }
    }
    return true;
}

// strtold follows the C locale, which the window toolkit switches to the user's; the texts built
// here always use '.'.
long double AsciiToLongDouble(const std::string& ascii) {
#ifdef _WIN32
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    return _strtold_l(ascii.c_str(), nullptr, cLocale);
#else
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtold_l(ascii.c_str(), nullptr, cLocale);
#endif
}

// What the syntax check learns of a number on the way: enough to compute most values directly.
struct ScannedNumber {
    uint64_t mantissa = 0;     // the first significant digits, at most 19 of them
    int mantissaScale = 0;     // digits after the separator that went into `mantissa`
    bool mantissaExact = true; // false once a significant digit did not fit
    int exponent = 0;          // the written exponent
    bool negative = false;
    std::size_t separatorAt = std::u16string_view::npos;
    std::size_t end = 0; // where the number ends, before any trailing spaces
};

// Checks the number syntax from `i` on: "[+-]digits[sep digits][(E|e)[+-]digits]" with at least
// one mantissa digit, then only spaces. False for anything else, the special words too.
bool ScanNumber(std::u16string_view text, std::size_t i, char16_t separator,
                ScannedNumber& number) {
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        number.negative = text[i] == u'-';
        ++i;
    }
    std::size_t mantissaDigits = 0;
    int significant = 0;
    auto scanDigits = [&](bool fraction) {
        for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits) {
            const int digit = text[i] - u'0';
            if (significant == 0 && digit == 0) {
                number.mantissaScale += fraction ? 1 : 0;
            } else if (significant < 19) {
                number.mantissa = number.mantissa * 10 + static_cast<uint64_t>(digit);
                number.mantissaScale += fraction ? 1 : 0;
                ++significant;
            } else if (digit != 0 || !fraction) {
                number.mantissaExact = false;
            }
        }
    };
    scanDigits(false);
    if (i < text.size() && text[i] == separator) {
        number.separatorAt = i++;
        scanDigits(true);
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        if (i >= text.size() || !IsDigit(text[i])) {
            return false;
        }
        // Reading stops once the exponent reaches 500, so it never grows beyond 4999 and any
        // digit left behind makes the text fail below.
        int magnitude = 0;
        for (; i < text.size() && IsDigit(text[i]) && magnitude < 500; ++i) {
            magnitude = magnitude * 10 + (text[i] - u'0');
        }
        number.exponent = negativeExponent ? -magnitude : magnitude;
    }
    number.end = i;
    SkipSpaces(text, i);
    return i == text.size();
}

// The scanned number from `start` on for the C library: only the separator differs from what
// strtold reads, the rest being ASCII digits, signs and exponent letters.
std::string AsciiNumber(std::u16string_view text, std::size_t start, const ScannedNumber& number) {
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
    static constexpr auto kPowers = [] {
        std::array<long double, kExactPowers + 1> powers{};
        long double power = 1;
        for (long double& p : powers) {
            p = power;
            power *= 10;
        }
        return powers;
    }();
    if (mantissa > kExactMantissa || scale > kExactPowers || scale < -kExactPowers) {
        return false;
    }
    const auto exact = static_cast<long double>(mantissa);
    const long double magnitude = scale >= 0 ? exact * kPowers[static_cast<std::size_t>(scale)]
                                             : exact / kPowers[static_cast<std::size_t>(-scale)];
    value = negative ? -magnitude : magnitude;
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

// A finite value as significant digits D1..Dcount (no trailing zeros) and exponent e, the value
// being 0.D1D2... * 10^e. count == 0 means zero.
struct Digits {
    char digit[18] = {};
    int count = 0;
    int exponent = 0;
    bool negative = false;
};

// The 18-digit decimal form of the value, rounded half away from zero to
// k = min(e + decimals, precision) digits.
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

} // namespace

bool TextToNumber(std::u16string_view text, long double& value, const NumberNotation& notation) {
    std::size_t start = 0;
    SkipSpaces(text, start);
    ScannedNumber number;
    if (ScanNumber(text, start, notation.DecimalSeparator, number)) {
        if (number.mantissaExact &&
            ExactValue(number.mantissa, number.exponent - number.mantissaScale, number.negative,
                       value)) {
            return true;
        }
        const long double read = AsciiToLongDouble(AsciiNumber(text, start, number));
        if (std::isinf(read)) {
            return false; // beyond the extended range; no special word can follow
        }
        value = read;
        return true;
    }
    const std::u16string_view word = text.substr(start);
    if (EqualsIgnoringCase(word, u"NAN")) {
        value = std::numeric_limits<long double>::quiet_NaN();
    } else if (EqualsIgnoringCase(word, u"INF") || EqualsIgnoringCase(word, u"+INF")) {
        value = std::numeric_limits<long double>::infinity();
    } else if (EqualsIgnoringCase(word, u"-INF")) {
        value = -std::numeric_limits<long double>::infinity();
    } else {
        return false;
    }
    return true;
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
    const Digits r = RoundedDigits(value, precision, decimals);
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
bool ReadAnyNotation(std::u16string_view text, float& value) {
    long double read = 0;
    // The named notations are built only when their turn comes: on Windows each is a locale query.
    if (TextToNumber(text, read, UserNotation) || TextToNumber(text, read, GermanNotation()) ||
        TextToNumber(text, read, UsNotation())) {
        // The cast rounds to nearest, ties to even; beyond the float range it gives infinity.
        value = static_cast<float>(read);
        return true;
    }
    return false;
}

} // namespace

std::u16string NormalizeNumberText(std::u16string_view text, int32_t decimals) {
    float value = 0;
    return ReadAnyNotation(text, value) ? FormatFixed(value, 8, decimals, UserNotation) : u"ERROR";
}

bool NormalizedNumber(std::u16string_view text, int32_t decimals, long double& value) {
    float read = 0;
    if (!ReadAnyNotation(text, read)) {
        return false;
    }
    if (std::isnan(read)) {
        value = std::numeric_limits<long double>::quiet_NaN(); // written and read as "NAN"
        return true;
    }
    // The written text stands for exactly the rounded digits, unless a separator that is also
    // part of the number syntax makes it read as something else.
    const char16_t separator = UserNotation.DecimalSeparator;
    const bool plainSeparator = !IsDigit(separator) && separator != u'E' && separator != u'e' &&
                                separator != u'+' && separator != u'-' && separator != u' ';
    if (plainSeparator && !std::isinf(read)) {
        const Digits r = RoundedDigits(read, 8, std::min(decimals, 18));
        uint64_t mantissa = 0;
        for (int j = 0; j < r.count; ++j) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(r.digit[j] - '0');
        }
        if (ExactValue(mantissa, r.exponent - r.count, r.negative, value)) {
            return true;
        }
    }
    return TextToNumber(FormatFixed(read, 8, decimals, UserNotation), value, UserNotation);
}
