// The editor's Save and Open when the disk lets them down: a write the system refuses, a rename
// that cannot happen, a file that changes between the dialog and the read. The faults made with
// POSIX facilities (a file size limit, a full tmpfs, a mount point) are made on POSIX systems
// only; tests/windows covers what refuses a save on Windows.

#include "main_f.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform_win.h"
#else
#include <cerrno>
#include <csignal>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#endif

#include "number_text.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

// The system's reasons as the file errors word them: for a file that is not there, and for a folder
// where a file should be, which Windows refuses as access denied.
#ifdef _WIN32
const std::string kNoSuchFile = SystemErrorText(ERROR_FILE_NOT_FOUND);
const std::string kIsAFolder = SystemErrorText(ERROR_ACCESS_DENIED);
#else
const std::string kNoSuchFile = "No such file or directory";
const std::string kIsAFolder = "Is a directory";
#endif

struct Message {
    TMsgDlgType kind;
    TMsgDlgButtons buttons;
    std::u16string text;
};

// What the user sees of the profile: every visible cell, the name field and the chart.
struct View {
    std::vector<std::u16string> cells;
    std::u16string name;
    std::vector<double> x, y;
    bool operator==(const View&) const = default;
};

#ifndef _WIN32
// Mounts need a mount namespace of our own, so nothing outside this process ever sees them.
// Empty when mounting is not possible here.
std::string MountSkipReason() {
    static const std::string reason = [] {
        if (::unshare(CLONE_NEWNS) != 0) {
            return "no mount namespace: " + std::string(std::strerror(errno));
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return "mounts cannot be made private: " + std::string(std::strerror(errno));
        }
        return std::string();
    }();
    return reason;
}
#endif

class EditorFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        folder_ = MakeTemporaryFolder("editor-faults");

        form.Desktop.MessageDlg = [this](TMsgDlgType kind, TMsgDlgButtons buttons,
                                         const std::u16string& text) {
            messages.push_back({kind, buttons, text});
            return buttons == TMsgDlgButtons::mbYesNo ? TModalResult::mrYes : TModalResult::mrOk;
        };
        form.Desktop.RunOpenDialog = [this](const TFileDialogSettings&) {
            if (betweenDialogAndRead) {
                betweenDialogAndRead();
            }
            return std::optional<fs::path>(chosen);
        };
        form.Desktop.RunSaveDialog = [this](const TFileDialogSettings&) {
            return std::optional<fs::path>(chosen);
        };

        // A named three-point profile in table, name field and chart.
        CurrentSoundProfil = {0, u"Shown", {{100.0f, 1.0f}, {1000.0f, -2.5f}, {8000.0f, 3.0f}}};
        form.ShowProfile();
    }
    void TearDown() override {
#ifndef _WIN32
        for (const fs::path& mount : mounts_) {
            ::umount2(mount.c_str(), MNT_DETACH);
        }
#endif
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    // The message of an error that names a file: the absolute path, then the system's reason.
    static std::u16string FileMessage(const char* what, const fs::path& path,
                                      const std::string& reason) {
        return Utf8ToUtf16(std::string(what) + " file \"") + path.u16string() +
               Utf8ToUtf16("\". " + reason + ".");
    }

    View Shown() const {
        View view{{}, form.Edit1.Text(), form.Series1.XValues(), form.Series1.YValues()};
        for (int32_t r = 0; r < form.StringGrid1.RowCount(); ++r) {
            for (int32_t c = 0; c < form.StringGrid1.ColCount(); ++c) {
                view.cells.push_back(form.StringGrid1.Cells(c, r));
            }
        }
        return view;
    }

    // A table big enough that its file cannot fit the space the test leaves.
    void FillTable(int rows) {
        std::vector<std::vector<float>> profileRows;
        for (int i = 0; i < rows; ++i) {
            profileRows.push_back({static_cast<float>(20 + i), -1.0f});
        }
        ProfileRowsToGrid(profileRows, form.StringGrid1, 1, 2);
        form.Edit1.SetText(u"Big");
    }

    // Save onto `chosen`, which the disk refuses: only the error box is shown, a file there
    // keeps every byte and the folder holds what it held.
    void ExpectRefusedSave(const fs::path& folder, const std::u16string& expected) {
        const bool file = fs::is_regular_file(chosen);
        const Bytes before = file ? ReadFileBytes(chosen) : Bytes{};
        const std::vector<std::string> entries = SortedEntries(folder);
        messages.clear();
        form.Execute(&TForm1::acSaveProfileExecute);

        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, TMsgDlgType::mtError);
        EXPECT_EQ(messages[0].buttons, TMsgDlgButtons::mbOK);
        EXPECT_EQ(messages[0].text, expected);
        if (file) {
            EXPECT_EQ(ReadFileBytes(chosen), before);
        }
        EXPECT_EQ(SortedEntries(folder), entries) << "a temporary file stayed behind";
        EXPECT_EQ(form.lbFilename.Text(), Utf8ToUtf16(chosen.filename().string()));
    }

#ifndef _WIN32
    // Mounts over `at` inside the test folder, seen only in this process; false when it cannot.
    bool Mount(const fs::path& at, const char* source, const char* type, unsigned long flags,
               const char* options) {
        if (::mount(source, at.c_str(), type, flags, options) != 0) {
            return false;
        }
        mounts_.insert(mounts_.begin(), at);
        return true;
    }
#endif

    TForm1 form;
    fs::path folder_;
    fs::path chosen;
    std::function<void()> betweenDialogAndRead;
    std::vector<Message> messages;

#ifndef _WIN32
private:
    std::vector<fs::path> mounts_; // innermost first
#endif
};

TEST_F(EditorFaultsTest, SaveOntoAFolderKeepsItAndWhatItHolds) {
    fs::create_directories(folder_ / "dir.ump" / "inner");
    WriteFileBytes(folder_ / "dir.ump" / "inner" / "a.ump", Bytes{1, 2, 3});
    std::vector<const char*> names{"dir.ump"};
#ifndef _WIN32
    // Windows makes symbolic links only with a privilege, Wine not at all.
    fs::create_directory_symlink("dir.ump", folder_ / "link.ump");
    names.push_back("link.ump");
#endif

    for (const char* name : names) {
        SCOPED_TRACE(name);
        chosen = folder_ / name;
        ExpectRefusedSave(folder_, FileMessage("Cannot create", chosen, kIsAFolder));
        EXPECT_EQ(SortedEntries(folder_ / "dir.ump"), std::vector<std::string>{"inner"});
        EXPECT_EQ(ReadFileBytes(folder_ / "dir.ump" / "inner" / "a.ump"), (Bytes{1, 2, 3}));
    }
}

#ifndef _WIN32
// Ignores SIGXFSZ and lowers the file size limit for its lifetime, so that the system refuses
// writes beyond it with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*handler_)(int);
};

TEST_F(EditorFaultsTest, SaveBeyondTheFileSizeLimitKeepsThePreviousFile) {
    chosen = folder_ / "keep.ump";
    WriteFileBytes(chosen, Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    FillTable(100);
    const FileSizeLimit limit(64);
    ExpectRefusedSave(folder_, u"Stream write error: File too large.");
}

TEST_F(EditorFaultsTest, SaveOntoAFullDiskKeepsThePreviousFile) {
    if (const std::string reason = MountSkipReason(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    const fs::path disk = folder_ / "disk";
    fs::create_directory(disk);
    if (!Mount(disk, "spe-test", "tmpfs", 0, "size=16k")) {
        GTEST_SKIP() << "tmpfs cannot be mounted: " << std::strerror(errno);
    }
    chosen = disk / "keep.ump";
    WriteFileBytes(chosen, Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    FillTable(2000); // 24,000 bytes
    ExpectRefusedSave(disk, u"Stream write error: No space left on device.");
}

TEST_F(EditorFaultsTest, SaveOntoAMountPointCannotRenameAndKeepsThePreviousFile) {
    if (const std::string reason = MountSkipReason(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    // The target is the mount point of another file; the finished temporary cannot replace it.
    const Bytes old{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const fs::path source = folder_ / "source.ump";
    WriteFileBytes(source, old);
    chosen = folder_ / "bound.ump";
    WriteFileBytes(chosen, Bytes{});
    if (!Mount(chosen, source.c_str(), nullptr, MS_BIND, nullptr)) {
        GTEST_SKIP() << "a file cannot be bound here: " << std::strerror(errno);
    }
    ExpectRefusedSave(folder_, FileMessage("Cannot create", chosen, "Device or resource busy"));
    EXPECT_EQ(ReadFileBytes(source), old);
}
#endif

TEST_F(EditorFaultsTest, FileThatChangesBetweenTheDialogAndTheReadShowsNothingOfIt) {
    // A valid file of two rows named "Gone".
    const Bytes valid{1,    0,    0, 0, 4, 0, 0, 0, 'G',  0,    'o', 0,    'n',  0, 'e',
                      0,    2,    0, 0, 0, 2, 0, 0, 0,    0,    0,   0x7A, 0x44, 0, 0,
                      0x60, 0xC0, 2, 0, 0, 0, 0, 0, 0xA0, 0x41, 0,   0,    0,    0};
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> change;
        std::function<std::u16string(const fs::path&)> message;
    };
    const auto readError = [](const fs::path&) { return std::u16string(u"Stream read error."); };
    const Case cases[] = {
        {"removed", [](const fs::path& p) { fs::remove(p); },
         [](const fs::path& p) { return FileMessage("Cannot open", p, kNoSuchFile); }},
        {"replaced by a folder",
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         [](const fs::path& p) { return FileMessage("Cannot open", p, kIsAFolder); }},
        {"emptied", [](const fs::path& p) { fs::resize_file(p, 0); }, readError},
        {"cut inside the name", [](const fs::path& p) { fs::resize_file(p, 11); }, readError},
        {"cut inside the second row", [](const fs::path& p) { fs::resize_file(p, 40); }, readError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        chosen = folder_ / "profile.ump";
        fs::remove_all(chosen);
        WriteFileBytes(chosen, valid);
        betweenDialogAndRead = [&] { c.change(chosen); };
        messages.clear();
        form.lbFilename.SetText(u"?");
        const View before = Shown();

        form.Execute(&TForm1::acOPenProfileExecute);

        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, TMsgDlgType::mtError);
        EXPECT_EQ(messages[0].buttons, TMsgDlgButtons::mbOK);
        EXPECT_EQ(messages[0].text, c.message(chosen));
        EXPECT_TRUE(Shown() == before) << "the table, name field or chart changed";
        EXPECT_EQ(form.lbFilename.Text(), u"profile.ump");
    }
}

} // namespace
