#include "chart_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <unordered_set>
#include <utility>

namespace {

// The place under a pointer at X, and the gain under one at Y.
double PlaceAt(const TChartWindow& Window, const TPlotFrame& Frame, double X) {
    return Window.Left + (X - Frame.Left) / Frame.Width * (Window.Right - Window.Left);
}

double GainAt(const TChartWindow& Window, const TPlotFrame& Frame, double Y) {
    return Window.Top - (Y - Frame.Top) / Frame.Height * (Window.Top - Window.Bottom);
}

// Categories only take increasing positions; a reversed axis gives them the other way round.
std::vector<TAxisLabel> ByPosition(std::vector<TAxisLabel> Labels) {
    std::sort(Labels.begin(), Labels.end(),
              [](const TAxisLabel& a, const TAxisLabel& b) { return a.Position < b.Position; });
    return Labels;
}

// Whether a box holds a point, edges included, as a QRectF tells it.
bool Contains(const TPlotFrame& Box, double X, double Y) {
    return X >= Box.Left && X <= Box.Left + Box.Width && Y >= Box.Top && Y <= Box.Top + Box.Height;
}

} // namespace

bool LabelsStand(std::span<const TAxisLabel> Shown, bool StartsBelowRange,
                 std::span<const TAxisLabel> Wanted) {
    return StartsBelowRange && std::equal(Shown.begin(), Shown.end(), Wanted.begin(), Wanted.end());
}

bool TakesEveryLabel(std::span<const TAxisLabel> Labels) {
    std::unordered_set<std::u16string> texts;
    for (std::size_t i = 0; i < Labels.size(); ++i) {
        if ((i > 0 && !(Labels[i - 1].Position < Labels[i].Position)) ||
            !texts.insert(Labels[i].Text).second) {
            return false;
        }
    }
    return true;
}

bool NearLine(std::span<const TPlotPoint> Points, const TChartWindow& Window,
              const TPlotFrame& Frame, double X, double Y) {
    const double xScale = Frame.Width / (Window.Right - Window.Left);
    const double yScale = Frame.Height / (Window.Top - Window.Bottom);
    struct TScreen {
        double X;
        double Y;
    };
    const auto screen = [&](const TPlotPoint& p) {
        return TScreen{Frame.Left + (p.Place - Window.Left) * xScale,
                       Frame.Top + (Window.Top - p.Db) * yScale};
    };
    const double reach = kHoverWidth * 0.71;
    for (std::size_t i = 0; i < Points.size(); ++i) {
        const TScreen b = screen(Points[i]);
        const TScreen a = i > 0 ? screen(Points[i - 1]) : b;
        const double abX = b.X - a.X;
        const double abY = b.Y - a.Y;
        const double length = abX * abX + abY * abY;
        const double along =
            length > 0 ? std::clamp(((X - a.X) * abX + (Y - a.Y) * abY) / length, 0.0, 1.0) : 0.0;
        const double offX = X - (a.X + along * abX);
        const double offY = Y - (a.Y + along * abY);
        if (offX * offX + offY * offY <= reach * reach) {
            return true;
        }
    }
    return false;
}

std::optional<TPixelGrid> PixelGrid(const TPlotFrame& Plot, const TChartWindow& Axes,
                                    std::span<const double> Places, std::span<const double> Gains) {
    const auto pixel = [](double at) { return static_cast<int>(std::floor(at)); };
    TPixelGrid grid{pixel(Plot.Left),
                    pixel(Plot.Left + Plot.Width),
                    pixel(Plot.Top),
                    pixel(Plot.Top + Plot.Height),
                    {},
                    {}};
    if (grid.Right <= grid.Left || grid.Bottom <= grid.Top) {
        return std::nullopt;
    }
    const double xSpan = Axes.Right - Axes.Left;
    for (double place : Places) {
        const double at = Plot.Left + (place - Axes.Left) / xSpan * Plot.Width;
        grid.Columns.push_back(std::clamp(pixel(at), grid.Left, grid.Right));
    }
    const double ySpan = Axes.Top - Axes.Bottom;
    for (double db : Gains) {
        const double at = Plot.Top + (Axes.Top - db) / ySpan * Plot.Height;
        grid.Rows.push_back(std::clamp(pixel(at), grid.Top, grid.Bottom));
    }
    return grid;
}

TPlotFrame LineClip(const TPlotFrame& Area) {
    const auto fraction = [](double at) { return at - static_cast<int>(at); };
    const double x1 = fraction(Area.Left);
    const double y1 = fraction(Area.Top);
    const double x2 = fraction(Area.Width + 0.5);
    const double y2 = fraction(Area.Height + 0.5);
    return {-x1, -y1, Area.Width + (std::max(x1, x2) + x1), Area.Height + (std::max(y1, y2) + y1)};
}

std::u16string LegendProfileName(std::u16string_view Name, std::u16string_view File) {
    if (!Name.empty() && Name != u"?") {
        return std::u16string(Name);
    }
    return File.empty() || File == u"?" ? u"Profile" : std::u16string(File);
}

TChartModel::TChartModel(const TLineSeries& Series) : series_(Series) {}

void TChartModel::SeriesChanged() {
    if (rows_) {
        rows_->Forget(); // a command that showed these points links them right after
    }
    picked_.reset();
    fitX_.clear(); // the fit was of the points shown before
    fitY_.clear();
    moving_ = false;
    ascending_ = Ascending(series_.XValues());
    extremes_ =
        ascending_ ? TExtremesPyramid(series_.XValues(), series_.YValues()) : TExtremesPyramid();
    FindRanges();
}

bool TChartModel::PointChanged(std::size_t Index, TLineSeries::TPointChange Change) {
    using enum TLineSeries::TPointChange;
    if (Change == Gain || Change == Moved) {
        // Moves keep the order, so the pyramid still stands for the series.
        if (!ascending_ || extremes_.Count() != series_.Count()) {
            return false;
        }
        extremes_.Update(series_.XValues(), series_.YValues(), Index);
        moving_ = true;
        return Change == Gain && PatchLine(Index);
    }
    if (picked_ && *picked_ >= Index) {
        if (Change == Erased && *picked_ == Index) {
            picked_.reset();
        } else {
            *picked_ = Change == Inserted ? *picked_ + 1 : *picked_ - 1;
        }
    }
    ascending_ = Ascending(series_.XValues());
    extremes_ =
        ascending_ ? TExtremesPyramid(series_.XValues(), series_.YValues()) : TExtremesPyramid();
    return false;
}

bool TChartModel::PatchLine(std::size_t Index) {
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    if (!lineWhole_ || window_ || line_.size() != kept_.size() ||
        !IsDrawable(xs[Index], ys[Index])) {
        return false;
    }
    const auto at = std::lower_bound(kept_.begin(), kept_.end(), Index);
    const auto from = static_cast<std::size_t>(at - kept_.begin());
    if (allKept_) {
        if (at == kept_.end() || *at != Index) {
            return false;
        }
        line_[from].Db = ys[Index];
        return true;
    }
    // The column's first and last point stay; its lowest and highest are found again.
    const TLineColumns columnOf(frequencyRange_, placedColumns_);
    const double column = columnOf(xs[Index]);
    std::size_t first = from;
    while (first > 0 && columnOf(xs[kept_[first - 1]]) == column) {
        --first;
    }
    std::size_t end = from;
    while (end < kept_.size() && columnOf(xs[kept_[end]]) == column) {
        ++end;
    }
    if (first == end || kept_[first] > Index || kept_[end - 1] < Index) {
        return false;
    }
    const auto [lowest, highest] = extremes_.Extremes(xs, ys, kept_[first], kept_[end - 1] + 1);
    std::array<std::size_t, 4> run = {kept_[first], lowest, highest, kept_[end - 1]};
    std::sort(run.begin(), run.end());
    const auto runEnd = std::unique(run.begin(), run.end());
    std::vector<TPlotPoint> points;
    for (auto i = run.begin(); i != runEnd; ++i) {
        points.push_back({Place(xs[*i]), ys[*i]});
    }
    const auto keptFirst = kept_.begin() + static_cast<std::ptrdiff_t>(first);
    kept_.erase(keptFirst, kept_.begin() + static_cast<std::ptrdiff_t>(end));
    kept_.insert(kept_.begin() + static_cast<std::ptrdiff_t>(first), run.begin(), runEnd);
    const auto lineFirst = line_.begin() + static_cast<std::ptrdiff_t>(first);
    line_.erase(lineFirst, line_.begin() + static_cast<std::ptrdiff_t>(end));
    line_.insert(line_.begin() + static_cast<std::ptrdiff_t>(first), points.begin(), points.end());
    return true;
}

void TChartModel::PointsSettled() {
    moving_ = false;
    if (window_) {
        return;
    }
    // The axes stay under the person drawing while every point still shows; the automatic
    // ranges, which a double click brings back, cover the new points.
    const TChartWindow shown = Window();
    const TFrequencyAxis before = frequencyRange_;
    FindRanges();
    bool inside = !series_.XValues().empty() && !before.Collapsed && !before.Reversed;
    for (std::size_t i = 0; inside && i < extremesX_.size(); ++i) {
        const double place = FrequencyPosition(before, extremesX_[i]);
        inside = place >= shown.Left && place <= shown.Right && extremesY_[i] >= shown.Bottom &&
                 extremesY_[i] <= shown.Top;
    }
    if (inside) {
        // Kept as a window over the old axis: places are those of the axis the window spans.
        frequencyRange_ = before;
        window_ = shown;
    }
}

std::pair<double, double> TChartModel::ValueAt(const TPlotFrame& Frame, double X, double Y) const {
    const TChartWindow window = Window();
    const double place =
        PlaceAt(window, Frame, std::clamp(X, Frame.Left, Frame.Left + Frame.Width));
    const double hz = std::pow(10.0, frequencyRange_.Reversed ? -place : place);
    return {hz, GainAt(window, Frame, std::clamp(Y, Frame.Top, Frame.Top + Frame.Height))};
}

void TChartModel::Mark(std::optional<std::size_t> Point) {
    picked_ = Point && *Point < series_.Count() ? Point : std::nullopt;
    if (picked_ && rows_) {
        rows_->SelectRowOf(*picked_);
    }
}

void TChartModel::Note(std::u16string Text) {
    note_ = std::move(Text);
    readout_ = note_;
}

bool TChartModel::OnPlot(const TPlotFrame& Frame, double X, double Y) const {
    return ::Contains(Frame, X, Y);
}

void TChartModel::ShowReference(const TLineSeries& Reference) {
    referenceX_ = Reference.XValues();
    referenceY_ = Reference.YValues();
    referenceAscending_ = Ascending(referenceX_);
    FindRanges();
}

void TChartModel::ClearReference() {
    referenceX_.clear();
    referenceY_.clear();
    fitX_.clear();
    fitY_.clear();
    FindRanges();
}

void TChartModel::ShowFit(std::vector<double> X, std::vector<double> Y) {
    fitX_ = std::move(X);
    fitY_ = std::move(Y);
    FindRanges();
}

void TChartModel::ClearFit() {
    fitX_.clear();
    fitY_.clear();
    FindRanges();
}

void TChartModel::FindRanges() {
    window_.reset();
    // The extremes of both curves, found once per change of either, stand for all their points.
    extremesX_.clear();
    extremesY_.clear();
    AddExtremes(series_.XValues(), series_.YValues(), extremesX_, extremesY_);
    AddExtremes(referenceX_, referenceY_, extremesX_, extremesY_);
    AddExtremes(fitX_, fitY_, extremesX_, extremesY_);
    frequencyRange_ = FrequencyAxis(extremesX_, extremesY_);
}

bool TChartModel::Arrange(double PlotWidth, double PlotHeight, double LabelWidth,
                          double LabelHeight, bool Always) {
    // Qt Charts elides a label longer than its share of the axis: the axis length over the
    // labels plus one, less a padding of 4 px on each side.
    const int frequencyRoom = std::max(2, static_cast<int>(PlotWidth / (LabelWidth + 12)) - 1);
    const int gainRoom = std::max(3, static_cast<int>(PlotHeight / (LabelHeight + 12)) - 1);
    if (!Always && frequencyRoom == frequencyLabelRoom_ && gainRoom == gainLabelRoom_) {
        return false;
    }
    frequencyLabelRoom_ = frequencyRoom;
    gainLabelRoom_ = gainRoom;
    gainRange_ = GainAxis(extremesX_, extremesY_, gainRoom);
    gainShown_ = window_ ? WindowGainAxis(*window_, gainRange_, gainRoom) : gainRange_;
    frequencyTicks_ = ::FrequencyTicks(
        window_ ? WindowFrequencyAxis(*window_, frequencyRange_) : frequencyRange_, frequencyRoom);
    gainTicks_ = ::GainTicks(gainShown_);
    return true;
}

std::vector<TAxisLabel> TChartModel::FrequencyLabels(const NumberNotation& Notation) const {
    std::vector<TAxisLabel> labels;
    for (double hz : frequencyTicks_) {
        labels.push_back({FrequencyPosition(frequencyRange_, hz), FrequencyLabel(hz, Notation)});
    }
    return ByPosition(std::move(labels));
}

std::vector<TAxisLabel> TChartModel::GainLabels(const NumberNotation& Notation) const {
    std::vector<TAxisLabel> labels;
    for (double db : gainTicks_) {
        labels.push_back({db, GainLabel(db, gainShown_.Step, Notation)});
    }
    return ByPosition(std::move(labels));
}

std::optional<TPixelGrid> TChartModel::Grid(const TPlotFrame& Plot,
                                            const TChartWindow& Axes) const {
    std::vector<double> places;
    for (double hz : frequencyTicks_) {
        places.push_back(FrequencyPosition(frequencyRange_, hz));
    }
    return PixelGrid(Plot, Axes, places, gainTicks_);
}

TChartWindow TChartModel::Window() const {
    return window_ ? *window_ : AutoWindow(frequencyRange_, gainRange_);
}

double TChartModel::Place(double Hz) const {
    return FrequencyPosition(frequencyRange_, FrequencyPlotX(frequencyRange_, Hz));
}

void TChartModel::PlacePoints(TPlotColumns Columns, double PlotWidth) {
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    placedColumns_ = Columns;
    // At the automatic ranges every point is in view; zoomed, only those in view are reduced.
    // While a point moves, the whole range too is reduced through the pyramid: column by column,
    // not point by point.
    const std::vector<std::size_t> kept =
        !window_ && !(moving_ && ascending_) ? ::LinePoints(xs, ys, frequencyRange_, Columns)
        : ascending_ ? WindowLinePoints(xs, ys, frequencyRange_, Window(), Columns, extremes_)
                     : WindowLinePoints(xs, ys, frequencyRange_, *window_, Columns, false);
    line_.clear();
    line_.reserve(kept.size());
    for (std::size_t i : kept) {
        line_.push_back({Place(xs[i]), ys[i]});
    }
    lineWhole_ = !window_ && !(moving_ && ascending_);
    allKept_ =
        static_cast<double>(std::min(xs.size(), ys.size())) <= 4 * std::max(Columns.Width, 1.0);
    kept_ = kept;
    const bool sparse =
        ShowsMarkers(xs, ys, frequencyRange_, Window(), PlotWidth, ascending_) && !line_.empty();
    markers_ = line_.size() == 1 || sparse;

    referenceLine_.clear();
    for (std::size_t i : WindowLinePoints(referenceX_, referenceY_, frequencyRange_, Window(),
                                          Columns, referenceAscending_)) {
        referenceLine_.push_back({Place(referenceX_[i]), referenceY_[i]});
    }
    fitLine_.clear();
    for (std::size_t i :
         WindowLinePoints(fitX_, fitY_, frequencyRange_, Window(), Columns, Ascending(fitX_))) {
        fitLine_.push_back({Place(fitX_[i]), fitY_[i]});
    }
}

std::optional<std::size_t> TChartModel::PointAt(const TPlotFrame& Frame, double X, double Y) const {
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    const TChartWindow window = Window();
    const std::optional<std::size_t> nearest =
        NearestPoint(xs, ys, frequencyRange_, window, Frame, X, Y, ascending_, &extremes_);
    if (!nearest) {
        return std::nullopt;
    }
    const double dx = ScreenX(window, Frame, frequencyRange_, xs[*nearest]) - X;
    const double dy = ScreenY(window, Frame, ys[*nearest]) - Y;
    return std::hypot(dx, dy) <= kPickRadius ? nearest : std::nullopt;
}

bool TChartModel::PointerAt(const TPlotFrame& Frame, double X, double Y,
                            const NumberNotation& Notation) {
    std::u16string text = note_;
    if (note_.empty() && ::Contains(Frame, X, Y)) {
        const TChartWindow window = Window();
        const double place = PlaceAt(window, Frame, X);
        const double hz = std::pow(10.0, frequencyRange_.Reversed ? -place : place);
        const std::vector<double>& xs = series_.XValues();
        const std::vector<double>& ys = series_.YValues();
        std::optional<std::pair<double, double>> point;
        if (const auto nearest = NearestPoint(xs, ys, frequencyRange_, window, Frame, X, Y,
                                              ascending_, &extremes_)) {
            point = std::pair{xs[*nearest], ys[*nearest]};
        }
        text = Readout(hz, GainAt(window, Frame, Y), window, point, Notation);
    }
    if (text == readout_) {
        return false;
    }
    readout_ = std::move(text);
    return true;
}

bool TChartModel::PointerLeft() {
    note_.clear();
    if (readout_.empty()) {
        return false;
    }
    readout_.clear();
    return true;
}

TChartModel::TPress TChartModel::Press(const TPlotFrame& Frame, double X, double Y) {
    note_.clear();
    if (!::Contains(Frame, X, Y)) {
        return TPress::OffPlot;
    }
    if (const std::optional<std::size_t> point = PointAt(Frame, X, Y)) {
        picked_ = point;
        if (rows_) {
            rows_->SelectRowOf(*point);
        }
        return TPress::Picked;
    }
    dragFrom_ = std::pair{X, Y};
    return TPress::Drag;
}

bool TChartModel::DragTo(const TPlotFrame& Frame, double X, double Y) {
    if (!dragFrom_) {
        return false;
    }
    const double right = X - dragFrom_->first;
    const double down = Y - dragFrom_->second;
    dragFrom_ = std::pair{X, Y};
    window_ = Pan(Window(), right / Frame.Width, down / Frame.Height);
    return true;
}

void TChartModel::Unzoom() {
    dragFrom_.reset();
    FindRanges(); // also of points drawn since, whose axes were kept
}

bool TChartModel::Wheel(const TPlotFrame& Frame, double X, double Y, double Angle, bool Gain) {
    if (!::Contains(Frame, X, Y)) {
        return false;
    }
    const double notches = Angle / kNotchAngle;
    const TChartWindow window = Window();
    const TChartWindow automatic = AutoWindow(frequencyRange_, gainRange_);
    window_ = Gain ? ZoomGain(window, automatic, GainAt(window, Frame, Y), notches)
                   : ZoomFrequency(window, automatic, PlaceAt(window, Frame, X), notches);
    return true;
}

TPlotFrame TChartModel::LegendBox(const TPlotFrame& Plot, const TChartWindow& Axes, double Width,
                                  double Height) const {
    const double right = Plot.Left + Plot.Width - Width - 4;
    const double bottom = Plot.Top + Plot.Height - Height - 4;
    const TPlotFrame corners[] = {{right, Plot.Top + 4, Width, Height},
                                  {right, bottom, Width, Height},
                                  {Plot.Left + 4, bottom, Width, Height}};
    int hidden[std::size(corners)] = {};
    // Where Qt Charts places a point in the plot.
    const double xScale = Plot.Width / (Axes.Right - Axes.Left);
    const double yScale = Plot.Height / (Axes.Top - Axes.Bottom);
    const auto count = [&](std::span<const double> xs, std::span<const double> ys) {
        // Every point of a sparse curve, a sample of a dense one: the corners only compare.
        const std::size_t points = std::min(xs.size(), ys.size());
        const std::size_t step = std::max<std::size_t>(1, points / 2000);
        for (std::size_t i = 0; i < points; i += step) {
            if (!IsDrawable(xs[i], ys[i])) {
                continue;
            }
            const double x = (Place(xs[i]) - Axes.Left) * xScale + Plot.Left;
            const double y = ((ys[i] - Axes.Bottom) * -yScale + Plot.Height) + Plot.Top;
            for (std::size_t c = 0; c < std::size(corners); ++c) {
                const TPlotFrame& box = corners[c];
                hidden[c] +=
                    ::Contains({box.Left - 3, box.Top - 3, box.Width + 6, box.Height + 6}, x, y);
            }
        }
    };
    count(series_.XValues(), series_.YValues());
    count(referenceX_, referenceY_);
    count(fitX_, fitY_);
    return corners[std::min_element(std::begin(hidden), std::end(hidden)) - std::begin(hidden)];
}

TChartModel::TLegend TChartModel::Legend(const TPlotFrame& Plot, const TChartWindow& Axes,
                                         double TextWidth, double TextHeight) const {
    constexpr double kStroke = 24;
    const double rowHeight = TextHeight + 2;
    const int rows = HasReference() && HasFit() ? 3 : 2;
    TLegend legend{LegendBox(Plot, Axes, TextWidth + kStroke + 18, rows * rowHeight + 6), {}};
    const double left = legend.Box.Left;
    for (int row = 0; row < rows; ++row) {
        const double y = legend.Box.Top + 3 + rowHeight * (row + 0.5);
        legend.Rows.push_back({left + 6,
                               left + 6 + kStroke,
                               y,
                               {left + 12 + kStroke, y - rowHeight / 2, TextWidth + 2, rowHeight}});
    }
    return legend;
}
