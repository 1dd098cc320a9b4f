// The curve tools on a 1,000,000-point measurement against Update / Sort of the same profile in
// the editor: smoothing slides one sum along the points, resampling searches once per new point.

#include <random>
#include <vector>

#include "bench_ratio.h"
#include "main_f.h"
#include "profile_curves.h"
#include "uStreamSoundProfil.h"

namespace {

constexpr int kPoints = 1'000'000;

const TProfileRows& Measurement() {
    static const TProfileRows rows = [] {
        std::mt19937 random(3);
        std::uniform_int_distribution<int> tenths(-400, 400);
        TProfileRows r;
        r.reserve(kPoints);
        for (int i = 0; i < kPoints; ++i) {
            r.push_back({20.0f + static_cast<float>(i) * 0.02f,
                         static_cast<float>(tenths(random)) / 10.0f});
        }
        return r;
    }();
    return rows;
}

void BM_UpdateSort(benchmark::State& state) {
    TForm1 form;
    form.Desktop.MessageDlg = [](TMsgDlgType, TMsgDlgButtons, const std::u16string&) {
        return TModalResult::mrOk;
    };
    CurrentSoundProfil.xyData = Measurement();
    form.ShowProfile();
    for (auto _ : state) {
        form.Execute(&TForm1::acSortExecute);
        benchmark::DoNotOptimize(CurrentSoundProfil.xyData.data());
    }
    CurrentSoundProfil = TSoundProfil{};
}

template <typename Tool> void RunTool(benchmark::State& state, Tool tool) {
    TProfileRows rows;
    for (auto _ : state) {
        state.PauseTiming();
        rows = Measurement();
        state.ResumeTiming();
        tool(rows);
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_Smooth3(benchmark::State& state) {
    RunTool(state, [](TProfileRows& rows) { SmoothGains(rows, 3); });
}

void BM_Resample12(benchmark::State& state) {
    RunTool(state, [](TProfileRows& rows) { rows = ResampleRows(rows, 12); });
}

BENCHMARK(BM_UpdateSort)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_Smooth3)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_Resample12)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    return RunWithRatios(
        argc, argv,
        {{"smooth 1/3 octave / Update / Sort", "BM_Smooth3", "BM_UpdateSort", 3.0},
         {"resample 1/12 octave / Update / Sort", "BM_Resample12", "BM_UpdateSort", 3.0}});
}
