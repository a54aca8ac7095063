// Parsing rules that depend on firmware, node order and the matrix shape; the default configuration.

#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "DspTestConfig.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace dsptest;

namespace {

QJsonObject matrixPort(const CDeviceDspData& data, const QString& firmware, bool forFile)
{
    const QJsonArray nodes = data.writeConfig(firmware, forFile).value("nodeArr").toArray();
    for (const QJsonValue& n : nodes)
        if (n.toObject().value("type").toString() == "1")
            return n.toObject().value("obj").toObject().value("portArr").toArray().at(0).toObject();
    return {};
}

} // namespace

TEST(DspConfigParseTest, EmptyGroupNamesAreNumberedFromOne)
{
    const QJsonArray groups{QJsonObject{{"gainDb", "1"}, {"mute", "0"}, {"name", "A"}},
                            QJsonObject{{"gainDb", "0"}, {"mute", "0"}, {"name", "B"}},
                            QJsonObject{{"gainDb", "0"}, {"mute", "1"}, {"name", ""}},
                            QJsonObject{{"gainDb", "0"}, {"mute", "0"}}};
    CDeviceDspData data;
    data.parse(reply(config({}, groups)), "3.2.0");
    ASSERT_EQ(data.groups().size(), 4);
    EXPECT_EQ(data.groups().at(0).name, "A");
    EXPECT_EQ(data.groups().at(2).name, "Group3");
    EXPECT_EQ(data.groups().at(3).name, "Group4");
    EXPECT_TRUE(data.groups().at(2).mute);
    EXPECT_DOUBLE_EQ(data.groups().at(0).gainDb, 1);
    EXPECT_EQ(data.groupMembers().size(), 4); // one (empty) list per group even without nodes
}

TEST(DspConfigParseTest, GroupMembersAreInputsInChannelOrder)
{
    QJsonObject inputs = channelNode(6);
    QJsonArray comms = inputs.value("commArr").toArray();
    const char* ids[] = {"1", "-1", "1", "0", "17", "3"};
    for (int j = 0; j < 6; ++j) {
        QJsonObject c = comms.at(j).toObject();
        c.insert("groupId", ids[j]);
        comms[j] = c;
    }
    inputs.insert("commArr", comms);
    QJsonArray groups;
    for (int i = 0; i < 2; ++i)
        groups.append(QJsonObject{{"gainDb", "0"}, {"mute", "0"}, {"name", ""}});
    CDeviceDspData data;
    setInfo(data, 6, 2);
    data.parse(reply(config({inputs, matrixNode(2, 6), channelNode(2)}, groups)), "3.2.0");
    ASSERT_EQ(data.groupMembers().size(), 2);
    EXPECT_EQ(data.groupMembers().at(0), QVector<int>{3});
    EXPECT_EQ(data.groupMembers().at(1), (QVector<int>{0, 2}));
    // Group 3 is not listed and 17 is beyond the sixteen member lists: neither is recorded anywhere.
    EXPECT_EQ(data.inputs().at(5)->groupId(), 3);
}

TEST(DspConfigParseTest, AutomixerMasksCarryTheIndexUpToFirmware312)
{
    const QJsonArray masks{"1", "2", "3", "5"};
    CDeviceDspData data;
    data.parse(reply(config({automixerNode(masks)})), "3.1.2");
    ASSERT_EQ(data.automixerChannels().size(), 1);
    const QVector<quint64> legacy = data.automixerChannels().at(0)->maskArr();
    ASSERT_EQ(legacy.size(), 4);
    EXPECT_EQ(legacy.at(0), 1u);
    EXPECT_EQ(legacy.at(1), 2u | (1u << 21));
    EXPECT_EQ(legacy.at(3), 5u | (3u << 21));

    data.parse(reply(config({automixerNode(masks)})), "3.1.3");
    EXPECT_EQ(data.automixerChannels().at(0)->maskArr(), (QVector<quint64>{1, 2, 3, 5}));
    data.parse(reply(config({automixerNode(QJsonArray{"0x1F", "12", "junk"})})), "3.2.0");
    EXPECT_EQ(data.automixerChannels().at(0)->maskArr(), (QVector<quint64>{31, 12, 0}));
}

TEST(DspConfigParseTest, MatrixGainsTravelAboveFirmware310OrInFiles)
{
    const QJsonArray nodes{channelNode(2), matrixNode(2, 2), channelNode(2)};
    CDeviceDspData data;
    setInfo(data, 2, 2);

    data.parse(reply(config(nodes)), "3.1.0");
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_DOUBLE_EQ(data.matrix()->gainDb(1, 1), 0); // code 2 ignored
    EXPECT_TRUE(data.matrix()->isOn(1, 1));
    EXPECT_FALSE(matrixPort(data, "3.1.0", false).contains("gainArr"));

    data.parse(reply(config(nodes)), "3.1.0", true);
    EXPECT_DOUBLE_EQ(data.matrix()->gainDb(1, 1), 0.5);
    EXPECT_TRUE(matrixPort(data, "3.1.0", true).contains("gainArr"));

    data.parse(reply(config(nodes)), "3.1.1");
    EXPECT_DOUBLE_EQ(data.matrix()->gainDb(0, 1), 0.25);
    EXPECT_EQ(matrixPort(data, "3.1.1", false).value("gainArr").toArray().at(1).toString(), "1");
    // Text comparison, as the devices' versions have always been compared.
    EXPECT_TRUE(CDeviceDspData::carriesMatrixGains("3.10", false));
    EXPECT_FALSE(CDeviceDspData::carriesMatrixGains("", false));
}

TEST(DspConfigParseTest, MuteListOfTheWrongLengthStopsParsing)
{
    QJsonObject matrix = matrixNode(2, 3); // the matrix has 2 rows
    QJsonArray groups{QJsonObject{{"gainDb", "0"}, {"mute", "0"}, {"name", "G"}}};
    QJsonObject inputs = channelNode(2, {}, 0);
    CDeviceDspData data;
    setInfo(data, 2, 2);
    data.parse(reply(config({inputs, matrix, channelNode(2), automixerNode({})}, groups)), "3.2.0");
    EXPECT_EQ(data.inputs().size(), 2);    // read before the matrix
    EXPECT_TRUE(data.outputs().isEmpty()); // nothing after it
    EXPECT_TRUE(data.automixerChannels().isEmpty());
    ASSERT_EQ(data.groupMembers().size(), 1);
    EXPECT_TRUE(data.groupMembers().at(0).isEmpty()); // the member step is skipped too
}

TEST(DspConfigParseTest, MatrixBeforeItsSideChannelsHasNoRowsForThem)
{
    CDeviceDspData data;
    setInfo(data, 4, 2);
    data.parse(reply(config({channelNode(4), matrixNode(2, 4), aecNode(4), automixerNode({}), channelNode(2)})),
               "3.2.0");
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_EQ(data.matrix()->rows(), 4);
    EXPECT_EQ(data.aecChannels().size(), 1);
    EXPECT_EQ(data.automixerChannels().size(), 1);
    EXPECT_EQ(data.outputs().size(), 2);

    data.parse(reply(config({channelNode(4), aecNode(4), automixerNode({}), matrixNode(2, 6), channelNode(2)})),
               "3.2.0");
    EXPECT_EQ(data.matrix()->rows(), 6);
    EXPECT_EQ(data.outputs().size(), 2);
}

TEST(DspConfigParseTest, UnknownNodesAndBlocksAreSkipped)
{
    const QJsonArray chain{block(0, QJsonObject{}), block(12, QJsonObject{}), block(-1, QJsonObject{}),
                           QJsonObject{{"bypass", "1"}}, block(1, QJsonObject{{"delayNum", "9"}})};
    CDeviceDspData data;
    setInfo(data, 1, 1);
    data.parse(reply(config({QJsonObject{{"type", "7"}}, channelNode(1, {chain}), QJsonObject{{"type", "x"}},
                             matrixNode(1, 1), channelNode(1)})),
               "3.2.0");
    ASSERT_EQ(data.inputs().size(), 1);
    ASSERT_EQ(data.inputs().at(0)->blocks().size(), 2);
    EXPECT_EQ(data.inputs().at(0)->block(0)->kind(), CBaseItem::KindEq);
    EXPECT_EQ(data.inputs().at(0)->block(1)->kind(), CBaseItem::KindDelay);
    EXPECT_EQ(data.outputs().size(), 1);
}

TEST(DspConfigParseTest, AcceptsStoredFormsAndEmptiesOnUnreadableText)
{
    CDeviceDspData data;
    setInfo(data, 2, 2);
    const QJsonObject cfg = config({channelNode(2), matrixNode(2, 2), channelNode(2)});
    data.parse(QString::fromUtf8(QJsonDocument(cfg).toJson()), "3.2.0", true); // a bare configuration
    EXPECT_EQ(data.inputs().size(), 2);
    data.parse("{\"name\":\"prog\",\"config\":" + QString::fromUtf8(QJsonDocument(cfg).toJson()) + "}", "3.2.0");
    EXPECT_EQ(data.outputs().size(), 2);

    data.parse("not json at all", "3.2.0");
    EXPECT_TRUE(data.inputs().isEmpty());
    EXPECT_TRUE(data.outputs().isEmpty());
    EXPECT_EQ(data.matrix(), nullptr);
    EXPECT_TRUE(data.groups().isEmpty());
}

TEST(DspConfigParseTest, DefaultConfigurationParsesIntoAnEmptyMixer)
{
    const QString text = DspDefaultConfig::reply(8, 4, 96000);
    CDeviceDspData data;
    setInfo(data, 8, 4);
    data.parse(text, "3.2.0");
    EXPECT_EQ(data.version(), 4);
    EXPECT_EQ(data.sampleRate(), 96000);
    ASSERT_EQ(data.groups().size(), 16);
    EXPECT_EQ(data.groups().at(0).name, "Group1");
    EXPECT_EQ(data.groups().at(15).name, "Group16");
    ASSERT_EQ(data.inputs().size(), 8);
    ASSERT_EQ(data.outputs().size(), 4);
    EXPECT_EQ(data.inputs().at(7)->groupId(), -1);
    EXPECT_EQ(data.inputs().at(7)->core(), -1);
    EXPECT_TRUE(data.inputs().at(7)->blocks().isEmpty());
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_EQ(data.matrix()->rows(), 8);
    EXPECT_EQ(data.matrix()->columns(), 4);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 8; ++r)
            EXPECT_FALSE(data.matrix()->isOn(c, r));
}

TEST(DspConfigParseTest, ModelWithoutDspInformationTakesItsShapeFromTheConfiguration)
{
    CDeviceDspData data; // offline: no version reply
    data.parse(reply(config({channelNode(3), matrixNode(2, 3), channelNode(2)})), "", true);
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_EQ(data.matrix()->rows(), 3);
    EXPECT_EQ(data.matrix()->columns(), 2);
    EXPECT_EQ(data.outputs().size(), 2);
    const QJsonArray nodes = data.writeConfig("", true).value("nodeArr").toArray();
    EXPECT_EQ(nodes.at(0).toObject().value("portNum").toString(), "3");
    EXPECT_EQ(nodes.at(2).toObject().value("portNum").toString(), "2");
}

TEST(DspConfigParseTest, WriterKeepsTheMatrixInTheShapeOfTheConfiguration)
{
    CDeviceDspData data;
    setInfo(data, 2, 2);
    data.parse(reply(config({channelNode(2), matrixNode(2, 2), channelNode(2)})), "3.2.0");
    // A side channel added after parsing: the matrix written must still read back.
    data.aecChannels().append(new DspAecChannel(2));
    CDeviceDspData again;
    setInfo(again, 2, 2);
    again.parse(reply(data.writeConfig("3.2.0")), "3.2.0");
    EXPECT_EQ(again.outputs().size(), 2);
    ASSERT_NE(again.matrix(), nullptr);
    EXPECT_EQ(again.matrix()->rows(), 3);
    EXPECT_TRUE(again.matrix()->isOn(1, 1));
    EXPECT_FALSE(again.matrix()->isOn(1, 2));

    data.fitMatrix();
    EXPECT_EQ(data.matrix()->rows(), 3);
    EXPECT_TRUE(data.matrix()->isOn(0, 0));
    EXPECT_DOUBLE_EQ(data.matrix()->gainDb(1, 1), 0.5);
}
