// The matrix gain code.

#include "MatrixGainCode.h"

#include <gtest/gtest.h>

#include <limits>

TEST(MatrixGainCodeTest, EncodesEdgesRoundingAndUnsendableGainsAsZero)
{
    const struct
    {
        double db;
        int code;
    } cases[] = {{0, 0},
                 {0.25, 1},
                 {12, 48},
                 {-0.25, 49},
                 {-48, 240},
                 {12.25, 0},
                 {-48.25, 0},
                 {0.1, 0},
                 {0.13, 1},
                 {-6.1, 72},
                 {std::numeric_limits<double>::quiet_NaN(), 0},
                 {std::numeric_limits<double>::infinity(), 0},
                 {-1e300, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(MatrixGainCode::encode(c.db), c.code) << c.db;
    for (int code : {241, 255, -1})
        EXPECT_DOUBLE_EQ(MatrixGainCode::decode(code), 0) << code;
    EXPECT_DOUBLE_EQ(MatrixGainCode::decode(49), -0.25);
    for (int code = 0; code <= 240; ++code)
        EXPECT_EQ(MatrixGainCode::encode(MatrixGainCode::decode(code)), code) << code;
}
