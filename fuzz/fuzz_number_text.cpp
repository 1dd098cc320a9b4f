// Arbitrary UTF-16 through reading and writing of number texts in both notations, the direct
// rounding against the 18-digit route, and the float route of the imports against the value route.
// Input: one byte for the decimals, then UTF-16LE code units, whose first two also stand for a
// float's bits.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "decimal_rounding.h"
#include "editor_errors.h"
#include "number_text.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::u16string WithSeparator(std::u16string text, char16_t separator) {
    for (char16_t& c : text) {
        if (c == u'.') {
            c = separator;
        }
    }
    return text;
}

bool Reads(std::u16string_view text, const NumberNotation& notation) {
    long double value = 0;
    return TextToNumber(text, value, notation);
}

bool SameValue(long double a, long double b) {
    return std::isnan(a) ? std::isnan(b) : a == b && std::signbit(a) == std::signbit(b);
}

bool SameFloat(float a, float b) {
    return std::isnan(a) ? std::isnan(b) : std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// The text read in the user's, then the German, then the US notation, rounded to a float.
bool ReadInTurn(std::u16string_view text, float& value) {
    long double read = 0;
    if (TextToNumber(text, read, UserNotation) || TextToNumber(text, read, NumberNotation{u','}) ||
        TextToNumber(text, read, NumberNotation{u'.'})) {
        value = static_cast<float>(read);
        return true;
    }
    return false;
}

// Where the direct rounding decides, it gives the 18-digit route's digits and exponent.
void RequireDirectRoundingAgrees(float value, int32_t decimals) {
    DecimalNumber direct;
    if (!RoundFloatDirectly(value, decimals, direct)) {
        return;
    }
    const Digits r = RoundedDigits(value, 8, std::min(decimals, 18));
    DecimalNumber exact;
    for (int j = 0; j < r.count; ++j) {
        exact.digits = exact.digits * 10 + static_cast<uint64_t>(r.digit[j] - '0');
    }
    exact.exponent = r.count == 0 ? 0 : r.exponent - r.count;
    while (direct.digits != 0 && direct.digits % 10 == 0) {
        direct.digits /= 10;
        ++direct.exponent;
    }
    Require(direct.digits == exact.digits && direct.exponent == exact.exponent &&
            direct.negative == r.negative);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // Mostly small decimals, negative and beyond the limit included; the extremes stand for
    // the int32 ends.
    const auto small = static_cast<int8_t>(data[0]);
    const int32_t decimals = small == INT8_MIN ? INT32_MIN : small == INT8_MAX ? INT32_MAX : small;
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2) {
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    }

    if (text.size() >= 2) {
        const uint32_t bits = text[0] | static_cast<uint32_t>(text[1]) << 16;
        RequireDirectRoundingAgrees(std::bit_cast<float>(bits), decimals);
    }

    std::u16string dotResult;
    for (const char16_t separator : {u'.', u','}) {
        const NumberNotation notation{separator};
        UserNotation = notation;
        const std::u16string normalized = NormalizeNumberText(text, decimals);
        // Against the 18-digit route: the text read in turn, written by FormatFixed, read back.
        float inTurn = 0;
        Require(ReadInTurn(text, inTurn) == (normalized != u"ERROR"));
        if (normalized != u"ERROR") {
            RequireDirectRoundingAgrees(inTurn, decimals);
            const std::u16string reference = FormatFixed(inTurn, 8, decimals, notation);
            Require(normalized == reference);
            long double referenceValue = 0;
            const bool referenceReads = TextToNumber(reference, referenceValue, notation);
            long double value = 0;
            Require(NormalizedNumber(inTurn, decimals, value) == referenceReads);
            Require(!referenceReads || SameValue(value, referenceValue));
            if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
                const std::string ascii(text.begin(), text.end());
                long double asciiValue = 0;
                Require(NormalizedNumber(ascii, decimals, asciiValue) == referenceReads);
                Require(!referenceReads || SameValue(asciiValue, referenceValue));
            }
        }
        long double readBack = 0;
        Require(normalized == u"ERROR" || TextToNumber(normalized, readBack, notation));
        // The value computed without the text is the one the text reads back as.
        long double direct = 0;
        Require(NormalizedNumber(text, decimals, direct) == (normalized != u"ERROR"));
        Require(normalized == u"ERROR" ||
                (std::isnan(readBack)
                     ? std::isnan(direct)
                     : direct == readBack && std::signbit(direct) == std::signbit(readBack)));
        // The float route of the text imports gives the float of the value route, bit for bit.
        if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
            float viaFloat = 0;
            const bool floatRead =
                NormalizedFloat(std::string(text.begin(), text.end()), decimals, viaFloat);
            Require(floatRead == (normalized != u"ERROR"));
            Require(!floatRead || SameFloat(viaFloat, static_cast<float>(direct)));
        }
        // A text reads the same in every notation that accepts it, so only the separator
        // written may differ between users.
        if (separator == u'.') {
            dotResult = normalized;
        } else {
            Require(normalized == WithSeparator(dotResult, separator));
        }

        long double value = 0;
        const bool read = TextToNumber(text, value, notation);
        bool raised = false;
        try {
            TextToNumber(text, notation);
        } catch (const ConvertError&) {
            raised = true;
        }
        Require(read != raised);
        if (read) {
            Require(Reads(FormatGeneral(value, notation), notation));
            // Only rounding up at the very top of the extended range can write an unreadable text.
            Require(std::fabs(value) > 1e4900L ||
                    Reads(FormatFixed(value, small, decimals, notation), notation));
        }
    }
    UserNotation = NumberNotation{};
    return 0;
}
