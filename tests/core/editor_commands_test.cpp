#include "main_f.h"

#include <gtest/gtest.h>

#include <bit>
#include <deque>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "number_text.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

#ifdef _WIN32
#include <windows.h>

#include "platform_win.h"
#endif

namespace {

namespace fs = std::filesystem;

// The system's reason for a file that is not there, as the open error words it.
#ifdef _WIN32
const std::string kNoSuchFile = SystemErrorText(ERROR_FILE_NOT_FOUND);
#else
const std::string kNoSuchFile = "No such file or directory";
#endif

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}
// The path as the messages show it, in UTF-8; string() would give the ANSI code page on Windows.
std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Every dialog and message the commands show, in order, as one line each; the answers come from
// queues the test fills (an empty queue cancels a dialog and answers Yes).
struct ScriptedDesktop {
    std::vector<std::string> log;
    std::deque<std::optional<fs::path>> openAnswers;
    std::deque<std::optional<fs::path>> saveAnswers;
    std::deque<TModalResult> messageAnswers;
    std::vector<TFileDialogSettings> dialogs;
    std::deque<std::optional<std::vector<std::u16string>>> valueAnswers; // empty: Cancel
    std::vector<TValueDialog> valueDialogs;
    int closed = 0;
    fs::path executable = "/nonexistent/soundprofile-editor";

    void Attach(TDesktop& desktop) {
        desktop.RunOpenDialog = [this](const TFileDialogSettings& s) {
            return Answer(openAnswers, "open", s);
        };
        desktop.RunSaveDialog = [this](const TFileDialogSettings& s) {
            return Answer(saveAnswers, "save", s);
        };
        desktop.MessageDlg = [this](TMsgDlgType type, TMsgDlgButtons buttons,
                                    const std::u16string& text) {
            static const char* const kinds[] = {"warning", "error", "information", "confirmation"};
            log.push_back(std::string(kinds[static_cast<int>(type)]) +
                          (buttons == TMsgDlgButtons::mbOK      ? " OK: "
                           : buttons == TMsgDlgButtons::mbYesNo ? " YesNo: "
                                                                : " YesNoCancel: ") +
                          Narrow(text));
            if (messageAnswers.empty()) {
                return buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : TModalResult::mrYes;
            }
            const TModalResult answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        };
        desktop.CloseMainWindow = [this] { ++closed; };
        desktop.AskValues = [this](const TValueDialog& d) {
            valueDialogs.push_back(d);
            log.push_back("values dialog: " + Narrow(d.Title));
            std::optional<std::vector<std::u16string>> answer;
            if (!valueAnswers.empty()) {
                answer = valueAnswers.front();
                valueAnswers.pop_front();
            }
            return answer;
        };
        desktop.ExecutablePath = [this] { return executable; };
    }

    std::optional<fs::path> Answer(std::deque<std::optional<fs::path>>& answers, const char* kind,
                                   const TFileDialogSettings& settings) {
        dialogs.push_back(settings);
        log.push_back(std::string(kind) + " dialog: " + Narrow(settings.Title));
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<fs::path> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class EditorCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        folder_ = MakeTemporaryFolder("editor-commands");
        desktop.Attach(form.Desktop);
    }
    void TearDown() override {
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder_ / name;
        WriteFileBytes(path, bytes);
        return path;
    }
    fs::path WriteText(const std::string& name, const std::string& text) {
        return Write(name, Bytes(text.begin(), text.end()));
    }

    // The visible table below the header: "f;g" per data row.
    std::vector<std::string> Table() const {
        std::vector<std::string> rows;
        for (int32_t r = 1; r < form.StringGrid1.RowCount(); ++r) {
            rows.push_back(Narrow(form.StringGrid1.Cells(1, r)) + ";" +
                           Narrow(form.StringGrid1.Cells(2, r)));
        }
        return rows;
    }
    void Type(int32_t row, const std::u16string& freq, const std::u16string& gain) {
        if (form.StringGrid1.RowCount() <= row) {
            form.StringGrid1.SetRowCount(row + 1);
        }
        form.StringGrid1.SetCells(1, row, freq);
        form.StringGrid1.SetCells(2, row, gain);
    }
    void Run(void (TForm1::*command)()) { form.Execute(command); }
    void Run(TCommandId command) { form.Execute(command); }

    fs::path folder_;
    TForm1 form;
    ScriptedDesktop desktop;
};

TEST_F(EditorCommandsTest, StartsWithPlaceholdersAndEmptyState) {
    EXPECT_EQ(form.Edit1.Text(), u"?");
    EXPECT_EQ(form.lbFilename.Text(), u"?");
    EXPECT_EQ(form.StringGrid1.RowCount(), 1);
    EXPECT_EQ(form.Series1.Count(), 0u);
    EXPECT_EQ(form.frowindex, 0);
    EXPECT_FALSE(form.boNumericDataok);
    EXPECT_EQ(CurrentSoundProfil.iVers, 0);
}

TEST_F(EditorCommandsTest, DialogsCarryTheirFiltersTitlesAndDefaultExtension) {
    Type(1, u"100", u"1");
    Type(2, u"200", u"2");
    form.Edit1.SetText(u"Room");
    Run(&TForm1::acOPenProfileExecute);
    Run(&TForm1::acSaveProfileExecute);
    Run(&TForm1::acImportExecute);
    ASSERT_EQ(desktop.dialogs.size(), 3u);
    const std::u16string profiles = u"Ulmaro Sound Profile|*.ump|All|*.*";
    EXPECT_EQ(desktop.dialogs[0].Filter, profiles);
    EXPECT_EQ(desktop.dialogs[0].Title, u"Load Ulmaro sound profile");
    EXPECT_EQ(desktop.dialogs[0].DefaultExt, u"");
    EXPECT_EQ(desktop.dialogs[1].Filter, profiles);
    EXPECT_EQ(desktop.dialogs[1].Title, u"Save as Ulmaro sound profile");
    EXPECT_EQ(desktop.dialogs[1].DefaultExt, u".ump");
    EXPECT_EQ(desktop.dialogs[2].Filter, u"All|*.*");
    EXPECT_EQ(desktop.dialogs[2].Title, u"Import sound profile (ASCII)");
    EXPECT_EQ(desktop.dialogs[2].DefaultExt, u"");
    // Cancelled dialogs change no label and show no message.
    EXPECT_EQ(desktop.log.size(), 3u);
    EXPECT_EQ(form.lbFilename.Text(), u"?");
}

TEST_F(EditorCommandsTest, EmptyTableUpdateAndSaveShowTheirMessagesWithoutADialog) {
    CurrentSoundProfil.xyData = {{1, 2}};
    Run(&TForm1::acSortExecute);
    EXPECT_EQ(desktop.log,
              (std::vector<std::string>{"error OK: Table data invalid! Check values."}));
    EXPECT_TRUE(CurrentSoundProfil.xyData.empty());
    EXPECT_FALSE(form.boNumericDataok);

    desktop.log.clear();
    Run(&TForm1::acSaveProfileExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{
                               "error OK: Table data invalid! Check values.",
                               "error OK: Table data invalid/empty! Check values.",
                           }));
    EXPECT_EQ(CurrentSoundProfil.iVers, 0);
}

TEST_F(EditorCommandsTest, NameQuestionForNamesShorterThanTwoUnits) {
    struct Case {
        std::u16string name;
        bool asked;
    };
    for (const Case& c : std::vector<Case>{{u"?", true},
                                           {u"", true},
                                           {u"A", true},
                                           {u"\U0001F50A", false}, // two UTF-16 units
                                           {u"AB", false}}) {
        SCOPED_TRACE(Narrow(c.name));
        desktop.log.clear();
        Type(1, u"100", u"1");
        form.Edit1.SetText(c.name);
        desktop.messageAnswers = {TModalResult::mrNo};
        Run(&TForm1::acSaveProfileExecute);
        EXPECT_EQ(CurrentSoundProfil.iVers, 1); // set before the question
        EXPECT_EQ(CurrentSoundProfil.stName, c.name);
        if (c.asked) {
            // No stops the command before the dialog.
            EXPECT_EQ(desktop.log,
                      (std::vector<std::string>{
                          "confirmation YesNo: Sound profile Name missed. Continue?"}));
        } else {
            EXPECT_EQ(desktop.log,
                      (std::vector<std::string>{"save dialog: Save as Ulmaro sound profile"}));
        }
        desktop.messageAnswers.clear();
    }
}

TEST_F(EditorCommandsTest, SaveWritesTheTypedNameAndTheSortedRowsByteForByte) {
    Type(1, u"1000", u"-3,5");
    Type(2, u"31.5", u"1.25");
    Type(3, u"", u"");
    form.Edit1.SetText(u"AB");
    const fs::path target = folder_ / "room.ump";
    desktop.saveAnswers = {target};
    Run(&TForm1::acSaveProfileExecute);

    EXPECT_EQ(desktop.log, (std::vector<std::string>{
                               "save dialog: Save as Ulmaro sound profile",
                               "information OK: Sound Profile saved: " + Utf8(target),
                           }));
    // The empty row is gone, the rows are sorted, 31.5 became 32 and 1.25 became 1.3 (one
    // decimal, halves away from zero); the name is the one typed, not the earlier profile's.
    EXPECT_EQ(ReadFileBytes(target), Cat({Int32(1),
                                          Int32(2),
                                          {0x41, 0, 0x42, 0},
                                          Int32(2),
                                          Int32(2),
                                          Float(32),
                                          Float(1.3f),
                                          Int32(2),
                                          Float(1000),
                                          Float(-3.5f)}));
    EXPECT_EQ(form.Edit1.Text(), u"AB");
    EXPECT_EQ(form.lbFilename.Text(), u"room.ump");
    EXPECT_EQ(Table(), (std::vector<std::string>{"32;1.29999995231628", "1000;-3.5"}));
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{32, 1000}));
    EXPECT_TRUE(form.boNumericDataok);
}

TEST_F(EditorCommandsTest, CancellingTheSaveDialogWritesNothingButTheProfileIsUpdated) {
    Type(1, u"50", u"2");
    form.Edit1.SetText(u"Hall");
    Run(&TForm1::acSaveProfileExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{"save dialog: Save as Ulmaro sound profile"}));
    EXPECT_EQ(CurrentSoundProfil.iVers, 1);
    EXPECT_EQ(CurrentSoundProfil.stName, u"Hall");
    EXPECT_EQ(CurrentSoundProfil.xyData, (std::vector<std::vector<float>>{{50, 2}}));
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(EditorCommandsTest, OpenShowsTheFileAndKeepsTheVersionField) {
    const fs::path file = Write("hall.ump", Cat({Int32(1),
                                                 Int32(2),
                                                 {0x48, 0, 0x69, 0},
                                                 Int32(2),
                                                 Int32(2),
                                                 Float(1000),
                                                 Float(-3.3f),
                                                 Int32(2),
                                                 Float(20),
                                                 Float(6)}));
    desktop.openAnswers = {file};
    Run(&TForm1::acOPenProfileExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{"open dialog: Load Ulmaro sound profile"}));
    EXPECT_EQ(form.lbFilename.Text(), u"hall.ump");
    EXPECT_EQ(form.Edit1.Text(), u"Hi");
    EXPECT_EQ(CurrentSoundProfil.iVers, 0);
    // File order in the table, ascending in the chart.
    EXPECT_EQ(Table(), (std::vector<std::string>{"1000;-3.29999995231628", "20;6"}));
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 1000}));
    EXPECT_EQ(form.KorrDataTemp.DatenXYZ[0], (std::vector<float>{1000, 20}));
    EXPECT_EQ(form.KorrDataTemp.DatenXYZ[1], (std::vector<float>{-3.3f, 6}));
}

TEST_F(EditorCommandsTest, RejectedFileLeavesTableNameAndChartAsTheyWere) {
    const fs::path good = Write("good.ump", Cat({Int32(1),
                                                 Int32(1),
                                                 {0x47, 0},
                                                 Int32(2),
                                                 Int32(2),
                                                 Float(100),
                                                 Float(1),
                                                 Int32(2),
                                                 Float(200),
                                                 Float(2)}));
    struct Case {
        std::string file;
        Bytes bytes;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"v2.ump", Cat({Int32(2), Int32(0), Int32(0)}), "Falsches Dateiformat."},
        {"short.ump", Cat({Int32(1), Int32(0), Int32(1), Int32(2), Float(5)}),
         "Stream read error."},
        {"negative.ump", Cat({Int32(1), Int32(0), Int32(-1)}), "Range check error."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        desktop.openAnswers = {good};
        Run(&TForm1::acOPenProfileExecute);
        const auto table = Table();
        desktop.log.clear();
        desktop.openAnswers = {Write(c.file, c.bytes)};
        Run(&TForm1::acOPenProfileExecute);
        EXPECT_EQ(desktop.log, (std::vector<std::string>{"open dialog: Load Ulmaro sound profile",
                                                         "error OK: " + c.message}));
        EXPECT_EQ(form.lbFilename.Text(), Utf8ToUtf16(c.file));
        EXPECT_EQ(Table(), table);
        EXPECT_EQ(form.Edit1.Text(), u"G");
        EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{100, 200}));
    }

    // A missing file: the open error with the absolute path and the system's text.
    desktop.log.clear();
    desktop.openAnswers = {folder_ / "gone.ump"};
    Run(&TForm1::acOPenProfileExecute);
    ASSERT_EQ(desktop.log.size(), 2u);
    EXPECT_EQ(desktop.log[1], "error OK: Cannot open file \"" + Utf8(folder_ / "gone.ump") +
                                  "\". " + kNoSuchFile + ".");
}

TEST_F(EditorCommandsTest, UpdateKeepsTheTypedNameAndShowsTheStoredOneOnlyOnOpen) {
    const fs::path file = Write("n.ump", Cat({Int32(1),
                                              Int32(2),
                                              {0x4E, 0, 0x31, 0},
                                              Int32(2),
                                              Int32(2),
                                              Float(100),
                                              Float(1),
                                              Int32(2),
                                              Float(50),
                                              Float(2)}));
    desktop.openAnswers = {file};
    Run(&TForm1::acOPenProfileExecute);
    form.Edit1.SetText(u"Typed");
    Run(&TForm1::acSortExecute);
    EXPECT_EQ(form.Edit1.Text(), u"Typed");
    EXPECT_EQ(CurrentSoundProfil.stName, u"N1");
    EXPECT_EQ(Table(), (std::vector<std::string>{"50;2", "100;1"}));
    EXPECT_EQ(desktop.log.size(), 1u); // only the open dialog
}

TEST_F(EditorCommandsTest, ShortProfileRowsShowWhatTheyHaveAndStayOutOfTheChart) {
    const fs::path file =
        Write("rows.ump", Cat({Int32(1), Int32(0), Int32(4), Int32(0), Int32(1), Float(7), Int32(2),
                               Float(100), Float(-1), Int32(3), Float(200), Float(-2), Float(9)}));
    desktop.openAnswers = {file};
    Run(&TForm1::acOPenProfileExecute);
    EXPECT_EQ(desktop.log.size(), 1u);
    EXPECT_EQ(Table(), (std::vector<std::string>{";", "7;", "100;-1", "200;-2"}));
    EXPECT_EQ(form.KorrDataTemp.DatenXYZ[0], (std::vector<float>{100, 200}));
    EXPECT_EQ(form.KorrDataTemp.DatenXYZ[1], (std::vector<float>{-1, -2}));
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{100, 200}));
    EXPECT_EQ(form.Edit1.Text(), u"");
}

TEST_F(EditorCommandsTest, ConversionErrorOfTheSortEndsUpdateAndSaveWithAFullStop) {
    Type(1, u"100", u"1");
    Type(2, u"abc", u"2");
    form.Edit1.SetText(u"Name");
    Run(&TForm1::acSaveProfileExecute);
    EXPECT_EQ(desktop.log,
              (std::vector<std::string>{"error OK: 'ERROR' is not a valid floating point value."}));
    // A single data row is not sorted: the bad cell fails the conversion instead.
    desktop.log.clear();
    form.StringGrid1.SetRowCount(2);
    form.StringGrid1.SetCells(1, 1, u"x1");
    Run(&TForm1::acSortExecute);
    EXPECT_EQ(desktop.log,
              (std::vector<std::string>{"error OK: Table data invalid! Check values."}));
    // The rows are stored all the same; the gain beside the bad frequency is still converted.
    EXPECT_EQ(CurrentSoundProfil.xyData, (std::vector<std::vector<float>>{{0, 1}}));
}

TEST_F(EditorCommandsTest, ImportFillsTableAndChartAndResetsTheName) {
    const fs::path file = WriteText("curve.txt", "Frequency;Gain\r\n20;-1,5\r\n1000;0\r\n"
                                                 "20000;3.25\r\n");
    form.Edit1.SetText(u"Old name");
    CurrentSoundProfil.xyData = {{1, 1}};
    desktop.openAnswers = {file};
    Run(&TForm1::acImportExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{"open dialog: Import sound profile (ASCII)"}));
    EXPECT_EQ(form.lbFilename.Text(), u"curve.txt");
    EXPECT_EQ(form.Edit1.Text(), u"?");
    EXPECT_EQ(Table(), (std::vector<std::string>{"20.0;-1.50", "1000.0;0.00", "20000.0;3.25"}));
    EXPECT_EQ(form.StringGrid1.Cells(0, 3), u"3");
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 1000, 20000}));
    EXPECT_EQ(CurrentSoundProfil.xyData, (std::vector<std::vector<float>>{{1, 1}}));
}

TEST_F(EditorCommandsTest, ImportRefusals) {
    struct Case {
        std::string name;
        std::string text; // empty: no file is written
        std::vector<std::string> messages;
        std::u16string label;
    };
    const std::vector<Case> cases = {
        {"missing.txt", "", {}, u"?"},
        {"one-line.txt",
         "20;1\r\n",
         {"warning OK: Data delemiter char invalid. Function disabled"},
         u"one-line.txt"},
        {"no-delimiter.txt",
         "a\r\nb\r\nc\r\n20,1\r\n",
         {"warning OK: Data delemiter char invalid. Function disabled"},
         u"no-delimiter.txt"},
        {"bad.txt", "h;h\r\n20;1\r\n30;x\r\n", {"warning OK: File invalid."}, u"bad.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.log.clear();
        form.lbFilename.SetText(u"?");
        desktop.openAnswers = {c.text.empty() ? folder_ / c.name : WriteText(c.name, c.text)};
        Run(&TForm1::acImportExecute);
        std::vector<std::string> expected{"open dialog: Import sound profile (ASCII)"};
        expected.insert(expected.end(), c.messages.begin(), c.messages.end());
        EXPECT_EQ(desktop.log, expected);
        EXPECT_EQ(form.lbFilename.Text(), c.label);
        EXPECT_EQ(form.StringGrid1.RowCount(), 1);
        EXPECT_EQ(form.Series1.Count(), 0u);
    }
}

TEST_F(EditorCommandsTest, ImportWithoutADataLineIsRefusedAndChangesOnlyTheFileLabel) {
    desktop.openAnswers = {WriteText("a.txt", "f;g\r\n100;1\r\n200;2\r\n")};
    Run(&TForm1::acImportExecute);
    Run(&TForm1::acClearExecute);
    form.Edit1.SetText(u"Typed");

    desktop.log.clear();
    desktop.openAnswers = {WriteText("h.txt", "title\r\nf;g\r\nunit;unit\r\n")};
    Run(&TForm1::acImportExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{"open dialog: Import sound profile (ASCII)",
                                                     "warning OK: File invalid."}));
    EXPECT_EQ(form.lbFilename.Text(), u"h.txt");
    EXPECT_EQ(Table(), (std::vector<std::string>{";", ";"}));
    EXPECT_EQ(form.Series1.Count(), 0u);
    EXPECT_EQ(form.Edit1.Text(), u"Typed");
    EXPECT_EQ(form.KorrDataTemp.DatenXYZ[0], (std::vector<float>{100, 200}));
}

TEST_F(EditorCommandsTest, ChartShowsExactlyThePointsShownByEveryCommand) {
    const auto profile = [&](const std::string& name, std::initializer_list<float> values) {
        Bytes bytes = Cat({Int32(1), Int32(0), Int32(static_cast<int32_t>(values.size() / 2))});
        for (auto it = values.begin(); it != values.end(); it += 2) {
            bytes = Cat({bytes, Int32(2), Float(it[0]), Float(it[1])});
        }
        return Write(name, bytes);
    };
    desktop.openAnswers = {profile("ten.ump", {20, 1, 50, 2, 100, 3}), profile("one.ump", {500, 4}),
                           profile("none.ump", {})};
    Run(&TForm1::acOPenProfileExecute);
    EXPECT_EQ(form.Series1.Count(), 3u);
    Run(&TForm1::acOPenProfileExecute);
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{500}));
    EXPECT_EQ(form.Series1.YValues(), (std::vector<double>{4}));
    Run(&TForm1::acOPenProfileExecute);
    EXPECT_EQ(form.Series1.Count(), 0u);

    Type(1, u"30", u"-1");
    Type(2, u"40", u"-2");
    Run(&TForm1::acSortExecute);
    EXPECT_EQ(form.Series1.Count(), 2u);
    Run(&TForm1::acDelRowExecute); // frowindex 0: nothing
    form.StringGrid1.SelectCell(1, 2);
    Run(&TForm1::acDelRowExecute);
    Run(&TForm1::acSortExecute);
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{30}));

    desktop.openAnswers = {WriteText("one.txt", "f;g\r\nHz;dB\r\n700;7\r\n")};
    Run(&TForm1::acImportExecute);
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{700}));
    EXPECT_EQ(form.Series1.YValues(), (std::vector<double>{7}));
    EXPECT_EQ(desktop.log.size(), 4u); // three open dialogs and one import dialog, no message
}

TEST_F(EditorCommandsTest, RowCommandsActOnTheSelectedRow) {
    Type(1, u"10", u"1");
    Type(2, u"20", u"2");
    Run(&TForm1::acDelRowExecute); // frowindex 0: nothing
    EXPECT_EQ(form.StringGrid1.RowCount(), 3);
    Run(&TForm1::acInsertExecute); // frowindex 0: before row 1
    EXPECT_EQ(Table(), (std::vector<std::string>{";", "10;1", "20;2"}));
    EXPECT_EQ(form.StringGrid1.Cells(0, 1), u"*");

    ASSERT_TRUE(form.StringGrid1.SelectCell(1, 3));
    Run(&TForm1::acDelRowExecute);
    EXPECT_EQ(form.frowindex, 2);
    Run(&TForm1::acAppendExecute); // empty, although the deleted row's texts are stored there
    EXPECT_EQ(Table(), (std::vector<std::string>{";", "10;1", ";"}));
    EXPECT_EQ(form.StringGrid1.Cells(0, 3), u"");
    Run(&TForm1::acSortExecute);
    EXPECT_EQ(CurrentSoundProfil.xyData, (std::vector<std::vector<float>>{{10, 1}}));
    Run(&TForm1::acCloseExecute);
    EXPECT_EQ(desktop.closed, 1);
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(EditorCommandsTest, DialogsStartInTheFolderOfTheFileLastChosen) {
    fs::create_directories(folder_ / "in" / "out");
    const fs::path text = folder_ / "in" / "a.txt";
    WriteFileBytes(text, std::string("f;g\r\nHz;dB\r\n100;1\r\n"));
    desktop.openAnswers = {std::nullopt, text};
    desktop.saveAnswers = {folder_ / "in" / "out" / "b.ump"};
    Run(&TForm1::acOPenProfileExecute); // cancelled: no folder yet
    Run(&TForm1::acImportExecute);
    form.Edit1.SetText(u"Room");
    Run(&TForm1::acSaveProfileExecute);
    Run(&TForm1::acOPenProfileExecute);
    ASSERT_EQ(desktop.dialogs.size(), 4u);
    EXPECT_EQ(desktop.dialogs[0].InitialFolder, fs::path());
    EXPECT_EQ(desktop.dialogs[1].InitialFolder, fs::path());
    EXPECT_EQ(desktop.dialogs[2].InitialFolder, folder_ / "in");
    EXPECT_EQ(desktop.dialogs[3].InitialFolder, folder_ / "in" / "out");
}

TEST_F(EditorCommandsTest, DroppedFilesOpenAProfileOrImportTheFirst) {
    const fs::path profile =
        Write("Hall.UMP", Cat({Int32(1), Int32(1), Bytes{'H', 0}, Int32(2), Int32(2), Float(100),
                               Float(1), Int32(2), Float(200), Float(2)}));
    const fs::path text = WriteText("m.txt", "f;g\r\nHz;dB\r\n300;3\r\n");
    form.DropFiles({folder_});
    form.DropFiles({});
    EXPECT_EQ(form.lbFilename.Text(), u"?");
    form.DropFiles({profile, text});
    EXPECT_EQ(form.lbFilename.Text(), u"Hall.UMP");
    EXPECT_EQ(form.Edit1.Text(), u"H");
    EXPECT_EQ(Table(), (std::vector<std::string>{"100;1", "200;2"}));
    form.DropFiles({text, profile});
    EXPECT_EQ(form.lbFilename.Text(), u"m.txt");
    EXPECT_EQ(Table(), (std::vector<std::string>{"300.0;3.00"}));
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(EditorCommandsTest, NotationChangeShowsTheSameNumbersInTheNewNotation) {
    CurrentSoundProfil.xyData = {{100, 1.5f}, {200, -2}};
    form.ShowProfile();
    Type(3, u"1.25", u"1,5"); // a typed US number, and one that is none in the old notation
    Type(4, u"abc.", u"2.5.1");
    UserNotation = NumberNotation{u','};
    form.NotationChanged(u'.');
    EXPECT_EQ(Table(), (std::vector<std::string>{"100;1,5", "200;-2", "1,25;1,5", "abc.;2.5.1"}));
    EXPECT_EQ(form.StringGrid1.NumberCell(2, 1, u','), 1.5f);
    form.NotationChanged(u','); // unchanged notation: nothing to do
    EXPECT_EQ(Table()[2], "1,25;1,5");
}

TEST_F(EditorCommandsTest, CurveToolsReadTheTableReshapeAndShowIt) {
    struct Case {
        TCommandId command;
        std::vector<std::u16string> values; // the dialog's answer; none for Invert
        std::vector<std::string> table;
    };
    const Case cases[] = {
        {TCommandId::Invert, {}, {"100;-1", "1000;-3", "10000;2"}},
        {TCommandId::Offset, {u"1,5"}, {"100;2.5", "1000;4.5", "10000;-0.5"}},
        {TCommandId::Normalize, {u"1000"}, {"100;-2", "1000;0", "10000;-5"}},
        {TCommandId::Smooth, {u"1/48"}, {"100;1", "1000;3", "10000;-2"}},
        {TCommandId::Resample,
         {u"1/1"}, // general texts of the floats
         {"100;1", "125;1.20000004768372", "250;1.79999995231628", "500;2.40000009536743", "1000;3",
          "2000;1.5", "4000;0", "8000;-1.5", "10000;-2"}},
        {TCommandId::Limit, {u"100", u"1000.0"}, {"100;1", "1000;3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table.front() + " ... " + c.table.back());
        Type(1, u"10000", u"-2");
        Type(2, u"1000", u"3");
        Type(3, u"100", u"1");
        form.StringGrid1.SetRowCount(4);
        form.Edit1.SetText(u"Typed");
        desktop.valueAnswers = {c.values};
        desktop.log.clear();
        Run(c.command);
        EXPECT_EQ(Table(), c.table);
        EXPECT_EQ(form.Series1.Count(), c.table.size());
        EXPECT_EQ(CurrentSoundProfil.xyData.size(), c.table.size());
        EXPECT_EQ(form.Edit1.Text(), u"Typed");
        EXPECT_EQ(desktop.log.size(), c.values.empty() ? 0u : 1u); // the dialog, no message
    }
}

TEST_F(EditorCommandsTest, CurveToolDialogsAskAgainCancelAndRefuse) {
    Type(1, u"200", u"1");
    Type(2, u"100", u"2");
    desktop.valueAnswers = {std::vector<std::u16string>{u"abc"},
                            std::vector<std::u16string>{u"1/5"}};
    Run(TCommandId::Smooth); // a bad text, another, then Cancel
    EXPECT_EQ(desktop.log, (std::vector<std::string>{
                               "values dialog: Smooth",
                               "warning OK: 'abc' is not one of 1/1, 1/2, 1/3, 1/6, 1/12, 1/24 "
                               "or 1/48.",
                               "values dialog: Smooth",
                               "warning OK: '1/5' is not one of 1/1, 1/2, 1/3, 1/6, 1/12, 1/24 "
                               "or 1/48.",
                               "values dialog: Smooth",
                           }));
    ASSERT_EQ(desktop.valueDialogs.size(), 3u);
    EXPECT_EQ(desktop.valueDialogs[0].Fields[0].Text, u"1/3");
    EXPECT_EQ(desktop.valueDialogs[0].Fields[0].Choices.size(), 7u);
    EXPECT_EQ(desktop.valueDialogs[2].Fields[0].Text, u"1/5");
    EXPECT_EQ(Table(), (std::vector<std::string>{"200;1", "100;2"})); // Cancel: not even sorted

    desktop.log.clear();
    desktop.valueAnswers = {std::vector<std::u16string>{u"x", u"1"},
                            std::vector<std::u16string>{u"500", u"20"},
                            std::vector<std::u16string>{u"300", u"2e4"}};
    Run(TCommandId::Limit);
    EXPECT_EQ(desktop.log,
              (std::vector<std::string>{
                  "values dialog: Limit frequency range",
                  "warning OK: 'x' is not a valid floating point value.",
                  "values dialog: Limit frequency range",
                  "warning OK: The lowest frequency lies above the highest.",
                  "values dialog: Limit frequency range",
                  "information OK: No point lies between 300 and 20000 Hz; the profile stays as "
                  "it is.",
              }));
    EXPECT_EQ(Table(), (std::vector<std::string>{"100;2", "200;1"})); // read as Update / Sort
    EXPECT_EQ(form.Series1.Count(), 0u);                              // but not shown

    desktop.log.clear();
    desktop.valueAnswers = {std::vector<std::u16string>{u"-5"},
                            std::vector<std::u16string>{u"1000"}};
    Type(3, u"oops", u"1");
    Run(TCommandId::Normalize);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{
                               "values dialog: Normalize at frequency",
                               "warning OK: The frequency must be above 0 Hz.",
                               "values dialog: Normalize at frequency",
                               "error OK: 'ERROR' is not a valid floating point value.",
                           }));
}

TEST_F(EditorCommandsTest, CurveToolsRefuseGainsThatAreNotFiniteOrBeyondTheLimit) {
    struct Case {
        TCommandId command;
        std::vector<std::vector<std::u16string>> answers;
        std::vector<std::string> messages; // after the first dialog
    };
    const std::string tooFar = "information OK: The result would take the gain of row 2 beyond "
                               "the limit of -1000 to 1000 dB; the profile stays as it is.";
    const Case cases[] = {
        {TCommandId::Offset,
         {{u"1e6"}, {u"600"}},
         {"warning OK: The offset must lie between -1000 and 1000 dB.",
          "values dialog: Offset gains", tooFar}},
        {TCommandId::Offset, {{u"-400"}}, {}},
        {TCommandId::Normalize, {{u"100"}}, {tooFar}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.answers.front().front()));
        Type(1, u"100", u"-600");
        Type(2, u"200", u"600");
        form.StringGrid1.SetRowCount(3);
        desktop.valueAnswers.assign(c.answers.begin(), c.answers.end());
        desktop.log.clear();
        Run(c.command);
        std::vector<std::string> expected{"values dialog: " +
                                          Narrow(desktop.valueDialogs.back().Title)};
        expected.insert(expected.end(), c.messages.begin(), c.messages.end());
        EXPECT_EQ(desktop.log, expected);
        EXPECT_EQ(Table(), c.messages.empty() ? (std::vector<std::string>{"100;-1000", "200;200"})
                                              : (std::vector<std::string>{"100;-600", "200;600"}));
    }

    // Twice the largest float would be infinite.
    Type(1, u"100", u"3e38");
    form.StringGrid1.SetRowCount(2);
    desktop.valueAnswers = {std::vector<std::u16string>{u"0"}};
    desktop.log.clear();
    Run(TCommandId::Offset);
    ASSERT_EQ(desktop.log.size(), 2u);
    EXPECT_NE(desktop.log[1].find("gain of row 1 beyond the limit"), std::string::npos);
    EXPECT_EQ(Table(), (std::vector<std::string>{"100;3e38"}));
}

TEST_F(EditorCommandsTest, NewLeavesRowsThatUpdateDropsWhenTheyStayEmpty) {
    // Rows from 10 on have index texts of two characters, which alone keep a row.
    std::string lines = "f;g\r\n";
    for (int i = 1; i <= 12; ++i) {
        lines += std::to_string(i * 100) + ";1\r\n";
    }
    desktop.openAnswers = {WriteText("m.txt", lines)};
    Run(&TForm1::acImportExecute);
    ASSERT_EQ(form.StringGrid1.Cells(0, 12), u"12");
    Run(&TForm1::acClearExecute);
    Type(1, u"50", u"5");
    Type(3, u"30", u"3");
    desktop.log.clear();
    Run(&TForm1::acSortExecute);
    EXPECT_TRUE(desktop.log.empty());
    EXPECT_EQ(Table(), (std::vector<std::string>{"30;3", "50;5"}));
    EXPECT_EQ(CurrentSoundProfil.xyData, (std::vector<std::vector<float>>{{30, 3}, {50, 5}}));
}

TEST(FilterIndexForName, TheTypedExtensionPicksTheEntryUnlessTheChosenOneHasIt) {
    const std::u16string_view filter =
        u"Semicolon text|*.txt|CSV|*.csv|FRD|*.frd;*.FRQ|GraphicEQ|*.txt|All|*.*";
    struct Case {
        const char* name;
        std::size_t chosen;
        std::size_t expected;
    };
    const Case cases[] = {
        {"mismatch.frd", 0, 2}, {"a.CSV", 3, 1},     {"a.frq", 1, 2}, {"a.txt", 3, 3},
        {"a.txt", 1, 0},        {"a.txt", 4, 0},     {"a.wav", 1, 1}, {"noext", 2, 2},
        {"a.frd.bak", 2, 2},    {"dir.csv/a", 0, 0}, {".csv", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.chosen));
        EXPECT_EQ(FilterIndexForName(filter, fs::path(c.name), c.chosen), c.expected);
    }
}

TEST_F(EditorCommandsTest, ExportWritesTheFormatOfTheTypedNameAndAsksBeforeReplacing) {
    Type(1, u"100", u"1");
    form.Edit1.SetText(u"Room");
    std::vector<TFileDialogSettings> asked;
    form.Desktop.RunSaveDialogWithFilter = [&](const TFileDialogSettings& settings) {
        asked.push_back(settings);
        return std::optional<TSaveChoice>(TSaveChoice{folder_ / "mismatch.frd", 0});
    };
    Run(TCommandId::Export);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].ConfirmOverwrite);
    EXPECT_EQ(ReadFileBytes<std::string>(folder_ / "mismatch.frd"),
              "* Room\r\n* Freq(Hz) Gain(dB)\r\n100\t1\r\n");
}

TEST_F(EditorCommandsTest, ClosingAsksOnlyWithChangesSinceOpenImportSaveOrNew) {
    const std::string question = "confirmation YesNoCancel: Save changes to the sound profile?";
    const fs::path saved = folder_ / "saved.ump";
    const fs::path profile =
        Write("p.ump", Cat({Int32(1), Int32(0), Int32(1), Int32(2), Float(100), Float(1)}));
    struct Case {
        const char* name;
        std::function<void()> before;
        std::deque<TModalResult> answers;
        bool closes;
        bool asked;
    };
    const Case cases[] = {
        {"at start", [] {}, {}, true, false},
        {"typed, No", [&] { Type(1, u"100", u"1"); }, {TModalResult::mrNo}, true, true},
        {"typed, Cancel", [&] { Type(1, u"100", u"2"); }, {TModalResult::mrCancel}, false, true},
        {"Yes, save cancelled", [] {}, {TModalResult::mrYes, TModalResult::mrYes}, false, true},
        {"Yes, saved",
         [&] { desktop.saveAnswers = {saved}; },
         {TModalResult::mrYes, TModalResult::mrYes},
         true,
         true},
        {"after Save", [] {}, {}, true, false},
        {"Undo after Save", [&] { form.Undo(); }, {TModalResult::mrCancel}, false, true},
        {"Redo back to the saved state", [&] { form.Redo(); }, {}, true, false},
        {"typed back to the saved text", [&] { Type(1, u"100", u"2"); }, {}, true, false},
        {"appended", [&] { Run(&TForm1::acAppendExecute); }, {TModalResult::mrCancel}, false, true},
        {"opened",
         [&] {
             desktop.openAnswers = {profile};
             Run(&TForm1::acOPenProfileExecute);
         },
         {},
         true,
         false},
        {"typed into the name",
         [&] { form.Edit1.SetText(u"Hall"); },
         {TModalResult::mrNo},
         true,
         true},
        {"new", [&] { Run(&TForm1::acClearExecute); }, {}, true, false},
        {"typed again", [&] { Type(1, u"1", u"1"); }, {TModalResult::mrCancel}, false, true},
        {"imported",
         [&] {
             desktop.openAnswers = {WriteText("a.txt", "f;g\r\n100;1\r\n200;2\r\n")};
             Run(&TForm1::acImportExecute);
         },
         {},
         true,
         false},
        {"typed once more", [&] { Type(1, u"1", u"1"); }, {TModalResult::mrCancel}, false, true},
        {"measurement imported",
         [&] {
             desktop.openAnswers = {WriteText("m.txt", "100;1\r\n200;2\r\n")};
             form.Desktop.PreviewMeasurement = [](const TMeasurementPreview&) {
                 return std::optional<TMeasurementPick>(TMeasurementPick{});
             };
             Run(TCommandId::ImportMeasurement);
         },
         {},
         true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.before();
        desktop.log.clear();
        desktop.messageAnswers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(form.FormCloseQuery(), c.closes);
        ASSERT_EQ(!desktop.log.empty(), c.asked);
        if (c.asked) {
            EXPECT_EQ(desktop.log.front(), question);
        }
    }
    EXPECT_EQ(ReadFileBytes(saved),
              Cat({Int32(1), Int32(1), Bytes{'?', 0}, Int32(1), Int32(2), Float(100), Float(2)}));
}

TEST_F(EditorCommandsTest, MergeDuplicateFrequenciesLeavesOnePointPerWholeHertz) {
    // A 1/48-octave measurement: 20.0, 20.3 and 20.6 Hz show as 20, 20 and 21 after Update / Sort.
    Type(1, u"21.4", u"4");
    Type(2, u"20.3", u"2");
    Type(3, u"20.6", u"3");
    Type(4, u"20.0", u"1");
    Type(5, u"30", u"-1.25");
    Run(TCommandId::Merge);
    EXPECT_EQ(Table(), (std::vector<std::string>{"20;1.5", "21;3.5", "30;-1.29999995231628"}));
    EXPECT_EQ(form.Series1.Count(), 3u);
    EXPECT_EQ(form.UndoText(), u"Merge duplicate frequencies");
    form.Undo();
    EXPECT_EQ(Table(),
              (std::vector<std::string>{"21.4;4", "20.3;2", "20.6;3", "20.0;1", "30;-1.25"}));
}

TEST_F(EditorCommandsTest, ImportMeasurementReadsTheFileAsBusyWork) {
    std::vector<std::u16string> busy;
    form.Desktop.RunBusy = [&](const std::u16string& text, const std::function<void()>& work) {
        busy.push_back(text);
        work();
    };
    form.Desktop.PreviewMeasurement = [](const TMeasurementPreview& preview) {
        EXPECT_EQ(preview.Choices.size(), 1u);
        return std::optional<TMeasurementPick>();
    };
    desktop.openAnswers = {WriteText("m.txt", "100;1\r\n200;2\r\n")};
    Run(TCommandId::ImportMeasurement);
    EXPECT_EQ(busy, std::vector<std::u16string>{u"Reading m.txt..."});
}

TEST_F(EditorCommandsTest, InfoShowsTheVersionOfTheRunningProgram) {
    Run(&TForm1::acInfoExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{
                               "information OK: Marvek Engineering Germany\r\nSound profil editor "
                               "for RTA software Ulmaro\r\nVer. NoVersionInfo"}));
}

TEST_F(EditorCommandsTest, ErrorHandlerShowsEveryEscapingErrorAndTheProgramGoesOn) {
    form.Desktop.CloseMainWindow = [] { throw std::bad_alloc(); };
    Run(&TForm1::acCloseExecute);
    form.Desktop.CloseMainWindow = [] { throw std::runtime_error("Disk gone"); };
    Run(&TForm1::acCloseExecute);
    form.Desktop.CloseMainWindow = [] { throw FileError("Stream write error: No space left"); };
    Run(&TForm1::acCloseExecute);
    EXPECT_EQ(desktop.log, (std::vector<std::string>{
                               "error OK: Out of memory.",
                               "error OK: Disk gone.",
                               "error OK: Stream write error: No space left.",
                           }));
}

TEST(ErrorBoxText, FullStopUnlessTheLastCodeIsAFullStopOrBelow) {
    struct Case {
        std::u16string message, shown;
    };
    for (const Case& c : std::vector<Case>{
             {u"Stream read error", u"Stream read error."},
             {u"Done.", u"Done."},
             {u"Path C:\\", u"Path C:\\."},
             {u"Why?", u"Why?."},
             {u"Ends in a blank ", u"Ends in a blank "},
             {u"Ends in a dash-", u"Ends in a dash-"},
             {u"Ends in a comma,", u"Ends in a comma,"},
             {u"Ends in a slash/", u"Ends in a slash/."},
             {u"Umlaut \u00FC", u"Umlaut \u00FC."},
             {u"", u""},
         }) {
        EXPECT_EQ(ErrorBoxText(c.message), c.shown) << Narrow(c.message);
    }
}

} // namespace
