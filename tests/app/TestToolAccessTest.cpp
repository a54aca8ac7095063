#include "TestToolAccess.h"

#include <QStringList>

#include <gtest/gtest.h>

// The codes are not written here: every four-digit input is tried, and exactly one opens each mode.
TEST(TestToolAccess, OneFourDigitCodeOpensEachModeEverythingElseIsRefused)
{
    QStringList all;
    QStringList reduced;
    for (int n = 0; n < 10000; ++n) {
        const QString code = QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
        const TestToolAccess::Mode mode = TestToolAccess::modeFor(code);
        if (mode == TestToolAccess::AllControls)
            all.append(code);
        else if (mode == TestToolAccess::Reduced)
            reduced.append(code);
    }
    ASSERT_EQ(all.size(), 1);
    ASSERT_EQ(reduced.size(), 1);
    EXPECT_EQ(TestToolAccess::modeFor(QStringLiteral(" %1\n").arg(reduced.first())), TestToolAccess::Reduced)
        << "the input is trimmed";
    EXPECT_EQ(TestToolAccess::modeFor(all.first() + QLatin1Char('0')), TestToolAccess::Refused);
    EXPECT_EQ(TestToolAccess::modeFor(all.first().insert(2, QLatin1Char(' '))), TestToolAccess::Refused);
    EXPECT_EQ(TestToolAccess::modeFor(QString()), TestToolAccess::Refused);
}
