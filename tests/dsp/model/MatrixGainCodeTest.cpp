// The matrix gain code.

#include "MatrixGainCode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(MatrixGainCodeTest, EncodesTheEdgesOfBothRanges)
{
    EXPECT_EQ(MatrixGainCode::encode(0), 0);
    EXPECT_EQ(MatrixGainCode::encode(0.25), 1);
    EXPECT_EQ(MatrixGainCode::encode(12), 48);
    EXPECT_EQ(MatrixGainCode::encode(-0.25), 49);
    EXPECT_EQ(MatrixGainCode::encode(-48), 240);
    EXPECT_EQ(MatrixGainCode::encode(12.25), 0);
    EXPECT_EQ(MatrixGainCode::encode(-48.25), 0);
    // Rounded to the nearest quarter dB first.
    EXPECT_EQ(MatrixGainCode::encode(0.1), 0);
    EXPECT_EQ(MatrixGainCode::encode(0.13), 1);
    EXPECT_EQ(MatrixGainCode::encode(-6.1), 48 + 24);
    EXPECT_EQ(MatrixGainCode::encode(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(MatrixGainCode::encode(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(MatrixGainCode::encode(-1e300), 0);
}

TEST(MatrixGainCodeTest, DecodesAndOutOfRangeCodesAreZero)
{
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(0), 0);
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(48), 12);
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(49), -0.25);
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(240), -48);
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(241), 0);
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(255), 0);
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(-1), 0);
}

TEST(MatrixGainCodeTest, EveryCodeSurvivesARoundTrip)
{
    for (int code = 0; code <= 240; ++code)
        EXPECT_EQ(MatrixGainCode::encode(MatrixGainCode::decode(code)), code) << code;
}
