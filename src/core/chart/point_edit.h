#pragma once
// What drawing on the chart decides, point by point: the values a moved or added point takes,
// where a new point and its row go, and whether a point's row still reads as the point, so that
// the table row the chart changes is the one the person sees.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "chart_rows.h"
#include "number_text.h"

// Gains move in steps of 0.1 dB and frequencies in whole hertz, as the table reads them; the
// values are those of the floats the table holds.
double DrawnGain(double Db);
double DrawnFrequency(double Hz);

// The frequency point `Point` of the ascending X takes when dragged to Hz: whole hertz, at least
// 1 Hz, and strictly between its neighbours' frequencies, so that the order never changes. When
// no whole hertz lies between them, the point keeps its frequency.
double FrequencyBetween(std::span<const double> X, std::size_t Point, double Hz);

// Where a point at frequency Hz (whole hertz) goes in the ascending X; nullopt when a point has
// that frequency already.
std::optional<std::size_t> NewPointIndex(std::span<const double> X, double Hz);

// The position Insert row would be given for a new point that becomes point `Index` of a series
// of Count points (before the new one): the row of the point after it, else the row after that
// of the point before it, else row 1 of an empty chart. Nothing when that neighbour has no row.
std::optional<int32_t> NewPointRow(const TChartRows& Rows, std::size_t Index, std::size_t Count);

// Whether a row's frequency and gain texts read, in `Notation`, as the point's values to the
// decimals they show: "1.23" reads as a gain of 1.234, "1.5" does not.
bool RowReadsAs(std::u16string_view FreqText, std::u16string_view GainText, double Hz, double Db,
                const NumberNotation& Notation);

// The gain of one key press on the chart: 0.1 dB, or 1 dB with Shift, up or down.
double NudgedGain(double Db, bool Up, bool Large);
