#include "correction.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "number_text.h"
#include "text_utf.h"

namespace {

std::string Number(double Value) {
    return Utf16ToUtf8(FormatGeneral(Value, UserNotation));
}

TGainCurve UsedCurve(const TProfileRows& Rows, const char* Which) {
    TGainCurve curve(Rows);
    if (curve.Empty()) {
        throw EditorError(std::string("The ") + Which + " has no point to work with.");
    }
    return curve;
}

// Each used row's gain plus Sign times the reference's gain at its frequency.
void ApplyReference(TProfileRows& Rows, const TProfileRows& Reference, double Sign) {
    const TGainCurve reference = UsedCurve(Reference, "reference curve");
    for (std::vector<float>& row : Rows) {
        if (IsUsedRow(row)) {
            row[1] = TableValue(static_cast<double>(row[1]) + Sign * reference.At(row[0]), 1);
        }
    }
}

} // namespace

TProfileRows CorrectionRows(const TProfileRows& Measurement, const TProfileRows& Target,
                            const TCorrectionSettings& Settings) {
    if (!(Settings.AlignHz > 0)) {
        throw EditorError("The align frequency must be above 0 Hz, not " +
                          Number(Settings.AlignHz) + " Hz.");
    }
    if (!(Settings.MaxBoostDb >= 0)) {
        throw EditorError("The maximum boost must not be below 0 dB, not " +
                          Number(Settings.MaxBoostDb) + " dB.");
    }
    if (!(Settings.MaxCutDb >= 0)) {
        throw EditorError("The maximum cut must not be below 0 dB, not " +
                          Number(Settings.MaxCutDb) + " dB.");
    }
    const TGainCurve measured = UsedCurve(Measurement, "measurement");
    const TGainCurve target = UsedCurve(Target, "target curve");
    const double aligned = target.At(Settings.AlignHz) - measured.At(Settings.AlignHz);

    TProfileRows correction;
    for (const std::vector<float>& row : Measurement) {
        if (!IsUsedRow(row)) {
            continue;
        }
        const double f = row[0];
        const double c = (target.At(f) - measured.At(f)) - aligned;
        correction.push_back(
            {TableValue(f, 0),
             TableValue(std::clamp(c, -Settings.MaxCutDb, Settings.MaxBoostDb), 1)});
    }
    return correction;
}

void SubtractReference(TProfileRows& Rows, const TProfileRows& Reference) {
    ApplyReference(Rows, Reference, -1);
}

void AddReference(TProfileRows& Rows, const TProfileRows& Reference) {
    ApplyReference(Rows, Reference, +1);
}
