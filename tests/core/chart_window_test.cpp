#include "chart_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Series {
    std::vector<double> x;
    std::vector<double> y;
};

// Log-spaced over 20 Hz to 20 kHz with a random walk for the gain.
Series Dense(int count) {
    std::mt19937 random(7);
    std::normal_distribution<double> step(0, 0.3);
    Series s;
    double at = 0;
    for (int i = 0; i < count; ++i) {
        s.x.push_back(20 * std::pow(1000.0, static_cast<double>(i) / count));
        s.y.push_back(at += step(random));
    }
    return s;
}

TEST(ChartWindow, TheExtremesOfTwoSeriesGiveTheRangesOfBothTogether) {
    const Series a = Dense(300);
    const Series b{{5, kNaN, 300000, -1, 40}, {3, 100, -40, kNaN, 12}};
    for (const auto& [first, second] : {std::pair{a, b}, std::pair{b, a}, std::pair{a, a}}) {
        std::vector<double> x;
        std::vector<double> y;
        AddExtremes(first.x, first.y, x, y);
        AddExtremes(second.x, second.y, x, y);
        std::vector<double> allX = first.x;
        std::vector<double> allY = first.y;
        allX.insert(allX.end(), second.x.begin(), second.x.end());
        allY.insert(allY.end(), second.y.begin(), second.y.end());
        const TFrequencyAxis f = FrequencyAxis(x, y);
        const TFrequencyAxis all = FrequencyAxis(allX, allY);
        EXPECT_EQ(f.Min, all.Min);
        EXPECT_EQ(f.Max, all.Max);
        EXPECT_EQ(f.Reversed, all.Reversed);
        EXPECT_EQ(GainAxis(x, y, 9).Min, GainAxis(allX, allY, 9).Min);
        EXPECT_EQ(GainAxis(x, y, 9).Max, GainAxis(allX, allY, 9).Max);
    }
    std::vector<double> x;
    std::vector<double> y;
    AddExtremes(std::vector<double>{kNaN}, std::vector<double>{1}, x, y);
    EXPECT_TRUE(x.empty());
}

TEST(ChartWindow, ZoomKeepsThePlaceUnderThePointerAndStaysWithinItsLimits) {
    const TChartWindow full{1, 4, -10, 10};
    const TChartWindow in = ZoomFrequency(full, full, 2.5, 1);
    EXPECT_NEAR(in.Right - in.Left, 3 / 1.25, 1e-12);
    // The pointer's place keeps its fraction of the span: half-way stays half-way.
    EXPECT_NEAR((2.5 - in.Left) / (in.Right - in.Left), 0.5, 1e-12);
    EXPECT_EQ(in.Bottom, full.Bottom);
    EXPECT_EQ(in.Top, full.Top);
    const TChartWindow off = ZoomFrequency(full, full, 1.3, 2);
    EXPECT_NEAR((1.3 - off.Left) / (off.Right - off.Left), 0.1, 1e-12);
    const TChartWindow back = ZoomFrequency(in, full, 2.5, -1);
    EXPECT_NEAR(back.Left, full.Left, 1e-12);
    EXPECT_NEAR(back.Right, full.Right, 1e-12);

    const TChartWindow gain = ZoomGain(full, full, 5, 3);
    EXPECT_NEAR(gain.Top - gain.Bottom, 20 / std::pow(1.25, 3), 1e-12);
    EXPECT_NEAR((5 - gain.Bottom) / (gain.Top - gain.Bottom), 0.75, 1e-12);
    EXPECT_EQ(gain.Left, full.Left);

    // No further in than 1/100 octave or 0.1 dB, no further out than ten times the automatic span.
    const TChartWindow deepest = ZoomFrequency(full, full, 2, 1000);
    EXPECT_NEAR(std::pow(10.0, deepest.Right - deepest.Left), std::pow(2.0, 0.01), 1e-12);
    const TChartWindow flat = ZoomGain(full, full, 0, 1000);
    EXPECT_NEAR(flat.Top - flat.Bottom, 0.1, 1e-12);
    EXPECT_NEAR(ZoomGain(full, full, 0, -1000).Top - ZoomGain(full, full, 0, -1000).Bottom, 200,
                1e-9);
    // An automatic span narrower than the deepest one is not widened by zooming in.
    const TChartWindow narrow{2, 2.001, 0, 0.05};
    EXPECT_EQ(ZoomFrequency(narrow, narrow, 2, 5), narrow);
    EXPECT_EQ(ZoomGain(narrow, narrow, 0, 5), narrow);
}

// A profile from the smallest to the largest float frequency and gain, zoomed out fully, panned
// far and zoomed in at either end, on a plain and on a reversed axis: every window has finite
// positive frequencies and finite gains, each axis from a smaller to a larger value, and labels
// that are numbers.
TEST(ChartWindow, WindowsStayFiniteAtTheExtremesOfTheFloats) {
    const double tiny = std::numeric_limits<float>::denorm_min(); // 1e-45
    const double huge = std::numeric_limits<float>::max();        // 3.4e38
    const std::vector<double> gains = {-huge, huge, 0};
    using Move = TChartWindow (*)(const TChartWindow&, const TChartWindow&);
    struct Case {
        const char* name;
        Move move;
    };
    const std::vector<Case> cases = {
        {"zoomed out",
         [](const TChartWindow& w, const TChartWindow& a) {
             return ZoomGain(ZoomFrequency(w, a, (w.Left + w.Right) / 2, -1000), a,
                             (w.Bottom + w.Top) / 2, -1000);
         }},
        {"panned left and down",
         [](const TChartWindow& w, const TChartWindow&) { return Pan(w, 1e300, 1e300); }},
        {"panned right and up",
         [](const TChartWindow& w, const TChartWindow&) { return Pan(w, -1e300, -1e300); }},
        {"zoomed in at the left and bottom",
         [](const TChartWindow& w, const TChartWindow& a) {
             return ZoomGain(ZoomFrequency(w, a, w.Left, 1000), a, w.Bottom, 1000);
         }},
        {"zoomed in at the right and top",
         [](const TChartWindow& w, const TChartWindow& a) {
             return ZoomGain(ZoomFrequency(w, a, w.Right, 1000), a, w.Top, 1000);
         }},
    };
    for (const std::vector<double>& x :
         {std::vector<double>{tiny, huge, 1000}, std::vector<double>{0, tiny, 0.5}}) {
        const TFrequencyAxis full = FrequencyAxis(x, gains);
        const TGainAxis gain = GainAxis(x, gains, 10);
        const TChartWindow automatic = AutoWindow(full, gain);
        for (const Case& first : cases) {
            for (const Case& then : cases) {
                SCOPED_TRACE(std::string(full.Reversed ? "reversed, " : "") + first.name + ", " +
                             then.name);
                const TChartWindow w = then.move(first.move(automatic, automatic), automatic);
                const TFrequencyAxis shown = WindowFrequencyAxis(w, full);
                EXPECT_TRUE(std::isfinite(shown.Min) && std::isfinite(shown.Max));
                EXPECT_GT(shown.Min, 0);
                EXPECT_LT(shown.Min, shown.Max);
                EXPECT_TRUE(std::isfinite(w.Bottom) && std::isfinite(w.Top));
                EXPECT_LT(w.Bottom, w.Top);
                const std::vector<double> ticks = FrequencyTicks(shown, 8);
                EXPECT_FALSE(ticks.empty());
                for (double hz : ticks) {
                    EXPECT_TRUE(std::isfinite(hz) && hz > 0) << hz;
                }
                for (double db : GainTicks(WindowGainAxis(w, gain, 8))) {
                    EXPECT_TRUE(std::isfinite(db)) << db;
                }
            }
        }
    }
}

TEST(ChartWindow, PanMovesTheContentWithTheDrag) {
    const TChartWindow moved = Pan({1, 3, -10, 10}, 0.25, 0.5);
    EXPECT_EQ(moved, (TChartWindow{0.5, 2.5, 0, 20}));
}

TEST(ChartWindow, AxesInViewFollowTheWindow) {
    const TFrequencyAxis plain{20, 20000, false, false};
    const TFrequencyAxis reversed{0.5, 1, false, true};
    const TFrequencyAxis a = WindowFrequencyAxis({2, 3, 0, 1}, plain);
    EXPECT_NEAR(a.Min, 100, 1e-9);
    EXPECT_NEAR(a.Max, 1000, 1e-9);
    EXPECT_FALSE(a.Reversed);
    const TFrequencyAxis r = WindowFrequencyAxis({0, 0.2, 0, 1}, reversed);
    EXPECT_NEAR(r.Min, std::pow(10, -0.2), 1e-12);
    EXPECT_NEAR(r.Max, 1, 1e-12);
    EXPECT_TRUE(r.Reversed);
    EXPECT_EQ(AutoWindow(reversed, {-6, 6, 2}), (TChartWindow{0, -std::log10(0.5), -6, 6}));

    // The finest step that fits; the automatic axis, step and all, while the gain is not zoomed.
    const TGainAxis automatic{-20, 20, 20};
    const struct {
        double bottom, top;
        int labels;
        TGainAxis axis;
    } gains[] = {
        {-3.3, 4.1, 10, {-3.3, 4.1, 1}},
        {-10.24, 10.24, 3, {-10.24, 10.24, 10}},
        {-10.24, 10.24, 8, {-10.24, 10.24, 5}},
        {-20, 20, 3, automatic},
        {-20, 20, 12, automatic},
        {-20, 19, 3, {-20, 19, 20}},
        {0.01, 0.05, 5, {0.01, 0.05, 0.01}},
        {-25.5, 25.5, 50, {-25.5, 25.5, 2}}, // a tall plot: more labels fit than a screenful
    };
    for (const auto& c : gains) {
        SCOPED_TRACE(c.labels);
        const TGainAxis g = WindowGainAxis({0, 1, c.bottom, c.top}, automatic, c.labels);
        EXPECT_EQ(g.Min, c.axis.Min);
        EXPECT_EQ(g.Max, c.axis.Max);
        EXPECT_EQ(g.Step, c.axis.Step);
        const std::vector<double> ticks = GainTicks(g);
        EXPECT_LE(ticks.size(), static_cast<std::size_t>(c.labels));
        ASSERT_FALSE(ticks.empty());
        EXPECT_GT(ticks.back() + g.Step, c.top); // labelled up to the top
    }
}

TEST(ChartWindow, ReductionAtTheAutomaticWindowIsThatOfTheWholeChart) {
    for (int count : {50, 3000, 100000}) {
        SCOPED_TRACE(count);
        const Series s = Dense(count);
        const TFrequencyAxis axis = FrequencyAxis(s.x, s.y);
        const TChartWindow window = AutoWindow(axis, GainAxis(s.x, s.y, 10));
        const TPlotColumns columns{30.5, 600};
        EXPECT_EQ(WindowLinePoints(s.x, s.y, axis, window, columns, true),
                  LinePoints(s.x, s.y, axis, columns));
    }
}

// Zoomed in, each column in view still gets its first, lowest, highest and last point, and the
// line leaves the plot towards the nearest point outside on each side.
TEST(ChartWindow, ReductionForAZoomedWindowKeepsEveryColumnsExtremesAndTheNeighboursOutside) {
    const Series s = Dense(200000);
    const TFrequencyAxis axis = FrequencyAxis(s.x, s.y);
    const TChartWindow window{2, 3, -50, 50}; // 100 Hz to 1 kHz
    const TPlotColumns columns{10, 400};
    for (bool ascending : {true, false}) {
        SCOPED_TRACE(ascending);
        const std::vector<std::size_t> kept =
            WindowLinePoints(s.x, s.y, axis, window, columns, ascending);
        ASSERT_LT(kept.size(), 4u * 404);
        ASSERT_TRUE(std::is_sorted(kept.begin(), kept.end()));
        const auto has = [&](std::size_t i) {
            return std::binary_search(kept.begin(), kept.end(), i);
        };
        std::size_t firstIn = 0;
        while (std::log10(s.x[firstIn]) < window.Left) {
            ++firstIn;
        }
        std::size_t lastIn = firstIn;
        while (std::log10(s.x[lastIn + 1]) <= window.Right) {
            ++lastIn;
        }
        EXPECT_TRUE(has(firstIn - 1));
        EXPECT_TRUE(has(lastIn + 1));
        EXPECT_EQ(kept.front() == firstIn - 1, ascending); // the full scan keeps the far ones too
        for (std::size_t i = firstIn; i <= lastIn;) {
            const double column = std::floor(10 + (std::log10(s.x[i]) - 2) * 400);
            std::size_t end = i;
            std::size_t lo = i;
            std::size_t hi = i;
            while (end <= lastIn && std::floor(10 + (std::log10(s.x[end]) - 2) * 400) == column) {
                lo = s.y[end] < s.y[lo] ? end : lo;
                hi = s.y[end] > s.y[hi] ? end : hi;
                ++end;
            }
            EXPECT_TRUE(has(i) && has(end - 1) && has(lo) && has(hi)) << "column " << column;
            i = end;
        }
    }
}

TEST(ChartWindow, NearestPointIsTheNearestOnTheScreenAmongThePointsInView) {
    Series s = Dense(5000);
    const TFrequencyAxis axis = FrequencyAxis(s.x, s.y);
    const TChartWindow window{2.2, 2.6, -4, 3};
    const TPlotFrame frame{40, 10, 500, 300};
    Series gaps = s;
    gaps.x[2500] = kNaN; // no bisection then
    // A flat line with a spike every 400 points: from above, the nearest point lies far across.
    Series comb = s;
    for (std::size_t i = 0; i < comb.y.size(); ++i) {
        comb.y[i] = i % 400 == 0 ? 2.5 : 0;
    }
    const auto brute = [&](const Series& series, double x, double y, std::size_t left) {
        std::optional<std::size_t> nearest;
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < series.x.size(); ++i) {
            const double sx = ScreenX(window, frame, axis, series.x[i]);
            const double sy = ScreenY(window, frame, series.y[i]);
            const bool inView =
                sx >= 40 - 1e-9 && sx <= 540 + 1e-9 && series.y[i] >= -4 && series.y[i] <= 3;
            const double d = (sx - x) * (sx - x) + (sy - y) * (sy - y);
            if (inView && i != left && d < best) {
                best = d;
                nearest = i;
            }
        }
        return nearest;
    };
    const TExtremesPyramid pyramid(s.x, s.y);
    const TExtremesPyramid combPyramid(comb.x, comb.y);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> px(0, 600);
    std::uniform_real_distribution<double> py(0, 330);
    for (int n = 0; n < 200; ++n) {
        const double x = px(random);
        const double y = py(random);
        const std::optional<std::size_t> nearest = brute(s, x, y, 2500);
        EXPECT_EQ(NearestPoint(s.x, s.y, axis, window, frame, x, y, true), nearest);
        EXPECT_EQ(NearestPoint(s.x, s.y, axis, window, frame, x, y, true, &pyramid), nearest);
        EXPECT_EQ(NearestPoint(gaps.x, gaps.y, axis, window, frame, x, y, false), nearest);
        const double above = ScreenY(window, frame, 2.5) + (y - 165) / 20;
        EXPECT_EQ(NearestPoint(comb.x, comb.y, axis, window, frame, x, above, true, &combPyramid),
                  brute(comb, x, above, comb.x.size()));
    }
    EXPECT_EQ(NearestPoint(s.x, s.y, axis, {5, 6, -4, 3}, frame, 100, 100, true), std::nullopt);

    // A gain window so narrow that its pixels per dB overflow a double: still the nearest.
    Series tiny = s;
    for (std::size_t i = 0; i < tiny.y.size(); ++i) {
        tiny.y[i] = static_cast<double>(i % 7) * 1e-311;
    }
    const TChartWindow narrow{2.2, 2.6, 0, 8e-311};
    const TExtremesPyramid tinyPyramid(tiny.x, tiny.y);
    for (const double y : {10.0, 150.0, 290.0}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(NearestPoint(tiny.x, tiny.y, axis, narrow, frame, 300, y, true, &tinyPyramid),
                  NearestPoint(tiny.x, tiny.y, axis, narrow, frame, 300, y, true));
    }
}

TEST(ChartWindow, MarkersWhileAtMostOnePointPerEightPixelsIsInView) {
    const Series s = Dense(1000);
    const TFrequencyAxis axis = FrequencyAxis(s.x, s.y);
    const TChartWindow all = AutoWindow(axis, GainAxis(s.x, s.y, 10));
    EXPECT_TRUE(ShowsMarkers(s.x, s.y, axis, all, 8000, true));
    EXPECT_FALSE(ShowsMarkers(s.x, s.y, axis, all, 7999, true));
    // A tenth of a decade holds 1000 / 30 points: 34 of them.
    const TChartWindow narrow{2, 2.1, -100, 100};
    EXPECT_TRUE(ShowsMarkers(s.x, s.y, axis, narrow, 34 * 8, true));
    EXPECT_FALSE(ShowsMarkers(s.x, s.y, axis, narrow, 33 * 8, true));
    EXPECT_FALSE(ShowsMarkers(s.x, s.y, axis, narrow, 33 * 8, false));
}

TEST(ChartWindow, ReadoutTexts) {
    const TChartWindow auto3{std::log10(20), std::log10(20000), -10, 10};
    const NumberNotation dot{u'.'};
    const NumberNotation comma{u','};
    struct Case {
        double hz, db;
        TChartWindow window;
        std::optional<std::pair<double, double>> point;
        NumberNotation notation;
        std::u16string text;
    };
    const Case cases[] = {
        {1250, -2.83, auto3, std::pair{1000.0, 0.0}, dot,
         u"1.25 kHz, -2.8 dB  |  point 1000 Hz, 0 dB"},
        {98.64, 0.04, auto3, std::nullopt, dot, u"98.6 Hz, 0.0 dB"},
        {999.7, -0.04, auto3, std::nullopt, dot, u"1000 Hz, 0.0 dB"},
        {12500, 5, auto3, std::pair{1234.5f, -2.8f}, comma,
         u"12,5 kHz, 5,0 dB  |  point 1,2345 kHz, -2,8 dB"},
        {20,
         1,
         {1, 1.01, 0.5, 1.5},
         std::pair{20000.0, 0.1f},
         dot,
         u"20.000 Hz, 1.00 dB  |  point 20 kHz, 0.1 dB"},
        {1000,
         1,
         {0, 30, -1000, 1000},
         std::pair{0.0, -0.0},
         dot,
         u"1000 Hz, 1 dB  |  point 0 Hz, 0 dB"},
        {3, 1, auto3, std::pair{0.00125f, 1e-5f}, dot,
         u"3.00 Hz, 1.0 dB  |  point 0.00125 Hz, 0.00001 dB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Readout(c.hz, c.db, c.window, c.point, c.notation), c.text);
    }
}

} // namespace
