#include "reference_curve.h"

#include "editor_errors.h"
#include "measurement_import.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

TReferenceCurve ReadReferenceCurve(const std::filesystem::path& FileName) {
    std::u16string extension = PathToUtf16(FileName.extension());
    for (char16_t& c : extension) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    TReferenceCurve curve;
    curve.Name = PathToUtf16(FileName.filename());
    TDatentyp points;
    if (extension == u".ump") {
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
    if (x.size() == 1) {
        curve.Points.AddXY(x[0], y[0], u"", TLineSeries::Color); // ShowSeries takes two or more
    } else {
        ShowSeries(points, curve.Points, u"");
    }
    return curve;
}
