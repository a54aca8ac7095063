#include "ScaleFactors.h"

#include <array>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Screen
{
    const char* name;
    int horzRes, vertRes, cx, cy;
    double adj, font, newAdj, newFont;
    int usedCx;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const Screen& s, std::ostream* os)
{
    *os << s.name;
}

class ScaleFactorsScreens : public ::testing::TestWithParam<Screen>
{
};

} // namespace

TEST_P(ScaleFactorsScreens, FactorsOfCommonScreens)
{
    const Screen s = GetParam();
    const ScaleFactors f = ScaleFactors::fromScreen(s.horzRes, s.vertRes, s.cx, s.cy);
    EXPECT_TRUE(f.valid);
    EXPECT_DOUBLE_EQ(f.adjScale, s.adj);
    EXPECT_DOUBLE_EQ(f.adjFontScale, s.font);
    EXPECT_DOUBLE_EQ(f.newAdjScale, s.newAdj);
    EXPECT_DOUBLE_EQ(f.newAdjFontScale, s.newFont);
    EXPECT_EQ(f.cx, s.usedCx);
    EXPECT_EQ(f.cy, s.cy);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ScaleFactorsScreens,
    ::testing::Values(Screen{"FullHd100", 1920, 1080, 1920, 1080, 1.5, 1.5, 1.0, 1.0, 1920},
                      // Wider than 16:9: sized by the height, so the same as 1920 x 1080.
                      Screen{"UltraWide100", 2560, 1080, 2560, 1080, 1.5, 1.5, 1.0, 1.0, 1920},
                      Screen{"Uhd200", 3840, 2160, 1920, 1080, 3.0, 1.5, 2.0, 1.0, 1920},
                      Screen{"FullHd125", 1920, 1080, 1536, 864, 1.5, 1.2, 1.0, 0.8, 1536},
                      // Just wider than 16:9; whole pixels: 768 * 16 / 9 = 1365.
                      Screen{"Laptop1366", 1366, 768, 1366, 768, 1.066, 1.066, 0.711, 0.711, 1365},
                      // Display scale from the unnarrowed width (3440 / 2293), fonts divided by it.
                      Screen{"UltraWide150", 3440, 1440, 2293, 960, 2.0, 1.333, 1.333, 0.889, 1706}),
    [](const ::testing::TestParamInfo<Screen>& info) { return std::string(info.param.name); });

TEST(ScaleFactors, Dec3RoundsHalvesAwayFromZero)
{
    EXPECT_DOUBLE_EQ(ScaleFactors::dec3(1.0625), 1.063);
    EXPECT_DOUBLE_EQ(ScaleFactors::dec3(-1.0625), -1.063);
}

TEST(ScaleFactors, UnusableSizesGiveDesignFactorsNotADivisionByZero)
{
    for (auto sizes :
         {std::array<int, 4>{0, 0, 0, 0}, {1920, 1080, 0, 1080}, {1920, 1080, 1920, 0}, {-1920, 1080, 1920, 1080}}) {
        const ScaleFactors f = ScaleFactors::fromScreen(sizes[0], sizes[1], sizes[2], sizes[3]);
        EXPECT_FALSE(f.valid);
        EXPECT_DOUBLE_EQ(f.adjScale, 1.0);
        EXPECT_DOUBLE_EQ(f.adjFontScale, 1.0);
        EXPECT_DOUBLE_EQ(f.newAdjScale, 0.667);
        EXPECT_DOUBLE_EQ(f.newAdjFontScale, 0.667);
    }
}

TEST(ScaleFactors, HugeSizesDoNotOverflowTheAspectTest)
{
    // cx * 9 overflows 32 bits here; the screen is far wider than 16:9 and must be treated so.
    const ScaleFactors f = ScaleFactors::fromScreen(400000000, 1080, 400000000, 1080);
    EXPECT_TRUE(f.valid);
    EXPECT_EQ(f.cx, 1920);
    EXPECT_DOUBLE_EQ(f.adjScale, 1.5);
}
