// The response chart offscreen with 1,000,000 points: one wheel notch (the points in view reduced
// again, the labels written, the chart drawn) and one drag step of a chart zoomed to one decade,
// against one repaint of the whole range.

#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>

#include <cmath>
#include <vector>

#include "ResponseChartView.h"
#include "bench_ratio.h"

namespace {

constexpr int kPoints = 1'000'000;

TDatentyp Curve() {
    TDatentyp data;
    for (int i = 0; i < kPoints; ++i) {
        const double at = static_cast<double>(i) / kPoints;
        data.DatenXYZ[0].push_back(static_cast<float>(20 * std::pow(1000.0, at)));
        data.DatenXYZ[1].push_back(
            static_cast<float>(6 * std::sin(40 * at) - 2 * at + 0.8 * std::sin(0.7 * i)));
    }
    return data;
}

struct View {
    TLineSeries series;
    ResponseChartView view{series};

    View() {
        view.resize(800, 500);
        view.show();
        QApplication::processEvents();
        ShowSeries(Curve(), series, u"");
        QApplication::processEvents();
    }

    QPointF Middle() const { return QRectF(view.viewport()->rect()).center(); }

    void Wheel(int notches) {
        QWheelEvent wheel(Middle(), view.viewport()->mapToGlobal(Middle()), QPoint(),
                          QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(view.viewport(), &wheel);
    }

    void Mouse(QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }

    // One repaint as the window makes it: what the step changed and the paint merge into one.
    void Render() {
        view.viewport()->update();
        QApplication::processEvents();
    }
};

void BM_RepaintWholeRange(benchmark::State& state) {
    View chart;
    chart.Render();
    for (auto _ : state) {
        chart.Render();
    }
}

// In and out by turns, so that every notch starts from one decade or a notch more.
void BM_WheelNotch(benchmark::State& state) {
    View chart;
    chart.Wheel(5); // three decades to a little over one
    int direction = 1;
    for (auto _ : state) {
        chart.Wheel(direction);
        chart.Render();
        direction = -direction;
    }
}

// A pan of 4 pixels back and forth across a chart zoomed to about one decade.
void BM_PanStep(benchmark::State& state) {
    View chart;
    chart.Wheel(5);
    const QPointF from = chart.Middle() + QPointF(0, 100); // off the line
    chart.Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    int step = 4;
    QPointF at = from;
    for (auto _ : state) {
        at += QPointF(step, 0);
        chart.Mouse(QEvent::MouseMove, at, Qt::LeftButton);
        chart.Render();
        step = -step;
    }
    chart.Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
}

BENCHMARK(BM_RepaintWholeRange)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_WheelNotch)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_PanStep)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RunWithRatios(argc, argv,
                         {{"wheel notch / repaint of the whole range, 1000000", "BM_WheelNotch",
                           "BM_RepaintWholeRange", 2.0},
                          {"pan step / repaint of the whole range, 1000000", "BM_PanStep",
                           "BM_RepaintWholeRange", 2.0}});
}
