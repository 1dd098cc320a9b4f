#include "uStringgrid_VCL.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <deque>
#include <limits>
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
    if (!NormalizedNumber(Text, 1, value)) {
        return std::nullopt;
    }
    return value;
}

// The float a cell's text reads as in the user notation, where the grid knows it without the
// text: the cell holds the general text of that float, written with the user's separator. Other
// separators can be part of the number syntax, so those texts are read.
std::optional<float> KnownNumber(const TStringGrid& Grid, int32_t Col, int32_t Row) {
    const char16_t separator = UserNotation.DecimalSeparator;
    if (separator != u'.' && separator != u',') {
        return std::nullopt;
    }
    std::optional<float> value = Grid.NumberCell(Col, Row, separator);
    if (value && *value == 0) {
        value = 0.0f; // "0" reads as +0
    }
    return value;
}

// NormalizedNumber of the cell's text.
bool NormalizedCell(const TStringGrid& Grid, int32_t Col, int32_t Row, int32_t Decimals,
                    long double& Value) {
    if (const auto known = KnownNumber(Grid, Col, Row)) {
        return NormalizedNumber(*known, Decimals, Value);
    }
    return NormalizedNumber(Grid.Cells(Col, Row), Decimals, Value);
}

// CellToFloat of the cell normalized with Decimals. Where that text reads back in the user
// notation, CellToFloat reads it there first, as the value computed without writing it.
std::optional<float> RenormalizedCell(const TStringGrid& Grid, int32_t Col, int32_t Row,
                                      int32_t Decimals) {
    long double first = 0;
    if (!NormalizedCell(Grid, Col, Row, Decimals, first)) {
        return CellToFloat(NormalizeNumberText(Grid.Cells(Col, Row), Decimals));
    }
    long double value = 0;
    if (!NormalizedNumber(static_cast<float>(first), 1, value)) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

bool IsEmptyRow(const TStringGrid& Grid, int32_t Row) {
    for (int32_t c = 0; c < Grid.ColCount(); ++c) {
        if (!Grid.IsShortText(c, Row)) {
            return false;
        }
    }
    return true;
}

// Both floats have the same general text: only zeros of either sign and NaNs share one.
bool SameGeneralText(float A, float B) {
    return std::bit_cast<uint32_t>(A) == std::bit_cast<uint32_t>(B) || (A == 0 && B == 0) ||
           (std::isnan(A) && std::isnan(B));
}

// The sort works on compact copies of the keys and of the rows' original positions, and moves
// the grid's rows once at the end (or where it stops on an error).
struct SortState {
    std::vector<double> keys;  // by position; [0] unused
    std::vector<char> valid;   // the key cell converted
    std::vector<int32_t> rows; // original row at each position
};

// Brings original row Rows[p] to position p, by at most one exchange per row.
void ArrangeRows(TStringGrid& Grid, const std::vector<int32_t>& Rows) {
    std::vector<int32_t> rowAt(Rows.size());
    std::vector<int32_t> posOf(Rows.size());
    std::iota(rowAt.begin(), rowAt.end(), 0);
    std::iota(posOf.begin(), posOf.end(), 0);
    for (std::size_t p = 1; p < Rows.size(); ++p) {
        const int32_t wanted = Rows[p];
        const int32_t q = posOf[wanted];
        if (q != static_cast<int32_t>(p)) {
            Grid.ExchangeRows(static_cast<int32_t>(p), q);
            const int32_t displaced = rowAt[p];
            rowAt[q] = displaced;
            posOf[displaced] = q;
            rowAt[p] = wanted;
            posOf[wanted] = static_cast<int32_t>(p);
        }
    }
}

// How many rows of the values already placed lie below a position (a Fenwick tree).
class PlacedRows {
public:
    explicit PlacedRows(std::size_t Count) : tree_(Count + 1) {}
    void Add(std::size_t Pos) {
        for (++Pos; Pos < tree_.size(); Pos += Pos & (~Pos + 1)) {
            ++tree_[Pos];
        }
    }
    std::size_t Below(std::size_t Pos) const {
        std::size_t sum = 0;
        for (; Pos > 0; Pos &= Pos - 1) {
            sum += tree_[Pos];
        }
        return sum;
    }

private:
    std::vector<std::size_t> tree_;
};

void Rotate(std::deque<int32_t>& Queue, std::size_t Steps) {
    const auto m = static_cast<std::ptrdiff_t>(Steps % Queue.size());
    std::rotate(Queue.begin(), Queue.begin() + m, Queue.end());
}

// The order the exchange sort (for i, for j > i: exchange when key j belongs strictly before key
// i) gives positions First.. of valid keys, without its quadratic number of comparisons:
// - A NaN key never compares, so its row stays where it is; the others sort around it.
// - The values end sorted, so only the order among equal keys is open. A pass moves a row of
//   value v only while it is the first row of value v or before from the pass's start: it goes
//   to the first row before v behind it. Followed on the rows of value v and before, from the
//   first v row on, that is a queue: a v row joins at the back, and each row before v sends the
//   front to the back. The queue ends as the order of the v rows.
// A value's queue costs the walk from its first row to the end, or, counting the rows before v
// between its rows, one rotation per row: whichever is less.
template <class Before> void ExchangeOrder(SortState& S, std::size_t First, Before before) {
    const std::size_t n = S.keys.size();
    std::vector<int32_t> numbered; // positions of the non-NaN keys
    for (std::size_t p = First; p < n; ++p) {
        if (!std::isnan(S.keys[p])) {
            numbered.push_back(static_cast<int32_t>(p));
        }
    }
    // Equal keys keep position order.
    std::vector<int32_t> byKey = numbered;
    std::stable_sort(byKey.begin(), byKey.end(),
                     [&](int32_t a, int32_t b) { return before(S.keys[a], S.keys[b]); });

    std::vector<int32_t> order; // old positions in their new order
    order.reserve(byKey.size());
    PlacedRows placed(n);
    std::deque<int32_t> queue;
    for (std::size_t g = 0; g < byKey.size();) {
        const double v = S.keys[byKey[g]];
        std::size_t end = g + 1;
        while (end < byKey.size() && S.keys[byKey[end]] == v) {
            ++end;
        }
        const std::size_t count = end - g;
        const auto firstRow = static_cast<std::size_t>(byKey[g]);
        queue.clear();
        if (count == 1) {
            queue.push_back(byKey[g]);
        } else if (count * count < n - firstRow) {
            for (std::size_t k = g; k < end; ++k) {
                if (k > g) {
                    Rotate(queue, placed.Below(byKey[k]) - placed.Below(byKey[k - 1] + 1));
                }
                queue.push_back(byKey[k]);
            }
            Rotate(queue, placed.Below(n) - placed.Below(byKey[end - 1] + 1));
        } else {
            for (std::size_t p = firstRow; p < n; ++p) {
                if (S.keys[p] == v) {
                    queue.push_back(static_cast<int32_t>(p));
                } else if (before(S.keys[p], v)) {
                    queue.push_back(queue.front());
                    queue.pop_front();
                }
            }
        }
        order.insert(order.end(), queue.begin(), queue.end());
        for (std::size_t k = g; k < end; ++k) {
            placed.Add(byKey[k]);
        }
        g = end;
    }

    const std::vector<double> keys = S.keys;
    const std::vector<int32_t> rows = S.rows;
    for (std::size_t k = 0; k < order.size(); ++k) {
        S.keys[numbered[k]] = keys[order[k]];
        S.rows[numbered[k]] = rows[order[k]];
    }
}

// The first pass of the exchange sort, which compares every key. A key that did not convert is
// read again where it is compared, so its conversion error comes from the same comparison as
// without the cache.
template <class Before>
void ExchangeFirstPass(TStringGrid& Grid, int32_t KeyCol, SortState& S, Before before) {
    const auto keyAt = [&](std::size_t Pos) {
        if (!S.valid[Pos]) {
            S.keys[Pos] = CellToFloatStrict(Grid.Cells(KeyCol, S.rows[Pos]));
            S.valid[Pos] = true;
        }
        return S.keys[Pos];
    };
    for (std::size_t j = 2; j < S.keys.size(); ++j) {
        const double a = keyAt(1);
        if (before(keyAt(j), a)) {
            std::swap(S.keys[1], S.keys[j]);
            std::swap(S.rows[1], S.rows[j]);
        }
    }
}

// True when no key belongs before an earlier one; NaN keys never compare.
template <class Before> bool InOrder(const std::vector<double>& Keys, Before before) {
    double last = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t p = 1; p < Keys.size(); ++p) {
        if (!std::isnan(Keys[p])) {
            if (before(Keys[p], last)) {
                return false;
            }
            last = Keys[p];
        }
    }
    return true;
}

// Exchanges made before a conversion error stay.
template <class Before>
void SortRows(TStringGrid& Grid, int32_t KeyCol, SortState& S, bool AllValid, Before before) {
    if (AllValid && InOrder(S.keys, before)) {
        return; // the exchange sort would exchange nothing
    }
    std::size_t first = 1;
    if (!AllValid) {
        try {
            ExchangeFirstPass(Grid, KeyCol, S, before);
        } catch (...) {
            ArrangeRows(Grid, S.rows);
            throw;
        }
        first = 2;
    }
    ExchangeOrder(S, first, before);
    ArrangeRows(Grid, S.rows);
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
    Edits.Notify({TGridEditKind::RowCount, old, 0});
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
    const Place cell = FindCell(Col, Row);
    return cell ? TextOf(cell) : kEmptyText;
}

void TStringGrid::SetCells(int32_t Col, int32_t Row, std::u16string Text) {
    CheckInside(Col, colCount_, "column");
    CheckInside(Row, rowCount_, "row");
    // Looked at before anything is written, so that writing a cell's own text never copies a
    // column shared with a content taken.
    const Place found = FindCell(Col, Row);
    if (found ? TextOf(found) == Text : Text.empty()) {
        return;
    }
    const auto old = OldValue(Col, Row);
    const Place cell = StoredCell(Col, Row);
    PoolText(*cell.block, *cell.cell) = std::move(Text);
    cell->isNumber = false;
    MarkChanged(Row, Row, Col, Col);
    TellCellText(Col, Row, old);
}

void TStringGrid::SetNumberCell(int32_t Col, int32_t Row, float Value, char16_t Separator) {
    CheckInside(Col, colCount_, "column");
    CheckInside(Row, rowCount_, "row");
    const Place found = FindCell(Col, Row);
    if (found && found->isNumber && found->separator == Separator) {
        if (SameGeneralText(found->number, Value)) {
            return;
        }
        const auto old = OldValue(Col, Row);
        Cell& cell = *StoredCell(Col, Row).cell;
        cell.number = Value;
        cell.written = false;
        MarkChanged(Row, Row, Col, Col);
        TellCellText(Col, Row, old);
        return;
    }
    const auto old = OldValue(Col, Row);
    const Place stored = StoredCell(Col, Row);
    Cell& cell = *stored.cell;
    // A general text is never empty; any other text has to be compared with it.
    const bool compare = cell.text != 0 && !TextOf(stored).empty();
    bool changed = true;
    if (compare) {
        std::u16string& pooled = stored.block->texts[cell.text - 1];
        std::u16string text = FormatGeneral(Value, NumberNotation{Separator});
        changed = text != pooled;
        pooled = std::move(text);
    }
    cell.isNumber = true;
    cell.number = Value;
    cell.separator = Separator;
    cell.written = compare;
    if (changed) {
        MarkChanged(Row, Row, Col, Col);
        TellCellText(Col, Row, old);
    }
}

TCellValue TStringGrid::CellValue(int32_t Col, int32_t Row) const {
    CheckInside(Col, colCount_, "column");
    CheckInside(Row, rowCount_, "row");
    const Place cell = FindCell(Col, Row);
    if (!cell) {
        return {};
    }
    if (cell->isNumber) {
        return {{}, cell->number, cell->separator, true};
    }
    return {TextOf(cell), 0, 0, false};
}

void TStringGrid::SetCellValue(int32_t Col, int32_t Row, const TCellValue& Value) {
    if (Value.IsNumber) {
        SetNumberCell(Col, Row, Value.Number, Value.Separator);
    } else {
        SetCells(Col, Row, Value.Text);
    }
}

std::optional<float> TStringGrid::NumberCell(int32_t Col, int32_t Row, char16_t Separator) const {
    if (Col < 0 || Row < 0) {
        throw std::out_of_range("cell");
    }
    const Place cell = FindCell(Col, Row);
    if (!cell || !cell->isNumber || cell->separator != Separator) {
        return std::nullopt;
    }
    return cell->number;
}

bool TStringGrid::IsShortText(int32_t Col, int32_t Row) const {
    if (Col < 0 || Row < 0) {
        throw std::out_of_range("cell");
    }
    const Place cell = FindCell(Col, Row);
    if (!cell) {
        return true;
    }
    if (cell->isNumber && !cell->written) {
        // Only the digits 0 to 9 are written as one character.
        const float v = cell->number;
        return v >= 0 && v <= 9 && v == std::floor(v);
    }
    return TextOf(cell).size() <= 1;
}

template <class Visit>
void TStringGrid::NotationChanges(std::vector<std::shared_ptr<Column>>& Columns,
                                  const std::vector<int32_t>* Order, int32_t FirstRow,
                                  int32_t FirstCol, int32_t LastCol, char16_t Old, char16_t New,
                                  Visit&& Visitor) {
    const NumberNotation from{Old};
    const std::size_t ordered = Order ? Order->size() : 0;
    for (int32_t col = std::max(FirstCol, 0);
         col <= LastCol && static_cast<std::size_t>(col) < Columns.size(); ++col) {
        if (!Columns[col]) {
            continue;
        }
        const auto stored = static_cast<int32_t>(std::max(Columns[col]->size, ordered));
        for (int32_t row = FirstRow; row < stored; ++row) {
            const auto slot = static_cast<std::size_t>(
                static_cast<std::size_t>(row) < ordered ? (*Order)[row] : row);
            Place place = Locate(Columns[col].get(), slot);
            if (!place) {
                continue;
            }
            std::size_t at = std::u16string::npos;
            if (place->isNumber) {
                // A number's text is not written out for this; its separator is the notation.
                if (place->separator != Old) {
                    continue;
                }
                if (place->written) {
                    at = PoolText(*place.block, *place.cell).find(Old);
                }
            } else {
                at = SeparatorToChange(TextOf(place), from);
                if (at == std::u16string::npos) {
                    continue;
                }
            }
            Visitor(col, row, [&] {
                place = Write(Own(Columns[col]), slot, 0);
                if (place->isNumber) {
                    place->separator = New;
                }
                if (at != std::u16string::npos) {
                    PoolText(*place.block, *place.cell)[at] = New;
                }
            });
        }
    }
}

void TStringGrid::ChangeNotation(int32_t FirstCol, int32_t LastCol, char16_t Old, char16_t New) {
    NotationChanges(columns_, order_.get(), fixedRows_, FirstCol, LastCol, Old, New,
                    [&](int32_t Col, int32_t Row, const auto& Change) {
                        if (Row >= rowCount_) {
                            Change(); // hidden: shows nowhere
                            return;
                        }
                        const auto old = OldValue(Col, Row);
                        Change();
                        MarkChanged(Row, Row, Col, Col);
                        TellCellText(Col, Row, old);
                    });
}

void TStringGrid::ChangeNotation(Content& Other, int32_t FirstRow, int32_t FirstCol,
                                 int32_t LastCol, char16_t Old, char16_t New) {
    NotationChanges(Other.columns_, Other.order_.get(), FirstRow, FirstCol, LastCol, Old, New,
                    [](int32_t, int32_t, const auto& Change) { Change(); });
}

TStringGrid::Content TStringGrid::TakeContent() const {
    Content content;
    content.columns_ = columns_;
    content.order_ = order_;
    content.rowCount_ = rowCount_;
    return content;
}

void TStringGrid::SwapContent(Content& Other) {
    FlushChanged();
    std::swap(columns_, Other.columns_);
    std::swap(order_, Other.order_);
    std::swap(rowCount_, Other.rowCount_);
    Report({TGridChangeKind::Layout, 0, rowCount_ - 1, 0, colCount_ - 1});
    if (fixedRows_ >= rowCount_) {
        fixedRows_ = rowCount_ - 1;
    }
    if (row_ >= rowCount_) {
        MoveCurrentCell(col_, rowCount_ - 1);
    }
}

bool TStringGrid::SameContent(const Content& Other) const {
    if (rowCount_ != Other.rowCount_) {
        return false;
    }
    const auto rowsOf = [](const std::vector<std::shared_ptr<Column>>& Columns,
                           const std::shared_ptr<std::vector<int32_t>>& Order) {
        std::size_t rows = Order ? Order->size() : 0;
        for (const auto& column : Columns) {
            rows = std::max(rows, column ? column->size : 0);
        }
        return rows;
    };
    const std::size_t rows =
        std::max(rowsOf(columns_, order_), rowsOf(Other.columns_, Other.order_));
    const std::size_t cols = std::max(columns_.size(), Other.columns_.size());
    const auto placeOf = [](const std::vector<std::shared_ptr<Column>>& Columns,
                            const std::shared_ptr<std::vector<int32_t>>& Order, std::size_t Col,
                            std::size_t Row) {
        const std::size_t slot =
            Order && Row < Order->size() ? static_cast<std::size_t>((*Order)[Row]) : Row;
        return Locate(Col < Columns.size() ? Columns[Col].get() : nullptr, slot);
    };
    for (std::size_t col = 0; col < cols; ++col) {
        const bool sameColumn = col < columns_.size() && col < Other.columns_.size() &&
                                columns_[col] == Other.columns_[col];
        if (sameColumn && order_ == Other.order_) {
            continue; // the very same storage
        }
        for (std::size_t row = 0; row < rows; ++row) {
            const Place mine = placeOf(columns_, order_, col, row);
            const Place theirs = placeOf(Other.columns_, Other.order_, col, row);
            if (mine.cell == theirs.cell) {
                continue; // one cell shared by both
            }
            if (mine && theirs && mine->isNumber && theirs->isNumber &&
                mine->separator == theirs->separator &&
                SameGeneralText(mine->number, theirs->number)) {
                continue;
            }
            const std::u16string& a = mine ? TextOf(mine) : kEmptyText;
            const std::u16string& b = theirs ? TextOf(theirs) : kEmptyText;
            if (a != b) {
                return false;
            }
        }
    }
    return true;
}

std::size_t TStringGrid::HeldBytes(const Content& Other) const {
    std::size_t bytes = 0;
    if (Other.order_ && Other.order_ != order_) {
        bytes += Other.order_->capacity() * sizeof(int32_t);
    }
    for (std::size_t col = 0; col < Other.columns_.size(); ++col) {
        const Column* column = Other.columns_[col].get();
        const Column* mine = col < columns_.size() ? columns_[col].get() : nullptr;
        if (!column || column == mine) {
            continue;
        }
        bytes += sizeof(Column) + column->blocks.capacity() * sizeof(std::shared_ptr<Block>);
        for (std::size_t b = 0; b < column->blocks.size(); ++b) {
            const Block* block = column->blocks[b].get();
            if (!block || (mine && b < mine->blocks.size() && mine->blocks[b].get() == block)) {
                continue;
            }
            bytes += sizeof(Block) + block->cells.capacity() * sizeof(Cell);
            for (const std::u16string& text : block->texts) {
                bytes += sizeof(std::u16string) + text.capacity() * sizeof(char16_t);
            }
        }
    }
    return bytes;
}

void TStringGrid::ExchangeRows(int32_t RowA, int32_t RowB) {
    CheckInside(RowA, rowCount_, "row");
    CheckInside(RowB, rowCount_, "row");
    if (RowA == RowB) {
        return;
    }
    OrderRows(std::max(RowA, RowB));
    std::swap((*order_)[RowA], (*order_)[RowB]);
    MarkChanged(RowA, RowA, 0, colCount_ - 1);
    MarkChanged(RowB, RowB, 0, colCount_ - 1);
    Edits.Notify({TGridEditKind::RowsSwapped, RowA, RowB});
}

void TStringGrid::MoveRow(int32_t From, int32_t To) {
    CheckInside(From, rowCount_, "row");
    CheckInside(To, rowCount_, "row");
    if (From == To) {
        return;
    }
    OrderRows(std::max(From, To));
    const auto from = order_->begin() + From;
    const auto to = order_->begin() + To;
    if (From < To) {
        std::rotate(from, from + 1, to + 1);
    } else {
        std::rotate(to, from, from + 1);
    }
    MarkChanged(std::min(From, To), std::max(From, To), 0, colCount_ - 1);
    Edits.Notify({TGridEditKind::RowMoved, From, To});
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

int32_t TStringGrid::SlotOf(int32_t Row) const {
    return order_ && static_cast<std::size_t>(Row) < order_->size() ? (*order_)[Row] : Row;
}

TStringGrid::Place TStringGrid::Locate(const Column* In, std::size_t Slot) {
    if (!In || Slot >= In->size) {
        return {};
    }
    Block* block = In->blocks[Slot / kBlockRows].get();
    return {block, &block->cells[Slot % kBlockRows]};
}

TStringGrid::Place TStringGrid::FindCell(int32_t Col, int32_t Row) const {
    if (static_cast<std::size_t>(Col) >= columns_.size()) {
        return {};
    }
    return Locate(columns_[Col].get(), static_cast<std::size_t>(SlotOf(Row)));
}

template <class T> T& TStringGrid::Own(std::shared_ptr<T>& Shared) {
    if (!Shared) {
        Shared = std::make_shared<T>();
    } else if (Shared.use_count() > 1) {
        Shared = std::make_shared<T>(*Shared);
    }
    return *Shared;
}

TStringGrid::Place TStringGrid::Write(Column& In, std::size_t Slot, std::size_t Size) {
    const std::size_t size = std::max({Slot + 1, Size, In.size});
    if (size > In.size) {
        In.blocks.resize((size + kBlockRows - 1) / kBlockRows);
        for (std::size_t b = In.size / kBlockRows; b < In.blocks.size(); ++b) {
            const std::size_t cells = std::min(kBlockRows, size - b * kBlockRows);
            if (!In.blocks[b] || In.blocks[b]->cells.size() < cells) {
                Own(In.blocks[b]).cells.resize(cells);
            }
        }
        In.size = size;
    }
    Block& block = Own(In.blocks[Slot / kBlockRows]);
    return {&block, &block.cells[Slot % kBlockRows]};
}

TStringGrid::Place TStringGrid::StoredCell(int32_t Col, int32_t Row) {
    if (static_cast<std::size_t>(Col) >= columns_.size()) {
        columns_.resize(static_cast<std::size_t>(Col) + 1);
    }
    // A column written at all is mostly written throughout: it grows to the row count at once.
    return Write(Own(columns_[Col]), static_cast<std::size_t>(SlotOf(Row)),
                 static_cast<std::size_t>(rowCount_));
}

std::u16string& TStringGrid::PoolText(Block& In, Cell& C) {
    if (C.text == 0) {
        In.texts.emplace_back();
        C.text = static_cast<uint32_t>(In.texts.size());
    }
    return In.texts[C.text - 1];
}

const std::u16string& TStringGrid::TextOf(const Place& At) {
    Cell& c = *At.cell;
    if (c.isNumber && !c.written) {
        // Written where it is read, also in a block shared with a content taken: the text is
        // the number's, the same for every holder.
        PoolText(*At.block, c) = FormatGeneral(c.number, NumberNotation{c.separator});
        c.written = true;
    }
    return c.text == 0 ? kEmptyText : At.block->texts[c.text - 1];
}

void TStringGrid::OrderRows(int32_t Row) {
    if (!order_) {
        order_ = std::make_shared<std::vector<int32_t>>();
    } else if (order_.use_count() > 1) {
        order_ = std::make_shared<std::vector<int32_t>>(*order_);
    }
    std::vector<int32_t>& order = *order_;
    const auto size = order.size();
    if (static_cast<std::size_t>(Row) >= size) {
        order.resize(static_cast<std::size_t>(Row) + 1);
        std::iota(order.begin() + static_cast<std::ptrdiff_t>(size), order.end(),
                  static_cast<int32_t>(size));
    }
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
    const int32_t oldCol = col_;
    const int32_t oldRow = row_;
    col_ = Col;
    row_ = Row;
    Edits.Notify({TGridEditKind::CurrentCell, oldCol, oldRow});
    Report({TGridChangeKind::CurrentCellMoved, Row, Row, Col, Col});
    if (OnSelectCell) {
        OnSelectCell(Col, Row);
    }
}

std::optional<TCellValue> TStringGrid::OldValue(int32_t Col, int32_t Row) const {
    if (Edits.Empty()) {
        return std::nullopt;
    }
    return CellValue(Col, Row);
}

void TStringGrid::TellCellText(int32_t Col, int32_t Row,
                               const std::optional<TCellValue>& Old) const {
    if (Old) {
        Edits.Notify({TGridEditKind::CellText, Col, Row, &*Old});
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
    // The texts are written out only where they are read.
    const char16_t separator = UserNotation.DecimalSeparator;
    const auto write = [&](int32_t Col, int32_t Row, const std::vector<float>& Values,
                           std::size_t Index) {
        if (Index < Values.size()) {
            Grid.SetNumberCell(Col, Row, Values[Index], separator);
        } else {
            Grid.SetCells(Col, Row, u"");
        }
    };
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        const auto row = static_cast<int32_t>(i + 1);
        write(FreqCol, row, Rows[i], 0);
        write(GainCol, row, Rows[i], 1);
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
        const auto freq = RenormalizedCell(Grid, FreqCol, r, 0);
        const auto gain = RenormalizedCell(Grid, GainCol, r, 1);
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
    SortState state;
    state.keys.resize(static_cast<std::size_t>(n));
    state.valid.resize(static_cast<std::size_t>(n));
    state.rows.resize(static_cast<std::size_t>(n));
    std::iota(state.rows.begin(), state.rows.end(), 0);
    bool allValid = true;
    for (int32_t r = 1; r < n; ++r) {
        long double value = 0;
        if (NormalizedCell(Grid, KeyCol, r, 1, value)) {
            state.keys[r] = static_cast<double>(value);
            state.valid[r] = true;
        } else {
            allValid = false;
        }
    }
    TGridUpdateScope update(Grid);
    if (Ascending) {
        SortRows(Grid, KeyCol, state, allValid, [](double a, double b) { return a < b; });
    } else {
        SortRows(Grid, KeyCol, state, allValid, [](double a, double b) { return a > b; });
    }
}
