#include "eq_commands.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "main_f.h"
#include "number_text.h"
#include "parametric_eq_file.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

// The messages and dialogs the commands show, one line each; the values dialogs, file dialogs
// and the result window are answered and recorded by the test.
class EqCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        folder_ = MakeTemporaryFolder("eq-commands");
        TDesktop& desktop = form.Desktop;
        desktop.MessageDlg = [this](TMsgDlgType type, TMsgDlgButtons, const std::u16string& text) {
            static const char* const kinds[] = {"warning", "error", "information", "confirmation"};
            log.push_back(std::string(kinds[static_cast<int>(type)]) + ": " + Utf16ToUtf8(text));
            return TModalResult::mrOk;
        };
        desktop.AskValues = [this](const TValueDialog& dialog) {
            valueDialogs.push_back(dialog);
            log.push_back("values: " + Utf16ToUtf8(dialog.Title));
            std::optional<std::vector<std::u16string>> answer;
            if (!valueAnswers.empty()) {
                answer = valueAnswers.front();
                valueAnswers.pop_front();
            }
            return answer;
        };
        const auto file = [this](const char* kind, const TFileDialogSettings& settings) {
            fileDialogs.push_back(settings);
            log.push_back(std::string(kind) + ": " + Utf16ToUtf8(settings.Title));
            return fileAnswer;
        };
        desktop.RunOpenDialog = [file](const TFileDialogSettings& s) { return file("open", s); };
        desktop.RunSaveDialog = [file](const TFileDialogSettings& s) { return file("save", s); };
        desktop.ReferenceRows = [this] { return reference; };
        desktop.ShowParametricEqFit = [this](const TParametricEqFit& fit) {
            log.push_back("fit window");
            fits.push_back(fit);
        };
    }
    void TearDown() override {
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    // Rows typed into the table from row 1 on; the rows below go.
    void Type(const std::vector<std::pair<std::u16string, std::u16string>>& rows) {
        form.StringGrid1.SetRowCount(static_cast<int32_t>(rows.size()) + 1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            form.StringGrid1.SetCells(1, static_cast<int32_t>(i + 1), rows[i].first);
            form.StringGrid1.SetCells(2, static_cast<int32_t>(i + 1), rows[i].second);
        }
    }
    // The visible table below the header: "f;g" per data row.
    std::vector<std::string> Table() const {
        std::vector<std::string> rows;
        for (int32_t r = 1; r < form.StringGrid1.RowCount(); ++r) {
            rows.push_back(Utf16ToUtf8(form.StringGrid1.Cells(1, r)) + ";" +
                           Utf16ToUtf8(form.StringGrid1.Cells(2, r)));
        }
        return rows;
    }
    // The rows as the table shows them, in the table's texts.
    static std::vector<std::string> Texts(const TProfileRows& rows) {
        std::vector<std::string> texts;
        for (const std::vector<float>& row : rows) {
            texts.push_back(Utf16ToUtf8(FormatGeneral(row[0], UserNotation)) + ";" +
                            Utf16ToUtf8(FormatGeneral(row[1], UserNotation)));
        }
        return texts;
    }

    fs::path folder_;
    TForm1 form;
    std::vector<std::string> log;
    std::deque<std::optional<std::vector<std::u16string>>> valueAnswers; // none left: Cancel
    std::vector<TValueDialog> valueDialogs;
    std::vector<TFileDialogSettings> fileDialogs;
    std::optional<fs::path> fileAnswer;
    std::optional<TProfileRows> reference;
    std::vector<TParametricEqFit> fits;
};

const std::vector<std::pair<std::u16string, std::u16string>> kMeasured = {
    {u"10000", u"-4"}, {u"100", u"2"}, {u"", u""}, {u"1000", u"1"}};

TEST_F(EqCommandsTest, WithoutAReferenceTheCommandsSaySoAndChangeNothing) {
    for (const TCommandId command :
         {TCommandId::Correction, TCommandId::SubtractReference, TCommandId::AddReference}) {
        SCOPED_TRACE(static_cast<int>(command));
        Type(kMeasured);
        log.clear();
        form.Execute(command);
        EXPECT_EQ(log, std::vector<std::string>{"information: Load a reference curve first."});
        EXPECT_EQ(Table(), (std::vector<std::string>{"10000;-4", "100;2", ";", "1000;1"}));
        EXPECT_EQ(form.Series1.Count(), 0u);
        EXPECT_EQ(form.UndoText(), u"Typing");
    }
}

TEST_F(EqCommandsTest, CorrectionToReferenceAsksTheSettingsAndIsOneStep) {
    reference = TProfileRows{{100, 5}, {10000, 0}}; // 2.5 dB at 1000 Hz
    Type(kMeasured);
    UserNotation = NumberNotation{u','};
    // A refusal asks again with the texts given; German and US numbers read alike.
    valueAnswers = {std::vector<std::u16string>{u"0", u"6", u"20"},
                    std::vector<std::u16string>{u"1000", u"-1", u"20"},
                    std::vector<std::u16string>{u"100", u"4,5", u"1.5"}};
    form.Execute(TCommandId::Correction);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "values: Correction to Reference",
                       "warning: The frequency must be above 0 Hz.",
                       "values: Correction to Reference",
                       "warning: The max boost and the max cut must not be below 0 dB.",
                       "values: Correction to Reference",
                   }));
    ASSERT_EQ(valueDialogs.size(), 3u);
    std::vector<std::u16string> defaults;
    for (const TValueField& field : valueDialogs[0].Fields) {
        defaults.push_back(field.Text);
    }
    EXPECT_EQ(defaults, (std::vector<std::u16string>{u"1000", u"6", u"20"}));
    EXPECT_EQ(valueDialogs[1].Fields[0].Text, u"0"); // the refused text comes back
    // Differences 3, 1.5 and 4 dB, less 3 dB at 100 Hz, within +4.5 and -1.5 dB; the empty row
    // went as Update / Sort drops it.
    EXPECT_EQ(Table(), (std::vector<std::string>{"100;0", "1000;-1,5", "10000;1"}));
    EXPECT_EQ(form.Series1.Count(), 3u);
    EXPECT_EQ(form.UndoText(), u"Correction to Reference");
    form.Undo();
    EXPECT_EQ(Table(), (std::vector<std::string>{"10000;-4", "100;2", ";", "1000;1"}));

    log.clear();
    form.Execute(TCommandId::Correction); // Cancel
    EXPECT_EQ(log, std::vector<std::string>{"values: Correction to Reference"});
    EXPECT_EQ(Table(), (std::vector<std::string>{"10000;-4", "100;2", ";", "1000;1"}));
}

TEST_F(EqCommandsTest, SubtractAndAddReferenceChangeEachPointByTheReference) {
    struct Case {
        TCommandId command;
        std::u16string caption;
        std::vector<std::string> table;
    };
    const Case cases[] = {
        {TCommandId::SubtractReference, u"Subtract Reference", {"100;-3", "1000;-1.5", "10000;-4"}},
        {TCommandId::AddReference, u"Add Reference", {"100;7", "1000;3.5", "10000;-4"}},
    };
    reference = TProfileRows{{100, 5}, {10000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.caption));
        Type(kMeasured);
        log.clear();
        form.Execute(c.command);
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(Table(), c.table);
        EXPECT_EQ(form.UndoText(), c.caption);
    }
}

TEST_F(EqCommandsTest, ReferenceToolsRefuseGainsBeyondTheLimit) {
    reference = TProfileRows{{100, 990}};
    Type({{u"100", u"20"}});
    form.Execute(TCommandId::AddReference);
    EXPECT_EQ(log, std::vector<std::string>{
                       "information: The result would take the gain of row 1 beyond the limit of "
                       "-1000 to 1000 dB; the profile stays as it is."});
    EXPECT_EQ(form.Series1.Count(), 0u);
}

TEST_F(EqCommandsTest, FitAsksTheSettingsShowsTheResultAndChangesNothing) {
    // A target the fit can match: a dip and a lift at the top, at 1/12-octave points.
    const TParametricEq made{
        0, {{TFilterType::Peaking, 300, -6, 1.5}, {TFilterType::HighShelf, 6000, 4, 0.7}}};
    const TProfileRows target = RenderParametricEq(made, 48000, 12);
    std::vector<std::pair<std::u16string, std::u16string>> typed;
    for (const std::vector<float>& row : target) {
        typed.push_back({FormatGeneral(row[0], UserNotation), FormatGeneral(row[1], UserNotation)});
    }
    Type(typed);
    form.Execute(TCommandId::Sort);
    const std::vector<std::string> shown = Table();
    const std::u16string before = form.UndoText();

    UserNotation = NumberNotation{u','};
    valueAnswers = {
        std::vector<std::u16string>{u"33", u"48000", u"20", u"20000", u"0,18", u"6", u"12", u"1"},
        std::vector<std::u16string>{u"10", u"48000", u"20", u"24000", u"0.18", u"6", u"12", u"1"},
        std::vector<std::u16string>{u"4", u"44100", u"30", u"18000", u"0,55", u"5.5", u"9", u"0"}};
    form.Execute(TCommandId::FitParametricEq);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "values: Fit Parametric EQ",
                       "warning: The number of filters must be a whole number from 1 to 32, not "
                       "33.",
                       "values: Fit Parametric EQ",
                       "warning: The highest frequency must lie below half the sample rate, "
                       "24000 Hz.",
                       "values: Fit Parametric EQ",
                       "fit window",
                   }));
    std::vector<std::u16string> defaults;
    for (const TValueField& field : valueDialogs.at(0).Fields) {
        defaults.push_back(field.Text);
    }
    EXPECT_EQ(defaults, (std::vector<std::u16string>{u"10", u"48000", u"20", u"20000", u"0,18",
                                                     u"6", u"12", u"1"}));
    EXPECT_TRUE(valueDialogs[0].Fields.back().CheckBox);

    // The result is the fit of the rows as Update / Sort reads them, with the settings given.
    ASSERT_EQ(fits.size(), 1u);
    TFitSettings settings;
    settings = {4, 44100, 30, 18000, 0.55, 5.5, 9, false};
    const TFitResult expected = FitParametricEq(CurrentSoundProfil.xyData, settings);
    EXPECT_EQ(ParametricEqText(fits[0].Result), ParametricEqText(expected));
    EXPECT_EQ(fits[0].Result.RmsErrorDb, expected.RmsErrorDb);
    for (const TFilter& filter : fits[0].Result.Filters) {
        EXPECT_EQ(filter.Type, TFilterType::Peaking);
    }
    EXPECT_EQ(Texts(fits[0].Response),
              Texts(RenderParametricEq({expected.PreampDb, expected.Filters}, 44100, 48)));
    // The table stays as it was and no step is made.
    UserNotation = NumberNotation{u'.'};
    EXPECT_EQ(Table(), shown);
    EXPECT_EQ(form.UndoText(), before);

    // Export: a save dialog that asks before replacing, the text written, a message.
    const fs::path file = folder_ / "fit.txt";
    fileAnswer = file;
    log.clear();
    fits[0].Export();
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_EQ(fileDialogs[0].Filter, u"Parametric EQ|*.txt");
    EXPECT_EQ(fileDialogs[0].DefaultExt, u".txt");
    EXPECT_TRUE(fileDialogs[0].ConfirmOverwrite);
    EXPECT_EQ(ReadFileBytes<std::string>(file), ParametricEqText(expected));
    EXPECT_EQ(log, (std::vector<std::string>{"save: Export parametric EQ",
                                             "information: Parametric EQ exported: " +
                                                 Utf16ToUtf8(PathToUtf16(file))}));
    EXPECT_EQ(form.UndoText(), before);
}

TEST_F(EqCommandsTest, FitWithTooFewPointsShowsTheFitsMessage) {
    Type({{u"1000", u"1"}});
    valueAnswers = {
        std::vector<std::u16string>{u"10", u"48000", u"20", u"20000", u"0.18", u"6", u"12", u"1"}};
    form.Execute(TCommandId::FitParametricEq);
    EXPECT_EQ(log, (std::vector<std::string>{"values: Fit Parametric EQ",
                                             "error: Not enough points to fit."}));
    EXPECT_TRUE(fits.empty());
}

TEST_F(EqCommandsTest, ImportParametricEqShowsItsResponseAsOpenShowsAProfile) {
    const fs::path file = folder_ / "Room EQ.txt";
    WriteFileBytes(file,
                   std::string("Preamp: -4.5 dB\r\nFilter 1: ON PK Fc 100 Hz Gain -6.0 dB "
                               "Q 2.00\r\nFilter 2: ON HSC Fc 8000 Hz Gain 3.0 dB Q 0.71\r\n"));
    Type(kMeasured);
    fileAnswer = file;
    form.Execute(TCommandId::ImportParametricEq);
    EXPECT_EQ(log, std::vector<std::string>{"open: Import parametric EQ"});
    EXPECT_EQ(fileDialogs.at(0).Filter, u"Parametric EQ|*.txt|All|*.*");
    EXPECT_EQ(Table(), Texts(RenderParametricEq(ReadParametricEq(file), 48000, 48)));
    EXPECT_EQ(form.Series1.Count(), Table().size());
    EXPECT_EQ(form.Edit1.Text(), u"Room EQ");
    EXPECT_EQ(form.lbFilename.Text(), u"Room EQ.txt");
    EXPECT_EQ(form.UndoText(), u"Import Parametric EQ");
    EXPECT_TRUE(form.FormCloseQuery()); // counts as saved, as an import does
    form.Undo();
    EXPECT_EQ(Table(), (std::vector<std::string>{"10000;-4", "100;2", ";", "1000;1"}));

    // A file that does not read: its message, and the profile stays.
    const fs::path bad = folder_ / "bad.txt";
    WriteFileBytes(bad, std::string("# nothing here\r\n"));
    fileAnswer = bad;
    log.clear();
    form.Execute(TCommandId::ImportParametricEq);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].rfind("error: No filters in ", 0), 0u) << log[1];
    EXPECT_EQ(Table(), (std::vector<std::string>{"10000;-4", "100;2", ";", "1000;1"}));
    EXPECT_EQ(form.Edit1.Text(), u"?");
}

TEST(ParametricEqTexts, ListTheFiltersInTheUsersNotation) {
    const TFitResult result{{{TFilterType::LowShelf, 45, 4.5, 0.7},
                             {TFilterType::Peaking, 105, -3.2, 1.41},
                             {TFilterType::HighShelf, 12000, -10, 2}},
                            -4.6,
                            0.4251};
    UserNotation = NumberNotation{u','};
    const TParametricEqTexts texts = ParametricEqTexts(result);
    UserNotation = NumberNotation{u'.'};
    using Row = std::array<std::u16string, 4>;
    EXPECT_EQ(texts.Filters, (std::vector<Row>{{u"Low shelf", u"45", u"4,5", u"0,70"},
                                               {u"Peaking", u"105", u"-3,2", u"1,41"},
                                               {u"High shelf", u"12000", u"-10,0", u"2,00"}}));
    EXPECT_EQ(texts.Preamp, u"Preamp: -4,6 dB");
    EXPECT_EQ(texts.Error, u"RMS error: 0,43 dB");
}

} // namespace
