// Feeds arbitrary bytes to the measurement import through a real file: whatever it makes of them,
// the series either takes exactly the points it reports or stays exactly as it was, and one
// reading for several gain columns agrees bit for bit with a reading for each.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_input_file.h"
#include "measurement_import.h"

namespace {

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& input = WriteInputFile("fuzz-measurement", data, size);
    // Both user notations and the gain columns 0 to 2 get their share of the inputs.
    UserNotation.DecimalSeparator = size % 2 == 0 ? u'.' : u',';
    const auto gainColumn = static_cast<int32_t>(size / 2 % 3);

    TDatentyp series;
    series.DatenXYZ = {std::vector<float>{1, 2}, std::vector<float>{3}, std::vector<float>{4}};
    const TDatentyp before = series;
    // A readable regular file is never an error.
    const TMeasurementLayout layout = ImportMeasurement(input, gainColumn, series);

    if (series.DatenXYZ[2] != before.DatenXYZ[2] || layout.DataLines + layout.SkippedLines > size) {
        std::abort();
    }
    // One reading for several columns gives each what its own reading gives.
    const TMeasurementColumns columns = ImportMeasurementColumns(input, {0, 1, 2}, 3, 40);
    for (int32_t column = 0; column <= 2; ++column) {
        TDatentyp alone;
        const TMeasurementLayout own = ImportMeasurement(input, column, alone);
        const TMeasurementLayout& shared = columns.Layouts[static_cast<std::size_t>(column)];
        const TDatentyp& points = columns.Points[static_cast<std::size_t>(column)];
        if (own.Delimiter != shared.Delimiter || own.ColumnCount != shared.ColumnCount ||
            own.ColumnTitles != shared.ColumnTitles || own.DataLines != shared.DataLines ||
            own.SkippedLines != shared.SkippedLines ||
            !SameBits(alone.DatenXYZ[0], points.DatenXYZ[0]) ||
            !SameBits(alone.DatenXYZ[1], points.DatenXYZ[1])) {
            std::abort();
        }
    }
    if (columns.FirstLines.size() > 3) {
        std::abort();
    }
    for (const std::u16string& line : columns.FirstLines) {
        if (line.size() > 41) {
            std::abort();
        }
    }
    if (layout.Delimiter == 0) {
        if (series.DatenXYZ != before.DatenXYZ || layout.DataLines != 0 ||
            layout.ColumnCount != 0 || !layout.ColumnTitles.empty()) {
            std::abort();
        }
        return 0;
    }
    const bool known = layout.Delimiter == u'\t' || layout.Delimiter == u';' ||
                       layout.Delimiter == u',' || layout.Delimiter == u' ' ||
                       layout.Delimiter == u'G';
    if (!known || layout.DataLines == 0 || series.DatenXYZ[0].size() != layout.DataLines ||
        series.DatenXYZ[1].size() != layout.DataLines ||
        layout.ColumnCount < (gainColumn == 0 ? 1 : 2) ||
        (!layout.ColumnTitles.empty() &&
         layout.ColumnTitles.size() < static_cast<std::size_t>(layout.ColumnCount))) {
        std::abort();
    }
    return 0;
}
