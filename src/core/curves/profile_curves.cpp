#include "profile_curves.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <system_error>

#include "decimal_rounding.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool HasPoint(const std::vector<float>& Row) {
    return Row.size() >= 2;
}

// The used rows' indices in ascending frequency order (equal frequencies in row order).
std::vector<std::size_t> UsedRows(const TProfileRows& Rows) {
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (IsUsedRow(Rows[i])) {
            used.push_back(i);
        }
    }
    const auto byFrequency = [&](std::size_t a, std::size_t b) { return Rows[a][0] < Rows[b][0]; };
    if (!std::is_sorted(used.begin(), used.end(), byFrequency)) {
        std::stable_sort(used.begin(), used.end(), byFrequency);
    }
    return used;
}

// Sums of float gains over a sliding window, exact: every finite gain is a whole multiple of the
// smallest unit among them, so the sums are kept as 128-bit counts of that unit while they fit.
// Infinities and NaN are counted apart.
class WindowSum {
public:
    explicit WindowSum(const std::vector<float>& Gains) : gains_(Gains) {
        int lowest = std::numeric_limits<int>::max();
        int highest = std::numeric_limits<int>::min();
        for (const float g : Gains) {
            if (std::isfinite(g) && g != 0) {
                int exponent = 0;
                std::frexp(g, &exponent);
                lowest = std::min(lowest, exponent - 24); // the unit of its last mantissa bit
                highest = std::max(highest, exponent);
            }
        }
        unit_ = lowest == std::numeric_limits<int>::max() ? 0 : lowest;
        const int countBits = std::bit_width(Gains.size() + 1);
        exact_ = lowest == std::numeric_limits<int>::max() || highest - lowest + countBits < 126;
    }

    void Add(std::size_t i) { Change(i, +1); }
    void Remove(std::size_t i) { Change(i, -1); }

    // The mean of the gains from First to Last - 1.
    double Mean(std::size_t First, std::size_t Last) const {
        const auto count = static_cast<long double>(Last - First);
        if (nan_ > 0 || (positive_ > 0 && negative_ > 0)) {
            return kNaN;
        }
        if (positive_ > 0) {
            return std::numeric_limits<double>::infinity();
        }
        if (negative_ > 0) {
            return -std::numeric_limits<double>::infinity();
        }
        if (exact_) {
            const long double sum = static_cast<long double>(units_);
            return static_cast<double>(std::ldexp(sum / count, unit_));
        }
        // Gains too far apart in magnitude for the counts: summed afresh, as long doubles.
        long double sum = 0;
        for (std::size_t i = First; i < Last; ++i) {
            sum += gains_[i];
        }
        return static_cast<double>(sum / count);
    }

private:
    void Change(std::size_t i, int sign) {
        const float g = gains_[i];
        if (std::isnan(g)) {
            nan_ += sign;
        } else if (std::isinf(g)) {
            (g > 0 ? positive_ : negative_) += sign;
        } else if (exact_ && g != 0) {
            const auto units = static_cast<__int128>(std::ldexp(static_cast<double>(g), -unit_));
            units_ += sign > 0 ? units : -units;
        }
    }

    const std::vector<float>& gains_;
    int unit_ = 0;
    bool exact_ = true;
    __int128 units_ = 0;
    int64_t nan_ = 0;
    int64_t positive_ = 0;
    int64_t negative_ = 0;
};

} // namespace

bool IsOctaveFraction(int32_t FractionOfOctave) {
    switch (FractionOfOctave) {
    case 1:
    case 2:
    case 3:
    case 6:
    case 12:
    case 24:
    case 48:
        return true;
    default:
        return false;
    }
}

float TableValue(double Value, int32_t Decimals) {
    if (!std::isfinite(Value)) {
        return static_cast<float>(Value);
    }
    const Digits rounded = RoundedDigits(Value, 8, Decimals);
    if (rounded.count == 0) {
        return 0.0f;
    }
    // "D1D2...Dk" times ten to the power of the exponent less k, read as the nearest float.
    char text[48];
    char* end = std::copy(rounded.digit, rounded.digit + rounded.count, text);
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, rounded.exponent - rounded.count).ptr;
    float value = 0;
    const auto [ptr, error] = std::from_chars(text, end, value);
    if (error == std::errc::result_out_of_range) {
        value = rounded.exponent > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
    }
    return rounded.negative ? -value : value;
}

bool IsUsedRow(const std::vector<float>& Row) {
    return Row.size() >= 2 && std::isfinite(Row[0]) && Row[0] > 0;
}

TGainCurve::TGainCurve(const TProfileRows& Rows) {
    for (const std::size_t i : UsedRows(Rows)) {
        frequencies_.push_back(Rows[i][0]);
        gains_.push_back(Rows[i][1]);
    }
}

double TGainCurve::At(double F) const {
    if (frequencies_.empty() || std::isnan(F)) {
        return kNaN;
    }
    if (F <= frequencies_.front()) {
        return gains_.front();
    }
    const auto begin = frequencies_.begin();
    const auto index = [&](std::vector<double>::const_iterator it) {
        return static_cast<std::size_t>(it - begin);
    };
    if (F >= frequencies_.back()) {
        // The first of the points at the highest frequency.
        return gains_[index(std::lower_bound(begin, frequencies_.end(), frequencies_.back()))];
    }
    const auto above = std::lower_bound(begin, frequencies_.end(), F);
    const std::size_t a = index(above);
    if (*above == F) {
        return gains_[a];
    }
    const double f0 = std::log10(frequencies_[a - 1]);
    const double f1 = std::log10(frequencies_[a]);
    const double g0 = gains_[a - 1];
    const double g1 = gains_[a];
    return g0 + (g1 - g0) * (std::log10(F) - f0) / (f1 - f0);
}

double InterpolatedGain(const TProfileRows& Rows, double Frequency) {
    return TGainCurve(Rows).At(Frequency);
}

void InvertGains(TProfileRows& Rows) {
    for (std::vector<float>& row : Rows) {
        if (HasPoint(row)) {
            row[1] = TableValue(-static_cast<double>(row[1]), 1);
        }
    }
}

void OffsetGains(TProfileRows& Rows, double Decibels) {
    for (std::vector<float>& row : Rows) {
        if (HasPoint(row)) {
            row[1] = TableValue(static_cast<double>(row[1]) + Decibels, 1);
        }
    }
}

void NormalizeGains(TProfileRows& Rows, double Frequency) {
    const TGainCurve curve(Rows);
    if (curve.Empty()) {
        return;
    }
    const double reference = curve.At(Frequency);
    for (std::vector<float>& row : Rows) {
        if (IsUsedRow(row)) {
            row[1] = TableValue(static_cast<double>(row[1]) - reference, 1);
        }
    }
}

void SmoothGains(TProfileRows& Rows, int32_t FractionOfOctave) {
    if (!IsOctaveFraction(FractionOfOctave)) {
        return;
    }
    const std::vector<std::size_t> used = UsedRows(Rows);
    std::vector<double> frequencies;
    std::vector<float> gains;
    frequencies.reserve(used.size());
    gains.reserve(used.size());
    for (const std::size_t i : used) {
        frequencies.push_back(Rows[i][0]);
        gains.push_back(Rows[i][1]);
    }
    const double below = std::exp2(-1.0 / (2.0 * FractionOfOctave));
    const double above = std::exp2(1.0 / (2.0 * FractionOfOctave));

    // Both window ends only move up as the frequency does.
    WindowSum sum(gains);
    std::size_t first = 0;
    std::size_t last = 0;
    for (std::size_t i = 0; i < used.size(); ++i) {
        const double low = frequencies[i] * below;
        const double high = frequencies[i] * above;
        while (last < used.size() && frequencies[last] <= high) {
            sum.Add(last++);
        }
        while (frequencies[first] < low) {
            sum.Remove(first++);
        }
        Rows[used[i]][1] = TableValue(sum.Mean(first, last), 1);
    }
}

TProfileRows ResampleRows(const TProfileRows& Rows, int32_t FractionOfOctave) {
    const std::vector<std::size_t> used = UsedRows(Rows);
    if (!IsOctaveFraction(FractionOfOctave) || used.empty()) {
        return Rows;
    }
    const TGainCurve curve(Rows);
    const std::size_t lowest = used.front();
    const std::size_t highest = used.back();
    const double low = Rows[lowest][0];
    const double high = Rows[highest][0];

    TProfileRows between;
    const double n = FractionOfOctave;
    const auto firstStep = static_cast<int64_t>(std::floor(n * std::log2(low / 1000.0)));
    const auto lastStep = static_cast<int64_t>(std::ceil(n * std::log2(high / 1000.0)));
    double previous = low;
    for (int64_t k = firstStep; k <= lastStep; ++k) {
        const float frequency = TableValue(1000.0 * std::exp2(static_cast<double>(k) / n), 0);
        if (frequency > low && frequency < high && frequency != previous) {
            between.push_back({frequency, TableValue(curve.At(frequency), 1)});
            previous = frequency;
        }
    }

    TProfileRows result;
    result.reserve(Rows.size() - used.size() + between.size() + 2);
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (!IsUsedRow(Rows[i])) {
            result.push_back(Rows[i]);
        } else if (i == lowest) {
            result.push_back(Rows[i]);
            result.insert(result.end(), between.begin(), between.end());
            if (highest != lowest && highest < i) {
                result.push_back(Rows[highest]);
            }
        } else if (i == highest && highest > lowest) {
            result.push_back(Rows[i]);
        }
    }
    return result;
}

void LimitRange(TProfileRows& Rows, double LowHz, double HighHz) {
    std::erase_if(Rows, [&](const std::vector<float>& row) {
        return HasPoint(row) && !(LowHz <= row[0] && row[0] <= HighHz);
    });
}

std::size_t MergeSharedHertz(TProfileRows& Rows) {
    TProfileRows merged;
    merged.reserve(Rows.size());
    std::size_t runRow = 0; // in `merged`, the row of the current run
    double sum = 0;
    std::size_t count = 0; // rows in the current run; 0 before the first
    const auto closeRun = [&] {
        // A row alone keeps its gain as it is.
        if (count > 1) {
            merged[runRow][1] = TableValue(sum / static_cast<double>(count), 1);
        }
    };
    for (std::vector<float>& row : Rows) {
        if (!HasPoint(row)) {
            merged.push_back(std::move(row));
        } else if (count > 0 && row[0] == merged[runRow][0]) {
            sum += static_cast<double>(row[1]);
            ++count;
        } else {
            closeRun();
            runRow = merged.size();
            sum = static_cast<double>(row[1]);
            count = 1;
            merged.push_back(std::move(row));
        }
    }
    closeRun();
    const std::size_t gone = Rows.size() - merged.size();
    Rows = std::move(merged);
    return gone;
}
