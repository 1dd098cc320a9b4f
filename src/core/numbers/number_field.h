#pragma once
// Number fields of text files read as the user notation writes them, the way every text import
// reads them.

#include <cstdint>
#include <string_view>

#include "number_text.h"

// The field as the rounded float that the user notation writes with `decimals` decimals; false
// for a field that no notation reads. Bytes below 80h are ASCII in every encoding a file may be
// in, so only other fields go through `decode`, which gives their UTF-16 text.
template <typename Decode>
bool ReadNumberField(std::string_view field, int32_t decimals, const Decode& decode, float& value) {
    // One or over all bytes, which the compiler does many at a time, rather than a test per byte.
    unsigned char bits = 0;
    for (const char c : field) {
        bits |= static_cast<unsigned char>(c);
    }
    if (bits < 0x80) {
        return NormalizedFloat(field, decimals, value);
    }
    long double normalized = 0;
    const bool read = NormalizedNumber(decode(field), decimals, normalized);
    value = static_cast<float>(normalized);
    return read;
}
