// Feeds arbitrary bytes to the measurement import through a real file: whatever it makes of them,
// the series either takes exactly the points it reports or stays exactly as it was.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "fuzz_input_file.h"
#include "measurement_import.h"

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
