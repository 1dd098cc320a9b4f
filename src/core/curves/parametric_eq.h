#pragma once
// Parametric equaliser filters: the response of peaking and shelving biquads, the fit of a set of
// them to a target curve, and the response of a set as profile rows.

#include <cstdint>
#include <vector>

#include "profile_curves.h"

enum class TFilterType { Peaking, LowShelf, HighShelf };
struct TFilter {
    TFilterType Type = TFilterType::Peaking;
    double Frequency = 1000; // Hz: centre (peaking) or corner (shelves)
    double GainDb = 0;
    double Q = 0.7071;
};
// The magnitude in dB at Frequency of Filter as a biquad at SampleRate (the audio EQ cookbook's
// peaking, low shelf and high shelf, each with Q).
double FilterGainDb(const TFilter& Filter, double SampleRate, double Frequency);
// The sum over Filters (0 for none).
double FiltersGainDb(const std::vector<TFilter>& Filters, double SampleRate, double Frequency);

struct TFitSettings {
    int32_t MaxFilters = 10;
    double SampleRate = 48000;
    double LowHz = 20, HighHz = 20000; // the band the fit looks at
    double MinQ = 0.18, MaxQ = 6;
    double MaxGainDb = 12; // |GainDb| of each filter
    bool Shelves = true;   // at most one low shelf and one high shelf may be among the filters
};
struct TFitResult {
    std::vector<TFilter> Filters; // at most MaxFilters, by rising Frequency
    double PreampDb = 0;
    double RmsErrorDb = 0;
};
// The filters whose summed response comes closest to Target's used points within the band, each
// rounded as it is written (whole hertz, 0.1 dB, Q to 0.01). EditorError for settings out of
// range, fewer than two points to match, or a point to match whose gain is not finite.
TFitResult FitParametricEq(const TProfileRows& Target, const TFitSettings& Settings);

struct TParametricEq {
    double PreampDb = 0;
    std::vector<TFilter> Filters;
};
// The total response (filters only, no preamp) as profile rows at the frequencies
// 1000 * 2^(k/FractionOfOctave) rounded to whole hertz within 20..20000 Hz, each once.
// EditorError for a sample rate not above 0 Hz or a fraction outside IsOctaveFraction.
TProfileRows RenderParametricEq(const TParametricEq& Eq, double SampleRate,
                                int32_t FractionOfOctave);
