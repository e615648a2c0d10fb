#include <gtest/gtest.h>

#include <climits>

#include "vcl/DensityScaling.h"

namespace {

struct DensityCase {
    int dpi;
    int charHeight;
    int textHeight;
    int clientWidth;   // 222 at 96 dpi
    int clientHeight;  // 292 at 96 dpi
    int margin;        // 8 at 96 dpi
};

// Worked by hand: char height = 11 * dpi / 96, text height = char height * 13 / 11, then every value
// * text height / 13, each rounded to the nearest whole pixel with halves away from zero.
const DensityCase kDensities[] = {
    {96, 11, 13, 222, 292, 8},   {100, 11, 13, 222, 292, 8},  {120, 14, 17, 290, 382, 10},
    {144, 17, 20, 342, 449, 12}, {192, 22, 26, 444, 584, 16}, {72, 8, 9, 154, 202, 6},
};

TEST(DensityScaling, FontAndLayoutFollowTheScreenDensity)
{
    for (const DensityCase& c : kDensities) {
        SCOPED_TRACE(c.dpi);
        const DensityScaling scaling(96, 11, 13, c.dpi);
        EXPECT_EQ(scaling.CharHeight(), c.charHeight);
        EXPECT_EQ(scaling.TextHeight(), c.textHeight);
        EXPECT_EQ(scaling.Scales(), c.textHeight != 13);
        EXPECT_EQ(scaling.Scale(222), c.clientWidth);
        EXPECT_EQ(scaling.Scale(292), c.clientHeight);
        EXPECT_EQ(scaling.Scale(8), c.margin);
    }
}

struct MulDivCase {
    int a, b, c, expected;
};

TEST(DensityScaling, MulDivRoundsHalvesAwayFromZeroWithoutOverflow)
{
    const MulDivCase cases[] = {
        {5, 1, 2, 3},   {-5, 1, 2, -3},      {7, 1, 2, 4},     {1, 1, 3, 0},
        {2, 1, 3, 1},   {-2, 1, 3, -1},      {5, -1, 2, -3},   {100000, 100000, 100000, 100000},
        {INT_MAX, 2, 1, INT_MAX}, {INT_MIN, 2, 1, INT_MIN}, {9, 4, 0, 9},
    };
    for (const MulDivCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " * " << c.b << " / " << c.c);
        EXPECT_EQ(DensityScaling::MulDiv(c.a, c.b, c.c), c.expected);
    }
}

}  // namespace
