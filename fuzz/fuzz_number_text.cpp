// Arbitrary UTF-16 through reading and writing of number texts in both notations. Input: one
// byte for the decimals, then UTF-16LE code units.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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

    std::u16string dotResult;
    for (const char16_t separator : {u'.', u','}) {
        const NumberNotation notation{separator};
        UserNotation = notation;
        const std::u16string normalized = NormalizeNumberText(text, decimals);
        long double readBack = 0;
        Require(normalized == u"ERROR" || TextToNumber(normalized, readBack, notation));
        // The value computed without the text is the one the text reads back as.
        long double direct = 0;
        Require(NormalizedNumber(text, decimals, direct) == (normalized != u"ERROR"));
        Require(normalized == u"ERROR" ||
                (std::isnan(readBack)
                     ? std::isnan(direct)
                     : direct == readBack && std::signbit(direct) == std::signbit(readBack)));
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
