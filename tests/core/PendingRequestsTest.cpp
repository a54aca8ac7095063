#include "PendingRequests.h"

#include <gtest/gtest.h>

namespace {

const uint32_t kIp = 0x0A4D000B;

struct PendingRequestsTest : ::testing::Test
{
    qint64 now = 0;
    PendingRequests pending{[this] { return now; }};
};

} // namespace

TEST_F(PendingRequestsTest, SentBodiesAreNotedByKindAndDevice)
{
    const struct
    {
        const char* body;
        uint32_t to;
        PendingRequests::Kind kind;
        const char* replyDevId;
        uint32_t replyIp;
        bool answers;
    } cases[] = {
        // "setIp" is broadcast: only the devId in its body tells whom it was for.
        {R"({"devId":"DEV1","ops":"setIp"})", 0xFFFFFFFF, PendingRequests::SetIp, "DEV1", kIp, true},
        {R"({"devId":"DEV1","ops":"setIp"})", 0xFFFFFFFF, PendingRequests::SetIp, "DEV2", kIp, false},
        {R"({"ops":"reboot"})", kIp, PendingRequests::Reboot, "DEV1", kIp, true},
        {R"({"ops":"reboot"})", kIp, PendingRequests::Reboot, "DEV1", kIp + 1, false},
        {R"({"ops":"reboot"})", kIp, PendingRequests::ClrMcastTx, "DEV1", kIp, false},
        {R"({"dstIp":"1","ops":"clrMcastTx"})", kIp, PendingRequests::ClrMcastTx, "", kIp, true},
        // Other commands, or a kind's name only in a value, note nothing.
        {R"({"name":"reboot","ops":"setDevName"})", kIp, PendingRequests::Reboot, "DEV1", kIp, false},
        {R"(not json reboot)", kIp, PendingRequests::Reboot, "DEV1", kIp, false},
    };
    for (const auto& c : cases) {
        pending.clear();
        pending.noteSent(c.body, c.to);
        EXPECT_EQ(pending.take(c.kind, c.replyDevId, c.replyIp), c.answers) << c.body << " " << c.replyDevId;
    }
}

TEST_F(PendingRequestsTest, EachRequestAnswersOnceWithinItsTimeLimit)
{
    pending.note(PendingRequests::Reboot, QString(), kIp);
    pending.note(PendingRequests::Reboot, QString(), kIp);
    EXPECT_EQ(pending.entryCount(), 1) << "one entry per device and kind";
    EXPECT_TRUE(pending.take(PendingRequests::Reboot, "X", kIp));
    EXPECT_TRUE(pending.take(PendingRequests::Reboot, "X", kIp));
    EXPECT_FALSE(pending.take(PendingRequests::Reboot, "X", kIp)) << "two requests, two answers";

    // The count in one entry is capped, and the entry lives kLifeMs after its last request.
    for (int i = 0; i < 3 * PendingRequests::kMaxPerEntry; ++i)
        pending.note(PendingRequests::SetIp, "DEV1", 0);
    now += PendingRequests::kLifeMs - 1;
    int answered = 0;
    while (pending.take(PendingRequests::SetIp, "DEV1", 0))
        ++answered;
    EXPECT_EQ(answered, PendingRequests::kMaxPerEntry);

    pending.note(PendingRequests::SetIp, "DEV1", 0);
    now += PendingRequests::kLifeMs;
    EXPECT_FALSE(pending.take(PendingRequests::SetIp, "DEV1", 0)) << "expired";
}

TEST_F(PendingRequestsTest, ManyDevicesStayBoundedAndTheOldestGoesFirst)
{
    const int sent = PendingRequests::kMaxEntries + 50;
    for (int i = 0; i < sent; ++i) {
        ++now;
        pending.note(PendingRequests::Reboot, QString(), kIp + uint32_t(i));
    }
    EXPECT_EQ(pending.entryCount(), PendingRequests::kMaxEntries);
    EXPECT_FALSE(pending.take(PendingRequests::Reboot, QString(), kIp)) << "the oldest was dropped";
    EXPECT_TRUE(pending.take(PendingRequests::Reboot, QString(), kIp + uint32_t(sent - 1)));
    // Nothing is noted without a device to match.
    pending.clear();
    pending.note(PendingRequests::Reboot, QString(), 0);
    pending.note(PendingRequests::SetIp, QString(), 0xFFFFFFFF);
    EXPECT_EQ(pending.entryCount(), 0);
}
