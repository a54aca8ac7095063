// A factory configuration built from counts, rate and commands: the configuration the device receives (blocks,
// crosspoints, share flags, cores, channel settings), what is refused before anything is built, and the request
// and export texts.

#include "DspFactoryConfig.h"

#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspCommandParser.h"
#include "MatrixGainCode.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <climits>

#include <gtest/gtest.h>

namespace {

DspFactoryConfig::Result built(const QString& commands, int inputs = 4, int outputs = 3, int rate = 48000)
{
    return DspFactoryConfig::build({inputs, outputs, rate, commands}, false);
}

QJsonArray nodes(const QJsonObject& config)
{
    return config.value("nodeArr").toArray();
}

/// The JSON types of the blocks of channel `ch` of the first (inputs) or last (outputs) node.
QStringList chainTypes(const QJsonObject& config, bool input, int ch)
{
    const QJsonArray n = nodes(config);
    const QJsonObject node = (input ? n.first() : n.last()).toObject();
    QStringList types;
    for (const QJsonValue& b : node["obj"].toObject()["portArr"].toArray()[ch].toObject()["procArr"].toArray())
        types.append(b.toObject()["type"].toString());
    return types;
}

QJsonObject matrixNode(const QJsonObject& config)
{
    for (const QJsonValue& n : nodes(config))
        if (n.toObject()["type"].toString() == "1")
            return n.toObject();
    return {};
}

TEST(DspFactoryConfig, WithoutCommandsItIsTheDefaultLayout)
{
    const DspFactoryConfig::Result r = built(QString(), 4, 3, 96000);
    ASSERT_TRUE(r.ok()) << r.failureText(false).toStdString();
    const QJsonObject config = DspFactoryConfig::config(*r.data);
    EXPECT_EQ(config["version"].toString(), "4");
    EXPECT_EQ(config["sampleRate"].toString(), "96000");
    EXPECT_EQ(config["groupArr"].toArray().size(), 16);
    const QJsonArray n = nodes(config);
    ASSERT_EQ(n.size(), 3) << "inputs, matrix, outputs";
    EXPECT_EQ(n[0].toObject()["portNum"].toString(), "4");
    EXPECT_EQ(n[1].toObject()["type"].toString(), "1");
    EXPECT_EQ(n[2].toObject()["portNum"].toString(), "3");
    const QJsonArray columns = matrixNode(config)["obj"].toObject()["portArr"].toArray();
    ASSERT_EQ(columns.size(), 3);
    for (const QJsonValue& col : columns) {
        EXPECT_EQ(col.toObject()["mode"].toString(), "0");
        EXPECT_EQ(col.toObject()["muteArr"].toArray(), QJsonArray({"1", "1", "1", "1"})) << "every cell off";
        EXPECT_EQ(col.toObject()["gainArr"].toArray().size(), 4);
    }
    for (int ch = 0; ch < 4; ++ch)
        EXPECT_TRUE(chainTypes(config, true, ch).isEmpty());
}

TEST(DspFactoryConfig, ChannelSettingsApplyInOrderAndStarKeeps)
{
    const DspFactoryConfig::Result r = built(QStringLiteral("comm#in#1-2#(-6,1,0,3)\n"
                                                            "comm#in#2#(*,0,1,*)\n"
                                                            "comm#out#*#(2.5,*,*,-1)"));
    ASSERT_TRUE(r.ok()) << r.failureText(false).toStdString();
    const QJsonArray comm = nodes(DspFactoryConfig::config(*r.data))[0].toObject()["commArr"].toArray();
    EXPECT_EQ(comm[0].toObject(), QJsonObject({{"gainDb", "-6"}, {"mute", "1"}, {"inverse", "0"}, {"groupId", "3"}}));
    EXPECT_EQ(comm[1].toObject(), QJsonObject({{"gainDb", "-6"}, {"mute", "0"}, {"inverse", "1"}, {"groupId", "3"}}));
    EXPECT_EQ(comm[2].toObject(), QJsonObject({{"gainDb", "0"}, {"mute", "0"}, {"inverse", "0"}, {"groupId", "-1"}}));
    const QJsonArray outs = nodes(DspFactoryConfig::config(*r.data)).last().toObject()["commArr"].toArray();
    for (const QJsonValue& o : outs)
        EXPECT_EQ(o.toObject()["gainDb"].toString(), "2.5");
    EXPECT_EQ(r.data->groupMembers().value(3), (QVector<int>{0, 1})) << "members follow the group ids";
}

TEST(DspFactoryConfig, ProcAppendsBlocksWithTheirDefaults)
{
    const DspFactoryConfig::Result r = built(QStringLiteral("proc#in#1,3#eq(8),hpf,lpf,compress\n"
                                                            "proc#in#1#delay\n"
                                                            "proc#out#2#limit,fir"));
    ASSERT_TRUE(r.ok()) << r.failureText(false).toStdString();
    const CDeviceDspData& d = *r.data;
    ASSERT_EQ(d.inputs()[0]->blocks().size(), 5);
    const auto* eq = dynamic_cast<const CEqBlockItem*>(d.inputs()[0]->blocks()[0]);
    ASSERT_NE(eq, nullptr);
    EXPECT_EQ(eq->bandCount(), 8);
    EXPECT_TRUE(dynamic_cast<const CHlpfItem*>(d.inputs()[0]->blocks()[1])->isHpf());
    EXPECT_FALSE(dynamic_cast<const CHlpfItem*>(d.inputs()[0]->blocks()[2])->isHpf());
    EXPECT_EQ(d.inputs()[0]->blocks()[3]->kind(), CBaseItem::KindCompress);
    EXPECT_EQ(d.inputs()[0]->blocks()[4]->kind(), CBaseItem::KindDelay);
    EXPECT_EQ(d.inputs()[2]->blocks().size(), 4);
    EXPECT_TRUE(d.inputs()[1]->blocks().isEmpty());
    EXPECT_EQ(d.outputs()[1]->blocks().size(), 2);

    // In the configuration as the device reads it, the JSON types of each chain in order.
    const QJsonObject config = DspFactoryConfig::config(d);
    QStringList expected;
    for (const CBaseItem* b : d.inputs()[0]->blocks())
        expected.append(QString::number(b->jsonType()));
    EXPECT_EQ(chainTypes(config, true, 0), expected);
    EXPECT_EQ(chainTypes(config, false, 1).size(), 2);
}

TEST(DspFactoryConfig, MatrixSetsCrosspointsWithGainsAndShareFlags)
{
    const DspFactoryConfig::Result r = built(QStringLiteral("matrix#1-2#1#-6\n"
                                                            "matrix#[3;4]#[2;3]\n"
                                                            "matrix#4#3#12\n"
                                                            "matrix#4#2#-0.3\n"
                                                            "gainShared#1,3\n"
                                                            "gainShared#3#0"));
    ASSERT_TRUE(r.ok()) << r.failureText(false).toStdString();
    const QJsonArray columns = matrixNode(DspFactoryConfig::config(*r.data))["obj"].toObject()["portArr"].toArray();
    ASSERT_EQ(columns.size(), 3);
    const QString minus6 = QString::number(MatrixGainCode::encode(-6));
    struct Column
    {
        const char* mode;
        QJsonArray mutes;
        QJsonArray gains;
    };
    const Column expected[] = {
        {"1", {"0", "0", "1", "1"}, {minus6, minus6, "0", "0"}},
        {"0", {"1", "1", "0", "0"}, {"0", "0", "0", "49"}}, // -0.3 dB kept as the nearest quarter, -0.25 dB
        {"0", {"1", "1", "1", "0"}, {"0", "0", "0", "48"}}, // the later command's +12 dB replaced 0 dB
    };
    for (int c = 0; c < 3; ++c) {
        const QJsonObject col = columns[c].toObject();
        EXPECT_EQ(col["mode"].toString(), expected[c].mode) << c;
        EXPECT_EQ(col["muteArr"].toArray(), expected[c].mutes) << c;
        EXPECT_EQ(col["gainArr"].toArray(), expected[c].gains) << c;
    }
}

TEST(DspFactoryConfig, CoresGoToChannelsAndTheirBlocks)
{
    const DspFactoryConfig::Result r = built(QStringLiteral("proc#in#*#eq\n"
                                                            "core#in#1-2#1\n"
                                                            "core#in#3-4#0\n"
                                                            "proc#out#1#limit\n"
                                                            "core#out#1#1"));
    ASSERT_TRUE(r.ok()) << r.failureText(false).toStdString();
    const QJsonArray n = nodes(DspFactoryConfig::config(*r.data));
    const QJsonArray inPorts = n.first().toObject()["obj"].toObject()["portArr"].toArray();
    const char* cores[] = {"1", "1", "0", "0"};
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(inPorts[ch].toObject()["core"].toString(), cores[ch]) << ch;
        EXPECT_EQ(inPorts[ch].toObject()["procArr"].toArray()[0].toObject()["core"].toString(), cores[ch]) << ch;
    }
    const QJsonArray outPorts = n.last().toObject()["obj"].toObject()["portArr"].toArray();
    EXPECT_EQ(outPorts[0].toObject()["core"].toString(), "1");
    EXPECT_EQ(outPorts[1].toObject()["core"].toString(), "-1");
}

struct BlockRefusal
{
    const char* name;
    const char* commands;
    int line;
    int column;
    const char* why;
};

class DspFactoryBlockRefusalTest : public ::testing::TestWithParam<BlockRefusal>
{
};

// Refusals found while the blocks are added point at the block that could not be added.
TEST_P(DspFactoryBlockRefusalTest, RefusedAtTheBlock)
{
    const BlockRefusal c = GetParam();
    const DspFactoryConfig::Result r = built(QString::fromUtf8(c.commands));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.data, nullptr) << "nothing built";
    EXPECT_EQ(r.error.line, c.line);
    EXPECT_EQ(r.error.column, c.column);
    EXPECT_TRUE(r.error.expectedEn.contains(QString::fromUtf8(c.why))) << r.error.expectedEn.toStdString();
}

const BlockRefusal kBlockRefusals[] = {
    {"SecondEq", "proc#in#1#eq,delay,eq", 1, 20, "input channel 1"},
    {"SecondEqByALaterCommand", "proc#in#*#eq\nproc#in#3#eq", 2, 11, "input channel 3"},
    {"SecondHpf", "proc#out#2#hpf,lpf,hpf", 1, 20, "output channel 2"},
    {"SecondDucker", "proc#in#1#ducker,ducker", 1, 18, "input channel 1"},
    {"ChainFull",
     "proc#in#1#delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,"
     "delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,"
     "delay,delay\n"
     "proc#in#1#delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,"
     "delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,delay,"
     "delay,delay,delay",
     2, 11 + 6 * 32, "at most 64 blocks a channel"},
};

INSTANTIATE_TEST_SUITE_P(Blocks, DspFactoryBlockRefusalTest, ::testing::ValuesIn(kBlockRefusals),
                         [](const ::testing::TestParamInfo<BlockRefusal>& info) { return info.param.name; });

TEST(DspFactoryConfig, CountsAndRateAreCheckedFirst)
{
    struct Case
    {
        int inputs, outputs, rate;
        bool ok;
    };
    const Case cases[] = {
        {1, 1, 48000, true},    {512, 512, 192000, true}, {0, 4, 48000, false},       {4, 0, 48000, false},
        {513, 4, 48000, false}, {4, 513, 48000, false},   {-1, 4, 48000, false},      {4, 4, 47999, false},
        {4, 4, 0, false},       {4, 4, 44100, true},      {INT_MAX, 4, 48000, false},
    };
    for (const Case& c : cases) {
        const DspFactoryConfig::Result r = built(QString(), c.inputs, c.outputs, c.rate);
        EXPECT_EQ(r.ok(), c.ok) << c.inputs << "x" << c.outputs << "@" << c.rate;
        if (!c.ok) {
            EXPECT_FALSE(r.problem.isEmpty());
            EXPECT_EQ(r.data, nullptr);
        }
    }
    // A command for a channel the counts do not have is a parse fault, not a crash.
    EXPECT_EQ(built(QStringLiteral("core#in#5#0"), 4, 4).error.column, 9);
}

TEST(DspFactoryConfig, RequestAndExportCarryTheSameConfiguration)
{
    const DspFactoryConfig::Result r = built(QStringLiteral("proc#in#1#eq\nmatrix#1#1"), 4, 3, 44100);
    ASSERT_TRUE(r.ok());
    const QJsonObject config = DspFactoryConfig::config(*r.data);

    const QByteArray request = DspFactoryConfig::requestText(*r.data);
    const QJsonObject req = QJsonDocument::fromJson(request).object();
    EXPECT_EQ(req["ops"].toString(), "setFactoryConfig");
    EXPECT_EQ(req["uiTag"].toString(), "dspUiTag");
    EXPECT_EQ(req["sampleRate"].toString(), "44100");
    EXPECT_EQ(req["config"].toObject(), config);
    EXPECT_EQ(request, QJsonDocument(req).toJson(QJsonDocument::Compact)) << "compact, keys in order";

    const QByteArray exported = DspFactoryConfig::exportText(*r.data);
    const QJsonObject file = QJsonDocument::fromJson(exported).object();
    EXPECT_EQ(file.keys(), (QStringList{"config", "name"}));
    EXPECT_EQ(file["name"].toString(), "userGenerate");
    EXPECT_EQ(file["config"].toObject(), config);
    EXPECT_FALSE(exported.contains('\n'));

    // What the device gets back reads into the same model.
    CDeviceDspData back;
    back.parseConfig(config, QString(), true);
    EXPECT_EQ(back.inputs().size(), 4);
    EXPECT_EQ(back.inputs()[0]->blocks().size(), 1);
    ASSERT_NE(back.matrix(), nullptr);
    EXPECT_TRUE(back.matrix()->isOn(0, 0));
    EXPECT_FALSE(back.matrix()->isOn(0, 1));
}

TEST(DspFactoryConfig, PreviewListsEveryChannelAndWhatReachesEachOutput)
{
    const DspFactoryConfig::Result r = built(QStringLiteral("comm#in#2#(-3,1,0,0)\n"
                                                            "proc#in#2#hpf,eq(4)\n"
                                                            "core#in#2#0\n"
                                                            "matrix#1-3#1\n"
                                                            "matrix#4#1#-6\n"
                                                            "gainShared#1"),
                                             4, 2);
    ASSERT_TRUE(r.ok());
    const QStringList in = DspFactoryConfig::inputPreview(*r.data, false);
    ASSERT_EQ(in.size(), 4);
    EXPECT_EQ(in[0], QStringLiteral("in 1: 0 dB"));
    EXPECT_EQ(in[1], QStringLiteral("in 2: -3 dB, mute, group 1, core 0 | HPF > EQ(4)"));
    const QStringList out = DspFactoryConfig::outputPreview(*r.data, false);
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0], QStringLiteral("out 1 <- in 4 (-6 dB); in 1-3 (0 dB) [gain shared] | 0 dB"));
    EXPECT_EQ(out[1], QStringLiteral("out 2 <- none | 0 dB"));
    EXPECT_TRUE(DspFactoryConfig::inputPreview(*r.data, true)[1].startsWith(QStringLiteral("输入 2: -3 dB, 静音")));
}

} // namespace
