#pragma once
// Which table row each point of the chart came from. The link is taken when the points are shown,
// from the rows they were written from or into, and then follows those rows through every row
// the table inserts, deletes, appends, moves or exchanges; typing into cells leaves it alone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "point_series.h"
#include "teechart_basics.h"
#include "uStringgrid_VCL.h"

class TChartRows {
public:
    // Follows the grid's edits until this object goes, which must be before the grid. A picked
    // point takes the current cell to column GainCol of its row.
    TChartRows(TStringGrid& Grid, const TLineSeries& Series, int32_t GainCol);
    TChartRows(const TChartRows&) = delete;
    TChartRows& operator=(const TChartRows&) = delete;

    // The series now shows Source's points as ShowAllPoints hands them over (the first
    // min(X count, Y count) of them), and point k of Source stands for table row Rows[k], which
    // the table holds now. When the series does not show exactly those points, or a row is not a
    // data row (row 0 is the header), no point gets a row.
    void Link(const TDatentyp& Source, std::vector<int32_t> Rows);
    // The series' points were replaced, or Undo / Redo put back a table and a chart of earlier:
    // no point has a row until the next Link. Whoever replaces the points calls it.
    void Forget();

    // The row, as the table stands now, that the series' point `Point` stands for: the row it
    // was linked to, moved along with every row inserted, deleted, appended, moved or exchanged
    // since, whatever its cells hold now. nullopt when that row was deleted (or hidden behind the
    // table's end by a lower row count, even if the count grows again), after Forget, and for a
    // point the series does not have.
    std::optional<int32_t> RowOf(std::size_t Point) const;

    // The series got point `Point` (the others after it moved up one), shown from table row
    // `Row`, which the table holds now; or lost it. The other points keep their rows. When the
    // points were not linked before (an empty series counts as linked), or the change does not
    // fit the link, no point has a row.
    void InsertPoint(std::size_t Point, int32_t Row);
    void ErasePoint(std::size_t Point);

    // Moves the table's current cell to the gain cell of that row, as the user's own move; false
    // when the point has no row.
    bool SelectRowOf(std::size_t Point);

private:
    static constexpr int32_t kNone = -1;

    void OnGrid(const TGridEdit& Edit);
    // The points of byRow_[First..Last] stand at those rows again.
    void Renumber(int32_t First, int32_t Last);
    void Reach(int32_t Row);

    TStringGrid& grid_;
    const TLineSeries& series_;
    int32_t gainCol_;
    std::vector<int32_t> rows_;  // by series point: its row, or kNone; empty when not linked
    std::vector<int32_t> byRow_; // by row: its series point, or kNone; may end before the table
    TListeners<TGridEdit>::Subscription gridSub_;
};
