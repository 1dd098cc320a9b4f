// The response chart offscreen with 100,000 and 1,000,000 points, against a bare Qt Charts line
// chart handed the same points: a full repaint, ShowSeries with the view following against one
// QLineSeries::replace, and both together as the editor meets them after opening a profile.

#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

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

// The response chart at the bare chart's size, laid out.
struct View {
    TLineSeries series;
    ResponseChartView view{series};

    View() {
        view.resize(800, 500);
        view.show();
        QApplication::processEvents();
    }
};

void Render(QWidget& widget, QImage& image) {
    QPainter painter(&image);
    widget.render(&painter);
}

void Repaint(benchmark::State& state, QWidget& widget) {
    QApplication::processEvents();
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        Render(widget, image);
    }
}

void BM_Repaint(benchmark::State& state) {
    View chart;
    ShowSeries(Curve(static_cast<int>(state.range(0))), chart.series, u"");
    Repaint(state, chart.view);
}

void BM_BareRepaint(benchmark::State& state) {
    BareChart chart;
    chart.line->replace(PlotPoints(Curve(static_cast<int>(state.range(0)))));
    Repaint(state, chart.view);
}

void BM_ShowSeries(benchmark::State& state) {
    const TDatentyp data = Curve(static_cast<int>(state.range(0)));
    View chart;
    for (auto _ : state) {
        ShowSeries(data, chart.series, u"");
    }
}

void BM_BareReplace(benchmark::State& state) {
    const QList<QPointF> points = PlotPoints(Curve(static_cast<int>(state.range(0))));
    BareChart chart;
    for (auto _ : state) {
        chart.line->replace(points);
    }
}

// Whatever the layout does after the new points (label changes) runs before the repaint.
void BM_ShowAndRepaint(benchmark::State& state) {
    const TDatentyp data = Curve(static_cast<int>(state.range(0)));
    View chart;
    QImage image(chart.view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ShowSeries(data, chart.series, u"");
        QApplication::processEvents();
        Render(chart.view, image);
    }
}

void BM_BareReplaceAndRepaint(benchmark::State& state) {
    const QList<QPointF> points = PlotPoints(Curve(static_cast<int>(state.range(0))));
    BareChart chart;
    QImage image(chart.view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        chart.line->replace(points);
        QApplication::processEvents();
        Render(chart.view, image);
    }
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
}

BENCHMARK(BM_Repaint)->Apply(Sizes);
BENCHMARK(BM_BareRepaint)->Apply(Sizes);
BENCHMARK(BM_ShowSeries)->Apply(Sizes);
BENCHMARK(BM_BareReplace)->Apply(Sizes);
BENCHMARK(BM_ShowAndRepaint)->Apply(Sizes);
BENCHMARK(BM_BareReplaceAndRepaint)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The view hands Qt Charts a few points per pixel column, whatever the count: against a chart
    // that is handed every point, the larger the count the smaller the share.
    std::vector<RatioGoal> goals;
    for (const auto& [n, repaint, show] :
         {std::tuple<std::string, double, double>{"100000", 0.5, 1.0}, {"1000000", 0.1, 0.5}}) {
        goals.push_back({"repaint / bare chart repaint, " + n, "BM_Repaint/" + n,
                         "BM_BareRepaint/" + n, repaint});
        goals.push_back({"ShowSeries with the view / one bare replace, " + n, "BM_ShowSeries/" + n,
                         "BM_BareReplace/" + n, show});
        goals.push_back({"ShowSeries and repaint / bare replace and repaint, " + n,
                         "BM_ShowAndRepaint/" + n, "BM_BareReplaceAndRepaint/" + n, show});
    }
    return RunWithRatios(argc, argv, goals);
}
