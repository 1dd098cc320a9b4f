#include "eq_commands.h"

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "correction.h"
#include "curve_commands.h"
#include "main_f.h"
#include "number_text.h"
#include "parametric_eq_file.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

// The response shown for a file read in and in the chart beside a fit: 1/48 octave.
constexpr int32_t kResponseFraction = 48;
constexpr double kImportSampleRate = 48000;

// The loaded reference curve, or nullopt after the message that there is none.
std::optional<TProfileRows> Reference(TForm1& Form) {
    std::optional<TProfileRows> rows;
    if (Form.Desktop.ReferenceRows) {
        rows = Form.Desktop.ReferenceRows();
    }
    if (!rows) {
        Form.Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                                u"Load a reference curve first.");
    }
    return rows;
}

std::u16string Number(double Value) {
    return FormatGeneral(Value, UserNotation);
}

std::u16string Check(bool On) {
    return On ? u"1" : u"0";
}

// The settings as the dialog's texts, in its fields' order.
std::vector<TValueField> FitFields(const TFitSettings& Settings) {
    return {{u"Filters (1 to 32):", Number(Settings.MaxFilters), {}},
            {u"Sample rate (Hz):", Number(Settings.SampleRate), {}},
            {u"Lowest frequency (Hz):", Number(Settings.LowHz), {}},
            {u"Highest frequency (Hz):", Number(Settings.HighHz), {}},
            {u"Lowest Q:", Number(Settings.MinQ), {}},
            {u"Highest Q:", Number(Settings.MaxQ), {}},
            {u"Max gain per filter (dB):", Number(Settings.MaxGainDb), {}},
            {u"Shelves", Check(Settings.Shelves), {}, true}};
}

// Reads the fit dialog's texts into Settings: empty, or the refusal of the first that does not
// read or lies out of range.
std::u16string ReadFitSettings(const std::vector<std::u16string>& Texts, TFitSettings& Settings) {
    // Q is written to two decimals, the rest to one.
    const int32_t decimals[] = {1, 1, 1, 1, 2, 2, 1};
    double values[7] = {};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const auto value = ReadValue(Texts[i], decimals[i]);
        if (!value) {
            return NotANumber(Texts[i]);
        }
        values[i] = *value;
    }
    const auto [filters, rate, low, high, minQ, maxQ, maxGain] = values;
    if (!(filters >= 1 && filters <= 32 && filters == std::floor(filters))) {
        return u"The number of filters must be a whole number from 1 to 32, not " +
               Number(filters) + u".";
    }
    if (!(low > 0 && low < high)) {
        return u"The lowest frequency must lie above 0 Hz and below the highest.";
    }
    if (!(high < rate / 2)) {
        return u"The highest frequency must lie below half the sample rate, " + Number(rate / 2) +
               u" Hz.";
    }
    if (!(minQ > 0 && minQ <= maxQ)) {
        return u"The lowest Q must lie above 0 and not above the highest.";
    }
    if (!(maxGain > 0)) {
        return u"The max gain per filter must lie above 0 dB, not " + Number(maxGain) + u" dB.";
    }
    Settings = {
        static_cast<int32_t>(filters), rate, low, high, minQ, maxQ, maxGain, Texts[7] == u"1"};
    return {};
}

} // namespace

void CorrectionCommand(TForm1& Form) {
    const std::optional<TProfileRows> reference = Reference(Form);
    if (!reference) {
        return;
    }
    TCorrectionSettings settings;
    const TValueDialog dialog{u"Correction to Reference",
                              {{u"Align at frequency (Hz):", Number(settings.AlignHz), {}},
                               {u"Max boost (dB):", Number(settings.MaxBoostDb), {}},
                               {u"Max cut (dB):", Number(settings.MaxCutDb), {}}}};
    if (!AskValues(Form.Desktop, dialog, [&](const std::vector<std::u16string>& texts) {
            double values[3] = {};
            for (std::size_t i = 0; i < texts.size(); ++i) {
                const auto value = ReadValue(texts[i]);
                if (!value) {
                    return NotANumber(texts[i]);
                }
                values[i] = *value;
            }
            settings = {values[0], values[1], values[2]};
            if (!(settings.AlignHz > 0)) {
                return std::u16string(u"The frequency must be above 0 Hz.");
            }
            return settings.MaxBoostDb >= 0 && settings.MaxCutDb >= 0
                       ? std::u16string()
                       : std::u16string(u"The max boost and the max cut must not be below 0 dB.");
        })) {
        return;
    }
    ApplyCurveTool(Form, [&](TProfileRows& rows) {
        rows = CorrectionRows(rows, *reference, settings);
        return GainLimitRefusal(rows);
    });
}

void SubtractReferenceCommand(TForm1& Form) {
    if (const std::optional<TProfileRows> reference = Reference(Form)) {
        ApplyCurveTool(Form, [&](TProfileRows& rows) {
            SubtractReference(rows, *reference);
            return GainLimitRefusal(rows);
        });
    }
}

void AddReferenceCommand(TForm1& Form) {
    if (const std::optional<TProfileRows> reference = Reference(Form)) {
        ApplyCurveTool(Form, [&](TProfileRows& rows) {
            AddReference(rows, *reference);
            return GainLimitRefusal(rows);
        });
    }
}

void FitParametricEqCommand(TForm1& Form) {
    TFitSettings settings;
    if (!AskValues(Form.Desktop, {u"Fit Parametric EQ", FitFields(settings)},
                   [&](const std::vector<std::u16string>& texts) {
                       return ReadFitSettings(texts, settings);
                   })) {
        return;
    }
    if (!Form.Steps().ReadTable()) {
        return;
    }
    TParametricEqFit fit;
    fit.Result = FitParametricEq(CurrentSoundProfil.xyData, settings);
    fit.Response = RenderParametricEq({fit.Result.PreampDb, fit.Result.Filters},
                                      settings.SampleRate, kResponseFraction);
    fit.Export = [&Form, result = fit.Result] {
        Form.Execute([&] { ExportParametricEq(Form, result); });
    };
    Form.Desktop.ShowParametricEqFit(fit);
}

TParametricEqTexts ParametricEqTexts(const TFitResult& Result) {
    const auto fixed = [](double value, int decimals) {
        return FormatFixed(value, 8, decimals, UserNotation);
    };
    TParametricEqTexts texts;
    for (const TFilter& filter : Result.Filters) {
        const char16_t* type = filter.Type == TFilterType::LowShelf    ? u"Low shelf"
                               : filter.Type == TFilterType::HighShelf ? u"High shelf"
                                                                       : u"Peaking";
        texts.Filters.push_back(
            {type, fixed(filter.Frequency, 0), fixed(filter.GainDb, 1), fixed(filter.Q, 2)});
    }
    texts.Preamp = u"Preamp: " + fixed(Result.PreampDb, 1) + u" dB";
    texts.Error = u"RMS error: " + fixed(Result.RmsErrorDb, 2) + u" dB";
    return texts;
}

void ExportParametricEq(TForm1& Form, const TFitResult& Result) {
    const TFormSteps& steps = Form.Steps();
    TFileDialogSettings settings =
        steps.Dialog(u"Parametric EQ|*.txt", u"Export parametric EQ", u".txt");
    settings.ConfirmOverwrite = true;
    const auto path = Form.Desktop.RunSaveDialog(settings);
    if (!path) {
        return;
    }
    steps.RememberFolder(*path);
    ReplaceFileContents(*path, ParametricEqText(Result));
    Form.Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK,
                            u"Parametric EQ exported: " + PathToUtf16(*path));
}

void ImportParametricEqCommand(TForm1& Form) {
    const TFormSteps& steps = Form.Steps();
    const auto path = Form.Desktop.RunOpenDialog(
        steps.Dialog(u"Parametric EQ|*.txt|All|*.*", u"Import parametric EQ", u""));
    if (!path) {
        return;
    }
    steps.RememberFolder(*path);
    // Read whole before anything changes: a file that does not read leaves the profile as it is.
    TSoundProfil profile{
        SoundProfilVersion, PathToUtf16(path->stem()),
        RenderParametricEq(ReadParametricEq(*path), kImportSampleRate, kResponseFraction)};
    Form.lbFilename.SetText(PathToUtf16(path->filename()));
    steps.ShowProfile(std::move(profile));
    steps.MarkSaved();
}
