#include "imported_rows.h"

#include "number_text.h"

std::u16string ImportedFrequencyText(float Frequency) {
    return FormatFixed(Frequency, 6, 1, UserNotation);
}

std::u16string ImportedGainText(float Gain) {
    return FormatFixed(Gain, 5, 2, UserNotation);
}

void ImportedPointsToGrid(const std::vector<float>& Frequencies, const std::vector<float>& Gains,
                          TStringGrid& Grid) {
    if (Gains.empty()) {
        return;
    }
    TGridUpdateScope update(Grid);
    Grid.SetRowCount(static_cast<int32_t>(Gains.size()) + 1);
    for (std::size_t i = 0; i < Gains.size(); ++i) {
        const auto row = static_cast<int32_t>(i + 1);
        Grid.SetCells(0, row, DecimalText(i + 1));
        Grid.SetCells(1, row, i < Frequencies.size() ? ImportedFrequencyText(Frequencies[i]) : u"");
        Grid.SetCells(2, row, ImportedGainText(Gains[i]));
    }
}

bool ReadSortedGrid(TStringGrid& Grid, std::vector<std::vector<float>>& Rows) {
    RemoveEmptyRows(Grid);
    SortGridRows(Grid, 1, true);
    return GridToProfileRows(Grid, 1, 2, Rows);
}

TSavedRows PointsAsSaved(const std::vector<float>& Frequencies, const std::vector<float>& Gains) {
    // The table of a new window: three columns and the header row alone, so nothing to clear.
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(1);
    ImportedPointsToGrid(Frequencies, Gains, grid);

    TSavedRows saved;
    // Save's Update / Sort: the rows are shown again only when they convert.
    std::vector<std::vector<float>> sorted;
    if (ReadSortedGrid(grid, sorted)) {
        ProfileRowsToGrid(sorted, grid, 1, 2);
    } else {
        saved.Messages.emplace_back(kTableInvalidText);
    }
    // Then Save reads the table once more, as it stands.
    if (!GridToProfileRows(grid, 1, 2, saved.Rows)) {
        saved.Messages.emplace_back(kTableInvalidOrEmptyText);
    }
    return saved;
}
