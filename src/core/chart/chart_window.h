#pragma once
// What part of the chart the plot shows when the user zooms and pans, and what the chart reads
// out under the pointer. The automatic ranges stay those of teechart_basics; a window only
// narrows or moves the view of them, and the points are reduced again for the part in view.

#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "extremes_pyramid.h"
#include "number_text.h"
#include "teechart_basics.h"

// The plot's edges: frequencies as FrequencyPosition places (Left < Right), gains in dB
// (Bottom < Top).
struct TChartWindow {
    double Left = 0;
    double Right = 1;
    double Bottom = 0;
    double Top = 1;
    bool operator==(const TChartWindow&) const = default;
};

// The window of the automatic ranges.
TChartWindow AutoWindow(const TFrequencyAxis& Frequency, const TGainAxis& Gain);

// One wheel notch narrows the span by this factor.
constexpr double kZoomPerNotch = 1.25;
// The wheel goes no further in than a frequency span of 1/100 octave or a gain span of 0.1 dB
// (a tenth of the table's gain step), and no further out than ten times the automatic span.
inline const double kDeepestFrequencySpan = std::log10(2.0) / 100;
constexpr double kDeepestGainSpan = 0.1;
constexpr double kWidestZoom = 10;
// Every window stays within these places and gains, so that its edges are finite positive
// frequencies (1e-300 Hz to 1e300 Hz) and finite gains with a finite span.
constexpr double kFarthestPlace = 300;
constexpr double kFarthestGain = 1e300;

// Appends the drawable points that hold the smallest and largest X and Y of a series: FrequencyAxis
// and GainAxis over the extremes of several series give the ranges that cover them all.
void AddExtremes(std::span<const double> X, std::span<const double> Y, std::vector<double>& OutX,
                 std::vector<double>& OutY);

// Zooms the frequency (or gain) span by kZoomPerNotch per notch (negative notches widen it)
// around `At`, a place inside the window that stays where it is on the plot. The span stays
// between the deepest span (or the automatic one, when that is smaller) and kWidestZoom times the
// automatic one; the window is then moved or narrowed into the farthest places and gains.
TChartWindow ZoomFrequency(const TChartWindow& Window, const TChartWindow& Auto, double At,
                           double Notches);
TChartWindow ZoomGain(const TChartWindow& Window, const TChartWindow& Auto, double At,
                      double Notches);

// Moves the window by fractions of its spans: the content follows a drag of that much of the
// plot's width to the right and of its height downwards, no further than the farthest places and
// gains.
TChartWindow Pan(const TChartWindow& Window, double Right, double Down);

// The axes in view, for their labels: the frequency range of the window in Hz (reversed as the
// full axis is), and the gain range with the finest 1-2-5 label step that gives at most MaxLabels
// labels; the automatic gain axis as it is while the window shows its range.
TFrequencyAxis WindowFrequencyAxis(const TChartWindow& Window, const TFrequencyAxis& Full);
TGainAxis WindowGainAxis(const TChartWindow& Window, const TGainAxis& Automatic, int MaxLabels);

// Where the plot lies on the screen, in the same units as the pointer.
struct TPlotFrame {
    double Left = 0;
    double Top = 0;
    double Width = 1;
    double Height = 1;
};

// A point's place on the screen; X at its frequency as the full axis draws it.
double ScreenX(const TChartWindow& Window, const TPlotFrame& Frame, const TFrequencyAxis& Full,
               double Hz);
double ScreenY(const TChartWindow& Window, const TPlotFrame& Frame, double Db);

// True when the series' X values ascend with no NaN among them, so that the points in view can
// be found by bisection.
bool Ascending(std::span<const double> X);

// LinePoints for the part of the series in view: the columns span the window, and the points
// beyond each side of it count as one column there, so that the line still enters and leaves
// the plot towards them. With `ascending` (see Ascending) only the points in view and one on
// each side are looked at.
std::vector<std::size_t> WindowLinePoints(std::span<const double> X, std::span<const double> Y,
                                          const TFrequencyAxis& Full, const TChartWindow& Window,
                                          TPlotColumns Columns, bool Ascending);

// The same as WindowLinePoints of ascending X (see Ascending), found column by column: the points
// of each by bisection, their lowest and highest in `Extremes`, built from X and Y.
std::vector<std::size_t> WindowLinePoints(std::span<const double> X, std::span<const double> Y,
                                          const TFrequencyAxis& Full, const TChartWindow& Window,
                                          TPlotColumns Columns, const TExtremesPyramid& Extremes);

// True while no more drawable points lie in view than one per 8 pixels of the plot's width:
// then each is drawn with a marker.
bool ShowsMarkers(std::span<const double> X, std::span<const double> Y, const TFrequencyAxis& Full,
                  const TChartWindow& Window, double PlotWidth, bool Ascending);

// The drawable point in view nearest to the pointer on the screen, if any. With the pyramid of
// the same points (ascending), runs of points whose gains all lie too far up or down are passed
// over unread.
std::optional<std::size_t> NearestPoint(std::span<const double> X, std::span<const double> Y,
                                        const TFrequencyAxis& Full, const TChartWindow& Window,
                                        const TPlotFrame& Frame, double PointerX, double PointerY,
                                        bool Ascending, const TExtremesPyramid* Pyramid = nullptr);

// "1.25 kHz, -2.8 dB": the frequency and gain under the pointer, to as many digits as a hundredth
// of the window tells apart; with a point, "  |  point 1000 Hz, 0 dB" follows with its values as
// they are. Hz up to 1000, kHz above, in the given notation.
std::u16string Readout(double PointerHz, double PointerDb, const TChartWindow& Window,
                       std::optional<std::pair<double, double>> Point,
                       const NumberNotation& Notation);
