#include "chart_rows.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

// One bit pattern per value, NaN as one; the order only has to be the same on both sides.
uint32_t Key(float Value) {
    return std::isnan(Value) ? 0x7FC00000u : std::bit_cast<uint32_t>(Value);
}

using TPointKey = std::tuple<uint32_t, uint32_t, std::size_t>;

// Which source point each point of the series is, or nothing when the series shows other points.
// Equal points keep their order on both sides, so the pairing is exact.
std::optional<std::vector<std::size_t>>
Pair(const TLineSeries& Series, const std::vector<float>& Freqs, const std::vector<float>& Gains) {
    const std::size_t count = std::min(Freqs.size(), Gains.size());
    if (Series.Count() != count) {
        return std::nullopt;
    }
    // The series holds the source's points as 64-bit values of the same floats, mostly already
    // in the source's order.
    const std::vector<double>& xs = Series.XValues();
    const std::vector<double>& ys = Series.YValues();
    std::vector<std::size_t> source(count);
    bool inOrder = true;
    for (std::size_t i = 0; i < count && inOrder; ++i) {
        inOrder = Key(static_cast<float>(xs[i])) == Key(Freqs[i]) &&
                  Key(static_cast<float>(ys[i])) == Key(Gains[i]);
        source[i] = i;
    }
    if (inOrder) {
        return source;
    }
    std::vector<TPointKey> shown(count);
    std::vector<TPointKey> handed(count);
    for (std::size_t i = 0; i < count; ++i) {
        shown[i] = {Key(static_cast<float>(xs[i])), Key(static_cast<float>(ys[i])), i};
        handed[i] = {Key(Freqs[i]), Key(Gains[i]), i};
    }
    std::sort(shown.begin(), shown.end());
    std::sort(handed.begin(), handed.end());
    for (std::size_t i = 0; i < count; ++i) {
        const auto& [sx, sy, point] = shown[i];
        const auto& [hx, hy, index] = handed[i];
        if (sx != hx || sy != hy) {
            return std::nullopt;
        }
        source[point] = index;
    }
    return source;
}

} // namespace

TChartRows::TChartRows(TStringGrid& Grid, const TLineSeries& Series, int32_t GainCol)
    : grid_(Grid), series_(Series), gainCol_(GainCol),
      gridSub_(Grid.Edits.Subscribe([this](const TGridEdit& Edit) { OnGrid(Edit); })) {}

void TChartRows::Link(const TDatentyp& Source, std::vector<int32_t> Rows) {
    Forget();
    const std::optional<std::vector<std::size_t>> source =
        Pair(series_, Source.DatenXYZ[0], Source.DatenXYZ[1]);
    if (!source || Rows.size() < source->size()) {
        return;
    }
    std::vector<int32_t> byRow(static_cast<std::size_t>(grid_.RowCount()), kNone);
    std::vector<int32_t> rows(source->size());
    for (std::size_t point = 0; point < rows.size(); ++point) {
        const int32_t row = Rows[(*source)[point]];
        if (row < 1 || row >= grid_.RowCount() || byRow[static_cast<std::size_t>(row)] != kNone) {
            return;
        }
        rows[point] = row;
        byRow[static_cast<std::size_t>(row)] = static_cast<int32_t>(point);
    }
    rows_ = std::move(rows);
    byRow_ = std::move(byRow);
}

void TChartRows::Forget() {
    rows_.clear();
    byRow_.clear();
}

void TChartRows::Reach(int32_t Row) {
    if (static_cast<std::size_t>(Row) >= byRow_.size()) {
        byRow_.resize(static_cast<std::size_t>(Row) + 1, kNone);
    }
}

void TChartRows::Renumber(int32_t First, int32_t Last) {
    for (int32_t row = First; row <= Last; ++row) {
        if (const int32_t point = byRow_[static_cast<std::size_t>(row)]; point != kNone) {
            rows_[static_cast<std::size_t>(point)] = row;
        }
    }
}

void TChartRows::OnGrid(const TGridEdit& Edit) {
    if (rows_.empty()) {
        return;
    }
    switch (Edit.Kind) {
    case TGridEditKind::RowCount: {
        // Rows behind the new end are gone for good: the rows a higher count shows again are
        // the Append's and Insert's new rows, whatever texts they show.
        const auto end = static_cast<std::size_t>(grid_.RowCount());
        for (std::size_t row = end; row < byRow_.size(); ++row) {
            if (byRow_[row] != kNone) {
                rows_[static_cast<std::size_t>(byRow_[row])] = kNone;
            }
        }
        if (byRow_.size() > end) {
            byRow_.resize(end);
        }
        break;
    }
    case TGridEditKind::RowsSwapped:
        Reach(std::max(Edit.A, Edit.B));
        std::swap(byRow_[static_cast<std::size_t>(Edit.A)],
                  byRow_[static_cast<std::size_t>(Edit.B)]);
        Renumber(Edit.A, Edit.A);
        Renumber(Edit.B, Edit.B);
        break;
    case TGridEditKind::RowMoved: {
        const int32_t first = std::min(Edit.A, Edit.B);
        const int32_t last = std::max(Edit.A, Edit.B);
        Reach(last);
        const auto from = byRow_.begin() + Edit.A;
        const auto to = byRow_.begin() + Edit.B;
        if (Edit.A < Edit.B) {
            std::rotate(from, from + 1, to + 1);
        } else {
            std::rotate(to, from, from + 1);
        }
        Renumber(first, last);
        break;
    }
    case TGridEditKind::CellText:
    case TGridEditKind::CurrentCell:
        break;
    }
}

std::optional<int32_t> TChartRows::RowOf(std::size_t Point) const {
    if (Point >= rows_.size() || rows_[Point] == kNone) {
        return std::nullopt;
    }
    return rows_[Point];
}

bool TChartRows::SelectRowOf(std::size_t Point) {
    const std::optional<int32_t> row = RowOf(Point);
    return row && grid_.SelectCell(gainCol_, *row);
}

void TChartRows::InsertPoint(std::size_t Point, int32_t Row) {
    if (rows_.size() + 1 != series_.Count() || Point > rows_.size() || Row < 1 ||
        Row >= grid_.RowCount()) {
        Forget();
        return;
    }
    Reach(Row);
    if (byRow_[static_cast<std::size_t>(Row)] != kNone) {
        Forget(); // a row stands for one point
        return;
    }
    for (int32_t& point : byRow_) {
        point += point != kNone && point >= static_cast<int32_t>(Point) ? 1 : 0;
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(Point), Row);
    byRow_[static_cast<std::size_t>(Row)] = static_cast<int32_t>(Point);
}

void TChartRows::ErasePoint(std::size_t Point) {
    if (rows_.size() != series_.Count() + 1 || Point >= rows_.size()) {
        Forget();
        return;
    }
    if (const int32_t row = rows_[Point]; row != kNone) {
        byRow_[static_cast<std::size_t>(row)] = kNone;
    }
    for (int32_t& point : byRow_) {
        point -= point != kNone && point > static_cast<int32_t>(Point) ? 1 : 0;
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(Point));
}
