// ASCII import of a 1,000,000-line file (delimiter detection included) against reading the same
// lines with std::getline and two std::from_chars per line. Also tells how many of the file's
// fields the direct rounding leaves to the 18-digit route.

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include <unistd.h>

#include "audio_ASCII_Import.h"
#include "bench_ratio.h"
#include "bench_text_baseline.h"
#include "decimal_rounding.h"
#include "number_text.h"

namespace {

namespace fs = std::filesystem;
constexpr int kLines = 1'000'000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        char pattern[] = "/tmp/import-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return fs::path(pattern);
    }();
    return folder;
}

// Two header lines, then data lines in US and German notation by turns.
const fs::path& ImportFile() {
    static const fs::path path = [] {
        fs::path p = Folder() / "big.txt";
        std::ofstream out(p, std::ios::binary);
        out << "Measured response\r\nHz;dB\r\n";
        char line[64];
        for (int i = 0; i < kLines; ++i) {
            const int hz = 20 + i / 50;
            const int tenth = i % 10;
            const int db = i % 70 - 35;
            const char* format = i % 2 == 0 ? "%d.%d;%d.%02d\r\n" : "%d,%d;%d,%02d\r\n";
            std::snprintf(line, sizeof line, format, hz, tenth, db, i % 100);
            out << line;
        }
        return p;
    }();
    return path;
}

void BM_GetlineFromChars(benchmark::State& state) {
    ImportFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SumOfLineNumbers(ImportFile(), ';'));
    }
}

void BM_DetectAndImport(benchmark::State& state) {
    ImportFile();
    for (auto _ : state) {
        TDatentyp series;
        std::u16string header;
        const char16_t delimiter = DetectDelimiter(ImportFile());
        if (delimiter != u';' || !ImportAsciiProfile(ImportFile(), series, delimiter, header) ||
            series.DatenXYZ[0].size() != kLines) {
            state.SkipWithError("import failed");
        }
        benchmark::DoNotOptimize(series.DatenXYZ[0].data());
    }
}

// The fields whose float the direct rounding leaves to the 18-digit route, and all fields.
std::pair<long, long> EighteenDigitFields() {
    std::ifstream in(ImportFile(), std::ios::binary);
    long exact = 0;
    long fields = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] < '0' || line[0] > '9') {
            continue;
        }
        line.pop_back(); // the CR
        const std::size_t delimiter = line.find(';');
        const std::string texts[2] = {line.substr(0, delimiter), line.substr(delimiter + 1)};
        for (const int i : {0, 1}) {
            const std::u16string text(texts[i].begin(), texts[i].end());
            const NumberNotation notation{text.find(u',') == std::u16string::npos ? u'.' : u','};
            DecimalNumber rounded;
            if (!RoundFloatDirectly(static_cast<float>(TextToNumber(text, notation)),
                                    i == 0 ? 1 : 4, rounded)) {
                ++exact;
            }
            ++fields;
        }
    }
    return {exact, fields};
}

BENCHMARK(BM_GetlineFromChars)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_DetectAndImport)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    const auto [exact, fields] = EighteenDigitFields();
    std::printf("fields on the 18-digit route: %ld of %ld\n", exact, fields);
    const int result = RunWithRatios(
        argc, argv,
        {{"import / getline+from_chars", "BM_DetectAndImport", "BM_GetlineFromChars", 3.0}});
    fs::remove_all(Folder());
    return result;
}
