#include "correction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "editor_errors.h"
#include "rows_expect.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// The measurement lies below, on, between and beyond the target's two points; the target's gain
// at 1000 Hz lies halfway (in log frequency) between them: 2 dB. Before alignment the differences
// are 6, 4, 1, 3 and 0 dB.
const TProfileRows kMeasurement = {{50, -2}, {100, 0}, {1000, 1}, {10000, -3}, {20000, 0}};
const TProfileRows kTarget = {{100, 4}, {10000, 0}};

TEST(Correction, AlignsAtTheFrequencyAndLimits) {
    struct Case {
        const char* what;
        TCorrectionSettings settings;
        std::vector<float> gains;
    };
    const Case cases[] = {
        {"defaults", {}, {5, 3, 0, 2, -1}},
        {"on a point of both", {100, 6, 20}, {2, 0, -3, -1, -4}},
        // Target 3 dB, measurement 0.5 dB at the log middle of 100 and 1000 Hz.
        {"between the measurement's points", {std::sqrt(1e5), 6, 20}, {3.5, 1.5, -1.5, 0.5, -2.5}},
        // Target 1 dB, measurement -1 dB at the log middle of 1000 and 10000 Hz.
        {"between the points of both", {std::sqrt(1e7), 6, 20}, {4, 2, -1, 1, -2}},
        {"below every point", {10, 6, 20}, {0, -2, -5, -3, -6}},
        {"beyond every point", {30000, 6, 20}, {6, 4, 1, 3, 0}},
        {"boost limited", {1000, 4, 20}, {4, 3, 0, 2, -1}},
        {"cut limited", {1000, 6, 0.5}, {5, 3, 0, 2, -0.5}},
        {"both limits at 0", {10, 0, 0}, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProfileRows expected;
        for (std::size_t i = 0; i < c.gains.size(); ++i) {
            expected.push_back({kMeasurement[i][0], c.gains[i]});
        }
        ExpectRows(CorrectionRows(kMeasurement, kTarget, c.settings), expected);
    }
}

TEST(Correction, KeepsTheUsedRowsInTheirOrderStoredAsTheTableReadsThem) {
    const TProfileRows measurement = {
        {0, 5},   {2000, 0.25f}, {-100, 1},    {kNaN, 1},        {500}, {1000, 0}, {kInf, 2},
        {100, 2}, {100, 4},      {1500.5f, 0}, {1000.4f, 0.75f},
    };
    // The target is flat, so each correction is the measurement's gain at 1000 Hz less its own;
    // of the two points at 100 Hz the first counts, as G reads them.
    const TProfileRows target = {{20, -7}, {20000, -7}};
    ExpectRows(CorrectionRows(measurement, target, {}),
               {{2000, -0.3f}, {1000, 0}, {100, -2}, {100, -2}, {1501, 0}, {1000, -0.8f}});
}

TEST(Correction, RefusesWhatItCannotWorkWith) {
    struct Case {
        TProfileRows measurement;
        TProfileRows target;
        TCorrectionSettings settings;
        std::string message;
    };
    const TProfileRows unused = {{0, 1}, {-5, 2}, {300}, {kNaN, 1}};
    const Case cases[] = {
        {unused, kTarget, {}, "The measurement has no point to work with."},
        {{}, kTarget, {}, "The measurement has no point to work with."},
        {kMeasurement, unused, {}, "The target curve has no point to work with."},
        {kMeasurement, kTarget, {0, 6, 20}, "The align frequency must be above 0 Hz, not 0 Hz."},
        {kMeasurement,
         kTarget,
         {-50, 6, 20},
         "The align frequency must be above 0 Hz, not -50 Hz."},
        {kMeasurement,
         kTarget,
         {1000, -0.5, 20},
         "The maximum boost must not be below 0 dB, not -0.5 dB."},
        {kMeasurement,
         kTarget,
         {1000, 6, -3},
         "The maximum cut must not be below 0 dB, not -3 dB."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            CorrectionRows(c.measurement, c.target, c.settings);
            ADD_FAILURE() << "no error";
        } catch (const EditorError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
    EXPECT_THROW(CorrectionRows(kMeasurement, kTarget, {kNaN, 6, 20}), EditorError);
    EXPECT_THROW(CorrectionRows(kMeasurement, kTarget, {1000, kNaN, 20}), EditorError);
}

TEST(Correction, SubtractsAndAddsTheReferenceOnUsedRowsOnly) {
    const TProfileRows rows = {{100, 1}, {0, 3}, {1000, 2}, {5000}, {10000, -1.5f}, {3000, 0.4f}};
    // Unsorted, and two points at 10000 Hz of which the first counts.
    const TProfileRows reference = {{10000, 2.5f}, {1000, 0.5f}, {10000, 9}};
    // G_R: 0.5 up to 1000 Hz, 2.5 from 10000 Hz, 0.5 + 2 * log10(3) = 1.454 at 3000 Hz.
    TProfileRows subtracted = rows;
    SubtractReference(subtracted, reference);
    ExpectRows(subtracted, {{100, 0.5f}, {0, 3}, {1000, 1.5f}, {5000}, {10000, -4}, {3000, -1.1f}});
    TProfileRows added = rows;
    AddReference(added, reference);
    ExpectRows(added, {{100, 1.5f}, {0, 3}, {1000, 2.5f}, {5000}, {10000, 1}, {3000, 1.9f}});

    TProfileRows unchanged = rows;
    EXPECT_THROW(SubtractReference(unchanged, {{0, 1}, {100}}), EditorError);
    ExpectRows(unchanged, rows);
}

// Against the curve tools' own G on random rows: unsorted, with shared frequencies and rows that
// are not used.
TEST(Correction, ReadsTheReferenceAsTheCurveToolsDo) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> hertz(-10, 400);
    std::uniform_real_distribution<float> gain(-12, 12);
    for (int round = 0; round < 50; ++round) {
        TProfileRows reference;
        TProfileRows rows;
        for (int i = 0; i < 30; ++i) {
            reference.push_back({static_cast<float>(hertz(random) * 50), gain(random)});
            rows.push_back({static_cast<float>(hertz(random) * 37), gain(random)});
        }
        TProfileRows expected = rows;
        for (std::vector<float>& row : expected) {
            if (row[0] > 0) {
                row[1] = TableValue(row[1] - InterpolatedGain(reference, row[0]), 1);
            }
        }
        SubtractReference(rows, reference);
        ExpectRows(rows, expected);
    }
}

} // namespace
