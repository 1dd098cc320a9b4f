// ShowSeries with 1,000,000 points handed over in descending against ascending frequency order:
// the ordered insertion must not turn quadratic when every point goes to the front. Ascending
// points are only checked for order and descending ones sorted, so n log n stands against n; a
// quadratic insertion would be thousands of times slower.

#include "bench_ratio.h"
#include "teechart_basics.h"

namespace {

constexpr int kPoints = 1'000'000;

TDatentyp Sweep(bool descending) {
    TDatentyp data;
    data.DatenXYZ[0].resize(kPoints);
    data.DatenXYZ[1].resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const int at = descending ? kPoints - 1 - i : i;
        data.DatenXYZ[0][at] = 20.0f + static_cast<float>(i) * 0.02f;
        data.DatenXYZ[1][at] = -3.5f + static_cast<float>(i % 70) * 0.1f;
    }
    return data;
}

void Show(benchmark::State& state, bool descending) {
    const TDatentyp data = Sweep(descending);
    TLineSeries series;
    for (auto _ : state) {
        ShowSeries(data, series, u"");
        benchmark::DoNotOptimize(series.XValues().data());
    }
    if (series.XValues().front() != 20.0f) {
        state.SkipWithError("points out of order");
    }
}

void BM_ShowSeriesAscending(benchmark::State& state) {
    Show(state, false);
}
void BM_ShowSeriesDescending(benchmark::State& state) {
    Show(state, true);
}

BENCHMARK(BM_ShowSeriesAscending)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_ShowSeriesDescending)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"ShowSeries descending / ascending", "BM_ShowSeriesDescending",
                           "BM_ShowSeriesAscending", 8.0}});
}
