// The parametric equaliser fit of a 1/48-octave target (about 480 points) with 10 and with 32
// filters, against one pass of the filters' summed response over the same points.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "bench_ratio.h"
#include "parametric_eq.h"

namespace {

// A measured-looking curve: random gains at octave points joined smoothly, every 1/48 octave from
// 20 Hz to 20 kHz, each whole hertz once.
const TProfileRows& Target() {
    static const TProfileRows rows = [] {
        std::mt19937 random(48);
        std::uniform_real_distribution<double> gain(-6, 6);
        std::vector<double> nodes;
        for (int k = 0; k <= 11; ++k) {
            nodes.push_back(gain(random));
        }
        TProfileRows r;
        for (int k = -300; k <= 300; ++k) {
            const double hz = std::round(1000 * std::exp2(k / 48.0));
            if (hz < 20 || hz > 20000 || (!r.empty() && hz == r.back()[0])) {
                continue;
            }
            const double octave = std::log2(hz / 20);
            const auto i = static_cast<std::size_t>(octave);
            const double t = octave - static_cast<double>(i);
            const double eased = t * t * (3 - 2 * t);
            r.push_back({static_cast<float>(hz),
                         static_cast<float>(nodes[i] + (nodes[i + 1] - nodes[i]) * eased)});
        }
        return r;
    }();
    return rows;
}

void BM_ResponsePass(benchmark::State& state) {
    const std::vector<TFilter> filters{{TFilterType::LowShelf, 105, 4, 0.71},
                                       {TFilterType::Peaking, 320, -3.2, 1.41},
                                       {TFilterType::Peaking, 2500, 2.5, 2},
                                       {TFilterType::HighShelf, 9000, -5, 0.71}};
    for (auto _ : state) {
        double sum = 0;
        for (const std::vector<float>& row : Target()) {
            sum += FiltersGainDb(filters, 48000, row[0]);
        }
        benchmark::DoNotOptimize(sum);
    }
}

// The fastest single fit per number of filters, in seconds.
std::map<int64_t, double>& FastestFit() {
    static std::map<int64_t, double> fastest;
    return fastest;
}

void BM_Fit(benchmark::State& state) {
    TFitSettings settings;
    settings.MaxFilters = static_cast<int32_t>(state.range(0));
    double rms = 0;
    auto [fastest, fresh] =
        FastestFit().emplace(state.range(0), std::numeric_limits<double>::infinity());
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const TFitResult result = FitParametricEq(Target(), settings);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        fastest->second = std::min(fastest->second, took.count());
        rms = result.RmsErrorDb;
        benchmark::DoNotOptimize(result.Filters.data());
    }
    state.counters["rms_db"] = rms;
}

BENCHMARK(BM_ResponsePass)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_Fit)->Arg(10)->Arg(32)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    std::printf("target: %zu points\n", Target().size());
    const int status =
        RunWithRatios(argc, argv,
                      {{"fit 10 filters / response pass", "BM_Fit/10", "BM_ResponsePass", 800.0},
                       {"fit 32 filters / response pass", "BM_Fit/32", "BM_ResponsePass", 2400.0}});
    // The fit runs while the user waits for its window.
    if (const auto ten = FastestFit().find(10); ten != FastestFit().end()) {
        std::printf("fit 10 filters: %.1f ms (goal < 200 ms) %s\n", ten->second * 1000,
                    ten->second < 0.2 ? "ok" : "OVER GOAL");
    }
    return status;
}
