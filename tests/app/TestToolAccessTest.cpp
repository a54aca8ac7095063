#include "TestToolAccess.h"

#include <gtest/gtest.h>

TEST(TestToolAccess, TwoCodesOpenTheToolEverythingElseIsRefused)
{
    EXPECT_EQ(TestToolAccess::modeFor("4827"), TestToolAccess::AllControls);
    EXPECT_EQ(TestToolAccess::modeFor(" 6130\n"), TestToolAccess::Reduced) << "the input is trimmed";
    EXPECT_EQ(TestToolAccess::modeFor("48 27"), TestToolAccess::Refused);
    EXPECT_EQ(TestToolAccess::modeFor("48270"), TestToolAccess::Refused);
    EXPECT_EQ(TestToolAccess::modeFor(""), TestToolAccess::Refused);
}
