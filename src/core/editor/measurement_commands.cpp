#include "measurement_commands.h"

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

void ImportMeasurementCommand(TForm1& Form) {
    const TFormSteps& steps = Form.Steps();
    TDesktop& desktop = Form.Desktop;
    const auto path =
        desktop.RunOpenDialog(steps.Dialog(kMeasurementFilter, u"Import measurement", u""));
    if (!path) {
        return;
    }
    steps.RememberFolder(*path);
    TMeasurementPreview preview;
    const auto read = [&] { preview = PreviewMeasurement(*path); };
    if (desktop.RunBusy) {
        desktop.RunBusy(u"Reading " + PathToUtf16(path->filename()) + u"...", read);
    } else {
        read();
    }
    if (preview.Choices.empty()) {
        desktop.MessageDlg(TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK,
                           NoMeasurementDataText(*path));
        return;
    }
    const std::optional<TMeasurementPick> pick = desktop.PreviewMeasurement(preview);
    if (!pick) {
        return;
    }
    TDatentyp& chosen = preview.Choices.at(pick->Choice).Points;
    TDatentyp points = pick->Merge ? MergedPoints(chosen) : std::move(chosen);
    Form.lbFilename.SetText(PathToUtf16(path->filename()));
    steps.ShowImported(std::move(points));
    Form.Edit1.SetText(PathToUtf16(path->stem()));
    steps.MarkSaved();
}

void ExportCommand(TForm1& Form) {
    const TFormSteps& steps = Form.Steps();
    // Save's own first steps and messages: what is exported is what Save would write.
    if (!steps.SortAndReadTable()) {
        return;
    }

    TFileDialogSettings settings = steps.Dialog(ExportFilter(), u"Export profile", u".txt");
    settings.ConfirmOverwrite = true;
    const auto choice = Form.Desktop.RunSaveDialogWithFilter(settings);
    if (!choice) {
        return;
    }
    const ExportEntry& entry = kExportEntries.at(
        FilterIndexForName(settings.Filter, choice->FileName, choice->FilterIndex));
    // The file label keeps naming the profile's own file: an export is a copy in another format.
    steps.RememberFolder(choice->FileName);
    // The name as the name field shows it, as Save would store it.
    TSoundProfil exported{SoundProfilVersion, Form.Edit1.Text(), CurrentSoundProfil.xyData};
    ExportProfileText(choice->FileName, exported, entry.Format);
    Form.Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                            u"Profile exported: " + PathToUtf16(choice->FileName));
}
