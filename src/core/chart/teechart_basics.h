#pragma once
// The chart folder: the chart's model (series, axes, the zoomed window, the min/max pyramid,
// which row a point came from). It may use base, numbers, profile and table.
//
// The response chart's line series, ShowSeries, and the rules for the frequency and gain axes.
// No toolkit here: the Qt view follows the series through OnChange and asks these rules where
// to draw.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "number_text.h"
#include "point_series.h"

using TColor = uint32_t; // 0xRRGGBB

// What a line series shows: its points, list by list, and its title.
struct TSeriesPoints {
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<std::u16string> Labels;
    std::vector<TColor> Colors;
    std::u16string Title;
};

// Points ordered by X (ascending; equal X in the order they were added), each with Y, a label and
// a colour at the same index.
class TLineSeries {
public:
    // Called once after every operation that changed the points; the title is not drawn and does
    // not call it. The viewer that sets it clears it before it goes away.
    std::function<void()> OnChange;
    // Called instead of OnChange after MovePoint, InsertPoint and ErasePoint, with the point's
    // index, so that a viewer can follow one point without taking all of them again.
    enum class TPointChange { Gain, Moved, Inserted, Erased }; // Gain: Y alone changed
    std::function<void(std::size_t Index, TPointChange Change)> OnPointChange;

    // The line colour; ShowSeries gives every point this colour.
    static constexpr TColor Color = 0x4466A3;

    // Removes every point. The series stays usable.
    void Empty();

    void SetTitle(std::u16string_view title) { title_ = title; }
    const std::u16string& Title() const { return title_; }

    // Inserts the point after the last stored point whose X is not greater than x, searching
    // from the end: equal X keep their order. Returns the index the point got.
    std::size_t AddXY(double x, double y, std::u16string label, TColor color);

    // Exchanges the points and the title with `points`, which must hold lists of equal length
    // with X ascending; OnChange is called.
    void SwapPoints(TSeriesPoints& points);

    // One point edited in place; the caller keeps X ascending. An inserted point gets the line
    // colour and no label.
    void MovePoint(std::size_t Index, double x, double y);
    void InsertPoint(std::size_t Index, double x, double y);
    void ErasePoint(std::size_t Index);

    std::size_t Count() const { return x_.size(); }
    const std::vector<double>& XValues() const { return x_; }
    const std::vector<double>& YValues() const { return y_; }
    const std::vector<std::u16string>& Labels() const { return labels_; }
    const std::vector<TColor>& Colors() const { return colors_; }

private:
    friend void ShowSeries(const TDatentyp& data, TLineSeries& series, std::u16string_view title);
    void Changed() const;
    void PointChanged(std::size_t Index, TPointChange Change) const;

    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<std::u16string> labels_;
    std::vector<TColor> colors_;
    std::u16string title_;
};

// Replaces the points of `series` with DatenXYZ[0] (X) and DatenXYZ[1] (Y) of `data`, as if each
// point were added with AddXY in turn, and sets the title; OnChange is called once. Data with
// fewer than two X values or no Y value changes nothing. When DatenXYZ[1] is shorter than
// DatenXYZ[0], only the points that have both values are taken.
void ShowSeries(const TDatentyp& data, TLineSeries& series, std::u16string_view title);

// ShowSeries for any number of points: with fewer than two complete points the series shows
// exactly those (none or the one), where ShowSeries would leave the old points standing.
void ShowAllPoints(const TDatentyp& data, TLineSeries& series, std::u16string_view title);

// A point is drawn only when its X and Y are both finite; the others count for no axis range.
bool IsDrawable(double x, double y);

// The logarithmic frequency axis, in Hz. Always 0 < Min < Max.
struct TFrequencyAxis {
    double Min = 0;
    double Max = 0;
    // All drawn points share one position: the range was widened a decade each way and every
    // point sits in the middle.
    bool Collapsed = false;
    // The axis runs from Max on the left to Min on the right.
    bool Reversed = false;
};

// From the smallest to the largest drawn X, where an end at or below 0 becomes 1. When that puts
// the start above the end (a point at or below 0, all others below 1 Hz), the axis runs
// reversed, from 1 on the left down to the largest X. 20 Hz to 20 kHz when nothing is drawn.
TFrequencyAxis FrequencyAxis(std::span<const double> x, std::span<const double> y);

// Where a point with frequency x is drawn: x itself, the left end for x <= 0, the nearer end for
// any other x outside the range, or the middle of a collapsed axis.
double FrequencyPlotX(const TFrequencyAxis& axis, double x);

// A frequency's place along the axis: log10(hz), negated on a reversed axis so that places grow
// from left to right. The axis runs from the place of its left end to that of its right end.
double FrequencyPosition(const TFrequencyAxis& axis, double hz);

// Where the frequency axis lies on the device's pixels: from device x Left (fractional where the
// plot starts between pixels) over Width device pixels.
struct TPlotColumns {
    double Left = 0;
    double Width = 0;
    bool operator==(const TPlotColumns&) const = default;
};

// The pixel column LinePoints puts a frequency into, for a whole axis over `Columns`.
class TLineColumns {
public:
    TLineColumns(const TFrequencyAxis& Axis, TPlotColumns Columns);
    double operator()(double Hz) const;

private:
    TFrequencyAxis axis_;
    double left_ = 0;
    double start_ = 0;
    double scale_ = 0;
};

// The indices, ascending, of the points that draw the series' line; points that are not drawable
// are left out and the line joins across them. With up to four points per pixel column (a plot
// narrower than a pixel counts as one), every drawable point is taken. Beyond that, each run of
// consecutive points that falls into one column gives only its first, lowest, highest and last
// point: the line still enters, spans and leaves every column as it does through all points.
std::vector<std::size_t> LinePoints(std::span<const double> x, std::span<const double> y,
                                    const TFrequencyAxis& axis, TPlotColumns columns);

// The reduction of a line to pixel columns, point by point in order: of each run of consecutive
// points in one column it keeps the first, lowest, highest and last, ascending and each once.
class TColumnRuns {
public:
    TColumnRuns(std::span<const double> Y, std::size_t Reserve) : y_(Y) { kept_.reserve(Reserve); }

    // Point I, which is drawable, lies in Column.
    void Add(std::size_t I, double Column) {
        if (inRun_ && Column == column_) {
            run_[1] = y_[I] < y_[run_[1]] ? I : run_[1];
            run_[2] = y_[I] > y_[run_[2]] ? I : run_[2];
            run_[3] = I;
            return;
        }
        if (inRun_) {
            Keep(run_);
        }
        run_ = {I, I, I, I};
        column_ = Column;
        inRun_ = true;
    }
    // A whole run found otherwise: its first, lowest, highest and last point.
    void Keep(std::array<std::size_t, 4> Run);
    // The column of the run going on, if any.
    bool InRun() const { return inRun_; }
    double Column() const { return column_; }
    // The indices kept; the object is spent.
    std::vector<std::size_t> Finish();

private:
    std::span<const double> y_;
    std::vector<std::size_t> kept_;
    std::array<std::size_t, 4> run_{}; // first, lowest, highest, last
    double column_ = 0;
    bool inRun_ = false;
};

// Label positions in Hz, ascending, at most maxLabels of them (at least 2 are asked for): 1-2-5
// steps per decade where they fit, else every decade or every few decades; even steps on a range
// too narrow for two 1-2-5 values.
std::vector<double> FrequencyTicks(const TFrequencyAxis& axis, int maxLabels);

// "20", "500", "1k", "12.5k", "2M", in the given notation.
std::u16string FrequencyLabel(double hz, const NumberNotation& notation);

// The gain axis in dB: the range of the drawn Y rounded outward to whole steps of 1, 2 or 5 times
// a power of ten, giving 5 to 10 labels, or fewer when maxLabels is smaller (at least 3 are
// asked for). A single Y value is widened to a range around it first; -10 to 10 dB when nothing
// is drawn.
struct TGainAxis {
    double Min = 0;
    double Max = 0;
    double Step = 0;
};
TGainAxis GainAxis(std::span<const double> x, std::span<const double> y, int maxLabels);

// Every whole step from Min to Max.
std::vector<double> GainTicks(const TGainAxis& axis);

// The smallest of 1, 2 or 5 times a power of ten that is at least raw.
double NiceStep(double raw);

// "-6 dB", "0 dB", "2.5 dB": as many decimals as the step needs, never "-0".
std::u16string GainLabel(double db, double step, const NumberNotation& notation);
