#include "curve_commands.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main_f.h"
#include "number_text.h"
#include "profile_curves.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

const std::vector<std::u16string> kFractions = {u"1/1",  u"1/2",  u"1/3", u"1/6",
                                                u"1/12", u"1/24", u"1/48"};

// "1/3" or "3": the parts of an octave, when the tools offer that fraction.
std::optional<int32_t> ReadFraction(std::u16string_view Text) {
    if (Text.starts_with(u"1/")) {
        Text.remove_prefix(2);
    }
    const std::string digits = Utf16ToUtf8(std::u16string(Text));
    int32_t n = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (error != std::errc() || end != digits.data() + digits.size() || !IsOctaveFraction(n)) {
        return std::nullopt;
    }
    return n;
}

// Reads the octave fraction field into Fraction.
std::function<std::u16string(const std::vector<std::u16string>&)>
FractionReader(int32_t& Fraction) {
    return [&Fraction](const std::vector<std::u16string>& texts) {
        Fraction = ReadFraction(texts[0]).value_or(0);
        return Fraction != 0 ? std::u16string()
                             : u"'" + texts[0] +
                                   u"' is not one of 1/1, 1/2, 1/3, 1/6, 1/12, "
                                   u"1/24 or 1/48.";
    };
}

} // namespace

std::u16string NotANumber(const std::u16string& Text) {
    return u"'" + Text + u"' is not a valid floating point value.";
}

std::optional<double> ReadValue(const std::u16string& Text, int32_t Decimals) {
    long double value = 0;
    if (!NormalizedNumber(Text, Decimals, value) || !std::isfinite(value)) {
        return std::nullopt;
    }
    return static_cast<double>(value);
}

std::u16string GainLimitRefusal(const TProfileRows& Rows) {
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (Rows[i].size() >= 2 && !(std::fabs(Rows[i][1]) <= kGainLimitDb)) {
            return u"The result would take the gain of row " + Utf8ToUtf16(std::to_string(i + 1)) +
                   u" beyond the limit of -1000 to 1000 dB; the profile stays as it is.";
        }
    }
    return {};
}

bool AskValues(TDesktop& Desktop, TValueDialog Dialog,
               const std::function<std::u16string(const std::vector<std::u16string>&)>& Read) {
    for (;;) {
        const auto texts = Desktop.AskValues(Dialog);
        if (!texts || texts->size() != Dialog.Fields.size()) {
            return false;
        }
        const std::u16string refusal = Read(*texts);
        if (refusal.empty()) {
            return true;
        }
        Desktop.MessageDlg(TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK, refusal);
        for (std::size_t i = 0; i < texts->size(); ++i) {
            Dialog.Fields[i].Text = (*texts)[i];
        }
    }
}

void ApplyCurveTool(TForm1& Form, const std::function<std::u16string(TProfileRows&)>& Tool) {
    const TFormSteps& steps = Form.Steps();
    if (!steps.ReadTable()) {
        return;
    }
    TProfileRows rows = CurrentSoundProfil.xyData;
    const std::u16string refusal = Tool(rows);
    if (!refusal.empty()) {
        Form.Desktop.MessageDlg(TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK, refusal);
        return;
    }
    CurrentSoundProfil.xyData = std::move(rows);
    steps.ShowRows();
}

void InvertCommand(TForm1& Form) {
    ApplyCurveTool(Form, [](TProfileRows& rows) {
        InvertGains(rows);
        return std::u16string();
    });
}

void OffsetCommand(TForm1& Form) {
    double decibels = 0;
    if (!AskValues(Form.Desktop, {u"Offset gains", {{u"Offset (dB):", u"0", {}}}},
                   [&](const std::vector<std::u16string>& texts) {
                       const auto value = ReadValue(texts[0]);
                       if (!value) {
                           return NotANumber(texts[0]);
                       }
                       decibels = *value;
                       return std::fabs(decibels) <= kGainLimitDb
                                  ? std::u16string()
                                  : std::u16string(u"The offset must lie between -1000 and "
                                                   u"1000 dB.");
                   })) {
        return;
    }
    ApplyCurveTool(Form, [&](TProfileRows& rows) {
        OffsetGains(rows, decibels);
        return GainLimitRefusal(rows);
    });
}

void NormalizeCommand(TForm1& Form) {
    double frequency = 0;
    if (!AskValues(Form.Desktop, {u"Normalize at frequency", {{u"Frequency (Hz):", u"1000", {}}}},
                   [&](const std::vector<std::u16string>& texts) {
                       const auto value = ReadValue(texts[0]);
                       if (!value) {
                           return NotANumber(texts[0]);
                       }
                       frequency = *value;
                       return frequency > 0 ? std::u16string()
                                            : std::u16string(u"The frequency must be above 0 Hz.");
                   })) {
        return;
    }
    ApplyCurveTool(Form, [&](TProfileRows& rows) {
        NormalizeGains(rows, frequency);
        return GainLimitRefusal(rows);
    });
}

void SmoothCommand(TForm1& Form) {
    int32_t fraction = 0;
    if (!AskValues(Form.Desktop, {u"Smooth", {{u"Octave fraction:", u"1/3", kFractions}}},
                   FractionReader(fraction))) {
        return;
    }
    ApplyCurveTool(Form, [&](TProfileRows& rows) {
        SmoothGains(rows, fraction);
        return std::u16string();
    });
}

void ResampleCommand(TForm1& Form) {
    int32_t fraction = 0;
    if (!AskValues(Form.Desktop, {u"Resample", {{u"Octave fraction:", u"1/12", kFractions}}},
                   FractionReader(fraction))) {
        return;
    }
    ApplyCurveTool(Form, [&](TProfileRows& rows) {
        rows = ResampleRows(rows, fraction);
        return std::u16string();
    });
}

void LimitCommand(TForm1& Form) {
    double low = 0;
    double high = 0;
    if (!AskValues(
            Form.Desktop,
            {u"Limit frequency range",
             {{u"Lowest frequency (Hz):", u"20", {}}, {u"Highest frequency (Hz):", u"20000", {}}}},
            [&](const std::vector<std::u16string>& texts) {
                const auto from = ReadValue(texts[0]);
                const auto to = ReadValue(texts[1]);
                if (!from || !to) {
                    return NotANumber(texts[from ? 1 : 0]);
                }
                low = *from;
                high = *to;
                return low <= high ? std::u16string()
                                   : std::u16string(u"The lowest frequency lies above the "
                                                    u"highest.");
            })) {
        return;
    }
    ApplyCurveTool(Form, [&](TProfileRows& rows) {
        TProfileRows kept = rows;
        LimitRange(kept, low, high);
        if (kept.empty()) {
            return u"No point lies between " + FormatGeneral(low, UserNotation) + u" and " +
                   FormatGeneral(high, UserNotation) + u" Hz; the profile stays as it is.";
        }
        rows = std::move(kept);
        return std::u16string();
    });
}

void MergeCommand(TForm1& Form) {
    ApplyCurveTool(Form, [](TProfileRows& rows) {
        MergeSharedHertz(rows);
        return std::u16string();
    });
}
