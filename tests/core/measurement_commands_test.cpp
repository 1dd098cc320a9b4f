#include "main_f.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "measurement_preview.h"
#include "number_text.h"
#include "profile_export.h"
#include "test_support.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"
#include "uStringgrid_VCL.h"

#ifdef _WIN32
#include <windows.h>

#include "platform_win.h"
#endif

namespace {

namespace fs = std::filesystem;
using Floats = std::vector<float>;
using Texts = std::vector<std::u16string>;
using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

// The system's reason for a file that is not there, as the open error words it.
#ifdef _WIN32
const std::string kNoSuchFile = SystemErrorText(ERROR_FILE_NOT_FOUND);
#else
const std::string kNoSuchFile = "No such file or directory";
#endif

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

// A headphone measurement as analysers export it: comment lines with "*", three columns.
const std::string kThreeColumns = "* Measurement of left ear\r\n"
                                  "* Format: 1/48 octave\r\n"
                                  "* Freq(Hz) SPL(dB) Phase(degrees)\r\n"
                                  "20.000000 72.93 -39.03\r\n"
                                  "20.290000 73.11 -38.50\r\n"
                                  "20.580000 73.25\r\n"
                                  "21,5 x 7\r\n";

class MeasurementFiles : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        folder_ = MakeTemporaryFolder("measurement-commands");
    }
    void TearDown() override {
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }
    fs::path Write(const std::string& name, const std::string& bytes) {
        WriteFileBytes(folder_ / name, bytes);
        return folder_ / name;
    }
    fs::path folder_;
};

using MeasurementPreviewTest = MeasurementFiles;

TEST_F(MeasurementPreviewTest, ThreeColumnsOfferEachGainColumnWithItsTitlePointsAndLayout) {
    UserNotation = NumberNotation{u','};
    const fs::path file = Write("left.frd", kThreeColumns);
    const TMeasurementPreview preview = PreviewMeasurement(file);
    EXPECT_EQ(preview.FileName, file);
    EXPECT_EQ(preview.FirstLines,
              Texts({u"* Measurement of left ear", u"* Format: 1/48 octave",
                     u"* Freq(Hz) SPL(dB) Phase(degrees)", u"20.000000 72.93 -39.03",
                     u"20.290000 73.11 -38.50", u"20.580000 73.25", u"21,5 x 7"}));
    ASSERT_EQ(preview.Choices.size(), 2u);

    const TMeasurementChoice& spl = preview.Choices[0];
    EXPECT_EQ(spl.GainColumn, 1);
    EXPECT_EQ(spl.Title, u"SPL(dB)");
    EXPECT_EQ(spl.LayoutText, u"Delimiter: spaces, data lines: 3, skipped lines: 1");
    EXPECT_EQ(spl.Points.DatenXYZ[0], Floats({20.0f, 20.3f, 20.6f}));
    EXPECT_EQ(spl.Points.DatenXYZ[1], Floats({72.93f, 73.11f, 73.25f}));
    // As the table will show them, in the user's notation.
    EXPECT_EQ(spl.FirstRows, Rows({{u"20,0", u"72,93"}, {u"20,3", u"73,11"}, {u"20,6", u"73,25"}}));

    const TMeasurementChoice& phase = preview.Choices[1];
    EXPECT_EQ(phase.GainColumn, 2);
    EXPECT_EQ(phase.Title, u"Phase(degrees)");
    EXPECT_EQ(phase.LayoutText, u"Delimiter: spaces, data lines: 3, skipped lines: 1");
    EXPECT_EQ(phase.Points.DatenXYZ[0], Floats({20.0f, 20.3f, 21.5f}));
    EXPECT_EQ(phase.Points.DatenXYZ[1], Floats({-39.03f, -38.5f, 7.0f}));
}

TEST_F(MeasurementPreviewTest, ChoicesTitlesAndDelimiterWordsForEachKindOfFile) {
    struct Case {
        const char* what;
        std::string text;
        Texts titles;          // one per choice
        std::u16string layout; // of the first choice
    };
    const Case cases[] = {
        {"semicolon, header row",
         "f;g\n20;3,5\n30;4\n",
         {u"g"},
         u"Delimiter: semicolon, data lines: 2, skipped lines: 0"},
        {"tab, no header",
         "20\t1\t2\t3\n30\t1\t2\t3\n",
         {u"Column 2", u"Column 3", u"Column 4"},
         u"Delimiter: tab, data lines: 2, skipped lines: 0"},
        {"comma, header shorter than the columns",
         "Hz,dB\n20.0, 72.93, 1\n30.0, 1, 2\n",
         {u"Column 2", u"Column 3"},
         u"Delimiter: comma, data lines: 2, skipped lines: 0"},
        {"graphic equaliser",
         "GraphicEQ: 20 -1; 40 2.5\n",
         {u"Column 2"},
         u"Delimiter: GraphicEQ line, data lines: 2, skipped lines: 0"},
        // Field 2 counts as numeric on no line it could be a gain of: it is never offered.
        {"a column without numbers",
         "100;1;x;5\n200;2;y;6\n",
         {u"Column 2"},
         u"Delimiter: semicolon, data lines: 2, skipped lines: 0"},
        {"no data", "* nothing\r\nabc;1\r\n", {}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TMeasurementPreview preview = PreviewMeasurement(Write("m.txt", c.text));
        Texts titles;
        for (const TMeasurementChoice& choice : preview.Choices) {
            titles.push_back(choice.Title);
        }
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(preview.Choices.empty() ? u"" : preview.Choices[0].LayoutText, c.layout);
    }
}

TEST_F(MeasurementPreviewTest, FirstLinesAreDecodedAndSplitAsTheImportReadsThem) {
    struct Case {
        const char* what;
        std::string bytes;
        Texts lines;
    };
    std::string many;
    Texts first;
    for (int i = 0; i < 30; ++i) {
        many += std::to_string(100 + i) + ";1\n";
        if (first.size() < kPreviewLines) {
            first.push_back(Utf8ToUtf16(std::to_string(100 + i) + ";1"));
        }
    }
    const Case cases[] = {
        {"LF, CR LF and CR alone, blank lines kept",
         "a\nb\r\n\r\nc\rd",
         {u"a", u"b", u"", u"c", u"d"}},
        {"UTF-16 LE with its mark",
         std::string("\xFF\xFE*\0\xA9\0\r\0\n\0"
                     "1\0",
                     12),
         {u"*\u00A9", u"1"}},
        {"bytes that are no UTF-8: Windows-1252", "* \x80 \xE4\n", {u"* \u20AC \u00E4"}},
        {"only the first lines", many, first},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MeasurementLines(Write("m.txt", c.bytes), kPreviewLines, kPreviewLineLength),
                  c.lines);
    }
}

TEST_F(MeasurementPreviewTest, FirstRowsStopAtTheirLimitWhileThePointsAreAll) {
    std::string text;
    for (std::size_t i = 0; i < kPreviewRows + 5; ++i) {
        text += std::to_string(100 + i) + ";-1.256\n";
    }
    const TMeasurementPreview preview = PreviewMeasurement(Write("m.txt", text));
    ASSERT_EQ(preview.Choices.size(), 1u);
    EXPECT_EQ(preview.Choices[0].Points.DatenXYZ[1].size(), kPreviewRows + 5);
    ASSERT_EQ(preview.Choices[0].FirstRows.size(), kPreviewRows);
    EXPECT_EQ(preview.Choices[0].FirstRows.back(),
              std::make_pair(Utf8ToUtf16(std::to_string(100 + kPreviewRows - 1) + ".0"),
                             std::u16string(u"-1.26")));
}

// A wide file is offered its first gain columns only, and its long lines are shown cut.
TEST_F(MeasurementPreviewTest, AWideFileOffersItsFirstColumnsAndCutsItsLongLines) {
    std::string line = "100";
    for (int32_t column = 1; column < 2000; ++column) {
        // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on "," + text.
        line.append(",").append(std::to_string(column));
    }
    const TMeasurementPreview preview = PreviewMeasurement(Write("wide.csv", line + "\n" + line));
    ASSERT_EQ(preview.Choices.size(), static_cast<std::size_t>(kPreviewGainColumns));
    EXPECT_EQ(preview.Choices.back().GainColumn, kPreviewGainColumns);
    EXPECT_EQ(preview.Choices.back().Points.DatenXYZ[1],
              (std::vector<float>(2, static_cast<float>(kPreviewGainColumns))));
    ASSERT_EQ(preview.FirstLines.size(), 2u);
    EXPECT_EQ(preview.FirstLines[0], Utf8ToUtf16(line.substr(0, kPreviewLineLength)) + u"\u2026");
}

// The whole hertz of a frequency is what the table makes of it: the text Import Measurement
// writes, read back by Update / Sort.
TEST_F(MeasurementPreviewTest, HertzAfterUpdateIsWhatTheTableReadsBack) {
    const Floats frequencies = {20.0f,  20.29f, 20.5f,  20.55f,     20.6f,    21.49f,    0.04f,
                                0.05f,  -0.5f,  -20.5f, 999999.94f, 1e6f,     1.2345e7f, 3.4e38f,
                                1e-30f, 2.5f,   3.5f,   1000.45f,   19999.5f, 0.0f,      -0.0f};
    for (const char16_t separator : {u'.', u','}) {
        UserNotation = NumberNotation{separator};
        TStringGrid grid;
        grid.SetColCount(3);
        grid.SetRowCount(static_cast<int32_t>(frequencies.size()) + 1);
        for (std::size_t i = 0; i < frequencies.size(); ++i) {
            const auto row = static_cast<int32_t>(i + 1);
            grid.SetCells(1, row, FormatFixed(frequencies[i], 6, 1, UserNotation));
            grid.SetCells(2, row, u"0");
        }
        std::vector<std::vector<float>> rows;
        ASSERT_TRUE(GridToProfileRows(grid, 1, 2, rows));
        for (std::size_t i = 0; i < frequencies.size(); ++i) {
            SCOPED_TRACE(testing::Message()
                         << frequencies[i] << " " << static_cast<char>(separator));
            const std::optional<float> hertz = HertzAfterUpdate(frequencies[i]);
            ASSERT_TRUE(hertz.has_value());
            EXPECT_EQ(std::bit_cast<uint32_t>(*hertz), std::bit_cast<uint32_t>(rows[i][0]));
        }
    }
}

TEST_F(MeasurementPreviewTest, CountsThePointsThatShareAWholeHertzAndMergesThem) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::size_t> shared; // per choice
        Floats frequencies, gains;       // the first choice's points merged
    };
    const Case cases[] = {
        {"1/48 octave: 20.0, 20.3, 20.6 Hz give 20, 20, 21, 21, 21",
         "20.0;1;5\n20.3;2;5\n20.6;3;5\n20.9;4;5\n21.2;6;5\n22;7;5\n",
         {5, 5},
         {20, 21, 22},
         {1.5f, 13.0f / 3, 7}},
        {"apart in the file, merged where the first was",
         "100.4;1\n200;2\n99.6;3\n",
         {2},
         {100, 200},
         {2, 2}},
        {"whole hertz apart: nothing to merge", "100;1\n101;2\n", {0}, {100, 101}, {1, 2}},
        {"a column whose frequencies differ counts its own",
         "100.2;1;1\n100.4;2\n300;3;3\n",
         {2, 0},
         {100, 300},
         {1.5f, 3}},
        {"NaN and infinite frequencies share nothing",
         "nan;1\nnan;2\n1e39;3\n1e39;4\n",
         {0},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TMeasurementPreview preview = PreviewMeasurement(Write("m.txt", c.text));
        std::vector<std::size_t> shared;
        for (const TMeasurementChoice& choice : preview.Choices) {
            shared.push_back(choice.SharedHertz);
        }
        EXPECT_EQ(shared, c.shared);
        if (c.frequencies.empty()) {
            const TDatentyp merged = MergedPoints(preview.Choices[0].Points);
            EXPECT_EQ(merged.DatenXYZ[1], preview.Choices[0].Points.DatenXYZ[1]);
            continue;
        }
        const TDatentyp merged = MergedPoints(preview.Choices[0].Points);
        EXPECT_EQ(merged.DatenXYZ[0], c.frequencies);
        EXPECT_EQ(merged.DatenXYZ[1], c.gains);
    }
}

TEST(MeasurementPreviewChart, ShowsExactlyTheChoicesPointsWhateverTheSeriesHeld) {
    struct Case {
        Floats freqs, gains;
        std::vector<double> x, y;
    };
    const Case cases[] = {
        {{200, 100}, {1, 2}, {100, 200}, {2, 1}},
        {{50}, {3}, {50}, {3}},
        {{}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        TLineSeries series;
        series.AddXY(1, 1, u"", TLineSeries::Color);
        series.AddXY(2, 2, u"", TLineSeries::Color);
        TMeasurementChoice choice;
        choice.Points.DatenXYZ[0] = c.freqs;
        choice.Points.DatenXYZ[1] = c.gains;
        ShowChoice(choice, series);
        EXPECT_EQ(series.XValues(), c.x);
        EXPECT_EQ(series.YValues(), c.y);
    }
}

TEST(MeasurementPreviewWords, DelimitersInWords) {
    const std::pair<char16_t, std::u16string> cases[] = {
        {u'\t', u"tab"},   {u';', u"semicolon"},      {u',', u"comma"},
        {u' ', u"spaces"}, {u'G', u"GraphicEQ line"}, {0, u"none"}};
    for (const auto& [delimiter, words] : cases) {
        EXPECT_EQ(DelimiterName(delimiter), words);
    }
}

// The form with every dialog scripted and logged.
class MeasurementCommandsTest : public MeasurementFiles {
protected:
    void SetUp() override {
        MeasurementFiles::SetUp();
        TDesktop& d = form.Desktop;
        d.RunOpenDialog = [this](const TFileDialogSettings& s) {
            dialogs.push_back(s);
            log.push_back("open dialog: " + Narrow(s.Title));
            return Next(openAnswers);
        };
        d.RunSaveDialog = [this](const TFileDialogSettings& s) {
            log.push_back("save dialog: " + Narrow(s.Title));
            return std::optional<fs::path>();
        };
        d.RunSaveDialogWithFilter = [this](const TFileDialogSettings& s) {
            dialogs.push_back(s);
            log.push_back("export dialog: " + Narrow(s.Title));
            return Next(saveAnswers);
        };
        d.PreviewMeasurement = [this](const TMeasurementPreview& p) {
            previews.push_back(p);
            log.push_back("preview: " + std::to_string(p.Choices.size()) + " choices");
            return Next(previewAnswers);
        };
        d.MessageDlg = [this](TMsgDlgType type, TMsgDlgButtons, const std::u16string& text) {
            static const char* const kinds[] = {"warning", "error", "information", "confirmation"};
            log.push_back(std::string(kinds[static_cast<int>(type)]) + ": " + Narrow(text));
            return TModalResult::mrYes;
        };
    }

    template <class T> static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void Type(std::initializer_list<std::pair<std::u16string, std::u16string>> rows) {
        form.StringGrid1.SetRowCount(static_cast<int32_t>(rows.size()) + 1);
        int32_t r = 1;
        for (const auto& [freq, gain] : rows) {
            form.StringGrid1.SetCells(1, r, freq);
            form.StringGrid1.SetCells(2, r++, gain);
        }
    }

    // What the window shows and keeps: table, name, label, chart and points.
    std::string Shown() const {
        // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on chains of +.
        std::string shown;
        for (int32_t r = 1; r < form.StringGrid1.RowCount(); ++r) {
            shown.append("[").append(Narrow(form.StringGrid1.Cells(0, r))).append(",");
            shown.append(Narrow(form.StringGrid1.Cells(1, r))).append(",");
            shown.append(Narrow(form.StringGrid1.Cells(2, r))).append("]");
        }
        shown.append(" name ").append(Narrow(form.Edit1.Text()));
        shown.append(" file ").append(Narrow(form.lbFilename.Text())).append(" chart");
        for (std::size_t i = 0; i < form.Series1.Count(); ++i) {
            shown.append(" ").append(std::to_string(form.Series1.XValues()[i]));
            shown.append(":").append(std::to_string(form.Series1.YValues()[i]));
        }
        shown.append(" points ").append(std::to_string(form.KorrDataTemp.DatenXYZ[0].size()));
        return shown.append("/").append(std::to_string(form.KorrDataTemp.DatenXYZ[1].size()));
    }

    TForm1 form;
    std::vector<std::string> log;
    std::vector<TFileDialogSettings> dialogs;
    std::vector<TMeasurementPreview> previews;
    std::deque<std::optional<fs::path>> openAnswers;
    std::deque<std::optional<TSaveChoice>> saveAnswers;
    std::deque<std::optional<TMeasurementPick>> previewAnswers;
};

TEST_F(MeasurementCommandsTest, ImportTakesTheChosenColumnIntoTableChartNameAndLabel) {
    const fs::path file = Write("Left ear.frd", kThreeColumns);
    Type({{u"1", u"2"}, {u"3", u"4"}, {u"5", u"6"}, {u"7", u"8"}});
    openAnswers = {file};
    previewAnswers = {TMeasurementPick{1, false}};
    form.Execute(TCommandId::ImportMeasurement);

    EXPECT_EQ(log,
              std::vector<std::string>({"open dialog: Import measurement", "preview: 2 choices"}));
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Filter, u"Measurement files|*.txt;*.frd;*.csv;*.cal;*.dat|All|*.*");
    EXPECT_EQ(previews[0].FileName, file);
    EXPECT_EQ(Shown(), "[1,20.0,-39.03][2,20.3,-38.50][3,21.5,7.00] name Left ear file "
                       "Left ear.frd chart 20.000000:-39.029999 20.299999:-38.500000 "
                       "21.500000:7.000000 points 3/3");
    EXPECT_EQ(form.UndoText(), u"Import Measurement");
}

// A 1/48-octave measurement imported with its shared hertz merged reads back through Update /
// Sort with one row per whole hertz; taken as it is, the rows collide.
TEST_F(MeasurementCommandsTest, MergedImportGivesDistinctWholeHertzAfterUpdate) {
    const fs::path file = Write("fine.txt", "20.0;1\n20.29;2\n20.58;3\n20.87;4\n21.16;6\n21.4;7\n");
    for (const bool merge : {true, false}) {
        SCOPED_TRACE(merge);
        openAnswers = {file};
        previewAnswers = {TMeasurementPick{0, merge}};
        form.Execute(TCommandId::ImportMeasurement);
        EXPECT_EQ(previews.back().Choices[0].SharedHertz, 6u);
        form.Execute(&TForm1::acSortExecute);
        std::vector<std::u16string> table;
        for (int32_t r = 1; r < form.StringGrid1.RowCount(); ++r) {
            table.push_back(form.StringGrid1.Cells(1, r) + u";" + form.StringGrid1.Cells(2, r));
        }
        EXPECT_EQ(table, merge ? Texts({u"20;1.5", u"21;5"})
                               : Texts({u"20;1", u"20;2", u"21;3", u"21;4", u"21;6", u"21;7"}));
    }
}

TEST_F(MeasurementCommandsTest, CancelNoDataAndReadErrorsChangeNothing) {
    struct Case {
        const char* what;
        std::optional<fs::path> file;
        std::optional<TMeasurementPick> choice;
        std::vector<std::string> log;
    };
    const fs::path good = Write("good.txt", kThreeColumns);
    const fs::path none = Write("none.txt", "* only\r\nwords;1\r\n");
    const fs::path missing = folder_ / "missing.txt";
    const Case cases[] = {
        {"open dialog cancelled", std::nullopt, std::nullopt, {"open dialog: Import measurement"}},
        {"preview cancelled",
         good,
         std::nullopt,
         {"open dialog: Import measurement", "preview: 2 choices"}},
        {"no data",
         none,
         TMeasurementPick{},
         {"open dialog: Import measurement", "warning: " + Narrow(NoMeasurementDataText(none))}},
        {"missing file",
         missing,
         TMeasurementPick{},
         {"open dialog: Import measurement", "error: Cannot open file \"" +
                                                 Narrow(PathToUtf16(missing)) + "\". " +
                                                 kNoSuchFile + "."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        Type({{u"100", u"1"}});
        form.Execute(&TForm1::acSortExecute);
        const std::string before = Shown();
        openAnswers = {c.file};
        previewAnswers = {c.choice};
        form.Execute(TCommandId::ImportMeasurement);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(Shown(), before);
        EXPECT_EQ(form.UndoText(), u"Update / Sort");
    }
    EXPECT_EQ(NoMeasurementDataText(none),
              u"No measurement data in \"" + PathToUtf16(none) + u"\"");
}

// Everything Update / Sort put into the profile, bit for bit.
std::vector<uint32_t> ProfileBits() {
    std::vector<uint32_t> bits;
    for (const auto& row : CurrentSoundProfil.xyData) {
        for (const float value : row) {
            bits.push_back(std::bit_cast<uint32_t>(value));
        }
    }
    return bits;
}

TEST_F(MeasurementCommandsTest, ExportWritesTheChosenFormatAndImportGivesTheSameFloatsBack) {
    const std::pair<std::size_t, TExportFormat> formats[] = {
        {0, TExportFormat::SemicolonText},
        {1, TExportFormat::Csv},
        {2, TExportFormat::Frd},
        {3, TExportFormat::GraphicEq},
    };
    for (const auto& [index, format] : formats) {
        SCOPED_TRACE(index);
        log.clear();
        dialogs.clear();
        Type({{u"20000", u"-3,333"}, {u"31,5", u"0.125"}, {u"1000", u"-0"}});
        form.Edit1.SetText(u"Cans");
        const fs::path file = folder_ / ("cans" + std::to_string(index));
        saveAnswers = {TSaveChoice{file, index}};
        const std::u16string label = form.lbFilename.Text();
        form.Execute(TCommandId::Export);

        EXPECT_EQ(log, std::vector<std::string>(
                           {"export dialog: Export profile",
                            "information: Profile exported: " + Narrow(PathToUtf16(file))}));
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].Filter, u"Semicolon text|*.txt|CSV|*.csv|FRD|*.frd|GraphicEQ|*.txt");
        EXPECT_EQ(dialogs[0].DefaultExt, u".txt");
        EXPECT_EQ(form.UndoText(), u"Export Profile");
        EXPECT_EQ(form.lbFilename.Text(), label); // the label names the profile's own file
        TSoundProfil written{SoundProfilVersion, u"Cans", CurrentSoundProfil.xyData};
        EXPECT_EQ(ReadFileBytes<std::string>(file), ExportText(written, format));

        const std::vector<uint32_t> sorted = ProfileBits();
        ASSERT_EQ(sorted.size(), 6u);
        openAnswers = {file};
        previewAnswers = {TMeasurementPick{0, false}};
        form.Execute(TCommandId::ImportMeasurement);
        std::vector<uint32_t> imported;
        for (std::size_t i = 0; i < form.KorrDataTemp.DatenXYZ[0].size(); ++i) {
            imported.push_back(std::bit_cast<uint32_t>(form.KorrDataTemp.DatenXYZ[0][i]));
            imported.push_back(std::bit_cast<uint32_t>(form.KorrDataTemp.DatenXYZ[1][i]));
        }
        EXPECT_EQ(imported, sorted);
    }
}

TEST_F(MeasurementCommandsTest, ExportStopsWithSavesMessagesOnATableThatDoesNotRead) {
    const std::vector<std::pair<std::u16string, std::u16string>> tables[] = {
        {}, {{u"100", u"x"}}, {{u"100", u"1"}, {u"200", u""}}, {{u"abc", u"1"}, {u"20", u"2"}}};
    for (const auto& rows : tables) {
        SCOPED_TRACE(rows.size() > 1 ? Narrow(rows[1].first + u";" + rows[1].second) : "");
        std::vector<std::string> saveLog;
        for (TCommandId command : {TCommandId::SaveProfile, TCommandId::Export}) {
            log.clear();
            form.StringGrid1.SetRowCount(static_cast<int32_t>(rows.size()) + 1);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                form.StringGrid1.SetCells(1, static_cast<int32_t>(r + 1), rows[r].first);
                form.StringGrid1.SetCells(2, static_cast<int32_t>(r + 1), rows[r].second);
            }
            form.Execute(command);
            if (command == TCommandId::SaveProfile) {
                saveLog = log;
            }
        }
        ASSERT_FALSE(saveLog.empty());
        EXPECT_EQ(log, saveLog);
        EXPECT_EQ(saveLog.back().rfind("error: ", 0), 0u) << saveLog.back();
    }
}

TEST_F(MeasurementCommandsTest, ExportCancelledWritesNothingAndAValueThatIsNotFiniteIsRefused) {
    Type({{u"100", u"1"}, {u"200", u"2"}});
    form.Execute(TCommandId::Export);
    EXPECT_EQ(log, std::vector<std::string>({"export dialog: Export profile"}));
    EXPECT_TRUE(SortedEntries(folder_).empty());

    log.clear();
    Type({{u"100", u"1"}, {u"200", u"1e39"}});
    saveAnswers = {TSaveChoice{folder_ / "inf.csv", 1}};
    form.Execute(TCommandId::Export);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "export dialog: Export profile");
    EXPECT_EQ(log[1], "error: Cannot export: point 2 holds INF, which is not a finite number.");
    EXPECT_TRUE(SortedEntries(folder_).empty());
}

} // namespace
