#pragma once
// Measurement text files as other programs write them: loudspeaker and headphone measurements,
// microphone calibrations, target curves. The layout is found from the file itself.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "audio_ASCII_Import.h"

// The fields of a line are read up to the gain column and at least up to this many; those after
// them are not read, so that a line of millions of fields costs no more than its bytes.
constexpr int32_t kCountedFields = 256;

struct TMeasurementLayout {
    char16_t Delimiter =
        0; // u'\t', u';', u',', u' ' (a run of blanks), u'G' (graphic-equaliser line); 0: no data
    // Numeric fields in the data lines (the most common count) among the fields read: a file with
    // more than max(gain column + 1, kCountedFields) columns counts as many as the fields read.
    int32_t ColumnCount = 0;
    // From the header row that names the columns, as far as the fields are read; else empty.
    std::vector<std::u16string> ColumnTitles;
    std::size_t DataLines = 0; // lines that gave a point
    // Lines that looked like data but gave no point: those that begin with a digit (after blanks
    // and a double quote) and those whose first field reads as a number, such as "-50 1.0".
    std::size_t SkippedLines = 0;
};

// Reads the file; fills DatenXYZ[0] (frequencies) and DatenXYZ[1] (the gains of field GainColumn,
// counted from 0, field 0 being the frequency) with one point per data line, in file order.
// With no data line the series is left as it was and Delimiter is 0. Raises the core's file
// errors for a path that is missing, a folder, unreadable, or larger than 256 MiB.
TMeasurementLayout ImportMeasurement(const std::filesystem::path& FileName, int32_t GainColumn,
                                     TDatentyp& Series);

// The first Count lines of the file as the import reads it (the same encoding and line ends),
// without their line ends. A line longer than Length UTF-16 units shows its first Length units
// (never half of a pair) and an ellipsis. Raises the same file errors as ImportMeasurement.
std::vector<std::u16string> MeasurementLines(const std::filesystem::path& FileName,
                                             std::size_t Count, std::size_t Length);

// One reading of a file for several gain columns and its first lines.
struct TMeasurementColumns {
    std::vector<std::u16string> FirstLines;  // as MeasurementLines gives them
    std::vector<TMeasurementLayout> Layouts; // one for each gain column
    std::vector<TDatentyp> Points;           // one for each gain column, empty without data
};

// For each of GainColumns (ascending, each once) the layout and points ImportMeasurement gives for
// it alone, the fields read up to the largest of them; and the first LineCount lines cut at
// LineLength as MeasurementLines gives them. Raises the same file errors as ImportMeasurement.
TMeasurementColumns ImportMeasurementColumns(const std::filesystem::path& FileName,
                                             const std::vector<int32_t>& GainColumns,
                                             std::size_t LineCount, std::size_t LineLength);

// Whether the reader takes a line (UTF-8, without its line end) for data: one that gives a point,
// one counted among the skipped lines, or a graphic-equaliser line. Other lines are titles.
bool MeasurementDataLine(std::string_view Line);
