#include "measurement_preview.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "number_text.h"
#include "text_utf.h"

namespace {

std::u16string LayoutText(const TMeasurementLayout& Layout) {
    return u"Delimiter: " + DelimiterName(Layout.Delimiter) + u", data lines: " +
           DecimalText(Layout.DataLines) + u", skipped lines: " + DecimalText(Layout.SkippedLines);
}

std::u16string ColumnTitle(const TMeasurementLayout& Layout, int32_t Column) {
    const auto index = static_cast<std::size_t>(Column);
    if (index < Layout.ColumnTitles.size() && !Layout.ColumnTitles[index].empty()) {
        return Layout.ColumnTitles[index];
    }
    return u"Column " + DecimalText(index + 1);
}

// The choice of one column, when it gives points.
bool ReadChoice(const std::filesystem::path& FileName, int32_t Column,
                const TMeasurementLayout* Titles, TMeasurementChoice& Choice) {
    Choice.GainColumn = Column;
    Choice.Layout = ImportMeasurement(FileName, Column, Choice.Points);
    if (Choice.Layout.Delimiter == 0) {
        return false;
    }
    Choice.Title = ColumnTitle(Titles ? *Titles : Choice.Layout, Column);
    Choice.LayoutText = LayoutText(Choice.Layout);
    const std::vector<float>& freqs = Choice.Points.DatenXYZ[0];
    const std::vector<float>& gains = Choice.Points.DatenXYZ[1];
    // As ShowImportedData writes the table.
    for (std::size_t i = 0; i < std::min(gains.size(), kPreviewRows); ++i) {
        Choice.FirstRows.emplace_back(FormatFixed(freqs[i], 6, 1, UserNotation),
                                      FormatFixed(gains[i], 5, 2, UserNotation));
    }
    return true;
}

} // namespace

TMeasurementPreview PreviewMeasurement(const std::filesystem::path& FileName) {
    TMeasurementPreview preview;
    preview.FileName = FileName;
    preview.FirstLines = MeasurementLines(FileName, kPreviewLines);
    for (std::u16string& line : preview.FirstLines) {
        if (line.size() > kPreviewLineLength) {
            line.resize(kPreviewLineLength);
            if (line.back() >= 0xD800 && line.back() <= 0xDBFF) {
                line.pop_back(); // never half of a pair
            }
            line += u'\u2026';
        }
    }
    TMeasurementChoice first;
    if (!ReadChoice(FileName, 1, nullptr, first)) {
        return preview;
    }
    // The columns are those the first reading counted; its header row titles them all.
    const TMeasurementLayout layout = first.Layout;
    preview.Choices.push_back(std::move(first));
    for (int32_t column = 2; column < std::min(layout.ColumnCount, kPreviewGainColumns + 1);
         ++column) {
        TMeasurementChoice choice;
        if (ReadChoice(FileName, column, &layout, choice)) {
            preview.Choices.push_back(std::move(choice));
        }
    }
    return preview;
}

std::u16string DelimiterName(char16_t Delimiter) {
    switch (Delimiter) {
    case u'\t':
        return u"tab";
    case u';':
        return u"semicolon";
    case u',':
        return u"comma";
    case u' ':
        return u"spaces";
    case u'G':
        return u"GraphicEQ line";
    default:
        return u"none";
    }
}

std::u16string NoMeasurementDataText(const std::filesystem::path& FileName) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(FileName, error);
    return u"No measurement data in \"" +
           PathToUtf16((error ? FileName : full).lexically_normal()) + u"\"";
}

void ShowChoice(const TMeasurementChoice& Choice, TLineSeries& Series) {
    ShowAllPoints(Choice.Points, Series, u"");
}
