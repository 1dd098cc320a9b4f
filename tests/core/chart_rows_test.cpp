#include "chart_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
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
    ChartRows() : rows(form.StringGrid1, form.Series1, form.KorrDataTemp, 1, 2) {
        UserNotation = NumberNotation{u'.'};
        form.Series1.OnChange = [this] { rows.SeriesChanged(); };
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
    TChartRows rows;
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
    form.Execute(&TForm1::acInsertExecute);
    EXPECT_FALSE(rows.SelectRowOf(2));
    EXPECT_EQ(form.StringGrid1.Row(), 2);
    EXPECT_EQ(form.frowindex, 2);
}

// What happens to the table after the chart was shown decides whether a point still has a row.
TEST_F(ChartRows, RowsHoldUntilARowIsInsertedDeletedAppendedOrMovedAndCommandsThatShowRenewThem) {
    struct Case {
        const char* name;
        std::function<void(TForm1&)> change;
        std::vector<int32_t> rows;
    };
    const std::vector<Case> cases = {
        {"nothing", [](TForm1&) {}, {2, 3, 1}},
        {"typing into a cell", [](TForm1& f) { f.StringGrid1.SetCells(2, 1, u"7"); }, {2, 3, 1}},
        {"typing empties a cell", [](TForm1& f) { f.StringGrid1.SetCells(2, 3, u""); }, {2, 3, 1}},
        {"moving the current cell", [](TForm1& f) { f.StringGrid1.SelectCell(1, 3); }, {2, 3, 1}},
        {"insert", [](TForm1& f) { f.Execute(&TForm1::acInsertExecute); }, {-1, -1, -1}},
        {"delete", [](TForm1& f) { f.Execute(&TForm1::acDelRowExecute); }, {-1, -1, -1}},
        {"append", [](TForm1& f) { f.Execute(&TForm1::acAppendExecute); }, {-1, -1, -1}},
        {"rows exchanged", [](TForm1& f) { f.StringGrid1.ExchangeRows(1, 2); }, {-1, -1, -1}},
        {"clear table", [](TForm1& f) { f.Execute(&TForm1::acClearExecute); }, {}},
        {"update / sort", [](TForm1& f) { f.Execute(&TForm1::acSortExecute); }, {1, 2, 3}},
        {"insert, then update / sort",
         [](TForm1& f) {
             f.Execute(&TForm1::acInsertExecute);
             f.Execute(&TForm1::acSortExecute);
         },
         {1, 2, 3}},
        {"insert, then undo", // taken back, but the rows were moved meanwhile
         [](TForm1& f) {
             f.Execute(&TForm1::acInsertExecute);
             f.Undo();
         },
         {-1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show({{300, 1}, {100, 2}, {200, 3}});
        form.StringGrid1.SelectCell(1, 2);
        ASSERT_EQ(AllRows(), (std::vector<int32_t>{2, 3, 1})); // built before the change too
        c.change(form);
        EXPECT_EQ(AllRows(), c.rows);
    }
    EXPECT_TRUE(messages.empty());
}

// Undo can put back a chart whose rows were inserted, deleted or moved since; Forget leaves the
// points without rows until a command shows points again.
TEST_F(ChartRows, ForgottenRowsStayUnknownUntilACommandShowsPoints) {
    Show({{300, 1}, {100, 2}, {200, 3}});
    ASSERT_EQ(AllRows(), (std::vector<int32_t>{2, 3, 1}));
    rows.Forget();
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
    form.Execute(&TForm1::acSortExecute);
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(ChartRows, AChartThatDoesNotShowTheSourceHasNoRows) {
    Show({{300, 1}, {100, 2}, {200, 3}});
    form.KorrDataTemp.DatenXYZ[1][0] = 9; // the source no longer gives the chart's points
    EXPECT_EQ(AllRows(), (std::vector<int32_t>{-1, -1, -1}));
}

} // namespace
