#pragma once
// The curve that takes a measured response to a target, and a reference curve taken off or put
// onto a profile (a measurement microphone's calibration, say).

#include "profile_curves.h"

struct TCorrectionSettings {
    double AlignHz = 1000; // the correction is 0 dB here before it is limited
    double MaxBoostDb = 6; // never above +MaxBoostDb
    double MaxCutDb = 20;  // never below -MaxCutDb
};
// One row per used measurement row, in order: the target's gain minus the measurement's at its
// frequency, less the same difference at AlignHz, limited to [-MaxCutDb, +MaxBoostDb].
TProfileRows CorrectionRows(const TProfileRows& Measurement, const TProfileRows& Target,
                            const TCorrectionSettings& Settings);
// Each used row's gain becomes gain - G_R(frequency) (Subtract) or gain + G_R(frequency) (Add),
// with G_R the reference's interpolated gain; rows not used stay as they are.
void SubtractReference(TProfileRows& Rows, const TProfileRows& Reference);
void AddReference(TProfileRows& Rows, const TProfileRows& Reference);
