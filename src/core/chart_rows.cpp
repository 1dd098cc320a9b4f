#include "chart_rows.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <tuple>

namespace {

// One bit pattern per value, NaN as one; the order only has to be the same on both sides.
uint32_t Key(float Value) {
    return std::isnan(Value) ? 0x7FC00000u : std::bit_cast<uint32_t>(Value);
}

using TPointKey = std::tuple<uint32_t, uint32_t, std::size_t>;

} // namespace

TChartRows::TChartRows(TStringGrid& Grid, const TLineSeries& Series, const TDatentyp& Source,
                       int32_t FreqCol, int32_t GainCol)
    : grid_(Grid), series_(Series), source_(Source), freqCol_(FreqCol), gainCol_(GainCol),
      gridSub_(Grid.Edits.Subscribe([this](const TGridEdit& Edit) { OnGrid(Edit); })) {}

void TChartRows::SeriesChanged() {
    moved_ = false;
    built_ = false;
    rows_.clear();
}

void TChartRows::Forget() {
    moved_ = true;
    built_ = false;
    rows_.clear();
}

void TChartRows::OnGrid(const TGridEdit& Edit) {
    switch (Edit.Kind) {
    case TGridEditKind::RowCount:
        // Import writes its rows after handing the chart its points: a table resized to exactly
        // the chart's points is that writing (or the removal of rows that showed no point).
        built_ = false;
        if (static_cast<std::size_t>(grid_.RowCount() - 1) != series_.Count()) {
            moved_ = true;
        }
        break;
    case TGridEditKind::RowsSwapped:
    case TGridEditKind::RowMoved:
        moved_ = true;
        break;
    case TGridEditKind::CellText:
    case TGridEditKind::CurrentCell:
        break;
    }
}

bool TChartRows::Build() {
    built_ = true;
    rows_.clear();
    const std::vector<float>& freqs = source_.DatenXYZ[0];
    const std::vector<float>& gains = source_.DatenXYZ[1];
    const std::size_t count = std::min(freqs.size(), gains.size());
    if (series_.Count() != count) {
        return false;
    }
    const auto hasText = [this](int32_t Col, int32_t Row) {
        // A number's text is not written out just to see that it is there.
        return !grid_.IsShortText(Col, Row) || !grid_.Cells(Col, Row).empty();
    };
    std::vector<int32_t> complete;
    for (int32_t row = 1; row < grid_.RowCount(); ++row) {
        if (hasText(freqCol_, row) && hasText(gainCol_, row)) {
            complete.push_back(row);
        }
    }
    if (complete.size() != count) {
        return false;
    }

    // The series holds the source's points as 64-bit values of the same floats.
    std::vector<TPointKey> shown(count);
    std::vector<TPointKey> handed(count);
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    for (std::size_t i = 0; i < count; ++i) {
        shown[i] = {Key(static_cast<float>(xs[i])), Key(static_cast<float>(ys[i])), i};
        handed[i] = {Key(freqs[i]), Key(gains[i]), i};
    }
    std::sort(shown.begin(), shown.end());
    std::sort(handed.begin(), handed.end());
    std::vector<int32_t> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto& [sx, sy, point] = shown[i];
        const auto& [hx, hy, index] = handed[i];
        if (sx != hx || sy != hy) {
            return false;
        }
        rows[point] = complete[index];
    }
    rows_ = std::move(rows);
    return true;
}

std::optional<int32_t> TChartRows::RowOf(std::size_t Point) {
    if (moved_) {
        return std::nullopt;
    }
    if (!built_) {
        Build();
    }
    if (Point >= rows_.size()) {
        return std::nullopt;
    }
    return rows_[Point];
}

bool TChartRows::SelectRowOf(std::size_t Point) {
    const std::optional<int32_t> row = RowOf(Point);
    return row && grid_.SelectCell(gainCol_, *row);
}
