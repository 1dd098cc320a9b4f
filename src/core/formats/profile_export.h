#pragma once
// Profiles written as text for other programs: a semicolon list that Import Profile (ASCII) reads
// back, CSV, FRD and the one-line GraphicEQ form.

#include <filesystem>
#include <string>

#include "uStreamSoundProfil.h"

enum class TExportFormat { SemicolonText, Csv, Frd, GraphicEq };

// Writes the rows (frequency, gain) as text; replaces the file the way SaveSoundProfil does
// (temporary beside it, renamed over it; a failed write leaves an existing file untouched).
// A profile with a value that is not finite, or for FRD and GraphicEQ a frequency not above 0 Hz,
// raises EditorError before any file is touched.
// Raises FileError with the messages of the profile file for a file that cannot be written.
void ExportProfileText(const std::filesystem::path& FileName, const TSoundProfil& Profile,
                       TExportFormat Format);

// The bytes ExportProfileText writes: UTF-8, lines ending CR LF. Rows with fewer than two values
// are left out; values past the second are not written. The semicolon text's first line is the
// name, after "Name: " where Import Profile (ASCII) or Import Measurement could take the name
// alone for data. Raises EditorError as above.
std::string ExportText(const TSoundProfil& Profile, TExportFormat Format);

// The shortest plain decimal text in US notation (no exponent) that reads back as Value, which
// must be finite. Negative zero keeps its sign.
std::string PlainDecimal(float Value);
