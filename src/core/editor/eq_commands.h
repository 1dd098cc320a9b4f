#pragma once
// The commands that take a profile to a target and to an equaliser: the correction to the loaded
// reference curve, the reference taken off or put onto the profile, the fit of parametric EQ
// filters (with its result window) and an equaliser's settings file read in as a profile. Those
// that need the reference say "Load a reference curve first." without one and change nothing.

#include <array>
#include <string>
#include <vector>

#include "parametric_eq.h"

class TForm1;

// Asks the align frequency and the limits, then the table's rows become the correction that takes
// them to the reference.
void CorrectionCommand(TForm1& Form);
// Each used row's gain less, or plus, the reference's gain at its frequency.
void SubtractReferenceCommand(TForm1& Form);
void AddReferenceCommand(TForm1& Form);
// Asks the fit's settings, fits filters to the table's rows and opens the result window; the
// table does not change.
void FitParametricEqCommand(TForm1& Form);
// What the fit's result window lists, in the user's notation: per filter its type ("Peaking",
// "Low shelf", "High shelf"), Fc in whole hertz, gain to 0.1 dB and Q to 0.01; "Preamp: -6.3 dB"
// and "RMS error: 0.42 dB".
struct TParametricEqTexts {
    std::vector<std::array<std::u16string, 4>> Filters;
    std::u16string Preamp;
    std::u16string Error;
};
TParametricEqTexts ParametricEqTexts(const TFitResult& Result);
// A save dialog for the filters' text; the other exports' question before a file is replaced.
void ExportParametricEq(TForm1& Form, const TFitResult& Result);
// An equaliser's settings file shown as its response, as Open shows a profile.
void ImportParametricEqCommand(TForm1& Form);
