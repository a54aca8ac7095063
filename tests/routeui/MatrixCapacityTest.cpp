#include "DevManager.h"
#include "StreamCapacity.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {
const uint32_t kRecv = 0xC0A8010B; // 192.168.1.11

std::vector<TxStreamEntry> makeSlots(int n)
{
    std::vector<TxStreamEntry> v(static_cast<size_t>(n));
    std::memset(v.data(), 0, sizeof(TxStreamEntry) * v.size());
    return v;
}

void fill(TxStreamEntry& e, uint32_t dst, int chNum, std::initializer_list<int> chans)
{
    e.stream.dstIp = dst;
    e.stream.chNum = static_cast<uint8_t>(chNum);
    int i = 0;
    for (int c : chans)
        e.setSrcChId(i++, c);
}
} // namespace

TEST(MatrixCapacityTest, FreeSlotTakesTheChannel)
{
    auto v = makeSlots(2);
    fill(v[0], 0x0A000001, 8, {0, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_TRUE(StreamCapacity::canTake(v.data(), 2, kRecv, 3));
    // The announced count limits the walk even when more slots are free in the table.
    EXPECT_FALSE(StreamCapacity::canTake(v.data(), 1, kRecv, 3));
    EXPECT_FALSE(StreamCapacity::canTake(v.data(), 0, kRecv, 3));
}

TEST(MatrixCapacityTest, StreamToReceiverWithRoomOrSameChannel)
{
    auto v = makeSlots(1);
    fill(v[0], kRecv, 4, {0, 1, 2, -1});
    EXPECT_TRUE(StreamCapacity::canTake(v.data(), 1, kRecv, 9)); // one position still free
    fill(v[0], kRecv, 4, {0, 1, 2, 3});
    EXPECT_FALSE(StreamCapacity::canTake(v.data(), 1, kRecv, 9));
    EXPECT_TRUE(StreamCapacity::canTake(v.data(), 1, kRecv, 2)); // already carried
    // Positions beyond chNum do not count.
    v[0].setSrcChId(5, 9);
    EXPECT_FALSE(StreamCapacity::canTake(v.data(), 1, kRecv, 9));
}

TEST(MatrixCapacityTest, FullStreamsToOthersRefuse)
{
    auto v = makeSlots(2);
    fill(v[0], 0x0A000001, 2, {0, -1});
    fill(v[1], 0x0A000002, 2, {0, 1});
    // A free position in a stream to another receiver does not help.
    EXPECT_FALSE(StreamCapacity::canTake(v.data(), 2, kRecv, 0));
}

TEST(MatrixCapacityTest, OversizedChNumStaysInsideTheStream)
{
    auto v = makeSlots(1);
    fill(v[0], kRecv, 200, {0, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_FALSE(StreamCapacity::canTake(v.data(), 1, kRecv, 8));
    EXPECT_TRUE(StreamCapacity::canTake(v.data(), 1, kRecv, 7));
}

TEST(MatrixCapacityTest, UnknownSenderPasses)
{
    EXPECT_TRUE(StreamCapacity::canTake(static_cast<const DevRecord*>(nullptr), kRecv, 0));
}
