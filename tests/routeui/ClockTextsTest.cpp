#include "ClockTexts.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

const QString kOwn = QStringLiteral("00-1D-C1-FF-FE-00-00-0A");
const QString kOther = QStringLiteral("00-1D-C1-FF-FE-00-00-0B");

TEST(ClockTexts, RoleAndSyncByClockIdentityServoStateAndDomain)
{
    struct Case
    {
        const char* name;
        QString own, gm;
        std::vector<int> states;
        bool virtualCard;
        int domain;
        bool master, locked;
        const char *role, *sync, *roleZh, *syncZh;
    };
    const Case cases[] = {
        {"grandmaster whatever its servo says",
         kOwn,
         kOwn,
         {0, 1, 2, 4, -1},
         false,
         0,
         true,
         true,
         "Master",
         "locked",
         "主",
         "已同步"},
        {"slave locked in state two", kOwn, kOther, {2}, false, 0, false, true, "Slave", "locked", "从", "已同步"},
        {"slave otherwise unlocked",
         kOwn,
         kOther,
         {0, 1, 3, 4},
         false,
         0,
         false,
         false,
         "Slave",
         "unlock",
         "从",
         "未同步"},
        {"virtual card is a locked slave", kOwn, kOwn, {0}, true, 0, false, true, "Slave", "locked", "从", "已同步"},
        {"no clock identity is no master", "", "", {0}, false, 0, false, false, "Slave", "unlock", "从", "未同步"},
        {"domain follows the master",
         kOwn,
         kOwn,
         {0},
         false,
         1,
         true,
         true,
         "Master (1)",
         "locked",
         "主 (1)",
         "已同步"},
        {"domain follows the slave",
         kOwn,
         kOther,
         {2},
         false,
         127,
         false,
         true,
         "Slave (127)",
         "locked",
         "从 (127)",
         "已同步"},
        {"negative domain shows none", kOwn, kOther, {2}, false, -3, false, true, "Slave", "locked", "从", "已同步"},
    };
    for (const Case& c : cases)
        for (int state : c.states) {
            SCOPED_TRACE(testing::Message() << c.name << ", state " << state);
            const ClockTexts::Status s = ClockTexts::status(c.own, c.gm, state, c.virtualCard);
            EXPECT_EQ(s.master, c.master);
            EXPECT_EQ(s.locked, c.locked);
            EXPECT_EQ(ClockTexts::roleText(s, c.domain, false), QString::fromUtf8(c.role));
            EXPECT_EQ(ClockTexts::syncText(s, false), QString::fromUtf8(c.sync));
            EXPECT_EQ(ClockTexts::roleText(s, c.domain, true), QString::fromUtf8(c.roleZh));
            EXPECT_EQ(ClockTexts::syncText(s, true), QString::fromUtf8(c.syncZh));
        }
}

TEST(ClockTexts, PriorityRangeAndUnsupportedModels)
{
    struct Case
    {
        int value;
        bool supported;
        const char* text;
    };
    // "NA" wins over the range check.
    for (const Case& c : {Case{0, true, "0"}, Case{255, true, "255"}, Case{256, true, "—"}, Case{-1, true, "—"},
                          Case{128, false, "NA"}, Case{256, false, "NA"}})
        EXPECT_EQ(ClockTexts::priorityText(c.value, c.supported), QString::fromUtf8(c.text)) << c.value;
}

} // namespace
