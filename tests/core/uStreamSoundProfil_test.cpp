#include "uStreamSoundProfil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform_win.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "audio_ASCII_Import.h"
#include "editor_errors.h"
#include "file_calls.h"
#include "file_test_fixture.h"
#include "test_support.h"

// The largest single allocation the process asked for since the last reset. The replacement
// pair uses malloc/free on purpose, which GCC cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<std::size_t> largestAllocation{0};

void* operator new(std::size_t size) {
    std::size_t seen = largestAllocation.load();
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

namespace fs = std::filesystem;

// The path as the messages show it, in UTF-8.
std::string Shown(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTemporaryFolder("ump-test"); }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder_ / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    fs::path folder_;
};

std::vector<std::vector<uint32_t>> Bits(const std::vector<std::vector<float>>& rows) {
    std::vector<std::vector<uint32_t>> bits;
    for (const auto& row : rows) {
        bits.emplace_back();
        for (float v : row) {
            bits.back().push_back(std::bit_cast<uint32_t>(v));
        }
    }
    return bits;
}

struct Golden {
    const char* what;
    TSoundProfil profile;
    Bytes bytes;
};

TEST_F(ProfileFileTest, WritesAndReadsTheDocumentedBytes) {
    const Golden cases[] = {
        {"one point named AB",
         {1, u"AB", {{1000.0f, -3.5f}}},
         {0x01, 0, 0,    0, 0x02, 0, 0, 0, 0x41, 0,    0x42, 0, 0x01, 0,
          0,    0, 0x02, 0, 0,    0, 0, 0, 0x7A, 0x44, 0,    0, 0x60, 0xC0}},
        {"empty name and no rows", {1, u"", {}}, Cat({Int32(1), Int32(0), Int32(0)})},
        {"rows of 0, 1 and 3 values",
         {1, u"x", {{}, {5.0f}, {1.0f, 2.0f, 3.0f}}},
         Cat({Int32(1),
              Int32(1),
              {'x', 0},
              Int32(3),
              Int32(0),
              Int32(1),
              Float(5),
              Int32(3),
              Float(1),
              Float(2),
              Float(3)})},
    };
    for (const Golden& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = folder_ / "out.ump";
        SaveSoundProfil(path, c.profile);
        EXPECT_EQ(ReadFileBytes(path), c.bytes);

        TSoundProfil back{7, u"old", {{9.0f}}};
        LoadSoundProfil(Write("in.ump", c.bytes), back);
        EXPECT_EQ(back.iVers, 7) << "the version is compared, not stored";
        EXPECT_EQ(back.stName, c.profile.stName);
        EXPECT_EQ(Bits(back.xyData), Bits(c.profile.xyData));
    }
}

TEST_F(ProfileFileTest, RoundTripKeepsEveryBit) {
    const float quietNan = std::bit_cast<float>(0x7FC00001u);
    const float signallingNan = std::bit_cast<float>(0xFF800123u);
    const float subnormal = std::bit_cast<float>(0x00000001u);
    TSoundProfil profile{
        SoundProfilVersion,
        u"Raum \U0001F3B5 B\u00FC\u00DFe",
        {{quietNan, signallingNan},
         {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()},
         {-0.0f, subnormal},
         {20000.0f, -0.1f}}};
    const fs::path path = folder_ / "p.ump";
    SaveSoundProfil(path, profile);
    const Bytes first = ReadFileBytes(path);
    ASSERT_EQ(first.size(), 12 + 2 * profile.stName.size() + 12 * profile.xyData.size());
    EXPECT_EQ(first[4], profile.stName.size()) << "N counts both units of a surrogate pair";

    TSoundProfil back;
    LoadSoundProfil(path, back);
    EXPECT_EQ(back.stName, profile.stName);
    EXPECT_EQ(Bits(back.xyData), Bits(profile.xyData));

    back.iVers = SoundProfilVersion;
    SaveSoundProfil(path, back);
    EXPECT_EQ(ReadFileBytes(path), first) << "the same record always gives the same file";
}

struct BadFile {
    const char* what;
    Bytes bytes;
    const char* message;
    std::u16string name; // what the record holds afterwards
    std::vector<std::vector<float>> rows;
};

TEST_F(ProfileFileTest, EveryReadFailureHasItsMessageAndKeepsWhatWasRead) {
    const Bytes header = Cat({Int32(1), Int32(1), {'N', 0}});
    const BadFile cases[] = {
        {"empty file", {}, "Stream read error", u"", {}},
        {"shorter than the version", {1, 0, 0}, "Stream read error", u"", {}},
        {"version 0", Cat({Int32(0), Int32(0), Int32(0)}), "Falsches Dateiformat", u"", {}},
        {"version 2", Cat({Int32(2), Int32(0), Int32(0)}), "Falsches Dateiformat", u"", {}},
        {"ends inside N", Cat({Int32(1), {5, 0}}), "Stream read error", u"", {}},
        {"ends inside the name", Cat({Int32(1), Int32(3), {'a', 0}}), "Stream read error", u"", {}},
        {"ends before R", header, "Stream read error", u"N", {}},
        {"negative R", Cat({header, Int32(-1)}), "Range check error", u"N", {}},
        {"negative K",
         Cat({header, Int32(2), Int32(1), Float(4), Int32(-2)}),
         "Range check error",
         u"N",
         {{4.0f}, {}}},
        {"ends inside K",
         Cat({header, Int32(2), Int32(1), Float(4), {2, 0}}),
         "Stream read error",
         u"N",
         {{4.0f}, {}}},
        {"ends inside the values",
         Cat({header, Int32(2), Int32(1), Float(4), Int32(2), Float(6), {0, 0}}),
         "Stream read error",
         u"N",
         {{4.0f}, {}}},
        {"more rows than the file holds",
         Cat({header, Int32(3), Int32(1), Float(4)}),
         "Stream read error",
         u"N",
         {}},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.what);
        TSoundProfil profile{0, u"before", {{1.0f, 2.0f}}};
        try {
            LoadSoundProfil(Write("bad.ump", c.bytes), profile);
            ADD_FAILURE() << "no error raised";
        } catch (const EditorError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(profile.stName, c.name);
        EXPECT_EQ(Bits(profile.xyData), Bits(c.rows));
    }
}

TEST_F(ProfileFileTest, ToleratedOddities) {
    struct Odd {
        const char* what;
        Bytes bytes;
        std::u16string name;
        std::vector<std::vector<float>> rows;
    } const cases[] = {
        {"negative N reads as an empty name, R at offset 8",
         Cat({Int32(1), Int32(-5), Int32(1), Int32(2), Float(1), Float(2)}),
         u"",
         {{1.0f, 2.0f}}},
        {"bytes after the last row are ignored",
         Cat({Int32(1), Int32(0), Int32(1), Int32(1), Float(7), {1, 2, 3, 4, 5}}),
         u"",
         {{7.0f}}},
    };
    for (const Odd& c : cases) {
        SCOPED_TRACE(c.what);
        TSoundProfil profile;
        LoadSoundProfil(Write("odd.ump", c.bytes), profile);
        EXPECT_EQ(profile.stName, c.name);
        EXPECT_EQ(Bits(profile.xyData), Bits(c.rows));
    }
}

TEST_F(ProfileFileTest, OpenErrorsNameTheAbsolutePathAndTheSystemReason) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    fs::create_directory(folder_ / "sub");
    struct {
        fs::path given;
        std::string message;
    } const cases[] = {
        {"missing.ump",
         "Cannot open file \"" + Shown(folder_ / "missing.ump") + "\". " + kNoSuchFile},
        {"sub/../sub", "Cannot open file \"" + Shown(folder_ / "sub") + "\". " + kIsAFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        TSoundProfil profile{0, u"keep?", {{1.0f}}};
        try {
            LoadSoundProfil(c.given, profile);
            ADD_FAILURE() << "no error raised";
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_TRUE(profile.stName.empty() && profile.xyData.empty());
    }
    fs::current_path(previous);
}

TEST_F(ProfileFileTest, HostileCountsFailBeforeAnythingLargeIsReserved) {
    const Bytes cases[] = {
        Cat({Int32(1), Int32(0), Int32(0x7FFFFFFF), Int32(2), Int32(0)}),
        Cat({Int32(1), Int32(0x7FFFFFFF), Int32(0), Int32(0), Int32(0)}),
        Cat({Int32(1), Int32(0), Int32(1), Int32(0x7FFFFFFF), Int32(0)}),
    };
    for (const Bytes& bytes : cases) {
        ASSERT_EQ(bytes.size(), 20u);
        const fs::path path = Write("hostile.ump", bytes);
        TSoundProfil profile;
        largestAllocation = 0;
        try {
            LoadSoundProfil(path, profile);
            ADD_FAILURE() << "no error raised";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), "Stream read error");
        }
        EXPECT_LE(largestAllocation.load(), 8u * 1024);
    }
}

TEST_F(ProfileFileTest, SavingOverALongerFileLeavesNoTail) {
    const fs::path path = Write("p.ump", Bytes(500, 0xEE));
    SaveSoundProfil(path, {1, u"", {{1.0f, 2.0f}}});
    EXPECT_EQ(ReadFileBytes(path),
              Cat({Int32(1), Int32(0), Int32(1), Int32(2), Float(1), Float(2)}));
}

// FIFOs, devices, descriptors, permission bits, symbolic links and file size limits, as POSIX
// systems have them; tests/windows holds pipes, share modes and file attributes.
#ifndef _WIN32
// Things that are not regular files: a FIFO nobody writes must not hang the editor, an endless
// device is refused by its version field instead of being read up to the stream limit, and a
// pipe that does hold a profile reads like the file.
TEST_F(ProfileFileTest, StreamsAreReadWithoutHangingOnFifosOrEndlessDevices) {
    const fs::path fifo = folder_ / "fifo.ump";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TSoundProfil profile;
    try {
        LoadSoundProfil(fifo, profile);
        ADD_FAILURE() << "no error raised";
    } catch (const FormatError& e) {
        ADD_FAILURE() << e.what();
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Stream read error");
    }

    try {
        LoadSoundProfil("/dev/zero", profile);
        ADD_FAILURE() << "no error raised";
    } catch (const FormatError& e) {
        EXPECT_EQ(std::string(e.what()), "Falsches Dateiformat");
    }

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const Bytes bytes =
        Cat({Int32(1), Int32(1), {0x41, 0}, Int32(1), Int32(2), Float(50), Float(-1)});
    ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(ends[1]);
    LoadSoundProfil("/dev/fd/" + std::to_string(ends[0]), profile);
    ::close(ends[0]);
    EXPECT_EQ(profile.stName, u"A");
    EXPECT_EQ(profile.xyData, (std::vector<std::vector<float>>{{50, -1}}));
}

TEST_F(ProfileFileTest, ReplacedFileKeepsItsPermissionsAndLinksStayLinks) {
    const fs::path real = Write("real.ump", Bytes(40, 1));
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    const fs::path link = folder_ / "link.ump";
    fs::create_symlink("real.ump", link);

    const TSoundProfil profile{1, u"L", {{50.0f, 1.0f}}};
    SaveSoundProfil(link, profile);

    EXPECT_TRUE(fs::is_symlink(link));
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    TSoundProfil back;
    LoadSoundProfil(real, back);
    EXPECT_EQ(back.stName, u"L");
    EXPECT_EQ(SortedEntries(folder_), (std::vector<std::string>{"link.ump", "real.ump"}));
}

TEST_F(ProfileFileTest, FailedSaveLeavesTheOldFileAndNoTemporary) {
    const Bytes old = Cat({Int32(1), Int32(0), Int32(0)});
    const fs::path path = Write("keep.ump", old);
    TSoundProfil big{1, u"big", std::vector<std::vector<float>>(100, {1.0f, 2.0f})};

    // The file size limit makes the system refuse the write itself.
    std::string message;
    {
        const FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Set());
        try {
            SaveSoundProfil(path, big);
        } catch (const FileError& e) {
            message = e.what();
        }
    }

    EXPECT_EQ(message, "Stream write error: File too large");
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"keep.ump"});
}

// Puts the system calls back however a test ends.
class ReplacedFileCalls {
public:
    explicit ReplacedFileCalls(int (*lock)(int, int)) : saved_(FileCalls) { FileCalls.Lock = lock; }
    ReplacedFileCalls(const ReplacedFileCalls&) = delete;
    ReplacedFileCalls& operator=(const ReplacedFileCalls&) = delete;
    ~ReplacedFileCalls() { FileCalls = saved_; }

private:
    TFileCalls saved_;
};

// flock as the Linux NFS client does it: an fcntl lock over the whole file, which needs a
// descriptor open for writing to be exclusive.
int NfsFlock(int fd, int operation) {
    struct flock lock {};
    lock.l_type = (operation & LOCK_EX) != 0 ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_SETLK, &lock);
}

int lockError = 0;
int RefusingFlock(int, int) {
    errno = lockError;
    return -1;
}

const Bytes kNamedA = Cat({Int32(1), Int32(1), {'A', 0}, Int32(0)});
const TSoundProfil kRecordB{1, u"B", {{2.0f, 3.0f}}};
const Bytes kNamedB = Cat({Int32(1), Int32(1), {'B', 0}, Int32(1), Int32(2), Float(2), Float(3)});

TEST_F(ProfileFileTest, OpenAndSaveWorkWhereFlockIsAnFcntlLock) {
    const fs::path path = Write("nfs.ump", kNamedA);
    const ReplacedFileCalls nfs(&NfsFlock);
    TSoundProfil profile;
    LoadSoundProfil(path, profile);
    EXPECT_EQ(profile.stName, u"A");
    SaveSoundProfil(path, kRecordB);
    EXPECT_EQ(ReadFileBytes(path), kNamedB);
}

TEST_F(ProfileFileTest, FileSystemsWithoutLocksGoUnlockedAndOnlyAHeldLockRefuses) {
    const struct {
        int error;
        std::string reason; // empty: Open and Save work
    } cases[] = {
        {EBADF, ""},
        {ENOLCK, ""},
        {EOPNOTSUPP, ""},
        {EWOULDBLOCK, "Resource temporarily unavailable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const fs::path path = Write("p.ump", kNamedA);
        const fs::path text = Write(
            "p.txt", Bytes{'f', '\n', 'H', 'z', '\n', '1', ';', '2', '\n', '3', ';', '4', '\n'});
        lockError = c.error;
        const ReplacedFileCalls refusing(&RefusingFlock);
        // The ASCII import shares the file with other readers the same way.
        EXPECT_EQ(DetectDelimiter(text), c.reason.empty() ? u';' : u'-');
        fs::remove(text);
        TSoundProfil profile;
        std::string openMessage, createMessage;
        try {
            LoadSoundProfil(path, profile);
        } catch (const FileError& e) {
            openMessage = e.what();
        }
        try {
            SaveSoundProfil(path, kRecordB);
        } catch (const FileError& e) {
            createMessage = e.what();
        }
        if (c.reason.empty()) {
            EXPECT_EQ(openMessage, "");
            EXPECT_EQ(profile.stName, u"A");
            EXPECT_EQ(createMessage, "");
            EXPECT_EQ(ReadFileBytes(path), kNamedB);
        } else {
            EXPECT_EQ(openMessage, "Cannot open file \"" + Shown(path) + "\". " + c.reason);
            EXPECT_EQ(createMessage, "Cannot create file \"" + Shown(path) + "\". " + c.reason);
            EXPECT_EQ(ReadFileBytes(path), kNamedA);
        }
        EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"p.ump"});
    }
}

// Another program's lock, made with a descriptor of our own: readers share, a writer is alone.
TEST_F(ProfileFileTest, ReadersShareAFileAndAWriterHasItAlone) {
    const fs::path path = Write("p.ump", kNamedA);
    const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    const std::string busy = "\". Resource temporarily unavailable";

    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    TSoundProfil profile;
    LoadSoundProfil(path, profile);
    EXPECT_EQ(profile.stName, u"A");
    try {
        SaveSoundProfil(path, kRecordB);
        ADD_FAILURE() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(e.what(), "Cannot create file \"" + Shown(path) + busy);
    }

    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    try {
        LoadSoundProfil(path, profile);
        ADD_FAILURE() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(e.what(), "Cannot open file \"" + Shown(path) + busy);
    }
    ::close(other);
    EXPECT_EQ(ReadFileBytes(path), kNamedA);
}

TEST_F(ProfileFileTest, NamesAsLongAsTheFileSystemAllowsAreSavedAndReplaced) {
    const std::string name = std::string(255 - 4, 'n') + ".ump";
    const fs::path path = folder_ / name;
    SaveSoundProfil(path, {1, u"A", {}});
    EXPECT_EQ(ReadFileBytes(path), kNamedA);
    SaveSoundProfil(path, kRecordB);
    EXPECT_EQ(ReadFileBytes(path), kNamedB);
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{name});
}

// A default ACL of rw-rw-r-- in its binary form, as setfacl -d -m u::rw,g::rw,o::r writes it.
Bytes DefaultAclGroupWritable() {
    const auto entry = [](uint16_t tag, uint16_t permissions) {
        return Cat({{static_cast<unsigned char>(tag), static_cast<unsigned char>(tag >> 8),
                     static_cast<unsigned char>(permissions), 0},
                    Int32(-1)});
    };
    return Cat({Int32(2), entry(0x01, 6), entry(0x04, 6), entry(0x20, 4)});
}

// The folder's default ACL decides a new file's permissions, not the writer and not the umask;
// a replaced file keeps its own.
TEST_F(ProfileFileTest, NewFilesGetTheFoldersDefaultAclAndReplacedFilesKeepTheirMode) {
    const Bytes acl = DefaultAclGroupWritable();
    if (::setxattr(folder_.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0) {
        GTEST_SKIP() << "no default ACL here: " << std::strerror(errno);
    }
    const mode_t previous = ::umask(077);
    SaveSoundProfil(folder_ / "new.ump", kRecordB);
    const fs::path old = Write("old.ump", kNamedA);
    ::chmod(old.c_str(), 0604);
    SaveSoundProfil(old, kRecordB);
    EXPECT_EQ(::umask(previous), 077u);

    struct stat info {};
    ASSERT_EQ(::stat((folder_ / "new.ump").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    ASSERT_EQ(::stat(old.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
}

TEST_F(ProfileFileTest, SavesThroughLinksIntoTheFilesTheyName) {
    fs::create_directory(folder_ / "links");
    fs::create_directory(folder_ / "data");
    const struct {
        const char* what;
        std::vector<std::pair<fs::path, fs::path>> links; // link, what it holds
        fs::path written;
    } cases[] = {
        {"dangling, relative to the link's folder",
         {{"links/a.ump", "../data/a.ump"}},
         "data/a.ump"},
        {"dangling, absolute", {{"links/b.ump", folder_ / "data/b.ump"}}, "data/b.ump"},
        {"a link to a link",
         {{"links/c.ump", "d.ump"}, {"links/d.ump", "../data/c.ump"}},
         "data/c.ump"},
        {"to an existing file", {{"links/e.ump", "../data/c.ump"}}, "data/c.ump"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& [link, points] : c.links) {
            fs::create_symlink(points, folder_ / link);
        }
        const fs::path saved = folder_ / c.links.front().first;
        SaveSoundProfil(saved, kRecordB);
        for (const auto& [link, points] : c.links) {
            EXPECT_EQ(fs::read_symlink(folder_ / link), points);
        }
        EXPECT_EQ(ReadFileBytes(folder_ / c.written), kNamedB);
        fs::remove(folder_ / c.written);
    }
    EXPECT_EQ(SortedEntries(folder_ / "data"), std::vector<std::string>{});
}

TEST_F(ProfileFileTest, SaveRefusesWhatIsNotARegularFile) {
    const fs::path fifo = folder_ / "fifo.ump";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("fifo.ump", folder_ / "to-fifo.ump");
    fs::create_symlink("loop-b.ump", folder_ / "loop-a.ump");
    fs::create_symlink("loop-a.ump", folder_ / "loop-b.ump");
    const struct {
        const char* name;
        std::string reason;
    } cases[] = {
        {"fifo.ump", "Not a regular file"},
        {"to-fifo.ump", "Not a regular file"},
        {"loop-a.ump", "Too many levels of symbolic links"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            SaveSoundProfil(folder_ / c.name, kRecordB);
            ADD_FAILURE() << "no error raised";
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(),
                      "Cannot create file \"" + Shown(folder_ / c.name) + "\". " + c.reason);
        }
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(SortedEntries(folder_),
              (std::vector<std::string>{"fifo.ump", "loop-a.ump", "loop-b.ump", "to-fifo.ump"}));
}
#endif

TEST_F(ProfileFileTest, CreateErrorsNameTheTarget) {
    fs::create_directory(folder_ / "dir.ump");
    struct {
        fs::path target;
        std::string message;
    } const cases[] = {
        {folder_ / "missing" / "p.ump",
         "Cannot create file \"" + Shown(folder_ / "missing" / "p.ump") + "\". " + kNoSuchFolder},
        {folder_ / "dir.ump",
         "Cannot create file \"" + Shown(folder_ / "dir.ump") + "\". " + kIsAFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        try {
            SaveSoundProfil(c.target, {1, u"x", {}});
            ADD_FAILURE() << "no error raised";
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"dir.ump"});
}

TEST(SoundProfilRecord, EmptyingKeepsTheVersion) {
    TSoundProfil profile{1, u"name", {{1.0f, 2.0f}}};
    EmptySoundProfil(profile);
    EXPECT_EQ(profile.iVers, 1);
    EXPECT_TRUE(profile.stName.empty());
    EXPECT_TRUE(profile.xyData.empty());
}

} // namespace
