#include "chart_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "chart_rows.h"
#include "uStringgrid_VCL.h"

namespace {

TDatentyp Data(std::vector<float> x, std::vector<float> y) {
    TDatentyp data;
    data.DatenXYZ[0] = std::move(x);
    data.DatenXYZ[1] = std::move(y);
    return data;
}

// A chart of 600 by 400 pixels at (100, 50) whose model follows its series as the view does.
class ChartModel : public ::testing::Test {
protected:
    static constexpr TPlotFrame kFrame{100, 50, 600, 400};

    void Show(const TDatentyp& data) {
        ShowAllPoints(data, series, u"");
        model.SeriesChanged();
        Refresh();
    }
    void Refresh() {
        model.Arrange(kFrame.Width, kFrame.Height, 30, 12, true);
        model.PlacePoints({kFrame.Left, kFrame.Width}, kFrame.Width);
    }
    // Where a point is drawn, and the point drawn at a place of the frame.
    double X(double hz) const {
        return ScreenX(model.Window(), kFrame, model.FrequencyRange(), hz);
    }
    double Y(double db) const { return ScreenY(model.Window(), kFrame, db); }
    double HzAt(double x) const {
        const TChartWindow w = model.Window();
        return std::pow(10.0, w.Left + (x - kFrame.Left) / kFrame.Width * (w.Right - w.Left));
    }
    double DbAt(double y) const {
        const TChartWindow w = model.Window();
        return w.Top - (y - kFrame.Top) / kFrame.Height * (w.Top - w.Bottom);
    }

    TLineSeries series;
    TChartModel model{series};
};

TEST_F(ChartModel, AClickPicksTheNearestPointWithinSixPixelsAndSelectsItsRowElsewhereItDrags) {
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(5);
    TChartRows rows(grid, series, 2);
    model.Follow(rows);
    const TDatentyp data = Data({100, 1000, 1050, 10000}, {0, 0, 1, -6});
    Show(data);
    rows.Link(data, {1, 2, 3, 4});
    struct Case {
        double dx; // from the point at 1000 Hz, 0 dB
        double dy;
        TChartModel::TPress press;
        std::optional<std::size_t> picked;
    };
    const double apart = X(1050) - X(1000); // the next point, one dB up
    for (const Case& c :
         {Case{0, 0, TChartModel::TPress::Picked, 1}, Case{-6, 0, TChartModel::TPress::Picked, 1},
          Case{-4.2, 4.2, TChartModel::TPress::Picked, 1},
          Case{-4.3, 4.3, TChartModel::TPress::Drag, std::nullopt},
          Case{0, 6.01, TChartModel::TPress::Drag, std::nullopt},
          Case{apart, Y(1) - Y(0), TChartModel::TPress::Picked, 2},
          Case{-X(1000), 0, TChartModel::TPress::OffPlot, std::nullopt}}) {
        SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
        TChartModel fresh(series);
        TChartRows freshRows(grid, series, 2);
        fresh.Follow(freshRows);
        fresh.SeriesChanged();
        fresh.Arrange(kFrame.Width, kFrame.Height, 30, 12, true);
        freshRows.Link(data, {1, 2, 3, 4});
        grid.SelectCell(1, 4);
        const double x = X(1000) + c.dx;
        const double y = Y(0) + c.dy;
        EXPECT_EQ(fresh.Press(kFrame, x, y), c.press);
        EXPECT_EQ(fresh.PickedPoint(), c.picked);
        EXPECT_EQ(grid.Row(), c.picked ? static_cast<int32_t>(*c.picked) + 1 : 4);
        // Only a press on the plot away from the points drags.
        EXPECT_EQ(fresh.DragTo(kFrame, x + 10, y), c.press == TChartModel::TPress::Drag);
    }
    // New points: nothing picked, no row.
    ASSERT_EQ(model.Press(kFrame, X(1000), Y(0)), TChartModel::TPress::Picked);
    Show(data);
    EXPECT_EQ(model.PickedPoint(), std::nullopt);
    EXPECT_EQ(rows.RowOf(1), std::nullopt);
}

TEST_F(ChartModel, ADragMovesTheWindowWithThePointerUntilItEnds) {
    Show(Data({100, 1000, 10000}, {0, 3, -6}));
    const TChartWindow automatic = model.Window();
    EXPECT_FALSE(model.DragTo(kFrame, 300, 300)); // no press
    EXPECT_FALSE(model.Zoomed());
    ASSERT_EQ(model.Press(kFrame, 200, 400), TChartModel::TPress::Drag);
    ASSERT_TRUE(model.DragTo(kFrame, 260, 440));
    ASSERT_TRUE(model.DragTo(kFrame, 320, 480)); // from where the last step ended
    const double across = (automatic.Right - automatic.Left) * 120 / 600;
    const double up = (automatic.Top - automatic.Bottom) * 80 / 400;
    EXPECT_NEAR(model.Window().Left, automatic.Left - across, 1e-12);
    EXPECT_NEAR(model.Window().Right, automatic.Right - across, 1e-12);
    EXPECT_NEAR(model.Window().Bottom, automatic.Bottom + up, 1e-12);
    EXPECT_NEAR(model.Window().Top, automatic.Top + up, 1e-12);
    model.EndDrag();
    const TChartWindow dragged = model.Window();
    EXPECT_FALSE(model.DragTo(kFrame, 400, 300));
    EXPECT_EQ(model.Window(), dragged);
    model.Unzoom();
    EXPECT_FALSE(model.Zoomed());
    EXPECT_EQ(model.Window(), automatic);
    // A double click ends a drag.
    ASSERT_EQ(model.Press(kFrame, 200, 400), TChartModel::TPress::Drag);
    model.Unzoom();
    EXPECT_FALSE(model.DragTo(kFrame, 260, 440));
    EXPECT_FALSE(model.Zoomed());
}

TEST_F(ChartModel, TheWheelZoomsAroundThePointerOnePerNotchAndADoubleClickOrNewPointsUnzoom) {
    const TDatentyp data = Data({100, 1000, 10000}, {0, 3, -6});
    Show(data);
    const TChartWindow automatic = model.Window();
    struct Case {
        double angle;
        bool gain;
        double frequencyFactor; // the span after over the span before
        double gainFactor;
    };
    for (const Case& c : {Case{120, false, 1 / 1.25, 1}, Case{-240, false, 1.25 * 1.25, 1},
                          Case{120, true, 1, 1 / 1.25}, Case{60, true, 1, 1 / std::sqrt(1.25)}}) {
        SCOPED_TRACE(testing::Message() << c.angle << (c.gain ? " gain" : " frequency"));
        Show(data);
        const double x = 250;
        const double y = 170;
        const double hz = HzAt(x);
        const double db = DbAt(y);
        ASSERT_TRUE(model.Wheel(kFrame, x, y, c.angle, c.gain));
        EXPECT_TRUE(model.Zoomed());
        const TChartWindow w = model.Window();
        EXPECT_NEAR(w.Right - w.Left, (automatic.Right - automatic.Left) * c.frequencyFactor,
                    1e-12);
        EXPECT_NEAR(w.Top - w.Bottom, (automatic.Top - automatic.Bottom) * c.gainFactor, 1e-12);
        EXPECT_NEAR(HzAt(x), hz, hz * 1e-12); // what lay under the pointer stays there
        EXPECT_NEAR(DbAt(y), db, 1e-12);
    }
    EXPECT_FALSE(model.Wheel(kFrame, kFrame.Left - 1, 170, 120, false));
    EXPECT_FALSE(model.Wheel(kFrame, 250, kFrame.Top + kFrame.Height + 1, 120, true));
    ASSERT_TRUE(model.Wheel(kFrame, 250, 170, 120, false));
    model.Unzoom();
    EXPECT_EQ(model.Window(), automatic);
    ASSERT_TRUE(model.Wheel(kFrame, 250, 170, 120, false));
    Show(data);
    EXPECT_FALSE(model.Zoomed());
}

TEST(ChartHover, ThePointerHighlightsWithinFourPixelsOfTheLineOrOfItsOnlyPoint) {
    // Ten pixels a unit either way, gains rising upwards from the frame's bottom at 100.
    const TChartWindow window{0, 10, 0, 10};
    const TPlotFrame frame{0, 0, 100, 100};
    const std::vector<TPlotPoint> line{{1, 9}, {5, 9}, {5, 1}};
    const std::vector<TPlotPoint> single{{5, 5}};
    struct Case {
        const std::vector<TPlotPoint>* points;
        double x;
        double y;
        bool over;
    };
    for (const Case& c :
         {Case{&line, 30, 10, true},   // on the first segment, between points
          Case{&line, 30, 14.2, true}, // 4.2 pixels below it
          Case{&line, 30, 14.4, false}, Case{&line, 54.2, 50, true}, // beside the second segment
          Case{&line, 54.4, 50, false},
          Case{&line, 6, 10, true}, // beyond the first point, along the line
          Case{&line, 5.6, 10, false}, Case{&line, 90, 90, false}, Case{&single, 53, 53, true},
          Case{&single, 53.1, 53.1, false}}) {
        EXPECT_EQ(NearLine(*c.points, window, frame, c.x, c.y), c.over) << c.x << ", " << c.y;
    }
    EXPECT_FALSE(NearLine({}, window, frame, 50, 50));
}

TEST(ChartLabels, AnAxisIsRewrittenOnlyForOtherLabelsAndQuietlyOnlyWhenItTakesEveryOne) {
    const std::vector<TAxisLabel> shown{{1, u"10"}, {2, u"100"}, {3, u"1k"}};
    struct Case {
        std::vector<TAxisLabel> wanted;
        bool startsBelow;
        bool stand;
    };
    for (const Case& c : {Case{shown, true, true}, Case{shown, false, false},
                          Case{{{1, u"10"}, {2, u"100"}}, true, false},
                          Case{{{1, u"10"}, {2, u"100"}, {3, u"1k"}, {4, u"10k"}}, true, false},
                          Case{{{1, u"10"}, {2.5, u"100"}, {3, u"1k"}}, true, false},
                          Case{{{1, u"10"}, {2, u"200"}, {3, u"1k"}}, true, false}}) {
        EXPECT_EQ(LabelsStand(shown, c.startsBelow, c.wanted), c.stand) << c.wanted.size();
    }
    EXPECT_FALSE(LabelsStand({}, false, {}));
    EXPECT_TRUE(LabelsStand({}, true, {}));

    struct Taken {
        std::vector<TAxisLabel> labels;
        bool every;
    };
    for (const Taken& c : {Taken{shown, true}, Taken{{}, true},
                           Taken{{{1, u"0 dB"}, {1, u"1 dB"}}, false}, // one position twice
                           Taken{{{2, u"1 dB"}, {1, u"0 dB"}}, false}, // falling
                           Taken{{{1, u"1k"}, {2, u"2k"}, {3, u"1k"}}, false}}) {
        EXPECT_EQ(TakesEveryLabel(c.labels), c.every) << c.labels.size();
    }
}

TEST_F(ChartModel, LabelsAreArrangedAgainOnlyWhenTheLabelsThatFitChange) {
    Show(Data({20, 20000}, {-10, 10}));
    // 600 / (30 + 12) gives room for 13 frequency labels, 400 / (12 + 12) for 15 gain labels.
    struct Case {
        double width;
        double height;
        bool arranged;
    };
    for (const Case& c : {Case{600, 400, false}, Case{629, 407, false}, Case{630, 400, true},
                          Case{600, 408, true}, Case{600, 400, true}, Case{600, 400, false}}) {
        EXPECT_EQ(model.Arrange(c.width, c.height, 30, 12, false), c.arranged)
            << c.width << " x " << c.height;
    }
    EXPECT_TRUE(model.Arrange(600, 400, 30, 12, true));
    // A plot too small for any still gets two frequency labels and three gain labels at most.
    ASSERT_TRUE(model.Arrange(10, 10, 30, 12, false));
    EXPECT_GE(model.FrequencyTicks().size(), 1u);
    EXPECT_LE(model.FrequencyTicks().size(), 2u);
    EXPECT_GE(model.GainTicks().size(), 2u);
    EXPECT_LE(model.GainTicks().size(), 3u);
}

TEST_F(ChartModel, LabelsFollowTheWindowInThePlacesOfTheAxisAndInOrderOfPosition) {
    Show(Data({100, 1000, 10000}, {-6, 0, 6}));
    const std::vector<TAxisLabel> frequency = model.FrequencyLabels(NumberNotation{u','});
    const std::vector<std::pair<double, std::u16string>> expected{
        {100, u"100"}, {200, u"200"}, {500, u"500"},  {1000, u"1k"},
        {2000, u"2k"}, {5000, u"5k"}, {10000, u"10k"}};
    ASSERT_EQ(frequency.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(frequency[i].Position, std::log10(expected[i].first), 1e-12);
        EXPECT_EQ(frequency[i].Text, expected[i].second);
    }
    const std::vector<TAxisLabel> gain = model.GainLabels(NumberNotation{u'.'});
    ASSERT_FALSE(gain.empty());
    EXPECT_EQ(gain.front().Position, model.Window().Bottom);
    EXPECT_EQ(gain.back().Position, model.Window().Top);

    // Zoomed into the gains, the labels take a finer step.
    ASSERT_TRUE(model.Wheel(kFrame, 300, 250, 5 * 120, true));
    Refresh();
    const std::vector<TAxisLabel> zoomed = model.GainLabels(NumberNotation{u','});
    ASSERT_GE(zoomed.size(), 2u);
    EXPECT_LT(zoomed[1].Position - zoomed[0].Position, gain[1].Position - gain[0].Position);
    EXPECT_TRUE(std::any_of(zoomed.begin(), zoomed.end(), [](const TAxisLabel& label) {
        return label.Text.find(u',') != std::u16string::npos;
    }));

    // A reversed axis: frequencies fall from left to right, the positions still rise.
    Show(Data({-1, 0.01f, 0.5f}, {0, 1, 2}));
    ASSERT_TRUE(model.FrequencyRange().Reversed);
    const std::vector<TAxisLabel> reversed = model.FrequencyLabels(NumberNotation{u'.'});
    ASSERT_GE(reversed.size(), 2u);
    for (std::size_t i = 1; i < reversed.size(); ++i) {
        EXPECT_LT(reversed[i - 1].Position, reversed[i].Position);
    }
}

TEST_F(ChartModel, TheReadoutShowsThePointerOnThePlotAndTellsWhenItChanged) {
    Show(Data({100, 1000, 10000}, {0, 0, -6}));
    EXPECT_FALSE(model.PointerLeft());
    ASSERT_TRUE(model.PointerAt(kFrame, X(1000), Y(0), NumberNotation{u'.'}));
    EXPECT_TRUE(model.ReadoutText().ends_with(u"  |  point 1000 Hz, 0 dB"));
    EXPECT_FALSE(model.PointerAt(kFrame, X(1000), Y(0), NumberNotation{u'.'}));
    EXPECT_TRUE(model.PointerAt(kFrame, kFrame.Left - 1, Y(0), NumberNotation{u'.'}));
    EXPECT_TRUE(model.ReadoutText().empty());
    ASSERT_TRUE(model.PointerAt(kFrame, X(10000), Y(-6), NumberNotation{u','}));
    EXPECT_TRUE(model.ReadoutText().ends_with(u"  |  point 10 kHz, -6 dB"));
    EXPECT_TRUE(model.PointerLeft());
    EXPECT_TRUE(model.ReadoutText().empty());
}

TEST_F(ChartModel, TheLegendTakesTheCornerThatHidesTheFewestPointsTopRightFirst) {
    // The corners of the range at the corners of the plot; the legend's box is 100 by 34.
    const std::vector<float> cornersX{20, 20000};
    const std::vector<float> cornersY{-10, 10};
    Show(Data(cornersX, cornersY));
    const TChartWindow window = model.Window();
    const TPlotFrame plot{0, 0, 600, 400};
    const double textWidth = 58;
    const double textHeight = 12;
    struct Spot {
        double x;
        double y;
    };
    const Spot topRight{540, 20};
    const Spot bottomRight{540, 380};
    const Spot bottomLeft{60, 380};
    struct Case {
        const char* what;
        std::vector<Spot> profile;
        std::vector<Spot> reference;
        Spot box;
    };
    for (const Case& c : {
             Case{"nothing near", {}, {}, {496, 4}},
             Case{"top right taken", {topRight, topRight}, {}, {496, 362}},
             Case{"both right", {topRight, topRight, bottomRight}, {}, {4, 362}},
             Case{"one each", {topRight, bottomRight, bottomLeft}, {}, {496, 4}},
             Case{"the reference counts", {}, {topRight}, {496, 362}},
             Case{"fewest wins",
                  {topRight, bottomRight, bottomRight, bottomLeft, bottomLeft},
                  {bottomLeft},
                  {496, 4}},
         }) {
        SCOPED_TRACE(c.what);
        const auto data = [&](const std::vector<Spot>& spots) {
            TDatentyp d = Data(cornersX, cornersY);
            for (const Spot& s : spots) {
                const double place = window.Left + s.x / plot.Width * (window.Right - window.Left);
                d.DatenXYZ[0].push_back(static_cast<float>(std::pow(10.0, place)));
                d.DatenXYZ[1].push_back(static_cast<float>(
                    window.Top - s.y / plot.Height * (window.Top - window.Bottom)));
            }
            return d;
        };
        TLineSeries reference;
        ShowAllPoints(data(c.reference), reference, u"");
        model.ShowReference(reference);
        Show(data(c.profile));
        ASSERT_EQ(model.Window(), window);
        const TChartModel::TLegend legend = model.Legend(plot, window, textWidth, textHeight);
        EXPECT_EQ(legend.Box.Left, c.box.x);
        EXPECT_EQ(legend.Box.Top, c.box.y);
        EXPECT_EQ(legend.Box.Width, 100);
        EXPECT_EQ(legend.Box.Height, 34);
    }
}

TEST(ChartLegend, TheProfileIsNamedByItsNameElseItsFileElseProfile) {
    struct Case {
        std::u16string name;
        std::u16string file;
        std::u16string shown;
    };
    for (const Case& c : {Case{u"Bass", u"bass.spr", u"Bass"}, Case{u"?", u"bass.spr", u"bass.spr"},
                          Case{u"", u"bass.spr", u"bass.spr"}, Case{u"", u"", u"Profile"},
                          Case{u"?", u"?", u"Profile"}, Case{u"Bass", u"?", u"Bass"}}) {
        EXPECT_EQ(LegendProfileName(c.name, c.file), c.shown);
    }
}

TEST_F(ChartModel, ASingleOrSparseLineShowsMarkersADenseOneDoesNot) {
    struct Case {
        int count;
        bool markers;
    };
    // One marker per 8 pixels of the plot's width at most: 75 on 600 pixels.
    for (const Case& c :
         {Case{1, true}, Case{2, true}, Case{75, true}, Case{76, false}, Case{2000, false}}) {
        std::vector<float> x;
        std::vector<float> y;
        for (int i = 0; i < c.count; ++i) {
            x.push_back(20 * std::pow(1000.0f, static_cast<float>(i) / c.count));
            y.push_back(static_cast<float>(i % 7));
        }
        Show(Data(x, y));
        EXPECT_EQ(model.Markers(), c.markers) << c.count;
        ASSERT_FALSE(model.Line().empty());
        EXPECT_NEAR(model.Line().front().Place, std::log10(static_cast<double>(x.front())), 1e-12);
    }
    // On a plot too narrow for a marker a single point still shows as one, a line as a line.
    for (const Case& c : {Case{1, true}, Case{2, false}}) {
        std::vector<float> x{100, 1000};
        std::vector<float> y{0, 1};
        x.resize(static_cast<std::size_t>(c.count));
        y.resize(static_cast<std::size_t>(c.count));
        ShowAllPoints(Data(x, y), series, u"");
        model.SeriesChanged();
        model.Arrange(4, 400, 30, 12, true);
        model.PlacePoints({kFrame.Left, 4}, 4);
        EXPECT_EQ(model.Markers(), c.markers) << c.count;
    }
    Show(Data({}, {}));
    EXPECT_FALSE(model.Markers());
    EXPECT_TRUE(model.Line().empty());
}

TEST(ChartPixels, GridLinesSitInThePixelOfTheirValueWithinTheWall) {
    // Ten pixels a place, ten a dB.
    const TPlotFrame plot{10.5, 20.25, 100, 50};
    const TChartWindow axes{0, 10, 0, 5};
    const std::optional<TPixelGrid> grid = PixelGrid(
        plot, axes, std::vector<double>{0, 5, 10, 12, -1}, std::vector<double>{5, 2.5, 0});
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->Left, 10);
    EXPECT_EQ(grid->Right, 110);
    EXPECT_EQ(grid->Top, 20);
    EXPECT_EQ(grid->Bottom, 70);
    EXPECT_EQ(grid->Columns, (std::vector<int>{10, 60, 110, 110, 10}));
    EXPECT_EQ(grid->Rows, (std::vector<int>{20, 45, 70}));
    EXPECT_FALSE(PixelGrid({10.2, 20, 0.5, 50}, axes, {}, {}));
    EXPECT_FALSE(PixelGrid({10, 20.2, 50, 0.5}, axes, {}, {}));
}

TEST(ChartPixels, ALineIsClippedHalfAPixelBeyondAPlotThatEndsBetweenPixels) {
    struct Case {
        TPlotFrame area;
        TPlotFrame clip;
    };
    for (const Case& c : {Case{{10, 20, 100, 50}, {0, 0, 100.5, 50.5}},
                          Case{{10.25, 20.5, 100.75, 50}, {-0.25, -0.5, 101.25, 51}},
                          Case{{10, 20, 100.25, 50.125}, {0, 0, 101, 50.75}}}) {
        const TPlotFrame clip = LineClip(c.area);
        EXPECT_EQ(clip.Left, c.clip.Left);
        EXPECT_EQ(clip.Top, c.clip.Top);
        EXPECT_EQ(clip.Width, c.clip.Width);
        EXPECT_EQ(clip.Height, c.clip.Height);
    }
}

} // namespace
