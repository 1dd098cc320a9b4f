#pragma once
// The point series record that the imports fill and the chart shows.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// [0] frequencies in Hz, [1] gains in dB, [2] unused by this program.
using TDatenArray = std::array<std::vector<float>, 3>;

// A point series: point i is (DatenXYZ[0][i], DatenXYZ[1][i]); both arrays have the same length.
// The other fields belong to the record but this program never fills them.
struct TDatentyp {
    TDatenArray DatenXYZ;
    std::u16string sttag;
    std::u16string stEinheit;
    int32_t iDatatyp = 0;
    std::vector<std::u16string> ChartLabel;
};
