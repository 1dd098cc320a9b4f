// The numeric sort of a 100,000-row table (distinct keys, and every key twice) against parsing
// the same key cells once plus std::sort, and the round trip of 100,000 profile rows through the
// table.

#include <algorithm>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "bench_ratio.h"
#include "number_text.h"
#include "uStringgrid_VCL.h"

namespace {

constexpr int32_t kRows = 100'000;

// Frequencies with one decimal in shuffled order: all distinct, or each one twice.
TStringGrid MakeShuffledTable(bool Repeats) {
    std::vector<int32_t> tenths(kRows);
    std::iota(tenths.begin(), tenths.end(), 200);
    if (Repeats) {
        for (int32_t& t : tenths) {
            t /= 2;
        }
    }
    std::shuffle(tenths.begin(), tenths.end(), std::mt19937(5));
    // Typed texts, as after an import or editing: the sort has to read every key cell.
    TStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(kRows + 1);
    for (int32_t r = 1; r <= kRows; ++r) {
        const float frequency = static_cast<float>(tenths[static_cast<std::size_t>(r - 1)]) / 10.0f;
        g.SetCells(1, r, FormatGeneral(frequency, UserNotation));
        g.SetCells(2, r, u"-3.5");
    }
    return g;
}

const TStringGrid& ShuffledTable() {
    static const TStringGrid grid = MakeShuffledTable(false);
    return grid;
}

const TStringGrid& ShuffledTableWithRepeats() {
    static const TStringGrid grid = MakeShuffledTable(true);
    return grid;
}

void SortCopies(benchmark::State& state, const TStringGrid& table) {
    TStringGrid grid;
    for (auto _ : state) {
        state.PauseTiming();
        grid = table; // the old table is freed outside the timing too
        state.ResumeTiming();
        SortGridRows(grid, 1, true);
        benchmark::DoNotOptimize(grid.Cells(1, 1).data());
    }
}

void BM_SortGridRows(benchmark::State& state) {
    SortCopies(state, ShuffledTable());
}

// Equal keys take the exact exchange order, which must not cost quadratic time either.
void BM_SortGridRowsRepeats(benchmark::State& state) {
    SortCopies(state, ShuffledTableWithRepeats());
}

void BM_ParseOnceAndStdSort(benchmark::State& state) {
    const TStringGrid& grid = ShuffledTable();
    for (auto _ : state) {
        std::vector<std::pair<double, int32_t>> keys;
        keys.reserve(kRows);
        for (int32_t r = 1; r < grid.RowCount(); ++r) {
            keys.emplace_back(CellToFloatStrict(grid.Cells(1, r)), r);
        }
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}

void BM_ProfileRowsRoundTrip(benchmark::State& state) {
    std::vector<std::vector<float>> rows;
    for (int32_t i = 0; i < kRows; ++i) {
        rows.push_back(
            {20.0f + static_cast<float>(i), -12.0f + static_cast<float>(i % 240) * 0.1f});
    }
    TStringGrid grid;
    grid.SetColCount(3);
    std::vector<std::vector<float>> back;
    for (auto _ : state) {
        ProfileRowsToGrid(rows, grid, 1, 2);
        back.clear();
        if (!GridToProfileRows(grid, 1, 2, back)) {
            state.SkipWithError("table did not convert");
        }
        benchmark::DoNotOptimize(back.data());
    }
    state.counters["per_row"] = benchmark::Counter(
        kRows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_SortGridRows)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_SortGridRowsRepeats)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_ParseOnceAndStdSort)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_ProfileRowsRoundTrip)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    return RunWithRatios(
        argc, argv,
        {{"sort / parse once + std::sort", "BM_SortGridRows", "BM_ParseOnceAndStdSort", 3.0},
         {"sort, every key twice / parse once + std::sort", "BM_SortGridRowsRepeats",
          "BM_ParseOnceAndStdSort", 3.0}});
}
