#pragma once
// The numbers folder: number texts and the decimal rounding behind them. It may use base.
//
// Number texts: reading in the user's, the German or the US notation, and the fixed and general
// formats the editor writes. Every number that goes from text to a value or back passes here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct NumberNotation {
    char16_t DecimalSeparator = u'.';
};

// The user's notation, process-wide. The shell sets it from the system locale; tests set it
// directly.
extern NumberNotation UserNotation;

// Reads a number text; false when the text is not a number in that notation, `value` then
// unchanged. A magnitude beyond the long double range fails; one too small for it reads as 0.
bool TextToNumber(std::u16string_view text, long double& value, const NumberNotation& notation);

// Raising form: throws ConvertError "'<text>' is not a valid floating point value".
long double TextToNumber(std::u16string_view text, const NumberNotation& notation);

// Where a text that reads as a number in notation `from` has its decimal separator, or npos when
// it has none or does not read: a change of the user's notation replaces that one character.
std::size_t SeparatorToChange(std::u16string_view text, const NumberNotation& from);

// A count in decimal digits, as the table's first column and messages show it.
std::u16string DecimalText(std::size_t Value);

// precision: significant digits (2..18); decimals: digits after the separator (at most 18).
std::u16string FormatFixed(long double value, int precision, int decimals,
                           const NumberNotation& notation);

// At most 15 significant digits, exponent form outside 1E-4 .. 1E15.
std::u16string FormatGeneral(long double value, const NumberNotation& notation);

// The text as a 32-bit float with `decimals` decimals in the user notation, or "ERROR".
std::u16string NormalizeNumberText(std::u16string_view text, int32_t decimals);

// The value NormalizeNumberText's text reads back as in the user notation, computed without
// writing the text; false where that text is "ERROR" or does not read back.
bool NormalizedNumber(std::u16string_view text, int32_t decimals, long double& value);

// The same for a text of ASCII characters (codes below 80h), read as the UTF-16 text of those
// codes.
bool NormalizedNumber(std::string_view asciiText, int32_t decimals, long double& value);

// The value that FormatFixed(value, 8, decimals, UserNotation) reads back as in the user
// notation, computed without writing the text; false where that text does not read back.
bool NormalizedNumber(float value, int32_t decimals, long double& result);

// NormalizedNumber's value as a float, for a text of ASCII characters and for a float: the same
// float and the same answer, most often without long double arithmetic. `value` or `result` is
// unchanged on false.
bool NormalizedFloat(std::string_view asciiText, int32_t decimals, float& value);
bool NormalizedFloat(float value, int32_t decimals, float& result);
