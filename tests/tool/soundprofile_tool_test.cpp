#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "main_f.h"
#include "parametric_eq_file.h"
#include "profile_export.h"
#include "test_support.h"
#include "text_utf.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTemporaryFolder("soundprofile-tool"); }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs the tool with these arguments, in the test's folder, and collects what it printed.
    // Standard output or error may go to a device such as /dev/full instead, which shows nothing.
    Outcome Run(const std::vector<std::string>& arguments, const fs::path& outDevice = {},
                const fs::path& errDevice = {}) {
        const fs::path out = outDevice.empty() ? folder_ / "stdout.log" : outDevice;
        const fs::path err = errDevice.empty() ? folder_ / "stderr.log" : errDevice;
        std::vector<std::string> words{TOOL_EXECUTABLE};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Outcome outcome;
        int status = 0;
        if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
            ADD_FAILURE() << "the tool did not run to its end";
            return outcome;
        }
        outcome.status = WEXITSTATUS(status);
        if (outDevice.empty()) {
            outcome.out = ReadFileBytes<std::string>(out);
            fs::remove(out);
        }
        if (errDevice.empty()) {
            outcome.err = ReadFileBytes<std::string>(err);
            fs::remove(err);
        }
        return outcome;
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

// The profile "AB" with rows (1000 Hz, -3.5 dB), a row of one value and (20 Hz, 2 dB).
const Bytes kProfile =
    Cat({Int32(1), Int32(2), Bytes{'A', 0, 'B', 0}, Int32(3), Int32(2), Float(1000.0f),
         Float(-3.5f), Int32(1), Float(5.0f), Int32(2), Float(20.0f), Float(2.0f)});
const TSoundProfil kProfileRecord{1, u"AB", {{1000.0f, -3.5f}, {5.0f}, {20.0f, 2.0f}}};

TEST_F(ToolTest, HelpShowsTheSynopsis) {
    for (const char* help : {"--help", "-h"}) {
        const Outcome outcome = Run({help});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out.rfind("Usage:\n  soundprofile-tool info FILE.ump\n", 0), 0u)
            << outcome.out;
        EXPECT_NE(outcome.out.find("soundprofile-tool export FILE.ump OUT [--format "
                                   "text|csv|frd|graphiceq]\n"),
                  std::string::npos);
        EXPECT_NE(outcome.out.find("soundprofile-tool fit PROFILE OUT.txt [--filters N] [--rate "
                                   "HZ] [--max-gain DB]\n                        [--q MIN:MAX] "
                                   "[--band LOW:HIGH] [--no-shelves]\n"),
                  std::string::npos);
        EXPECT_NE(outcome.out.find("soundprofile-tool render EQ.txt OUT.ump [--rate HZ] "
                                   "[--fraction N]\n"),
                  std::string::npos);
        EXPECT_EQ(outcome.err, "");
    }
}

TEST_F(ToolTest, WrongUsageExitsWithTwoAndWritesNothing) {
    WriteFileBytes(folder_ / "p.ump", kProfile);
    struct {
        std::vector<std::string> arguments;
        std::string reason;
    } const cases[] = {
        {{}, "a command is missing"},
        {{"convert", Path("p.ump")}, "unknown command convert"},
        {{"info"}, "expected 1 file name"},
        {{"info", Path("p.ump"), Path("q.ump")}, "expected 1 file name"},
        {{"info", Path("p.ump"), "--format", "csv"}, "unknown option --format"},
        {{"export", Path("p.ump")}, "expected 2 file names"},
        {{"export", Path("p.ump"), Path("out.txt"), "--format", "xml"}, "unknown format xml"},
        {{"export", Path("p.ump"), Path("out.txt"), "--format"}, "--format needs a value"},
        // An option is no value.
        {{"export", Path("p.ump"), Path("out.txt"), "--format", "--format=csv"},
         "--format needs a value"},
        {{"import", Path("p.ump"), Path("out.ump"), "--name", "--gain-column", "2"},
         "--name needs a value"},
        {{"export", Path("p.ump"), Path("out.txt"), "--format=csv", "--format=frd"},
         "--format given twice"},
        {{"export", Path("p.ump"), Path("out.eq")},
         "cannot tell the format from the name " + Path("out.eq") + "; give --format"},
        {{"fit", Path("p.ump")}, "expected 2 file names"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--filters", "3.5"},
         "--filters takes a whole number, not 3.5"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--max-gain=loud"},
         "--max-gain takes a number, not loud"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--q", "1"},
         "--q takes two numbers with a colon between them, not 1"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--band", "20:x"}, "--band takes a number, not x"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--band", "1:2:3"},
         "--band takes two numbers with a colon between them, not 1:2:3"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--no-shelves=yes"}, "--no-shelves takes no value"},
        {{"fit", Path("p.ump"), Path("eq.txt"), "--no-shelves", "--no-shelves"},
         "--no-shelves given twice"},
        {{"fit", Path("p.ump"), "--no-shelves", Path("eq.txt"), "--fraction", "3"},
         "unknown option --fraction"},
        {{"render", Path("eq.txt"), Path("out.ump"), "--no-shelves"},
         "unknown option --no-shelves"},
        {{"render", Path("eq.txt"), Path("out.ump"), "--fraction", "x"},
         "--fraction takes a whole number, not x"},
        {{"render", Path("eq.txt"), "--rate"}, "--rate needs a value"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.status, 2) << c.reason;
        EXPECT_EQ(outcome.out, "") << c.reason;
        EXPECT_EQ(outcome.err.rfind("soundprofile-tool: " + c.reason + "\n\nUsage:\n", 0), 0u)
            << outcome.err;
    }
    EXPECT_EQ(SortedEntries(folder_), std::vector<std::string>{"p.ump"});
}

TEST_F(ToolTest, InfoTellsNamePointsAndRanges) {
    WriteFileBytes(folder_ / "p.ump", kProfile);
    Outcome outcome = Run({"info", Path("p.ump")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "Name: AB\nPoints: 2\nFrequency (Hz): 20 to 1000\nGain (dB): -3.5 to 2\n");
    EXPECT_EQ(outcome.err, "");

    // A NaN takes no part in a range; an infinity does.
    WriteFileBytes(folder_ / "odd.ump",
                   Cat({Int32(1), Int32(0), Int32(2), Int32(2), Float(0.1f),
                        Float(std::numeric_limits<float>::quiet_NaN()), Int32(2), Float(1e20f),
                        Float(-std::numeric_limits<float>::infinity())}));
    outcome = Run({"info", Path("odd.ump")});
    EXPECT_EQ(outcome.out, "Name: \nPoints: 2\nFrequency (Hz): 0.1 to 100000000000000000000\n"
                           "Gain (dB): -INF to -INF\n");

    WriteFileBytes(folder_ / "empty.ump", Cat({Int32(1), Int32(0), Int32(0)}));
    outcome = Run({"info", Path("empty.ump")});
    EXPECT_EQ(outcome.out, "Name: \nPoints: 0\n");
}

TEST_F(ToolTest, ExportWritesTheFormatOfTheNameOrOfTheOption) {
    WriteFileBytes(folder_ / "p.ump", kProfile);
    struct {
        std::string out;
        std::vector<std::string> options;
        TExportFormat format;
    } const cases[] = {
        {"a.txt", {}, TExportFormat::SemicolonText},
        {"a.CSV", {}, TExportFormat::Csv},
        {"a.frd", {}, TExportFormat::Frd},
        {"a.txt", {"--format", "graphiceq"}, TExportFormat::GraphicEq},
        {"b", {"--format=frd"}, TExportFormat::Frd},
        {"c.csv", {"--format", "text"}, TExportFormat::SemicolonText},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"export", Path("p.ump"), Path(c.out)};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 0) << c.out;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(ReadFileBytes<std::string>(folder_ / c.out), ExportText(kProfileRecord, c.format))
            << c.out;
    }
}

TEST_F(ToolTest, BadInputExitsWithOneAndTheEditorsMessage) {
    WriteFileBytes(folder_ / "v2.ump", Cat({Int32(2), Int32(0), Int32(0)}));
    WriteFileBytes(folder_ / "nan.ump", Cat({Int32(1), Int32(0), Int32(1), Int32(2), Float(20.0f),
                                             Float(std::numeric_limits<float>::quiet_NaN())}));
    WriteFileBytes(folder_ / "zero.ump",
                   Cat({Int32(1), Int32(0), Int32(3), Int32(2), Float(20.0f), Float(1.0f), Int32(1),
                        Float(5.0f), Int32(2), Float(0.0f), Float(2.0f)}));
    WriteFileBytes(folder_ / "keep.csv", std::string("old"));
    struct {
        std::vector<std::string> arguments;
        std::string message;
    } const cases[] = {
        {{"export", Path("zero.ump"), Path("keep.csv"), "--format", "frd"},
         "Row 3: the frequency 0 Hz is not above 0 Hz; FRD and GraphicEQ files need positive "
         "frequencies.\n"},
        {{"info", Path("missing.ump")},
         "Cannot open file \"" + Path("missing.ump") + "\". No such file or directory.\n"},
        {{"info", Path("v2.ump")}, "Falsches Dateiformat.\n"},
        {{"export", Path("v2.ump"), Path("keep.csv")}, "Falsches Dateiformat.\n"},
        {{"export", Path("nan.ump"), Path("keep.csv")},
         "Cannot export: point 1 holds NAN, which is not a finite number.\n"},
        {{"export", Path("nan.ump"), Path("new.csv")},
         "Cannot export: point 1 holds NAN, which is not a finite number.\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.status, 1) << c.message;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, c.message);
    }
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "keep.csv"), "old");
    EXPECT_EQ(SortedEntries(folder_),
              (std::vector<std::string>{"keep.csv", "nan.ump", "v2.ump", "zero.ump"}));
}

// A measurement as a person has it: comment lines, column titles, three columns, blanks between
// them, unsorted, one German notation line.
const std::string kMeasurement = "* Format: 1/48 octave\r\n"
                                 "Freq(Hz) SPL(dB) Phase(degrees)\r\n"
                                 "1000 72.93 -39.03\r\n"
                                 "20 70.5 10\r\n"
                                 "20000,5 65,25 3\r\n";

// The .ump bytes of that measurement after Update / Sort and Save: sorted, whole frequencies,
// gains of one decimal.
Bytes SavedMeasurement(const std::u16string& name, int gainColumn) {
    Bytes bytes = Cat({Int32(1), Int32(static_cast<int32_t>(name.size()))});
    for (const char16_t c : name) {
        bytes.push_back(static_cast<unsigned char>(c));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    const float gains[2][3] = {{70.5f, 72.9f, 65.3f}, {10.0f, -39.0f, 3.0f}};
    const float* g = gains[gainColumn - 1];
    return Cat({bytes, Int32(3), Int32(2), Float(20.0f), Float(g[0]), Int32(2), Float(1000.0f),
                Float(g[1]), Int32(2), Float(20001.0f), Float(g[2])});
}

TEST_F(ToolTest, ImportSavesWhatTheEditorSaves) {
    WriteFileBytes(folder_ / "cans.txt", kMeasurement);
    WriteFileBytes(folder_ / "old.ump", std::string(500, 'x'));
    struct {
        std::vector<std::string> options;
        std::string out;
        std::u16string name;
        int gainColumn;
    } const cases[] = {
        {{}, "new.ump", u"cans", 1},
        {{"--gain-column", "2", "--name", "K\u00f6rper"}, "old.ump", u"K\u00f6rper", 2},
        {{"--name=x", "--gain-column=1"}, "short.ump", u"x", 1}, // a short name is no question
        {{"--name=--x"}, "dashes.ump", u"--x", 1},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"import", Path("cans.txt"), Path(c.out)};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 0) << c.out;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(ReadFileBytes(folder_ / c.out), SavedMeasurement(c.name, c.gainColumn)) << c.out;
    }
    EXPECT_EQ(SortedEntries(folder_), (std::vector<std::string>{"cans.txt", "dashes.ump", "new.ump",
                                                                "old.ump", "short.ump"}));
}

// Many unsorted points that the ASCII import reads alike, saved by a form driven as the user
// drives the editor: the tool's file must be the same, byte for byte.
TEST_F(ToolTest, ImportMatchesTheEditorsImportAndSave) {
    std::mt19937 random(3);
    std::string text = "Response\nf;g\n";
    for (int i = 0; i < 400; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%d.%d;%d,%03d\n", static_cast<int>(random() % 30000),
                      static_cast<int>(random() % 10), static_cast<int>(random() % 40) - 20,
                      static_cast<int>(random() % 1000));
        text += line;
    }
    WriteFileBytes(folder_ / "in.txt", text);

    TForm1 form;
    form.Desktop.MessageDlg = [](TMsgDlgType type, TMsgDlgButtons, const std::u16string& message) {
        EXPECT_EQ(type, TMsgDlgType::mtInformation) << Utf16ToUtf8(message);
        return TModalResult::mrOk;
    };
    form.Desktop.RunSaveDialog = [this](const TFileDialogSettings&) {
        return std::optional<fs::path>(folder_ / "editor.ump");
    };
    form.Execute([&] { form.ImportAsciiFile(folder_ / "in.txt"); });
    form.Edit1.SetText(u"Response curve");
    form.Execute(&TForm1::acSaveProfileExecute);

    const Outcome outcome =
        Run({"import", Path("in.txt"), Path("tool.ump"), "--name", "Response curve"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const Bytes editor = ReadFileBytes(folder_ / "editor.ump");
    EXPECT_EQ(editor.size(), 12u + 2 * 14 + 12 * 400);
    EXPECT_EQ(ReadFileBytes(folder_ / "tool.ump"), editor);
}

TEST_F(ToolTest, ImportFailuresLeaveOutAsItWas) {
    WriteFileBytes(folder_ / "cans.txt", kMeasurement);
    WriteFileBytes(folder_ / "words.txt", std::string("no numbers here\n"));
    WriteFileBytes(folder_ / "keep.ump", std::string("old"));
    WriteFileBytes(folder_ / "two.txt", std::string("f;g\n20;1\n30;2\n"));
    struct {
        std::vector<std::string> arguments;
        int status;
        std::string err;
    } const cases[] = {
        // Columns are counted from 0 at the frequency.
        {{"import", Path("cans.txt"), Path("keep.ump"), "--gain-column", "3"},
         1,
         "\"" + Path("cans.txt") + "\" has 3 columns; --gain-column 3 is beyond them.\n"},
        {{"import", Path("cans.txt"), Path("keep.ump"), "--gain-column=70000"},
         1,
         "\"" + Path("cans.txt") + "\" has 3 columns; --gain-column 70000 is beyond them.\n"},
        {{"import", Path("two.txt"), Path("keep.ump"), "--gain-column", "2"},
         1,
         "\"" + Path("two.txt") + "\" has 2 columns; --gain-column 2 is beyond them.\n"},
        {{"import", Path("words.txt"), Path("keep.ump"), "--gain-column", "2"},
         1,
         "No measurement data in \"" + Path("words.txt") + "\"\n"},
        {{"import", Path("words.txt"), Path("keep.ump")},
         1,
         "No measurement data in \"" + Path("words.txt") + "\"\n"},
        {{"import", Path("missing.txt"), Path("keep.ump")},
         1,
         "Cannot open file \"" + Path("missing.txt") + "\". No such file or directory.\n"},
        {{"import", Path("cans.txt"), Path("none/p.ump")},
         1,
         "Cannot create file \"" + Path("none/p.ump") + "\". No such file or directory.\n"},
        {{"import", Path("cans.txt"), Path("keep.ump"), "--gain-column", "0"},
         2,
         "soundprofile-tool: --gain-column takes a whole number from 1 up\n\nUsage:\n"},
        {{"import", Path("cans.txt"), Path("keep.ump"), "--gain-column", "1x"},
         2,
         "soundprofile-tool: --gain-column takes a whole number from 1 up\n\nUsage:\n"},
        {{"import", Path("cans.txt")}, 2, "soundprofile-tool: expected 2 file names\n\nUsage:\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.substr(0, c.err.size()), c.err);
    }
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "keep.ump"), "old");
    EXPECT_EQ(SortedEntries(folder_),
              (std::vector<std::string>{"cans.txt", "keep.ump", "two.txt", "words.txt"}));
}

// Whichever name OUT has, through a link or another spelling of the path, the tool never writes
// over the file it reads.
TEST_F(ToolTest, OutThatIsInIsRefusedAndNothingIsWritten) {
    WriteFileBytes(folder_ / "p.ump", kProfile);
    WriteFileBytes(folder_ / "m.txt", kMeasurement);
    fs::create_directory(folder_ / "sub");
    fs::create_symlink(folder_ / "p.ump", folder_ / "p-link.txt");
    fs::create_hard_link(folder_ / "p.ump", folder_ / "p-hard.csv");
    fs::create_symlink("m.txt", folder_ / "m-link.ump");
    fs::create_hard_link(folder_ / "m.txt", folder_ / "m-hard.ump");
    const std::string otherSpelling = (folder_ / "sub" / ".." / "." / "p.ump").string();
    struct {
        std::vector<std::string> arguments;
        std::string in;
        std::string out;
    } const cases[] = {
        {{"export", Path("p.ump"), Path("p.ump"), "--format", "text"}, "p.ump", "p.ump"},
        {{"export", Path("p.ump"), otherSpelling, "--format=frd"}, "p.ump", otherSpelling},
        {{"export", Path("p.ump"), Path("p-link.txt")}, "p.ump", "p-link.txt"},
        {{"export", Path("p-link.txt"), Path("p.ump"), "--format", "csv"}, "p-link.txt", "p.ump"},
        {{"export", Path("p.ump"), Path("p-hard.csv")}, "p.ump", "p-hard.csv"},
        {{"import", Path("m.txt"), Path("m.txt")}, "m.txt", "m.txt"},
        {{"import", Path("m.txt"), Path("m-link.ump"), "--name", "x"}, "m.txt", "m-link.ump"},
        {{"import", Path("m-hard.ump"), Path("m.txt"), "--gain-column", "2"},
         "m-hard.ump",
         "m.txt"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.arguments);
        const std::string in = c.arguments[1];
        const std::string out = c.arguments[2];
        EXPECT_EQ(outcome.status, 1) << out;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err,
                  "\"" + out + "\" is the same file as \"" + in + "\"; nothing was written.\n");
    }
    EXPECT_EQ(ReadFileBytes(folder_ / "p.ump"), kProfile);
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "m.txt"), kMeasurement);
    EXPECT_TRUE(fs::is_symlink(folder_ / "p-link.txt"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "m-link.ump"));
    EXPECT_EQ(fs::hard_link_count(folder_ / "p.ump"), 2u);
    EXPECT_EQ(fs::hard_link_count(folder_ / "m.txt"), 2u);
    EXPECT_EQ(SortedEntries(folder_),
              (std::vector<std::string>{"m-hard.ump", "m-link.ump", "m.txt", "p-hard.csv",
                                        "p-link.txt", "p.ump", "sub"}));

    // A link to a file that does not exist yet is no input: the export writes through it.
    fs::create_symlink("new.csv", folder_ / "dangling.csv");
    const Outcome outcome = Run({"export", Path("p.ump"), Path("dangling.csv")});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.csv"));
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "new.csv"),
              ExportText(kProfileRecord, TExportFormat::Csv));
    EXPECT_EQ(ReadFileBytes(folder_ / "p.ump"), kProfile);
}

// The exit status tells whether the answer was written: a full disk under standard output fails
// the command that prints, and a failed message keeps its failure.
TEST_F(ToolTest, OutputThatCannotBeWrittenIsAFailure) {
    const fs::path full = "/dev/full";
    if (!fs::exists(full)) {
        GTEST_SKIP() << "no /dev/full";
    }
    WriteFileBytes(folder_ / "p.ump", kProfile);
    const std::string noRoom = "Cannot write to standard output. No space left on device.\n";
    struct {
        std::vector<std::string> arguments;
        bool outFull;
        bool errFull;
        int status;
        std::string err; // when standard error is not full
    } const cases[] = {
        {{"--help"}, true, false, 1, noRoom},
        {{"info", Path("p.ump")}, true, false, 1, noRoom},
        {{"info", Path("missing.ump")},
         true,
         false,
         1,
         "Cannot open file \"" + Path("missing.ump") + "\". No such file or directory.\n"},
        // Nothing to print: nothing fails.
        {{"export", Path("p.ump"), Path("a.csv")}, true, false, 0, ""},
        {{"info", Path("p.ump")}, false, true, 0, ""},
        {{"info", Path("missing.ump")}, false, true, 1, ""},
        {{"info", Path("p.ump")}, true, true, 1, ""},
        {{"convert"}, true, true, 2, ""},
    };
    for (const auto& c : cases) {
        const Outcome outcome =
            Run(c.arguments, c.outFull ? full : fs::path(), c.errFull ? full : fs::path());
        EXPECT_EQ(outcome.status, c.status) << c.arguments[0] << c.outFull << c.errFull;
        EXPECT_EQ(outcome.err, c.err) << c.arguments[0];
    }
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "a.csv"),
              ExportText(kProfileRecord, TExportFormat::Csv));
}

// A measured curve with a bump, a dip and a tilt, as the fit commands take it.
TSoundProfil Measured() {
    const std::vector<TFilter> shape{{TFilterType::LowShelf, 90, 5, 0.71},
                                     {TFilterType::Peaking, 300, -6, 2},
                                     {TFilterType::Peaking, 3000, 4.5, 1.2}};
    TSoundProfil profile{1, u"room", {}};
    for (int k = -150; k <= 140; ++k) {
        const double hz = std::round(1000 * std::exp2(k / 24.0));
        profile.xyData.push_back(
            {static_cast<float>(hz), static_cast<float>(FiltersGainDb(shape, 48000, hz))});
    }
    return profile;
}

TEST_F(ToolTest, FitWritesTheFiltersAndRenderSavesTheirResponse) {
    SaveSoundProfil(folder_ / "room.ump", Measured());
    struct {
        std::vector<std::string> options;
        TFitSettings settings;
    } const cases[] = {
        {{}, {}},
        {{"--filters", "3", "--rate=44100", "--max-gain", "4,5", "--q", "0.5:3", "--band",
          "30:15000", "--no-shelves"},
         {3, 44100, 30, 15000, 0.5, 3, 4.5, false}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"fit", Path("room.ump"), Path("eq.txt")};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err, "");
        const TFitResult result = FitParametricEq(Measured().xyData, c.settings);
        char rms[64];
        std::snprintf(rms, sizeof rms, "RMS error: %.2f dB\n", result.RmsErrorDb);
        EXPECT_EQ(outcome.out, rms);
        EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "eq.txt"), ParametricEqText(result));
    }
    EXPECT_TRUE(ReadFileBytes<std::string>(folder_ / "eq.txt").find(" HSC ") == std::string::npos);

    struct {
        std::vector<std::string> options;
        double rate;
        int32_t fraction;
    } const renders[] = {{{}, 48000, 48}, {{"--rate", "96000", "--fraction=3"}, 96000, 3}};
    for (const auto& c : renders) {
        std::vector<std::string> arguments{"render", Path("eq.txt"), Path("eq.ump")};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "");
        TSoundProfil saved;
        LoadSoundProfil(folder_ / "eq.ump", saved);
        EXPECT_EQ(saved.stName, u"eq");
        EXPECT_EQ(saved.xyData,
                  RenderParametricEq(ReadParametricEq(folder_ / "eq.txt"), c.rate, c.fraction));
    }
}

TEST_F(ToolTest, FitAndRenderFailuresExitWithOneAndLeaveOutAsItWas) {
    SaveSoundProfil(folder_ / "room.ump", Measured());
    SaveSoundProfil(folder_ / "one.ump", TSoundProfil{1, u"one", {{1000, 2}, {5}}});
    WriteFileBytes(folder_ / "eq.txt", std::string("Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n"));
    WriteFileBytes(folder_ / "off.txt", std::string("Filter 1: OFF PK Fc 100 Hz Gain 2 dB Q 1\n"));
    WriteFileBytes(folder_ / "lp.txt", std::string("Preamp: -1 dB\nFilter 1: ON LP Fc 100 Hz\n"));
    WriteFileBytes(folder_ / "keep.txt", std::string("old"));
    WriteFileBytes(folder_ / "keep.ump", std::string("old"));
    struct {
        std::vector<std::string> arguments;
        std::string err;
    } const cases[] = {
        {{"fit", Path("room.ump"), Path("keep.txt"), "--filters", "40"},
         "The number of filters must be from 1 to 32, not 40.\n"},
        {{"fit", Path("room.ump"), Path("keep.txt"), "--band", "20:30000"},
         "The highest frequency of the band (30000 Hz) must be below half the sample rate (24000 "
         "Hz).\n"},
        {{"fit", Path("room.ump"), Path("keep.txt"), "--q", "2:1"},
         "The highest Q (1) must be finite and not below the lowest Q (2).\n"},
        {{"fit", Path("one.ump"), Path("keep.txt")}, "Not enough points to fit.\n"},
        {{"fit", Path("missing.ump"), Path("keep.txt")},
         "Cannot open file \"" + Path("missing.ump") + "\". No such file or directory.\n"},
        {{"fit", Path("room.ump"), Path("none/eq.txt")},
         "Cannot create file \"" + Path("none/eq.txt") + "\". No such file or directory.\n"},
        {{"render", Path("off.txt"), Path("keep.ump")},
         "No filters in \"" + Path("off.txt") + "\"\n"},
        {{"render", Path("lp.txt"), Path("keep.ump")},
         "Line 2: the filter type \"LP\" is not PK, LSC or HSC.\n"},
        {{"render", Path("missing.txt"), Path("keep.ump")},
         "Cannot open file \"" + Path("missing.txt") + "\". No such file or directory.\n"},
        {{"render", Path("eq.txt"), Path("keep.ump"), "--fraction", "5"},
         "The octave fraction must be 1, 2, 3, 6, 12, 24 or 48, not 5.\n"},
        {{"render", Path("eq.txt"), Path("keep.ump"), "--rate", "0"},
         "The sample rate must be above 0 Hz, not 0 Hz.\n"},
        {{"fit", Path("room.ump"), Path("room.ump")},
         "\"" + Path("room.ump") + "\" is the same file as \"" + Path("room.ump") +
             "\"; nothing was written.\n"},
        {{"render", Path("eq.txt"), Path("eq.txt")},
         "\"" + Path("eq.txt") + "\" is the same file as \"" + Path("eq.txt") +
             "\"; nothing was written.\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.status, 1) << c.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, c.err);
    }
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "keep.txt"), "old");
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "keep.ump"), "old");
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "eq.txt"),
              "Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n");
    EXPECT_EQ(SortedEntries(folder_),
              (std::vector<std::string>{"eq.txt", "keep.txt", "keep.ump", "lp.txt", "off.txt",
                                        "one.ump", "room.ump"}));
}

} // namespace
