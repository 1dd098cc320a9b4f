#include "teechart_basics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

TDatentyp Data(std::vector<float> x, std::vector<float> y) {
    TDatentyp data;
    data.DatenXYZ[0] = std::move(x);
    data.DatenXYZ[1] = std::move(y);
    return data;
}

// Bit patterns, so that NaN equals NaN and -0 differs from +0.
std::vector<uint64_t> Bits(const std::vector<double>& values) {
    std::vector<uint64_t> bits;
    for (double v : values) {
        bits.push_back(std::bit_cast<uint64_t>(v));
    }
    return bits;
}

TEST(LineSeries, AddXYInsertsAfterEveryNotGreaterXSearchingFromTheEnd) {
    TLineSeries series;
    int changes = 0;
    series.OnChange = [&] { ++changes; };

    EXPECT_EQ(series.AddXY(5, 50, u"a", 1), 0u);
    EXPECT_EQ(series.AddXY(3, 30, u"b", 2), 0u);   // descending: goes to the front
    EXPECT_EQ(series.AddXY(5, 51, u"c", 3), 2u);   // equal X: after the earlier one
    EXPECT_EQ(series.AddXY(3, 31, u"d", 4), 1u);   // equal X in the middle
    EXPECT_EQ(series.AddXY(4, 40, u"e", 5), 2u);   // between
    EXPECT_EQ(series.AddXY(kNaN, 0, u"f", 6), 5u); // NaN never compares greater: appended
    EXPECT_EQ(series.AddXY(1, 10, u"g", 7), 6u);   // stops at the NaN
    EXPECT_EQ(changes, 7);

    EXPECT_EQ(Bits(series.XValues()), Bits({3, 3, 4, 5, 5, kNaN, 1}));
    EXPECT_EQ(series.YValues(), (std::vector<double>{30, 31, 40, 50, 51, 0, 10}));
    EXPECT_EQ(series.Labels(),
              (std::vector<std::u16string>{u"b", u"d", u"e", u"a", u"c", u"f", u"g"}));
    EXPECT_EQ(series.Colors(), (std::vector<TColor>{2, 4, 5, 1, 3, 6, 7}));

    series.Empty();
    EXPECT_EQ(changes, 8);
    EXPECT_EQ(series.Count(), 0u);
    EXPECT_TRUE(series.YValues().empty());
    EXPECT_TRUE(series.Labels().empty());
    EXPECT_TRUE(series.Colors().empty());
    EXPECT_EQ(series.AddXY(2, 20, u"", 0), 0u); // usable after Empty
}

// ShowSeries must give exactly what adding the points one by one gives, whatever the input.
TEST(ShowSeries, MatchesOneByOneInsertion) {
    const std::vector<std::vector<float>> handMade = {
        {5, 4, 3, 2, 1},
        {1, 2, 2, 1, 2, 1},
        {kNaNf, 3, 1, 2},
        {3, 1, kNaNf, 2, 0, kNaNf},
        {2, kNaNf, kNaNf, 1},
        {0.0f, -0.0f, 0.0f, -1},
        {std::numeric_limits<float>::infinity(), 1, -std::numeric_limits<float>::infinity()},
    };
    std::vector<std::vector<float>> inputs = handMade;
    std::mt19937 random(42);
    const float pool[] = {kNaNf, -1, 0, 1, 1, 2, 3, 20, 20, 1000, 20000};
    for (int round = 0; round < 200; ++round) {
        std::vector<float> x(2 + random() % 40);
        for (float& v : x) {
            v = pool[random() % std::size(pool)];
        }
        inputs.push_back(std::move(x));
    }

    for (const std::vector<float>& x : inputs) {
        std::vector<float> y(x.size());
        for (std::size_t i = 0; i < y.size(); ++i) {
            y[i] = static_cast<float>(i); // tells equal X apart
        }
        TLineSeries shown;
        ShowSeries(Data(x, y), shown, u"");

        TLineSeries added;
        for (std::size_t i = 0; i < x.size(); ++i) {
            added.AddXY(x[i], y[i], u"", TLineSeries::Color);
        }
        ASSERT_EQ(Bits(shown.XValues()), Bits(added.XValues())) << ::testing::PrintToString(x);
        ASSERT_EQ(shown.YValues(), added.YValues()) << ::testing::PrintToString(x);
        ASSERT_EQ(shown.Labels(), added.Labels());
        ASSERT_EQ(shown.Colors(), added.Colors());
    }
}

TEST(ShowSeries, ReplacesThePointsAndTitleWithOneChange) {
    TLineSeries series;
    series.AddXY(7, 7, u"old", 0);
    int changes = 0;
    series.OnChange = [&] { ++changes; };

    const TDatentyp data = Data({1000, 20, 100}, {-3, 1.5f, 0});
    ShowSeries(data, series, u"Response");
    ShowSeries(data, series, u"Response"); // twice the same data: one line, not two
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(series.XValues(), (std::vector<double>{20, 100, 1000}));
    EXPECT_EQ(series.YValues(), (std::vector<double>{1.5, 0, -3}));
    EXPECT_EQ(series.Labels(), std::vector<std::u16string>(3));
    EXPECT_EQ(series.Colors(), std::vector<TColor>(3, 0x4466A3));
    EXPECT_EQ(series.Title(), u"Response");

    // After Empty only the new points show.
    series.Empty();
    ShowSeries(Data({50, 40}, {1, 2}), series, u"");
    EXPECT_EQ(series.XValues(), (std::vector<double>{40, 50}));
    EXPECT_EQ(series.YValues(), (std::vector<double>{2, 1}));
    EXPECT_EQ(series.Title(), u"");
}

TEST(ShowSeries, UnusableDataKeepsTheSeriesAsItWas) {
    const struct {
        const char* what;
        TDatentyp data;
    } cases[] = {
        {"no X", Data({}, {1, 2})},    {"no Y", Data({1, 2}, {})},
        {"one point", Data({1}, {1})}, {"one X, more Y", Data({1}, {1, 2, 3})},
        {"nothing", Data({}, {})},
    };
    for (const auto& c : cases) {
        TLineSeries series;
        ShowSeries(Data({10, 20}, {1, 2}), series, u"kept");
        bool changed = false;
        series.OnChange = [&] { changed = true; };

        ShowSeries(c.data, series, u"new");
        EXPECT_FALSE(changed) << c.what;
        EXPECT_EQ(series.XValues(), (std::vector<double>{10, 20})) << c.what;
        EXPECT_EQ(series.YValues(), (std::vector<double>{1, 2})) << c.what;
        EXPECT_EQ(series.Title(), u"kept") << c.what;
    }
}

TEST(ShowSeries, TakesOnlyThePointsThatHaveBothValues) {
    TLineSeries series;
    ShowSeries(Data({30, 10, 20}, {3, 1}), series, u"");
    EXPECT_EQ(series.XValues(), (std::vector<double>{10, 30}));
    EXPECT_EQ(series.YValues(), (std::vector<double>{1, 3}));
}

TEST(ShowSeries, WidensFloatsWithoutChange) {
    TLineSeries series;
    const float x = 31.5f;
    const float y = 0.1f;
    ShowSeries(Data({x, 40}, {y, 0}), series, u"");
    EXPECT_EQ(series.XValues()[0], static_cast<double>(x));
    EXPECT_EQ(series.YValues()[0], static_cast<double>(y)); // 0.100000001490116..., not 0.1
}

TEST(FrequencyAxis, RangeAndPlacementRules) {
    const struct {
        const char* what;
        std::vector<double> x, y;
        double min, max;
        bool collapsed;
        bool reversed = false;
    } cases[] = {
        {"smallest to largest", {1000, 20, 20000}, {0, 0, 0}, 20, 20000, false},
        {"minimum at or below 0 starts at 1", {0, 50, 400}, {0, 0, 0}, 1, 400, false},
        {"both ends at or below 0: 1 to 1, collapsed", {-5, 0}, {0, 0}, 0.1, 10, true},
        {"one X", {1000, 1000}, {1, 2}, 100, 10000, true},
        {"below 1 with a point at 0: from 1 down to the largest X",
         {-1, 0.25, 0.5},
         {0, 0, 0},
         0.5,
         1,
         false,
         true},
        {"points not drawn do not count",
         {kNaN, 20, kInf, 500, 1e6},
         {0, 0, 0, 0, kNaN},
         20,
         500,
         false},
        {"nothing drawn", {kNaN, 5}, {1, kInf}, 20, 20000, false},
        {"empty", {}, {}, 20, 20000, false},
    };
    for (const auto& c : cases) {
        const TFrequencyAxis axis = FrequencyAxis(c.x, c.y);
        EXPECT_DOUBLE_EQ(axis.Min, c.min) << c.what;
        EXPECT_DOUBLE_EQ(axis.Max, c.max) << c.what;
        EXPECT_EQ(axis.Collapsed, c.collapsed) << c.what;
        EXPECT_EQ(axis.Reversed, c.reversed) << c.what;
    }
}

TEST(FrequencyAxis, PointsAtOrBelowZeroSitAtTheLeftEndAndACollapsedAxisInTheMiddle) {
    const TFrequencyAxis spread =
        FrequencyAxis(std::vector<double>{-3, 0, 20, 2000}, std::vector<double>{0, 0, 0, 0});
    EXPECT_EQ(FrequencyPlotX(spread, -3), 1);
    EXPECT_EQ(FrequencyPlotX(spread, 0), 1);
    EXPECT_EQ(FrequencyPlotX(spread, 20), 20);
    EXPECT_EQ(FrequencyPlotX(spread, 2000), 2000);

    // Reversed, 1 is the left end: the point at 0 sits there, 0.5 at the right end, and 0.25,
    // beyond it, on it too rather than outside the plot.
    const TFrequencyAxis reversed =
        FrequencyAxis(std::vector<double>{-1, 0.25, 0.5}, std::vector<double>{0, 0, 0});
    EXPECT_EQ(FrequencyPlotX(reversed, -1), 1);
    EXPECT_EQ(FrequencyPlotX(reversed, 0.5), 0.5);
    EXPECT_EQ(FrequencyPlotX(reversed, 0.25), 0.5);

    const TFrequencyAxis one =
        FrequencyAxis(std::vector<double>{440, 440}, std::vector<double>{0, 3});
    EXPECT_DOUBLE_EQ(FrequencyPlotX(one, 440), 440);
    EXPECT_DOUBLE_EQ(std::log10(FrequencyPlotX(one, 440)) * 2,
                     std::log10(one.Min) + std::log10(one.Max));

    const TFrequencyAxis zeros =
        FrequencyAxis(std::vector<double>{0, -2}, std::vector<double>{0, 3});
    EXPECT_DOUBLE_EQ(FrequencyPlotX(zeros, -2), 1);
}

// Axis 1 Hz to 100 Hz on two columns: each decade is one column, X = 100 the start of a third.
const TFrequencyAxis kTwoDecades{1, 100, false, false};

TEST(LinePoints, KeepFirstLowestHighestAndLastOfEachRunInOneColumn) {
    const struct {
        const char* what;
        std::vector<double> x, y;
        TFrequencyAxis axis = kTwoDecades;
        TPlotColumns columns{0, 2};
        std::vector<std::size_t> kept;
    } cases[] = {
        {"lowest after highest; a falling run keeps its ends",
         {1, 2, 3, 4, 5, 6, 20, 30, 40, 50},
         {0, 5, -5, 1, 2, 3, 9, 8, 7, 6},
         kTwoDecades,
         {0, 2},
         {0, 1, 2, 5, 6, 9}},
        {"lowest before highest; ties give the first",
         {1, 2, 3, 4, 5, 6, 7, 8, 9},
         {1, -2, 4, -2, 4, 0, 3, 0, 2},
         kTwoDecades,
         {0, 2},
         {0, 1, 2, 8}},
        {"first or last as an extreme is kept once",
         {1, 2, 3, 4, 5, 6, 7, 8, 9},
         {-9, 0, 1, 0, 1, 0, 1, 0, 9},
         kTwoDecades,
         {0, 2},
         {0, 8}},
        {"points not drawable are left out and the run goes on across them",
         {1, 2, 3, kInf, 4, 5, 6, 7, 8, 20},
         {0, 7, 1, 9, kNaN, -7, 2, 3, 1, 5},
         kTwoDecades,
         {0, 2},
         {0, 1, 5, 8, 9}},
        {"a stretch after a NaN X that returns to a column is a run of its own",
         {1, 2, 3, 4, 50, 60, 70, 80, kNaN, 2, 3, 4, 5, 6},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
         kTwoDecades,
         {0, 2},
         {0, 3, 4, 7, 9, 13}},
        {"the left edge shifts the columns",
         {1, 2, 3, 3.5, 4, 5, 6, 7, 8},
         {0, 1, -1, 0, 0, 3, -3, 0, 0},
         kTwoDecades,
         {0.5, 2}, // columns start at 10^0.5 = 3.16 and 10^1.5 = 31.6
         {0, 1, 2, 3, 5, 6, 8}},
        {"points at or below 0 sit at the left end, others outside at the nearer end",
         {-2, 0, 0.25, 0.5, 0.75, 0.8, 0.9, 1},
         {0, 5, 1, 2, -1, 0, 0, 3},
         {0.1, 1, false, true}, // reversed: 1 Hz on the left, 0.1 Hz on the right
         {0, 1},
         {0, 1, 4, 7}},
        {"a reversed axis fills its columns from the right",
         {0.02, 0.03, 0.04, 0.05, 0.2, 0.3, 0.4, 0.5, 0.6},
         {0, 1, 2, 3, 4, 5, 6, -1, 7},
         {0.01, 1, false, true},
         {0, 2},
         {0, 3, 4, 7, 8}},
        {"a collapsed axis puts every point into the middle column",
         {440, 440, 440, 440, 440, 440, 440, 440, 440},
         {0, 1, 2, 3, -4, 5, 6, 7, 8},
         {44, 4400, true, false},
         {0, 2},
         {0, 4, 8}},
        {"a plot without width counts as one column",
         {1, 2, 3, 4, 5},
         {0, 3, -3, 1, 2},
         kTwoDecades,
         {0, 0},
         {0, 1, 2, 4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinePoints(c.x, c.y, c.axis, c.columns), c.kept) << c.what;
    }
}

TEST(LinePoints, UpToFourPointsPerColumnAllDrawablePointsAreKept) {
    const std::vector<double> x = {1, 2, 3, 4, 5, 6, 7, 20};
    const std::vector<double> y = {0, 5, kNaN, -5, 1, 2, 3, 4};
    EXPECT_EQ(LinePoints(x, y, kTwoDecades, {0, 2}),
              (std::vector<std::size_t>{0, 1, 3, 4, 5, 6, 7}));
    EXPECT_EQ(LinePoints(std::span(x).first(4), std::span(y).first(4), kTwoDecades, {0, 0.5}),
              (std::vector<std::size_t>{0, 1, 3}));
}

// Random runs over decade columns, with points that are not drawn: whatever is left out, every
// run keeps its first and last point and its lowest and highest value, in order, with at most
// four points.
TEST(LinePoints, EveryRunKeepsItsEndsAndExtremes) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    constexpr int kColumns = 4;
    const TFrequencyAxis axis{1, 1e4, false, false};
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = 20 + random() % 300;
        std::vector<double> x(count), y(count);
        std::vector<int> column(count);
        int at = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (unit(random) < 0.05) {
                at = static_cast<int>(random() % kColumns);
            }
            column[i] = at;
            x[i] = std::pow(10.0, at + 0.05 + 0.9 * unit(random)); // well inside its decade
            y[i] = std::round(unit(random) * 20);                  // ties too
            if (unit(random) < 0.05) {
                (random() % 2 ? x[i] : y[i]) = random() % 2 ? kNaN : -kInf;
            }
        }
        const std::vector<std::size_t> kept = LinePoints(x, y, axis, {0, kColumns});
        const std::string what = "round " + std::to_string(round);
        ASSERT_TRUE(std::is_sorted(kept.begin(), kept.end())) << what;
        ASSERT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end()) << what;

        std::vector<bool> isKept(count);
        for (std::size_t i : kept) {
            ASSERT_TRUE(IsDrawable(x[i], y[i])) << what;
            isKept[i] = true;
        }
        std::vector<std::size_t> drawable;
        for (std::size_t i = 0; i < count; ++i) {
            if (IsDrawable(x[i], y[i])) {
                drawable.push_back(i);
            }
        }
        if (drawable.size() <= 4 * kColumns) {
            ASSERT_EQ(kept, drawable) << what;
            continue;
        }
        for (std::size_t start = 0; start < drawable.size();) {
            std::size_t end = start;
            while (end < drawable.size() && column[drawable[end]] == column[drawable[start]]) {
                ++end;
            }
            double lowest = kInf, highest = -kInf, keptLowest = kInf, keptHighest = -kInf;
            int keptInRun = 0;
            for (std::size_t k = start; k < end; ++k) {
                const std::size_t i = drawable[k];
                lowest = std::min(lowest, y[i]);
                highest = std::max(highest, y[i]);
                if (isKept[i]) {
                    ++keptInRun;
                    keptLowest = std::min(keptLowest, y[i]);
                    keptHighest = std::max(keptHighest, y[i]);
                }
            }
            ASSERT_TRUE(isKept[drawable[start]] && isKept[drawable[end - 1]]) << what;
            ASSERT_EQ(keptLowest, lowest) << what;
            ASSERT_EQ(keptHighest, highest) << what;
            ASSERT_LE(keptInRun, 4) << what;
            start = end;
        }
    }
}

TEST(FrequencyAxis, TicksFitTheRoom) {
    const TFrequencyAxis audio{20, 20000, false};
    EXPECT_EQ(FrequencyTicks(audio, 12),
              (std::vector<double>{20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000}));
    EXPECT_EQ(FrequencyTicks(audio, 6), (std::vector<double>{100, 1000, 10000}));
    EXPECT_EQ(FrequencyTicks({0.01, 1e7, false}, 5), (std::vector<double>{0.01, 1, 100, 1e4, 1e6}));
    EXPECT_EQ(FrequencyTicks({1, 1e20, false}, 4), (std::vector<double>{1, 1e10, 1e20}));
    EXPECT_EQ(FrequencyTicks({0.1, 10, true}, 20),
              (std::vector<double>{0.1, 0.2, 0.5, 1, 2, 5, 10}));
    EXPECT_EQ(FrequencyTicks({1030, 1190, false}, 20),
              (std::vector<double>{1040, 1060, 1080, 1100, 1120, 1140, 1160, 1180}));
}

// A zoomed window keeps at least four labels where four fit: every whole hundred, ten, ... of a
// decade, else the finest even step that fits.
TEST(FrequencyAxis, ANarrowAxisKeepsFourLabelsWhereTheyFit) {
    struct Case {
        TFrequencyAxis axis;
        int room;
        std::vector<double> ticks;
    };
    const std::vector<Case> cases = {
        {{180, 600, false}, 8, {200, 300, 400, 500, 600}},
        {{150, 1100, false}, 6, {200, 400, 600, 800, 1000}},
        {{1000, 1006.96, false}, 8, {1000, 1001, 1002, 1003, 1004, 1005, 1006}}, // 1/100 octave
        // Each tick the double nearest to its decimal, whose label is short.
        {{138.2, 139.17, false}, 6, {138.2, 138.4, 138.6, 138.8, 139}},
        {{0.1001, 0.1004, false}, 4, {0.1001, 0.1002, 0.1003, 0.1004}},
        {{1030, 1190, false}, 4, {1050, 1100, 1150}}, // four do not fit
        {{1030, 1190, false}, 3, {1050, 1100, 1150}},
        {{180, 600, true}, 4, {200, 400, 600}}, // more than 1-2-5 gives, though four do not fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.axis.Min << " to " << c.axis.Max << " in " << c.room);
        EXPECT_EQ(FrequencyTicks(c.axis, c.room), c.ticks);
    }
}

TEST(FrequencyAxis, Labels) {
    const NumberNotation us{u'.'};
    const NumberNotation german{u','};
    const struct {
        double hz;
        std::u16string us, german;
    } cases[] = {
        {20, u"20", u"20"},           {500, u"500", u"500"},       {0.5, u"0.5", u"0,5"},
        {1000, u"1k", u"1k"},         {12500, u"12.5k", u"12,5k"}, {20000, u"20k", u"20k"},
        {2e6, u"2M", u"2M"},          {1e9, u"1G", u"1G"},         {1e15, u"1e+15", u"1e+15"},
        {1.05e3, u"1.05k", u"1,05k"}, {0.01, u"0.01", u"0,01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FrequencyLabel(c.hz, us), c.us) << c.hz;
        EXPECT_EQ(FrequencyLabel(c.hz, german), c.german) << c.hz;
    }
}

TEST(GainAxis, RoundsOutwardToWholeSteps) {
    const struct {
        const char* what;
        std::vector<double> y;
        int room;
        double min, max, step;
    } cases[] = {
        {"typical curve", {-12.3, 0, 5.1}, 20, -15, 10, 5},
        {"already on steps", {-6, 6}, 20, -6, 6, 2},
        {"small span", {0.12, 0.83}, 20, 0.1, 0.9, 0.1},
        {"one value", {3, 3}, 20, 2, 4, 0.5},
        {"one large value", {-200}, 20, -220, -180, 5},
        {"not finite values do not count", {kNaN, -1, kInf, 1}, 20, -1, 1, 0.5},
        {"nothing drawn", {kNaN}, 20, -10, 10, 5},
        {"room for four labels", {-12.3, 5.1}, 4, -20, 10, 10},
        {"room for three labels", {0.5, 7}, 3, 0, 10, 10},
    };
    for (const auto& c : cases) {
        const std::vector<double> x(c.y.size(), 100);
        const TGainAxis axis = GainAxis(x, c.y, c.room);
        EXPECT_DOUBLE_EQ(axis.Min, c.min) << c.what;
        EXPECT_DOUBLE_EQ(axis.Max, c.max) << c.what;
        EXPECT_DOUBLE_EQ(axis.Step, c.step) << c.what;
    }
    // A Y whose X is not drawable does not count either.
    const TGainAxis axis =
        GainAxis(std::vector<double>{kNaN, 10, 20}, std::vector<double>{100, -1, 1}, 20);
    EXPECT_DOUBLE_EQ(axis.Max, 1);
}

TEST(GainAxis, FiveToTenLabelsCoveringTheDataOrFewerWhereRoomIsShort) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-3, 4);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int round = 0; round < 2000; ++round) {
        const double scale = std::pow(10, exponent(random));
        const std::vector<double> y = {unit(random) * scale, unit(random) * scale};
        const int room = 3 + round % 10;
        const TGainAxis axis = GainAxis(std::vector<double>{1, 2}, y, room);
        const std::vector<double> ticks = GainTicks(axis);
        const std::string what = ::testing::PrintToString(y) + " room " + std::to_string(room);
        ASSERT_LE(ticks.size(), std::min<std::size_t>(room, 10)) << what;
        if (room >= 10) {
            ASSERT_GE(ticks.size(), 5u) << what;
        }
        ASSERT_LE(axis.Min, std::min(y[0], y[1])) << what;
        ASSERT_GE(axis.Max, std::max(y[0], y[1])) << what;
        ASSERT_DOUBLE_EQ(ticks.front(), axis.Min) << what;
        ASSERT_DOUBLE_EQ(ticks.back(), axis.Max) << what;
    }
}

TEST(GainAxis, Labels) {
    const NumberNotation us{u'.'};
    const NumberNotation german{u','};
    EXPECT_EQ(GainLabel(-6, 2, us), u"-6 dB");
    EXPECT_EQ(GainLabel(-1e-16, 5, us), u"0 dB");
    EXPECT_EQ(GainLabel(-1e-17, 0.5, us), u"0.0 dB");
    EXPECT_EQ(GainLabel(3 * 0.1, 0.1, us), u"0.3 dB"); // 0.30000000000000004
    EXPECT_EQ(GainLabel(2.5, 0.5, german), u"2,5 dB");
    EXPECT_EQ(GainLabel(0.05, 0.05, us), u"0.05 dB");
    EXPECT_EQ(GainLabel(3e38, 5e37, us), u"3e+38 dB");
}

} // namespace
