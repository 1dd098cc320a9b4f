#pragma once
// A curve to hold the profile against in the chart. It is read for the chart alone: nothing of the
// editor's document (table, profile, point series) changes.

#include <filesystem>
#include <string>

#include "teechart_basics.h"

struct TReferenceCurve {
    TLineSeries Points; // in the chart's order
    std::u16string Name;
};

// A file ending in ".ump" (any letter case) is read as a sound profile: its rows with two or more
// values, named by the profile's name, else by the file's name. Any other file is read as a
// measurement with the gain in column 1, named by the file's name. The readers' errors go on as
// they are; a file that gives no point raises FormatError "File invalid".
TReferenceCurve ReadReferenceCurve(const std::filesystem::path& FileName);
