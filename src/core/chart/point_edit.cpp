#include "point_edit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The decimals a number text shows, or nullopt for one with an exponent, read exactly.
std::optional<int> ShownDecimals(std::u16string_view Text, char16_t Separator) {
    if (Text.find_first_of(u"eE") != std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::size_t at = Text.find(Separator);
    if (at == std::u16string_view::npos) {
        return 0;
    }
    int decimals = 0;
    for (std::size_t i = at + 1; i < Text.size() && Text[i] >= u'0' && Text[i] <= u'9'; ++i) {
        ++decimals;
    }
    return decimals;
}

bool TextReadsAs(std::u16string_view Text, double Value, const NumberNotation& Notation) {
    long double read = 0;
    if (!TextToNumber(Text, read, Notation) || !std::isfinite(Value)) {
        return false;
    }
    const std::optional<int> decimals = ShownDecimals(Text, Notation.DecimalSeparator);
    // Half a unit of the last decimal shown, and the float's own rounding.
    const double slack = (decimals ? 0.5 * std::pow(10.0, -*decimals) : 0.0) +
                         std::abs(Value) * std::numeric_limits<float>::epsilon();
    return std::abs(static_cast<double>(read) - Value) <= slack;
}

} // namespace

double DrawnGain(double Db) {
    return static_cast<float>(std::round(Db * 10) / 10);
}

double DrawnFrequency(double Hz) {
    return static_cast<float>(std::max(1.0, std::round(Hz)));
}

double FrequencyBetween(std::span<const double> X, std::size_t Point, double Hz) {
    double lowest = 1;
    double highest = std::numeric_limits<double>::infinity();
    if (Point > 0 && std::isfinite(X[Point - 1])) {
        lowest = std::max(lowest, std::floor(X[Point - 1]) + 1);
    }
    if (Point + 1 < X.size() && std::isfinite(X[Point + 1])) {
        highest = std::ceil(X[Point + 1]) - 1;
    }
    if (lowest > highest) {
        return X[Point];
    }
    return std::clamp(DrawnFrequency(Hz), lowest, highest);
}

std::optional<std::size_t> NewPointIndex(std::span<const double> X, double Hz) {
    const auto at = std::lower_bound(X.begin(), X.end(), Hz);
    if (at != X.end() && *at == Hz) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - X.begin());
}

std::optional<int32_t> NewPointRow(const TChartRows& Rows, std::size_t Index, std::size_t Count) {
    if (Index < Count) {
        return Rows.RowOf(Index);
    }
    if (Index > 0) {
        const std::optional<int32_t> before = Rows.RowOf(Index - 1);
        return before ? std::optional<int32_t>(*before + 1) : std::nullopt;
    }
    return 1;
}

bool RowReadsAs(std::u16string_view FreqText, std::u16string_view GainText, double Hz, double Db,
                const NumberNotation& Notation) {
    return TextReadsAs(FreqText, Hz, Notation) && TextReadsAs(GainText, Db, Notation);
}

double NudgedGain(double Db, bool Up, bool Large) {
    const double step = Large ? 1.0 : 0.1;
    return DrawnGain(Up ? Db + step : Db - step);
}
