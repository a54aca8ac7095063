// Multicast transmit streams made and deleted in the offline design: the shared address rules against the
// design's streams, the device's limits, and the design kept coherent (device list, global list, routes).
#include "OfflineTestDesign.h"

#include "DevManager.h"
#include "OfflineMcastEdit.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using Failure = OfflineMcastEdit::Failure;

class OfflineMcastEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"Stage", "FOH"}) {
            auto dev = OfflineDevice::fromType(OfflineTestDesign::type(QStringLiteral("MRD-A16"), 4, 16, 2, 2),
                                               design.newDeviceId(QStringLiteral("MRD-A16")), QLatin1String(name));
            ids << dev->devId();
            ASSERT_TRUE(design.addDevice(std::move(dev)));
        }
        // FOH already sends "Band" on 239.69.2.2; Stage receives one of its channels.
        ASSERT_TRUE(design.addMcast(stream("Band", "239.69.2.2", ids[1])));
        design.updateDevice(ids[0], [](OfflineDevice& d) {
            OfflineMcastRoute r;
            r.mcastName = QStringLiteral("Band");
            d.mcastRoutes().append(r);
        });
    }

    static OfflineMcast stream(const QString& name, const QString& dstIp, const QString& src)
    {
        OfflineMcast m;
        m.name = name;
        m.dstIp = dstIp;
        m.chNum = 1;
        m.srcDevId = src;
        m.srcChannels = {0};
        return m;
    }

    static McastCreateChecks::Input input(const QString& name, int channels, const QString& custom = QString())
    {
        McastCreateChecks::Input in;
        in.name = name;
        for (int ch = 0; ch < channels; ++ch)
            in.channels << ch;
        in.automatic = custom.isEmpty();
        const QStringList parts = custom.isEmpty() ? QStringList{"239", "69", "", ""} : custom.split('.');
        for (int i = 0; i < 4; ++i)
            in.ip[i] = parts.value(i);
        in.port = QStringLiteral("5004");
        return in;
    }

    static McastCreateChecks::Input withChannels(McastCreateChecks::Input in, const QVector<int>& channels)
    {
        in.channels = channels;
        return in;
    }

    /// Draws 0, 0, 1, 1, 2, 2 ...: the automatic addresses x.y.2.2, x.y.3.3, x.y.4.4 in turn.
    std::function<uint32_t()> counting()
    {
        return [this] { return draws++ / 2; };
    }

    OfflineData design;
    QStringList ids;
    uint32_t draws = 0;
};

TEST_F(OfflineMcastEditTest, AutomaticAddressSkipsEveryAddressOfTheDesign)
{
    // 239.69.2.2 is FOH's; 239.69.3.3 is taken by a custom stream on Stage itself.
    ASSERT_TRUE(design.addMcast(stream("Own", "239.69.3.3", ids[0])));
    QSignalSpy changed(&design, &OfflineData::changed);
    const OfflineMcastEdit::Outcome out = OfflineMcastEdit::create(design, ids[0], input("  Mix  ", 3), counting());
    ASSERT_EQ(Failure::None, out.failure);
    EXPECT_EQ(QStringLiteral("239.69.4.4"), out.mcast.dstIp);
    EXPECT_EQ(1, changed.count());

    const OfflineDevice dev = *design.device(ids[0]);
    ASSERT_EQ(2, dev.detail().mcastList.size());
    const OfflineMcast& made = dev.detail().mcastList.last();
    EXPECT_EQ(QStringLiteral("Mix"), made.name) << "the name is kept trimmed";
    EXPECT_EQ((QVector<int>{0, 1, 2}), made.srcChannels);
    EXPECT_EQ(3, made.chNum);
    EXPECT_EQ(5004, made.dstPort);
    EXPECT_EQ(dev.detail().sampleRate, made.sampleRate);
    EXPECT_FALSE(made.customAddress);
    EXPECT_TRUE(design.mcasts().contains(made)) << "the global list holds it too";
    EXPECT_TRUE(OfflineMcastEdit::addressesInUse(design).contains(dvm_parseIp("239.69.4.4")));
}

TEST_F(OfflineMcastEditTest, RefusalsLeaveTheDesignAlone)
{
    // Stage with 4-byte samples and 48-frame packets: 1400 / 192 = 7 channels per stream.
    design.updateDevice(ids[0], [](OfflineDevice& d) {
        d.detail().sampleByteNum = 4;
        d.detail().pFrameNum = 48;
    });
    struct Case
    {
        const char* what;
        QString devId;
        McastCreateChecks::Input in;
        Failure failure;
        McastCreateChecks::Failure check;
    };
    const Case cases[] = {
        {"unknown device", "OFF-none-1", input("X", 1), Failure::NoDevice, McastCreateChecks::None},
        {"custom address out of range", ids[0], input("X", 1, "240.0.0.1"), Failure::Checks,
         McastCreateChecks::WrongIp},
        {"custom address half filled", ids[0], input("X", 1, "239.1.1"), Failure::Checks,
         McastCreateChecks::IpNotFilled},
        {"name of another device's stream", ids[0], input(" Band ", 1), Failure::NameTaken, McastCreateChecks::None},
        {"custom address of the design", ids[0], input("X", 1, "239.69.2.2"), Failure::AddressConflict,
         McastCreateChecks::None},
        {"more channels than a packet carries", ids[0], input("X", 8), Failure::ChannelLimit, McastCreateChecks::None},
        {"custom address, too many channels", ids[0], input("X", 8, "239.9.9.9"), Failure::ChannelLimit,
         McastCreateChecks::None},
        {"channel the device lacks", ids[1], withChannels(input("X", 1), {16}), Failure::Refused,
         McastCreateChecks::None},
    };
    for (const Case& c : cases) {
        const QVector<OfflineMcast> before = design.mcasts();
        QSignalSpy changed(&design, &OfflineData::changed);
        const OfflineMcastEdit::Outcome out = OfflineMcastEdit::create(design, c.devId, c.in, counting());
        EXPECT_EQ(c.failure, out.failure) << c.what;
        EXPECT_EQ(c.check, out.check) << c.what;
        EXPECT_EQ(before, design.mcasts()) << c.what;
        EXPECT_EQ(0, changed.count()) << c.what;
    }
}

TEST_F(OfflineMcastEditTest, AFifthStreamIsRefusedWhoeverChoseTheAddress)
{
    for (int i = 0; i < OfflineMcastEdit::kMaxStreamsPerDevice; ++i)
        ASSERT_EQ(Failure::None,
                  OfflineMcastEdit::create(design, ids[0], input(QString("S%1").arg(i), 1), counting()).failure);
    EXPECT_EQ(Failure::StreamLimit, OfflineMcastEdit::create(design, ids[0], input("Auto", 1), counting()).failure);
    EXPECT_EQ(Failure::StreamLimit,
              OfflineMcastEdit::create(design, ids[0], input("Custom", 1, "239.9.9.9"), counting()).failure);
    EXPECT_EQ(OfflineMcastEdit::kMaxStreamsPerDevice, design.device(ids[0])->detail().mcastList.size());
}

TEST_F(OfflineMcastEditTest, RemovalTakesOnlyTheDevicesOwnStreamsWithTheirRoutes)
{
    ASSERT_EQ(Failure::None,
              OfflineMcastEdit::create(design, ids[0], input("Mine", 1, "239.1.1.1"), counting()).failure);
    // The address of FOH's stream names nothing of Stage's.
    EXPECT_EQ(0, OfflineMcastEdit::remove(design, ids[0], {"239.69.2.2"}));
    EXPECT_EQ(2, design.mcasts().size());
    EXPECT_EQ(1, OfflineMcastEdit::remove(design, ids[1], {"239.69.2.2", "239.1.1.1"}));
    EXPECT_EQ(1, OfflineMcastEdit::remove(design, ids[0], {"239.1.1.1"}));
    EXPECT_TRUE(design.mcasts().isEmpty());
    EXPECT_TRUE(design.device(ids[0])->mcastRoutes().isEmpty()) << "the route receiving Band went with it";
    EXPECT_EQ(0, OfflineMcastEdit::remove(design, "OFF-none-1", {"239.1.1.1"}));
}

TEST(OfflineMcastEditCapacity, ChannelsPerPacket)
{
    const struct
    {
        int bytes, frames, channels;
    } cases[] = {{3, 12, 38}, {4, 48, 7}, {3, 48, 9}, {0, 12, 1}, {3, 0, 1}, {-1, 12, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(c.channels, OfflineMcastEdit::channelCapacity(c.bytes, c.frames)) << c.bytes << "x" << c.frames;
}

} // namespace
