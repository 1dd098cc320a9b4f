// The response chart offscreen with 100,000 points, against a bare Qt Charts line chart of the same
// points: a full repaint, and ShowSeries with the view following against one QLineSeries::replace.

#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>

#include <cmath>

#include "ResponseChartView.h"
#include "bench_ratio.h"

namespace {

TDatentyp Curve(int points) {
    TDatentyp data;
    for (int i = 0; i < points; ++i) {
        const double at = static_cast<double>(i) / points;
        data.DatenXYZ[0].push_back(static_cast<float>(20 * std::pow(1000.0, at)));
        // A measured response: slow waves under point-to-point ripple.
        data.DatenXYZ[1].push_back(
            static_cast<float>(6 * std::sin(40 * at) - 2 * at + 0.8 * std::sin(0.7 * i)));
    }
    return data;
}

// The same points as the response chart draws them, on the log10 axis.
QList<QPointF> PlotPoints(const TDatentyp& data) {
    QList<QPointF> points;
    for (std::size_t i = 0; i < data.DatenXYZ[0].size(); ++i) {
        points.append({std::log10(data.DatenXYZ[0][i]), data.DatenXYZ[1][i]});
    }
    return points;
}

// A plain line chart: one antialiased 1 px line, two value axes, no legend.
struct BareChart {
    QChartView view;
    QLineSeries* line = new QLineSeries;

    BareChart() {
        view.chart()->legend()->hide();
        view.chart()->addSeries(line);
        view.chart()->createDefaultAxes();
        view.chart()->axes(Qt::Horizontal).at(0)->setRange(std::log10(20.0), std::log10(20000.0));
        view.chart()->axes(Qt::Vertical).at(0)->setRange(-10, 10);
        line->setPen(QPen(Qt::blue, 1));
        view.setRenderHint(QPainter::Antialiasing);
        view.resize(800, 500);
        view.show();
        QApplication::processEvents();
    }
};

void Repaint(benchmark::State& state, QWidget& widget) {
    QApplication::processEvents();
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        widget.render(&painter);
    }
}

void BM_Repaint(benchmark::State& state) {
    TLineSeries series;
    ResponseChartView view(series);
    view.resize(800, 500);
    view.show();
    ShowSeries(Curve(static_cast<int>(state.range(0))), series, u"");
    Repaint(state, view);
}

void BM_BareRepaint(benchmark::State& state) {
    BareChart chart;
    chart.line->replace(PlotPoints(Curve(static_cast<int>(state.range(0)))));
    Repaint(state, chart.view);
}

void BM_ShowSeries(benchmark::State& state) {
    const TDatentyp data = Curve(static_cast<int>(state.range(0)));
    TLineSeries series;
    ResponseChartView view(series);
    view.resize(800, 500);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        ShowSeries(data, series, u"");
    }
}

void BM_BareReplace(benchmark::State& state) {
    const QList<QPointF> points = PlotPoints(Curve(static_cast<int>(state.range(0))));
    BareChart chart;
    for (auto _ : state) {
        chart.line->replace(points);
    }
}

BENCHMARK(BM_Repaint)->Arg(100'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BareRepaint)->Arg(100'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_ShowSeries)->Arg(100'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BareReplace)->Arg(100'000)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RunWithRatios(
        argc, argv,
        {{"repaint / bare chart repaint", "BM_Repaint/100000", "BM_BareRepaint/100000", 1.5},
         // The view places the line and its hover twin: two replaces.
         {"ShowSeries with the view / one bare replace", "BM_ShowSeries/100000",
          "BM_BareReplace/100000", 2.5}});
}
