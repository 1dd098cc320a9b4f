#include "chart_window.h"
#include "extremes_pyramid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Series {
    std::vector<double> x;
    std::vector<double> y;
};

// Ascending X from below 1 Hz to 40 kHz with runs of equal X; gains on a coarse grid, so that
// many points tie for the lowest and highest; a few points not drawable, some in long runs.
Series Random(std::mt19937& random, int count) {
    std::uniform_real_distribution<double> unit(0, 1);
    Series s;
    double hz = 0.5;
    for (int i = 0; i < count; ++i) {
        if (unit(random) < 0.8) {
            hz *= 1 + 12.0 / count * unit(random);
        }
        s.x.push_back(i == 0 ? 0 : hz);
        s.y.push_back(std::round(unit(random) * 8) - 4);
    }
    std::uniform_int_distribution<int> at(0, count - 1);
    for (int i = 0; i < count / 100; ++i) {
        s.y[static_cast<std::size_t>(at(random))] = unit(random) < 0.5 ? kNaN : kInf;
    }
    const int gap = at(random);
    for (int i = gap; i < std::min(count, gap + count / 20); ++i) {
        s.y[static_cast<std::size_t>(i)] = kNaN;
    }
    s.x.back() = kInf;
    return s;
}

TEST(ExtremesPyramid, LowestAndHighestOfAnyRunAreThoseOfAScanOfItsPoints) {
    std::mt19937 random(11);
    for (int count : {1, 7, 8, 9, 65, 1000, 40000}) {
        const Series s = Random(random, count);
        const TExtremesPyramid pyramid(s.x, s.y);
        std::uniform_int_distribution<int> at(0, count);
        for (int n = 0; n < 300; ++n) {
            std::size_t from = static_cast<std::size_t>(at(random));
            std::size_t to = static_cast<std::size_t>(at(random));
            if (from > to) {
                std::swap(from, to);
            }
            std::size_t lowest = TExtremesPyramid::npos;
            std::size_t highest = TExtremesPyramid::npos;
            for (std::size_t i = from; i < to; ++i) {
                if (!IsDrawable(s.x[i], s.y[i])) {
                    continue;
                }
                lowest = lowest == TExtremesPyramid::npos || s.y[i] < s.y[lowest] ? i : lowest;
                highest = highest == TExtremesPyramid::npos || s.y[i] > s.y[highest] ? i : highest;
            }
            ASSERT_EQ(pyramid.Extremes(s.x, s.y, from, to), std::pair(lowest, highest))
                << count << " points, " << from << " to " << to;
        }
    }
}

TEST(ExtremesPyramid, ZoomedReductionEqualsThatOfAScanOfThePointsInView) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int count : {3000, 200000}) {
        const Series s = Random(random, count);
        const TExtremesPyramid pyramid(s.x, s.y);
        const TFrequencyAxis axis = FrequencyAxis(s.x, s.y);
        const TChartWindow full = AutoWindow(axis, GainAxis(s.x, s.y, 10));
        for (int n = 0; n < 60; ++n) {
            const double span = (full.Right - full.Left) * std::pow(10, -3 * unit(random));
            const double left = full.Left - span / 2 + unit(random) * (full.Right - full.Left);
            const TChartWindow window{left, left + span, -5, 5};
            const TPlotColumns columns{unit(random) * 100, 50 + unit(random) * 1500};
            ASSERT_EQ(WindowLinePoints(s.x, s.y, axis, window, columns, pyramid),
                      WindowLinePoints(s.x, s.y, axis, window, columns, true))
                << count << " points, window " << window.Left << " to " << window.Right
                << ", columns from " << columns.Left << " over " << columns.Width;
        }
    }
}

} // namespace

// A point moved in place must leave the pyramid answering as one built anew: a stale block above
// the point would hide the new highest or keep showing the old one.
TEST(ExtremesPyramid, PointsUpdatedOneByOneAnswerAsAPyramidBuiltAnew) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int count : {2, 9, 64, 65, 5000}) {
        Series s = Random(random, count);
        TExtremesPyramid updated(s.x, s.y);
        std::uniform_int_distribution<int> at(0, count - 1);
        for (int n = 0; n < 40; ++n) {
            const auto point = static_cast<std::size_t>(at(random));
            // Alternately far above, far below, undrawable and back into the crowd.
            const double values[] = {100.0 + n, -100.0 - n, kNaN, std::round(unit(random) * 8) - 4};
            s.y[point] = values[n % 4];
            updated.Update(s.x, s.y, point);
            const TExtremesPyramid fresh(s.x, s.y);
            for (int q = 0; q < 20; ++q) {
                std::size_t from = static_cast<std::size_t>(at(random));
                std::size_t to = static_cast<std::size_t>(at(random)) + 1;
                if (from > to) {
                    std::swap(from, to);
                }
                ASSERT_EQ(updated.Extremes(s.x, s.y, from, to), fresh.Extremes(s.x, s.y, from, to))
                    << count << " points, point " << point << ", " << from << " to " << to;
            }
            ASSERT_EQ(updated.Extremes(s.x, s.y, 0, s.x.size()),
                      fresh.Extremes(s.x, s.y, 0, s.x.size()));
        }
    }
}
