#include "reference_curve.h"

#include "editor_errors.h"
#include "measurement_import.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

TReferenceCurve ReadReferenceCurve(const std::filesystem::path& FileName) {
    TReferenceCurve curve;
    curve.Name = PathToUtf16(FileName.filename());
    TDatentyp points;
    if (IsProfileFileName(FileName)) {
        TSoundProfil profile;
        LoadSoundProfil(FileName, profile);
        for (const std::vector<float>& row : profile.xyData) {
            if (row.size() >= 2) {
                points.DatenXYZ[0].push_back(row[0]);
                points.DatenXYZ[1].push_back(row[1]);
            }
        }
        if (!profile.stName.empty()) {
            curve.Name = profile.stName;
        }
    } else {
        ImportMeasurement(FileName, 1, points);
    }
    const std::vector<float>& x = points.DatenXYZ[0];
    const std::vector<float>& y = points.DatenXYZ[1];
    if (x.empty() || y.empty()) {
        throw FormatError("File invalid");
    }
    ShowAllPoints(points, curve.Points, u"");
    return curve;
}
