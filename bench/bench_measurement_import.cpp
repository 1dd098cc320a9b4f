// Measurement import of a 1,000,000-line file against reading the same lines with std::getline
// and two std::from_chars per line.

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "bench_ratio.h"
#include "bench_text_baseline.h"
#include "measurement_import.h"

namespace {

namespace fs = std::filesystem;
constexpr int kLines = 1'000'000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        char pattern[] = "/tmp/measurement-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return fs::path(pattern);
    }();
    return folder;
}

// A measurement as analysers write it: comment lines, a title row, then frequency TAB gain.
const fs::path& MeasurementFile() {
    static const fs::path path = [] {
        fs::path p = Folder() / "big.frd";
        std::ofstream out(p, std::ios::binary);
        out << "* Measurement\r\n* Format: 1/48 octave\r\n* Freq(Hz)\tSPL(dB)\r\n";
        char line[64];
        for (int i = 0; i < kLines - 3; ++i) {
            std::snprintf(line, sizeof line, "%d.%03d\t%d.%03d\r\n", 20 + i / 50, i % 1000,
                          i % 70 - 35, (i * 7) % 1000);
            out << line;
        }
        return p;
    }();
    return path;
}

void BM_GetlineFromChars(benchmark::State& state) {
    MeasurementFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SumOfLineNumbers(MeasurementFile(), '\t'));
    }
}

void BM_ImportMeasurement(benchmark::State& state) {
    MeasurementFile();
    for (auto _ : state) {
        TDatentyp series;
        const TMeasurementLayout layout = ImportMeasurement(MeasurementFile(), 1, series);
        if (layout.Delimiter != u'\t' || layout.DataLines != kLines - 3) {
            state.SkipWithError("import failed");
        }
        benchmark::DoNotOptimize(series.DatenXYZ[0].data());
    }
}

BENCHMARK(BM_GetlineFromChars)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ImportMeasurement)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    const int result = RunWithRatios(argc, argv,
                                     {{"measurement import / getline+from_chars",
                                       "BM_ImportMeasurement", "BM_GetlineFromChars", 3.0}});
    fs::remove_all(Folder());
    return result;
}
