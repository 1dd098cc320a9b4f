#include "chart_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// A dense curve with runs of equal gains, so that columns have ties for their lowest and highest.
TDatentyp Dense(int Count) {
    TDatentyp data;
    for (int i = 0; i < Count; ++i) {
        const double at = static_cast<double>(i) / Count;
        data.DatenXYZ[0].push_back(static_cast<float>(20 * std::pow(1000.0, at)));
        data.DatenXYZ[1].push_back(static_cast<float>(std::round(6 * std::sin(30 * at))));
    }
    return data;
}

struct Chart {
    TLineSeries series;
    TChartModel model{series};
    explicit Chart(const TDatentyp& Data) {
        ShowSeries(Data, series, u"");
        model.SeriesChanged();
        model.Arrange(700, 400, 30, 12, true);
        model.PlacePoints({10.5, 700}, 700);
    }
};

bool SameLine(const std::vector<TPlotPoint>& A, const std::vector<TPlotPoint>& B) {
    if (A.size() != B.size()) {
        return false;
    }
    for (std::size_t i = 0; i < A.size(); ++i) {
        if (A[i].Place != B[i].Place || A[i].Db != B[i].Db) {
            return false;
        }
    }
    return true;
}

// A gain moved on a line reduced over the whole range changes only its column's points: the line
// must come out as a reduction of all points anew would place it, sparse or dense.
TEST(ChartPointChange, AMovedGainLeavesTheLineAsPlacingAllPointsAnewWould) {
    std::mt19937 random(7);
    for (int count : {50, 2000, 60000}) {
        const TDatentyp data = Dense(count);
        Chart edited(data);
        std::uniform_int_distribution<int> at(0, count - 1);
        const double gains[] = {40, -40, 6, -6, 0, 2.5};
        for (int n = 0; n < 60; ++n) {
            const auto point = static_cast<std::size_t>(at(random));
            edited.series.MovePoint(point, edited.series.XValues()[point], gains[n % 6]);
            ASSERT_TRUE(edited.model.PointChanged(point, TLineSeries::TPointChange::Gain))
                << count << " points, point " << point;
            TDatenArray now;
            for (std::size_t i = 0; i < edited.series.Count(); ++i) {
                now[0].push_back(static_cast<float>(edited.series.XValues()[i]));
                now[1].push_back(static_cast<float>(edited.series.YValues()[i]));
            }
            TDatentyp fresh;
            fresh.DatenXYZ = now;
            const Chart placed(fresh);
            ASSERT_TRUE(SameLine(edited.model.Line(), placed.model.Line()))
                << count << " points, move " << n << " of point " << point;
        }
    }
}

TEST(ChartPointChange, AMovedFrequencyOrAZoomedLineIsPlacedAgainByTheView) {
    const TDatentyp data = Dense(5000);
    Chart chart(data);
    chart.series.MovePoint(10, chart.series.XValues()[10] + 0.001, 3);
    EXPECT_FALSE(chart.model.PointChanged(10, TLineSeries::TPointChange::Moved));
    chart.model.Wheel({10.5, 0, 700, 400}, 300, 200, kNotchAngle, false);
    chart.model.PlacePoints({10.5, 700}, 700);
    chart.series.MovePoint(2500, chart.series.XValues()[2500], 3);
    EXPECT_FALSE(chart.model.PointChanged(2500, TLineSeries::TPointChange::Gain));
}

} // namespace
