// Open and Update / Sort through the real main window offscreen (table view and chart drawn once),
// with the edit history recording, against LoadSoundProfil of the same file alone; Undo and Redo
// of an Update / Sort against that Update / Sort; and the memory that an opened profile and 20
// steps of the history cost above the empty window; one keystroke typed into a cell of a
// 1,000,000-row table against one typed into a table of one row.

#include <QtWidgets/QApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "MainWindow.h"
#include "bench_ratio.h"
#include "main_f.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

fs::path ProfilePath(int rows, bool reversed = false) {
    return fs::temp_directory_path() /
           ("bench-editor-" + std::to_string(::getpid()) + "-" + std::to_string(rows) +
            (reversed ? "-reversed" : "") + ".ump");
}

// A profile of `rows` points from 20 Hz up, gains in tenths of a dB; sorted, or from the highest
// frequency down.
fs::path ProfileFile(int rows, bool reversed = false) {
    const fs::path path = ProfilePath(rows, reversed);
    if (!fs::exists(path)) {
        TSoundProfil profile;
        profile.iVers = SoundProfilVersion;
        profile.stName = u"Benchmark";
        profile.xyData.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            profile.xyData.push_back(
                {static_cast<float>(20 + i), static_cast<float>((i % 241) - 120) / 10});
        }
        if (reversed) {
            std::reverse(profile.xyData.begin(), profile.xyData.end());
        }
        SaveSoundProfil(path, profile);
    }
    return path;
}

long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) {
            return std::stol(line.substr(line.find(':') + 1));
        }
    }
    return -1;
}

// A fresh window, shown and drawn, whose Open dialog answers `file`.
std::unique_ptr<MainWindow> ShownWindow(const fs::path& file) {
    auto window = std::make_unique<MainWindow>();
    window->Form().Desktop.RunOpenDialog =
        [file](const TFileDialogSettings&) -> std::optional<fs::path> { return file; };
    window->Form().Desktop.MessageDlg = [](TMsgDlgType, TMsgDlgButtons, const std::u16string&) {
        return TModalResult::mrOk;
    };
    window->resize(1000, 600);
    window->show();
    QApplication::processEvents();
    window->grab();
    return window;
}

// Lets queued updates run and draws every widget of the window once.
void Draw(MainWindow& window) {
    QApplication::processEvents();
    window.grab();
}

void BM_LoadSoundProfil(benchmark::State& state) {
    const fs::path file = ProfileFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TSoundProfil profile;
        LoadSoundProfil(file, profile);
        benchmark::DoNotOptimize(profile.xyData.data());
    }
}

void BM_Open(benchmark::State& state) {
    const fs::path file = ProfileFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = ShownWindow(file);
        state.ResumeTiming();
        window->Form().Execute(&TForm1::acOPenProfileExecute);
        Draw(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

void BM_UpdateSort(benchmark::State& state) {
    const fs::path file = ProfileFile(static_cast<int>(state.range(0)));
    auto window = ShownWindow(file);
    window->Form().Execute(&TForm1::acOPenProfileExecute);
    Draw(*window);
    for (auto _ : state) {
        window->Form().Execute(&TForm1::acSortExecute);
        Draw(*window);
    }
}

// An Update / Sort that reverses the table, the step that Undo and Redo then take; each
// iteration leaves the window as it found it.
std::unique_ptr<MainWindow> ReversedWindow(int rows) {
    auto window = ShownWindow(ProfileFile(rows, true));
    window->Form().Execute(&TForm1::acOPenProfileExecute);
    Draw(*window);
    return window;
}

void BM_SortStep(benchmark::State& state) {
    auto window = ReversedWindow(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window->Form().Execute(&TForm1::acSortExecute);
        Draw(*window);
        state.PauseTiming();
        window->Form().Undo();
        Draw(*window);
        state.ResumeTiming();
    }
}

void BM_UndoSort(benchmark::State& state) {
    auto window = ReversedWindow(static_cast<int>(state.range(0)));
    window->Form().Execute(&TForm1::acSortExecute);
    Draw(*window);
    for (auto _ : state) {
        window->Form().Undo();
        Draw(*window);
        state.PauseTiming();
        window->Form().Redo();
        Draw(*window);
        state.ResumeTiming();
    }
}

void BM_RedoSort(benchmark::State& state) {
    auto window = ReversedWindow(static_cast<int>(state.range(0)));
    window->Form().Execute(&TForm1::acSortExecute);
    window->Form().Undo();
    Draw(*window);
    for (auto _ : state) {
        window->Form().Redo();
        Draw(*window);
        state.PauseTiming();
        window->Form().Undo();
        Draw(*window);
        state.ResumeTiming();
    }
}

// One keystroke into the first frequency cell, outside any command: the history's typing step and
// the updates the window queues for it (the repaint itself is the window's, as for any table).
// Each keystroke changes the text, as typing does.
void BM_Keystroke(benchmark::State& state) {
    auto window = ShownWindow(ProfileFile(static_cast<int>(state.range(0))));
    TForm1& form = window->Form();
    form.Execute(&TForm1::acOPenProfileExecute);
    Draw(*window);
    form.StringGrid1.SelectCell(1, 1);
    int typed = 0;
    for (auto _ : state) {
        const std::string text = std::to_string(1000 + typed++ % 9000);
        form.StringGrid1.SetCells(1, 1, std::u16string(text.begin(), text.end()));
        QApplication::processEvents();
    }
}

BENCHMARK(BM_Keystroke)->Arg(1)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_SortStep)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_UndoSort)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_RedoSort)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(3);

BENCHMARK(BM_LoadSoundProfil)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);
BENCHMARK(BM_Open)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_UpdateSort)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);

// Peak resident memory of Open and Update / Sort above the empty, drawn window.
void ReportPeakMemory(int rows, double goalMiB) {
    const fs::path file = ProfileFile(rows);
    auto window = ShownWindow(file);
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak restarts from the current size
    const long empty = StatusKiB("VmRSS:");
    window->Form().Execute(&TForm1::acOPenProfileExecute);
    Draw(*window);
    window->Form().Execute(&TForm1::acSortExecute);
    Draw(*window);
    const long peak = StatusKiB("VmHWM:");
    if (empty < 0 || peak < 0) {
        std::printf("peak memory: /proc/self/status not readable\n");
        return;
    }
    const double mib = static_cast<double>(peak - empty) / 1024;
    std::printf("peak memory above the empty window, %d rows (Open, Update / Sort): %.1f MiB "
                "(goal < %.0f) %s\n",
                rows, mib, goalMiB, mib < goalMiB ? "ok" : "OVER GOAL");
}

// Resident memory above the empty, drawn window after `steps` steps of Update / Sort, each after
// a typed frequency that sends the first row to the end, all kept by the history.
void ReportHistoryMemory(int rows, int steps, double goalMiB) {
    auto window = ShownWindow(ProfileFile(rows, true));
    const long empty = StatusKiB("VmRSS:");
    TForm1& form = window->Form();
    form.Execute(&TForm1::acOPenProfileExecute);
    Draw(*window);
    for (int i = 0; i < steps; ++i) {
        const std::string text = std::to_string(10'000'000 + i);
        form.StringGrid1.SetCells(1, 1, std::u16string(text.begin(), text.end()));
        form.Execute(&TForm1::acSortExecute);
        Draw(*window);
    }
    const long now = StatusKiB("VmRSS:");
    if (empty < 0 || now < 0) {
        std::printf("history memory: /proc/self/status not readable\n");
        return;
    }
    const double mib = static_cast<double>(now - empty) / 1024;
    std::printf("memory above the empty window, %d rows after %d Update / Sort steps: %.1f MiB "
                "(goal < %.0f) %s\n",
                rows, steps, mib, goalMiB, mib < goalMiB ? "ok" : "OVER GOAL");
}

} // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // The heap as the editor's main sets it up.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ReportPeakMemory(100'000, 80);
    ReportHistoryMemory(100'000, 20, 60);
    const int status = RunWithRatios(
        argc, argv,
        {{"Open 100,000 rows / LoadSoundProfil", "BM_Open/100000", "BM_LoadSoundProfil/100000", 3},
         {"Open 1,000,000 rows / LoadSoundProfil", "BM_Open/1000000", "BM_LoadSoundProfil/1000000",
          2},
         {"Update / Sort 100,000 sorted rows / LoadSoundProfil", "BM_UpdateSort/100000",
          "BM_LoadSoundProfil/100000", 4},
         {"Update / Sort 1,000,000 sorted rows / LoadSoundProfil", "BM_UpdateSort/1000000",
          "BM_LoadSoundProfil/1000000", 4},
         {"Update / Sort 1,000,000 reversed rows / LoadSoundProfil", "BM_SortStep/1000000",
          "BM_LoadSoundProfil/1000000", 5},
         {"Undo of an Update / Sort of 1,000,000 rows / that Update / Sort", "BM_UndoSort/1000000",
          "BM_SortStep/1000000", 0.5},
         {"Redo of an Update / Sort of 1,000,000 rows / that Update / Sort", "BM_RedoSort/1000000",
          "BM_SortStep/1000000", 0.5}},
        {{"keystroke into a cell of a 1,000,000-row table (baseline: a one-row table)",
          "BM_Keystroke/1000000", "BM_Keystroke/1", 1.0}});
    for (const int rows : {1, 100'000, 1'000'000}) {
        std::error_code ignored;
        fs::remove(ProfilePath(rows), ignored);
        fs::remove(ProfilePath(rows, true), ignored);
    }
    return status;
}
