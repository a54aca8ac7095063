// Hostile and malformed configurations: parsing never reads out of range and every size is bounded.

#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CLimitItem.h"
#include "DspTestConfig.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace dsptest;

namespace {

// Parses, writes and parses the written text again; the second write must equal the first.
void parseWriteParse(CDeviceDspData& data, const QString& text)
{
    data.parse(text, "3.2.0");
    const QJsonObject written = data.writeConfig("3.2.0");
    CDeviceDspData again;
    again.info() = data.info();
    again.parse(reply(written), "3.2.0");
    EXPECT_EQ(QJsonDocument(again.writeConfig("3.2.0")).toJson(), QJsonDocument(written).toJson());
}

} // namespace

TEST(DspMalformedConfigTest, WrongShapesAnywhere)
{
    const QStringList texts{
        "",
        "[]",
        "null",
        R"({"config":[]})",
        R"({"config":{"nodeArr":{}}})",
        R"({"config":{"nodeArr":[1,"x",null,[],{}]}})",
        R"({"config":{"groupArr":[1,null,"x"],"nodeArr":[]}})",
        R"({"config":{"nodeArr":[{"type":"0","commArr":{},"obj":[]}]}})",
        R"({"config":{"nodeArr":[{"type":"0","commArr":[1,2],"obj":{"portArr":[null,{"procArr":{}}]}}]}})",
        R"({"config":{"nodeArr":[{"type":"0","commArr":[{}],"obj":{"portArr":[{"procArr":[null,1,{"type":{}}]}]}}]}})",
        R"({"config":{"nodeArr":[{"type":"1","obj":{"portArr":[{"muteArr":"0"}]}}]}})",
        R"({"config":{"nodeArr":[{"type":"2"},{"type":"3"},{"type":2},{"type":"99999999999"}]}})",
        R"({"config":{"nodeArr":[{"type":"3","obj":{"maskArr":[{},[],"0x","-1","99999999999999999999999"]}}]}})",
        R"({"config":{"version":"1e9","sampleRate":"-5","customStr":5,"nodeArr":[]}})",
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        CDeviceDspData data;
        setInfo(data, 4, 4);
        parseWriteParse(data, text);
    }
}

TEST(DspMalformedConfigTest, ShortPortListGivesChannelsWithoutBlocks)
{
    QJsonObject inputs = channelNode(4, {QJsonArray{block(6, QJsonObject{})}});
    QJsonObject obj = inputs.value("obj").toObject();
    QJsonArray ports = obj.value("portArr").toArray();
    ports.removeLast();
    ports.removeLast();
    obj.insert("portArr", ports);
    inputs.insert("obj", obj);
    CDeviceDspData data;
    setInfo(data, 4, 1);
    data.parse(reply(config({inputs})), "3.2.0");
    ASSERT_EQ(data.inputs().size(), 4);
    EXPECT_EQ(data.inputs().at(0)->blocks().size(), 1);
    EXPECT_EQ(data.inputs().at(3)->blocks().size(), 0);
    EXPECT_EQ(data.inputs().at(3)->core(), -1);
    EXPECT_EQ(data.inputs().at(3)->name(), "input_4");
}

TEST(DspMalformedConfigTest, AecListsKeepOneEntryPerInput)
{
    CDeviceDspData data;
    setInfo(data, 4, 1);
    data.parse(reply(config({aecNode(40)})), "3.2.0");
    ASSERT_EQ(data.aecChannels().size(), 1);
    EXPECT_EQ(data.aecChannels().at(0)->nearArr(), (QVector<int>{1, 0, 1, 0}));
    EXPECT_EQ(data.aecChannels().at(0)->farArr(), (QVector<int>{0, 0, 0, 1}));

    data.parse(reply(config({aecNode(2)})), "3.2.0"); // shorter lists leave zeros
    EXPECT_EQ(data.aecChannels().at(0)->nearArr(), (QVector<int>{1, 0, 0, 0}));
}

TEST(DspMalformedConfigTest, AecListsFollowTheInputsWhateverTheNodeOrder)
{
    CDeviceDspData data; // no DSP information: the input node gives the count
    data.parse(reply(config({aecNode(3), channelNode(3), matrixNode(1, 4), channelNode(1)})), "3.2.0");
    ASSERT_EQ(data.aecChannels().size(), 1);
    EXPECT_EQ(data.aecChannels().at(0)->nearArr(), (QVector<int>{0, 0, 0}));
    parseWriteParse(data, reply(config({aecNode(3), channelNode(3)})));
    EXPECT_EQ(data.aecChannels().at(0)->farArr().size(), 3);
}

TEST(DspMalformedConfigTest, HugeCountsAreBounded)
{
    CDeviceDspData data;
    setInfo(data, 2000000000, 2000000000);
    data.parse(reply(config({channelNode(3), aecNode(3), matrixNode(2, 3)})), "3.2.0");
    // The stated counts cannot be met: the matrix is bounded, the mute lists do not fit and parsing stops there.
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_LE(data.matrix()->rows(), DspMatrix::MaxDimension);
    EXPECT_LE(data.matrix()->columns(), DspMatrix::MaxDimension);
    EXPECT_LE(data.aecChannels().at(0)->nearArr().size(), CDeviceDspData::MaxChannels);

    QJsonArray many;
    for (int i = 0; i < CDeviceDspData::MaxSideNodes + 5; ++i)
        many.append(automixerNode({}));
    data.parse(reply(config(many)), "3.2.0");
    EXPECT_EQ(data.automixerChannels().size(), CDeviceDspData::MaxSideNodes);

    QJsonArray bands;
    for (int i = 0; i < 1000; ++i)
        bands.append(QJsonObject{{"freq0", "100"}});
    setInfo(data, 1, 1);
    data.parse(reply(config({channelNode(1, {QJsonArray{block(0, QJsonObject{{"eqArr", bands}})}})})), "3.2.0");
    const auto* eq = dynamic_cast<const CEqBlockItem*>(data.inputs().at(0)->block(0));
    ASSERT_NE(eq, nullptr);
    EXPECT_EQ(eq->bandCount(), CEqBlockItem::MaxBandCount);

    // The legacy mask index never overflows into undefined shifts.
    QJsonArray masks;
    for (int i = 0; i < 5000; ++i)
        masks.append("1");
    data.parse(reply(config({automixerNode(masks)})), "3.0.0");
    EXPECT_EQ(data.automixerChannels().at(0)->maskArr().at(4999), 1u | (quint64(4999) << 21));
}

TEST(DspMalformedConfigTest, MatrixWithMoreColumnsThanOutputs)
{
    CDeviceDspData data;
    setInfo(data, 2, 2);
    data.parse(reply(config({channelNode(2), matrixNode(6, 2), channelNode(2)})), "3.2.0");
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_EQ(data.matrix()->columns(), 2);
    EXPECT_EQ(data.outputs().size(), 2);
    EXPECT_FALSE(data.matrix()->isOn(5, 0)); // outside: off, and no write happened
}

TEST(DspMalformedConfigTest, ThirdChannelNodeIsIgnored)
{
    CDeviceDspData data;
    setInfo(data, 2, 3);
    data.parse(reply(config({channelNode(2), matrixNode(3, 2), channelNode(3), channelNode(5)})), "3.2.0");
    EXPECT_EQ(data.inputs().size(), 2);
    EXPECT_EQ(data.outputs().size(), 3);
}

TEST(DspMalformedConfigTest, ValuesOfTheWrongTypeKeepDefaults)
{
    const QJsonObject limit{{"limitDb", QJsonArray{}}};
    const QJsonObject comm{{"mute", 1}, {"gainDb", -4.5}, {"inverse", true}, {"groupId", "two"}};
    QJsonObject inputs = channelNode(1, {QJsonArray{block(6, limit), QJsonObject{{"type", 6}, {"bypass", true}}}});
    inputs.insert("commArr", QJsonArray{comm});
    CDeviceDspData data;
    setInfo(data, 1, 1);
    data.parse(reply(config({inputs})), "3.2.0");
    ASSERT_EQ(data.inputs().size(), 1);
    const CInputChannel* in = data.inputs().at(0);
    EXPECT_TRUE(in->isMute()); // JSON numbers and booleans are understood too
    EXPECT_TRUE(in->isInverse());
    EXPECT_DOUBLE_EQ(in->gainDb(), -4.5);
    EXPECT_EQ(in->groupId(), -1);
    ASSERT_EQ(in->blocks().size(), 2);
    EXPECT_DOUBLE_EQ(dynamic_cast<const CLimitItem*>(in->block(0))->limitDb(), -20);
    EXPECT_TRUE(in->block(1)->isBypass());
}

TEST(DspMalformedConfigTest, ChainOwnershipOperationsIgnoreBadIndexes)
{
    CInputChannel ch;
    ch.insertBlock(5, new CLimitItem); // bounded to the end
    ch.insertBlock(-2, new CEqBlockItem(2));
    ch.insertBlock(0, nullptr);
    ASSERT_EQ(ch.blocks().size(), 2);
    EXPECT_EQ(ch.block(0)->kind(), CBaseItem::KindEq);
    EXPECT_EQ(ch.indexOfKind(CBaseItem::KindLimit), 1);
    ch.removeBlock(7);
    EXPECT_EQ(ch.takeBlock(-1), nullptr);
    EXPECT_EQ(ch.block(2), nullptr);
    CBaseItem* taken = ch.takeBlock(1);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(ch.blocks().size(), 1);
    delete taken;
    ch.removeBlock(0);
    EXPECT_TRUE(ch.blocks().isEmpty());
}
