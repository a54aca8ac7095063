// The processing blocks: defaults, JSON both ways, requests, positions and the status gain.

#include "BlockPosition.h"
#include "BorderProcStatus.h"
#include "CChAecItem.h"
#include "CCompressItem.h"
#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "CDuckerItem.h"
#include "CEqBlockItem.h"
#include "CExpandItem.h"
#include "CFirItem.h"
#include "CHlpfItem.h"
#include "CLimitItem.h"
#include "DspBlockFactory.h"
#include "DspTestConfig.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using std::unique_ptr;

namespace {

unique_ptr<CBaseItem> parsed(int jsonType, const QJsonObject& obj)
{
    return unique_ptr<CBaseItem>(DspBlockFactory::fromJson(dsptest::block(jsonType, obj)));
}

template <class T> T* as(const unique_ptr<CBaseItem>& p)
{
    return dynamic_cast<T*>(p.get());
}

} // namespace

TEST(DspBlocksTest, KindsAndJsonTypesMapBothWays)
{
    const int typeOfKind[] = {7, 0, 4, 1, 3, 2, 6, 5, 9, 8, 10, 11};
    for (int kind = 0; kind < CBaseItem::KindCount; ++kind) {
        unique_ptr<CBaseItem> b(DspBlockFactory::create(kind));
        ASSERT_NE(b, nullptr) << kind;
        EXPECT_EQ(b->kind(), kind);
        EXPECT_EQ(b->jsonType(), typeOfKind[kind]) << kind;
        EXPECT_EQ(CBaseItem::kindOfJsonType(typeOfKind[kind]), kind);
        // The block's own JSON makes a block of the same kind.
        unique_ptr<CBaseItem> back(DspBlockFactory::fromJson(b->toJson(16)));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->kind(), kind);
        EXPECT_FALSE(DspBlockFactory::kindName(kind).isEmpty());
    }
    EXPECT_EQ(DspBlockFactory::create(12), nullptr);
    EXPECT_EQ(DspBlockFactory::create(-1), nullptr);
    EXPECT_EQ(DspBlockFactory::kindName(CBaseItem::KindEq), "EQ");
    EXPECT_EQ(DspBlockFactory::kindName(CBaseItem::KindChAec), "AEC");
    EXPECT_EQ(DspBlockFactory::fromJson(QJsonObject{{"type", "12"}}), nullptr);
}

TEST(DspBlocksTest, DefaultsOfNewBlocks)
{
    const struct
    {
        int kind;
        const char* key;
        const char* value;
    } cases[] = {{CBaseItem::KindDucker, "trigDb", "-60"},  {CBaseItem::KindDucker, "duckDb", "-40"},
                 {CBaseItem::KindDucker, "holdMs", "2000"}, {CBaseItem::KindDucker, "refCh", "-1"},
                 {CBaseItem::KindFir, "attDb", "21"},       {CBaseItem::KindFir, "taps", "127"},
                 {CBaseItem::KindFir, "maxTaps", "512"},    {CBaseItem::KindNoiseGate, "trigDb", "-90"},
                 {CBaseItem::KindDelay, "maxNum", "48000"}};
    for (const auto& c : cases) {
        unique_ptr<CBaseItem> b(DspBlockFactory::create(c.kind));
        EXPECT_EQ(b->paramsJson(8).value(QLatin1String(c.key)).toString(), c.value) << c.kind << " " << c.key;
        EXPECT_FALSE(b->isBypass());
        EXPECT_EQ(b->groupId(), -1);
        EXPECT_EQ(b->core(), -1);
    }
}

TEST(DspBlocksTest, NewEqualiserBandsComeFromTheThirdOctaveTable)
{
    CEqBlockItem eq(10);
    const double expected[] = {31.7, 50.4, 80, 127, 202, 320, 508, 806, 1280, 2000};
    ASSERT_EQ(eq.bandCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_DOUBLE_EQ(eq.bands().at(i).freq0(), expected[i]) << i;
        EXPECT_DOUBLE_EQ(eq.bands().at(i).qBwS(), 1.0);
        EXPECT_DOUBLE_EQ(eq.bands().at(i).dbGain(), 0);
    }
    EXPECT_DOUBLE_EQ(CEqBlockItem(1).bands().at(0).freq0(), 640);     // entry 15
    EXPECT_DOUBLE_EQ(CEqBlockItem(30).bands().at(29).freq0(), 20000); // the last entry
    EXPECT_DOUBLE_EQ(CEqBlockItem(40).bands().at(0).freq0(), 20);
    EXPECT_DOUBLE_EQ(CEqBlockItem(40).bands().at(20).freq0(), 640); // spread, not all at 20 Hz
    EXPECT_DOUBLE_EQ(CEqBlockItem(40).bands().at(39).freq0(), 20000);
    EXPECT_EQ(CEqBlockItem(-3).bandCount(), 0);
    EXPECT_EQ(CEqBlockItem(100000).bandCount(), CEqBlockItem::MaxBandCount);

    // A parsed block without "eqArr" keeps its default bands.
    unique_ptr<CBaseItem> p = parsed(0, QJsonObject{});
    ASSERT_NE(as<CEqBlockItem>(p), nullptr);
    EXPECT_EQ(as<CEqBlockItem>(p)->bandCount(), 10);
    EXPECT_DOUBLE_EQ(as<CEqBlockItem>(p)->bands().at(0).freq0(), 31.7);
}

TEST(DspBlocksTest, TooSmallQIsRefused)
{
    CEqItem band;
    EXPECT_TRUE(band.setQBwS(2.5));
    EXPECT_FALSE(band.setQBwS(0.01));
    EXPECT_DOUBLE_EQ(band.qBwS(), 2.5);
    EXPECT_TRUE(band.setQBwS(0.017));
    EXPECT_FALSE(band.setQBwS(std::nan("")));
    EXPECT_DOUBLE_EQ(band.qBwS(), 0.017);

    // The same rule applies to parsed bands.
    const QJsonObject obj{{"eqArr", QJsonArray{QJsonObject{{"qBwS", "0.001"}, {"freq0", "90"}}}}};
    unique_ptr<CBaseItem> p = parsed(0, obj);
    ASSERT_EQ(as<CEqBlockItem>(p)->bandCount(), 1);
    EXPECT_DOUBLE_EQ(as<CEqBlockItem>(p)->bands().at(0).qBwS(), 1.0);
    EXPECT_DOUBLE_EQ(as<CEqBlockItem>(p)->bands().at(0).freq0(), 90);
}

TEST(DspBlocksTest, KneeIsAlwaysSentAsZero)
{
    unique_ptr<CBaseItem> comp = parsed(2, QJsonObject{{"kneeDb", "6"}, {"ratio", "3"}});
    EXPECT_EQ(as<CCompressItem>(comp)->kneeDb(), 6);
    EXPECT_EQ(comp->paramsJson(4).value("kneeDb").toString(), "0");
    EXPECT_EQ(comp->setBorderProcRequest(BlockPosition::make(true, 0, 0, 0, 0), 4)
                  .value("obj")
                  .toObject()
                  .value("kneeDb")
                  .toString(),
              "0");
    EXPECT_EQ(comp->paramsJson(4).value("ratio").toString(), "3");
    unique_ptr<CBaseItem> exp = parsed(8, QJsonObject{{"kneeDb", "9"}});
    EXPECT_EQ(exp->paramsJson(4).value("kneeDb").toString(), "0");
}

TEST(DspBlocksTest, FirPassBandByType)
{
    // Low-pass: the upper edge travels as "freq0"; high-pass: the upper edge is open; a band-pass of no width (or
    // upside down) is widened by 0.1 Hz when written, while the model keeps its value.
    const struct
    {
        const char *type, *freq0, *freq1;
        double modelFreq0, modelFreq1;
        const char *sentFreq0, *sentFreq1;
    } cases[] = {{"0", "5000", "777", CFirItem::LowPassLowerEdge, 5000, "5000", "20001"},
                 {"1", "120", "300", 120, CFirItem::OpenUpperEdge, "120", "20001"},
                 {"2", "1000", "1000", 1000, 1000, "1000", "1000.1"},
                 {"2", "1000", "999", 1000, 999, "1000", "999.1"},
                 {"2", "1000", "2000", 1000, 2000, "1000", "2000"}};
    for (const auto& c : cases) {
        unique_ptr<CBaseItem> fir = parsed(5, QJsonObject{{"firType", c.type}, {"freq0", c.freq0}, {"freq1", c.freq1}});
        const std::string at = std::string(c.type) + " " + c.freq0 + "-" + c.freq1;
        EXPECT_DOUBLE_EQ(as<CFirItem>(fir)->freq0(), c.modelFreq0) << at;
        EXPECT_DOUBLE_EQ(as<CFirItem>(fir)->freq1(), c.modelFreq1) << at;
        const QJsonObject out = fir->paramsJson(2);
        EXPECT_EQ(out.value("freq0").toString(), c.sentFreq0) << at;
        EXPECT_EQ(out.value("freq1").toString(), c.sentFreq1) << at;
        EXPECT_TRUE(out.value("arr").toArray().isEmpty()) << at;
        if (c.type[0] != '2') { // what was sent reads back the same (a widened band keeps its widening)
            unique_ptr<CBaseItem> again = parsed(5, out);
            EXPECT_DOUBLE_EQ(as<CFirItem>(again)->freq0(), c.modelFreq0) << at;
            EXPECT_DOUBLE_EQ(as<CFirItem>(again)->freq1(), c.modelFreq1) << at;
        }
    }

    // Custom: the taps are the coefficients; the other fields are not read.
    const QJsonObject custom{{"firType", "3"},
                             {"taps", "999"},
                             {"winType", "4"},
                             {"maxTaps", "256"},
                             {"arr", QJsonArray{0.5, "-0.25", 1e-7}}};
    unique_ptr<CBaseItem> c = parsed(5, custom);
    EXPECT_EQ(as<CFirItem>(c)->taps(), 3);
    EXPECT_EQ(as<CFirItem>(c)->winType(), 0);
    EXPECT_EQ(as<CFirItem>(c)->maxTaps(), 256);
    const QJsonObject out = c->paramsJson(2);
    EXPECT_EQ(out.value("taps").toString(), "3");
    EXPECT_EQ(out.value("arr").toArray(), custom.value("arr").toArray());
    EXPECT_DOUBLE_EQ(c->cpuCost(), 8.0);

    EXPECT_FALSE(as<CFirItem>(c)->setArr("{}"));
    EXPECT_EQ(as<CFirItem>(c)->taps(), 3);
    EXPECT_TRUE(as<CFirItem>(c)->setArr("[1, 2]"));
    EXPECT_EQ(as<CFirItem>(c)->arr(), "[1,2]");
    EXPECT_EQ(as<CFirItem>(c)->taps(), 2);
}

TEST(DspBlocksTest, ChannelAecFarReferenceAndMask)
{
    unique_ptr<CBaseItem> aec = parsed(
        10, QJsonObject{
                {"hasAec", "1"}, {"hasAgc", "0"}, {"hasAns", "1"}, {"banMask", "0x8000000000000001"}, {"farCh", "8"}});
    EXPECT_TRUE(as<CChAecItem>(aec)->hasAec());
    EXPECT_FALSE(as<CChAecItem>(aec)->hasAgc());
    EXPECT_TRUE(as<CChAecItem>(aec)->hasAns());
    EXPECT_EQ(quint64(as<CChAecItem>(aec)->banMask()), 0x8000000000000001ull);
    EXPECT_EQ(aec->paramsJson(8).value("farFromOut").toString(), "1");
    EXPECT_EQ(aec->paramsJson(9).value("farFromOut").toString(), "0");
    // Written in decimal, read back the same.
    unique_ptr<CBaseItem> back = parsed(10, aec->paramsJson(8));
    EXPECT_EQ(as<CChAecItem>(back)->banMask(), as<CChAecItem>(aec)->banMask());
}

TEST(DspBlocksTest, DuckerLevelsAreSinglePrecision)
{
    unique_ptr<CBaseItem> d = parsed(11, QJsonObject{{"trigDb", "-33.3"}, {"duckDb", "1e60"}});
    EXPECT_EQ(as<CDuckerItem>(d)->trigDb(), -33.3f);
    EXPECT_EQ(as<CDuckerItem>(d)->duckDb(), -40.0f); // beyond a float: refused, default kept
    EXPECT_EQ(d->paramsJson(1).value("trigDb").toString(), "-33.3");
}

TEST(DspBlocksTest, CloneAndCopyParameters)
{
    unique_ptr<CBaseItem> src = parsed(6, QJsonObject{{"limitDb", "-7.5"}});
    src->setBypass(true);
    src->setGroupId(3);
    src->setCore(1);
    unique_ptr<CBaseItem> copy(src->clone());
    EXPECT_TRUE(copy->isBypass());
    EXPECT_EQ(copy->groupId(), -1);
    EXPECT_EQ(copy->core(), -1);
    EXPECT_DOUBLE_EQ(as<CLimitItem>(copy)->limitDb(), -7.5);

    CLimitItem target;
    target.setGroupId(5);
    EXPECT_TRUE(target.copyParamsFrom(*src));
    EXPECT_DOUBLE_EQ(target.limitDb(), -7.5);
    EXPECT_TRUE(target.isBypass());
    EXPECT_EQ(target.groupId(), 5); // the link belongs to the target's place

    CDelayItem other;
    EXPECT_FALSE(other.copyParamsFrom(*src));
    EXPECT_FALSE(other.isBypass());
    CEqBlockItem eq3(3);
    CEqBlockItem eq10(10);
    eq10.bands()[0].setDbGain(4);
    EXPECT_FALSE(eq3.copyParamsFrom(eq10)); // band counts differ
    CEqBlockItem eq10b(10);
    EXPECT_TRUE(eq10b.copyParamsFrom(eq10));
    EXPECT_DOUBLE_EQ(eq10b.bands().at(0).dbGain(), 4);

    EXPECT_TRUE(src->describe().startsWith("Limit => isBypass=1, groupId=3, core=1, limitDb=-7.5"))
        << src->describe().toStdString();
}

TEST(DspBlocksTest, RequestsAddressTheBlockPosition)
{
    CDeviceDspData data;
    data.parse(dsptest::reply(dsptest::config({dsptest::channelNode(2), dsptest::automixerNode({}), dsptest::aecNode(2),
                                               dsptest::aecNode(2), dsptest::channelNode(4)})),
               "3.2.0");
    ASSERT_EQ(data.aecChannelCount(), 2);
    const BlockPosition pos = BlockPosition::of(data, false, 3, 1);
    EXPECT_EQ(pos.nodeId, 5);
    EXPECT_EQ(pos.portIndex, 3);
    EXPECT_EQ(pos.procIndex, 1);
    EXPECT_EQ(pos.blockFlag, "bf_out_ch_3_1");
    EXPECT_EQ(BlockPosition::of(data, true, 0, 2).blockFlag, "bf_in_ch_0_2");
    EXPECT_EQ(BlockPosition::of(data, true, 0, 2).nodeId, 0);

    CHlpfItem hpf;
    hpf.setIsHpf(true);
    hpf.setFreq0(20);
    const auto text = [](const QJsonObject& o) {
        return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
    };
    EXPECT_EQ(text(hpf.setBorderProcRequest(pos, 2)),
              R"({"blockFlag":"bf_out_ch_3_1","nodeId":"5","obj":{"freq0":"20","isHpf":"1","order":"1","type":"0"},)"
              R"("ops":"setBorderProc","portIndex":"3","procIndex":"1","uiTag":"dspUiTag"})");
    EXPECT_EQ(text(hpf.setBorderProcBypassRequest(pos, true)),
              R"({"blockFlag":"bf_out_ch_3_1","nodeId":"5","ops":"setBorderProcBypass","portIndex":"3",)"
              R"("procIndex":"1","uiTag":"dspUiTag","val":"1"})");
    EXPECT_EQ(hpf.setBorderProcBypassRequest(pos, false).value("val").toString(), "0");
    EXPECT_EQ(hpf.toJson(2).keys(), QStringList({"bypass", "core", "groupId", "obj", "type"}));
}

TEST(DspBlocksTest, StatusGainRoundsToHalfDecibels)
{
    // x = 20 log10(gain) rounded to half decibels towards the lower step where x - g is at least 0.5.
    const double cases[][2] = {{1.0, 0},
                               {0.5, -6.0},
                               {0.3, -10.5},
                               {0.1, -20},
                               {0.89, -1.0},
                               {0.91, -1.0},
                               {2.0, 6},
                               {0, BorderProcStatus::MinDb},
                               {-1, BorderProcStatus::MinDb}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(BorderProcStatus::roundedDb(c[0]), c[1]) << c[0];
    EXPECT_EQ(BorderProcStatus::meterDb(0.3), -10);
}
