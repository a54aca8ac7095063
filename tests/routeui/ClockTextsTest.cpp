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
        const char* expected; // master, locked, then role and sync in English and in Chinese
    };
    const Case cases[] = {
        {"grandmaster whatever its servo", kOwn, kOwn, {0, 1, 2, 4, -1}, false, 0, "1 1 Master locked 主 已同步"},
        {"slave locked in state two", kOwn, kOther, {2}, false, 0, "0 1 Slave locked 从 已同步"},
        {"slave otherwise unlocked", kOwn, kOther, {0, 1, 3, 4}, false, 0, "0 0 Slave unlock 从 未同步"},
        {"virtual card: a locked slave", kOwn, kOwn, {0}, true, 0, "0 1 Slave locked 从 已同步"},
        {"no clock identity: no master", "", "", {0}, false, 0, "0 0 Slave unlock 从 未同步"},
        {"domain of a master", kOwn, kOwn, {0}, false, 1, "1 1 Master_(1) locked 主_(1) 已同步"},
        {"domain of a slave", kOwn, kOther, {2}, false, 127, "0 1 Slave_(127) locked 从_(127) 已同步"},
        {"negative domain", kOwn, kOther, {2}, false, -3, "0 1 Slave locked 从 已同步"},
    };
    for (const Case& c : cases)
        for (int state : c.states) {
            const ClockTexts::Status s = ClockTexts::status(c.own, c.gm, state, c.virtualCard);
            const QString got = QStringLiteral("%1 %2 ").arg(int(s.master)).arg(int(s.locked)) +
                                ClockTexts::roleText(s, c.domain, false) + ' ' + ClockTexts::syncText(s, false) + ' ' +
                                ClockTexts::roleText(s, c.domain, true) + ' ' + ClockTexts::syncText(s, true);
            EXPECT_EQ(got, QString::fromUtf8(c.expected).replace('_', ' ')) << c.name << ", state " << state;
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
