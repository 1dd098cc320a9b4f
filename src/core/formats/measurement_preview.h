#pragma once
// What a person sees of a measurement file before its points are taken: the file's first lines,
// the layout found, the gain columns to choose from and the points each one gives.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audio_ASCII_Import.h"
#include "measurement_import.h"
#include "teechart_basics.h"

// One gain column to choose, read in full.
struct TMeasurementChoice {
    int32_t GainColumn = 1; // counted from 0, field 0 being the frequency
    // The column's title in the header row, else "Column " and its number counted from 1.
    std::u16string Title;
    TMeasurementLayout Layout; // as the import found it for this column
    // "Delimiter: semicolon, data lines: 3, skipped lines: 1".
    std::u16string LayoutText;
    TDatentyp Points; // DatenXYZ[0] frequencies, DatenXYZ[1] gains
    // The first points as the table will show them: frequency and gain texts.
    std::vector<std::pair<std::u16string, std::u16string>> FirstRows;
    // Points that share a whole hertz with another once Update / Sort has rounded them.
    std::size_t SharedHertz = 0;
};

struct TMeasurementPreview {
    std::filesystem::path FileName;
    // The first lines of the file as they stand, without their line ends (long ones cut).
    std::vector<std::u16string> FirstLines;
    // Field 1 first, then each further numeric column that gives points; one entry when the file
    // has two numeric columns, none when it holds no data.
    std::vector<TMeasurementChoice> Choices;
};

constexpr std::size_t kPreviewLines = 20;
constexpr std::size_t kPreviewRows = 12;
// A line longer than this shows its start and an ellipsis.
constexpr std::size_t kPreviewLineLength = 300;
// More gain columns are not offered: each is read in full, and a file of thousands of columns
// would hold the window for minutes.
constexpr int32_t kPreviewGainColumns = 16;

// What the person takes from the preview: the index of a choice, and whether its points that
// share a whole hertz are merged (MergedPoints).
struct TMeasurementPick {
    std::size_t Choice = 0;
    bool Merge = false;
};

// Reads the file once for every gain column offered. Raises the file errors of ImportMeasurement.
TMeasurementPreview PreviewMeasurement(const std::filesystem::path& FileName);

// The frequency as Update / Sort stores it after Import Measurement: the table's text of the
// imported frequency (one decimal) read back as whole hertz. Nothing where that does not read.
std::optional<float> HertzAfterUpdate(float Frequency);

// One point per whole hertz (HertzAfterUpdate, finite): the points that share one become a
// point at that frequency with the mean of their gains, where the first of them was. Points
// without a finite whole hertz stay as they are.
TDatentyp MergedPoints(const TDatentyp& Points);

// The delimiter in words: "tab", "semicolon", "comma", "spaces", "GraphicEQ line"; "none" for 0.
std::u16string DelimiterName(char16_t Delimiter);

// The message for a file without a data line, naming the file with its full path.
std::u16string NoMeasurementDataText(const std::filesystem::path& FileName);

// The chart of a choice: exactly its points, also when there are fewer than two.
void ShowChoice(const TMeasurementChoice& Choice, TLineSeries& Series);
