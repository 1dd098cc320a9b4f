// The window's chart and table offscreen with 1,000,000 points: one drag step of a point (a mouse
// move that changes its gain, the gain cell written, the table and the chart repainted) against
// one repaint of the whole range.

#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QWidget>

#include <cmath>
#include <vector>

#include "ProfileTableView.h"
#include "ResponseChartView.h"
#include "bench_ratio.h"
#include "main_f.h"
#include "uStreamSoundProfil.h"

namespace {

constexpr int kPoints = 1'000'000;

std::vector<std::vector<float>> Curve() {
    std::vector<std::vector<float>> rows;
    rows.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const double at = static_cast<double>(i) / kPoints;
        rows.push_back({static_cast<float>(20 * std::pow(1000.0, at)),
                        static_cast<float>(6 * std::sin(40 * at) - 2 * at)});
    }
    return rows;
}

struct Window {
    TForm1 form;
    QWidget window;
    ProfileTableView* table = new ProfileTableView(&window);
    ResponseChartView* chart = new ResponseChartView(form.Series1, &window);

    Window() {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(table);
        layout->addWidget(chart, 2);
        table->SetGrid(form.StringGrid1);
        chart->Follow(form.ChartRows, form.Edit1, form.lbFilename);
        chart->Edit(form.PointSteps);
        window.resize(1100, 500);
        window.show();
        QApplication::processEvents();
        CurrentSoundProfil.xyData = Curve();
        form.Execute([this] { form.ShowProfile(); });
        QApplication::processEvents();
    }

    // Where point `Index` lies in the chart's viewport.
    QPointF At(std::size_t Index) const {
        const QRectF plot = chart->viewportTransform().mapRect(
            chart->chart()->mapRectToScene(chart->chart()->plotArea()));
        const TChartWindow w = chart->Window();
        const double hz = form.Series1.XValues()[Index];
        const double db = form.Series1.YValues()[Index];
        return {plot.left() + (std::log10(hz) - w.Left) / (w.Right - w.Left) * plot.width(),
                plot.top() + (w.Top - db) / (w.Top - w.Bottom) * plot.height()};
    }

    void Mouse(QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, chart->viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(chart->viewport(), &event);
    }

    // One repaint as the window makes it: what the step changed and the paint merge into one.
    void Render() {
        chart->viewport()->update();
        QApplication::processEvents();
    }
};

void BM_RepaintWholeRange(benchmark::State& state) {
    Window w;
    w.Render();
    for (auto _ : state) {
        w.Render();
    }
}

// A point in the middle of the curve dragged 10 pixels up and down by turns: about 0.4 dB, so
// that every move writes another gain.
void BM_PointDragStep(benchmark::State& state) {
    Window w;
    const QPointF from = w.At(kPoints / 2);
    w.Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    w.Render();
    QPointF at = from;
    double step = -10;
    std::size_t moved = 0;
    for (auto _ : state) {
        at += QPointF(0, step);
        w.Mouse(QEvent::MouseMove, at, Qt::LeftButton);
        w.Render();
        step = -step;
        ++moved;
    }
    w.Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
    if (w.form.UndoText() != u"Move point") {
        state.SkipWithError("the drag moved no point");
    }
    state.counters["moves"] = static_cast<double>(moved);
}

BENCHMARK(BM_RepaintWholeRange)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_PointDragStep)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RunWithRatios(argc, argv,
                         {{"point drag step / repaint of the whole range, 1000000",
                           "BM_PointDragStep", "BM_RepaintWholeRange", 2.0}});
}
