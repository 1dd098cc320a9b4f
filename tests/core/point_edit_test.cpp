#include "point_edit.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(PointEdit, GainsRoundToATenthOfADecibelAndFrequenciesToWholeHertz) {
    struct Case {
        double In;
        double Gain;
        double Hz;
    };
    const Case cases[] = {
        {1.04, 1.0f, 1},       {1.05, 1.1f, 1},          {-1.05, -1.1f, 1}, {-0.04, 0, 1},
        {999.5, 999.5f, 1000}, {1234.56, 1234.6f, 1235}, {0.2, 0.2f, 1},    {-3.0, -3.0f, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DrawnGain(c.In), c.Gain) << c.In;
        EXPECT_EQ(DrawnFrequency(c.In), c.Hz) << c.In;
    }
    // The values are those of the floats the table holds, so that its texts read back as them.
    EXPECT_EQ(DrawnGain(0.3), static_cast<double>(0.3f));
}

TEST(PointEdit, ADraggedFrequencyStaysStrictlyBetweenItsNeighbours) {
    const std::vector<double> x = {100, 200, 200.5, 202, 1000};
    struct Case {
        std::size_t Point;
        double Wanted;
        double Got;
    };
    const Case cases[] = {
        {1, 150.4, 150}, // free: whole hertz
        {1, 90, 101},    // not onto or below the point before
        {1, 200.4, 200}, // its own place is allowed
        {3, 199, 201},   // above 200.5: the next whole hertz
        {3, 5000, 999},  // below the point after
        {0, 0.2, 1},     // the first point: at least 1 Hz
        {0, 150, 150},   // below the point after it
        {4, 1e6, 1e6},   // the last point: no upper limit
        {4, 10, 203},    // above 202
        {2, 500, 201},   // between 200 and 202 only 201 is whole
        {2, 10, 201},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrequencyBetween(x, c.Point, c.Wanted), c.Got) << c.Point << " to " << c.Wanted;
    }
    // No whole hertz strictly between the neighbours: the point keeps its frequency.
    const std::vector<double> tight = {100, 100.5, 101};
    EXPECT_EQ(FrequencyBetween(tight, 1, 300), 100.5);
    EXPECT_EQ(FrequencyBetween(tight, 1, 10), 100.5);
    // Undrawable neighbours set no limit.
    const std::vector<double> open = {-kInf, 50, kInf};
    EXPECT_EQ(FrequencyBetween(open, 1, 70000), 70000);
}

TEST(PointEdit, ANewPointGoesWhereItsFrequencyBelongsAndADuplicateIsRefused) {
    const std::vector<double> x = {20, 100, 1000};
    struct Case {
        double Hz;
        std::optional<std::size_t> Index;
    };
    const Case cases[] = {
        {10, 0}, {21, 1}, {500, 2}, {1001, 3}, {20, {}}, {100, std::nullopt}, {1000, std::nullopt}};
    for (const Case& c : cases) {
        EXPECT_EQ(NewPointIndex(x, c.Hz), c.Index) << c.Hz;
    }
    EXPECT_EQ(NewPointIndex(std::vector<double>{}, 50), 0u);
}

TEST(PointEdit, ARowReadsAsAPointToTheDecimalsItShows) {
    struct Case {
        const char16_t* Freq;
        const char16_t* Gain;
        double Hz;
        double Db;
        char16_t Separator;
        bool Reads;
    };
    const Case cases[] = {
        {u"1000", u"1.5", 1000, 1.5f, u'.', true},
        {u"1000.0", u"1.23", 1000, 1.234f, u'.', true}, // imports show fewer decimals
        {u"1000", u"1.2", 1000, 1.234f, u'.', true},
        {u"1000", u"1.5", 1000, 1.234f, u'.', false}, // typed over since
        {u"1001", u"1.5", 1000, 1.5f, u'.', false},
        {u"1000", u"1,5", 1000, 1.5f, u',', true}, // the user's notation
        {u"1000", u"1,5", 1000, 1.5f, u'.', false},
        {u"1000", u"", 1000, 1.5f, u'.', false},
        {u"abc", u"1.5", 1000, 1.5f, u'.', false},
        {u"1E3", u"-0.1", 1000, -0.1f, u'.', true},
        {u"1E3", u"-0.1", 1000.4, -0.1f, u'.', false},
        {u"1000", u"0.3", 1000, 0.3f, u'.', true}, // the float of 0.3 is not 0.3
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RowReadsAs(c.Freq, c.Gain, c.Hz, c.Db, NumberNotation{c.Separator}), c.Reads)
            << c.Hz << " Hz, " << c.Db << " dB";
    }
}

TEST(PointEdit, AKeyPressMovesTheGainATenthOrWithShiftOneDecibel) {
    EXPECT_EQ(NudgedGain(1.0f, true, false), 1.1f);
    EXPECT_EQ(NudgedGain(1.0f, false, false), 0.9f);
    EXPECT_EQ(NudgedGain(1.0f, true, true), 2.0f);
    EXPECT_EQ(NudgedGain(-0.05f, false, true), -1.1f);
    EXPECT_EQ(NudgedGain(1.234f, true, false), 1.3f); // onto the tenths
}

} // namespace
