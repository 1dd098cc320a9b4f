#pragma once
// Measurement text files as other programs write them: loudspeaker and headphone measurements,
// microphone calibrations, target curves. The layout is found from the file itself.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audio_ASCII_Import.h"

struct TMeasurementLayout {
    char16_t Delimiter =
        0; // u'\t', u';', u',', u' ' (a run of blanks), u'G' (graphic-equaliser line); 0: no data
    int32_t ColumnCount = 0; // numeric fields in the data lines (the most common count)
    std::vector<std::u16string>
        ColumnTitles;             // from the header row that names the columns, else empty
    std::size_t DataLines = 0;    // lines that gave a point
    std::size_t SkippedLines = 0; // lines that began like data but gave no point
};

// Reads the file; fills DatenXYZ[0] (frequencies) and DatenXYZ[1] (the gains of field GainColumn,
// counted from 0, field 0 being the frequency) with one point per data line, in file order.
// With no data line the series is left as it was and Delimiter is 0. Raises the core's file
// errors for a path that is missing, a folder, unreadable, or larger than 256 MiB.
TMeasurementLayout ImportMeasurement(const std::filesystem::path& FileName, int32_t GainColumn,
                                     TDatentyp& Series);

// The first Count lines of the file as the import reads it (the same encoding and line ends),
// without their line ends. Raises the same file errors as ImportMeasurement.
std::vector<std::u16string> MeasurementLines(const std::filesystem::path& FileName,
                                             std::size_t Count);
