#pragma once
// What the response chart decides, without a toolkit: the ranges of a series and a reference curve
// together, the zoom window and the drag, when the axis labels are rebuilt and what they read, the
// points handed to the line, whether the pointer is over the line, the point a click picks, the
// readout and where the legend goes. The chart view turns its events into calls of TChartModel
// and paints what it answers. Uses the chart's series, window, pyramid and rows and the number
// texts; nothing of the editor or of the file formats.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chart_rows.h"
#include "chart_window.h"
#include "extremes_pyramid.h"
#include "number_text.h"
#include "teechart_basics.h"

// A click picks the drawable point in view nearest to it when it lies within this many pixels.
constexpr double kPickRadius = 6;
// The pointer highlights the line within 0.71 of this width of it: Qt Charts outlines a line 1.42
// pen widths wide for the pointer, and the line's hover zone is this wide.
constexpr double kHoverWidth = 6;
// A wheel's angle for one notch, in eighths of a degree.
constexpr double kNotchAngle = 120;

// A point on the chart's axes: its frequency as a FrequencyPosition place, its gain in dB.
struct TPlotPoint {
    double Place = 0;
    double Db = 0;
};

// One axis label: its position on the axis (a place or dB) and its text.
struct TAxisLabel {
    double Position = 0;
    std::u16string Text;
    bool operator==(const TAxisLabel&) const = default;
};

// True when an axis that shows `Shown`, ordered by position, already shows `Wanted` (ordered the
// same way) and its first category starts below the range, so that a label on the range's start
// shows too: then the labels stand and the axis is left alone.
bool LabelsStand(std::span<const TAxisLabel> Shown, bool StartsBelowRange,
                 std::span<const TAxisLabel> Wanted);

// True when an axis of categories takes every one of `Labels` (ordered by position): each at a
// higher position than the one before, and no text twice. Only then are they written quietly, the
// last one telling the chart.
bool TakesEveryLabel(std::span<const TAxisLabel> Labels);

// True when the pointer lies within 0.71 kHoverWidth pixels of the line through `Points` (the
// line's points as placed), or of its only point, as drawn in `Window` over `Frame`.
bool NearLine(std::span<const TPlotPoint> Points, const TChartWindow& Window,
              const TPlotFrame& Frame, double X, double Y);

// Where the back wall, the grid and the axis lines of a plot go on the device's pixels, the plot
// lying at device rect `Plot` and its axes showing `Axes`. Whole pixels: column Left holds the
// points at the axes' left end and row Bottom those at their bottom, as the antialiased line draws
// them; each grid line lies in the pixel of its label's place or gain, kept within the wall.
struct TPixelGrid {
    int Left = 0;
    int Right = 0;
    int Top = 0;
    int Bottom = 0;
    std::vector<int> Columns; // of the frequency labels
    std::vector<int> Rows;    // of the gain labels
};
// Nothing when the plot covers no whole pixel either way.
std::optional<TPixelGrid> PixelGrid(const TPlotFrame& Plot, const TChartWindow& Axes,
                                    std::span<const double> Places, std::span<const double> Gains);

// The clip of a line drawn in a plot's own coordinates, the plot lying at `Area`: the plot, and
// half a pixel more where it ends between pixels, so that a line along its edge shows.
TPlotFrame LineClip(const TPlotFrame& Area);

// The legend's name for the profile: its name, else its file, else "Profile"; "?" counts as none.
std::u16string LegendProfileName(std::u16string_view Name, std::u16string_view File);

class TChartModel {
public:
    // Follows nothing by itself: whoever owns `Series` calls SeriesChanged after each change. The
    // series must outlive the model.
    explicit TChartModel(const TLineSeries& Series);
    TChartModel(const TChartModel&) = delete;
    TChartModel& operator=(const TChartModel&) = delete;

    // A picked point moves the table's current cell to its row, and new points forget the links;
    // `Rows` must outlive the model.
    void Follow(TChartRows& Rows) { rows_ = &Rows; }

    // The series shows new points: no point is picked or linked to a row any more, and the chart
    // shows the automatic ranges of them and the reference.
    void SeriesChanged();
    // One point of the series moved, came or went (the series' OnPointChange): the pyramid
    // follows it while the links, the zoom and the ranges stay, so that a drag costs no pass over
    // the points beyond placing them; a picked point stays picked.
    // True when the line was placed again here: a gain moved on a line reduced over the whole
    // range changes only its own column's points. Otherwise call PlacePoints.
    bool PointChanged(std::size_t Index, TLineSeries::TPointChange Change);
    // A step on the chart ended: at the automatic ranges they cover the points again.
    void PointsSettled();
    // The frequency (Hz) and gain (dB) under the pointer at X, Y, which count as within the plot.
    std::pair<double, double> ValueAt(const TPlotFrame& Frame, double X, double Y) const;
    // Marks a point, or none, as a click does: a marked point's row becomes the current one.
    void Mark(std::optional<std::size_t> Point);
    // A short note the readout shows instead of the values until the next press, or until the
    // pointer leaves the chart.
    void Note(std::u16string Text);
    // Whether X, Y lies on the plot, edges included.
    bool OnPlot(const TPlotFrame& Frame, double X, double Y) const;

    // The curve shown behind the profile, counted for the automatic ranges, which the chart shows
    // again; a copy of its points is kept until it is replaced or cleared.
    void ShowReference(const TLineSeries& Reference);
    void ClearReference();
    bool HasReference() const { return !referenceX_.empty(); }
    const std::vector<double>& ReferenceX() const { return referenceX_; }
    const std::vector<double>& ReferenceY() const { return referenceY_; }
    // An equaliser's fitted response, a third curve counted for the automatic ranges like the
    // reference; new points and ClearReference take it away.
    void ShowFit(std::vector<double> X, std::vector<double> Y);
    void ClearFit();
    bool HasFit() const { return !fitX_.empty(); }

    // The labels that fit a plot of PlotWidth by PlotHeight, each label LabelWidth wide ("00.0k")
    // and LabelHeight high, decide the label counts, and with them the automatic gain range, which
    // ends on whole label steps. False when nothing changed: the counts are those of the last
    // arrangement and `Always` is not set. After a true answer the axes take Window() and the
    // labels are written again.
    bool Arrange(double PlotWidth, double PlotHeight, double LabelWidth, double LabelHeight,
                 bool Always);
    // The labels as arranged, ordered by position, in the given notation.
    std::vector<TAxisLabel> FrequencyLabels(const NumberNotation& Notation) const;
    std::vector<TAxisLabel> GainLabels(const NumberNotation& Notation) const;
    // The grid's frequencies (Hz) and gains (dB), one per label.
    const std::vector<double>& FrequencyTicks() const { return frequencyTicks_; }
    const std::vector<double>& GainTicks() const { return gainTicks_; }
    // PixelGrid of the labels as arranged.
    std::optional<TPixelGrid> Grid(const TPlotFrame& Plot, const TChartWindow& Axes) const;

    // What the plot shows: the window zoomed to, or the automatic ranges.
    TChartWindow Window() const;
    bool Zoomed() const { return window_.has_value(); }
    // The automatic frequency axis, and where a frequency is drawn on it.
    const TFrequencyAxis& FrequencyRange() const { return frequencyRange_; }
    double Place(double Hz) const;

    // Reduces the points in view for the given pixel columns of a plot PlotWidth wide: the line's
    // points, whether they show as markers, and the reference's and the fit's points.
    void PlacePoints(TPlotColumns Columns, double PlotWidth);
    // True when the points were placed for other columns than these.
    bool NeedsPlacing(TPlotColumns Columns) const { return Columns != placedColumns_; }
    const std::vector<TPlotPoint>& Line() const { return line_; }
    const std::vector<TPlotPoint>& ReferenceLine() const { return referenceLine_; }
    const std::vector<TPlotPoint>& FitLine() const { return fitLine_; }
    // A single point, or a sparse line in view, shows its points as markers; a line through one
    // point has no length and would draw nothing.
    bool Markers() const { return markers_; }

    // The drawable point in view within kPickRadius of the pointer, nearest first.
    std::optional<std::size_t> PointAt(const TPlotFrame& Frame, double X, double Y) const;

    // The readout for the pointer at X, Y: the place under it and the point nearest on the
    // screen, empty off the plot. True when the text changed.
    bool PointerAt(const TPlotFrame& Frame, double X, double Y, const NumberNotation& Notation);
    // The pointer left the chart: no readout. True when the text changed.
    bool PointerLeft();
    const std::u16string& ReadoutText() const { return readout_; }

    // The left button went down at X, Y: on a point it picks the point (and selects its row),
    // elsewhere on the plot it starts a drag; off the plot it does nothing.
    enum class TPress { OffPlot, Picked, Drag };
    TPress Press(const TPlotFrame& Frame, double X, double Y);
    // While a drag goes on, the pointer moved to X, Y: the content follows it. False when no drag
    // goes on; true when the window was set and the points must be placed again.
    bool DragTo(const TPlotFrame& Frame, double X, double Y);
    void EndDrag() { dragFrom_.reset(); }
    // A double click: the drag ends and the automatic ranges come back.
    void Unzoom();
    // A wheel turned by `Angle` (kNotchAngle per notch, positive away from the user) with the
    // pointer at X, Y zooms around it: the gain axis with `Gain`, else the frequency axis. False
    // off the plot, where the wheel is not the chart's.
    bool Wheel(const TPlotFrame& Frame, double X, double Y, double Angle, bool Gain);
    std::optional<std::size_t> PickedPoint() const { return picked_; }

    // The legend in `Plot`, whose axes show `Axes`, for names up to TextWidth wide and TextHeight
    // high: a box 4 pixels inside one of the plot's corners, not the top left (the readout's),
    // where the fewest points of the profile and the reference lie within 3 pixels of it; every
    // point of a sparse curve counts, an even sample of about 2000 of a dense one. The top right
    // when that is as good as any, then the bottom right. In it a row for the profile and one for
    // the reference. A third row when the chart shows both a reference and a fit: the rows are the
    // profile's, then the reference's and the fit's, as far as they show.
    struct TLegendRow {
        double StrokeLeft = 0; // a stroke of the curve's line
        double StrokeRight = 0;
        double Y = 0;
        TPlotFrame Name;
    };
    struct TLegend {
        TPlotFrame Box;
        std::vector<TLegendRow> Rows;
    };
    TLegend Legend(const TPlotFrame& Plot, const TChartWindow& Axes, double TextWidth,
                   double TextHeight) const;

private:
    // The extremes of both curves and the automatic ranges, at the automatic window.
    void FindRanges();
    // A gain moved: the line's points in that point's column found again.
    bool PatchLine(std::size_t Index);
    TPlotFrame LegendBox(const TPlotFrame& Plot, const TChartWindow& Axes, double Width,
                         double Height) const;

    const TLineSeries& series_;
    TChartRows* rows_ = nullptr;
    bool ascending_ = true;
    bool moving_ = false;           // a point moved since the points were last settled
    TExtremesPyramid extremes_;     // of the series, while its X ascend
    std::vector<double> extremesX_; // of the profile and the reference, for the ranges
    std::vector<double> extremesY_;
    TFrequencyAxis frequencyRange_;
    TGainAxis gainRange_; // automatic
    TGainAxis gainShown_; // in view
    int frequencyLabelRoom_ = 0;
    int gainLabelRoom_ = 0;
    std::vector<double> frequencyTicks_;
    std::vector<double> gainTicks_;
    std::optional<TChartWindow> window_; // none: the automatic ranges

    TPlotColumns placedColumns_;    // what the line's points were reduced for
    std::vector<std::size_t> kept_; // the series' points line_ holds
    bool lineWhole_ = false;        // reduced by LinePoints over the whole range
    bool allKept_ = false;          // with every drawable point
    std::vector<TPlotPoint> line_;
    bool markers_ = false;
    std::vector<TPlotPoint> referenceLine_;

    std::optional<std::size_t> picked_;
    std::optional<std::pair<double, double>> dragFrom_;
    std::u16string readout_;
    std::u16string note_;

    std::vector<double> referenceX_;
    std::vector<double> referenceY_;
    bool referenceAscending_ = true;

    std::vector<double> fitX_;
    std::vector<double> fitY_;
    std::vector<TPlotPoint> fitLine_;
};
