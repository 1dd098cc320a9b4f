// Feeds arbitrary bytes to the ASCII import through a real file: it may refuse them, but must never
// crash or overrun, and a refusal must leave the series exactly as it was.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio_ASCII_Import.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& input = WriteInputFile("fuzz-import", data, size);
    // Both user notations get their share of the inputs.
    UserNotation.DecimalSeparator = size % 2 == 0 ? u'.' : u',';

    // A regular file that reads without error has a delimiter or '-', never an error.
    const char16_t detected = DetectDelimiter(input);
    // Without a delimiter the editor stops here; ';' still lets the import see the input.
    const char16_t delimiter = detected == u'-' ? u';' : detected;

    TDatentyp series;
    series.DatenXYZ = {std::vector<float>{1, 2}, std::vector<float>{3}, std::vector<float>{4}};
    const TDatentyp before = series;
    std::u16string header;
    const bool ok = ImportAsciiProfile(input, series, delimiter, header);
    if (series.DatenXYZ[2] != before.DatenXYZ[2]) {
        std::abort();
    }
    const bool unchanged = series.DatenXYZ == before.DatenXYZ;
    if (!ok && !unchanged) {
        std::abort();
    }
    if (ok && !unchanged && series.DatenXYZ[0].size() != series.DatenXYZ[1].size()) {
        std::abort();
    }
    // A header line is never longer than the input.
    if (header.size() > size) {
        std::abort();
    }
    return 0;
}
