// Load and save of a 1,000,000-row profile. The load's goal is against its floor, the rows built
// from the same bytes in memory: the record type takes one heap block per row, which costs far
// more than reading the bytes; the ratio to a raw read is printed as information. The save is
// measured against a raw write of the same bytes.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "bench_ratio.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRows = 1'000'000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        char pattern[] = "/tmp/ump-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return fs::path(pattern);
    }();
    return folder;
}

const TSoundProfil& BigProfile() {
    static const TSoundProfil profile = [] {
        TSoundProfil p{SoundProfilVersion, u"Benchmark profile", {}};
        p.xyData.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            p.xyData.push_back({20.0f + static_cast<float>(i) * 0.02f, -3.5f + (i % 70) * 0.1f});
        }
        return p;
    }();
    return profile;
}

// The bytes of the saved profile, written once.
const fs::path& ProfileFile() {
    static const fs::path path = [] {
        fs::path p = Folder() / "big.ump";
        SaveSoundProfil(p, BigProfile());
        return p;
    }();
    return path;
}

std::string FileBytes() {
    std::string bytes(fs::file_size(ProfileFile()), '\0');
    const int fd = ::open(ProfileFile().c_str(), O_RDONLY);
    if (fd < 0 || ::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        std::exit(1);
    }
    ::close(fd);
    return bytes;
}

void BM_RawRead(benchmark::State& state) {
    std::string buffer(fs::file_size(ProfileFile()), '\0');
    for (auto _ : state) {
        const int fd = ::open(ProfileFile().c_str(), O_RDONLY);
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        if (got != static_cast<ssize_t>(buffer.size())) {
            state.SkipWithError("short read");
        }
        benchmark::DoNotOptimize(buffer.data());
    }
}

// The floor that the record type sets: one heap block per row, built from bytes in memory.
void BM_RowsFromMemory(benchmark::State& state) {
    const std::string bytes = FileBytes();
    for (auto _ : state) {
        std::vector<std::vector<float>> rows(kRows);
        const char* p = bytes.data() + 12 + 2 * BigProfile().stName.size();
        for (auto& row : rows) {
            int32_t count;
            std::memcpy(&count, p, 4);
            row.resize(static_cast<std::size_t>(count));
            std::memcpy(row.data(), p + 4, 4 * row.size());
            p += 4 + 4 * row.size();
        }
        benchmark::DoNotOptimize(rows.data());
        state.PauseTiming();
        std::vector<std::vector<float>> released = std::move(rows);
        state.ResumeTiming();
    }
}

void BM_Load(benchmark::State& state) {
    ProfileFile();
    for (auto _ : state) {
        TSoundProfil profile;
        LoadSoundProfil(ProfileFile(), profile);
        benchmark::DoNotOptimize(profile.xyData.data());
        state.PauseTiming();
        TSoundProfil released = std::move(profile);
        state.ResumeTiming();
    }
}

void BM_RawWrite(benchmark::State& state) {
    const std::string bytes = FileBytes();
    const fs::path path = Folder() / "raw.ump";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        ::fsync(fd);
        ::close(fd);
        if (put != static_cast<ssize_t>(bytes.size())) {
            state.SkipWithError("short write");
        }
    }
}

void BM_Save(benchmark::State& state) {
    const fs::path path = Folder() / "saved.ump";
    for (auto _ : state) {
        SaveSoundProfil(path, BigProfile());
    }
}

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_RowsFromMemory)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    const int result =
        RunWithRatios(argc, argv,
                      {{"load / raw read", "BM_Load", "BM_RawRead", 0},
                       {"load / rows built from memory", "BM_Load", "BM_RowsFromMemory", 1.5},
                       {"save / raw write", "BM_Save", "BM_RawWrite", 3.0}});
    fs::remove_all(Folder());
    return result;
}
