// A hostile measurement file must not eat the machine: the reader keeps within a few times the
// file's longest line, whatever the width of its lines or the number of its blank ones. Each
// reading runs in a child whose address space is limited (RLIMIT_AS), which the address
// sanitizer's shadow memory cannot live with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "measurement_import.h"
#include "measurement_preview.h"
#include "test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define SPE_ADDRESS_LIMIT_WORKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SPE_ADDRESS_LIMIT_WORKS 0
#endif
#endif
#if !defined(SPE_ADDRESS_LIMIT_WORKS) && !defined(_WIN32)
#define SPE_ADDRESS_LIMIT_WORKS 1
#endif

#if SPE_ADDRESS_LIMIT_WORKS
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMiB = std::size_t{1} << 20;

#if SPE_ADDRESS_LIMIT_WORKS
// The address space the process takes now (VmSize), in bytes.
std::size_t AddressSpace() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmSize:") {
            std::size_t kib = 0;
            status >> kib;
            return kib * 1024;
        }
    }
    return 0;
}

// Runs `work` in a child that may take `room` bytes of address space beyond what it holds at the
// start; true when the work answered true there, without running out of memory.
bool RunsWithin(std::size_t room, const std::function<bool()>& work) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{AddressSpace() + room, AddressSpace() + room};
        bool ok = false;
        if (::setrlimit(RLIMIT_AS, &limit) == 0) {
            try {
                ok = work();
            } catch (...) {
            }
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

class MeasurementMemoryTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTemporaryFolder("measurement-memory-test"); }
    void TearDown() override { fs::remove_all(folder_); }

    // `count` times `piece` between `head` and `tail`, written without holding it all.
    fs::path Write(const std::string& head, const std::string& piece, std::size_t count,
                   const std::string& tail) {
        const fs::path path = folder_ / "measurement.txt";
        std::ofstream out(path, std::ios::binary);
        out << head;
        std::string block;
        for (std::size_t i = 0; i < 4096; ++i) {
            block += piece;
        }
        for (std::size_t done = 0; done < count; done += 4096) {
            out.write(block.data(), static_cast<std::streamsize>(
                                        piece.size() * std::min<std::size_t>(4096, count - done)));
        }
        out << tail;
        return path;
    }

    fs::path folder_;
};

// One line of 200 MiB, "20,1,1,1,...": the import and the preview read it in the room of about
// three times the line.
TEST_F(MeasurementMemoryTest, AWideLineImportsAndPreviewsWithinAFewTimesItsLength) {
    const std::size_t fields = 100 * kMiB;
    const fs::path path = Write("20", ",1", fields, "\n");
    EXPECT_TRUE(RunsWithin(3 * 200 * kMiB, [&path] {
        TDatentyp series;
        const TMeasurementLayout layout = ImportMeasurement(path, 1, series);
        return layout.Delimiter == u',' && layout.DataLines == 1 &&
               layout.ColumnCount == kCountedFields && series.DatenXYZ[0] == std::vector{20.0f} &&
               series.DatenXYZ[1] == std::vector{1.0f};
    }));
    EXPECT_TRUE(RunsWithin(3 * 200 * kMiB, [&path] {
        const TMeasurementPreview preview = PreviewMeasurement(path);
        return preview.FirstLines.size() == 1 &&
               preview.FirstLines[0].size() == kPreviewLineLength + 1 &&
               preview.Choices.size() == static_cast<std::size_t>(kPreviewGainColumns) &&
               preview.Choices.back().Points.DatenXYZ[1] == std::vector{1.0f};
    }));
}

// 64 MiB of line breaks before four data lines: no room is taken for points that never come.
TEST_F(MeasurementMemoryTest, BlankLinesTakeNoRoomForPoints) {
    const fs::path path = Write("Hz;dB", "\n\r\n", 64 * kMiB / 3, "\n20;1\n30;2\n40;3\n50;4\n");
    const std::vector<float> frequencies = {20, 30, 40, 50};
    EXPECT_TRUE(RunsWithin(64 * kMiB, [&] {
        TDatentyp series;
        const TMeasurementLayout layout = ImportMeasurement(path, 1, series);
        return layout.DataLines == 4 && series.DatenXYZ[0] == frequencies;
    }));
    EXPECT_TRUE(RunsWithin(64 * kMiB, [&] {
        const TMeasurementPreview preview = PreviewMeasurement(path);
        return preview.Choices.size() == 1 && preview.Choices[0].Points.DatenXYZ[0] == frequencies;
    }));
}
#else
TEST(MeasurementMemoryTest, NeedsALimitOnTheAddressSpace) {
    GTEST_SKIP() << "no RLIMIT_AS here, or the address sanitizer's shadow memory";
}
#endif

} // namespace
