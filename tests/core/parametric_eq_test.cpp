#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "number_text.h"
#include "parametric_eq.h"

namespace {

constexpr double kPi = std::numbers::pi;

// The cookbook biquad evaluated as a complex polynomial ratio, apart from the code under test.
double ComplexGainDb(TFilterType type, double fc, double gainDb, double q, double rate, double f) {
    const double w0 = 2 * kPi * fc / rate;
    const double A = std::pow(10.0, gainDb / 40);
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    const double s = 2 * std::sqrt(A) * alpha;
    double b[3];
    double a[3];
    if (type == TFilterType::Peaking) {
        b[0] = 1 + alpha * A, b[1] = -2 * c, b[2] = 1 - alpha * A;
        a[0] = 1 + alpha / A, a[1] = -2 * c, a[2] = 1 - alpha / A;
    } else if (type == TFilterType::LowShelf) {
        b[0] = A * ((A + 1) - (A - 1) * c + s), b[1] = 2 * A * ((A - 1) - (A + 1) * c);
        b[2] = A * ((A + 1) - (A - 1) * c - s);
        a[0] = (A + 1) + (A - 1) * c + s, a[1] = -2 * ((A - 1) + (A + 1) * c);
        a[2] = (A + 1) + (A - 1) * c - s;
    } else {
        b[0] = A * ((A + 1) + (A - 1) * c + s), b[1] = -2 * A * ((A - 1) + (A + 1) * c);
        b[2] = A * ((A + 1) + (A - 1) * c - s);
        a[0] = (A + 1) - (A - 1) * c + s, a[1] = 2 * ((A - 1) - (A + 1) * c);
        a[2] = (A + 1) - (A - 1) * c - s;
    }
    const std::complex<double> zInv = std::polar(1.0, -2 * kPi * f / rate);
    const std::complex<double> num = b[0] + b[1] * zInv + b[2] * zInv * zInv;
    const std::complex<double> den = a[0] + a[1] * zInv + a[2] * zInv * zInv;
    return 20 * std::log10(std::abs(num) / std::abs(den));
}

TEST(FilterGainDb, MatchesTheBiquadAsAComplexRatio) {
    struct {
        TFilter filter;
        double rate;
    } const cases[] = {
        {{TFilterType::Peaking, 1000, 6, 1.41}, 48000},
        {{TFilterType::Peaking, 40, -9.5, 4}, 48000},
        {{TFilterType::Peaking, 12000, 3.2, 0.5}, 44100},
        {{TFilterType::LowShelf, 105, 5.5, 0.71}, 48000},
        {{TFilterType::LowShelf, 300, -8, 1.2}, 96000},
        {{TFilterType::HighShelf, 8000, -4, 0.71}, 48000},
        {{TFilterType::HighShelf, 2500, 10, 0.4}, 44100},
    };
    for (const auto& c : cases) {
        for (const double f : {20.0, 63.0, 105.0, 1000.0, 3150.0, 10000.0, 20000.0}) {
            const TFilter& x = c.filter;
            EXPECT_NEAR(FilterGainDb(x, c.rate, f),
                        ComplexGainDb(x.Type, x.Frequency, x.GainDb, x.Q, c.rate, f), 1e-7)
                << static_cast<int>(x.Type) << " " << x.Frequency << " Hz at " << f << " Hz";
        }
    }
}

// Worked by hand: the peak reaches its gain at its centre, a shelf half its gain at its corner,
// the low shelf its gain at 0 Hz and the high shelf its gain at half the sample rate.
TEST(FilterGainDb, WorkedValuesAtCentreCornerAndEnds) {
    struct {
        TFilter filter;
        double at;
        double expected;
    } const cases[] = {
        {{TFilterType::Peaking, 1000, 6, 1.41}, 1000, 6},
        {{TFilterType::Peaking, 63, -7.5, 3}, 63, -7.5},
        {{TFilterType::LowShelf, 200, 8, 0.71}, 200, 4},
        {{TFilterType::LowShelf, 200, -5, 1.5}, 200, -2.5},
        {{TFilterType::HighShelf, 6000, -6, 0.71}, 6000, -3},
        {{TFilterType::LowShelf, 200, 8, 0.71}, 1e-9, 8},
        {{TFilterType::HighShelf, 6000, -6, 0.71}, 24000, -6},
        {{TFilterType::LowShelf, 200, 8, 0.71}, 24000, 0},
        {{TFilterType::HighShelf, 6000, -6, 0.71}, 1e-9, 0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(FilterGainDb(c.filter, 48000, c.at), c.expected, 1e-9)
            << static_cast<int>(c.filter.Type) << " at " << c.at;
    }
}

TEST(FilterGainDb, ZeroGainIsFlatAndAShelfReachesItsGainFarFromItsCorner) {
    for (const TFilterType type :
         {TFilterType::Peaking, TFilterType::LowShelf, TFilterType::HighShelf}) {
        for (const double f : {20.0, 440.0, 1000.0, 19999.0}) {
            EXPECT_EQ(FilterGainDb({type, 1000, 0, 2.5}, 48000, f), 0.0) << f;
        }
    }
    // Two decades away from the corner the shelf is within a hundredth of a decibel of its gain.
    EXPECT_NEAR(FilterGainDb({TFilterType::LowShelf, 2000, 7, 0.71}, 48000, 20), 7, 0.01);
    EXPECT_NEAR(FilterGainDb({TFilterType::LowShelf, 2000, 7, 0.71}, 48000, 20000), 0, 0.01);
    EXPECT_NEAR(FilterGainDb({TFilterType::HighShelf, 200, -9, 0.71}, 48000, 20000), -9, 0.01);
    EXPECT_NEAR(FilterGainDb({TFilterType::HighShelf, 200, -9, 0.71}, 48000, 20), 0, 0.01);
}

TEST(FiltersGainDb, SumsTheFiltersAndIsZeroForNone) {
    const std::vector<TFilter> filters{{TFilterType::Peaking, 100, 4, 1},
                                       {TFilterType::HighShelf, 5000, -3, 0.71},
                                       {TFilterType::Peaking, 100, -4, 1}};
    for (const double f : {30.0, 100.0, 5000.0, 15000.0}) {
        EXPECT_EQ(FiltersGainDb({}, 48000, f), 0.0);
        double sum = 0;
        for (const TFilter& filter : filters) {
            sum += ComplexGainDb(filter.Type, filter.Frequency, filter.GainDb, filter.Q, 48000, f);
        }
        EXPECT_NEAR(FiltersGainDb(filters, 48000, f), sum, 1e-9) << f;
    }
    // Opposite peaks cancel: the cut is the boost's exact inverse.
    EXPECT_NEAR(FiltersGainDb({filters[0], filters[2]}, 48000, 130), 0, 1e-12);
}

// A gain as the curve tools store it.
float Stored(double gain) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::round(gain * 10) / 10);
    const float value = std::strtof(text, nullptr);
    return value == 0 ? 0.0f : value;
}

TEST(RenderParametricEq, RowsAtRoundedOctaveFractionsWithStoredGains) {
    const TParametricEq eq{
        -3, {{TFilterType::Peaking, 1000, 6, 1}, {TFilterType::LowShelf, 60, -4.5, 0.71}}};
    const TProfileRows octaves = RenderParametricEq(eq, 48000, 1);
    const float expectedHz[] = {31, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    ASSERT_EQ(octaves.size(), std::size(expectedHz));
    for (std::size_t i = 0; i < octaves.size(); ++i) {
        ASSERT_EQ(octaves[i].size(), 2u);
        EXPECT_EQ(octaves[i][0], expectedHz[i]);
        EXPECT_EQ(octaves[i][1], Stored(FiltersGainDb(eq.Filters, 48000, expectedHz[i])));
    }
    EXPECT_EQ(octaves[5][1], 6.0f); // the preamp takes no part

    for (const int n : {3, 12, 48}) {
        std::set<double> hertz; // each whole hertz once, within 20..20000
        for (int k = -600; k <= 600; ++k) {
            const double hz = std::round(1000 * std::exp2(k / static_cast<double>(n)));
            if (hz >= 20 && hz <= 20000) {
                hertz.insert(hz);
            }
        }
        const TProfileRows rows = RenderParametricEq(eq, 44100, n);
        ASSERT_EQ(rows.size(), hertz.size()) << n;
        auto it = hertz.begin();
        for (const std::vector<float>& row : rows) {
            EXPECT_EQ(row[0], *it++) << n;
            EXPECT_EQ(row[1], Stored(FiltersGainDb(eq.Filters, 44100, row[0])));
        }
    }
    EXPECT_EQ(RenderParametricEq(eq, 48000, 48).front()[0], 20.0f);
    EXPECT_EQ(RenderParametricEq(eq, 48000, 48).back()[0], 19870.0f);
}

TEST(RenderParametricEq, RefusesAFractionOrRateOutOfRange) {
    const TParametricEq eq{0, {{TFilterType::Peaking, 1000, 6, 1}}};
    EXPECT_THROW(RenderParametricEq(eq, 48000, 0), EditorError);
    EXPECT_THROW(RenderParametricEq(eq, 48000, 5), EditorError);
    EXPECT_THROW(RenderParametricEq(eq, 0, 3), EditorError);
    EXPECT_THROW(RenderParametricEq(eq, std::nan(""), 3), EditorError);
}

// Points every 1/48 octave from 20 Hz to 20 kHz, as Resample gives them.
std::vector<double> FortyEighthOctaves() {
    std::vector<double> hertz;
    for (int k = -300; k <= 300; ++k) {
        const double hz = std::round(1000 * std::exp2(k / 48.0));
        if (hz >= 20 && hz <= 20000 && (hertz.empty() || hz != hertz.back())) {
            hertz.push_back(hz);
        }
    }
    return hertz;
}

std::string Written(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Everything a fit promises apart from its error: the filters as written and within the settings,
// the error from them, the preamp from their highest gain.
void ExpectKeepsItsPromises(const TFitResult& result, const TProfileRows& target,
                            const TFitSettings& s) {
    ASSERT_LE(result.Filters.size(), static_cast<std::size_t>(s.MaxFilters));
    int lowShelves = 0;
    int highShelves = 0;
    for (std::size_t i = 0; i < result.Filters.size(); ++i) {
        const TFilter& f = result.Filters[i];
        lowShelves += f.Type == TFilterType::LowShelf;
        highShelves += f.Type == TFilterType::HighShelf;
        if (i > 0) {
            EXPECT_LE(result.Filters[i - 1].Frequency, f.Frequency);
        }
        EXPECT_GE(f.Frequency, s.LowHz);
        EXPECT_LE(f.Frequency, s.HighHz);
        EXPECT_GE(f.Q, s.MinQ);
        EXPECT_LE(f.Q, s.MaxQ);
        EXPECT_LE(std::abs(f.GainDb), s.MaxGainDb);
        EXPECT_NE(f.GainDb, 0.0);
        // Each value is the double that its written decimal reads as.
        EXPECT_EQ(f.Frequency, std::strtod(Written(f.Frequency, 0).c_str(), nullptr));
        EXPECT_EQ(f.GainDb, std::strtod(Written(f.GainDb, 1).c_str(), nullptr));
        EXPECT_EQ(f.Q, std::strtod(Written(f.Q, 2).c_str(), nullptr));
    }
    EXPECT_LE(lowShelves, s.Shelves ? 1 : 0);
    EXPECT_LE(highShelves, s.Shelves ? 1 : 0);

    double sum = 0;
    int count = 0;
    double highest = -1e9;
    for (const std::vector<float>& row : target) {
        if (row.size() >= 2 && row[0] >= s.LowHz && row[0] <= s.HighHz) {
            const double gain = FiltersGainDb(result.Filters, s.SampleRate, row[0]);
            sum += (gain - row[1]) * (gain - row[1]);
            highest = std::max(highest, gain);
            ++count;
        }
    }
    EXPECT_NEAR(result.RmsErrorDb, std::sqrt(sum / count), 1e-9);
    for (int k = -1000; k <= 1000; ++k) {
        const double hz = 1000 * std::exp2(k / 48.0);
        if (hz >= s.LowHz && hz <= s.HighHz) {
            highest = std::max(highest, FiltersGainDb(result.Filters, s.SampleRate, hz));
        }
    }
    if (highest > 0) {
        EXPECT_GE(-result.PreampDb, highest);
        EXPECT_LT(-result.PreampDb, highest + 0.1);
        EXPECT_EQ(result.PreampDb, std::strtod(Written(result.PreampDb, 1).c_str(), nullptr));
    } else {
        EXPECT_EQ(result.PreampDb, 0.0);
    }
}

TEST(FitParametricEq, FindsOneToFiveKnownFilters) {
    std::mt19937 random(28);
    std::uniform_real_distribution<double> unit(0, 1);
    const std::vector<double> hertz = FortyEighthOctaves();
    ASSERT_EQ(hertz.size(), 442u); // whole hertz, each once
    const TFitSettings settings;
    for (int trial = 0; trial < 40; ++trial) {
        std::vector<TFilter> known;
        const int count = 1 + trial % 5;
        for (int i = 0; i < count; ++i) {
            const double gain = (2 + 8 * unit(random)) * (unit(random) < 0.5 ? -1 : 1);
            known.push_back({TFilterType::Peaking, 40 * std::pow(300.0, unit(random)), gain,
                             0.5 * std::pow(8.0, unit(random))});
        }
        TProfileRows target;
        for (const double hz : hertz) {
            target.push_back({static_cast<float>(hz), Stored(FiltersGainDb(known, 48000, hz))});
        }
        const TFitResult result = FitParametricEq(target, settings);
        EXPECT_LE(result.RmsErrorDb, 0.3) << "trial " << trial;
        ExpectKeepsItsPromises(result, target, settings);
    }
}

// A curve through the points smoothly: Catmull-Rom in log2 of the frequency.
double Smooth(const std::vector<double>& nodes, double octave) {
    const int i =
        std::clamp(static_cast<int>(std::floor(octave)), 0, static_cast<int>(nodes.size()) - 2);
    const double t = octave - i;
    const auto at = [&](int j) {
        return nodes[static_cast<std::size_t>(
            std::clamp(j, 0, static_cast<int>(nodes.size()) - 1))];
    };
    const double p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
    return 0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                  (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
}

TEST(FitParametricEq, FollowsASmoothCurveThroughRandomOctavePoints) {
    std::mt19937 random(48);
    std::uniform_real_distribution<double> gain(-6, 6);
    const std::vector<double> hertz = FortyEighthOctaves();
    const TFitSettings settings;
    for (int trial = 0; trial < 25; ++trial) {
        std::vector<double> nodes; // at 20 Hz * 2^k, k = 0..10
        for (int k = 0; k <= 10; ++k) {
            nodes.push_back(gain(random));
        }
        TProfileRows target;
        for (const double hz : hertz) {
            target.push_back({static_cast<float>(hz), Stored(Smooth(nodes, std::log2(hz / 20)))});
        }
        const TFitResult result = FitParametricEq(target, settings);
        EXPECT_LE(result.RmsErrorDb, 0.5) << "trial " << trial;
        ExpectKeepsItsPromises(result, target, settings);
    }
}

TEST(FitParametricEq, KeepsToNarrowSettings) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> gain(-9, 9);
    std::vector<double> nodes;
    for (int k = 0; k <= 10; ++k) {
        nodes.push_back(gain(random));
    }
    TProfileRows target;
    for (const double hz : FortyEighthOctaves()) {
        target.push_back({static_cast<float>(hz), Stored(Smooth(nodes, std::log2(hz / 20)))});
    }
    target.push_back({5}); // a row of one value takes no part
    struct {
        int32_t filters;
        double low, high, minQ, maxQ, maxGain;
        bool shelves;
    } const cases[] = {
        {3, 100, 5000, 1, 2, 3, false},
        {32, 20, 20000, 0.18, 6, 12, true},
        {1, 19.6, 21.4, 0.5, 0.5, 1, true},
        {5, 990.5, 1040.2, 2.001, 2.009, 0.04, true},
        {4, 20.3, 19999.6, 0.333, 4.444, 5.55, true},
        {10, 300, 9000, 0.7, 0.7, 6, true},
        {2, 20, 20000, 0.18, 6, 2, true},
    };
    for (const auto& c : cases) {
        TFitSettings s;
        s.MaxFilters = c.filters;
        s.LowHz = c.low;
        s.HighHz = c.high;
        s.MinQ = c.minQ;
        s.MaxQ = c.maxQ;
        s.MaxGainDb = c.maxGain;
        s.Shelves = c.shelves;
        s.SampleRate = 44100;
        const TFitResult result = FitParametricEq(target, s);
        ExpectKeepsItsPromises(result, target, s);
        // The same input, the same filters.
        const TFitResult again = FitParametricEq(target, s);
        ASSERT_EQ(again.Filters.size(), result.Filters.size());
        for (std::size_t i = 0; i < result.Filters.size(); ++i) {
            EXPECT_EQ(again.Filters[i].Type, result.Filters[i].Type);
            EXPECT_EQ(again.Filters[i].Frequency, result.Filters[i].Frequency);
            EXPECT_EQ(again.Filters[i].GainDb, result.Filters[i].GainDb);
            EXPECT_EQ(again.Filters[i].Q, result.Filters[i].Q);
        }
        EXPECT_EQ(again.PreampDb, result.PreampDb);
    }
}

// Targets that push a filter against the limits: rounded as written it would lie beyond them,
// so it takes the nearest written value within.
TEST(FitParametricEq, RoundingStaysWithinTheLimits) {
    struct {
        TFilter shape;
        double lowHz, minQ, maxGain;
    } const cases[] = {
        {{TFilterType::Peaking, 1000, 12, 0.3}, 20, 0.504, 5.06},
        {{TFilterType::Peaking, 20, 8, 1}, 20.3, 0.18, 12},
        {{TFilterType::Peaking, 1000, -12, 0.3}, 20, 0.504, 5.06},
    };
    for (const auto& c : cases) {
        TProfileRows target;
        for (const double hz : FortyEighthOctaves()) {
            target.push_back({static_cast<float>(hz), Stored(FilterGainDb(c.shape, 48000, hz))});
        }
        TFitSettings s;
        s.MaxFilters = 1;
        s.Shelves = false;
        s.LowHz = c.lowHz;
        s.MinQ = c.minQ;
        s.MaxGainDb = c.maxGain;
        const TFitResult result = FitParametricEq(target, s);
        ASSERT_EQ(result.Filters.size(), 1u);
        ExpectKeepsItsPromises(result, target, s);
    }
}

TEST(FitParametricEq, ShelvesFitAShelfAndAFlatTargetNeedsNoFilter) {
    const std::vector<TFilter> shelves{{TFilterType::LowShelf, 120, 6, 0.71},
                                       {TFilterType::HighShelf, 7000, -5, 0.71}};
    TProfileRows shelved;
    TProfileRows flat;
    for (const double hz : FortyEighthOctaves()) {
        shelved.push_back({static_cast<float>(hz), Stored(FiltersGainDb(shelves, 48000, hz))});
        flat.push_back({static_cast<float>(hz), 0.0f});
    }
    TFitSettings settings;
    settings.MaxFilters = 2;
    const TFitResult result = FitParametricEq(shelved, settings);
    EXPECT_LE(result.RmsErrorDb, 0.1);
    ASSERT_EQ(result.Filters.size(), 2u);
    EXPECT_EQ(result.Filters[0].Type, TFilterType::LowShelf);
    EXPECT_EQ(result.Filters[1].Type, TFilterType::HighShelf);
    EXPECT_NEAR(result.PreampDb, -6, 0.15);

    const TFitResult none = FitParametricEq(flat, settings);
    EXPECT_TRUE(none.Filters.empty());
    EXPECT_EQ(none.RmsErrorDb, 0.0);
    EXPECT_EQ(none.PreampDb, 0.0);
}

TEST(FitParametricEq, RefusesSettingsOutOfRangeNamingTheValue) {
    const TProfileRows target{{100, 1}, {1000, -2}, {10000, 3}};
    const NumberNotation saved = UserNotation;
    UserNotation = NumberNotation{u'.'};
    struct {
        void (*change)(TFitSettings&);
        std::string message;
    } const cases[] = {
        {[](TFitSettings& s) { s.MaxFilters = 0; },
         "The number of filters must be from 1 to 32, not 0."},
        {[](TFitSettings& s) { s.MaxFilters = 33; },
         "The number of filters must be from 1 to 32, not 33."},
        {[](TFitSettings& s) { s.SampleRate = -1; },
         "The sample rate must be above 0 Hz, not -1 Hz."},
        {[](TFitSettings& s) { s.LowHz = 0; },
         "The lowest frequency of the band must be above 0 Hz, not 0 Hz."},
        {[](TFitSettings& s) { s.LowHz = 500, s.HighHz = 500; },
         "The lowest frequency of the band (500 Hz) must be below its highest (500 Hz)."},
        {[](TFitSettings& s) { s.HighHz = 22050.5, s.SampleRate = 44100; },
         "The highest frequency of the band (22050.5 Hz) must be below half the sample rate "
         "(22050 Hz)."},
        {[](TFitSettings& s) { s.MinQ = 0; }, "The lowest Q must be above 0, not 0."},
        {[](TFitSettings& s) { s.MinQ = 2, s.MaxQ = 1.5; },
         "The highest Q (1.5) must be finite and not below the lowest Q (2)."},
        {[](TFitSettings& s) { s.MaxGainDb = -0.5; },
         "The largest gain must be above 0 dB and finite, not -0.5 dB."},
        {[](TFitSettings& s) { s.MaxGainDb = std::nan(""); },
         "The largest gain must be above 0 dB and finite, not NAN dB."},
    };
    for (const auto& c : cases) {
        TFitSettings s;
        c.change(s);
        try {
            FitParametricEq(target, s);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EditorError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
    // In the user's notation.
    UserNotation = NumberNotation{u','};
    TFitSettings s;
    s.MaxGainDb = -0.5;
    try {
        FitParametricEq(target, s);
        ADD_FAILURE() << "no error";
    } catch (const EditorError& error) {
        EXPECT_STREQ(error.what(), "The largest gain must be above 0 dB and finite, not -0,5 dB.");
    }
    UserNotation = saved;
}

TEST(FitParametricEq, NeedsTwoUsedPointsInTheBand) {
    const TFitSettings settings;
    const TProfileRows cases[] = {
        {},
        {{1000, 2}},
        {{1000, 2}, {5}, {0, 1}, {std::nanf(""), 1}, {-30, 1}},
        {{10, 1}, {1000, 2}, {21000, 3}}, // outside 20..20000 Hz
    };
    for (const TProfileRows& target : cases) {
        try {
            FitParametricEq(target, settings);
            ADD_FAILURE() << target.size() << " rows";
        } catch (const EditorError& error) {
            EXPECT_STREQ(error.what(), "Not enough points to fit.");
        }
    }
    EXPECT_NO_THROW(FitParametricEq({{1000, 2}, {5}, {2000, 1}}, settings));
    try {
        FitParametricEq({{1000, 2}, {2000, -std::numeric_limits<float>::infinity()}}, settings);
        ADD_FAILURE() << "no error for an infinite gain";
    } catch (const EditorError& error) {
        EXPECT_STREQ(error.what(),
                     "Cannot fit: the point at 2000 Hz holds -INF, which is not a finite number.");
    }
}

} // namespace
