#pragma once
// The formats folder: readers and writers of other files (ASCII import, measurement import and
// its preview, reference curves, export). It may use base, numbers, profile, table, chart and
// curves.
//
// The import of ASCII column files (frequency and gain per line); the point series record it
// fills is in point_series.h.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "number_text.h"
#include "point_series.h"

// ASCII profile files: one point per line, "frequency<delimiter>gain[<delimiter>anything]", with
// any number of header lines around them. Bytes are read in the system's ANSI code page
// (Windows-1252 where the system has none). A line ends at LF or CR LF, every other CR is dropped,
// a byte 1Ah ends the file, and an empty file is one empty line.
// Each routine opens and closes the file within the call.

// TAB, ':', ';' or space, whichever comes first in that order in line 3 (line 2 when the file has
// at most three lines); '-' when that line has none of them, the file has a single line, or the
// path does not name a readable regular file of at most 259 characters. Raises FileError when
// reading fails while the lines are counted.
char16_t DetectDelimiter(const std::filesystem::path& FileName);

// Reads the data lines (those starting with a digit '0'..'9') into DatenXYZ[0] (frequency, one
// decimal) and DatenXYZ[1] (gain, four decimals), in file order. Numbers may be in the user's, the
// German or the US notation. Header receives the last other line, or stays empty.
// On success with at least one data line both arrays hold exactly the imported points; without
// any data line they keep what they held. False when the file cannot be read, a data line lacks
// its second field, or a field is no number; Series is then left exactly as it was.
bool ImportAsciiProfile(const std::filesystem::path& FileName, TDatentyp& Series,
                        char16_t Delimiter, std::u16string& Header);

// The field of Line that starts at the 1-based Position and ends before the first character whose
// code is at most 255 and in Delimiters, or at the end of the line. Position then points past that
// character, or to the line length + 2 when none stopped the scan. Beyond the end of the line
// (Position > length) the answer is empty and Position stays. A Position of 0 reads as 1.
std::u16string NextToken(std::u16string_view Line, std::size_t& Position,
                         const std::bitset<256>& Delimiters);
