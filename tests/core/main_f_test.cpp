#include "main_f.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "number_text.h"

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { UserNotation = NumberNotation{u'.'}; }
    void TearDown() override { UserNotation = NumberNotation{u'.'}; }

    std::vector<std::u16string> Column(int32_t col) const {
        std::vector<std::u16string> texts;
        for (int32_t r = 1; r < form.StringGrid1.RowCount(); ++r) {
            texts.push_back(form.StringGrid1.Cells(col, r));
        }
        return texts;
    }

    static TDatentyp Series(std::vector<float> freqs, std::vector<float> gains) {
        TDatentyp series;
        series.DatenXYZ[0] = std::move(freqs);
        series.DatenXYZ[1] = std::move(gains);
        return series;
    }

    TForm1 form;
};

TEST_F(FormTest, StartsWithTheHeaderRowAloneAndItIsSelectable) {
    const TStringGrid& grid = form.StringGrid1;
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.Cells(0, 0), u"Index");
    EXPECT_EQ(grid.Cells(1, 0), u"f(Hz)");
    EXPECT_EQ(grid.Cells(2, 0), u"Gain(dB)");
    EXPECT_EQ(grid.ColWidth(0), 0);
    EXPECT_EQ(grid.ColWidth(1), 64);
    EXPECT_EQ(grid.ColWidth(2), 64);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(form.frowindex, 0);
    EXPECT_TRUE(grid.IsCellEditable(2, 0));
    EXPECT_FALSE(grid.IsCellEditable(0, 0));
}

TEST_F(FormTest, SelectionReportDrivesInsertAndDelete) {
    TStringGrid& grid = form.StringGrid1;
    InsertGridRow(form.frowindex, grid); // frowindex 0 inserts before the first data row
    EXPECT_EQ(grid.RowCount(), 2);
    DeleteGridRow(form.frowindex, grid); // row 0 is never deleted
    EXPECT_EQ(grid.RowCount(), 2);

    ProfileRowsToGrid({{10, 1}, {20, 2}, {30, 3}, {40, 4}}, grid, 1, 2);
    ASSERT_TRUE(grid.SelectCell(2, 4));
    EXPECT_EQ(form.frowindex, 4);
    DeleteGridRow(form.frowindex, grid);
    EXPECT_EQ(form.frowindex, 3); // followed the shrink
    DeleteGridRow(form.frowindex, grid);
    EXPECT_EQ(Column(1), (std::vector<std::u16string>{u"10", u"20"}));
    EXPECT_EQ(form.frowindex, 2);
    EXPECT_EQ(grid.Col(), 2);
}

TEST_F(FormTest, ClearTableBlanksOnlyTheValueCellsOfVisibleDataRows) {
    form.ShowImportedData(Series({10, 20, 30}, {1, 2, 3}));
    form.StringGrid1.SetRowCount(3);
    form.ClearTable();
    EXPECT_EQ(form.StringGrid1.RowCount(), 3);
    EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"1", u"2"}));
    EXPECT_EQ(Column(1), (std::vector<std::u16string>{u"", u""}));
    EXPECT_EQ(Column(2), (std::vector<std::u16string>{u"", u""}));
    EXPECT_EQ(form.StringGrid1.Cells(1, 3), u"30.0"); // behind the end
    EXPECT_EQ(form.StringGrid1.Cells(1, 0), u"f(Hz)");
}

// The display texts of the same stored floats: general (profile rows), and the fixed formats of
// imported frequencies and gains.
TEST_F(FormTest, DisplayFormatsOfTableValues) {
    struct Case {
        float value;
        std::u16string general, frequency, gain;
    };
    const std::vector<Case> cases = {
        {1000.0f, u"1000", u"1000.0", u"1000.00"},
        {31.5f, u"31.5", u"31.5", u"31.50"},
        {20.25f, u"20.25", u"20.3", u"20.25"},
        {-3.3f, u"-3.29999995231628", u"-3.3", u"-3.30"},
        {0.1f, u"0.100000001490116", u"0.1", u"0.10"},
        {0.0001f, u"9.99999974737875E-5", u"0.0", u"0.00"},
        {-0.004f, u"-0.00400000018998981", u"0.0", u"0.00"},
        {1.234567e6f, u"1234567", u"1.23457E6", u"1.2346E06"},
        {1.234567e5f, u"123456.703125", u"123457.0", u"1.2346E05"},
    };
    std::vector<float> values;
    std::vector<std::vector<float>> rows;
    std::vector<std::u16string> general, frequency, gain, index;
    for (const Case& c : cases) {
        values.push_back(c.value);
        rows.push_back({c.value, c.value});
        general.push_back(c.general);
        frequency.push_back(c.frequency);
        gain.push_back(c.gain);
        index.push_back(std::u16string(1, static_cast<char16_t>(u'0' + index.size() + 1)));
    }
    form.ShowImportedData(Series(values, values));
    EXPECT_EQ(Column(0), index);
    EXPECT_EQ(Column(1), frequency);
    EXPECT_EQ(Column(2), gain);

    ProfileRowsToGrid(rows, form.StringGrid1, 1, 2);
    EXPECT_EQ(Column(1), general);
    EXPECT_EQ(Column(2), general);
    EXPECT_EQ(Column(0), index); // profile rows never write the index column
}

TEST_F(FormTest, ShowImportedDataWithoutPointsOnlyClears) {
    form.ShowImportedData(Series({1000, 2000, 4000}, {0, -3.3f, 1}));
    EXPECT_EQ(form.StringGrid1.RowCount(), 4);
    EXPECT_EQ(Column(2), (std::vector<std::u16string>{u"0.00", u"-3.30", u"1.00"}));

    form.ShowImportedData(Series({}, {}));
    EXPECT_EQ(form.StringGrid1.RowCount(), 4);
    EXPECT_EQ(Column(0), (std::vector<std::u16string>{u"1", u"2", u"3"}));
    EXPECT_EQ(Column(1), (std::vector<std::u16string>{u"", u"", u""}));
    EXPECT_EQ(Column(2), (std::vector<std::u16string>{u"", u"", u""}));
}

TEST_F(FormTest, ShowImportedDataNeverReadsPastTheFrequencies) {
    form.ShowImportedData(Series({50}, {1, 2}));
    EXPECT_EQ(Column(1), (std::vector<std::u16string>{u"50.0", u""}));
    EXPECT_EQ(Column(2), (std::vector<std::u16string>{u"1.00", u"2.00"}));
}

TEST_F(FormTest, ImportedValuesUseTheUserNotation) {
    UserNotation = NumberNotation{u','};
    form.ShowImportedData(Series({31.5f}, {-3.3f}));
    EXPECT_EQ(Column(1), (std::vector<std::u16string>{u"31,5"}));
    EXPECT_EQ(Column(2), (std::vector<std::u16string>{u"-3,30"}));
}

} // namespace
