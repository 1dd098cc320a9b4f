#include "correction.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "number_text.h"
#include "text_utf.h"

namespace {

// Rows the curve tools use: two values and a finite frequency above 0 Hz.
bool IsUsed(const std::vector<float>& Row) {
    return Row.size() >= 2 && std::isfinite(Row[0]) && Row[0] > 0;
}

// InterpolatedGain's rule, with the used points sorted once for the many frequencies a whole
// profile asks for.
class GainCurve {
public:
    explicit GainCurve(const TProfileRows& Rows) {
        std::vector<const std::vector<float>*> used;
        for (const std::vector<float>& row : Rows) {
            if (IsUsed(row)) {
                used.push_back(&row);
            }
        }
        std::stable_sort(used.begin(), used.end(),
                         [](const auto* a, const auto* b) { return (*a)[0] < (*b)[0]; });
        for (const std::vector<float>* row : used) {
            frequencies_.push_back((*row)[0]);
            gains_.push_back((*row)[1]);
        }
    }

    bool Empty() const { return frequencies_.empty(); }

    double At(double F) const {
        if (std::isnan(F)) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        const auto begin = frequencies_.begin();
        const auto end = frequencies_.end();
        if (F <= frequencies_.front()) {
            return gains_.front();
        }
        if (F >= frequencies_.back()) {
            return gains_[Index(std::lower_bound(begin, end, frequencies_.back()))];
        }
        const std::size_t a = Index(std::lower_bound(begin, end, F));
        if (frequencies_[a] == F) {
            return gains_[a];
        }
        const double f0 = std::log10(frequencies_[a - 1]);
        const double f1 = std::log10(frequencies_[a]);
        return gains_[a - 1] + (gains_[a] - gains_[a - 1]) * (std::log10(F) - f0) / (f1 - f0);
    }

private:
    std::size_t Index(std::vector<double>::const_iterator it) const {
        return static_cast<std::size_t>(it - frequencies_.begin());
    }

    std::vector<double> frequencies_;
    std::vector<double> gains_;
};

std::string Number(double Value) {
    return Utf16ToUtf8(FormatGeneral(Value, UserNotation));
}

GainCurve UsedCurve(const TProfileRows& Rows, const char* Which) {
    GainCurve curve(Rows);
    if (curve.Empty()) {
        throw EditorError(std::string("The ") + Which + " has no point to work with.");
    }
    return curve;
}

// Each used row's gain plus Sign times the reference's gain at its frequency.
void ApplyReference(TProfileRows& Rows, const TProfileRows& Reference, double Sign) {
    const GainCurve reference = UsedCurve(Reference, "reference curve");
    for (std::vector<float>& row : Rows) {
        if (IsUsed(row)) {
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
    const GainCurve measured = UsedCurve(Measurement, "measurement");
    const GainCurve target = UsedCurve(Target, "target curve");
    const double aligned = target.At(Settings.AlignHz) - measured.At(Settings.AlignHz);

    TProfileRows correction;
    for (const std::vector<float>& row : Measurement) {
        if (!IsUsed(row)) {
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
