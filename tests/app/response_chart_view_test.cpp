#include "ResponseChartView.h"

#include <gtest/gtest.h>

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtGui/QImage>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace {

TDatentyp Data(std::vector<float> x, std::vector<float> y) {
    TDatentyp data;
    data.DatenXYZ[0] = std::move(x);
    data.DatenXYZ[1] = std::move(y);
    return data;
}

class ResponseChart : public ::testing::Test {
protected:
    ResponseChart() : view(series) {
        view.resize(640, 400);
        view.show();
        Settle();
    }

    // Layout requests and label changes arrive as posted events.
    static void Settle() {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
    }

    QLineSeries* Line() const { return qobject_cast<QLineSeries*>(view.chart()->series().at(0)); }
    QCategoryAxis* Axis(Qt::Orientation orientation) const {
        return qobject_cast<QCategoryAxis*>(view.chart()->axes(orientation).at(0));
    }
    std::vector<QPointF> Points() const {
        const QList<QPointF> points = Line()->points();
        return {points.begin(), points.end()};
    }

    // Where a value of the drawn line lies in the viewport.
    QPoint OnScreen(QPointF value) const {
        const QPointF inChart = view.chart()->mapToPosition(value, Line());
        return view.mapFromScene(view.chart()->mapToScene(inChart));
    }
    void MoveMouseTo(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        Settle();
    }

    TLineSeries series;
    ResponseChartView view;
};

TEST_F(ResponseChart, DrawsTheSeriesOverALogFrequencyAxisWithTheChartSettings) {
    ShowSeries(Data({1000, 20, 20000, 100}, {-3, 6, -8.2f, 0}), series, u"");
    Settle();

    const std::vector<QPointF> expected = {
        {std::log10(20.0), 6}, {2, 0}, {3, -3}, {std::log10(20000.0), double(-8.2f)}};
    ASSERT_EQ(Points().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(Points()[i].x(), expected[i].x()) << i;
        EXPECT_DOUBLE_EQ(Points()[i].y(), expected[i].y()) << i;
    }

    QCategoryAxis* frequency = Axis(Qt::Horizontal);
    EXPECT_DOUBLE_EQ(frequency->min(), std::log10(20.0));
    EXPECT_DOUBLE_EQ(frequency->max(), std::log10(20000.0));
    for (const char* label : {"20", "100", "1k", "10k", "20k"}) {
        EXPECT_TRUE(frequency->categoriesLabels().contains(label)) << label;
    }

    QCategoryAxis* gain = Axis(Qt::Vertical); // room for ten labels: steps of 2 dB
    EXPECT_EQ(gain->min(), -10);
    EXPECT_EQ(gain->max(), 6);
    EXPECT_EQ(gain->categoriesLabels(), QStringList({"-10 dB", "-8 dB", "-6 dB", "-4 dB", "-2 dB",
                                                     "0 dB", "2 dB", "4 dB", "6 dB"}));

    const QPen pen = Line()->pen();
    EXPECT_EQ(pen.color(), QColor(0x44, 0x66, 0xA3));
    EXPECT_EQ(pen.width(), 1);
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_TRUE(view.renderHints().testFlag(QPainter::Antialiasing));
    EXPECT_FALSE(view.chart()->legend()->isVisible());
    EXPECT_TRUE(view.chart()->title().isEmpty());
    for (QCategoryAxis* axis : {frequency, gain}) {
        EXPECT_EQ(axis->labelsFont().family(), "Verdana");
        EXPECT_EQ(axis->labelsFont().pointSize(), 8);
    }
}

TEST_F(ResponseChart, PointsAtOrBelowZeroSitAtTheLeftEndAndPointsNotFiniteAreLeftOut) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ShowSeries(Data({100, 0, 1000, -5, inf}, {3, 2, nan, 1, 5}), series, u""); // -5 before 0
    Settle();

    const std::vector<QPointF> expected = {{0, 1}, {0, 2}, {2, 3}};
    EXPECT_EQ(Points(), expected);
    EXPECT_EQ(Axis(Qt::Horizontal)->min(), 0); // the range starts at 1 Hz
    EXPECT_EQ(Axis(Qt::Horizontal)->max(), 2);

    // All other points below 1 Hz: the axis runs from 1 Hz down to the largest X, labelled.
    ShowSeries(Data({0, 0.25f, 0.5f}, {1, 2, 3}), series, u"");
    Settle();
    ASSERT_EQ(Points().size(), 3u);
    EXPECT_EQ(OnScreen(Points()[0]).x(), OnScreen({Axis(Qt::Horizontal)->min(), 0}).x());
    EXPECT_EQ(OnScreen(Points()[2]).x(), OnScreen({Axis(Qt::Horizontal)->max(), 0}).x());
    EXPECT_EQ(Points()[1].x(), Points()[2].x()); // 0.25 lies beyond the right end
    EXPECT_TRUE(Axis(Qt::Horizontal)->categoriesLabels().contains("1"));
    EXPECT_TRUE(Axis(Qt::Horizontal)->categoriesLabels().contains("0.5"));
}

TEST_F(ResponseChart, EmptyThenANewFillShowsOnlyTheNewPoints) {
    ShowSeries(Data({20, 200, 2000}, {1, 2, 3}), series, u"");
    series.Empty();
    Settle();
    EXPECT_TRUE(Points().empty());
    EXPECT_DOUBLE_EQ(Axis(Qt::Horizontal)->min(), std::log10(20.0));
    EXPECT_DOUBLE_EQ(Axis(Qt::Horizontal)->max(), std::log10(20000.0));

    ShowSeries(Data({500, 50}, {-1, 4}), series, u"");
    Settle();
    const std::vector<QPointF> expected = {{std::log10(50.0), 4}, {std::log10(500.0), -1}};
    ASSERT_EQ(Points().size(), 2u);
    EXPECT_DOUBLE_EQ(Points()[0].x(), expected[0].x());
    EXPECT_DOUBLE_EQ(Points()[1].x(), expected[1].x());
    EXPECT_EQ(Points()[0].y(), 4);
}

TEST_F(ResponseChart, TheLineIsHighlightedWhileThePointerIsOverIt) {
    ShowSeries(Data({20, 20000}, {-6, 6}), series, u"");
    Settle();
    const QPoint onLine = OnScreen({std::log10(20.0) * 0.6 + std::log10(20000.0) * 0.4, -1.2});

    MoveMouseTo(onLine + QPoint(0, 2)); // close enough: a 1 px line would be missed
    QPen pen = Line()->pen();
    EXPECT_EQ(pen.color(), QColor(255, 0, 0, 128));
    EXPECT_EQ(pen.width(), 3);

    MoveMouseTo({3, 3});
    pen = Line()->pen();
    EXPECT_EQ(pen.color(), QColor(0x44, 0x66, 0xA3));
    EXPECT_EQ(pen.width(), 1);
}

// With antialiasing, 1 px lines between pixels come out as two half-strength columns.
TEST_F(ResponseChart, GridAndAxisLinesAreSinglePixelsInTheirExactColours) {
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect plot =
        view.mapFromScene(view.chart()->mapRectToScene(view.chart()->plotArea())).boundingRect();
    const QRgb grid = qRgb(0xA9, 0xA9, 0xA9);
    const QRgb axis = qRgb(0x40, 0x40, 0x40);

    // A row between two gain labels: back wall colour, grid columns and the left axis only.
    const int row = plot.top() + plot.height() * 3 / 8;
    std::map<QRgb, int> seen;
    for (int x = plot.left() - 2; x <= plot.right(); ++x) {
        ++seen[image.pixel(x, row)];
    }
    EXPECT_EQ(seen[axis], 1);
    EXPECT_GE(seen[grid], 3);
    EXPECT_EQ(seen.size(), 4u); // plus the wall and the panel beside it

    for (int x = plot.left(); x < plot.right(); ++x) {
        if (image.pixel(x, row) == grid) {
            EXPECT_NE(image.pixel(x - 1, row), grid) << x;
            EXPECT_NE(image.pixel(x + 1, row), grid) << x;
        }
    }

    // A column between two frequency labels: the bottom axis is one row.
    int axisRows = 0;
    const int column = plot.left() + plot.width() / 7;
    for (int y = plot.top(); y <= plot.bottom() + 2; ++y) {
        axisRows += image.pixel(column, y) == axis;
    }
    EXPECT_EQ(axisRows, 1);

    // Gradients: the panel's lower half is flat; both end in white at the top.
    EXPECT_EQ(image.pixel(1, image.height() - 1), qRgb(0xEA, 0xEA, 0xEA));
    EXPECT_EQ(image.pixel(1, image.height() * 3 / 4), qRgb(0xEA, 0xEA, 0xEA));
    EXPECT_GE(qGray(image.pixel(1, 0)), 0xFD);
    EXPECT_GE(qGray(image.pixel(column, plot.top() + 1)), 0xFD);
    EXPECT_LE(qGray(image.pixel(column, plot.bottom() - 2)), 0xEC);
}

TEST(ResponseChartLifetime, TheSeriesOutlivesItsView) {
    TLineSeries series;
    {
        ResponseChartView view(series);
        EXPECT_TRUE(series.OnChange);
    }
    EXPECT_FALSE(series.OnChange);
    ShowSeries(Data({1, 2}, {1, 2}), series, u""); // no view left to call
    EXPECT_EQ(series.Count(), 2u);
}

} // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise: test discovery at build time runs this without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
