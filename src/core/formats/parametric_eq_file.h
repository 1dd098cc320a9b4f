#pragma once
// Parametric equaliser settings as text: "Preamp: -6.3 dB" and one
// "Filter N: ON PK Fc 105 Hz Gain -3.2 dB Q 1.41" line per filter, as equaliser programs read
// and write them.

#include <filesystem>
#include <string>

#include "parametric_eq.h"

// The preamp line and one line per filter, US decimal point whatever the locale, lines ending
// CR LF.
std::string ParametricEqText(const TFitResult& Result);
// Reads such a file, also one another program wrote (any letter case and spacing, comments,
// OFF filters, German numbers). EditorError naming the line of a filter or preamp that does not
// read, or "No filters in ..." when there is none.
TParametricEq ReadParametricEq(const std::filesystem::path& FileName);
