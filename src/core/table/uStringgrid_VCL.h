#pragma once
// The table folder: the text table model and the text fields (name field, file label). It may
// use base, numbers and profile.
//
// The text table model and the routines that work on its rows and turn its texts into numbers.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listeners.h"

// What a viewer must redraw. Ranges are inclusive and lie inside the table as it stands when the
// change is reported; every report comes after the model has changed.
enum class TGridChangeKind {
    RowsInserted,     // the row count grew: FirstRow..LastRow are new, showing their stored texts
    RowsRemoved,      // the row count shrank: FirstRow..LastRow are gone (their texts stay stored)
    CellsChanged,     // texts in FirstRow..LastRow x FirstCol..LastCol changed
    CurrentCellMoved, // the current cell is now (FirstCol, FirstRow); Last* repeat it
    Layout,           // column count, fixed counts or widths changed: read everything again
};

struct TGridChange {
    TGridChangeKind Kind;
    int32_t FirstRow = 0;
    int32_t LastRow = 0;
    int32_t FirstCol = 0;
    int32_t LastCol = 0;
};

// What a cell holds: a text, or a float shown in the general format with a separator.
struct TCellValue {
    std::u16string Text; // when not IsNumber
    float Number = 0;
    char16_t Separator = 0;
    bool IsNumber = false;
};

// One change of the grid's content, told after it happened with what it replaced, so that it can
// be taken back: the texts a cell showed, the row count, the row order and the current cell.
enum class TGridEditKind {
    CellText,    // cell (A, B) shows another text; Old is what it held before
    RowCount,    // the row count was A
    RowsSwapped, // rows A and B were exchanged
    RowMoved,    // row A was moved to position B
    CurrentCell, // the current cell was (A, B)
};

struct TGridEdit {
    TGridEditKind Kind;
    int32_t A = 0;
    int32_t B = 0;
    const TCellValue* Old = nullptr;
};

// A grid of UTF-16 texts addressed by (column, row), with fixed leading columns and rows and a
// current cell outside them. Texts are kept per row and column, independently of the counts:
// rows hidden by lowering the row count keep their texts and show them again when it grows.
// A number cell holds the general text of a float, written out only when it is read; so reading
// changes the storage too, and the grid belongs to one thread.
// A new grid has 5 columns, 5 rows, one fixed column, one fixed row and the current cell (1, 1).
// A copy keeps the view callbacks, so it reports to the same viewers, but not the listeners of
// Edits.
class TStringGrid {
    struct Column;

public:
    TStringGrid();

    // The table's texts, hidden rows included, its row order and its row count as a whole, held
    // apart from the grid for a step that replaces the whole table. Taking one copies no text:
    // it shares the grid's storage, and the grid copies a column only when it next writes there.
    class Content {
    public:
        Content() = default;

    private:
        friend class TStringGrid;
        std::vector<std::shared_ptr<Column>> columns_;
        std::shared_ptr<std::vector<int32_t>> order_;
        int32_t rowCount_ = 1;
    };
    // The content as it stands.
    Content TakeContent() const;
    // Puts Other in place of the content and the content into Other; viewers read everything
    // again, and a current cell left outside moves to the new last row. Edits are not told.
    void SwapContent(Content& Other);
    // The same texts in every stored cell, hidden ones included, and the same row count.
    bool SameContent(const Content& Other) const;
    // The memory Other holds that the grid does not share with it.
    std::size_t HeldBytes(const Content& Other) const;
    // ChangeNotation of the texts Other holds, as if it were the grid's content; nothing is told.
    static void ChangeNotation(Content& Other, int32_t FirstRow, int32_t FirstCol, int32_t LastCol,
                               char16_t Old, char16_t New);

    int32_t ColCount() const { return colCount_; }
    int32_t RowCount() const { return rowCount_; }
    int32_t FixedCols() const { return fixedCols_; }
    int32_t FixedRows() const { return fixedRows_; }

    // Counts below 1 count as 1. Fixed columns and rows drop to one less than the new count when
    // they would fill the grid. A current cell left outside moves to the new last row or column
    // and is reported.
    void SetColCount(int32_t Count);
    void SetRowCount(int32_t Count);

    static constexpr int32_t DefaultColWidth = 64;
    static constexpr int32_t DefaultRowHeight = 24;
    int32_t ColWidth(int32_t Col) const;
    void SetColWidth(int32_t Col, int32_t Width);

    // Any column and row from 0, also behind the counts; a text never written is empty.
    // Negative positions raise std::out_of_range. The reference stays valid until the grid is
    // written to; reading other cells does not disturb it.
    const std::u16string& Cells(int32_t Col, int32_t Row) const;
    // Only inside the grid; anything else raises std::out_of_range.
    void SetCells(int32_t Col, int32_t Row, std::u16string Text);
    // The cell shows FormatGeneral(Value) with that separator; reported only when the text
    // changes. Only inside the grid, like SetCells.
    void SetNumberCell(int32_t Col, int32_t Row, float Value, char16_t Separator);
    // The float whose general text with that separator the cell holds, when it was written as a
    // number (or its text is that of the number) and not changed since; nullopt otherwise.
    std::optional<float> NumberCell(int32_t Col, int32_t Row, char16_t Separator) const;
    // Cells(Col, Row) holds at most one UTF-16 unit; a number's text is not written out for it.
    bool IsShortText(int32_t Col, int32_t Row) const;

    // The cell's content, and the content written back: the same text shows again, and a number
    // reads back as the number. Only inside the grid, like SetCells.
    TCellValue CellValue(int32_t Col, int32_t Row) const;
    void SetCellValue(int32_t Col, int32_t Row, const TCellValue& Value);

    // A change of the decimal separator from Old to New in the columns FirstCol..LastCol below
    // the fixed rows, hidden rows included: number cells written with Old show their number with
    // New, and texts that read as a number in Old get New in place of Old's separator. Cells in
    // the grid are reported as changed; hidden ones show nowhere.
    void ChangeNotation(int32_t FirstCol, int32_t LastCol, char16_t Old, char16_t New);

    // Exchanges the whole rows, every stored text of both; O(1).
    void ExchangeRows(int32_t RowA, int32_t RowB);
    // Moves row From to position To, shifting the rows between by one. Both inside the grid.
    void MoveRow(int32_t From, int32_t To);

    // The current cell; never in a fixed column or row.
    int32_t Col() const { return col_; }
    int32_t Row() const { return row_; }
    // The view reports the user's move here. False, and nothing moves, for a cell outside the
    // grid or in a fixed column or row.
    bool SelectCell(int32_t Col, int32_t Row);
    bool IsCellEditable(int32_t Col, int32_t Row) const;

    // Between BeginUpdate and EndUpdate (they nest) text changes are gathered into one
    // CellsChanged report; row count changes and moves of the current cell are still reported
    // at once, after the texts changed so far.
    void BeginUpdate();
    void EndUpdate();

    // Viewers. Callbacks must neither change the grid nor throw.
    std::function<void(const TGridChange&)> OnChange;
    // Every change of the current cell, the user's and the model's own; it cannot be refused.
    std::function<void(int32_t ACol, int32_t ARow)> OnSelectCell;
    // Every change of a text, the row count, the row order or the current cell, as it happens
    // (also inside an update); listeners must not change the grid. Column layout is not told.
    TListeners<TGridEdit> Edits;

private:
    // A text of the pool, or a number whose text goes into the pool when it is first read.
    struct Cell {
        float number = 0;
        uint32_t text = 0; // 1 + index into its column's texts; 0: none yet, the empty text
        char16_t separator = 0;
        bool isNumber = false;
        bool written = false; // a number's text is in the pool
    };

    // Cells by storage slot in blocks, each shared with the contents taken while the grid has
    // not written to it since: a change copies one block, not the column. A block's cells refer
    // to its own texts (a deque, so that references to them survive texts added by reading).
    static constexpr std::size_t kBlockRows = 4096;
    struct Block {
        std::vector<Cell> cells;
        std::deque<std::u16string> texts;
    };
    struct Column {
        std::vector<std::shared_ptr<Block>> blocks;
        std::size_t size = 0; // slots stored
    };
    struct Place {
        Block* block = nullptr;
        Cell* cell = nullptr;
        explicit operator bool() const { return cell != nullptr; }
        Cell* operator->() const { return cell; }
    };

    static Place Locate(const Column* In, std::size_t Slot);
    Place FindCell(int32_t Col, int32_t Row) const;
    // The cell to write to, in a block of the grid's own; a new column grows to the row count.
    Place StoredCell(int32_t Col, int32_t Row);
    // The slot's cell in a block of its own, the column grown to hold at least Size slots.
    static Place Write(Column& In, std::size_t Slot, std::size_t Size);
    // The object itself when nobody else holds it, or a copy of its own.
    template <class T> static T& Own(std::shared_ptr<T>& Shared);
    // Calls Visitor(Col, Row, Change) for each stored cell from FirstRow on whose notation
    // changes; Change() changes it.
    template <class Visit>
    static void NotationChanges(std::vector<std::shared_ptr<Column>>& Columns,
                                const std::vector<int32_t>* Order, int32_t FirstRow,
                                int32_t FirstCol, int32_t LastCol, char16_t Old, char16_t New,
                                Visit&& Visitor);
    static std::u16string& PoolText(Block& In, Cell& C);
    static const std::u16string& TextOf(const Place& At);
    int32_t SlotOf(int32_t Row) const;
    // Rows 0..Row get their own entry in order_.
    void OrderRows(int32_t Row);
    void MarkChanged(int32_t FirstRow, int32_t LastRow, int32_t FirstCol, int32_t LastCol);
    void FlushChanged();
    void Report(const TGridChange& Change);
    void MoveCurrentCell(int32_t Col, int32_t Row);
    // The value a cell held before a change, taken only when someone listens.
    std::optional<TCellValue> OldValue(int32_t Col, int32_t Row) const;
    void TellCellText(int32_t Col, int32_t Row, const std::optional<TCellValue>& Old) const;

    int32_t colCount_ = 5;
    int32_t rowCount_ = 5;
    int32_t fixedCols_ = 1;
    int32_t fixedRows_ = 1;
    int32_t col_ = 1;
    int32_t row_ = 1;
    std::vector<int32_t> colWidths_;
    // Columns by index, each shared with the contents taken while the grid has not written to
    // it since (and then its blocks still are, until written); rows are moved by exchanging slots,
    // so row operations never move texts. Row r is at slot (*order_)[r], or at slot r behind order_
    // (or without one).
    std::vector<std::shared_ptr<Column>> columns_;
    std::shared_ptr<std::vector<int32_t>> order_;

    int updateDepth_ = 0;
    bool pending_ = false;
    TGridChange pendingChange_{TGridChangeKind::CellsChanged};
};

// Holds a grid's update open for a scope, so its text changes are reported once, also when the
// scope is left by an exception.
class TGridUpdateScope {
public:
    explicit TGridUpdateScope(TStringGrid& Grid) : grid_(Grid) { grid_.BeginUpdate(); }
    ~TGridUpdateScope() { grid_.EndUpdate(); }
    TGridUpdateScope(const TGridUpdateScope&) = delete;
    TGridUpdateScope& operator=(const TGridUpdateScope&) = delete;

private:
    TStringGrid& grid_;
};

// Row operations on a profile table (row 0 the header, column 0 the hidden index).

// Deletes every data row none of whose cells, in any column, holds more than one UTF-16 unit.
// The rows freed behind the new end all hold the former last row's texts, as DeleteGridRow
// row by row would leave them. Row 0 is never removed.
void RemoveEmptyRows(TStringGrid& Grid);
// Inserts an empty row marked "*" in column 0 at Position, clamped to 1 .. row count.
void InsertGridRow(int32_t Position, TStringGrid& Grid);
// Deletes data row Position; any other position is ignored. The texts of the former last row
// stay stored behind the new end.
void DeleteGridRow(int32_t Position, TStringGrid& Grid);
// One more row at the end, showing whatever texts are stored for it.
void AppendGridRow(TStringGrid& Grid);

// Conversions between profile rows ([0] frequency in Hz, [1] gain in dB) and the table's texts,
// in the user notation.

// Row count := rows + 1; each value in the general format. A row with fewer than two values
// gets an empty cell for each missing one. Column 0 is not written.
void ProfileRowsToGrid(const std::vector<std::vector<float>>& Rows, TStringGrid& Grid,
                       int32_t FreqCol, int32_t GainCol);
// False, Rows untouched, when the table has no data rows. Otherwise Rows becomes one {f, g} row
// per data row, all 0.0, filled in table order with frequencies as whole numbers and gains to
// one decimal; at the first row with a cell that does not convert it stops and answers false.
bool GridToProfileRows(const TStringGrid& Grid, int32_t FreqCol, int32_t GainCol,
                       std::vector<std::vector<float>>& Rows);
// The text to one decimal, as the nearest float; nullopt when it is not a number.
std::optional<float> CellToFloat(std::u16string_view Text);
// The text to one decimal; raises ConvertError "'ERROR' is not a valid floating point value".
double CellToFloatStrict(std::u16string_view Text);
// Orders the data rows by the key column's values (CellToFloatStrict) with an exchange sort:
// equal keys and NaN keys are never exchanged, so the order is not stable. A key that does not
// convert raises ConvertError where the exchange sort compares it; exchanges made before stay.
// Fewer than two data rows: nothing is read.
void SortGridRows(TStringGrid& Grid, int32_t KeyCol, bool Ascending);
