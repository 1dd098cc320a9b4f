#include "uStringgrid_VCL.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "number_text.h"

namespace {

const std::u16string kEmptyText;

void CheckInside(int32_t Pos, int32_t Count, const char* What) {
    if (Pos < 0 || Pos >= Count) {
        throw std::out_of_range(What);
    }
}

// The cell read to one decimal in the user notation; nullopt when it is not a number.
std::optional<long double> ReadCell(std::u16string_view Text) {
    long double value = 0;
    if (!TextToNumber(NormalizeNumberText(Text, 1), value, UserNotation)) {
        return std::nullopt;
    }
    return value;
}

bool IsEmptyRow(const TStringGrid& Grid, int32_t Row) {
    for (int32_t c = 0; c < Grid.ColCount(); ++c) {
        if (Grid.Cells(c, Row).size() > 1) {
            return false;
        }
    }
    return true;
}

// A sort key parsed once; it travels with its row.
struct SortKey {
    double value = 0;
    bool valid = false;
};

// The exchange sort itself, on cached keys. A key that did not convert is read again where the
// comparison meets it, so the conversion error comes from the same place as without the cache.
void ExchangeSort(TStringGrid& Grid, int32_t KeyCol, bool Ascending, std::vector<SortKey>& Keys) {
    const int32_t n = Grid.RowCount();
    const auto keyAt = [&](int32_t Row) {
        SortKey& key = Keys[Row];
        if (!key.valid) {
            key.value = CellToFloatStrict(Grid.Cells(KeyCol, Row));
            key.valid = true;
        }
        return key.value;
    };
    for (int32_t i = 1; i < n - 1; ++i) {
        for (int32_t j = i + 1; j < n; ++j) {
            const double a = keyAt(i);
            const double b = keyAt(j);
            if (Ascending ? a > b : a < b) {
                Grid.ExchangeRows(i, j);
                std::swap(Keys[i], Keys[j]);
            }
        }
    }
}

// With valid, distinct, non-NaN keys the exchange sort ends in the one sorted order, which this
// reaches in O(n log n). False, with nothing changed, when two keys are equal.
bool SortDistinctKeys(TStringGrid& Grid, bool Ascending, const std::vector<SortKey>& Keys) {
    const int32_t n = Grid.RowCount();
    std::vector<int32_t> order(static_cast<std::size_t>(n - 1));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return Ascending ? Keys[a].value < Keys[b].value : Keys[a].value > Keys[b].value;
    });
    const auto equal = std::adjacent_find(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return Keys[a].value == Keys[b].value;
    });
    if (equal != order.end()) {
        return false;
    }
    // Bring each row to its place by exchanges: at most one per row.
    std::vector<int32_t> rowAt(static_cast<std::size_t>(n));
    std::vector<int32_t> posOf(static_cast<std::size_t>(n));
    std::iota(rowAt.begin(), rowAt.end(), 0);
    std::iota(posOf.begin(), posOf.end(), 0);
    for (int32_t p = 1; p < n; ++p) {
        const int32_t wanted = order[static_cast<std::size_t>(p - 1)];
        const int32_t q = posOf[wanted];
        if (q != p) {
            Grid.ExchangeRows(p, q);
            const int32_t displaced = rowAt[p];
            rowAt[q] = displaced;
            posOf[displaced] = q;
            rowAt[p] = wanted;
            posOf[wanted] = p;
        }
    }
    return true;
}

} // namespace

TStringGrid::TStringGrid() = default;

void TStringGrid::SetColCount(int32_t Count) {
    Count = std::max(Count, 1);
    if (Count == colCount_) {
        return;
    }
    FlushChanged();
    colCount_ = Count;
    fixedCols_ = std::min(fixedCols_, Count - 1);
    Report({TGridChangeKind::Layout, 0, rowCount_ - 1, 0, colCount_ - 1});
    if (col_ >= Count) {
        MoveCurrentCell(Count - 1, row_);
    }
}

void TStringGrid::SetRowCount(int32_t Count) {
    Count = std::max(Count, 1);
    if (Count == rowCount_) {
        return;
    }
    FlushChanged();
    const int32_t old = rowCount_;
    rowCount_ = Count;
    const TGridChange change =
        Count > old ? TGridChange{TGridChangeKind::RowsInserted, old, Count - 1, 0, colCount_ - 1}
                    : TGridChange{TGridChangeKind::RowsRemoved, Count, old - 1, 0, colCount_ - 1};
    Report(change);
    if (fixedRows_ >= Count) {
        fixedRows_ = Count - 1;
        Report({TGridChangeKind::Layout, 0, rowCount_ - 1, 0, colCount_ - 1});
    }
    if (row_ >= Count) {
        MoveCurrentCell(col_, Count - 1);
    }
}

int32_t TStringGrid::ColWidth(int32_t Col) const {
    if (Col < 0) {
        throw std::out_of_range("column");
    }
    return static_cast<std::size_t>(Col) < colWidths_.size() ? colWidths_[Col] : DefaultColWidth;
}

void TStringGrid::SetColWidth(int32_t Col, int32_t Width) {
    CheckInside(Col, colCount_, "column");
    if (static_cast<std::size_t>(Col) >= colWidths_.size()) {
        colWidths_.resize(static_cast<std::size_t>(Col) + 1, DefaultColWidth);
    }
    if (colWidths_[Col] != Width) {
        colWidths_[Col] = Width;
        FlushChanged();
        Report({TGridChangeKind::Layout, 0, rowCount_ - 1, 0, colCount_ - 1});
    }
}

const std::u16string& TStringGrid::Cells(int32_t Col, int32_t Row) const {
    if (Col < 0 || Row < 0) {
        throw std::out_of_range("cell");
    }
    if (static_cast<std::size_t>(Row) >= rows_.size()) {
        return kEmptyText;
    }
    const RowTexts& texts = rows_[Row];
    return static_cast<std::size_t>(Col) < texts.size() ? texts[Col] : kEmptyText;
}

void TStringGrid::SetCells(int32_t Col, int32_t Row, std::u16string Text) {
    CheckInside(Col, colCount_, "column");
    CheckInside(Row, rowCount_, "row");
    RowTexts& texts = StoredRow(Row);
    if (static_cast<std::size_t>(Col) >= texts.size()) {
        if (Text.empty()) {
            return;
        }
        texts.resize(static_cast<std::size_t>(Col) + 1);
    }
    if (texts[Col] == Text) {
        return;
    }
    texts[Col] = std::move(Text);
    MarkChanged(Row, Row, Col, Col);
}

void TStringGrid::ExchangeRows(int32_t RowA, int32_t RowB) {
    CheckInside(RowA, rowCount_, "row");
    CheckInside(RowB, rowCount_, "row");
    if (RowA == RowB) {
        return;
    }
    StoredRow(std::max(RowA, RowB));
    rows_[RowA].swap(rows_[RowB]);
    MarkChanged(RowA, RowA, 0, colCount_ - 1);
    MarkChanged(RowB, RowB, 0, colCount_ - 1);
}

void TStringGrid::MoveRow(int32_t From, int32_t To) {
    CheckInside(From, rowCount_, "row");
    CheckInside(To, rowCount_, "row");
    if (From == To) {
        return;
    }
    StoredRow(std::max(From, To));
    const auto from = rows_.begin() + From;
    const auto to = rows_.begin() + To;
    if (From < To) {
        std::rotate(from, from + 1, to + 1);
    } else {
        std::rotate(to, from, from + 1);
    }
    MarkChanged(std::min(From, To), std::max(From, To), 0, colCount_ - 1);
}

bool TStringGrid::SelectCell(int32_t Col, int32_t Row) {
    if (!IsCellEditable(Col, Row)) {
        return false;
    }
    MoveCurrentCell(Col, Row);
    return true;
}

bool TStringGrid::IsCellEditable(int32_t Col, int32_t Row) const {
    return Col >= fixedCols_ && Col < colCount_ && Row >= fixedRows_ && Row < rowCount_;
}

void TStringGrid::BeginUpdate() {
    ++updateDepth_;
}

void TStringGrid::EndUpdate() {
    if (--updateDepth_ == 0) {
        FlushChanged();
    }
}

TStringGrid::RowTexts& TStringGrid::StoredRow(int32_t Row) {
    if (static_cast<std::size_t>(Row) >= rows_.size()) {
        rows_.resize(static_cast<std::size_t>(Row) + 1);
    }
    return rows_[Row];
}

void TStringGrid::MarkChanged(int32_t FirstRow, int32_t LastRow, int32_t FirstCol,
                              int32_t LastCol) {
    if (updateDepth_ == 0) {
        Report({TGridChangeKind::CellsChanged, FirstRow, LastRow, FirstCol, LastCol});
        return;
    }
    TGridChange& p = pendingChange_;
    if (!pending_) {
        p = {TGridChangeKind::CellsChanged, FirstRow, LastRow, FirstCol, LastCol};
        pending_ = true;
        return;
    }
    p.FirstRow = std::min(p.FirstRow, FirstRow);
    p.LastRow = std::max(p.LastRow, LastRow);
    p.FirstCol = std::min(p.FirstCol, FirstCol);
    p.LastCol = std::max(p.LastCol, LastCol);
}

// Texts gathered in an update may lie in rows or columns removed since; only what is still
// inside the grid is reported.
void TStringGrid::FlushChanged() {
    if (!pending_) {
        return;
    }
    pending_ = false;
    TGridChange change = pendingChange_;
    change.LastRow = std::min(change.LastRow, rowCount_ - 1);
    change.LastCol = std::min(change.LastCol, colCount_ - 1);
    if (change.FirstRow <= change.LastRow && change.FirstCol <= change.LastCol) {
        Report(change);
    }
}

void TStringGrid::Report(const TGridChange& Change) {
    if (OnChange) {
        OnChange(Change);
    }
}

void TStringGrid::MoveCurrentCell(int32_t Col, int32_t Row) {
    if (Col == col_ && Row == row_) {
        return;
    }
    FlushChanged();
    col_ = Col;
    row_ = Row;
    Report({TGridChangeKind::CurrentCellMoved, Row, Row, Col, Col});
    if (OnSelectCell) {
        OnSelectCell(Col, Row);
    }
}

void RemoveEmptyRows(TStringGrid& Grid) {
    const int32_t n = Grid.RowCount();
    int32_t kept = 1;
    while (kept < n && !IsEmptyRow(Grid, kept)) {
        ++kept;
    }
    if (kept == n) {
        return;
    }
    TGridUpdateScope update(Grid);
    // Deleting row by row from the top leaves the last row in place each time, so every freed
    // row behind the end ends up holding the former last row.
    std::vector<std::u16string> lastRow;
    for (int32_t c = 0; c < Grid.ColCount(); ++c) {
        lastRow.push_back(Grid.Cells(c, n - 1));
    }
    for (int32_t r = kept + 1; r < n; ++r) {
        if (!IsEmptyRow(Grid, r)) {
            Grid.ExchangeRows(kept++, r);
        }
    }
    for (int32_t r = kept; r < n; ++r) {
        for (int32_t c = 0; c < Grid.ColCount(); ++c) {
            Grid.SetCells(c, r, lastRow[c]);
        }
    }
    Grid.SetRowCount(kept);
}

void InsertGridRow(int32_t Position, TStringGrid& Grid) {
    const int32_t n = Grid.RowCount();
    Position = std::clamp(Position, 1, n);
    TGridUpdateScope update(Grid);
    Grid.SetRowCount(n + 1);
    Grid.MoveRow(n, Position);
    Grid.SetCells(0, Position, u"*");
    for (int32_t c = 1; c < Grid.ColCount(); ++c) {
        Grid.SetCells(c, Position, u"");
    }
}

void DeleteGridRow(int32_t Position, TStringGrid& Grid) {
    const int32_t n = Grid.RowCount();
    if (Position <= 0 || Position >= n) {
        return;
    }
    TGridUpdateScope update(Grid);
    if (Position < n - 1) {
        Grid.MoveRow(Position, n - 1);
        // Rows shift up by copying, so the last row keeps its texts, not the deleted ones.
        for (int32_t c = 0; c < Grid.ColCount(); ++c) {
            Grid.SetCells(c, n - 1, Grid.Cells(c, n - 2));
        }
    }
    Grid.SetRowCount(n - 1);
}

void AppendGridRow(TStringGrid& Grid) {
    Grid.SetRowCount(Grid.RowCount() + 1);
}

void ProfileRowsToGrid(const std::vector<std::vector<float>>& Rows, TStringGrid& Grid,
                       int32_t FreqCol, int32_t GainCol) {
    TGridUpdateScope update(Grid);
    Grid.SetRowCount(static_cast<int32_t>(Rows.size()) + 1);
    const auto text = [](const std::vector<float>& Row, std::size_t Index) {
        return Index < Row.size() ? FormatGeneral(Row[Index], UserNotation) : std::u16string();
    };
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        const auto row = static_cast<int32_t>(i + 1);
        Grid.SetCells(FreqCol, row, text(Rows[i], 0));
        Grid.SetCells(GainCol, row, text(Rows[i], 1));
    }
}

bool GridToProfileRows(const TStringGrid& Grid, int32_t FreqCol, int32_t GainCol,
                       std::vector<std::vector<float>>& Rows) {
    const int32_t n = Grid.RowCount();
    if (n <= 1) {
        return false;
    }
    Rows.assign(static_cast<std::size_t>(n - 1), std::vector<float>{0.0f, 0.0f});
    for (int32_t r = 1; r < n; ++r) {
        std::vector<float>& row = Rows[static_cast<std::size_t>(r - 1)];
        const auto freq = CellToFloat(NormalizeNumberText(Grid.Cells(FreqCol, r), 0));
        const auto gain = CellToFloat(NormalizeNumberText(Grid.Cells(GainCol, r), 1));
        if (freq) {
            row[0] = *freq;
        }
        if (gain) {
            row[1] = *gain;
        }
        if (!freq || !gain) {
            return false;
        }
    }
    return true;
}

std::optional<float> CellToFloat(std::u16string_view Text) {
    const auto value = ReadCell(Text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

double CellToFloatStrict(std::u16string_view Text) {
    return static_cast<double>(TextToNumber(NormalizeNumberText(Text, 1), UserNotation));
}

void SortGridRows(TStringGrid& Grid, int32_t KeyCol, bool Ascending) {
    const int32_t n = Grid.RowCount();
    if (n < 3) {
        return;
    }
    std::vector<SortKey> keys(static_cast<std::size_t>(n));
    bool plain = true; // every key valid and not NaN
    for (int32_t r = 1; r < n; ++r) {
        if (const auto value = ReadCell(Grid.Cells(KeyCol, r))) {
            keys[r] = {static_cast<double>(*value), true};
            plain = plain && !std::isnan(keys[r].value);
        } else {
            plain = false;
        }
    }
    TGridUpdateScope update(Grid);
    if (plain && SortDistinctKeys(Grid, Ascending, keys)) {
        return;
    }
    ExchangeSort(Grid, KeyCol, Ascending, keys);
}
