#include "file_open.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "audio_ASCII_Import.h"
#include "editor_errors.h"
#include "file_test_fixture.h"
#include "measurement_import.h"
#include "reference_curve.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

class FileOpenTest : public FolderTest {
protected:
    FileOpenTest() : FolderTest("file-open-test", "file.txt") {}
};

std::string MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EditorError& e) {
        return e.what();
    }
    return "no error raised";
}

// Another program's lock on a file or folder, held while it lives.
#ifndef _WIN32
class OtherLock {
public:
    OtherLock(const fs::path& path, int operation)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        locked_ = fd_ >= 0 && ::flock(fd_, operation) == 0;
    }
    OtherLock(const OtherLock&) = delete;
    OtherLock& operator=(const OtherLock&) = delete;
    ~OtherLock() { ::close(fd_); }
    bool Locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};
#endif

// Every reader opens through the one routine, so each refuses a path in the same words; the ASCII
// import says nothing and reads nothing.
TEST_F(FileOpenTest, EveryReaderRefusesAPathInTheSameWords) {
    fs::create_directory(folder_ / "folder.txt");
    const fs::path locked = Write("Hz;dB\n20;1\n30;2\n", "locked.txt");
    struct Case {
        const char* what;
        fs::path path;
        std::string reason;
    };
    std::vector<Case> cases = {
        {"missing", folder_ / "missing.txt", kNoSuchFile},
        {"folder", folder_ / "folder.txt", kIsAFolder},
    };
#ifndef _WIN32
    // A folder another program holds locked is still a folder, as the profile reader says.
    const OtherLock folderLock(folder_ / "folder.txt", LOCK_EX | LOCK_NB);
    ASSERT_TRUE(folderLock.Locked());
    const OtherLock fileLock(locked, LOCK_EX | LOCK_NB);
    ASSERT_TRUE(fileLock.Locked());
    cases.push_back({"locked by a writer", locked, "Resource temporarily unavailable"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string expected =
            "Cannot open file \"" + FullPathText(c.path) + "\". " + c.reason;
        for (const TReadSharing sharing : {TReadSharing::Denied, TReadSharing::Readers}) {
            EXPECT_EQ(MessageOf([&] { TReadFile file(c.path, sharing, TReadFailure::File); }),
                      expected);
        }
        TSoundProfil profile;
        EXPECT_EQ(MessageOf([&] { LoadSoundProfil(c.path, profile); }), expected);
        TDatentyp series;
        EXPECT_EQ(MessageOf([&] { ImportMeasurement(c.path, 1, series); }), expected);
        EXPECT_EQ(MessageOf([&] { MeasurementLines(c.path, 3, 80); }), expected);
        EXPECT_EQ(MessageOf([&] { ReadReferenceCurve(c.path); }), expected);
        EXPECT_EQ(DetectDelimiter(c.path), u'-');
        std::u16string header;
        EXPECT_FALSE(ImportAsciiProfile(c.path, series, u';', header));
    }
}

TEST_F(FileOpenTest, ReadsTheFileInPartsAndFromTheStartAgain) {
    const fs::path path = Write("abcdef");
    TReadFile file(path, TReadSharing::Readers, TReadFailure::File);
    EXPECT_EQ(file.Size(), std::optional<std::uint64_t>(6));
    std::string buffer(10, '-');
    EXPECT_EQ(file.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(file.Read(buffer.data() + 4, 10), 2u);
    EXPECT_EQ(file.Read(buffer.data(), 10), 0u);
    EXPECT_EQ(buffer, "abcdef----");
    file.Rewind();
    EXPECT_EQ(file.Read(buffer.data(), 10), 6u);
    EXPECT_EQ(buffer.substr(0, 6), "abcdef");
}

// A device has no size to trust; neither has a FIFO, which opens at once even with nobody
// writing to it.
TEST_F(FileOpenTest, OnlyAFileOnADiskHasASize) {
#ifdef _WIN32
    const std::vector<fs::path> streams = {"NUL"};
#else
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<fs::path> streams = {"/dev/null", fifo};
#endif
    for (const fs::path& path : streams) {
        SCOPED_TRACE(path.string());
        TReadFile file(path, TReadSharing::Readers, TReadFailure::Stream);
        EXPECT_EQ(file.Size(), std::nullopt);
        char byte = 0;
        EXPECT_EQ(file.Read(&byte, 1), 0u);
    }
    TReadFile empty(Write("", "empty.txt"), TReadSharing::Denied, TReadFailure::Stream);
    EXPECT_EQ(empty.Size(), std::optional<std::uint64_t>(0));
}

#ifndef _WIN32
// Reading /proc/self/mem from offset 0 fails with EIO: the system's reason in each wording.
TEST_F(FileOpenTest, AFailedReadIsWordedAsTheReaderAsks) {
    const fs::path path = "/proc/self/mem";
    const std::string reason = "Input/output error";
    const struct {
        TReadFailure failure;
        std::string message;
    } cases[] = {
        {TReadFailure::Stream, "Stream read error: " + reason},
        {TReadFailure::File, "Cannot read file \"/proc/self/mem\". " + reason},
    };
    for (const auto& c : cases) {
        TReadFile file(path, TReadSharing::Readers, c.failure);
        char byte = 0;
        EXPECT_EQ(MessageOf([&] { file.Read(&byte, 1); }), c.message);
    }
    TSoundProfil profile;
    EXPECT_EQ(MessageOf([&] { LoadSoundProfil(path, profile); }), cases[0].message);
    EXPECT_EQ(MessageOf([&] { DetectDelimiter(path); }), cases[1].message);
}
#endif

} // namespace
