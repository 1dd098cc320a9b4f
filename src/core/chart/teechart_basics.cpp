#include "teechart_basics.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {

// 10^e; exact for |e| <= 22, where every step of the loop is exact.
double PowerOfTen(int e) {
    if (e < 0 || e > 22) {
        return std::pow(10.0, e);
    }
    double p = 1;
    for (int i = 0; i < e; ++i) {
        p *= 10;
    }
    return p;
}

// m * 10^e with one rounding, so that 0.2 is the double nearest to 0.2.
double Scaled(double m, int e) {
    return e >= 0 ? m * PowerOfTen(e) : m / PowerOfTen(-e);
}

// The smallest and largest X or Y of the drawn points; false when none is drawn.
bool DrawnRange(std::span<const double> x, std::span<const double> y, bool ofX, double& lo,
                double& hi) {
    bool any = false;
    const std::size_t count = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (!IsDrawable(x[i], y[i])) {
            continue;
        }
        const double v = ofX ? x[i] : y[i];
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    return any;
}

// Values k * step from lo to hi; never more than a screenful, whatever the doubles do.
std::vector<double> EvenTicks(double lo, double hi, double step) {
    constexpr double kMost = 40;
    const double slack = 1e-9 * std::max({1.0, std::abs(lo / step), std::abs(hi / step)});
    const double first = std::ceil(lo / step - slack);
    const double last = std::floor(hi / step + slack);
    // A 1-2-5 step m * 10^e gives each tick as (k * m) * 10^e with one rounding, so that a tick
    // is the double nearest to its decimal (138.2, not 138.20000000000002 from 691 * 0.2).
    const int e = static_cast<int>(std::floor(std::log10(step)));
    const double m = std::round(step / Scaled(1, e));
    const bool decimal = std::isfinite(step) && step > 0 && Scaled(m, e) == step &&
                         std::max(std::abs(first), std::abs(last)) * m < 0x1p53;
    std::vector<double> ticks;
    for (double i = 0; i <= std::min(last - first, kMost); ++i) {
        ticks.push_back(decimal ? Scaled((first + i) * m, e) : (first + i) * step);
    }
    return ticks;
}

// Shortest text that reads back as v, with the notation's decimal separator.
std::u16string NumberText(double v, const NumberNotation& notation) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    std::u16string text(buffer, end);
    std::replace(text.begin(), text.end(), u'.', notation.DecimalSeparator);
    return text;
}

} // namespace

double NiceStep(double raw) {
    if (!std::isfinite(raw)) {
        return raw;
    }
    raw = std::max(raw, std::numeric_limits<double>::min());
    const int e = static_cast<int>(std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        const double step = Scaled(m, e);
        if (step >= raw) {
            return step;
        }
    }
    return Scaled(1, e + 1);
}

void TLineSeries::Changed() const {
    if (OnChange) {
        OnChange();
    }
}

void TLineSeries::PointChanged(std::size_t Index, TPointChange Change) const {
    if (OnPointChange) {
        OnPointChange(Index, Change);
    } else {
        Changed();
    }
}

void TLineSeries::MovePoint(std::size_t Index, double x, double y) {
    const bool gain = x_.at(Index) == x;
    x_[Index] = x;
    y_[Index] = y;
    PointChanged(Index, gain ? TPointChange::Gain : TPointChange::Moved);
}

void TLineSeries::InsertPoint(std::size_t Index, double x, double y) {
    const auto at = static_cast<std::ptrdiff_t>(std::min(Index, x_.size()));
    x_.insert(x_.begin() + at, x);
    y_.insert(y_.begin() + at, y);
    labels_.insert(labels_.begin() + at, std::u16string());
    colors_.insert(colors_.begin() + at, Color);
    PointChanged(static_cast<std::size_t>(at), TPointChange::Inserted);
}

void TLineSeries::ErasePoint(std::size_t Index) {
    if (Index >= x_.size()) {
        return;
    }
    const auto at = static_cast<std::ptrdiff_t>(Index);
    x_.erase(x_.begin() + at);
    y_.erase(y_.begin() + at);
    labels_.erase(labels_.begin() + at);
    colors_.erase(colors_.begin() + at);
    PointChanged(Index, TPointChange::Erased);
}

void TLineSeries::Empty() {
    x_.clear();
    y_.clear();
    labels_.clear();
    colors_.clear();
    Changed();
}

void TLineSeries::SwapPoints(TSeriesPoints& points) {
    x_.swap(points.X);
    y_.swap(points.Y);
    labels_.swap(points.Labels);
    colors_.swap(points.Colors);
    title_.swap(points.Title);
    Changed();
}

std::size_t TLineSeries::AddXY(double x, double y, std::u16string label, TColor color) {
    // Room first in all four lists, so that a failed allocation cannot leave them uneven.
    const auto makeRoom = [](auto& list) {
        if (list.size() == list.capacity()) {
            list.reserve(list.size() * 2 + 1);
        }
    };
    makeRoom(x_);
    makeRoom(y_);
    makeRoom(labels_);
    makeRoom(colors_);

    std::size_t at = x_.size();
    while (at > 0 && x_[at - 1] > x) {
        --at;
    }
    const auto offset = static_cast<std::ptrdiff_t>(at);
    x_.insert(x_.begin() + offset, x);
    y_.insert(y_.begin() + offset, y);
    labels_.insert(labels_.begin() + offset, std::move(label));
    colors_.insert(colors_.begin() + offset, color);
    Changed();
    return at;
}

void ShowSeries(const TDatentyp& data, TLineSeries& series, std::u16string_view title) {
    const std::vector<float>& xs = data.DatenXYZ[0];
    const std::vector<float>& ys = data.DatenXYZ[1];
    if (xs.size() < 2 || ys.empty()) {
        return;
    }
    const std::size_t count = std::min(xs.size(), ys.size());

    // Adding the points one by one keeps the stretch after the last NaN X sorted, equal X in
    // arrival order, and appends a NaN X at the end (it never compares greater, so the search
    // from the end stops at once and later points stop at it). A stable sort of each stretch
    // between NaN X therefore gives that same order without the quadratic insertion.
    // Built aside, so that a failed allocation leaves the series as it was.
    std::vector<double> x;
    std::vector<double> y;
    // Every stretch of a sequence in order is in order: the points stay where they are.
    // Profiles arrive sorted by frequency, so this is the common case.
    const auto end = static_cast<std::ptrdiff_t>(count);
    if (std::is_sorted(xs.begin(), xs.begin() + end)) {
        x.assign(xs.begin(), xs.begin() + end);
        y.assign(ys.begin(), ys.begin() + end);
    } else {
        x.resize(count);
        y.resize(count);
        std::vector<std::pair<float, std::size_t>> order(count);
        for (std::size_t i = 0; i < count; ++i) {
            order[i] = {xs[i], i};
        }
        const auto byX = [](const auto& a, const auto& b) { return a.first < b.first; };
        const auto sort = [&](auto from, auto to) {
            if (!std::is_sorted(from, to, byX)) {
                std::stable_sort(from, to, byX);
            }
        };
        auto stretch = order.begin();
        for (auto it = order.begin(); it != order.end(); ++it) {
            if (std::isnan(it->first)) {
                sort(stretch, it);
                stretch = it + 1;
            }
        }
        sort(stretch, order.end());
        for (std::size_t i = 0; i < count; ++i) {
            x[i] = order[i].first;
            y[i] = ys[order[i].second];
        }
    }
    std::vector<std::u16string> labels(count);
    std::vector<TColor> colors(count, TLineSeries::Color);
    std::u16string newTitle(title);

    series.x_ = std::move(x);
    series.y_ = std::move(y);
    series.labels_ = std::move(labels);
    series.colors_ = std::move(colors);
    series.title_ = std::move(newTitle);
    series.Changed();
}

void ShowAllPoints(const TDatentyp& data, TLineSeries& series, std::u16string_view title) {
    const std::vector<float>& freqs = data.DatenXYZ[0];
    const std::vector<float>& gains = data.DatenXYZ[1];
    if (freqs.size() >= 2 && !gains.empty()) {
        ShowSeries(data, series, title);
        return;
    }
    series.Empty();
    series.SetTitle(title);
    if (!freqs.empty() && !gains.empty()) {
        series.AddXY(freqs[0], gains[0], u"", TLineSeries::Color);
    }
}

bool IsDrawable(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

TFrequencyAxis FrequencyAxis(std::span<const double> x, std::span<const double> y) {
    double lo = 0;
    double hi = 0;
    if (!DrawnRange(x, y, true, lo, hi)) {
        return {20, 20000, false, false};
    }
    const double start = lo <= 0 ? 1 : lo;
    const double end = hi <= 0 ? 1 : hi;
    if (start == end) {
        return {start / 10, start * 10, true, false};
    }
    if (start > end) {
        return {end, start, false, true};
    }
    return {start, end, false, false};
}

double FrequencyPlotX(const TFrequencyAxis& axis, double x) {
    if (axis.Collapsed) {
        return std::sqrt(axis.Min * axis.Max);
    }
    if (x <= 0) {
        return axis.Reversed ? axis.Max : axis.Min;
    }
    return std::clamp(x, axis.Min, axis.Max);
}

double FrequencyPosition(const TFrequencyAxis& axis, double hz) {
    return axis.Reversed ? -std::log10(hz) : std::log10(hz);
}

std::vector<std::size_t> LinePoints(std::span<const double> x, std::span<const double> y,
                                    const TFrequencyAxis& axis, TPlotColumns columns) {
    const std::size_t count = std::min(x.size(), y.size());
    const double width = std::max(columns.Width, 1.0);
    std::vector<std::size_t> kept;
    if (static_cast<double>(count) <= 4 * width) {
        kept.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (IsDrawable(x[i], y[i])) {
                kept.push_back(i);
            }
        }
        return kept;
    }

    const TLineColumns columnOf(axis, columns);
    // Ascending X fills each column once; a stretch after a NaN X starts over from the left.
    TColumnRuns runs(y, 4 * static_cast<std::size_t>(width) + 8);
    for (std::size_t i = 0; i < count; ++i) {
        if (IsDrawable(x[i], y[i])) {
            runs.Add(i, columnOf(x[i]));
        }
    }
    return runs.Finish();
}

TLineColumns::TLineColumns(const TFrequencyAxis& Axis, TPlotColumns Columns)
    : axis_(Axis), left_(Columns.Left),
      start_(std::min(FrequencyPosition(Axis, Axis.Min), FrequencyPosition(Axis, Axis.Max))) {
    const double end =
        std::max(FrequencyPosition(Axis, Axis.Min), FrequencyPosition(Axis, Axis.Max));
    scale_ = Columns.Width / (end - start_);
}

double TLineColumns::operator()(double Hz) const {
    return std::floor(left_ +
                      (FrequencyPosition(axis_, FrequencyPlotX(axis_, Hz)) - start_) * scale_);
}

void TColumnRuns::Keep(std::array<std::size_t, 4> Run) {
    std::sort(Run.begin(), Run.end());
    for (std::size_t i : Run) {
        if (kept_.empty() || kept_.back() != i) {
            kept_.push_back(i);
        }
    }
}

std::vector<std::size_t> TColumnRuns::Finish() {
    if (inRun_) {
        Keep(run_);
        inRun_ = false;
    }
    return std::move(kept_);
}

std::vector<double> FrequencyTicks(const TFrequencyAxis& axis, int maxLabels) {
    const auto most = static_cast<std::size_t>(std::max(maxLabels, 2));
    const double lo = axis.Min * (1 - 1e-9);
    const double hi = axis.Max * (1 + 1e-9);
    const int firstDecade = static_cast<int>(std::floor(std::log10(lo)));
    const int lastDecade = static_cast<int>(std::ceil(std::log10(hi)));
    const auto decadeTicks = [&](std::initializer_list<double> mantissas, int stride) {
        std::vector<double> ticks;
        for (int e = firstDecade; e <= lastDecade; ++e) {
            if (e % stride != 0) {
                continue;
            }
            for (double m : mantissas) {
                const double v = Scaled(m, e);
                if (v >= lo && v <= hi) {
                    ticks.push_back(v);
                }
            }
        }
        return ticks;
    };

    const auto evenTicks = [&](std::size_t enough) {
        const double intervals = static_cast<double>(std::min<std::size_t>(most - 1, 8));
        double step = NiceStep(axis.Max / intervals - axis.Min / intervals);
        std::vector<double> even = EvenTicks(axis.Min, axis.Max, step);
        // Finer steps while they still fit, until there are enough.
        while (even.size() < enough) {
            const double finer = NiceStep(step * 0.39); // the 1-2-5 value below
            if (!(finer < step)) {
                break;
            }
            std::vector<double> more = EvenTicks(axis.Min, axis.Max, finer);
            if (more.size() > most) {
                break;
            }
            step = finer;
            even = std::move(more);
        }
        return even;
    };
    // A zoomed axis reads best with at least four labels where four fit.
    const std::size_t enough = std::min<std::size_t>(4, most);
    std::vector<double> ticks = decadeTicks({1, 2, 5}, 1);
    if (ticks.size() < enough) {
        std::vector<double> finer = decadeTicks({1, 2, 3, 4, 5, 6, 7, 8, 9}, 1);
        if (finer.size() >= enough && finer.size() <= most) {
            return finer;
        }
        // Too narrow for a logarithmic pattern: even steps read better.
        std::vector<double> even = evenTicks(enough);
        return ticks.size() < 2 || even.size() > ticks.size() ? even : ticks;
    }
    if (ticks.size() <= most) {
        return ticks;
    }
    for (int stride = 1;; stride *= 10) {
        for (int factor : {1, 2, 5}) {
            ticks = decadeTicks({1}, stride * factor);
            if (ticks.size() <= most) {
                return ticks;
            }
        }
    }
}

std::u16string FrequencyLabel(double hz, const NumberNotation& notation) {
    static constexpr std::pair<double, char16_t> kPrefixes[] = {
        {1e9, u'G'}, {1e6, u'M'}, {1e3, u'k'}};
    if (std::abs(hz) < 1e12) {
        for (const auto& [scale, prefix] : kPrefixes) {
            if (std::abs(hz) >= scale) {
                return NumberText(hz / scale, notation) + prefix;
            }
        }
    }
    return NumberText(hz, notation);
}

TGainAxis GainAxis(std::span<const double> x, std::span<const double> y, int maxLabels) {
    double lo = -10;
    double hi = 10;
    if (DrawnRange(x, y, false, lo, hi) && lo == hi) {
        const double around = std::max(1.0, std::abs(lo) / 10);
        lo -= around;
        hi += around;
    }
    // Rounding outward adds at most two labels to the steps across the data.
    const double steps = std::clamp(maxLabels - 2, 1, 8);
    const double step = NiceStep(hi / steps - lo / steps);
    const double min = std::floor(lo / step) * step;
    const double max = std::ceil(hi / step) * step;
    if (!std::isfinite(min) || !std::isfinite(max)) {
        return {lo, hi, step}; // rounding would leave the doubles
    }
    return {min, max, step};
}

std::vector<double> GainTicks(const TGainAxis& axis) {
    return EvenTicks(axis.Min, axis.Max, axis.Step);
}

std::u16string GainLabel(double db, double step, const NumberNotation& notation) {
    if (std::abs(db) < step / 2) {
        db = 0; // a tick that is zero but for rounding
    }
    std::u16string text;
    char buffer[512];
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, db, std::chars_format::fixed, decimals);
    if (std::abs(db) < 1e15 && error == std::errc{}) {
        text.assign(buffer, end);
        std::replace(text.begin(), text.end(), u'.', notation.DecimalSeparator);
    } else {
        text = NumberText(db, notation);
    }
    return text + u" dB";
}
