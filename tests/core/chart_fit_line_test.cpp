#include "chart_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TDatentyp Data(std::vector<float> x, std::vector<float> y) {
    TDatentyp data;
    data.DatenXYZ[0] = std::move(x);
    data.DatenXYZ[1] = std::move(y);
    return data;
}

// The fitted response of an equaliser beside the profile, on a plot of 600 by 400 pixels.
class ChartFitLine : public ::testing::Test {
protected:
    void SetUp() override { Show(Data({100, 1000, 10000}, {0, 1, -1})); }
    void Show(const TDatentyp& data) {
        ShowAllPoints(data, series, u"");
        model.SeriesChanged();
        Place();
    }
    void Place() {
        model.Arrange(600, 400, 30, 12, true);
        model.PlacePoints({100, 600}, 600);
    }
    void ShowFit() {
        model.ShowFit({20, 200, 2000, 20000}, {-8, 0, 2, 9});
        Place();
    }

    TLineSeries series;
    TChartModel model{series};
};

TEST_F(ChartFitLine, ShowsUntilNewPointsOrTheReferenceIsCleared) {
    ShowFit();
    ASSERT_TRUE(model.HasFit());
    ASSERT_EQ(model.FitLine().size(), 4u);
    EXPECT_DOUBLE_EQ(model.FitLine()[1].Place, model.Place(200));
    EXPECT_EQ(model.FitLine()[3].Db, 9);
    // Counted for the automatic ranges, as the reference is.
    EXPECT_GE(model.Window().Top, 9);
    EXPECT_LE(model.Window().Bottom, -8);
    EXPECT_LE(model.Window().Left, model.Place(20));

    Show(Data({100, 1000}, {0, 1}));
    EXPECT_FALSE(model.HasFit());
    EXPECT_TRUE(model.FitLine().empty());
    EXPECT_LT(model.Window().Top, 9);

    TLineSeries reference;
    ShowAllPoints(Data({50, 5000}, {3, 3}), reference, u"");
    model.ShowReference(reference);
    ShowFit();
    model.ShowReference(reference); // another reference keeps the fit
    EXPECT_TRUE(model.HasFit());
    model.ClearReference();
    Place();
    EXPECT_FALSE(model.HasFit());
    EXPECT_TRUE(model.FitLine().empty());

    ShowFit();
    model.ClearFit();
    Place();
    EXPECT_TRUE(model.FitLine().empty());
    EXPECT_LT(model.Window().Top, 9);
}

TEST_F(ChartFitLine, TheLegendHasARowForEachCurveShown) {
    struct Case {
        bool reference;
        bool fit;
        std::size_t rows;
    };
    for (const Case& c : {Case{true, false, 2}, Case{false, true, 2}, Case{true, true, 3}}) {
        SCOPED_TRACE(testing::Message() << c.reference << c.fit);
        TLineSeries reference;
        ShowAllPoints(Data({50, 5000}, {3, 3}), reference, u"");
        model.ClearReference();
        if (c.reference) {
            model.ShowReference(reference);
        }
        if (c.fit) {
            ShowFit();
        }
        Place();
        const TChartModel::TLegend legend = model.Legend({0, 0, 600, 400}, model.Window(), 50, 12);
        ASSERT_EQ(legend.Rows.size(), c.rows);
        EXPECT_EQ(legend.Box.Height, 14.0 * static_cast<double>(c.rows) + 6);
        for (std::size_t row = 1; row < c.rows; ++row) {
            EXPECT_EQ(legend.Rows[row].Y - legend.Rows[row - 1].Y, 14);
            EXPECT_LE(legend.Rows[row].Name.Top + legend.Rows[row].Name.Height,
                      legend.Box.Top + legend.Box.Height);
        }
    }
}

} // namespace
