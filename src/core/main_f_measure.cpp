// The measurement commands of TForm1: a measurement file in, through its preview, and the profile
// out in the text formats other programs read.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "main_f.h"
#include "measurement_preview.h"
#include "profile_export.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

const std::u16string kMeasurementFilter =
    u"Measurement files|*.txt;*.frd;*.csv;*.cal;*.dat|All|*.*";

// The save dialog's filter entries, in order; the entry chosen picks the format.
struct ExportEntry {
    const char16_t* Name;
    const char16_t* Pattern;
    TExportFormat Format;
};
const std::array<ExportEntry, 4> kExportEntries = {{
    {u"Semicolon text", u"*.txt", TExportFormat::SemicolonText},
    {u"CSV", u"*.csv", TExportFormat::Csv},
    {u"FRD", u"*.frd", TExportFormat::Frd},
    {u"GraphicEQ", u"*.txt", TExportFormat::GraphicEq},
}};

std::u16string ExportFilter() {
    std::u16string filter;
    for (const ExportEntry& entry : kExportEntries) {
        if (!filter.empty()) {
            filter += u'|';
        }
        filter += entry.Name + std::u16string(u"|") + entry.Pattern;
    }
    return filter;
}

} // namespace

void TForm1::acImportMeasurementExecute() {
    const auto path = Desktop.RunOpenDialog(Dialog(kMeasurementFilter, u"Import measurement"));
    if (!path) {
        return;
    }
    RememberFolder(*path);
    TMeasurementPreview preview = PreviewMeasurement(*path);
    if (preview.Choices.empty()) {
        Desktop.MessageDlg(TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK,
                           NoMeasurementDataText(*path));
        return;
    }
    const std::optional<TMeasurementPick> pick = Desktop.PreviewMeasurement(preview);
    if (!pick) {
        return;
    }
    TDatentyp& chosen = preview.Choices.at(pick->Choice).Points;
    TDatentyp points = pick->Merge ? MergedPoints(chosen) : std::move(chosen);
    lbFilename.SetText(PathToUtf16(path->filename()));
    history_.TakePoints();
    KorrDataTemp.DatenXYZ[0] = std::move(points.DatenXYZ[0]);
    KorrDataTemp.DatenXYZ[1] = std::move(points.DatenXYZ[1]);
    ShowPoints(KorrDataTemp);
    ShowImportedData(KorrDataTemp);
    Edit1.SetText(PathToUtf16(path->stem()));
    history_.MarkSaved();
}

void TForm1::acExportExecute() {
    // Save's own first steps and messages: what is exported is what Save would write.
    if (!SortAndReadTable()) {
        return;
    }

    TFileDialogSettings settings = Dialog(ExportFilter(), u"Export profile", u".txt");
    settings.ConfirmOverwrite = true;
    const auto choice = Desktop.RunSaveDialogWithFilter(settings);
    if (!choice) {
        return;
    }
    const ExportEntry& entry = kExportEntries.at(
        FilterIndexForName(settings.Filter, choice->FileName, choice->FilterIndex));
    // The file label keeps naming the profile's own file: an export is a copy in another format.
    RememberFolder(choice->FileName);
    // The name as the name field shows it, as Save would store it.
    TSoundProfil exported{SoundProfilVersion, Edit1.Text(), CurrentSoundProfil.xyData};
    ExportProfileText(choice->FileName, exported, entry.Format);
    Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                       u"Profile exported: " + PathToUtf16(choice->FileName));
}
