#include "uStringgrid_VCL.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "number_text.h"

namespace {

using Row = std::array<std::u16string, 3>; // index, frequency, gain
using Rows = std::vector<Row>;
using ::testing::ElementsAre;

std::u16string Num(unsigned long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// g++ 12 at -O3 warns falsely (-Wrestrict) where a literal is put before a temporary text.
std::u16string Prefixed(const char16_t* prefix, const std::u16string& text) {
    return std::u16string(prefix) + text;
}

class TableTest : public ::testing::Test {
protected:
    void SetUp() override { UserNotation = NumberNotation{u'.'}; }
    void TearDown() override { UserNotation = NumberNotation{u'.'}; }

    // A profile table with the header row and the given data rows.
    static TStringGrid Table(const Rows& data) {
        TStringGrid grid;
        grid.SetColCount(3);
        grid.SetRowCount(static_cast<int32_t>(data.size()) + 1);
        grid.SetCells(0, 0, u"Index");
        grid.SetCells(1, 0, u"f(Hz)");
        grid.SetCells(2, 0, u"Gain(dB)");
        for (std::size_t r = 0; r < data.size(); ++r) {
            for (int32_t c = 0; c < 3; ++c) {
                grid.SetCells(c, static_cast<int32_t>(r + 1), data[r][c]);
            }
        }
        return grid;
    }

    // Rows first..last as stored, also behind the row count.
    static Rows Stored(const TStringGrid& grid, int32_t first, int32_t last) {
        Rows rows;
        for (int32_t r = first; r <= last; ++r) {
            rows.push_back({grid.Cells(0, r), grid.Cells(1, r), grid.Cells(2, r)});
        }
        return rows;
    }
    static Rows Data(const TStringGrid& grid) { return Stored(grid, 1, grid.RowCount() - 1); }
};

// ---- model ----

TEST_F(TableTest, TextsHiddenByShrinkingShowAgainWhenRowsAreAppended) {
    Rows ten;
    for (int i = 1; i <= 10; ++i) {
        const std::u16string n(1, static_cast<char16_t>(u'A' + i));
        ten.push_back({n, u"f" + n, u"g" + n});
    }
    TStringGrid grid = Table(ten);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.RowCount(), 5);
    for (int i = 0; i < 3; ++i) {
        AppendGridRow(grid);
    }
    EXPECT_EQ(grid.RowCount(), 8);
    EXPECT_EQ(Data(grid), Rows(ten.begin(), ten.begin() + 7));

    grid.SetRowCount(-7);
    EXPECT_EQ(grid.RowCount(), 1);
    AppendGridRow(grid);
    EXPECT_EQ(Data(grid), Rows{ten[0]});
}

TEST_F(TableTest, FixedRowDropsWhenTheRowCountReachesIt) {
    TStringGrid grid;
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_FALSE(grid.SelectCell(1, 0));
    grid.SetRowCount(1);
    EXPECT_EQ(grid.FixedRows(), 0);
    grid.SetRowCount(4);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_TRUE(grid.SelectCell(2, 0));
    EXPECT_TRUE(grid.IsCellEditable(1, 0));
    EXPECT_FALSE(grid.SelectCell(0, 1)); // the fixed column
    EXPECT_FALSE(grid.SelectCell(1, 4));
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 0);
}

TEST_F(TableTest, OutOfGridAccessRaisesInsteadOfCorrupting) {
    TStringGrid grid = Table({{u"1", u"10", u"0"}});
    EXPECT_EQ(grid.Cells(7, 900), u""); // reading behind the ends is allowed
    EXPECT_THROW(grid.Cells(-1, 0), std::out_of_range);
    EXPECT_THROW(grid.SetCells(3, 1, u"x"), std::out_of_range);
    EXPECT_THROW(grid.SetCells(1, 2, u"x"), std::out_of_range);
    EXPECT_THROW(grid.ExchangeRows(1, 2), std::out_of_range);
    EXPECT_THROW(grid.MoveRow(-1, 1), std::out_of_range);
}

// A shrink that leaves the current row outside moves it to the new last row and reports the move
// once, both to the selection handler and to viewers; a shrink that leaves it inside reports no
// move.
TEST_F(TableTest, CurrentCellFollowsAShrinkWithExactlyOneReport) {
    TStringGrid grid = Table(Rows(8, {u"1", u"10", u"0"}));
    std::vector<std::pair<int32_t, int32_t>> selections;
    int moves = 0;
    grid.OnSelectCell = [&](int32_t c, int32_t r) { selections.emplace_back(c, r); };
    grid.OnChange = [&](const TGridChange& change) {
        moves += change.Kind == TGridChangeKind::CurrentCellMoved;
    };
    ASSERT_TRUE(grid.SelectCell(2, 7));
    selections.clear();
    moves = 0;

    grid.SetRowCount(3);
    EXPECT_THAT(selections, ElementsAre(std::pair{2, 2}));
    EXPECT_EQ(moves, 1);

    grid.SetRowCount(6);
    grid.SetRowCount(4);
    DeleteGridRow(1, grid);
    EXPECT_THAT(selections, ElementsAre(std::pair{2, 2}));
    EXPECT_EQ(moves, 1);
}

// A viewer that copies the texts only of what the reports name stays equal to the model through
// every operation, and reports stay inside the table as it stands.
TEST_F(TableTest, ReportsLetAViewerFollowEveryChange) {
    TStringGrid grid = Table({{u"1", u"300", u"1"}, {u"2", u"100", u"2"}, {u"3", u"", u""}});
    int32_t rowCount = grid.RowCount();
    std::vector<Row> view = Stored(grid, 0, rowCount - 1);
    int32_t col = grid.Col();
    int32_t row = grid.Row();
    int reports = 0;
    grid.OnChange = [&](const TGridChange& change) {
        ++reports;
        switch (change.Kind) {
        case TGridChangeKind::CurrentCellMoved:
            col = change.FirstCol;
            row = change.FirstRow;
            return;
        case TGridChangeKind::RowsInserted:
            ASSERT_EQ(change.FirstRow, rowCount);
            rowCount = change.LastRow + 1;
            break;
        case TGridChangeKind::RowsRemoved:
            ASSERT_EQ(change.LastRow, rowCount - 1);
            rowCount = change.FirstRow;
            break;
        case TGridChangeKind::CellsChanged:
        case TGridChangeKind::Layout:
            break;
        }
        ASSERT_EQ(rowCount, grid.RowCount());
        ASSERT_LE(0, change.FirstRow);
        ASSERT_LE(0, change.FirstCol);
        ASSERT_LT(change.LastCol, grid.ColCount());
        view.resize(static_cast<std::size_t>(rowCount));
        if (change.Kind == TGridChangeKind::RowsRemoved) {
            return;
        }
        ASSERT_LT(change.LastRow, rowCount);
        for (int32_t r = change.FirstRow; r <= change.LastRow; ++r) {
            for (int32_t c = change.FirstCol; c <= change.LastCol; ++c) {
                view[r][c] = grid.Cells(c, r);
            }
        }
    };
    const auto expectInStep = [&](const char* step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(rowCount, grid.RowCount());
        EXPECT_EQ(view, Stored(grid, 0, grid.RowCount() - 1));
        EXPECT_EQ(col, grid.Col());
        EXPECT_EQ(row, grid.Row());
    };

    grid.SetCells(2, 2, u"-4");
    expectInStep("edit");
    ASSERT_TRUE(grid.SelectCell(1, 3));
    InsertGridRow(2, grid);
    expectInStep("insert");
    DeleteGridRow(1, grid);
    expectInStep("delete");
    RemoveEmptyRows(grid);
    expectInStep("remove empty rows");
    SortGridRows(grid, 1, true);
    expectInStep("sort");
    AppendGridRow(grid);
    expectInStep("append");

    std::vector<std::vector<float>> many(1000, {50.0f, -1.5f});
    reports = 0;
    ProfileRowsToGrid(many, grid, 1, 2);
    expectInStep("profile rows");
    EXPECT_EQ(reports, 2); // rows inserted, then all their texts at once
    SortGridRows(grid, 1, false);
    expectInStep("sort of equal keys");
}

// ---- row operations ----

const Row kA{u"1", u"10", u"1.5"};
const Row kB{u"2", u"20", u"2.5"};
const Row kC{u"3", u"30", u"3.5"};
const Row kStar{u"*", u"", u""};

TEST_F(TableTest, DeleteGridRowShiftsTheRestAndLeavesTheLastRowBehind) {
    struct Case {
        int32_t position;
        Rows shown;       // data rows after the delete
        Rows afterAppend; // data rows after one AppendGridRow
    };
    const Case cases[] = {
        {3, {kA, kB}, {kA, kB, kC}},         {2, {kA, kC}, {kA, kC, kC}},
        {1, {kB, kC}, {kB, kC, kC}},         {0, {kA, kB, kC}, {kA, kB, kC, {}}},
        {4, {kA, kB, kC}, {kA, kB, kC, {}}}, {-1, {kA, kB, kC}, {kA, kB, kC, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        TStringGrid grid = Table({kA, kB, kC});
        DeleteGridRow(c.position, grid);
        EXPECT_EQ(Data(grid), c.shown);
        AppendGridRow(grid);
        EXPECT_EQ(Data(grid), c.afterAppend);
        EXPECT_EQ(grid.Cells(0, 0), u"Index");
    }
}

TEST_F(TableTest, InsertGridRowClampsAndInsertsAnEmptyMarkedRow) {
    struct Case {
        int32_t position;
        Rows shown;
    };
    const Case cases[] = {
        {-5, {kStar, kA, kB}}, {0, {kStar, kA, kB}}, {1, {kStar, kA, kB}},
        {2, {kA, kStar, kB}},  {3, {kA, kB, kStar}}, {9, {kA, kB, kStar}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        TStringGrid grid = Table({kA, kB, kC});
        grid.SetRowCount(3); // kC stays stored behind the end and must not leak in
        InsertGridRow(c.position, grid);
        EXPECT_EQ(Data(grid), c.shown);
        EXPECT_EQ(grid.Cells(0, 0), u"Index");
    }
}

TEST_F(TableTest, RemoveEmptyRowsKeepsRowsWithATextOfTwoOrMoreCharacters) {
    struct Case {
        Row row;
        bool kept;
    };
    const Case cases[] = {
        {{u"*", u"", u""}, false},         {{u"3", u"5", u"8"}, false}, {{u"", u"", u""}, false},
        {{u"12", u"", u""}, true},         {{u"", u"  ", u""}, true},   {{u"", u"", u"-3"}, true},
        {{u"", u"\U0001F600", u""}, true}, // two UTF-16 units
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        TStringGrid grid = Table({kA, c.row, kB});
        RemoveEmptyRows(grid);
        EXPECT_EQ(Data(grid), c.kept ? Rows({kA, c.row, kB}) : Rows({kA, kB}));
    }
}

TEST_F(TableTest, RemoveEmptyRowsNeverRemovesRowZero) {
    TStringGrid grid = Table({kStar, kA});
    grid.SetCells(0, 0, u"");
    grid.SetCells(1, 0, u"");
    grid.SetCells(2, 0, u"");
    RemoveEmptyRows(grid);
    EXPECT_EQ(Stored(grid, 0, grid.RowCount() - 1), (Rows{{}, kA}));
}

// The one-pass removal leaves table, stored rows and current cell as deleting row by row would.
TEST_F(TableTest, RemoveEmptyRowsMatchesDeletingRowByRow) {
    std::mt19937 random(7);
    const std::u16string pool[] = {u"", u"", u"*", u"5", u"12", u"  ", u"100"};
    for (int round = 0; round < 300; ++round) {
        Rows data(random() % 12);
        for (std::size_t r = 0; r < data.size(); ++r) {
            data[r] = {pool[random() % 7], pool[random() % 7], pool[random() % 7]};
            if (random() % 3 == 0) {
                data[r][0] = Prefixed(u"i", std::u16string(1, static_cast<char16_t>(u'a' + r)));
            }
        }
        TStringGrid fast = Table(data);
        const int32_t selectedRow = static_cast<int32_t>(random() % fast.RowCount());
        fast.SelectCell(1, selectedRow);
        TStringGrid slow = fast;
        const int32_t oldCount = fast.RowCount();

        RemoveEmptyRows(fast);
        for (int32_t i = 0; i < slow.RowCount();) {
            bool empty = true;
            for (int32_t c = 0; c < 3; ++c) {
                empty = empty && slow.Cells(c, i).size() <= 1;
            }
            if (empty && i > 0) {
                DeleteGridRow(i, slow);
            } else {
                ++i;
            }
        }
        ASSERT_EQ(fast.RowCount(), slow.RowCount()) << round;
        ASSERT_EQ(Stored(fast, 0, oldCount - 1), Stored(slow, 0, oldCount - 1)) << round;
        ASSERT_EQ(fast.Row(), slow.Row()) << round;
    }
}

// ---- values ----

TEST_F(TableTest, ProfileRowsToGridWritesGeneralTextsAndOnlyTheValueColumns) {
    TStringGrid grid = Table({{u"7", u"old", u"old"}, kB, kC, kA, kB});
    ProfileRowsToGrid({{1000.0f, -3.3f}, {20.25f, 0.1f, 99.0f}, {31.5f}, {}}, grid, 1, 2);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(Data(grid), (Rows{{u"7", u"1000", u"-3.29999995231628"},
                                {u"2", u"20.25", u"0.100000001490116"},
                                {u"3", u"31.5", u""},
                                {u"1", u"", u""}}));
    EXPECT_EQ(grid.Cells(1, 5), u"20"); // hidden rows keep their texts

    ProfileRowsToGrid({}, grid, 1, 2);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.Cells(1, 0), u"f(Hz)");
}

TEST_F(TableTest, CellToFloatRoundsToOneDecimalAndNeverRaises) {
    struct Case {
        std::u16string text;
        std::optional<float> value;
        double strict; // ignored where value is empty
    };
    const Case cases[] = {
        {u"0.05", 0.1f, 0.1},          {u"1,25", 1.3f, 1.3},      {u" -0.04 ", 0.0f, 0.0},
        {u"1e39", INFINITY, INFINITY}, {u"abc", std::nullopt, 0}, {u"", std::nullopt, 0},
        {u"1.234,5", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(CellToFloat(c.text), c.value);
        if (c.value) {
            EXPECT_EQ(CellToFloatStrict(c.text), c.strict); // 64 bits, not the float widened
        } else {
            try {
                CellToFloatStrict(c.text);
                ADD_FAILURE() << "no error";
            } catch (const ConvertError& e) {
                EXPECT_STREQ(e.what(), "'ERROR' is not a valid floating point value");
            }
        }
    }
    EXPECT_TRUE(std::isnan(*CellToFloat(u"nan")));
}

TEST_F(TableTest, GridToProfileRowsGivesWholeFrequenciesAndOneDecimalGains) {
    std::vector<std::vector<float>> rows;
    TStringGrid grid =
        Table({{u"", u"31.5", u"-3.25"}, {u"", u"100.4", u"1,25"}, {u"", u" 2.5e3", u"-0.04"}});
    EXPECT_TRUE(GridToProfileRows(grid, 1, 2, rows));
    EXPECT_EQ(rows,
              (std::vector<std::vector<float>>{{32.0f, -3.3f}, {100.0f, 1.3f}, {2500.0f, 0.0f}}));
}

TEST_F(TableTest, GridToProfileRowsStopsAtTheFirstBadCell) {
    struct Case {
        Rows data;
        std::vector<std::vector<float>> rows;
    };
    const Case cases[] = {
        {{{u"", u"10", u"1"}, {u"", u"20", u""}, {u"", u"30", u"3"}}, {{10, 1}, {20, 0}, {0, 0}}},
        {{{u"", u"10", u"1"}, {u"", u"x", u"2"}, {u"", u"30", u"3"}}, {{10, 1}, {0, 2}, {0, 0}}},
        {{{u"", u"10 Hz", u"1"}}, {{0, 1}}},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<float>> rows{{5, 5}};
        EXPECT_FALSE(GridToProfileRows(Table(c.data), 1, 2, rows));
        EXPECT_EQ(rows, c.rows);
    }
    std::vector<std::vector<float>> untouched{{5, 5}};
    EXPECT_FALSE(GridToProfileRows(Table({}), 1, 2, untouched));
    EXPECT_EQ(untouched, (std::vector<std::vector<float>>{{5, 5}}));
}

TEST_F(TableTest, ValuesFollowTheUserNotation) {
    UserNotation = NumberNotation{u','};
    TStringGrid grid = Table({});
    ProfileRowsToGrid({{31.5f, -1.5f}, {40.0f, 0.25f}}, grid, 1, 2);
    EXPECT_EQ(Data(grid), (Rows{{u"", u"31,5", u"-1,5"}, {u"", u"40", u"0,25"}}));
    grid.SetCells(2, 2, u"0.25");
    std::vector<std::vector<float>> rows;
    EXPECT_TRUE(GridToProfileRows(grid, 1, 2, rows));
    EXPECT_EQ(rows, (std::vector<std::vector<float>>{{32.0f, -1.5f}, {40.0f, 0.3f}}));
}

// ---- sort ----

Rows Keyed(std::initializer_list<const char16_t*> keys) {
    Rows rows;
    for (const char16_t* key : keys) {
        rows.push_back({Prefixed(u"#", Num(rows.size())), key, u"g"});
    }
    return rows;
}

TEST_F(TableTest, SortGridRowsFollowsTheExchangeSort) {
    struct Case {
        Rows data;
        bool ascending;
        std::vector<std::u16string> order; // index texts after the sort
    };
    const Case cases[] = {
        {Keyed({u"2", u"2", u"1"}), true, {u"#2", u"#1", u"#0"}},
        {Keyed({u"100.04", u"100.01"}), true, {u"#0", u"#1"}},
        {Keyed({u"100.04", u"100.01"}), false, {u"#0", u"#1"}},
        {Keyed({u"30", u"-1", u"2,5", u"1e3"}), true, {u"#1", u"#2", u"#0", u"#3"}},
        {Keyed({u"30", u"-1", u"2,5", u"1e3"}), false, {u"#3", u"#0", u"#2", u"#1"}},
        {Keyed({u"nan", u"2", u"1"}), true, {u"#0", u"#2", u"#1"}},
        {Keyed({u"3", u"nan", u"1"}), true, {u"#2", u"#1", u"#0"}},
        {Keyed({u"inf", u"-inf", u"0"}), true, {u"#1", u"#2", u"#0"}},
        {Keyed({u"x"}), true, {u"#0"}}, // a single data row is never read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        TStringGrid grid = Table(c.data);
        SortGridRows(grid, 1, c.ascending);
        std::vector<std::u16string> order;
        for (const Row& row : Data(grid)) {
            order.push_back(row[0]);
        }
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(grid.Cells(1, 0), u"f(Hz)");
    }
}

TEST_F(TableTest, SortErrorKeepsTheExchangesMadeBeforeIt) {
    TStringGrid grid = Table(Keyed({u"3", u"1", u"", u"0"}));
    try {
        SortGridRows(grid, 1, true);
        ADD_FAILURE() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'ERROR' is not a valid floating point value");
    }
    EXPECT_EQ(
        Data(grid),
        (Rows{{u"#1", u"1", u"g"}, {u"#0", u"3", u"g"}, {u"#2", u"", u"g"}, {u"#3", u"0", u"g"}}));
}

// The plain exchange sort, reading both keys anew at every comparison.
void PlainExchangeSort(TStringGrid& grid, int32_t keyCol, bool ascending) {
    for (int32_t i = 1; i < grid.RowCount() - 1; ++i) {
        for (int32_t j = i + 1; j < grid.RowCount(); ++j) {
            const double a = CellToFloatStrict(grid.Cells(keyCol, i));
            const double b = CellToFloatStrict(grid.Cells(keyCol, j));
            if (ascending ? a > b : a < b) {
                grid.ExchangeRows(i, j);
            }
        }
    }
}

std::string Outcome(TStringGrid& grid, void (*sort)(TStringGrid&, int32_t, bool), bool ascending) {
    try {
        sort(grid, 1, ascending);
        return "sorted";
    } catch (const ConvertError& e) {
        return e.what();
    }
}

TEST_F(TableTest, SortGridRowsAgreesWithThePlainExchangeSortOnRandomTables) {
    std::mt19937 random(11);
    const std::vector<std::u16string> fewValues = {u"1",      u"2",  u"2.0", u"100.04",
                                                   u"100.01", u"-3", u"1,5", u"inf",
                                                   u"-inf",   u"0",  u"-0",  u"nan"};
    const std::vector<std::u16string> someInvalid = {u"1", u"2", u"3", u"",  u"abc",
                                                     u"4", u"5", u"6", u"7", u"8"};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = random() % 40;
        const auto key = [&](std::size_t r) -> std::u16string {
            switch (round % 4) {
            case 0: // distinct
                return Num(r) + u"." + Num(random() % 10);
            case 1:
                return fewValues[random() % fewValues.size()];
            case 2: // mostly distinct, some repeats, some NaN
                return random() % 8 == 0 ? u"NAN" : Num(random() % (n + 1));
            default:
                return someInvalid[random() % someInvalid.size()];
            }
        };
        Rows data;
        for (std::size_t r = 0; r < n; ++r) {
            data.push_back({Prefixed(u"#", Num(r)), key(r), Num(random())});
        }
        std::shuffle(data.begin(), data.end(), random);
        const bool ascending = random() % 2 == 0;
        TStringGrid fast = Table(data);
        TStringGrid plain = Table(data);
        ASSERT_EQ(Outcome(fast, SortGridRows, ascending),
                  Outcome(plain, PlainExchangeSort, ascending))
            << round;
        ASSERT_EQ(Data(fast), Data(plain)) << round;
    }
}

// Numbers written by ProfileRowsToGrid keep their value beside the text; whatever the grid
// answers from the value must be what the text gives.

// Floats of every kind the general format treats apart.
std::vector<float> AwkwardFloats() {
    std::vector<float> values = {0.0f,          -0.0f,
                                 1.0f,          5.0f,
                                 9.0f,          9.5f,
                                 10.0f,         -1.0f,
                                 0.05f,         0.25f,
                                 -3.3f,         2.45f,
                                 0.0001f,       1e-5f,
                                 1e15f,         1e16f,
                                 3.4e38f,       1e-45f,
                                 31.5f,         99.95f,
                                 100.05f,       1e7f,
                                 1.00000005e8f, INFINITY,
                                 -INFINITY,     std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 random(3);
    std::uniform_real_distribution<float> exponent(-8, 12);
    for (int i = 0; i < 300; ++i) {
        const float magnitude = std::pow(10.0f, exponent(random));
        values.push_back(i % 2 ? magnitude : -magnitude);
        values.push_back(std::round(magnitude * 10) / 10); // one decimal, as the table reads back
    }
    return values;
}

bool SameBits(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size() ||
            !std::equal(a[i].begin(), a[i].end(), b[i].begin(), [](float x, float y) {
                return std::bit_cast<uint32_t>(x) == std::bit_cast<uint32_t>(y);
            })) {
            return false;
        }
    }
    return true;
}

TEST_F(TableTest, NumberCellsReadAsTheirTextsDo) {
    const std::vector<float> values = AwkwardFloats();
    std::vector<std::vector<float>> profile;
    for (std::size_t i = 0; i < values.size(); ++i) {
        profile.push_back({values[i], values[values.size() - 1 - i]});
    }
    struct Case {
        char16_t written; // separator when the numbers were written
        char16_t read;    // separator when the table is read
    };
    for (const Case c : {Case{u'.', u'.'}, Case{u',', u','}, Case{u'.', u','}, Case{u',', u'.'},
                         Case{u'E', u'E'}, Case{u'7', u'7'}}) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.written)) + static_cast<char>(c.read));
        UserNotation = NumberNotation{c.written};
        TStringGrid numbers = Table({});
        ProfileRowsToGrid(profile, numbers, 1, 2);
        TStringGrid typed = Table({});
        ProfileRowsToGrid(profile, typed, 1, 2);
        for (int32_t r = 1; r < typed.RowCount(); ++r) {
            typed.SetCells(0, r, Num(static_cast<unsigned long long>(r)));
            numbers.SetCells(0, r, Num(static_cast<unsigned long long>(r)));
            for (int32_t col = 1; col <= 2; ++col) {
                // Written and read as plain texts, unknown to the grid as numbers.
                const std::u16string text = typed.Cells(col, r);
                typed.SetCells(col, r, u"");
                typed.SetCells(col, r, text);
            }
        }
        UserNotation = NumberNotation{c.read};

        std::vector<std::vector<float>> fromNumbers;
        std::vector<std::vector<float>> fromTexts;
        EXPECT_EQ(GridToProfileRows(numbers, 1, 2, fromNumbers),
                  GridToProfileRows(typed, 1, 2, fromTexts));
        EXPECT_TRUE(SameBits(fromNumbers, fromTexts));

        for (const bool ascending : {true, false}) {
            TStringGrid sortedNumbers = numbers;
            TStringGrid sortedTexts = typed;
            ASSERT_EQ(Outcome(sortedNumbers, SortGridRows, ascending),
                      Outcome(sortedTexts, SortGridRows, ascending));
            ASSERT_EQ(Data(sortedNumbers), Data(sortedTexts));
        }
        for (int32_t r = 1; r < numbers.RowCount(); ++r) {
            const bool shortText = numbers.IsShortText(1, r); // before the text is written out
            ASSERT_EQ(shortText, numbers.Cells(1, r).size() <= 1) << r;
        }
        EXPECT_EQ(Data(numbers), Data(typed));
    }
}

// A number over a cell that already shows its text changes nothing a viewer sees, so nothing is
// reported; only the cells whose texts change are.
TEST_F(TableTest, ProfileRowsToGridReportsOnlyTextsThatChange) {
    TStringGrid grid = Table({{u"", u"20", u"-3.29999995231628"}, {u"", u"0", u"NAN"}, kA});
    std::vector<TGridChange> changes;
    grid.OnChange = [&](const TGridChange& change) { changes.push_back(change); };
    const auto cellsChanged = [&] {
        std::vector<std::array<int32_t, 4>> ranges;
        for (const TGridChange& c : changes) {
            EXPECT_EQ(c.Kind, TGridChangeKind::CellsChanged);
            ranges.push_back({c.FirstCol, c.FirstRow, c.LastCol, c.LastRow});
        }
        changes.clear();
        return ranges;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ProfileRowsToGrid({{20.0f, -3.3f}, {0.0f, nan}, {10.0f, 1.5f}}, grid, 1, 2);
    EXPECT_TRUE(cellsChanged().empty());
    ProfileRowsToGrid({{20.0f, -3.3f}, {-0.0f, -nan}, {10.0f, 1.5f}}, grid, 1, 2);
    EXPECT_TRUE(cellsChanged().empty());
    ProfileRowsToGrid({{20.0f, -3.3f}, {0.0f, 7.0f}, {10.0f, 1.5f}}, grid, 1, 2);
    EXPECT_THAT(cellsChanged(), ElementsAre(std::array<int32_t, 4>{2, 2, 2, 2}));
    ProfileRowsToGrid({{21.0f, -3.3f}, {0.0f, 7.0f}, {10.0f}}, grid, 1, 2);
    EXPECT_THAT(cellsChanged(), ElementsAre(std::array<int32_t, 4>{1, 1, 2, 3}));
    EXPECT_EQ(Data(grid),
              (Rows{{u"", u"21", u"-3.29999995231628"}, {u"", u"0", u"7"}, {u"1", u"10", u""}}));
    grid.SetCells(1, 1, u"21"); // the same text typed over a number
    EXPECT_TRUE(cellsChanged().empty());
}

// Reading more cells, whose texts are written out as they are read, leaves earlier answers valid.
TEST_F(TableTest, TextsStayValidWhileOtherCellsAreRead) {
    TStringGrid grid = Table({});
    std::vector<std::vector<float>> rows;
    for (int i = 0; i < 5000; ++i) {
        rows.push_back({0.1f * static_cast<float>(i), -0.1f * static_cast<float>(i)});
    }
    ProfileRowsToGrid(rows, grid, 1, 2);
    const std::u16string& first = grid.Cells(1, 2);
    std::size_t length = 0;
    for (int32_t r = 1; r < grid.RowCount(); ++r) {
        length += grid.Cells(1, r).size() + grid.Cells(2, r).size();
    }
    EXPECT_GT(length, 0u);
    EXPECT_EQ(first, u"0.100000001490116");
}

// Keys already in order are never exchanged, also with equal and NaN keys among them.
TEST_F(TableTest, SortOfRowsInOrderLeavesThemAndReportsNothing) {
    struct Case {
        Rows data;
        bool ascending;
    };
    const Case cases[] = {
        {Keyed({u"1", u"1", u"2", u"3"}), true},
        {Keyed({u"nan", u"1", u"nan", u"1,0", u"5"}), true},
        {Keyed({u"5", u"nan", u"5", u"-inf"}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        TStringGrid grid = Table(c.data);
        int reports = 0;
        grid.OnChange = [&](const TGridChange&) { ++reports; };
        SortGridRows(grid, 1, c.ascending);
        EXPECT_EQ(Data(grid), c.data);
        EXPECT_EQ(reports, 0);
    }
}

} // namespace

namespace {

// Every stored text of the first `Rows` rows, hidden ones included, and the row count.
std::vector<std::u16string> AllTexts(const TStringGrid& Grid, int32_t Rows) {
    std::vector<std::u16string> texts{std::u16string(1, static_cast<char16_t>(Grid.RowCount()))};
    for (int32_t r = 0; r < Rows; ++r) {
        for (int32_t c = 0; c < Grid.ColCount(); ++c) {
            texts.push_back(Grid.Cells(c, r));
        }
    }
    return texts;
}

} // namespace

// A content taken shares the grid's storage; the grid's later changes, in any of its blocks of
// rows, leave the content as it was, and swapping puts either back whole.
TEST(TableContent, AContentTakenStaysAsItWasWhileTheGridChangesAndSwapsBackWhole) {
    constexpr int32_t kRows = 10'000;
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(kRows);
    for (int32_t r = 1; r < kRows; ++r) {
        grid.SetNumberCell(1, r, static_cast<float>(r) / 4, u'.');
        if (r % 7 == 0) {
            grid.SetCells(2, r, std::u16string{u't', static_cast<char16_t>(u'a' + r % 26)});
        }
    }
    grid.SetRowCount(kRows - 100); // the last rows hidden
    (void)grid.Cells(1, 4500);     // a number's text written out by reading
    const auto before = AllTexts(grid, kRows + 2000);
    TStringGrid::Content taken = grid.TakeContent();
    EXPECT_TRUE(grid.SameContent(taken));

    grid.SetCells(1, 5000, u"x");
    grid.SetNumberCell(2, 9000, 1.5f, u',');
    grid.ExchangeRows(1, kRows - 101);
    grid.SetRowCount(kRows + 2000);
    grid.SetCells(1, kRows + 1500, u"y");
    grid.SetCells(2, 14, u"");
    grid.ChangeNotation(1, 1, u'.', u',');
    const TStringGrid copy = grid;
    grid.SetCells(0, 3, u"only in the grid");
    const auto after = AllTexts(grid, kRows + 2000);
    EXPECT_FALSE(grid.SameContent(taken));
    EXPECT_EQ(copy.Cells(0, 3), u"") << "a copy keeps what it had";

    grid.SwapContent(taken);
    EXPECT_EQ(AllTexts(grid, kRows + 2000), before);
    grid.SwapContent(taken);
    EXPECT_EQ(AllTexts(grid, kRows + 2000), after);

    // A notation change of the content taken shows when it is swapped in, hidden rows included.
    TStringGrid::ChangeNotation(taken, 1, 1, 1, u'.', u',');
    grid.SwapContent(taken);
    EXPECT_EQ(grid.Cells(1, 2), u"0,5");
    EXPECT_EQ(grid.Cells(1, kRows - 50), u"2487,5");
    EXPECT_EQ(grid.RowCount(), kRows - 100);
}
