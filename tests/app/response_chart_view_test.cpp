#include "ResponseChartView.h"

#include "pixel_ratio.h"

#include <gtest/gtest.h>

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtGui/QImage>
#include <QtGui/QMouseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

TDatentyp Data(std::vector<float> x, std::vector<float> y) {
    TDatentyp data;
    data.DatenXYZ[0] = std::move(x);
    data.DatenXYZ[1] = std::move(y);
    return data;
}

// Dense series over 20 Hz to 20 kHz, log spaced, with the gain from a function of the index.
TDatentyp Dense(int count, const std::function<float(int)>& gain) {
    TDatentyp data;
    for (int i = 0; i < count; ++i) {
        data.DatenXYZ[0].push_back(20 * std::pow(1000.0f, static_cast<float>(i) / count));
        data.DatenXYZ[1].push_back(gain(i));
    }
    return data;
}

// A random walk of about the same spread whatever the count.
std::vector<float> Walk(int count) {
    std::mt19937 random(5);
    std::normal_distribution<float> step(0, 20.0f / std::sqrt(static_cast<float>(count)));
    std::vector<float> y(count);
    float at = 0;
    for (float& v : y) {
        v = at += step(random);
    }
    return y;
}

// Which pixels a line marks: those that differ from the chart drawn without it.
std::vector<bool> Marks(const QImage& drawn, const QImage& bare) {
    std::vector<bool> marks(static_cast<std::size_t>(drawn.width() * drawn.height()));
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            marks[static_cast<std::size_t>(y * drawn.width() + x)] =
                drawn.pixel(x, y) != bare.pixel(x, y);
        }
    }
    return marks;
}

int Floor(double at) {
    return static_cast<int>(std::floor(at));
}

// How much of a pixel the line covers: 0 where `drawn` shows the background of `bare`, 1 where it
// shows the line's colour; read from the channel in which the two differ most.
double Coverage(const QImage& drawn, const QImage& bare, int x, int y) {
    const QColor line(0x44, 0x66, 0xA3);
    const QColor d = drawn.pixelColor(x, y);
    const QColor b = bare.pixelColor(x, y);
    const int spans[] = {line.red() - b.red(), line.green() - b.green(), line.blue() - b.blue()};
    const int moves[] = {d.red() - b.red(), d.green() - b.green(), d.blue() - b.blue()};
    const auto widest = std::max_element(std::begin(spans), std::end(spans),
                                         [](int a, int c) { return std::abs(a) < std::abs(c); });
    return *widest == 0 ? 0.0 : static_cast<double>(moves[widest - std::begin(spans)]) / *widest;
}

// Pixels marked in `a` with no pixel marked in `b` within one pixel.
int Strays(const std::vector<bool>& a, const std::vector<bool>& b, int width, int height) {
    const auto marked = [&](const std::vector<bool>& m, int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < height &&
               m[static_cast<std::size_t>(y * width + x)];
    };
    int strays = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    near = near || marked(b, x + dx, y + dy);
                }
            }
            strays += marked(a, x, y) && !near;
        }
    }
    return strays;
}

class ResponseChart : public ::testing::Test {
protected:
    ResponseChart() : view(series) {
        view.resize(640, 400);
        view.show();
        Settle();
        view.clearFocus(); // the only widget of its window takes the focus, and shows its frame
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
    QImage Grab() { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Where a value of the drawn line lies on the device pixels of a grab.
    QPointF DevicePoint(QPointF value) const {
        const QPointF inChart = view.chart()->mapToPosition(value, Line());
        return view.viewportTransform().map(view.chart()->mapToScene(inChart)) *
               view.devicePixelRatioF();
    }
    QRectF DevicePlot() const {
        const QRectF inView = view.viewportTransform().mapRect(
            view.chart()->mapRectToScene(view.chart()->plotArea()));
        const double ratio = view.devicePixelRatioF();
        return {inView.topLeft() * ratio, inView.size() * ratio};
    }
    // The labelled values of an axis, ascending.
    std::vector<double> Ticks(Qt::Orientation orientation) const {
        std::vector<double> ticks;
        for (const QString& label : Axis(orientation)->categoriesLabels()) {
            ticks.push_back(Axis(orientation)->endValue(label));
        }
        std::sort(ticks.begin(), ticks.end());
        return ticks;
    }
    double DeviceColumns() const {
        return view.chart()->plotArea().width() * view.devicePixelRatioF();
    }

    // Draws the view as it is, then with every drawable point handed to the line, each where the
    // view places it, and compares the two lines.
    //
    // Qt Charts blends each segment on its own, so where hundreds of segments cross a pixel
    // column the line of all points comes out darker, and up to a pixel wider, than through the
    // few points kept per column. Their shades differ there and cannot be compared; the pixels
    // they mark can: each within one pixel of the other's.
    void ExpectTheLineOfAllPoints(const std::string& what) {
        const QImage reduced = Grab();
        const QList<QPointF> kept = Line()->points();
        EXPECT_EQ(qobject_cast<QLineSeries*>(view.chart()->series().at(1))->points(), kept)
            << what << ": the hover zone follows the line";

        const TFrequencyAxis axis = FrequencyAxis(series.XValues(), series.YValues());
        QList<QPointF> all;
        for (std::size_t i = 0; i < series.Count(); ++i) {
            const double x = series.XValues()[i];
            const double y = series.YValues()[i];
            if (IsDrawable(x, y)) {
                all.append({FrequencyPosition(axis, FrequencyPlotX(axis, x)), y});
            }
        }
        Line()->replace(all);
        const QImage full = Grab();
        Line()->clear();
        const QImage bare = Grab();
        Line()->replace(kept);

        const std::vector<bool> fromKept = Marks(reduced, bare);
        const std::vector<bool> fromAll = Marks(full, bare);
        EXPECT_GT(std::count(fromAll.begin(), fromAll.end(), true), 1000) << what;
        EXPECT_EQ(Strays(fromKept, fromAll, bare.width(), bare.height()), 0) << what;
        EXPECT_EQ(Strays(fromAll, fromKept, bare.width(), bare.height()), 0) << what;
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

// Pixels around a point, in device pixels, drawn at least half in the line's colour.
int LinePixelsAround(const QImage& drawn, const QImage& bare, QPointF at, int reach) {
    int count = 0;
    for (int y = Floor(at.y()) - reach; y <= Floor(at.y()) + reach; ++y) {
        for (int x = Floor(at.x()) - reach; x <= Floor(at.x()) + reach; ++x) {
            count += Coverage(drawn, bare, x, y) >= 0.5;
        }
    }
    return count;
}

TEST_F(ResponseChart, ASinglePointShowsAsADotAndALineShowsNone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double reach = 4 * view.devicePixelRatioF();
    const struct {
        const char* what;
        std::vector<std::pair<double, double>> points;
    } cases[] = {
        {"one point", {{1000, 3}}},
        {"one drawable point among points not drawn", {{nan, 1}, {1000, 3}, {5000, nan}}},
    };
    for (const auto& c : cases) {
        series.Empty();
        Settle();
        const QImage bare = Grab();
        for (const auto& [x, y] : c.points) {
            series.AddXY(x, y, u"", TLineSeries::Color);
        }
        Settle();
        ASSERT_EQ(Points().size(), 1u) << c.what;
        const QPointF at = DevicePoint(Points()[0]);
        // Grid lines move with the range; only the wall and the dot differ in the middle.
        const int dot = LinePixelsAround(Grab(), bare, at, static_cast<int>(reach));
        EXPECT_GE(dot, 20) << c.what;

        series.AddXY(100, -3, u"", TLineSeries::Color);
        Settle();
        ASSERT_EQ(Points().size(), 2u) << c.what;
        const QImage line = Grab();
        const QList<QPointF> kept = Line()->points();
        Line()->clear();
        const QImage lineBare = Grab();
        Line()->replace(kept);
        EXPECT_LT(LinePixelsAround(line, lineBare, DevicePoint(kept[1]), static_cast<int>(reach)),
                  dot / 2)
            << c.what << ": the line's end is no dot";
    }

    series.Empty();
    Settle();
    EXPECT_TRUE(Points().empty());
    EXPECT_FALSE(Line()->pointsVisible());
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

// With antialiasing, 1 px lines between pixels come out as two half-strength columns, and at a
// ratio such as 1.5 a logical pixel is one or two device pixels. The curve runs along the bottom
// axis, up the 1 kHz grid line and along the top grid line: each lies where the curve covers most.
TEST_F(ResponseChart, GridAndAxisLinesAreSingleDevicePixelsUnderTheCurve) {
    ShowSeries(Data({20, 1000, 1000, 20000}, {-10, -10, 10, 10}), series, u"");
    Settle();
    const QImage drawn = Grab();
    const QList<QPointF> kept = Line()->points();
    Line()->clear();
    const QImage image = Grab();
    Line()->replace(kept);
    const QRgb grid = qRgb(0xA9, 0xA9, 0xA9);
    const QRgb axis = qRgb(0x40, 0x40, 0x40);

    const QRectF plot = DevicePlot();
    const int left = Floor(plot.left());
    const int top = Floor(plot.top());
    const int bottom = Floor(plot.bottom());
    const std::vector<double> frequencies = Ticks(Qt::Horizontal);
    const std::vector<double> gains = Ticks(Qt::Vertical);
    ASSERT_GE(frequencies.size(), 4u);
    ASSERT_GE(gains.size(), 4u);
    const auto coverage = [&](int x, int y) { return Coverage(drawn, image, x, y); };
    constexpr double kShade = 0.02; // one step of 8-bit colour over the span line to background

    // A row between two gain labels: back wall colour, grid columns and the left axis only.
    const double midGain = (gains[gains.size() / 2 - 1] + gains[gains.size() / 2]) / 2;
    const int row = Floor(DevicePoint({3, midGain}).y());
    std::map<QRgb, int> seen;
    for (int x = left - 2; x <= Floor(plot.right()); ++x) {
        ++seen[image.pixel(x, row)];
        if (image.pixel(x, row) == grid) {
            EXPECT_NE(image.pixel(x - 1, row), grid) << x;
            EXPECT_NE(image.pixel(x + 1, row), grid) << x;
        }
    }
    EXPECT_EQ(seen[axis], 1);
    EXPECT_EQ(image.pixel(left, row), axis);
    EXPECT_GE(seen[grid], 3);
    EXPECT_EQ(seen.size(), 4u); // plus the wall and the panel beside it
    const int column1k = Floor(DevicePoint({3, midGain}).x());
    EXPECT_EQ(image.pixel(column1k, row), grid);
    EXPECT_GE(coverage(column1k, row), 0.45);
    EXPECT_GE(coverage(column1k, row), coverage(column1k - 1, row) - kShade);
    EXPECT_GE(coverage(column1k, row), coverage(column1k + 1, row) - kShade);

    // Columns between two frequency labels: below 1 kHz the curve runs on the bottom axis, above
    // it on the top grid line.
    const struct {
        double from, to;
        int curveRow;
    } columns[] = {{frequencies[0], frequencies[1], bottom},
                   {frequencies[frequencies.size() - 2], frequencies.back(), top}};
    for (const auto& c : columns) {
        const int column = Floor(DevicePoint({(c.from + c.to) / 2, 0}).x());
        int axisRows = 0;
        for (int y = top - 2; y <= bottom + 2; ++y) {
            axisRows += image.pixel(column, y) == axis;
            if (image.pixel(column, y) == grid) {
                EXPECT_NE(image.pixel(column, y - 1), grid) << y;
                EXPECT_NE(image.pixel(column, y + 1), grid) << y;
            }
        }
        EXPECT_EQ(axisRows, 1) << column;
        EXPECT_EQ(image.pixel(column, bottom), axis) << column;
        EXPECT_EQ(image.pixel(column, top), grid) << column;
        EXPECT_GE(coverage(column, c.curveRow), 0.45) << column;
        EXPECT_GE(coverage(column, c.curveRow), coverage(column, c.curveRow - 1) - kShade)
            << column;
        EXPECT_GE(coverage(column, c.curveRow), coverage(column, c.curveRow + 1) - kShade)
            << column;
    }

    // Gradients: the panel's lower half is flat; both end in white at the top.
    const int column = Floor(DevicePoint({(frequencies[0] + frequencies[1]) / 2, 0}).x());
    EXPECT_EQ(image.pixel(1, image.height() - 1), qRgb(0xEA, 0xEA, 0xEA));
    EXPECT_EQ(image.pixel(1, image.height() * 3 / 4), qRgb(0xEA, 0xEA, 0xEA));
    EXPECT_GE(qGray(image.pixel(1, 0)), 0xFD);
    EXPECT_GE(qGray(image.pixel(column, top + 1)), 0xFD);
    EXPECT_LE(qGray(image.pixel(column, bottom - 2)), 0xEC);
}

TEST_F(ResponseChart, ManyPointsDrawTheLineOfAllPointsFromAFewPerPixelColumn) {
    constexpr int kCount = 200'000;
    const std::vector<float> walk = Walk(kCount);
    const auto walkAt = [&](int i) { return walk[static_cast<std::size_t>(i)]; };
    const auto sweep = [](int i) {
        const double at = static_cast<double>(i) / kCount;
        return static_cast<float>(6 * std::sin(2 * std::numbers::pi * 3000 * std::pow(at, 4)));
    };
    const auto spikes = [](int i) {
        return i == 70'000 ? 20.0f : i == 140'000 ? -15.0f : 0.3f * std::sin(0.7f * i);
    };
    const auto gaps = [&](int i) {
        const bool gap = (i > 40'000 && i < 44'000) || (i > 100'000 && i < 120'000);
        return gap ? std::numeric_limits<float>::quiet_NaN() : walkAt(i);
    };
    TDatentyp belowOneHz; // from a point at 0: the reversed axis, its columns filled from the right
    for (int i = 0; i < kCount / 10; ++i) {
        belowOneHz.DatenXYZ[0].push_back(static_cast<float>(i) / kCount * 5);
        belowOneHz.DatenXYZ[1].push_back(walkAt(i * 10));
    }

    const struct {
        const char* what;
        TDatentyp data;
    } cases[] = {
        {"random walk", Dense(kCount, walkAt)},
        {"sine sweep, many periods per column at the top", Dense(kCount, sweep)},
        {"spikes up and down", Dense(kCount, spikes)},
        {"gaps of points not drawn", Dense(kCount, gaps)},
        {"reversed axis", belowOneHz},
    };
    for (const auto& c : cases) {
        ShowSeries(c.data, series, u"");
        Settle();
        ExpectTheLineOfAllPoints(c.what);
        EXPECT_LE(Points().size(), 4 * (DeviceColumns() + 2)) << c.what;
    }
}

TEST_F(ResponseChart, UpToFourPointsPerPixelColumnEveryPointIsHandedOver) {
    // A few columns spare: the new gain labels may narrow the plot.
    const int count = static_cast<int>(DeviceColumns() - 10) * 4;
    ShowSeries(Dense(count, [](int i) { return static_cast<float>(i % 7); }), series, u"");
    Settle();
    EXPECT_EQ(Points().size(), static_cast<std::size_t>(count));
}

// A random walk keeps nearly four points in every column: more than three per device pixel
// shows that the columns are device pixels, also at a pixel ratio of 2.
TEST_F(ResponseChart, AResizeReducesAgainForTheNewPixelColumns) {
    const std::vector<float> walk = Walk(200'000);
    ShowSeries(Dense(200'000, [&](int i) { return walk[i]; }), series, u"");
    Settle();
    for (const QSize size : {QSize(1000, 500), QSize(300, 300)}) {
        view.resize(size);
        Settle();
        const std::string what = std::to_string(size.width()) + " px wide";
        ExpectTheLineOfAllPoints(what);
        EXPECT_GT(Points().size(), 3 * DeviceColumns()) << what;
        EXPECT_LE(Points().size(), 4 * (DeviceColumns() + 2)) << what;
    }
}

// The pixel ratio is fixed per process: the tests that count device pixels run once more in a
// child at each ratio.
TEST(ResponseChartHiDpi, DevicePixelsAtPixelRatiosOf125And150And200Percent) {
    for (const char* ratio : {"1.25", "1.5", "2"}) {
        EXPECT_TRUE(
            PassAtPixelRatio(ratio,
                             "ResponseChart.AResizeReducesAgainForTheNewPixelColumns:"
                             "ResponseChart.GridAndAxisLinesAreSingleDevicePixelsUnderTheCurve:"
                             "ResponseChart.ASinglePointShowsAsADotAndALineShowsNone:"
                             "ResponseChartFocus.AFrameShowsWhileTheChartHasTheFocus",
                             4));
    }
}

TEST_F(ResponseChart, NotationChangedWritesTheLabelsInTheNewNotation) {
    UserNotation = NumberNotation{u'.'};
    ShowSeries(Data({0, 0.25f, 0.5f}, {0.5f, 1.5f, 1}), series, u"");
    Settle();
    const QStringList before =
        Axis(Qt::Horizontal)->categoriesLabels() + Axis(Qt::Vertical)->categoriesLabels();
    ASSERT_TRUE(before.contains("0.5"));
    ASSERT_FALSE(Axis(Qt::Vertical)->categoriesLabels().filter(" dB").filter(".").isEmpty());

    UserNotation = NumberNotation{u','};
    view.NotationChanged();
    Settle();
    const QStringList after =
        Axis(Qt::Horizontal)->categoriesLabels() + Axis(Qt::Vertical)->categoriesLabels();
    UserNotation = NumberNotation{u'.'};
    EXPECT_EQ(after, QStringList(before).replaceInStrings(".", ","));
}

// The chart takes the focus by Tab from the field before it and shows a frame only while it has it.
TEST(ResponseChartFocus, AFrameShowsWhileTheChartHasTheFocus) {
    TLineSeries series;
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* chart = new ResponseChartView(series, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(field);
    layout->addWidget(chart);
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    field->setFocus();

    const QColor frame = chart->palette().color(QPalette::Highlight);
    const auto framePixels = [&] {
        const QImage image = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, 0) == frame;
            count += image.pixelColor(x, image.height() - 1) == frame;
        }
        for (int y = 0; y < image.height(); ++y) {
            count += image.pixelColor(0, y) == frame;
            count += image.pixelColor(image.width() - 1, y) == frame;
        }
        return count;
    };
    EXPECT_EQ(framePixels(), 0);

    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_TRUE(chart->hasFocus());
    const QSize pixels = chart->size() * chart->devicePixelRatioF();
    EXPECT_EQ(framePixels(), 2 * (pixels.width() + pixels.height()));

    QTest::keyClick(chart, Qt::Key_Tab);
    ASSERT_TRUE(field->hasFocus());
    EXPECT_EQ(framePixels(), 0);
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
