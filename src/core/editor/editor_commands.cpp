#include "editor_commands.h"

#include <algorithm>
#include <array>

#include "curve_commands.h"
#include "eq_commands.h"
#include "main_f.h"
#include "measurement_commands.h"

namespace {

template <void (TForm1::*Handler)()> void RunHandler(TForm1& Form) {
    (Form.*Handler)();
}

template <void (TForm1::*Handler)()>
constexpr TCommand Described(TCommandId Id, const char* Action, const char16_t* Caption) {
    return {Id, Action, Caption, &RunHandler<Handler>, Handler};
}

constexpr TCommand Added(TCommandId Id, const char* Action, const char16_t* Caption,
                         void (*Run)(TForm1&)) {
    return {Id, Action, Caption, Run, nullptr};
}

using enum TCommandId;
const std::array kCommands = {
    Described<&TForm1::acImportExecute>(Import, "acImport", u"Import ASCII"),
    Described<&TForm1::acSaveProfileExecute>(SaveProfile, "acSaveProfile", u"Save Profile"),
    Described<&TForm1::acCloseExecute>(Close, "acClose", nullptr),
    Described<&TForm1::acClearExecute>(Clear, "acClear", u"Clear table"),
    Described<&TForm1::acAppendExecute>(Append, "acAppend", u"Append row"),
    Described<&TForm1::acDelRowExecute>(DelRow, "acDelRow", u"Delete row"),
    Described<&TForm1::acInsertExecute>(Insert, "acInsert", u"Insert row"),
    Described<&TForm1::acSortExecute>(Sort, "acSort", u"Update / Sort"),
    Described<&TForm1::acOPenProfileExecute>(OpenProfile, "acOPenProfile", u"Open profile"),
    Described<&TForm1::acInfoExecute>(Info, "acInfo", nullptr),
    Added(Invert, "acInvert", u"Invert gains", &InvertCommand),
    Added(Offset, "acOffset", u"Offset gains", &OffsetCommand),
    Added(Normalize, "acNormalize", u"Normalize at frequency", &NormalizeCommand),
    Added(Smooth, "acSmooth", u"Smooth", &SmoothCommand),
    Added(Resample, "acResample", u"Resample", &ResampleCommand),
    Added(Limit, "acLimit", u"Limit frequency range", &LimitCommand),
    Added(Merge, "acMerge", u"Merge duplicate frequencies", &MergeCommand),
    Added(ImportMeasurement, "acImportMeasurement", u"Import Measurement",
          &ImportMeasurementCommand),
    Added(Export, "acExport", u"Export Profile", &ExportCommand),
    Added(Correction, "acCorrection", u"Correction to Reference", &CorrectionCommand),
    Added(SubtractReference, "acSubtractReference", u"Subtract Reference",
          &SubtractReferenceCommand),
    Added(AddReference, "acAddReference", u"Add Reference", &AddReferenceCommand),
    Added(FitParametricEq, "acFitParametricEq", u"Fit Parametric EQ", &FitParametricEqCommand),
    Added(ImportParametricEq, "acImportParametricEq", u"Import Parametric EQ",
          &ImportParametricEqCommand),
};

} // namespace

std::span<const TCommand> Commands() {
    return kCommands;
}

const TCommand& CommandOf(TCommandId Id) {
    return *std::find_if(kCommands.begin(), kCommands.end(),
                         [Id](const TCommand& Command) { return Command.Id == Id; });
}
