#include "measurement_preview.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

#include "imported_rows.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStringgrid_VCL.h"

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

// The points with a finite whole hertz after Update / Sort, as (hertz, index), ordered by hertz
// and then by their place in the file.
std::vector<std::pair<float, std::size_t>> ByWholeHertz(const std::vector<float>& Frequencies) {
    std::vector<std::pair<float, std::size_t>> points;
    for (std::size_t i = 0; i < Frequencies.size(); ++i) {
        const std::optional<float> hertz = HertzAfterUpdate(Frequencies[i]);
        if (hertz && std::isfinite(*hertz)) {
            points.emplace_back(*hertz, i);
        }
    }
    std::sort(points.begin(), points.end());
    return points;
}

std::size_t SharedHertz(const std::vector<float>& Frequencies) {
    const auto points = ByWholeHertz(Frequencies);
    std::size_t shared = 0;
    for (std::size_t start = 0, stop = 0; start < points.size(); start = stop) {
        while (stop < points.size() && points[stop].first == points[start].first) {
            ++stop;
        }
        shared += stop - start > 1 ? stop - start : 0;
    }
    return shared;
}

TMeasurementChoice MakeChoice(int32_t Column, const TMeasurementLayout& Titles,
                              TMeasurementLayout Layout, TDatentyp Points) {
    TMeasurementChoice choice;
    choice.GainColumn = Column;
    choice.Title = ColumnTitle(Titles, Column);
    choice.LayoutText = LayoutText(Layout);
    choice.Layout = std::move(Layout);
    choice.Points = std::move(Points);
    const std::vector<float>& freqs = choice.Points.DatenXYZ[0];
    const std::vector<float>& gains = choice.Points.DatenXYZ[1];
    // As ShowImportedData writes the table.
    for (std::size_t i = 0; i < std::min(gains.size(), kPreviewRows); ++i) {
        choice.FirstRows.emplace_back(ImportedFrequencyText(freqs[i]), ImportedGainText(gains[i]));
    }
    return choice;
}

} // namespace

TMeasurementPreview PreviewMeasurement(const std::filesystem::path& FileName) {
    std::vector<int32_t> columns;
    for (int32_t column = 1; column <= kPreviewGainColumns; ++column) {
        columns.push_back(column);
    }
    TMeasurementColumns read =
        ImportMeasurementColumns(FileName, columns, kPreviewLines, kPreviewLineLength);
    TMeasurementPreview preview;
    preview.FileName = FileName;
    preview.FirstLines = std::move(read.FirstLines);
    // The columns are those the reading of the first counted; its header row titles them all.
    const TMeasurementLayout first = read.Layouts[0];
    for (std::size_t j = 0; j < columns.size() && columns[j] < std::max(first.ColumnCount, 2);
         ++j) {
        if (read.Layouts[j].Delimiter != 0) {
            preview.Choices.push_back(MakeChoice(columns[j], first, std::move(read.Layouts[j]),
                                                 std::move(read.Points[j])));
        }
    }
    // Columns mostly share their frequencies: those are rounded once.
    for (std::size_t j = 0; j < preview.Choices.size(); ++j) {
        TMeasurementChoice& choice = preview.Choices[j];
        choice.SharedHertz =
            j > 0 && choice.Points.DatenXYZ[0] == preview.Choices[j - 1].Points.DatenXYZ[0]
                ? preview.Choices[j - 1].SharedHertz
                : SharedHertz(choice.Points.DatenXYZ[0]);
    }
    return preview;
}

std::optional<float> HertzAfterUpdate(float Frequency) {
    // ShowImportedData's text of the frequency, then the cell as GridToProfileRows reads it.
    return CellToFloat(NormalizeNumberText(ImportedFrequencyText(Frequency), 0));
}

TDatentyp MergedPoints(const TDatentyp& Points) {
    const std::vector<float>& freqs = Points.DatenXYZ[0];
    const std::vector<float>& gains = Points.DatenXYZ[1];
    // For each point, the first of those that share its whole hertz, and how many they are.
    std::vector<std::size_t> firstOf(freqs.size());
    for (std::size_t i = 0; i < freqs.size(); ++i) {
        firstOf[i] = i;
    }
    std::vector<double> sums(gains.begin(), gains.end());
    std::vector<std::size_t> counts(freqs.size(), 1);
    std::vector<float> hertz(freqs.begin(), freqs.end());
    const auto points = ByWholeHertz(freqs);
    for (std::size_t start = 0, stop = 0; start < points.size(); start = stop) {
        const std::size_t first = points[start].second;
        hertz[first] = points[start].first;
        for (stop = start + 1; stop < points.size() && points[stop].first == points[start].first;
             ++stop) {
            const std::size_t other = points[stop].second;
            firstOf[other] = first;
            sums[first] += static_cast<double>(gains[other]);
            ++counts[first];
        }
    }
    TDatentyp merged;
    for (std::size_t i = 0; i < freqs.size(); ++i) {
        if (firstOf[i] != i) {
            continue;
        }
        merged.DatenXYZ[0].push_back(counts[i] > 1 ? hertz[i] : freqs[i]);
        merged.DatenXYZ[1].push_back(
            counts[i] > 1 ? static_cast<float>(sums[i] / static_cast<double>(counts[i]))
                          : gains[i]);
    }
    return merged;
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
