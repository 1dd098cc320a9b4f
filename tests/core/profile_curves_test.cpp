#include "profile_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "number_text.h"
#include "rows_expect.h"
#include "uStringgrid_VCL.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(ProfileCurves, TableValueRoundsAsTheTableReadsBack) {
    struct Case {
        double value;
        int decimals;
        float expected;
    };
    const Case cases[] = {
        {0.25, 1, 0.3f},
        {-0.25, 1, -0.3f},
        {0.35f, 1, 0.3f}, // float below .35
        {0.95, 1, 0.9f},
        {-0.04, 1, 0.0f},
        {-0.05, 1, -0.1f},
        {2.5, 0, 3.0f},
        {100.4, 0, 100.0f},
        {-0.4, 0, 0.0f},
        {123456789.0, 1, 1.2345679e8f},
        {1e39, 1, kInf},
        {-1e39, 1, -kInf},
        {kInf, 1, kInf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ExpectRows({{TableValue(c.value, c.decimals)}}, {{c.expected}});
    }
    EXPECT_TRUE(std::isnan(TableValue(std::nan(""), 1)));
}

TEST(ProfileCurves, InvertAndOffsetComputeEveryGainAndLeaveShortRows) {
    TProfileRows rows = {{100, 1.5f}, {200, 0}, {300, 0.123f}, {400, -0.25f}, {500}, {}, {0, 2}};
    InvertGains(rows);
    ExpectRows(rows, {{100, -1.5f}, {200, 0}, {300, -0.1f}, {400, 0.3f}, {500}, {}, {0, -2}});

    rows = {{100, 0.15f}, {200, 1}, {300, 0.25f}, {400, kNaN}, {500}};
    OffsetGains(rows, 0);
    ExpectRows(rows, {{100, 0.2f}, {200, 1}, {300, 0.3f}, {400, kNaN}, {500}});
    OffsetGains(rows, -1.05); // near halves: the exact double decides
    ExpectRows(rows, {{100, -0.8f}, {200, -0.1f}, {300, -0.7f}, {400, kNaN}, {500}});
}

TEST(ProfileCurves, InterpolatedGainAtBetweenAndBeyondThePoints) {
    const TProfileRows rows = {{0, 99},      {100, 0}, {1000, 10}, {1000, 20},
                               {10000, -10}, {20000},  {kNaN, 7}};
    struct Case {
        double frequency;
        double gain;
    };
    const Case cases[] = {
        {50, 0},
        {100, 0},
        {1000, 10},          // the first of several at a point's frequency
        {std::sqrt(1e5), 5}, // halfway in log10 between 100 and 1000
        {std::sqrt(1e7), 5}, // from the last point below: 1000 Hz, 20 dB
        {10000, -10},
        {1e6, -10},
        {-5, 0}, // beyond the ends: the end points' gains
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        EXPECT_NEAR(InterpolatedGain(rows, c.frequency), c.gain, 1e-12);
    }
    EXPECT_EQ(InterpolatedGain({{100, 1}, {200, 2}, {200, 3}}, 300), 2);
    EXPECT_TRUE(std::isnan(InterpolatedGain({{0, 1}, {5}}, 100)));
    EXPECT_TRUE(std::isnan(InterpolatedGain(rows, std::nan(""))));
}

TEST(ProfileCurves, NormalizeLeavesRowsItDoesNotUse) {
    TProfileRows rows = {{0, 5}, {100, 0}, {1000, 10.25f}, {1000, 20}, {10000, -10}, {kInf, 3}};
    NormalizeGains(rows, 1000);
    ExpectRows(rows, {{0, 5}, {100, -10.3f}, {1000, 0}, {1000, 9.8f}, {10000, -20.3f}, {kInf, 3}});

    rows = {{100, 1}, {200, 3}};
    NormalizeGains(rows, std::sqrt(2e4)); // G = 2 halfway
    ExpectRows(rows, {{100, -1}, {200, 1}});
    rows = {{0, 1}, {-5, 2}};
    NormalizeGains(rows, 1000); // nothing to normalize against
    ExpectRows(rows, {{0, 1}, {-5, 2}});
}

TEST(ProfileCurves, SmoothTakesTheMeanOverItsWindow) {
    // Half an octave each way: 100 Hz reaches up to 141.42 Hz.
    TProfileRows rows = {{0, 50}, {100, 1}, {140, 2}, {150, 4}, {300, 8}};
    SmoothGains(rows, 1);
    ExpectRows(rows, {{0, 50}, {100, 1.5f}, {140, 2.3f}, {150, 3}, {300, 8}});

    rows = {{100, 0}, {141.42f, 0.5f}, {141.43f, 9}};
    SmoothGains(rows, 1);
    EXPECT_EQ(rows[0][1], 0.3f); // 0.25 exactly: the half rounds away from zero
    rows = {{100, 0}, {141.42f, -0.5f}};
    SmoothGains(rows, 1);
    ExpectRows(rows, {{100, -0.3f}, {141.42f, -0.3f}});

    rows = {{1000, 1}, {1010, kNaN}, {1100, 2}, {2000, kInf}, {2010, 3}};
    SmoothGains(rows, 12);
    ExpectRows(rows, {{1000, kNaN}, {1010, kNaN}, {1100, 2}, {2000, kInf}, {2010, kInf}});

    // Gains far apart in magnitude leave the exact sums: summed afresh, same rules.
    rows = {{100, 1e30f}, {101, 1e-30f}, {102, -1e30f}, {500, 1e-30f}};
    SmoothGains(rows, 3);
    ExpectRows(rows, {{100, 0}, {101, 0}, {102, 0}, {500, 0}});

    const TProfileRows before = {{100, 1}, {110, 2}};
    rows = before;
    SmoothGains(rows, 5); // not an octave fraction the tools offer
    ExpectRows(rows, before);
}

TEST(ProfileCurves, ResampleKeepsTheEndsAndOneWholeHertzEach) {
    // 10 * log10(f / 20) dB from 20 Hz to 20 kHz, at whole octaves from 1 kHz.
    TProfileRows rows = {{0, 9}, {20, 0}, {200, 10}, {20000, 30}, {kNaN, 1}};
    ExpectRows(ResampleRows(rows, 1), {{0, 9},
                                       {20, 0},
                                       {31, 1.9f},
                                       {63, 5.0f}, // 62.5 Hz: the half rounds up
                                       {125, 8.0f},
                                       {250, 11.0f},
                                       {500, 14.0f},
                                       {1000, 17.0f},
                                       {2000, 20.0f},
                                       {4000, 23.0f},
                                       {8000, 26.0f},
                                       {16000, 29.0f},
                                       {20000, 30},
                                       {kNaN, 1}});

    // Around 20 Hz a 1/48 octave is less than 1 Hz: every whole hertz once.
    TProfileRows expected = {{20, 0}};
    for (float f = 21; f < 30; ++f) {
        expected.push_back({f, 0});
    }
    expected.push_back({30, 0});
    ExpectRows(ResampleRows({{20, 0}, {25.5f, 0}, {30, 0}}, 48), expected);

    ExpectRows(ResampleRows({{500, 3}}, 3), {{500, 3}});
    ExpectRows(ResampleRows({}, 3), {});
    ExpectRows(ResampleRows({{20, 0}, {40, 1}}, 7), {{20, 0}, {40, 1}});
}

TEST(ProfileCurves, LimitRangeKeepsTheEndsAndShortRows) {
    TProfileRows rows = {{10, 1}, {20, 2}, {100, 3}, {20000, 4}, {20001, 5}, {kNaN, 6}, {7}};
    LimitRange(rows, 20, 20000);
    ExpectRows(rows, {{20, 2}, {100, 3}, {20000, 4}, {7}});
    LimitRange(rows, 30000, 40000);
    ExpectRows(rows, {{7}});
}

// What a tool leaves is what the table shows and reads back: Update / Sort after a tool changes
// nothing, in either notation.
TEST(ProfileCurves, EveryToolsResultReadsBackUnchangedFromTheTable) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> gain(-40, 40);
    std::uniform_real_distribution<float> step(0.1f, 30);
    TProfileRows measured;
    for (float f = 20; f < 20000; f += step(random)) {
        measured.push_back({f, gain(random)});
    }
    for (const char16_t separator : {u'.', u','}) {
        UserNotation = NumberNotation{separator};
        for (int tool = 0; tool < 6; ++tool) {
            SCOPED_TRACE(tool);
            TProfileRows rows = measured;
            switch (tool) {
            case 0:
                InvertGains(rows);
                break;
            case 1:
                OffsetGains(rows, 1.23);
                break;
            case 2:
                NormalizeGains(rows, 1000);
                break;
            case 3:
                SmoothGains(rows, 3);
                break;
            case 4:
                rows = ResampleRows(rows, 12);
                break;
            default:
                LimitRange(rows, 100, 10000);
                break;
            }
            if (tool == 5) {
                continue; // keeps rows as they are, frequencies with their fractions
            }
            if (tool == 4) {
                rows = TProfileRows(rows.begin() + 1, rows.end() - 1); // the ends as measured
            }
            for (std::vector<float>& row : rows) {
                row[0] = std::round(row[0]); // what Update / Sort makes of the measured frequencies
            }
            TStringGrid grid;
            grid.SetColCount(3);
            ProfileRowsToGrid(rows, grid, 1, 2);
            TProfileRows readBack;
            ASSERT_TRUE(GridToProfileRows(grid, 1, 2, readBack));
            ExpectRows(readBack, rows);
        }
    }
    UserNotation = NumberNotation{u'.'};
}

} // namespace

TEST(ProfileCurves, MergeSharedHertzTakesTheMeanOfEachRunAndLeavesShortRows) {
    struct Case {
        const char* what;
        TProfileRows rows;
        TProfileRows merged;
        std::size_t gone;
    };
    const Case cases[] = {
        {"1/48 octave rounded to whole hertz",
         {{20, 1}, {20, 2}, {21, 3}, {21, 4}, {21, 6}, {22, 7}},
         {{20, 1.5f}, {21, 4.3f}, {22, 7}},
         3},
        {"a row alone keeps its gain unrounded",
         {{100, 0.123f}, {200, 1}},
         {{100, 0.123f}, {200, 1}},
         0},
        {"the mean stored as the table reads it back, halves away from zero",
         {{50, -0.1f}, {50, -0.2f}, {60, 0.25f}, {60, 0.25f}},
         {{50, -0.2f}, {60, 0.3f}},
         2},
        {"short rows stay and are not merged",
         {{100, 1}, {100}, {100, 3}, {}, {200, 5}},
         {{100, 2}, {100}, {}, {200, 5}},
         1},
        {"NaN frequencies never share one", {{kNaN, 1}, {kNaN, 2}}, {{kNaN, 1}, {kNaN, 2}}, 0},
        {"a NaN gain makes the mean NaN", {{30, kNaN}, {30, 1}}, {{30, kNaN}}, 1},
        {"no rows", {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProfileRows rows = c.rows;
        EXPECT_EQ(MergeSharedHertz(rows), c.gone);
        ExpectRows(rows, c.merged);
    }
}
