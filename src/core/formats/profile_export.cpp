#include "profile_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "editor_errors.h"
#include "measurement_import.h"
#include "text_utf.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string NonFiniteText(float value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

// The name on one line of its own: a line break inside it would split the header.
std::string NameLine(const std::u16string& name) {
    std::string line = Utf16ToUtf8(name);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return line;
}

// Whether a reader could take the line for data: Import Profile (ASCII) takes a line that starts
// with a digit; Import Measurement decides for itself, after a byte-order mark at the start of the
// file.
bool ReadsAsData(std::string_view line) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (line.starts_with(kByteOrderMark)) {
        line.remove_prefix(kByteOrderMark.size());
    }
    return (!line.empty() && line[0] >= '0' && line[0] <= '9') || MeasurementDataLine(line);
}

// A name that a reader could take for data is labelled, so that the line stays a header line for
// both readers; other names are written as they are.
std::string SemicolonNameLine(const std::u16string& name) {
    std::string line = NameLine(name);
    if (ReadsAsData(line)) {
        line.insert(0, "Name: ");
    }
    return line;
}

// The programs that read FRD and GraphicEQ files put the frequencies on a logarithmic axis, where
// 0 Hz and below have no place.
bool NeedsPositiveFrequencies(TExportFormat format) {
    return format == TExportFormat::Frd || format == TExportFormat::GraphicEq;
}

} // namespace

std::string PlainDecimal(float Value) {
    // The shortest digits come in exponent form; fixed form would write the exact value of a
    // large float (340282346638528859811704183484516925440) where fewer digits read back as well.
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::scientific).ptr;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t mark = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + mark + (text[mark + 1] == '+' ? 2 : 1), end, exponent);

    std::string plain;
    std::string digits;
    for (const char c : text.substr(0, mark)) {
        if (c == '-') {
            plain += c;
        } else if (c != '.') {
            digits += c;
        }
    }
    const int count = static_cast<int>(digits.size());
    if (exponent < 0) {
        plain.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
    } else if (exponent + 1 >= count) {
        plain.append(digits).append(static_cast<std::size_t>(exponent + 1 - count), '0');
    } else {
        const auto split = static_cast<std::size_t>(exponent + 1);
        plain.append(digits, 0, split).append(".").append(digits, split);
    }
    return plain;
}

std::string ExportText(const TSoundProfil& Profile, TExportFormat Format) {
    std::string text;
    switch (Format) {
    case TExportFormat::SemicolonText:
        text.append(SemicolonNameLine(Profile.stName)).append(kLineEnd);
        text.append("f(Hz);Gain(dB)").append(kLineEnd);
        break;
    case TExportFormat::Csv:
        text.append("frequency,gain").append(kLineEnd);
        break;
    case TExportFormat::Frd:
        text.append("* ").append(NameLine(Profile.stName)).append(kLineEnd);
        text.append("* Freq(Hz) Gain(dB)").append(kLineEnd);
        break;
    case TExportFormat::GraphicEq:
        text.append("GraphicEQ: ");
        break;
    }

    bool first = true;
    std::size_t point = 0;
    for (std::size_t index = 0; index < Profile.xyData.size(); ++index) {
        const std::vector<float>& row = Profile.xyData[index];
        if (row.size() < 2) {
            continue;
        }
        ++point;
        for (const float value : {row[0], row[1]}) {
            if (!std::isfinite(value)) {
                throw EditorError("Cannot export: point " + std::to_string(point) + " holds " +
                                  NonFiniteText(value) + ", which is not a finite number");
            }
        }
        if (NeedsPositiveFrequencies(Format) && !(row[0] > 0)) {
            // Counted as the table counts its rows, from 1 and with the rows that are left out.
            throw EditorError("Row " + std::to_string(index + 1) + ": the frequency " +
                              PlainDecimal(row[0]) +
                              " Hz is not above 0 Hz; FRD and GraphicEQ files need positive "
                              "frequencies");
        }
        const std::string frequency = PlainDecimal(row[0]);
        const std::string gain = PlainDecimal(row[1]);
        switch (Format) {
        case TExportFormat::SemicolonText:
            text.append(frequency).append(";").append(gain).append(kLineEnd);
            break;
        case TExportFormat::Csv:
            text.append(frequency).append(",").append(gain).append(kLineEnd);
            break;
        case TExportFormat::Frd:
            text.append(frequency).append("\t").append(gain).append(kLineEnd);
            break;
        case TExportFormat::GraphicEq:
            text.append(first ? "" : "; ").append(frequency).append(" ").append(gain);
            break;
        }
        first = false;
    }
    if (Format == TExportFormat::GraphicEq) {
        text.append(kLineEnd);
    }
    return text;
}

void ExportProfileText(const std::filesystem::path& FileName, const TSoundProfil& Profile,
                       TExportFormat Format) {
    ReplaceFileContents(FileName, ExportText(Profile, Format));
}
