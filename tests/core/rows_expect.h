#pragma once
// Profile rows compared in the core tests.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

#include "profile_curves.h"

// Rows compared bit for bit, so that -0 and NaN count.
inline void ExpectRows(const TProfileRows& actual, const TProfileRows& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(actual[i].size(), expected[i].size()) << "row " << i;
        for (std::size_t j = 0; j < actual[i].size(); ++j) {
            const float a = actual[i][j];
            const float e = expected[i][j];
            EXPECT_TRUE((std::isnan(a) && std::isnan(e)) ||
                        (a == e && std::signbit(a) == std::signbit(e)))
                << "row " << i << " value " << j << ": " << a << " instead of " << e;
        }
    }
}
