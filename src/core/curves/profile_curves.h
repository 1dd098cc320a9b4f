#pragma once
// The curves folder: the tools that reshape a profile's rows. It may use base, numbers,
// profile, table and chart.
//
// Tools that reshape a whole profile: invert, offset, normalize, smooth, resample and limit its
// points. Rows come as Update / Sort leaves them, in ascending frequency order. A row with fewer
// than two values is left as it is and not used; Normalize, Smooth and Resample also leave and do
// not use rows whose frequency is not above 0 Hz or not finite. Every value a tool computes is
// worked out in double and stored as the table reads it back: a frequency as a whole number of
// hertz, a gain to one decimal (halves away from zero, at most 8 significant digits), as the
// nearest 32-bit float. So what the table shows after a tool is what Save writes.

#include <cstddef>
#include <cstdint>
#include <vector>

using TProfileRows = std::vector<std::vector<float>>; // as TSoundProfil::xyData: {Hz, dB}

// The octave fractions Smooth and Resample take: 1, 2, 3, 6, 12, 24, 48.
bool IsOctaveFraction(int32_t FractionOfOctave);

// Gain becomes -gain, never -0.
void InvertGains(TProfileRows& Rows);
// Gain becomes gain + Decibels.
void OffsetGains(TProfileRows& Rows, double Decibels);
// Gain becomes gain - G(Frequency), so the curve passes 0 dB there (InterpolatedGain for G).
void NormalizeGains(TProfileRows& Rows, double Frequency);
// Each point's gain becomes the mean of the original gains of all points within half a 1/N
// octave on either side (f * 2^(-1/2N) <= f' <= f * 2^(1/2N), the point itself included).
// A fraction outside IsOctaveFraction changes nothing.
void SmoothGains(TProfileRows& Rows, int32_t FractionOfOctave);
// The lowest and the highest point stay as they are; between them come the frequencies
// 1000 * 2^(k/N) for whole k, rounded to whole hertz, strictly between the two ends and each
// different from the one before, with the gain G(rounded frequency). Rows not used keep their
// places around them. A fraction outside IsOctaveFraction gives the rows unchanged.
TProfileRows ResampleRows(const TProfileRows& Rows, int32_t FractionOfOctave);
// Keeps the rows with LowHz <= frequency <= HighHz, and those with fewer than two values.
void LimitRange(TProfileRows& Rows, double LowHz, double HighHz);

// G(F) over the used rows: the lowest point's gain at or below its frequency, the highest
// point's at or above its own, a point's gain at its frequency (the first of several there),
// otherwise linear in log10(frequency) between the last point below F and the first above it.
// NaN when no row is used.
double InterpolatedGain(const TProfileRows& Rows, double Frequency);

// A row the tools use: two values or more and a finite frequency above 0 Hz.
bool IsUsedRow(const std::vector<float>& Row);

// G(F) as InterpolatedGain reads it, with the used points gathered and ordered once for the many
// frequencies a whole profile asks for.
class TGainCurve {
public:
    explicit TGainCurve(const TProfileRows& Rows);
    bool Empty() const { return frequencies_.empty(); }
    double At(double F) const;

private:
    std::vector<double> frequencies_;
    std::vector<double> gains_;
};

// A computed value as the table reads it back with that many decimals: the value rounded half away
// from zero to `Decimals` decimals and 8 significant digits, as the nearest float; never -0. NaN
// and infinities stay as they are.
float TableValue(double Value, int32_t Decimals);

// Rows as Update / Sort leaves them (ascending, whole hertz): each run of rows with one
// frequency becomes one row with the mean of their gains, stored as the table reads it back.
// Rows with fewer than two values stay where they are and are not merged. Answers how many
// rows went.
std::size_t MergeSharedHertz(TProfileRows& Rows);
