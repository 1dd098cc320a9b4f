#include "edit_history.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <new>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "main_f.h"
#include "number_text.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

// Rows compared, hidden ones included: the tables of these tests stay well below it.
constexpr int32_t kRowsCompared = 64;

// Everything a step restores, with the texts of hidden rows, bit for bit.
struct FormState {
    std::vector<std::u16string> cells;
    int32_t rowCount = 0, col = 0, row = 0, frowindex = 0;
    std::u16string name, label;
    std::vector<uint64_t> seriesX, seriesY;
    std::vector<uint32_t> freqs, gains;
    std::u16string profileName;
    int32_t version = 0;
    std::vector<std::vector<uint32_t>> rows;
    bool numericOk = false;
    bool operator==(const FormState&) const = default;
};

// The readable part of a state, for failure messages.
void PrintTo(const FormState& s, std::ostream* os) {
    *os << "rows " << s.rowCount << ", cell (" << s.col << ", " << s.row << "), frowindex "
        << s.frowindex << ", name \"" << Utf16ToUtf8(s.name) << "\", label \""
        << Utf16ToUtf8(s.label) << "\", " << s.seriesX.size() << " chart points, " << s.freqs.size()
        << " points kept, profile \"" << Utf16ToUtf8(s.profileName) << "\" v" << s.version
        << " with " << s.rows.size() << " rows, ok " << s.numericOk << ", cells:";
    for (std::size_t i = 0; i < s.cells.size(); ++i) {
        if (!s.cells[i].empty()) {
            *os << " [" << i / 3 << "," << i % 3 << "]=" << Utf16ToUtf8(s.cells[i]);
        }
    }
}

template <class T, class B> std::vector<B> Bits(const std::vector<T>& values) {
    std::vector<B> bits;
    for (T v : values) {
        bits.push_back(std::bit_cast<B>(v));
    }
    return bits;
}

FormState StateOf(const TForm1& form) {
    FormState s;
    const TStringGrid& grid = form.StringGrid1;
    for (int32_t r = 0; r < kRowsCompared; ++r) {
        for (int32_t c = 0; c < grid.ColCount(); ++c) {
            s.cells.push_back(grid.Cells(c, r));
        }
    }
    s.rowCount = grid.RowCount();
    s.col = grid.Col();
    s.row = grid.Row();
    s.frowindex = form.frowindex;
    s.name = form.Edit1.Text();
    s.label = form.lbFilename.Text();
    s.seriesX = Bits<double, uint64_t>(form.Series1.XValues());
    s.seriesY = Bits<double, uint64_t>(form.Series1.YValues());
    s.freqs = Bits<float, uint32_t>(form.KorrDataTemp.DatenXYZ[0]);
    s.gains = Bits<float, uint32_t>(form.KorrDataTemp.DatenXYZ[1]);
    s.profileName = CurrentSoundProfil.stName;
    s.version = CurrentSoundProfil.iVers;
    for (const auto& row : CurrentSoundProfil.xyData) {
        s.rows.push_back(Bits<float, uint32_t>(row));
    }
    s.numericOk = form.boNumericDataok;
    return s;
}

// The profile and the global profile are shared between forms: each form's view of it is taken
// and put back around its turn.
struct FormWithProfile {
    TForm1 form;
    TSoundProfil profile;
};

// Files the dialogs answer with, in one temporary folder.
class Files {
public:
    Files() : folder_(MakeTemporaryFolder("edit-history")) {
        Profile("a.ump", u"First", {{200, 1}, {100, -2}, {300, 0.5f}});
        Profile("b.ump", u"B", {{50, 3}, {20, -1}});
        WriteFileBytes(folder_ / "bad.ump", std::string("\x02\0\0\0", 4));
        WriteFileBytes(folder_ / "points.txt",
                       std::string("f;g\r\nHz;dB\r\n100;1,5\r\n50;-2\r\n200;3\r\n"));
        WriteFileBytes(folder_ / "words.txt", std::string("f;g\r\nHz;dB\r\nabc;1\r\n"));
        WriteFileBytes(folder_ / "measure.txt",
                       std::string("* Format: 1/48 octave\r\n* Freq(Hz) SPL(dB) Phase(degrees)\r\n"
                                   "300 72.5 -39\r\n100 73.25 -38.5\r\n"));
        fs::create_directory(folder_ / "saved");
        fs::create_directory(folder_ / "replayed");
    }
    ~Files() { fs::remove_all(folder_); }
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;

    fs::path operator/(const char* name) const { return folder_ / name; }

private:
    void Profile(const char* name, std::u16string title, std::vector<std::vector<float>> rows) {
        TSoundProfil profile;
        profile.iVers = SoundProfilVersion;
        profile.stName = std::move(title);
        profile.xyData = std::move(rows);
        SaveSoundProfil(folder_ / name, profile);
    }
    fs::path folder_;
};

// One person's action, applied alike to any form: the dialogs answer with `file` (nullopt
// cancels), messages with OK or Yes.
struct Action {
    enum Kind { Command, Write, Name, Select } kind = Command;
    TCommandId command = TCommandId::Info;
    std::optional<fs::path> file;
    int32_t col = 0, row = 0;
    std::u16string text;

    // `saveFolder` takes the files Save writes, so that a replay never overwrites what the form
    // under test wrote.
    void Apply(TForm1& form, const fs::path& saveFolder) const {
        switch (kind) {
        case Command:
            form.Desktop.RunOpenDialog = [this](const TFileDialogSettings&) { return file; };
            form.Desktop.RunSaveDialog = [this, saveFolder](const TFileDialogSettings&) {
                return file ? std::optional<fs::path>(saveFolder / file->filename()) : file;
            };
            // Export writes FRD.
            form.Desktop.RunSaveDialogWithFilter = [this, saveFolder](const TFileDialogSettings&) {
                return file ? std::optional<TSaveChoice>({saveFolder / file->filename(), 2})
                            : std::nullopt;
            };
            form.Execute(command);
            return;
        case Write:
            form.StringGrid1.SetCells(col, row, text);
            return;
        case Name:
            form.Edit1.SetText(text);
            return;
        case Select:
            form.StringGrid1.SelectCell(col, row);
            return;
        }
    }
};

void QuietDesktop(TForm1& form, std::vector<std::u16string>* shown = nullptr) {
    form.Desktop.MessageDlg = [shown](TMsgDlgType, TMsgDlgButtons buttons,
                                      const std::u16string& text) {
        if (shown) {
            shown->push_back(text);
        }
        return buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : TModalResult::mrYes;
    };
    form.Desktop.CloseMainWindow = [] {};
    form.Desktop.ExecutablePath = [] { return fs::path("/nonexistent/editor"); };
    form.Desktop.RunOpenDialog = [](const TFileDialogSettings&) { return std::nullopt; };
    form.Desktop.RunSaveDialog = [](const TFileDialogSettings&) { return std::nullopt; };
    // The measurement preview with its last gain column.
    form.Desktop.PreviewMeasurement = [](const TMeasurementPreview& preview) {
        return std::optional<TMeasurementPick>({preview.Choices.size() - 1, false});
    };
    // The curve tools' dialogs are answered with their defaults.
    form.Desktop.AskValues = [](const TValueDialog& dialog) {
        std::vector<std::u16string> texts;
        for (const TValueField& field : dialog.Fields) {
            texts.push_back(field.Text);
        }
        return std::optional(texts);
    };
}

Action Cmd(TCommandId command, std::optional<fs::path> file = std::nullopt) {
    return {Action::Command, command, std::move(file), 0, 0, {}};
}
Action Write(int32_t col, int32_t row, std::u16string text) {
    return {Action::Write, TCommandId::Info, std::nullopt, col, row, std::move(text)};
}
Action Select(int32_t col, int32_t row) {
    return {Action::Select, TCommandId::Info, std::nullopt, col, row, {}};
}

class EditHistory : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        QuietDesktop(form_, &shown_);
    }
    void TearDown() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }
    void Do(const std::vector<Action>& actions) {
        for (const Action& a : actions) {
            a.Apply(form_, files_ / "saved");
        }
    }

    Files files_;
    TForm1 form_;
    std::vector<std::u16string> shown_;
};

// A table of five unsorted rows behind the header, with row 6 hidden behind the end.
std::vector<Action> TypedTable() {
    std::vector<Action> actions;
    for (int i = 0; i < 6; ++i) {
        actions.push_back(Cmd(TCommandId::Append));
    }
    const char16_t* freqs[] = {u"300", u"100", u"", u"200", u"50", u"7000"};
    const char16_t* gains[] = {u"1", u"-2,5", u"", u"0.5", u"3", u"9"};
    for (int32_t r = 1; r <= 6; ++r) {
        actions.push_back(Write(1, r, freqs[r - 1]));
        actions.push_back(Write(2, r, gains[r - 1]));
    }
    actions.push_back(Select(1, 6));
    actions.push_back(Cmd(TCommandId::DelRow));
    actions.push_back(Select(2, 2));
    return actions;
}

TEST_F(EditHistory, EachCommandIsOneStepThatUndoTakesBackAndRedoDoesAgain) {
    struct Case {
        const char* what;
        std::vector<Action> before;
        Action command;
        std::u16string caption;
    };
    const std::vector<Case> cases = {
        {"clear", TypedTable(), Cmd(TCommandId::Clear), u"Clear table"},
        {"insert", TypedTable(), Cmd(TCommandId::Insert), u"Insert row"},
        {"delete", TypedTable(), Cmd(TCommandId::DelRow), u"Delete row"},
        {"append over a hidden row", TypedTable(), Cmd(TCommandId::Append), u"Append row"},
        {"sort", TypedTable(), Cmd(TCommandId::Sort), u"Update / Sort"},
        {"open", TypedTable(), Cmd(TCommandId::OpenProfile, files_ / "a.ump"), u"Open profile"},
        {"open over a profile",
         {Cmd(TCommandId::OpenProfile, files_ / "a.ump")},
         Cmd(TCommandId::OpenProfile, files_ / "b.ump"),
         u"Open profile"},
        {"open of a refused file: the label changed",
         {Cmd(TCommandId::OpenProfile, files_ / "a.ump")},
         Cmd(TCommandId::OpenProfile, files_ / "bad.ump"),
         u"Open profile"},
        {"import", TypedTable(), Cmd(TCommandId::Import, files_ / "points.txt"), u"Import ASCII"},
        {"import with a warning: the label changed", TypedTable(),
         Cmd(TCommandId::Import, files_ / "words.txt"), u"Import ASCII"},
        {"save", TypedTable(), Cmd(TCommandId::SaveProfile, files_ / "s.ump"), u"Save Profile"},
        {"save cancelled after its sort", TypedTable(), Cmd(TCommandId::SaveProfile),
         u"Save Profile"},
        {"invert", TypedTable(), Cmd(TCommandId::Invert), u"Invert gains"},
        {"normalize", TypedTable(), Cmd(TCommandId::Normalize), u"Normalize at frequency"},
        {"smooth", TypedTable(), Cmd(TCommandId::Smooth), u"Smooth"},
        {"resample", TypedTable(), Cmd(TCommandId::Resample), u"Resample"},
        {"limit", TypedTable(), Cmd(TCommandId::Limit), u"Limit frequency range"},
        {"import measurement", TypedTable(),
         Cmd(TCommandId::ImportMeasurement, files_ / "measure.txt"), u"Import Measurement"},
        {"import measurement over a profile",
         {Cmd(TCommandId::OpenProfile, files_ / "a.ump")},
         Cmd(TCommandId::ImportMeasurement, files_ / "measure.txt"),
         u"Import Measurement"},
        {"export", TypedTable(), Cmd(TCommandId::Export, files_ / "e.frd"), u"Export Profile"},
        {"export cancelled after its sort", TypedTable(), Cmd(TCommandId::Export),
         u"Export Profile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TForm1 form;
        QuietDesktop(form);
        CurrentSoundProfil = TSoundProfil{};
        for (const Action& a : c.before) {
            a.Apply(form, files_ / "saved");
        }
        const FormState before = StateOf(form);
        c.command.Apply(form, files_ / "saved");
        const FormState after = StateOf(form);
        ASSERT_NE(before, after);
        EXPECT_EQ(form.UndoText(), c.caption);
        form.Undo();
        EXPECT_EQ(StateOf(form), before);
        EXPECT_EQ(form.RedoText(), c.caption);
        form.Redo();
        EXPECT_EQ(StateOf(form), after);
        EXPECT_FALSE(form.CanRedo());
    }
}

TEST_F(EditHistory, ASortStoppedByAKeyThatDoesNotReadIsTakenBackWhole) {
    Do({Cmd(TCommandId::Append), Cmd(TCommandId::Append), Cmd(TCommandId::Append),
        Write(1, 1, u"30"), Write(2, 1, u"1"), Write(1, 2, u"20"), Write(2, 2, u"2"),
        Write(1, 3, u"xx"), Write(2, 3, u"3")});
    const FormState before = StateOf(form_);
    form_.Execute(TCommandId::Sort);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0], u"'ERROR' is not a valid floating point value.");
    const FormState stopped = StateOf(form_);
    ASSERT_NE(stopped, before) << "the sort made an exchange before it stopped";
    EXPECT_EQ(form_.UndoText(), u"Update / Sort");
    form_.Undo();
    EXPECT_EQ(StateOf(form_), before);
    form_.Redo();
    EXPECT_EQ(StateOf(form_), stopped);
}

// A change of notation is no step: what Undo and Redo restore afterwards shows in the new
// notation, also when the change came while a command waited on its message.
TEST_F(EditHistory, ANotationChangeIsNoStepAndRestoredTextsShowInTheNewNotation) {
    const auto typed = [this](TForm1& form) {
        for (const Action& a :
             {Cmd(TCommandId::Append), Cmd(TCommandId::Append), Cmd(TCommandId::Append),
              Write(1, 1, u"300.5"), Write(2, 1, u"3.5"), Write(1, 2, u"100.5"),
              Write(2, 2, u"1.5"), Write(1, 3, u"200.5"), Write(2, 3, u"x")}) {
            a.Apply(form, files_ / "saved");
        }
    };
    const auto cells = [](const TForm1& form) {
        std::string text;
        for (int32_t row = 1; row < form.StringGrid1.RowCount(); ++row) {
            text += "[" + Utf16ToUtf8(form.StringGrid1.Cells(1, row)) + "|" +
                    Utf16ToUtf8(form.StringGrid1.Cells(2, row)) + "]";
        }
        return text;
    };
    const auto toComma = [](TForm1& form) {
        UserNotation.DecimalSeparator = u',';
        form.NotationChanged(u'.');
    };
    typed(form_);
    toComma(form_);
    EXPECT_EQ(cells(form_), "[300,5|3,5][100,5|1,5][200,5|x]");
    EXPECT_EQ(form_.UndoText(), u"Typing");
    form_.Undo();
    form_.Undo();
    EXPECT_EQ(cells(form_), "[300,5|3,5][100,5|1,5][|]");
    form_.Redo();
    EXPECT_EQ(cells(form_), "[300,5|3,5][100,5|1,5][200,5|]");

    // The change comes while Update / Sort shows that the table does not convert.
    UserNotation.DecimalSeparator = u'.';
    TForm1 form;
    QuietDesktop(form);
    typed(form);
    form.Desktop.MessageDlg = [&](TMsgDlgType, TMsgDlgButtons, const std::u16string&) {
        toComma(form);
        return TModalResult::mrOk;
    };
    form.Execute(TCommandId::Sort);
    form.Undo();
    EXPECT_EQ(cells(form), "[300,5|3,5][100,5|1,5][200,5|x]");
    // Typed on in the new notation, the table reads as if typed in it from the start.
    form.StringGrid1.SetCells(2, 3, u"2,5");
    QuietDesktop(form);
    form.Execute(TCommandId::Sort);
    EXPECT_EQ(cells(form), "[101|1,5][201|2,5][301|3,5]");
}

TEST_F(EditHistory, StepsThatChangeNothingAreNotRecorded) {
    Do({Cmd(TCommandId::OpenProfile, files_ / "a.ump"), Cmd(TCommandId::Sort)});
    form_.Undo(); // the sort
    ASSERT_TRUE(form_.CanRedo());
    const std::u16string shown = form_.StringGrid1.Cells(1, 1);
    const std::vector<Action> nothing = {
        Cmd(TCommandId::Info),
        Cmd(TCommandId::Close),
        Cmd(TCommandId::OpenProfile),                             // cancelled
        Cmd(TCommandId::Import),                                  // cancelled
        Cmd(TCommandId::Import, files_ / "none"),                 // no such file
        Cmd(TCommandId::ImportMeasurement),                       // cancelled
        Cmd(TCommandId::ImportMeasurement, files_ / "words.txt"), // no data
        Cmd(TCommandId::DelRow),                                  // row 0
        Write(1, 1, shown),
        Select(2, 2),
    };
    Do(nothing);
    EXPECT_EQ(form_.UndoText(), u"Open profile");
    EXPECT_EQ(form_.RedoText(), u"Update / Sort");
}

TEST_F(EditHistory, TypingRunsAreOneStepPerCellOrField) {
    Do({Cmd(TCommandId::Append), Cmd(TCommandId::Append), Select(1, 1)});
    const FormState start = StateOf(form_);
    Do({Write(1, 1, u"1"), Write(1, 1, u"12"), Write(1, 1, u"123")});
    const FormState oneCell = StateOf(form_);
    Do({Write(2, 1, u"4"), Write(2, 1, u"45")});
    const FormState twoCells = StateOf(form_);
    form_.Edit1.SetText(u"N");
    form_.Edit1.SetText(u"Na");
    form_.Edit1.SetText(u"Name");
    EXPECT_EQ(form_.UndoText(), u"Typing");
    form_.Undo();
    EXPECT_EQ(StateOf(form_), twoCells);
    form_.Undo();
    EXPECT_EQ(StateOf(form_), oneCell);
    form_.Undo();
    EXPECT_EQ(StateOf(form_), start);
    EXPECT_EQ(form_.UndoText(), u"Append row");

    // A move of the current cell ends a run; typing a text back to where it started is none.
    form_.Redo();
    Do({Select(2, 2), Select(1, 1), Write(1, 1, u"1239"), Write(1, 1, u"123")});
    EXPECT_EQ(StateOf(form_).cells, oneCell.cells);
    form_.Undo();
    EXPECT_EQ(StateOf(form_), start);
}

TEST_F(EditHistory, UndoTakesTheCurrentCellBackToWhereTheStepBegan) {
    Do(TypedTable());
    Do({Select(1, 5), Cmd(TCommandId::DelRow), Select(2, 1)});
    form_.Undo();
    EXPECT_EQ(form_.StringGrid1.Row(), 5);
    EXPECT_EQ(form_.frowindex, 5);
    form_.Redo();
    EXPECT_EQ(form_.StringGrid1.Row(), 4) << "the deleted last row moved the current cell up";
    EXPECT_EQ(form_.frowindex, 4);
}

TEST_F(EditHistory, ANewStepEmptiesTheRedoList) {
    Do({Cmd(TCommandId::Append), Cmd(TCommandId::Append)});
    form_.Undo();
    EXPECT_TRUE(form_.CanRedo());
    Do({Write(1, 1, u"5")});
    EXPECT_FALSE(form_.CanRedo());
    EXPECT_EQ(form_.RedoText(), u"");
    form_.Redo();
    EXPECT_EQ(form_.StringGrid1.RowCount(), 2);
}

TEST_F(EditHistory, UndoAndRedoWithoutStepsDoNothing) {
    const FormState start = StateOf(form_);
    EXPECT_FALSE(form_.CanUndo());
    EXPECT_FALSE(form_.CanRedo());
    EXPECT_EQ(form_.UndoText(), u"");
    form_.Undo();
    form_.Redo();
    EXPECT_EQ(StateOf(form_), start);
    EXPECT_TRUE(shown_.empty());
}

TEST_F(EditHistory, AHundredAndOneStepsKeepTheNewestHundred) {
    Do({Cmd(TCommandId::Append)});
    for (int i = 0; i < 100; ++i) {
        const std::string text = std::to_string(i);
        Do({Write(1 + i % 2, 1, std::u16string(text.begin(), text.end()))});
    }
    int undone = 0;
    for (; form_.CanUndo(); ++undone) {
        form_.Undo();
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(form_.StringGrid1.RowCount(), 2) << "the oldest step, the append, was dropped";
    EXPECT_EQ(form_.StringGrid1.Cells(1, 1), u"");
}

// A history of its own over a grid and fields, with a small byte limit.
TEST(EditHistoryLimits, TheOldestStepsGoOverTheByteLimitButNeverTheNewest) {
    TStringGrid grid;
    TTextField name, label;
    TLineSeries series;
    TDatentyp points;
    TSoundProfil profile;
    bool ok = false;
    TEditHistory history({grid, name, label, series, points, profile, ok}, 100, 64 * 1024);
    const std::u16string big(20 * 1024, u'7');
    for (int32_t r = 1; r <= 3; ++r) {
        grid.SetCells(1, r, big); // old: empty, so these steps are small
    }
    ASSERT_EQ(history.UndoCount(), 3u);
    grid.SetCells(1, 1, u"a"); // keeps the 40 KiB text it replaced
    EXPECT_EQ(history.UndoCount(), 4u);
    grid.SetCells(1, 2, u"b");
    EXPECT_LE(history.Bytes(), std::size_t{64 * 1024});
    EXPECT_EQ(history.UndoCount(), 1u) << "two steps of 40 KiB do not fit";
    const std::u16string bigName(100 * 1024, u'n');
    name.SetText(bigName);
    name.SetText(u""); // typed back: no step
    EXPECT_EQ(history.UndoCount(), 1u);
    name.SetText(bigName);
    grid.SetCells(1, 3, u"c");
    name.SetText(u"x"); // keeps the 200 KiB name: over the limit alone
    EXPECT_EQ(history.UndoCount(), 1u);
    history.Undo();
    EXPECT_EQ(name.Text(), bigName);
    EXPECT_FALSE(history.CanUndo());
    history.Redo();
    EXPECT_EQ(name.Text(), u"x");
}

// A history of its own over the parts a step restores, with room for a few steps.
struct SmallHistory {
    explicit SmallHistory(std::size_t MaxSteps, std::size_t MaxBytes = 1 << 20)
        : history({grid, name, label, series, points, profile, ok}, MaxSteps, MaxBytes) {}
    // A command that puts `rows` profile rows, each {value, value}, in place of the profile's.
    void ShowRows(std::size_t rows, float value) {
        const TEditHistory::Command step(history, u"Show");
        history.TakeProfileRows();
        profile.xyData.assign(rows, {value, value});
    }
    TStringGrid grid;
    TTextField name, label;
    TLineSeries series;
    TDatentyp points;
    TSoundProfil profile;
    bool ok = false;
    TEditHistory history;
};

// Undo and Redo move a step to the other side, where it holds the other state and may be far
// larger: the limits hold after them too, and what stays still undoes and redoes exactly.
TEST(EditHistoryLimits, TheLimitsHoldAcrossUndoAndRedoAndTheStepsLeftStillRestoreExactly) {
    constexpr std::size_t kMaxBytes = std::size_t{1} << 20;
    constexpr std::size_t kMaxSteps = 6;
    SmallHistory h(kMaxSteps, kMaxBytes);
    // The states in order, the one shown at `at`; the history keeps a window around it.
    std::vector<std::pair<std::size_t, float>> states = {{0, 0}};
    std::size_t at = 0;
    const auto shows = [&](std::size_t i) {
        const auto& [rows, value] = states[i];
        return h.profile.xyData.size() == rows &&
               (rows == 0 || (h.profile.xyData.front() == std::vector<float>{value, value} &&
                              h.profile.xyData.back() == std::vector<float>{value, value}));
    };
    std::mt19937_64 engine(27);
    for (int i = 0; i < 400 && !::testing::Test::HasFailure(); ++i) {
        SCOPED_TRACE(i);
        const uint64_t action = engine() % 6;
        if (action < 2) {
            // 60000 rows hold 480 KB: two such steps at most fit.
            const std::size_t rows = action == 0 ? 60000 : 4;
            const auto value = static_cast<float>(i + 1);
            h.ShowRows(rows, value);
            states.resize(at + 1);
            states.push_back({rows, value});
            ++at;
        } else if (action < 4) {
            if (h.history.CanUndo()) {
                --at;
            }
            h.history.Undo();
        } else {
            if (h.history.CanRedo()) {
                ++at;
            }
            h.history.Redo();
        }
        const std::size_t steps = h.history.UndoCount() + h.history.RedoCount();
        EXPECT_LE(steps, kMaxSteps);
        EXPECT_TRUE(h.history.Bytes() <= kMaxBytes || steps == 1) << h.history.Bytes();
        EXPECT_TRUE(shows(at));
        ASSERT_LE(h.history.UndoCount(), at);
        ASSERT_LE(at + h.history.RedoCount(), states.size() - 1);
    }
    // Every step left goes back and forth to the state it stood for.
    const std::size_t undos = h.history.UndoCount();
    const std::size_t redos = h.history.RedoCount();
    for (std::size_t i = 1; i <= undos; ++i) {
        h.history.Undo();
        EXPECT_TRUE(shows(at - i)) << i;
    }
    EXPECT_FALSE(h.history.CanUndo());
    for (std::size_t i = 1; i <= undos + redos; ++i) {
        h.history.Redo();
        EXPECT_TRUE(shows(at - undos + i)) << i;
    }
    EXPECT_FALSE(h.history.CanRedo());
}

// Every stored text of the grid, hidden rows included, and its row count.
std::vector<std::u16string> GridTexts(const TStringGrid& grid) {
    std::vector<std::u16string> texts{Utf8ToUtf16(std::to_string(grid.RowCount()))};
    for (int32_t r = 0; r < 16; ++r) {
        for (int32_t c = 0; c < grid.ColCount(); ++c) {
            texts.push_back(grid.Cells(c, r));
        }
    }
    return texts;
}

// A command that takes the table whole and one whose changes are logged cell by cell restore the
// same texts, hidden rows included, also after a notation change while the step is kept.
TEST(EditHistoryWholeTable, AWholeTableStepAndALoggedStepRestoreTheSameTexts) {
    using Work = std::function<void(TStringGrid&)>;
    const std::vector<std::pair<const char*, Work>> cases = {
        {"fewer rows shown",
         [](TStringGrid& g) {
             ProfileRowsToGrid({{10, 1.5f}, {20}}, g, 1, 2);
         }},
        {"rows sorted and an index written",
         [](TStringGrid& g) {
             SortGridRows(g, 1, false);
             g.SetCells(0, 2, u"x");
         }},
        {"hidden rows shown, written, moved and removed",
         [](TStringGrid& g) {
             g.SetRowCount(9);
             g.SetCells(1, 8, u"2.25");
             g.MoveRow(1, 8);
             RemoveEmptyRows(g);
             g.ExchangeRows(1, 2);
         }},
        {"more rows than before, then texts cleared",
         [](TStringGrid& g) {
             ProfileRowsToGrid(std::vector<std::vector<float>>(12, {7.5f, -1}), g, 1, 2);
             g.SetCells(2, 3, u"");
             g.SetCells(1, 11, u"0.5 dB");
         }},
    };
    for (const auto& [what, work] : cases) {
        SCOPED_TRACE(what);
        SmallHistory whole(10), logged(10);
        for (SmallHistory* h : {&whole, &logged}) {
            TStringGrid& g = h->grid;
            g.SetColCount(3);
            g.SetRowCount(8);
            for (int32_t r = 1; r < 8; ++r) {
                g.SetCells(0, r, Utf8ToUtf16(std::to_string(r)));
                g.SetNumberCell(1, r, static_cast<float>(r * 100 % 7) + 0.5f, u'.');
                g.SetCells(2, r, r % 3 == 0 ? u"abc" : u"-1.5");
            }
            g.SetRowCount(5); // rows 5 to 7 hidden
            h->history.Clear();
        }
        const std::vector<std::u16string> before = GridTexts(logged.grid);
        for (SmallHistory* h : {&whole, &logged}) {
            const TEditHistory::Command step(h->history, u"Replace");
            if (h == &whole) {
                h->history.TakeTable();
            }
            work(h->grid);
        }
        const std::vector<std::u16string> after = GridTexts(logged.grid);
        ASSERT_EQ(GridTexts(whole.grid), after);
        ASSERT_NE(before, after);
        for (SmallHistory* h : {&whole, &logged}) {
            h->history.Undo();
            EXPECT_EQ(GridTexts(h->grid), before);
            h->history.Redo();
            EXPECT_EQ(GridTexts(h->grid), after);
            h->history.Undo();
            const auto rewrite = [h] { h->grid.ChangeNotation(1, 2, u'.', u','); };
            h->history.ChangeNotation(1, 2, u'.', u',', rewrite);
            h->history.Redo();
        }
        EXPECT_EQ(GridTexts(whole.grid), GridTexts(logged.grid)) << "redone in the new notation";
        whole.history.Undo();
        logged.history.Undo();
        EXPECT_EQ(GridTexts(whole.grid), GridTexts(logged.grid)) << "undone in the new notation";
        EXPECT_NE(GridTexts(whole.grid), before);
    }
}

// The profile's rows, the points and the chart's series of a SmallHistory, bit for bit.
struct ShownState {
    std::vector<std::vector<uint32_t>> rows;
    std::vector<uint32_t> freqs, gains;
    std::vector<uint64_t> x, y;
    std::vector<std::u16string> labels;
    std::vector<TColor> colors;
    std::u16string title;
    bool operator==(const ShownState&) const = default;
};

ShownState ShownOf(const SmallHistory& h) {
    ShownState s;
    for (const auto& row : h.profile.xyData) {
        s.rows.push_back(Bits<float, uint32_t>(row));
    }
    s.freqs = Bits<float, uint32_t>(h.points.DatenXYZ[0]);
    s.gains = Bits<float, uint32_t>(h.points.DatenXYZ[1]);
    s.x = Bits<double, uint64_t>(h.series.XValues());
    s.y = Bits<double, uint64_t>(h.series.YValues());
    s.labels = h.series.Labels();
    s.colors = h.series.Colors();
    s.title = h.series.Title();
    return s;
}

// A step that replaces the rows, the points and the series holds what it can rebuild from the
// rows without its values, and still restores every side exactly: also points that are not the
// rows' pairs, a series out of their order, a labelled point, NaN and -0.
TEST(EditHistoryWholeTable, ReplacedRowsPointsAndSeriesRestoreExactlyAndCompactly) {
    constexpr std::size_t kRows = 5000;
    using Rows = std::vector<std::vector<float>>;
    Rows sorted;
    for (std::size_t i = 0; i < kRows; ++i) {
        sorted.push_back({static_cast<float>(20 + i), static_cast<float>(i % 241) / 10 - 12});
    }
    Rows odd = sorted;
    odd[3] = {std::nanf(""), -0.0f};
    odd[7] = {5};       // no point for this row
    odd[9] = {1, 2, 3}; // a point from the first two values
    odd[11] = {-0.0f, 1e-45f};
    Rows reversed(sorted.rbegin(), sorted.rend());
    // Shows the rows as the editor does: their pairs as points, the points as the series.
    const auto show = [](SmallHistory& h, const Rows& rows, const char16_t* label) {
        const TEditHistory::Command step(h.history, u"Show");
        h.history.TakeProfileRows();
        h.profile.xyData = rows;
        h.history.TakePoints();
        h.points.DatenXYZ[0].clear();
        h.points.DatenXYZ[1].clear();
        for (const auto& row : rows) {
            if (row.size() >= 2) {
                h.points.DatenXYZ[0].push_back(row[0]);
                h.points.DatenXYZ[1].push_back(row[1]);
            }
        }
        h.history.TakeSeries();
        ShowAllPoints(h.points, h.series, u"");
        if (label) {
            h.series.AddXY(1e6, 1, label, TLineSeries::Color);
        }
    };
    struct Case {
        const char* what;
        Rows before, after;
        const char16_t* label;
    };
    const std::vector<Case> cases = {
        {"sorted rows shown", sorted, Rows(sorted.begin() + 1, sorted.end()), nullptr},
        {"reversed rows: a series out of the points' order", reversed, sorted, nullptr},
        {"rows without a point, NaN and -0", odd, sorted, nullptr},
        {"a labelled point in the series", sorted, reversed, u"peak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SmallHistory h(10, std::size_t{64} << 20);
        show(h, c.before, c.label);
        // Points that are not the rows' pairs: an import shows points of its own.
        if (c.label) {
            const TEditHistory::Command step(h.history, u"Import");
            h.history.TakePoints();
            h.points.DatenXYZ[0].assign(3, 7.0f);
            h.points.DatenXYZ[1].assign(3, 1.0f);
        }
        const ShownState before = ShownOf(h);
        const std::size_t bytesBefore = h.history.Bytes();
        show(h, c.after, nullptr);
        const ShownState after = ShownOf(h);
        ASSERT_NE(before, after);
        if (!c.label && c.before == sorted) {
            // The rows once, as floats: nothing else of the old side is held value by value.
            EXPECT_LE(h.history.Bytes() - bytesBefore, kRows * 2 * sizeof(float) + 4096);
        }
        for (int round = 0; round < 2; ++round) {
            h.history.Undo();
            EXPECT_EQ(ShownOf(h), before);
            h.history.Redo();
            EXPECT_EQ(ShownOf(h), after);
        }
    }
}

// Whether the state differs from the one marked saved, after sequences of steps, marks, undos,
// redos, trimming and failures. The history keeps at most three steps.
TEST(EditHistorySaved, TheStateIsModifiedExactlyWhenItDiffersFromTheMarkedOne) {
    using Act = std::function<void(SmallHistory&)>;
    const Act type1 = [](SmallHistory& h) { h.grid.SetCells(1, 1, h.grid.Cells(1, 1) + u"1"); };
    const Act type2 = [](SmallHistory& h) { h.grid.SetCells(2, 2, h.grid.Cells(2, 2) + u"2"); };
    const Act type3 = [](SmallHistory& h) { h.grid.SetCells(3, 3, h.grid.Cells(3, 3) + u"3"); };
    const Act typeBack1 = [](SmallHistory& h) { h.grid.SetCells(1, 1, u""); };
    const Act mark = [](SmallHistory& h) { h.history.MarkSaved(); };
    const Act undo = [](SmallHistory& h) { h.history.Undo(); };
    const Act redo = [](SmallHistory& h) { h.history.Redo(); };
    const Act clear = [](SmallHistory& h) { h.history.Clear(); };
    const Act command = [](SmallHistory& h) { h.ShowRows(2, 5); };
    const Act commandSaving = [](SmallHistory& h) {
        const TEditHistory::Command step(h.history, u"Save");
        h.history.MarkSaved(); // the state the command leaves counts
        h.grid.SetCells(1, 4, h.grid.Cells(1, 4) + u"s");
    };
    const Act failedNotation = [](SmallHistory& h) {
        EXPECT_THROW(h.history.ChangeNotation(1, 2, u'.', u',',
                                              [&] {
                                                  h.grid.SetCells(1, 1, u"1,5");
                                                  throw std::bad_alloc();
                                              }),
                     std::bad_alloc);
    };
    const Act failedNotationSaving = [&](SmallHistory& h) {
        const TEditHistory::Command step(h.history, u"Save");
        h.history.MarkSaved();
        failedNotation(h);
    };
    struct Case {
        const char* name;
        std::vector<Act> acts;
        bool modified;
    };
    const std::vector<Case> cases = {
        {"at start", {}, false},
        {"typed", {type1}, true},
        {"typed, undone", {type1, undo}, false},
        {"typed, undone, redone", {type1, undo, redo}, true},
        {"typed, marked", {type1, mark}, false},
        {"typed on after the mark", {type1, mark, type1}, true},
        {"typing after the mark is a step of its own", {type1, mark, type1, undo}, false},
        {"typed back within the run", {type1, typeBack1}, false},
        {"marked, undone", {type1, type2, mark, undo}, true},
        {"marked, undone, redone", {type1, type2, mark, undo, redo}, false},
        {"undone to the mark", {type1, mark, type2, type3, undo, undo}, false},
        {"a command", {command}, true},
        {"a command that changes nothing", {command, mark, command}, false},
        {"marked by the running command", {type1, commandSaving}, false},
        {"the command that marked, undone", {type1, commandSaving, undo}, true},
        {"the marked state was only on the redo side", {type1, mark, undo, type2}, true},
        {"... and undo leads to another", {type1, mark, undo, type2, undo}, true},
        {"the mark's step trimmed away",
         {mark, type1, type2, type3, command, undo, undo, undo},
         true},
        {"cleared while saved", {type1, mark, clear}, false},
        {"cleared while modified", {type1, clear}, true},
        {"cleared, undo does nothing", {type1, mark, type2, clear, undo}, true},
        {"an unrecorded change", {failedNotation}, true},
        {"an unrecorded change, marked after", {failedNotation, mark}, false},
        {"an unrecorded change in the command that marks", {failedNotationSaving}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallHistory h(3);
        for (const Act& act : c.acts) {
            act(h);
        }
        EXPECT_EQ(h.history.IsModified(), c.modified);
    }
}

TEST(EditHistoryListeners, ACopyOfAModelTellsNoneOfTheOriginalsListeners) {
    TStringGrid grid;
    TTextField field;
    int edits = 0;
    const auto gridSub = grid.Edits.Subscribe([&](const TGridEdit&) { ++edits; });
    const auto fieldSub = field.Edits.Subscribe([&](const std::u16string&) { ++edits; });
    TStringGrid gridCopy = grid;
    TTextField fieldCopy = field;
    gridCopy.SetCells(1, 1, u"x");
    fieldCopy.SetText(u"y");
    EXPECT_EQ(edits, 0);
    grid.SetCells(1, 1, u"x");
    field.SetText(u"y");
    EXPECT_EQ(edits, 2);
}

// A run of random commands, typing, selections, notation changes, undos and redos. The model
// knows which steps are in effect (a step is whatever changed the state); a fresh form that
// replays only those must end in the same state, and stay the same under the same further
// actions.
class RandomHistory {
public:
    RandomHistory(uint64_t Seed, const Files& F) : engine_(Seed), files_(F) { QuietDesktop(form_); }

    void Run(int Actions) {
        for (int i = 0; i < Actions && !::testing::Test::HasFailure(); ++i) {
            Step();
            if (i % 15 == 14) {
                CompareWithReplay(0);
            }
        }
        CompareWithReplay(8);
    }

private:
    struct ModelStep {
        Action action;
        int32_t col = 0, row = 0;
        std::size_t changesBefore = 0; // notation changes made before the step was first taken
    };

    uint64_t Below(uint64_t n) { return engine_() % n; }

    Action RandomAction() {
        static const std::vector<std::u16string> texts = {
            u"", u"1", u"12", u"100", u"50", u"x", u"2,5", u"7.25", u"300", u"-1", u"1e3"};
        const TStringGrid& grid = form_.StringGrid1;
        const bool room = grid.RowCount() < 40;
        switch (Below(17)) {
        case 0:
            return Cmd(TCommandId::Clear);
        case 1:
            return room ? Cmd(TCommandId::Append) : Cmd(TCommandId::DelRow);
        case 2:
            return Cmd(TCommandId::DelRow);
        case 3:
            return room ? Cmd(TCommandId::Insert) : Cmd(TCommandId::Sort);
        case 4:
            return Cmd(TCommandId::Sort);
        case 5: {
            static const char* const names[] = {"a.ump", "b.ump", "bad.ump", nullptr};
            const char* name = names[Below(4)];
            return Cmd(TCommandId::OpenProfile,
                       name ? std::optional<fs::path>(files_ / name) : std::nullopt);
        }
        case 6:
            return Cmd(TCommandId::Import, files_ / (Below(2) ? "points.txt" : "words.txt"));
        case 7:
            return Cmd(TCommandId::SaveProfile,
                       Below(2) ? std::optional<fs::path>(files_ / "s.ump") : std::nullopt);
        case 8:
        case 9:
            return {Action::Name, TCommandId::Info, std::nullopt, 0, 0, texts[Below(texts.size())]};
        case 11: {
            static const TCommandId tools[] = {TCommandId::Invert,    TCommandId::Offset,
                                               TCommandId::Normalize, TCommandId::Smooth,
                                               TCommandId::Resample,  TCommandId::Limit};
            return Cmd(tools[Below(std::size(tools))]);
        }
        case 12:
            return Cmd(TCommandId::ImportMeasurement,
                       files_ / (Below(2) ? "measure.txt" : "words.txt"));
        case 13:
            return Cmd(TCommandId::Export,
                       Below(2) ? std::optional<fs::path>(files_ / "e.frd") : std::nullopt);
        case 10:
            return Select(static_cast<int32_t>(1 + Below(2)),
                          static_cast<int32_t>(Below(static_cast<uint64_t>(grid.RowCount()))));
        default: {
            // Mostly the current cell, so that runs of typing happen.
            int32_t col = grid.Col();
            int32_t row = grid.Row();
            if (Below(3) == 0) {
                col = static_cast<int32_t>(1 + Below(2));
                row = static_cast<int32_t>(Below(static_cast<uint64_t>(grid.RowCount())));
            }
            return Write(col, row, texts[Below(texts.size())]);
        }
        }
    }

    void Step() {
        log_ += "\n";
        const uint64_t roll = Below(20);
        if (roll < 3) {
            Undo();
        } else if (roll < 5) {
            Redo();
        } else if (roll < 6) {
            Notation();
        } else {
            Act(RandomAction());
        }
        EXPECT_EQ(form_.CanUndo(), !done_.empty()) << log_;
        EXPECT_EQ(form_.CanRedo(), !undone_.empty()) << log_;
    }

    void Act(const Action& action) {
        log_ += Describe(action);
        const FormState before = StateOf(form_);
        action.Apply(form_, files_ / "saved");
        const FormState after = StateOf(form_);
        if (action.kind == Action::Select) {
            if (after.col != before.col || after.row != before.row) {
                run_.reset();
            }
            return;
        }
        if (action.kind == Action::Command) {
            run_.reset();
            if (after != before) {
                Push(action, before);
            }
            return;
        }
        const std::pair<int32_t, int32_t> target =
            action.kind == Action::Name ? std::pair(-1, -1) : std::pair(action.col, action.row);
        if (run_ == target && after != before) {
            if (after == runStart_) {
                done_.pop_back();
                run_.reset();
            } else {
                done_.back().action = action;
            }
        } else if (after != before) {
            Push(action, before);
            run_ = target;
            runStart_ = before;
        }
        if (!done_.empty() && after != before) {
            EXPECT_TRUE(done_.back().action.kind == Action::Command ||
                        form_.UndoText() == u"Typing")
                << log_;
        }
    }

    void Push(const Action& action, const FormState& before) {
        run_.reset();
        done_.push_back({action, before.col, before.row, changes_.size()});
        undone_.clear();
    }

    void Undo() {
        log_ += "undo";
        form_.Undo();
        // With nothing to take back, a run of typing goes on.
        if (!done_.empty()) {
            run_.reset();
            EXPECT_EQ(form_.StringGrid1.Col(), done_.back().col);
            EXPECT_EQ(form_.StringGrid1.Row(), done_.back().row);
            undone_.push_back(done_.back());
            done_.pop_back();
        }
    }

    void Redo() {
        log_ += "redo";
        form_.Redo();
        if (!undone_.empty()) {
            run_.reset();
            done_.push_back(undone_.back());
            undone_.pop_back();
        }
    }

    void Notation() {
        log_ += "notation";
        run_.reset();
        const char16_t old = UserNotation.DecimalSeparator;
        const char16_t now = old == u'.' ? u',' : u'.';
        UserNotation.DecimalSeparator = now;
        form_.NotationChanged(old);
        changes_.emplace_back(old, now);
    }

    // A change of notation is no step: the replay makes every change, in its place among the
    // steps in effect.
    void CompareWithReplay(int FurtherActions) {
        const TSoundProfil profile = CurrentSoundProfil;
        const NumberNotation notation = UserNotation;
        const FormState real = StateOf(form_);

        CurrentSoundProfil = TSoundProfil{};
        TForm1 replay;
        QuietDesktop(replay);
        UserNotation = NumberNotation{u'.'};
        std::size_t changed = 0;
        const auto changeNotation = [&](std::size_t upTo) {
            for (; changed < upTo; ++changed) {
                UserNotation.DecimalSeparator = changes_[changed].second;
                replay.NotationChanged(changes_[changed].first);
            }
        };
        for (const ModelStep& step : done_) {
            changeNotation(step.changesBefore);
            replay.StringGrid1.SelectCell(step.col, step.row);
            step.action.Apply(replay, files_ / "replayed");
        }
        changeNotation(changes_.size());
        UserNotation = notation;
        replay.StringGrid1.SelectCell(real.col, real.row);
        EXPECT_EQ(StateOf(replay), real) << "replay of " << done_.size() << " steps" << log_;

        TSoundProfil mineProfile = profile;
        TSoundProfil replayed = CurrentSoundProfil;
        for (int i = 0; i < FurtherActions; ++i) {
            const Action action = RandomAction();
            CurrentSoundProfil = mineProfile;
            action.Apply(form_, files_ / "saved");
            const FormState mine = StateOf(form_);
            mineProfile = CurrentSoundProfil;
            CurrentSoundProfil = replayed;
            action.Apply(replay, files_ / "replayed");
            replayed = CurrentSoundProfil;
            EXPECT_EQ(StateOf(replay), mine) << "after further action " << i;
        }
        CurrentSoundProfil = mineProfile;
    }

    static std::string Describe(const Action& a) {
        switch (a.kind) {
        case Action::Command: {
            const std::pair<TCommandId, const char*> names[] = {
                {TCommandId::Clear, "Clear"},
                {TCommandId::Append, "Append"},
                {TCommandId::DelRow, "Delete"},
                {TCommandId::Insert, "Insert"},
                {TCommandId::Sort, "Sort"},
                {TCommandId::OpenProfile, "Open"},
                {TCommandId::Import, "Import"},
                {TCommandId::SaveProfile, "Save"},
                {TCommandId::Invert, "Invert"},
                {TCommandId::Offset, "Offset"},
                {TCommandId::Normalize, "Normalize"},
                {TCommandId::Smooth, "Smooth"},
                {TCommandId::Resample, "Resample"},
                {TCommandId::Limit, "Limit"},
                {TCommandId::ImportMeasurement, "Import Measurement"},
                {TCommandId::Export, "Export"}};
            std::string name;
            for (const auto& [command, text] : names) {
                if (command == a.command) {
                    name = text;
                }
            }
            return name + " " + (a.file ? a.file->filename().string() : "-");
        }
        case Action::Write:
            return "cell (" + std::to_string(a.col) + ", " + std::to_string(a.row) +
                   ") := " + Utf16ToUtf8(a.text);
        case Action::Name:
            return "name := " + Utf16ToUtf8(a.text);
        case Action::Select:
            return "select (" + std::to_string(a.col) + ", " + std::to_string(a.row) + ")";
        }
        return {};
    }

    std::string log_;
    std::mt19937_64 engine_;
    const Files& files_;
    TForm1 form_;
    std::vector<ModelStep> done_, undone_;
    std::vector<std::pair<char16_t, char16_t>> changes_; // every notation change: old, new
    std::optional<std::pair<int32_t, int32_t>> run_;
    FormState runStart_;
};

TEST_F(EditHistory, AfterAnySequenceTheFormIsWhatReplayingTheStepsInEffectGives) {
    for (uint64_t seed = 1; seed <= 120 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CurrentSoundProfil = TSoundProfil{};
        UserNotation = NumberNotation{u'.'};
        RandomHistory(seed, files_).Run(60);
    }
}

} // namespace
