#include "chart_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main_f.h"
#include "test_support.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

// A window's form with the chart's row mapping following its table and series.
class ChartRows : public ::testing::Test {
protected:
    ChartRows() {
        UserNotation = NumberNotation{u'.'};
        // As the chart's view does.
        form.Series1.OnChange = [this] { rows.Forget(); };
        form.Desktop.MessageDlg = [this](TMsgDlgType, TMsgDlgButtons, const std::u16string& Text) {
            messages.push_back(Text);
            return TModalResult::mrOk;
        };
        form.Desktop.RunOpenDialog = [this](const TFileDialogSettings&) { return file; };
    }
    ~ChartRows() override {
        form.Series1.OnChange = nullptr;
        if (!folder.empty()) {
            fs::remove_all(folder);
        }
    }

    void Show(std::vector<std::vector<float>> profileRows) {
        CurrentSoundProfil.xyData = std::move(profileRows);
        form.Execute([this] { form.ShowProfile(); });
    }

    void Import(const std::string& text) {
        folder = MakeTemporaryFolder("chart-rows");
        file = folder / "points.txt";
        WriteFileBytes(*file, text);
        form.Execute(&TForm1::acImportExecute);
    }

    // The row of every point of the series, -1 where there is none.
    std::vector<int32_t> AllRows() {
        std::vector<int32_t> all;
        for (std::size_t i = 0; i < form.Series1.Count(); ++i) {
            all.push_back(rows.RowOf(i).value_or(-1));
        }
        return all;
    }

    TForm1 form;
    TChartRows& rows = form.ChartRows;
    std::vector<std::u16string> messages;
    fs::path folder;
    std::optional<fs::path> file;
};

TEST_F(ChartRows, ShownRowsPairWithTheSortedPointsSkippingRowsWithoutAPoint) {
    // Out of order, a row with the frequency alone, and two equal points.
    Show({{1000, 0}, {100, -3}, {500}, {20, 6}, {100, -3}});
    ASSERT_EQ(form.Series1.XValues(), (std::vector<double>{20, 100, 100, 1000}));
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{4, 2, 5, 1}));
    EXPECT_EQ(rows.RowOf(4), std::nullopt);
}

TEST_F(ChartRows, ImportedRowsPairWithThePointsAlthoughTheTableIsWrittenAfterTheChart) {
    Show({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}); // more rows than the import
    Import("f;g\r\nHz;dB\r\n200;3\r\n100;1\r\n50;-2\r\n");
    ASSERT_TRUE(messages.empty());
    ASSERT_EQ(form.Series1.XValues(), (std::vector<double>{50, 100, 200}));
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{3, 2, 1}));
}

TEST_F(ChartRows, SelectingAPointMovesTheCurrentCellToItsGainCellAsTheUsersMove) {
    Show({{300, 1}, {100, 2}, {200, 3}});
    ASSERT_TRUE(rows.SelectRowOf(0)); // 100 Hz
    EXPECT_EQ(form.StringGrid1.Col(), 2);
    EXPECT_EQ(form.StringGrid1.Row(), 2);
    EXPECT_EQ(form.frowindex, 2);
    form.Execute(&TForm1::acInsertExecute); // above it
    ASSERT_TRUE(rows.SelectRowOf(0));
    EXPECT_EQ(form.StringGrid1.Row(), 3);
    EXPECT_EQ(form.frowindex, 3);
    EXPECT_FALSE(rows.SelectRowOf(3)); // no such point
    EXPECT_EQ(form.StringGrid1.Row(), 3);
    EXPECT_EQ(form.frowindex, 3);
}

// The table: the point (200 Hz, 2 dB) stays with its row through typing elsewhere, and
// Delete row takes that row.
TEST_F(ChartRows, TypingAfterShowingNeitherMovesALinkNorMakesDeleteTakeAnotherRow) {
    Show({{100, 1}, {200, 2}, {300}});
    form.StringGrid1.SetCells(2, 3, u"5");
    form.StringGrid1.SetCells(2, 2, u"");
    ASSERT_TRUE(rows.SelectRowOf(1)); // 200 Hz
    EXPECT_EQ(form.StringGrid1.Row(), 2);
    form.Execute(&TForm1::acDelRowExecute);
    EXPECT_EQ(form.StringGrid1.Cells(1, 2), u"300");
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{1, -1}));
}

// Every kind of change between showing the points and asking for their rows, after either way of
// showing them: the table written before the chart (Open, Update / Sort) or after it (Import).
TEST_F(ChartRows, EachPointKeepsItsRowThroughEveryKindOfEditUntilTheRowIsGone) {
    using Change = std::function<void(TForm1&)>;
    const auto select = [](int32_t row) {
        return [row](TForm1& f) { f.StringGrid1.SelectCell(1, row); };
    };
    const auto command = [](void (TForm1::*c)()) { return [c](TForm1& f) { f.Execute(c); }; };
    const auto both = [](Change a, Change b) {
        return [a, b](TForm1& f) {
            a(f);
            b(f);
        };
    };
    struct Case {
        const char* name;
        Change change;
        std::vector<int32_t> rows; // of the points 100, 200, 300 Hz
    };
    // Shown as rows 1: 300 Hz, 2: 100 Hz, 3: 200 Hz, with a fourth, empty row.
    const std::vector<Case> cases = {
        {"nothing", [](TForm1&) {}, {2, 3, 1}},
        {"typing a gain", [](TForm1& f) { f.StringGrid1.SetCells(2, 1, u"7"); }, {2, 3, 1}},
        {"emptying cells",
         [](TForm1& f) {
             f.StringGrid1.SetCells(1, 3, u"");
             f.StringGrid1.SetCells(2, 3, u"");
         },
         {2, 3, 1}},
        {"typing a point into the empty row",
         [](TForm1& f) {
             f.StringGrid1.SetCells(1, 4, u"50");
             f.StringGrid1.SetCells(2, 4, u"9");
         },
         {2, 3, 1}},
        {"moving the current cell", select(3), {2, 3, 1}},
        {"insert above row 2", both(select(2), command(&TForm1::acInsertExecute)), {3, 4, 1}},
        {"insert at the top", both(select(1), command(&TForm1::acInsertExecute)), {3, 4, 2}},
        {"delete row 2", both(select(2), command(&TForm1::acDelRowExecute)), {-1, 2, 1}},
        {"delete row 1", both(select(1), command(&TForm1::acDelRowExecute)), {1, 2, -1}},
        {"delete the last row, then append",
         both(both(select(4), command(&TForm1::acDelRowExecute)),
              both(both(select(3), command(&TForm1::acDelRowExecute)),
                   command(&TForm1::acAppendExecute))),
         {2, -1, 1}},
        {"append", command(&TForm1::acAppendExecute), {2, 3, 1}},
        {"rows exchanged", [](TForm1& f) { f.StringGrid1.ExchangeRows(1, 3); }, {2, 1, 3}},
        {"row moved down", [](TForm1& f) { f.StringGrid1.MoveRow(1, 4); }, {1, 2, 4}},
        {"row moved up", [](TForm1& f) { f.StringGrid1.MoveRow(4, 1); }, {3, 4, 2}},
        {"rows hidden and shown again",
         [](TForm1& f) {
             f.StringGrid1.SetRowCount(2);
             f.StringGrid1.SetRowCount(5);
         },
         {-1, -1, 1}},
        {"clear table", command(&TForm1::acClearExecute), {}},
        {"update / sort", command(&TForm1::acSortExecute), {1, 2, 3}},
        {"insert, then update / sort",
         both(command(&TForm1::acInsertExecute), command(&TForm1::acSortExecute)),
         {1, 2, 3}},
    };
    const std::vector<std::pair<const char*, std::function<void()>>> shows = {
        {"shown from the profile",
         [this] {
             Show({{300, 1}, {100, 2}, {200, 3}, {}});
         }},
        {"imported",
         [this] {
             Show({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}); // more rows than the import
             Import("f;g\r\nHz;dB\r\n300;1\r\n100;2\r\n200;3\r\n");
             form.Execute(&TForm1::acAppendExecute);
         }},
    };
    for (const auto& [how, show] : shows) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(how) + ": " + c.name);
            show();
            ASSERT_EQ(form.Series1.XValues(), (std::vector<double>{100, 200, 300}));
            ASSERT_EQ(form.StringGrid1.RowCount(), 5);
            c.change(form);
            EXPECT_EQ(AllRows(), c.rows);
            // Each row found holds its point's frequency unless the case emptied it.
            for (std::size_t i = 0; i < c.rows.size(); ++i) {
                const std::u16string& text = form.StringGrid1.Cells(1, std::max(c.rows[i], 0));
                if (c.rows[i] > 0 && !text.empty()) {
                    EXPECT_EQ(CellToFloat(text), static_cast<float>(form.Series1.XValues()[i]));
                }
            }
        }
    }
    EXPECT_TRUE(messages.empty());
}

// Undo and Redo put back a table and a chart of earlier: the points have no rows until a command
// shows points again.
TEST_F(ChartRows, ForgottenRowsStayUnknownUntilACommandShowsPoints) {
    Show({{300, 1}, {100, 2}, {200, 3}});
    ASSERT_EQ(AllRows(), (std::vector<int32_t>{2, 3, 1}));
    rows.Forget();
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
    form.Execute(&TForm1::acSortExecute);
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{1, 2, 3}));
    form.Execute(&TForm1::acInsertExecute);
    form.Undo();
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
    form.Execute(&TForm1::acSortExecute); // changes nothing, so the insert can be done again
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{1, 2, 3}));
    form.Redo();
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
}

TEST_F(ChartRows, PointsLinkedToRowsTheChartDoesNotShowHaveNoRows) {
    Show({{300, 1}, {100, 2}, {200, 3}});
    TDatentyp other = form.KorrDataTemp;
    other.DatenXYZ[1][0] = 9; // not what the chart shows
    rows.Link(other, {1, 2, 3});
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
    rows.Link(form.KorrDataTemp, {1, 2, 0}); // the header row
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
    rows.Link(form.KorrDataTemp, {3, 1, 2});
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{1, 2, 3}));
}

} // namespace
