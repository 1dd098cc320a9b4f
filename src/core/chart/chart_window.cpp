#include "chart_window.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Moves Lo..Hi inside Floor..Ceiling, narrowed to fit when it is wider.
void Keep(double& Lo, double& Hi, double Floor, double Ceiling) {
    if (Hi - Lo >= Ceiling - Floor) {
        Lo = Floor;
        Hi = Ceiling;
    } else if (Lo < Floor) {
        Hi += Floor - Lo;
        Lo = Floor;
    } else if (Hi > Ceiling) {
        Lo -= Hi - Ceiling;
        Hi = Ceiling;
    }
}

// Both axes inside their finite ranges; an edge that went wrong leaves the window as it was.
TChartWindow Kept(TChartWindow Next, const TChartWindow& Was) {
    Keep(Next.Left, Next.Right, -kFarthestPlace, kFarthestPlace);
    Keep(Next.Bottom, Next.Top, -kFarthestGain, kFarthestGain);
    if (!(Next.Left < Next.Right)) {
        Next.Left = Was.Left;
        Next.Right = Was.Right;
    }
    if (!(Next.Bottom < Next.Top)) {
        Next.Bottom = Was.Bottom;
        Next.Top = Was.Top;
    }
    return Next;
}

void Zoom(double& Lo, double& Hi, double Deepest, double AutoSpan, double At, double Notches) {
    const double span = Hi - Lo;
    const double wanted = span / std::pow(kZoomPerNotch, Notches);
    const double next = std::clamp(wanted, std::min(Deepest, AutoSpan), AutoSpan * kWidestZoom);
    const double factor = next / span;
    Lo = At - (At - Lo) * factor;
    Hi = At + (Hi - At) * factor;
}

// The place of a point on the full axis, as the chart draws it.
double Place(const TFrequencyAxis& Full, double Hz) {
    return FrequencyPosition(Full, FrequencyPlotX(Full, Hz));
}

// With ascending X, the indices from the last point left of the window to the first point right of
// it; else all of them.
std::pair<std::size_t, std::size_t> InView(std::span<const double> X, std::size_t Count,
                                           const TFrequencyAxis& Full, const TChartWindow& Window,
                                           bool Ascending) {
    if (!Ascending || Full.Reversed || Full.Collapsed) {
        return {0, Count};
    }
    const auto begin = X.begin();
    const auto end = X.begin() + static_cast<std::ptrdiff_t>(Count);
    // Places rise with X on an axis that is neither reversed nor collapsed.
    auto first =
        std::partition_point(begin, end, [&](double Hz) { return Place(Full, Hz) < Window.Left; });
    auto last = std::partition_point(first, end,
                                     [&](double Hz) { return Place(Full, Hz) <= Window.Right; });
    const auto from = static_cast<std::size_t>(first - begin);
    const auto to = static_cast<std::size_t>(last - begin);
    return {from > 0 ? from - 1 : 0, std::min(to + 1, Count)};
}

bool Visible(const TChartWindow& Window, double Place, double Db) {
    return Place >= Window.Left && Place <= Window.Right && Db >= Window.Bottom && Db <= Window.Top;
}

// Digits after the separator that tell apart values Step apart.
int Decimals(double Step) {
    return std::max(0, static_cast<int>(std::ceil(-std::log10(Step) - 1e-9)));
}

std::u16string Fixed(double Value, int Decimals, const NumberNotation& Notation) {
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, Value,
                                            std::chars_format::fixed, std::min(Decimals, 12));
    std::u16string text(buffer, error == std::errc{} ? end : buffer);
    if (text.find_first_not_of(u"-0.") == std::u16string::npos && !text.empty() &&
        text[0] == u'-') {
        text.erase(0, 1); // no "-0.0"
    }
    std::replace(text.begin(), text.end(), u'.', Notation.DecimalSeparator);
    return text;
}

// The shortest fixed text that reads back as the 32-bit value, its separator moved Shift places
// to the left, trailing zeros after it dropped.
std::u16string Exact(float Value, int Shift, const NumberNotation& Notation) {
    char buffer[80];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::fixed);
    std::string text(buffer, error == std::errc{} ? end : buffer);
    const bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    std::size_t point = digits.find('.');
    if (point == std::string::npos) {
        point = digits.size();
    } else {
        digits.erase(point, 1);
    }
    while (static_cast<int>(point) <= Shift) {
        digits.insert(0, 1, '0');
        ++point;
    }
    point -= static_cast<std::size_t>(Shift);
    std::string whole = digits.substr(0, point);
    std::string fraction = digits.substr(point);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    std::u16string out(whole.begin(), whole.end());
    if (!fraction.empty()) {
        out += Notation.DecimalSeparator;
        out.append(fraction.begin(), fraction.end());
    }
    if (negative && out.find_first_not_of(u"0") != std::u16string::npos) {
        out.insert(0, 1, u'-');
    }
    return out;
}

std::u16string PointText(double Hz, double Db, const NumberNotation& Notation) {
    const auto hz = static_cast<float>(Hz);
    const std::u16string frequency =
        hz > 1000 ? Exact(hz, 3, Notation) + u" kHz" : Exact(hz, 0, Notation) + u" Hz";
    return frequency + u", " + Exact(static_cast<float>(Db), 0, Notation) + u" dB";
}

// The pixel columns of a window, one beyond each end for the points just outside.
class TWindowColumns {
public:
    TWindowColumns(const TFrequencyAxis& Full, const TChartWindow& Window, TPlotColumns Columns)
        : full_(Full), window_(Window), columns_(Columns),
          scale_(Columns.Width / (Window.Right - Window.Left)),
          leftmost_(std::floor(Columns.Left) - 1),
          rightmost_(std::floor(Columns.Left + Columns.Width) + 1) {}

    double Of(double Hz) const {
        return std::clamp(std::floor(columns_.Left + (Place(full_, Hz) - window_.Left) * scale_),
                          leftmost_, rightmost_);
    }
    bool BeforeRightmost(double Column) const { return Column < rightmost_; }
    // On an axis neither reversed nor collapsed, every frequency below this one lies in Column or
    // before: the next column's first, less a margin far wider than any rounding.
    double Below(double Column) const {
        return std::pow(10.0, window_.Left + (Column + 1 - columns_.Left) / scale_) * (1 - 1e-9);
    }

private:
    const TFrequencyAxis& full_;
    const TChartWindow& window_;
    TPlotColumns columns_;
    double scale_;
    double leftmost_;
    double rightmost_;
};

} // namespace

TChartWindow AutoWindow(const TFrequencyAxis& Frequency, const TGainAxis& Gain) {
    const double a = FrequencyPosition(Frequency, Frequency.Min);
    const double b = FrequencyPosition(Frequency, Frequency.Max);
    return {std::min(a, b), std::max(a, b), Gain.Min, Gain.Max};
}

void AddExtremes(std::span<const double> X, std::span<const double> Y, std::vector<double>& OutX,
                 std::vector<double>& OutY) {
    const std::size_t count = std::min(X.size(), Y.size());
    std::array<std::size_t, 4> at{}; // smallest X, largest X, smallest Y, largest Y
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (!IsDrawable(X[i], Y[i])) {
            continue;
        }
        if (!any) {
            at = {i, i, i, i};
            any = true;
        }
        at[0] = X[i] < X[at[0]] ? i : at[0];
        at[1] = X[i] > X[at[1]] ? i : at[1];
        at[2] = Y[i] < Y[at[2]] ? i : at[2];
        at[3] = Y[i] > Y[at[3]] ? i : at[3];
    }
    if (!any) {
        return;
    }
    for (std::size_t i : at) {
        OutX.push_back(X[i]);
        OutY.push_back(Y[i]);
    }
}

TChartWindow ZoomFrequency(const TChartWindow& Window, const TChartWindow& Auto, double At,
                           double Notches) {
    TChartWindow next = Window;
    Zoom(next.Left, next.Right, kDeepestFrequencySpan, Auto.Right - Auto.Left, At, Notches);
    return Kept(next, Window);
}

TChartWindow ZoomGain(const TChartWindow& Window, const TChartWindow& Auto, double At,
                      double Notches) {
    TChartWindow next = Window;
    Zoom(next.Bottom, next.Top, kDeepestGainSpan, Auto.Top - Auto.Bottom, At, Notches);
    return Kept(next, Window);
}

TChartWindow Pan(const TChartWindow& Window, double Right, double Down) {
    const double dx = (Window.Right - Window.Left) * Right;
    const double dy = (Window.Top - Window.Bottom) * Down;
    return Kept({Window.Left - dx, Window.Right - dx, Window.Bottom + dy, Window.Top + dy}, Window);
}

TFrequencyAxis WindowFrequencyAxis(const TChartWindow& Window, const TFrequencyAxis& Full) {
    if (Full.Reversed) {
        return {std::pow(10.0, -Window.Right), std::pow(10.0, -Window.Left), false, true};
    }
    return {std::pow(10.0, Window.Left), std::pow(10.0, Window.Right), false, false};
}

TGainAxis WindowGainAxis(const TChartWindow& Window, const TGainAxis& Automatic, int MaxLabels) {
    if (Window.Bottom == Automatic.Min && Window.Top == Automatic.Max) {
        return Automatic;
    }
    // The finest step whose whole steps in the window are no more than the labels that fit.
    const int most = std::clamp(MaxLabels, 1, 40); // GainTicks gives no more than 41
    TGainAxis axis{Window.Bottom, Window.Top, NiceStep((Window.Top - Window.Bottom) / (most + 1))};
    while (GainTicks(axis).size() > static_cast<std::size_t>(most)) {
        axis.Step = NiceStep(axis.Step * 1.5); // the next of 1, 2 and 5
    }
    return axis;
}

double ScreenX(const TChartWindow& Window, const TPlotFrame& Frame, const TFrequencyAxis& Full,
               double Hz) {
    return Frame.Left +
           (Place(Full, Hz) - Window.Left) / (Window.Right - Window.Left) * Frame.Width;
}

double ScreenY(const TChartWindow& Window, const TPlotFrame& Frame, double Db) {
    return Frame.Top + (Window.Top - Db) / (Window.Top - Window.Bottom) * Frame.Height;
}

bool Ascending(std::span<const double> X) {
    return std::none_of(X.begin(), X.end(), [](double v) { return std::isnan(v); });
}

std::vector<std::size_t> WindowLinePoints(std::span<const double> X, std::span<const double> Y,
                                          const TFrequencyAxis& Full, const TChartWindow& Window,
                                          TPlotColumns Columns, bool Ascending) {
    const std::size_t count = std::min(X.size(), Y.size());
    const auto [from, to] = InView(X, count, Full, Window, Ascending);
    const double width = std::max(Columns.Width, 1.0);
    std::vector<std::size_t> kept;
    if (static_cast<double>(to - from) <= 4 * width) {
        for (std::size_t i = from; i < to; ++i) {
            if (IsDrawable(X[i], Y[i])) {
                kept.push_back(i);
            }
        }
        return kept;
    }

    const TWindowColumns columns(Full, Window, Columns);
    TColumnRuns runs(Y, 4 * static_cast<std::size_t>(width) + 16);
    // Places rise with X on an axis neither reversed nor collapsed: along ascending X, every point
    // below the next column's first frequency (less a margin far wider than any rounding) lies in
    // the column of the point before, without a logarithm.
    const bool rising = Ascending && !Full.Reversed && !Full.Collapsed;
    double sameColumnBelow = -std::numeric_limits<double>::infinity();
    for (std::size_t i = from; i < to; ++i) {
        if (!IsDrawable(X[i], Y[i])) {
            continue;
        }
        double column = runs.Column();
        if (!runs.InRun() || X[i] >= sameColumnBelow) {
            column = columns.Of(X[i]);
            if (rising && columns.BeforeRightmost(column)) {
                sameColumnBelow = columns.Below(column);
            }
        }
        runs.Add(i, column);
    }
    return runs.Finish();
}

std::vector<std::size_t> WindowLinePoints(std::span<const double> X, std::span<const double> Y,
                                          const TFrequencyAxis& Full, const TChartWindow& Window,
                                          TPlotColumns Columns, const TExtremesPyramid& Extremes) {
    const std::size_t count = std::min({X.size(), Y.size(), Extremes.Count()});
    const auto [from, to] = InView(X, count, Full, Window, true);
    if (Full.Reversed || Full.Collapsed ||
        static_cast<double>(to - from) <= 4 * std::max(Columns.Width, 1.0)) {
        return WindowLinePoints(X.first(count), Y.first(count), Full, Window, Columns, true);
    }

    const TWindowColumns columns(Full, Window, Columns);
    const auto begin = X.begin();
    TColumnRuns runs(Y, 4 * static_cast<std::size_t>(Columns.Width) + 16);
    for (std::size_t first = from; first < to;) {
        const double column = columns.Of(X[first]);
        std::size_t end = to;
        if (columns.BeforeRightmost(column)) {
            // Places rise with X, so the column's points are those up to the first at or above
            // `below`, give or take the few near it.
            const double below = columns.Below(column);
            std::size_t step = 1;
            while (first + step < to && X[first + step] < below) {
                step *= 2;
            }
            const auto lo = begin + static_cast<std::ptrdiff_t>(first + step / 2);
            const auto hi = begin + static_cast<std::ptrdiff_t>(std::min(first + step, to));
            end = static_cast<std::size_t>(
                std::partition_point(lo, hi, [&](double Hz) { return Hz < below; }) - begin);
            while (end < to && columns.Of(X[end]) <= column) {
                ++end;
            }
        }
        std::size_t firstDrawn = first;
        while (firstDrawn < end && !IsDrawable(X[firstDrawn], Y[firstDrawn])) {
            ++firstDrawn;
        }
        if (firstDrawn < end) {
            std::size_t lastDrawn = end - 1;
            while (!IsDrawable(X[lastDrawn], Y[lastDrawn])) {
                --lastDrawn;
            }
            const auto [lowest, highest] = Extremes.Extremes(X, Y, firstDrawn, lastDrawn + 1);
            runs.Keep({firstDrawn, lowest, highest, lastDrawn});
        }
        first = end;
    }
    return runs.Finish();
}

bool ShowsMarkers(std::span<const double> X, std::span<const double> Y, const TFrequencyAxis& Full,
                  const TChartWindow& Window, double PlotWidth, bool Ascending) {
    const std::size_t count = std::min(X.size(), Y.size());
    const auto [from, to] = InView(X, count, Full, Window, Ascending);
    const double most = PlotWidth / 8;
    double seen = 0;
    for (std::size_t i = from; i < to && seen <= most; ++i) {
        const double place = Place(Full, X[i]);
        seen += IsDrawable(X[i], Y[i]) && place >= Window.Left && place <= Window.Right;
    }
    return seen <= most;
}

std::optional<std::size_t> NearestPoint(std::span<const double> X, std::span<const double> Y,
                                        const TFrequencyAxis& Full, const TChartWindow& Window,
                                        const TPlotFrame& Frame, double PointerX, double PointerY,
                                        bool Ascending, const TExtremesPyramid* Pyramid) {
    const std::size_t count = std::min(X.size(), Y.size());
    std::optional<std::size_t> nearest;
    double best = std::numeric_limits<double>::infinity();
    // False once the points on this side lie further across than the nearest one.
    const auto consider = [&](std::size_t i) {
        const double place = Place(Full, X[i]);
        const double sx =
            Frame.Left + (place - Window.Left) / (Window.Right - Window.Left) * Frame.Width;
        const double dx = sx - PointerX;
        if (dx * dx > best) {
            return false;
        }
        if (!IsDrawable(X[i], Y[i]) || !Visible(Window, place, Y[i])) {
            return true;
        }
        const double dy = ScreenY(Window, Frame, Y[i]) - PointerY;
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = i;
        }
        return true;
    };
    const auto [from, to] = InView(X, count, Full, Window, Ascending);
    if (!Ascending || Full.Reversed || Full.Collapsed) {
        for (std::size_t i = from; i < to; ++i) {
            const double place = Place(Full, X[i]);
            if (!IsDrawable(X[i], Y[i]) || !Visible(Window, place, Y[i])) {
                continue;
            }
            const double dx = ScreenX(Window, Frame, Full, X[i]) - PointerX;
            const double dy = ScreenY(Window, Frame, Y[i]) - PointerY;
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                nearest = i;
            }
        }
        return nearest;
    }
    // Outwards from the pointer's column, on each side until the points lie too far across.
    const double at =
        Window.Left + (PointerX - Frame.Left) / Frame.Width * (Window.Right - Window.Left);
    const auto begin = X.begin() + static_cast<std::ptrdiff_t>(from);
    const auto end = X.begin() + static_cast<std::ptrdiff_t>(to);
    const auto split = static_cast<std::size_t>(
        std::partition_point(begin, end, [&](double Hz) { return Place(Full, Hz) < at; }) -
        X.begin());
    if (Pyramid == nullptr || Pyramid->Count() != count) {
        for (std::size_t i = split; i < to && consider(i); ++i) {
        }
        for (std::size_t i = split; i > from && consider(i - 1); --i) {
        }
        return nearest;
    }
    // Block by block outwards, each block twice the last: a block whose point nearest across lies
    // too far across ends the side; one whose gains all lie too far up or down cannot hold a
    // nearer point and is passed over whole; any other is searched half by half, the nearer half
    // first, down to runs that are read point by point.
    enum class Side { Done, Open };
    constexpr std::size_t kRun = 32;
    const double yScale = Frame.Height / (Window.Top - Window.Bottom);
    const auto search = [&](auto& self, std::size_t From, std::size_t To, bool Right) -> Side {
        const double dx = ScreenX(Window, Frame, Full, X[Right ? From : To - 1]) - PointerX;
        if (dx * dx > best) {
            return Side::Done;
        }
        const auto [low, high] = Pyramid->Extremes(X, Y, From, To);
        if (low == TExtremesPyramid::npos) {
            return Side::Open;
        }
        const double top = ScreenY(Window, Frame, Y[high]);
        const double bottom = ScreenY(Window, Frame, Y[low]);
        const double dy = PointerY < top ? top - PointerY : std::max(0.0, PointerY - bottom);
        if (dx * dx + dy * dy >= best) {
            return Side::Open;
        }
        if (To - From <= kRun) {
            for (std::size_t k = 0; k < To - From; ++k) {
                const std::size_t i = Right ? From + k : To - 1 - k;
                // No nearer up or down than the nearest one: no nearer at all, whatever its place.
                // First without a division, for those further by far more than any rounding.
                const double roughly = Frame.Top + (Window.Top - Y[i]) * yScale - PointerY;
                if (std::isfinite(yScale) && roughly * roughly > best * (1 + 1e-9) + 1e-9) {
                    continue;
                }
                const double dy = ScreenY(Window, Frame, Y[i]) - PointerY;
                if (IsDrawable(X[i], Y[i]) && dy * dy >= best) {
                    continue;
                }
                if (!consider(i)) {
                    return Side::Done;
                }
            }
            return Side::Open;
        }
        const std::size_t middle = From + (To - From) / 2;
        return Right ? (self(self, From, middle, true) == Side::Done ? Side::Done
                                                                     : self(self, middle, To, true))
                     : (self(self, middle, To, false) == Side::Done
                            ? Side::Done
                            : self(self, From, middle, false));
    };
    for (std::size_t first = split, size = kRun; first < to; first += size, size *= 2) {
        if (search(search, first, std::min(to, first + size), true) == Side::Done) {
            break;
        }
    }
    for (std::size_t last = split, size = kRun; last > from; last -= size, size *= 2) {
        size = std::min(size, last - from);
        if (search(search, last - size, last, false) == Side::Done) {
            break;
        }
    }
    return nearest;
}

std::u16string Readout(double PointerHz, double PointerDb, const TChartWindow& Window,
                       std::optional<std::pair<double, double>> Point,
                       const NumberNotation& Notation) {
    // A hundredth of the window: across it the frequency changes by this ratio less 1.
    const double ratio = std::pow(10.0, (Window.Right - Window.Left) / 100) - 1;
    const bool kilo = PointerHz > 1000;
    const double shown = kilo ? PointerHz / 1000 : PointerHz;
    const int significant = Decimals(ratio) + 1;
    const int whole = static_cast<int>(std::floor(std::log10(std::max(shown, 1e-300)))) + 1;
    std::u16string text =
        Fixed(shown, std::max(0, significant - whole), Notation) + (kilo ? u" kHz, " : u" Hz, ") +
        Fixed(PointerDb, Decimals((Window.Top - Window.Bottom) / 100), Notation) + u" dB";
    if (Point) {
        text += u"  |  point " + PointText(Point->first, Point->second, Notation);
    }
    return text;
}
