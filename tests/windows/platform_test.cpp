// What only Windows does: share modes, the system's error texts, the replace of a saved file,
// pipes, the ANSI code page, the locale data of the notations and the VERSIONINFO of the
// executable.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "../core/test_support.h"
#include "audio_ASCII_Import.h"
#include "editor_errors.h"
#include "file_calls.h"
#include "general_utils.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

// "AB", one point of 1000 Hz at -3.5 dB.
const Bytes kProfileAB("\x01\0\0\0\x02\0\0\0A\0B\0\x01\0\0\0\x02\0\0\0\0\0\x7A\x44\0\0\x60\xC0",
                       28);
const TSoundProfil kRecordAB{1, u"AB", {{1000.0f, -3.5f}}};

// The system's text for an error code as the messages carry it: no full stop, no line break.
std::string SystemText(DWORD code) {
    wchar_t text[512] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(std::size(text)), nullptr);
    std::u16string wide(text, text + length);
    while (!wide.empty() && std::u16string_view(u" .\r\n").find(wide.back()) != wide.npos) {
        wide.pop_back();
    }
    return Utf16ToUtf8(wide);
}

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string Utf8(const fs::path& path) {
    return Utf16ToUtf8(PathToUtf16(path));
}

// A handle that another program would hold on the file.
class OtherHandle {
public:
    OtherHandle(const fs::path& path, DWORD access, DWORD share)
        : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    OtherHandle(const OtherHandle&) = delete;
    OtherHandle& operator=(const OtherHandle&) = delete;
    ~OtherHandle() {
        if (IsOpen()) {
            CloseHandle(handle_);
        }
    }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class WindowsFileTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTemporaryFolder("spe-windows-test"); }
    void TearDown() override {
        SetFileAttributesW(folder_.c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const auto& entry : fs::directory_iterator(folder_)) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(folder_);
    }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder_ / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    fs::path folder_;
};

template <typename Call> std::string MessageOf(Call call) {
    try {
        call();
    } catch (const EditorError& e) {
        return e.what();
    }
    return "no error raised";
}

TEST_F(WindowsFileTest, OpenFailsWithTheSystemsTextAndTheFullPath) {
    const fs::path path = Write("held.ump", kProfileAB);
    const std::string absolute = Utf8(folder_);
    struct {
        const char* what;
        fs::path file;
        DWORD error;
        std::string shown; // the path as the message shows it
    } const cases[] = {
        {"missing file", folder_ / "missing.ump", ERROR_FILE_NOT_FOUND, absolute + "\\missing.ump"},
        {"missing folder, forward slashes", fs::path(folder_.generic_wstring() + L"/no/p.ump"),
         ERROR_PATH_NOT_FOUND, absolute + "\\no\\p.ump"},
        {"a folder", folder_, ERROR_ACCESS_DENIED, absolute},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSoundProfil profile;
        EXPECT_EQ(MessageOf([&] { LoadSoundProfil(c.file, profile); }),
                  "Cannot open file \"" + c.shown + "\". " + SystemText(c.error));
    }

    // Any other handle keeps the reader out, even one that shares everything.
    for (const DWORD share :
         {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(share);
        const OtherHandle other(path, GENERIC_READ, share);
        ASSERT_TRUE(other.IsOpen());
        TSoundProfil profile;
        EXPECT_EQ(MessageOf([&] { LoadSoundProfil(path, profile); }),
                  "Cannot open file \"" + absolute + "\\held.ump\". " +
                      SystemText(ERROR_SHARING_VIOLATION));
    }
    TSoundProfil profile;
    LoadSoundProfil(path, profile);
    EXPECT_EQ(profile.stName, u"AB");
}

TEST_F(WindowsFileTest, RelativePathsAreShownAbsolute) {
    wchar_t saved[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    TSoundProfil profile;
    const std::string message = MessageOf([&] { LoadSoundProfil("sub\\..\\none.ump", profile); });
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(message, "Cannot open file \"" + Utf8(folder_) + "\\none.ump\". " +
                           SystemText(ERROR_FILE_NOT_FOUND));
}

TEST_F(WindowsFileTest, SaveThatCannotReplaceLeavesTheFileAndNoTemporary) {
    const Bytes old(40, '\x11');
    const fs::path path = Write("keep.ump", old);
    const std::string shown = "Cannot create file \"" + Utf8(folder_) + "\\keep.ump\". ";
    for (const DWORD share :
         {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(share);
        const OtherHandle other(path, GENERIC_READ, share);
        ASSERT_TRUE(other.IsOpen());
        EXPECT_EQ(MessageOf([&] { SaveSoundProfil(path, kRecordAB); }),
                  shown + SystemText(ERROR_SHARING_VIOLATION));
    }
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(MessageOf([&] { SaveSoundProfil(path, kRecordAB); }),
              shown + SystemText(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));

    EXPECT_EQ(ReadFileBytes<Bytes>(path), old);
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"keep.ump"});
}

TEST_F(WindowsFileTest, CreateErrorsNameTheTarget) {
    fs::create_directory(folder_ / "dir.ump");
    const std::string absolute = Utf8(folder_);
    const struct {
        fs::path target;
        std::string message;
    } cases[] = {
        {folder_ / "missing" / "p.ump", "Cannot create file \"" + absolute +
                                            "\\missing\\p.ump\". " +
                                            SystemText(ERROR_PATH_NOT_FOUND)},
        {folder_ / "dir.ump",
         "Cannot create file \"" + absolute + "\\dir.ump\". " + SystemText(ERROR_ACCESS_DENIED)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.target));
        EXPECT_EQ(MessageOf([&] { SaveSoundProfil(c.target, kRecordAB); }), c.message);
    }
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"dir.ump"});
}

TEST_F(WindowsFileTest, SaveWritesTheBytesAndTheReplacedFileKeepsItsAttributes) {
    const fs::path fresh = folder_ / L"neu-\u00fc\u20ac.ump";
    SaveSoundProfil(fresh, kRecordAB);
    EXPECT_EQ(ReadFileBytes<Bytes>(fresh), kProfileAB);

    // A hidden file, longer than the new contents: no tail, still hidden.
    const fs::path hidden = Write("hidden.ump", Bytes(500, '\xEE'));
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    SaveSoundProfil(hidden, kRecordAB);
    EXPECT_EQ(ReadFileBytes<Bytes>(hidden), kProfileAB);
    // Wine's ReplaceFileW renames without carrying the attributes over.
    if (!RunsUnderWine()) {
        EXPECT_TRUE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }

    TSoundProfil back;
    LoadSoundProfil(fresh, back);
    EXPECT_EQ(back.stName, kRecordAB.stName);
    EXPECT_EQ(back.xyData, kRecordAB.xyData);
    EXPECT_EQ(SortedEntries(folder_),
              (std::vector<std::string>{"hidden.ump", "neu-\xC3\xBC\xE2\x82\xAC.ump"}));
}

// ReplaceFileW as Windows documents its failures: without a backup name the old file is gone
// after ERROR_UNABLE_TO_MOVE_REPLACEMENT; ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves it under the
// backup name. MoveFileExW fails on request.
DWORD replaceError = 0;
bool moveFails = false;

BOOL WINAPI FailingReplace(LPCWSTR replaced, LPCWSTR, LPCWSTR backup, DWORD, LPVOID, LPVOID) {
    if (backup == nullptr) {
        DeleteFileW(replaced);
    } else if (replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        MoveFileExW(replaced, backup, 0);
    }
    SetLastError(replaceError);
    return FALSE;
}

BOOL WINAPI FailingMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (moveFails) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return MoveFileExW(from, to, flags);
}

class ReplacedFileCalls {
public:
    ReplacedFileCalls() : saved_(FileCalls) { FileCalls = {&FailingReplace, &FailingMove}; }
    ReplacedFileCalls(const ReplacedFileCalls&) = delete;
    ReplacedFileCalls& operator=(const ReplacedFileCalls&) = delete;
    ~ReplacedFileCalls() { FileCalls = saved_; }

private:
    TFileCalls saved_;
};

TEST_F(WindowsFileTest, ReplaceThatFailsHalfwayLeavesTheOldFile) {
    const Bytes old(40, '\x11');
    const std::string shown = "Cannot create file \"" + Utf8(folder_) + "\\keep.ump\". ";
    const struct {
        const char* what;
        DWORD error;
        bool moveFails;
    } cases[] = {
        {"the new file is not moved", ERROR_UNABLE_TO_MOVE_REPLACEMENT, false},
        {"the old file is left under the backup name", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, false},
        {"the volume refuses every rename", ERROR_UNABLE_TO_MOVE_REPLACEMENT, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = Write("keep.ump", old);
        replaceError = c.error;
        moveFails = c.moveFails;
        const ReplacedFileCalls failing;
        EXPECT_EQ(MessageOf([&] { SaveSoundProfil(path, kRecordAB); }),
                  shown + SystemText(c.error));
        EXPECT_EQ(ReadFileBytes<Bytes>(path), old);
        EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"keep.ump"});
    }
}

TEST_F(WindowsFileTest, OldFileThatCannotBeMovedBackIsKeptAndNamed) {
    const Bytes old(40, '\x11');
    const fs::path path = Write("keep.ump", old);
    replaceError = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    moveFails = true;
    std::string message;
    {
        const ReplacedFileCalls failing;
        message = MessageOf([&] { SaveSoundProfil(path, kRecordAB); });
    }
    const std::vector<std::string> entries = SortedEntries(folder_);
    ASSERT_EQ(entries.size(), 1u);
    const std::string& backup = entries.front();
    EXPECT_EQ(backup.size(), 12u);
    EXPECT_EQ(message, "Cannot create file \"" + Utf8(folder_) + "\\keep.ump\". " +
                           SystemText(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) +
                           ". The previous file is kept as \"" + Utf8(folder_) + "\\" + backup +
                           "\"");
    EXPECT_EQ(ReadFileBytes<Bytes>(folder_ / backup), old);
}

TEST_F(WindowsFileTest, SaveRefusesADevice) {
    const std::string message = MessageOf([] { SaveSoundProfil(L"\\\\.\\NUL", kRecordAB); });
    EXPECT_TRUE(message.starts_with("Cannot create file \"")) << message;
    EXPECT_TRUE(message.ends_with("NUL\". Not a regular file")) << message;
}

// The longest name the system takes: a path of 259 characters on Windows, a name of 255 bytes on
// the Linux file system under Wine.
TEST_F(WindowsFileTest, LongestNamesAreSavedAndReplaced) {
    const std::size_t length = RunsUnderWine() ? 255 : MAX_PATH - 1 - (folder_.native().size() + 1);
    const std::string name = std::string(length - 4, 'n') + ".ump";
    const fs::path path = folder_ / name;
    SaveSoundProfil(path, {1, u"A", {}});
    SaveSoundProfil(path, kRecordAB);
    EXPECT_EQ(ReadFileBytes<Bytes>(path), kProfileAB);
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{name});
}

// A Windows name need not be valid UTF-16; the messages show U+FFFD for what does not pair up.
TEST_F(WindowsFileTest, NamesWithUnpairedSurrogatesAreSavedOpenedAndShown) {
    const fs::path lone = folder_ / std::wstring{L'a', wchar_t(0xD800), L'.', L'u', L'm', L'p'};
    const std::string saved = MessageOf([&] { SaveSoundProfil(lone, kRecordAB); });
    TSoundProfil back;
    if (RunsUnderWine()) {
        // Wine cannot give such a name to a file on a Linux file system, and says so.
        const std::string shown =
            "Cannot create file \"" + Utf8(folder_) + "\\a\xEF\xBF\xBD.ump\". ";
        EXPECT_TRUE(saved.starts_with(shown)) << saved;
    } else {
        EXPECT_EQ(saved, "no error raised");
        LoadSoundProfil(lone, back);
        EXPECT_EQ(back.stName, u"AB");
    }

    const fs::path missing = folder_ / std::wstring{L'm', wchar_t(0xDC00), L'.', L'u', L'm', L'p'};
    EXPECT_EQ(MessageOf([&] { LoadSoundProfil(missing, back); }),
              "Cannot open file \"" + Utf8(folder_) + "\\m\xEF\xBF\xBD.ump\". " +
                  SystemText(ERROR_FILE_NOT_FOUND));
}

// Serves bytes once through a named pipe, then closes its end.
class PipeServer {
public:
    explicit PipeServer(Bytes bytes) {
        name_ = L"\\\\.\\pipe\\spe-profile-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++count_);
        pipe_ = CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                 4096, 4096, 0, nullptr);
        server_ = std::thread([this, bytes = std::move(bytes)] {
            if (ConnectNamedPipe(pipe_, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
                DWORD put = 0;
                WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
            }
            CloseHandle(pipe_);
        });
    }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;
    ~PipeServer() { server_.join(); }

    fs::path path() const { return name_; }

private:
    static inline int count_ = 0;
    std::wstring name_;
    HANDLE pipe_;
    std::thread server_;
};

// The tool's words reach it whole, also those outside the ANSI code page (1252 here).
TEST_F(WindowsFileTest, TheToolTakesFileNamesOutsideTheAnsiCodePage) {
    const fs::path input = folder_ / u"Messung \u03A9.txt";
    const fs::path output = folder_ / u"\u03A9.ump";
    WriteFileBytes(input, std::string("20;1\r\n40;2,5\r\n"));
    std::wstring command = L"\"" TOOL_EXECUTABLE L"\" import \"" + input.wstring() + L"\" \"" +
                           output.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(status, 0u);
    TSoundProfil profile;
    LoadSoundProfil(output, profile);
    EXPECT_EQ(profile.stName, u"Messung \u03A9");
    EXPECT_EQ(profile.xyData, (std::vector<std::vector<float>>{{20, 1}, {40, 2.5f}}));
}

TEST(WindowsPipeTest, AProfileThroughAPipeReadsToItsEnd) {
    {
        PipeServer pipe(kProfileAB + "ignored tail");
        TSoundProfil profile;
        LoadSoundProfil(pipe.path(), profile);
        EXPECT_EQ(profile.stName, u"AB");
        EXPECT_EQ(profile.xyData, kRecordAB.xyData);
    }
    {
        // The writer goes away inside the row: the plain read error, no system text.
        PipeServer pipe(kProfileAB.substr(0, 22));
        TSoundProfil profile;
        EXPECT_EQ(MessageOf([&] { LoadSoundProfil(pipe.path(), profile); }), "Stream read error");
    }
}

TEST_F(WindowsFileTest, ImportLetsOthersReadButNotWrite) {
    const fs::path path = Write("profile.txt", "f;g\nx;y\n1000;-3.5\n");
    const struct {
        const char* what;
        DWORD access;
        DWORD share;
        bool readable;
    } cases[] = {
        {"another reader sharing reads", GENERIC_READ, FILE_SHARE_READ, true},
        {"another reader sharing everything", GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
        {"a reader denying sharing", GENERIC_READ, 0, false},
        {"a writer", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const OtherHandle other(path, c.access, c.share);
        ASSERT_TRUE(other.IsOpen());
        TDatentyp series;
        std::u16string header;
        EXPECT_EQ(DetectDelimiter(path), c.readable ? u';' : u'-');
        EXPECT_EQ(ImportAsciiProfile(path, series, u';', header), c.readable);
        EXPECT_EQ(series.DatenXYZ[0],
                  c.readable ? std::vector<float>{1000.0f} : std::vector<float>{});
    }
}

// The script runs this test once more under a Cyrillic and a Japanese system locale.
TEST_F(WindowsFileTest, ImportedTextIsReadInTheAnsiCodePage) {
    const struct {
        UINT codePage;
        Bytes header;
        std::u16string text;
    } cases[] = {
        {1252, "\x80\xC0\xE4\x82\xA0 x", u"\u20AC\u00C0\u00E4\u201A\u00A0 x"},
        {1251, "\x80\xC0\xE4\x82\xA0 x", u"\u0402\u0410\u0434\u201A\u00A0 x"},
        // Double-byte characters, one of them with the trail byte 5Ch ('\\').
        {932, "\x82\xA0\x95\x5C x", u"\u3042\u8868 x"},
    };
    const UINT codePage = GetACP();
    const auto c = std::find_if(std::begin(cases), std::end(cases),
                                [codePage](const auto& c) { return c.codePage == codePage; });
    if (c == std::end(cases)) {
        GTEST_SKIP() << "no expectations for code page " << codePage;
    }
    // The data line carries the same bytes in its ignored third field.
    const fs::path path = Write("cp.txt", c->header + "\r\n20;1,5;" + c->header + "\r\n");
    TDatentyp series;
    std::u16string header;
    EXPECT_EQ(DetectDelimiter(path), u';');
    EXPECT_TRUE(ImportAsciiProfile(path, series, u';', header));
    EXPECT_EQ(header, c->text);
    EXPECT_EQ(series.DatenXYZ[0], std::vector<float>{20.0f});
    EXPECT_EQ(series.DatenXYZ[1], std::vector<float>{1.5f});
}

TEST(WindowsNotationTest, GermanAndUsSeparatorsComeFromTheLocaleData) {
    const NumberNotation saved = UserNotation;
    const struct {
        char16_t user;
        const char16_t* text;
        const char16_t* normalized;
    } cases[] = {
        {u'.', u"1,5", u"1.5"}, // read as de-DE
        {u',', u"1.5", u"1,5"}, // read as en-US
    };
    for (const auto& c : cases) {
        UserNotation = NumberNotation{c.user};
        EXPECT_EQ(NormalizeNumberText(c.text, 1), c.normalized) << Utf16ToUtf8(c.text);
    }
    UserNotation = saved;
}

struct VersionCase {
    const char* file;
    const char* text;
};

TEST(WindowsVersionTest, FileVersionTextReadsTheVersionInfoResource) {
    const VersionCase cases[] = {
        {VERSION_FIXTURE_DEFAULT, PROJECT_VERSION_TEXT},
        {VERSION_FIXTURE_DEBUG_BETA, "2.10.0.345 debug beta"},
        {VERSION_FIXTURE_NONE, "NoVersionInfo"},
        {"missing.exe", "NoVersionInfo"},
        {"", "NoVersionInfo"},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(FileVersionText(c.file)), c.text) << c.file;
    }
}

// The program's resource script: MAINICON in the eight sizes and the manifest.
TEST(WindowsVersionTest, TheResourceScriptBringsIconAndManifest) {
    const HMODULE module =
        LoadLibraryExW(fs::absolute(VERSION_FIXTURE_DEFAULT).c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    auto resource = [module](const wchar_t* name, const wchar_t* type) {
        const HRSRC found = FindResourceW(module, name, type);
        const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
        return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
    };

    // GRPICONDIR: 6 bytes of header, then 14 bytes per picture, its width first (0 for 256).
    const std::string icons = resource(L"MAINICON", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_GE(icons.size(), 6u);
    std::vector<int> sizes;
    for (std::size_t at = 6; at + 14 <= icons.size(); at += 14) {
        const auto width = static_cast<unsigned char>(icons[at]);
        sizes.push_back(width == 0 ? 256 : width);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));

    const std::string manifest = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                            "WindowsSettings\">PerMonitorV2</dpiAwareness>"),
              std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    FreeLibrary(module);
}

} // namespace
