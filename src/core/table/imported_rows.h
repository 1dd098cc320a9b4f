#pragma once
// Imported points on their way into the profile: the texts the imports write into the table, the
// reading of the table that Update / Sort does, and the whole way from points to the rows Save
// writes, which the command-line tool takes without a window. Uses the table and the number
// texts.

#include <string>
#include <vector>

#include "uStringgrid_VCL.h"

// The texts an imported point shows in the table, in the user notation: the frequency to one
// decimal (6 digits), the gain to two (5 digits).
std::u16string ImportedFrequencyText(float Frequency);
std::u16string ImportedGainText(float Gain);

// The imported points into a profile table whose value cells are empty: unless there are no
// gains, one data row per gain with the row number, the frequency and the gain texts. A gain
// without a frequency gets an empty frequency cell.
void ImportedPointsToGrid(const std::vector<float>& Frequencies, const std::vector<float>& Gains,
                          TStringGrid& Grid);

// Update / Sort's reading of a profile table (frequencies in column 1, gains in column 2): the
// empty rows removed, the rows sorted by frequency, then GridToProfileRows. The sort's
// ConvertError escapes, the exchanges made before it stay.
bool ReadSortedGrid(TStringGrid& Grid, std::vector<std::vector<float>>& Rows);

// The error messages of Update / Sort and of Save for a table that does not convert.
inline constexpr char16_t kTableInvalidText[] = u"Table data invalid! Check values.";
inline constexpr char16_t kTableInvalidOrEmptyText[] = u"Table data invalid/empty! Check values.";

struct TSavedRows {
    std::vector<std::vector<float>> Rows; // what Save writes, when there are no Messages
    std::vector<std::u16string> Messages; // the error messages Save shows instead, in order
};

// What Save writes after the points were imported into the table of a new window: the imported
// texts, Update / Sort with the rows shown again, then the table read once more. The same floats
// in the same order, or the same messages; the sort's ConvertError escapes as it escapes Save.
TSavedRows PointsAsSaved(const std::vector<float>& Frequencies, const std::vector<float>& Gains);
