#pragma once
// Which table row a point of the chart stands for. The chart shows the rows of the last Open,
// Import or Update / Sort; as long as no row has been inserted, deleted, appended or moved since,
// the k-th point handed to the chart is the k-th row whose frequency and gain cells both hold a
// text, and a point picked in the chart can take the table to its row.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "audio_ASCII_Import.h"
#include "teechart_basics.h"
#include "uStringgrid_VCL.h"

class TChartRows {
public:
    // `Source` is the point series the chart was last handed (the window's KorrDataTemp); the
    // grid's changes are followed until this object goes, which must be before the grid.
    TChartRows(TStringGrid& Grid, const TLineSeries& Series, const TDatentyp& Source,
               int32_t FreqCol, int32_t GainCol);

    // The series' points were replaced: the rows now shown are the ones that count.
    void SeriesChanged();
    // Undo or Redo put back a table and a chart of earlier: whether they belong together is not
    // known, so no point has a row until the next series change by a command.
    void Forget();

    // The table row of the series' point `Point`, or nullopt when the table no longer holds the
    // rows the chart shows (or never did).
    std::optional<int32_t> RowOf(std::size_t Point);

    // Moves the table's current cell to the gain cell of that row, as the user's own move; false
    // when the point has no row.
    bool SelectRowOf(std::size_t Point);

private:
    void OnGrid(const TGridEdit& Edit);
    // Pairs every point of the series with the source point it was made from; equal points keep
    // their order on both sides, so the pairing is exact.
    bool Build();

    TStringGrid& grid_;
    const TLineSeries& series_;
    const TDatentyp& source_;
    int32_t freqCol_;
    int32_t gainCol_;
    bool moved_ = false; // a row was inserted, deleted, appended or moved
    bool built_ = false;
    std::vector<int32_t> rows_; // by series point; empty when the rows do not match
    TListeners<TGridEdit>::Subscription gridSub_;
};
