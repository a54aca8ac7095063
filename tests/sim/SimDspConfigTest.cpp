// The processor configuration a DSP device generates and keeps, and the framing of its TCP service.

#include "SimDspConfig.h"
#include "SimDspFramer.h"
#include "SimTestUtil.h"

#include <QSet>

#include <cmath>

using namespace simtest;

namespace {

SimDeviceConfig dspDevice(const char* model, int phyIn, int netIn, int phyOut, int netOut)
{
    SimDeviceConfig c = bare("10.0.0.1");
    c.model = QLatin1String(model);
    c.phyChNumRx = phyIn;
    c.chNumRx = netIn;
    c.phyChNumTx = phyOut;
    c.chNumTx = netOut;
    return c;
}

QJsonArray nodes(const QJsonObject& config)
{
    return config.value("nodeArr").toArray();
}

QJsonArray chains(const QJsonObject& node)
{
    return node.value("obj").toObject().value("portArr").toArray();
}

/// Every block of the node's chains.
QVector<QJsonObject> blocksOf(const QJsonObject& node)
{
    QVector<QJsonObject> out;
    for (const QJsonValue& port : chains(node))
        for (const QJsonValue& b : port.toObject().value("procArr").toArray())
            out.append(b.toObject());
    return out;
}

/// The gain a matrix cell code stands for, decoded independently of the encoder.
double decodeGain(int code)
{
    if (code >= 1 && code <= 48)
        return code * 0.25;
    if (code >= 49 && code <= 240)
        return -(code - 48) * 0.25;
    return 0;
}

struct Shape
{
    const char* model;
    int phyIn, netIn, phyOut, netOut;
};

class SimDspConfigShapes : public ::testing::TestWithParam<Shape>
{
};

} // namespace

TEST_P(SimDspConfigShapes, ChannelCountsNodeOrderAndMatrixFollowTheDevice)
{
    const Shape s = GetParam();
    const SimDeviceConfig dev = dspDevice(s.model, s.phyIn, s.netIn, s.phyOut, s.netOut);
    const int in = s.phyIn + s.netIn;
    const int out = s.phyOut + s.netOut;
    EXPECT_EQ(SimDspConfig::inputCount(dev), in);
    EXPECT_EQ(SimDspConfig::outputCount(dev), out);
    const QJsonObject config = SimDspConfig::generate(dev);
    expectAllText(config, "config");
    EXPECT_TRUE(SimDspConfig::check(dev, config).isEmpty());

    const QJsonArray n = nodes(config);
    // Inputs, two automixers, one AEC, then the matrix (it takes its rows from the nodes before it), outputs.
    QStringList types;
    for (const QJsonValue& node : n)
        types.append(node.toObject().value("type").toString());
    EXPECT_EQ(types, (QStringList{"0", "3", "3", "2", "1", "0"}));

    const QJsonObject inputs = n[0].toObject();
    const QJsonObject outputs = n[5].toObject();
    EXPECT_EQ(num(inputs.value("portNum")), in);
    EXPECT_EQ(inputs.value("commArr").toArray().size(), in);
    EXPECT_EQ(chains(inputs).size(), in);
    EXPECT_EQ(num(outputs.value("portNum")), out);
    EXPECT_EQ(outputs.value("commArr").toArray().size(), out);
    EXPECT_EQ(chains(outputs).size(), out);

    const QJsonObject aec = n[3].toObject().value("obj").toObject();
    EXPECT_EQ(aec.value("nearArr").toArray().size(), in);
    EXPECT_EQ(aec.value("farArr").toArray().size(), in);

    const QJsonObject matrix = n[4].toObject();
    EXPECT_EQ(num(matrix.value("portNum")), out);
    const QJsonArray columns = chains(matrix);
    ASSERT_EQ(columns.size(), out);
    const int rows = in + 1 + 2;
    for (int col = 0; col < out; ++col) {
        const QJsonObject c = columns[col].toObject();
        ASSERT_EQ(c.value("muteArr").toArray().size(), rows) << "column " << col;
        ASSERT_EQ(c.value("gainArr").toArray().size(), rows) << "column " << col;
        for (int row = 0; row < rows; ++row) {
            const int code = num(c.value("gainArr").toArray()[row]);
            EXPECT_TRUE(code >= 0 && code <= 240);
            const bool on = c.value("muteArr").toArray()[row].toString() == "0";
            // Inputs pass straight through; the AEC row reaches output 0 at -6 dB.
            if (row == col && row < in) {
                EXPECT_TRUE(on) << col;
            }
            if (row == in && col == 0) {
                EXPECT_TRUE(on);
                EXPECT_DOUBLE_EQ(decodeGain(code), -6.0);
            }
        }
    }

    const QJsonArray groups = config.value("groupArr").toArray();
    EXPECT_EQ(groups.size(), 16);
    int named = 0;
    for (const QJsonValue& g : groups)
        named += g.toObject().value("name").toString().isEmpty() ? 0 : 1;
    EXPECT_GE(named, 2);
    EXPECT_LT(named, 16);
}

TEST_P(SimDspConfigShapes, EveryKindOfBlockIsPresentWithItsParameters)
{
    const Shape s = GetParam();
    const QJsonObject config = SimDspConfig::generate(dspDevice(s.model, s.phyIn, s.netIn, s.phyOut, s.netOut));
    const QVector<QJsonObject> blocks = blocksOf(nodes(config)[0].toObject());
    if (s.phyIn + s.netIn == 0) {
        EXPECT_TRUE(blocks.isEmpty());
        return;
    }
    // Members each kind must carry, by JSON type.
    const QHash<int, QStringList> required{
        {0, {"eqArr", "bypassArr"}},
        {1, {"delayNum", "maxNum"}},
        {2, {"trigDb", "ratio", "attackMs", "releaseMs", "kneeDb"}},
        {3, {"freqShift"}},
        {4, {"isHpf", "order", "type", "freq0"}},
        {5, {"firType", "winType", "attDb", "taps", "maxTaps", "freq0", "freq1", "arr"}},
        {6, {"limitDb"}},
        {7, {"trigDb", "openMs", "closeMs"}},
        {8, {"trigDb", "ratio", "attackMs", "releaseMs", "kneeDb"}},
        {9, {"mode", "gainDb", "freq"}},
        {10, {"hasAec", "aecLevel", "hasAgc", "hasAns", "ansLevel", "banMask", "farCh", "farFromOut"}},
        {11, {"trigDb", "duckDb", "attackMs", "releaseMs", "holdMs", "refCh"}}};
    QSet<int> kinds;
    QSet<QString> firTypes;
    QSet<QString> filters;
    int aecBlocks = 0;
    qint64 delayMemory = 0;
    for (const QJsonObject& b : blocks) {
        const int type = num(b.value("type"));
        kinds.insert(type);
        for (const char* key : {"bypass", "core", "groupId", "obj"})
            EXPECT_TRUE(b.contains(key)) << key;
        const QJsonObject obj = b.value("obj").toObject();
        for (const QString& key : required.value(type))
            EXPECT_TRUE(obj.contains(key)) << "type " << type << " lacks " << key.toStdString();
        if (type == 5)
            firTypes.insert(obj.value("firType").toString());
        if (type == 4)
            filters.insert(obj.value("isHpf").toString());
        if (type == 10)
            ++aecBlocks;
        if (type == 1)
            delayMemory += num(obj.value("maxNum"));
        if (type == 0) {
            const int bands = obj.value("eqArr").toArray().size();
            EXPECT_GT(bands, 0);
            EXPECT_EQ(obj.value("bypassArr").toArray().size(), bands);
        }
    }
    EXPECT_EQ(kinds.size(), 12);
    EXPECT_EQ(firTypes, (QSet<QString>{"0", "1", "2"}));
    EXPECT_EQ(filters, (QSet<QString>{"0", "1"})) << "both a high-pass and a low-pass";
    EXPECT_EQ(aecBlocks, 1);
    EXPECT_LE(delayMemory, 480000);
}

INSTANTIATE_TEST_SUITE_P(Models, SimDspConfigShapes,
                         ::testing::Values(Shape{"MRD-P64", 0, 64, 0, 64}, Shape{"MRD-M8", 8, 8, 8, 8},
                                           Shape{"MRD-M16", 16, 16, 0, 16}, Shape{"MRD-M8", 2, 0, 2, 0},
                                           Shape{"MRD-M8", 4, 4, 0, 0}, Shape{"MRD-M8", 0, 0, 2, 2}));

TEST(SimDspConfig, GainCodesCoverTheRangeAndRefuseBeyond)
{
    // Every code stands for its own gain (decoded independently of the encoder); beyond the range there is none.
    EXPECT_EQ(SimDspConfig::gainCode(12.25), 0);
    EXPECT_EQ(SimDspConfig::gainCode(-48.25), 0);
    for (int code = 0; code <= 240; ++code)
        EXPECT_EQ(SimDspConfig::gainCode(decodeGain(code)), code);
}

TEST(SimDspConfig, CheckRefusesWhatTheDeviceCannotServe)
{
    const SimDeviceConfig dev = dspDevice("MRD-M8", 8, 8, 8, 8);
    const QJsonObject good = SimDspConfig::generate(dev);
    EXPECT_TRUE(SimDspConfig::check(dev, good).isEmpty());
    EXPECT_EQ(SimDspConfig::check(dev, QJsonObject()), "invalid config");
    QJsonObject twoNodes = good;
    twoNodes.insert("nodeArr", QJsonArray{nodes(good)[0], nodes(good)[5]});
    EXPECT_EQ(SimDspConfig::check(dev, twoNodes), "invalid config");
    QJsonObject notObjects = good;
    QJsonArray n = nodes(good);
    n[2] = QStringLiteral("node");
    notObjects.insert("nodeArr", n);
    EXPECT_EQ(SimDspConfig::check(dev, notObjects), "invalid config");
    // A configuration for another device (more outputs than this one has) would be served back and refused.
    const QJsonObject other = SimDspConfig::generate(dspDevice("MRD-M8", 8, 8, 8, 9));
    EXPECT_EQ(SimDspConfig::check(dev, other), "channel count mismatch");
}

TEST(SimDspFramer, SplitsJoinsAndRefusesBadLengths)
{
    const QByteArray a = R"({"ops":"getConfig"})";
    const QByteArray b = u8R"({"name":"Bühne"})";
    const QByteArray framed = SimDspFramer::frame(a) + SimDspFramer::frame(b);
    EXPECT_EQ(quint8(framed[0]), a.size());
    EXPECT_EQ(framed.mid(1, 3), QByteArray(3, '\0'));

    // Byte by byte: each message comes out once, after its last byte.
    SimDspFramer f;
    QList<QByteArray> got;
    for (char c : framed) {
        ASSERT_TRUE(f.feed(QByteArray(1, c), &got));
        if (got.size() == 1) {
            EXPECT_EQ(got.first(), a);
        }
    }
    EXPECT_EQ(got, (QList<QByteArray>{a, b}));
    EXPECT_EQ(f.pendingBytes(), 0);

    // Both in one read.
    SimDspFramer g;
    got.clear();
    ASSERT_TRUE(g.feed(framed, &got));
    EXPECT_EQ(got, (QList<QByteArray>{a, b}));

    // A count above the limit (or zero) breaks the stream for good, after the messages before it.
    SimDspFramer small(64);
    got.clear();
    EXPECT_FALSE(small.feed(SimDspFramer::frame(a) + SimDspFramer::frame(QByteArray(65, 'x')), &got));
    EXPECT_EQ(got, QList<QByteArray>{a});
    EXPECT_FALSE(small.feed(SimDspFramer::frame(a), &got));
    SimDspFramer zero;
    EXPECT_FALSE(zero.feed(QByteArray(4, '\0') + a, &got));
    SimDspFramer huge;
    EXPECT_FALSE(huge.feed(QByteArray("\xff\xff\xff\xff", 4), &got));
}
