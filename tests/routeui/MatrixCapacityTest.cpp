#include "DevManager.h"
#include "StreamCapacity.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {
const uint32_t kRecv = 0xC0A8010B; // 192.168.1.11
const uint32_t kOther = 0x0A000001;

struct Slot
{
    uint32_t dst;
    int chNum;
    std::vector<int> chans;
};
} // namespace

TEST(MatrixCapacityTest, ASenderSlotCanTakeTheChannel)
{
    struct Case
    {
        const char* name;
        std::vector<Slot> table;
        int count; // announced unicast transmit count
        int channel;
        bool fits;
    };
    const Case cases[] = {
        {"free slot", {{kOther, 8, {0, 1, 2, 3, 4, 5, 6, 7}}, {0, 0, {}}}, 2, 3, true},
        // The announced count limits the walk even when more slots are free in the table.
        {"free slot beyond the count", {{kOther, 8, {0, 1, 2, 3, 4, 5, 6, 7}}, {0, 0, {}}}, 1, 3, false},
        {"no slots announced", {{0, 0, {}}}, 0, 3, false},
        {"stream to the receiver with room", {{kRecv, 4, {0, 1, 2, -1}}}, 1, 9, true},
        {"full stream to the receiver", {{kRecv, 4, {0, 1, 2, 3}}}, 1, 9, false},
        {"already carried", {{kRecv, 4, {0, 1, 2, 3}}}, 1, 2, true},
        // Positions beyond chNum do not count.
        {"channel past chNum", {{kRecv, 4, {0, 1, 2, 3, -1, 9}}}, 1, 9, false},
        // A free position in a stream to another receiver does not help.
        {"room only towards others", {{kOther, 2, {0, -1}}, {kOther + 1, 2, {0, 1}}}, 2, 0, false},
        // An oversized chNum stays inside the stream's eight positions.
        {"oversized chNum", {{kRecv, 200, {0, 1, 2, 3, 4, 5, 6, 7}}}, 1, 8, false},
        {"oversized chNum, carried", {{kRecv, 200, {0, 1, 2, 3, 4, 5, 6, 7}}}, 1, 7, true},
    };
    for (const Case& c : cases) {
        std::vector<TxStreamEntry> v(c.table.size());
        std::memset(v.data(), 0, sizeof(TxStreamEntry) * v.size());
        for (size_t i = 0; i < v.size(); ++i) {
            v[i].stream.dstIp = c.table[i].dst;
            v[i].stream.chNum = static_cast<uint8_t>(c.table[i].chNum);
            for (size_t k = 0; k < c.table[i].chans.size(); ++k)
                v[i].setSrcChId(int(k), c.table[i].chans[k]);
        }
        EXPECT_EQ(StreamCapacity::canTake(v.data(), c.count, kRecv, c.channel), c.fits) << c.name;
    }
    EXPECT_TRUE(StreamCapacity::canTake(static_cast<const DevRecord*>(nullptr), kRecv, 0)) << "unknown sender";
}
