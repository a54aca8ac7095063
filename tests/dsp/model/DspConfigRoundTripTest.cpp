// Writing a parsed configuration and parsing the result gives the same model.

#include "CChAecItem.h"
#include "CCompressItem.h"
#include "CDeviceDspData.h"
#include "CDuckerItem.h"
#include "CEqBlockItem.h"
#include "CFirItem.h"
#include "CHlpfItem.h"
#include "DspTestConfig.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kFirmware = QStringLiteral("3.2.0");

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString wrap(const QJsonObject& config)
{
    return dsptest::reply(config);
}

QList<int> kindsOf(const CChainChannel& ch)
{
    QList<int> kinds;
    for (const CBaseItem* b : ch.blocks())
        kinds << b->kind();
    return kinds;
}

class DspConfigRoundTripTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dsptest::setInfo(first, 16, 16);
        dsptest::setInfo(second, 16, 16);
        first.parse(wrap(dsptest::realisticConfig()), kFirmware);
    }
    CDeviceDspData first;
    CDeviceDspData second;
};

} // namespace

TEST_F(DspConfigRoundTripTest, WriterGivesBackTheDeviceFormSaveItsNormalisations)
{
    // Every other value, its node order, port counts and its text form (never a JSON number) come back as sent.
    EXPECT_EQ(dsptest::differences(dsptest::realisticConfig(), first.writeConfig(kFirmware)),
              QStringList({R"(/groupArr/2/name "" -> "Group3")",
                           R"(/nodeArr/0/obj/portArr/0/procArr/2/obj/kneeDb "6" -> "0")",
                           R"(/nodeArr/0/obj/portArr/1/procArr/1/obj/kneeDb "3" -> "0")",
                           R"(/nodeArr/0/obj/portArr/2/procArr/0/obj/banMask "0x0f" -> "15")",
                           R"(/nodeArr/1/obj/maskArr/1 "0x10" -> "16")",
                           R"(/nodeArr/2/obj/maskArr/0 "0xFFFFFFFFFFFFFFFF" -> "18446744073709551615")",
                           R"(/nodeArr/5/obj/portArr/3/procArr/1/obj/taps "99" -> "3")"}));
    const QJsonObject written = first.writeConfig(kFirmware);
    second.parse(wrap(written), kFirmware);
    EXPECT_EQ(compact(second.writeConfig(kFirmware)), compact(written));
    ASSERT_NE(second.matrix(), nullptr);
    EXPECT_TRUE(*second.matrix() == *first.matrix());
    EXPECT_EQ(second.groups(), first.groups());
    EXPECT_EQ(second.groupMembers(), first.groupMembers());
}

// What the model makes of the values (a reader and writer wrong in the same way would pass the test above).
TEST_F(DspConfigRoundTripTest, ModelHoldsWhatTheDeviceMeant)
{
    ASSERT_EQ(first.inputs().size(), 16);
    ASSERT_EQ(first.outputs().size(), 16);
    ASSERT_EQ(first.aecChannels().size(), 1);
    ASSERT_EQ(first.automixerChannels().size(), 2);
    ASSERT_NE(first.matrix(), nullptr);
    EXPECT_EQ(first.matrix()->rows(), 19);
    EXPECT_EQ(first.matrix()->columns(), 16);
    EXPECT_EQ(first.version(), 7);
    EXPECT_EQ(first.inputs().at(0)->name(), "input_1");
    EXPECT_EQ(first.outputs().at(15)->name(), "output_16");
    EXPECT_EQ(kindsOf(*first.inputs().at(0)),
              (QList<int>{CBaseItem::KindHlpf, CBaseItem::KindEq, CBaseItem::KindCompress, CBaseItem::KindHlpf}));
    EXPECT_EQ(kindsOf(*first.inputs().at(2)), (QList<int>{CBaseItem::KindChAec, CBaseItem::KindDucker}));
    EXPECT_TRUE(first.inputs().at(0)->block(3)->isBypass());
    EXPECT_EQ(first.inputs().at(0)->block(1)->groupId(), 2);

    const auto* eq = dynamic_cast<const CEqBlockItem*>(first.inputs().at(0)->block(1));
    ASSERT_NE(eq, nullptr);
    ASSERT_EQ(eq->bandCount(), 3);
    EXPECT_DOUBLE_EQ(eq->bands().at(1).freq0(), 250);
    EXPECT_TRUE(eq->bands().at(1).isBypass());
    EXPECT_FALSE(eq->bands().at(2).isBypass());
    const auto* aec = dynamic_cast<const CChAecItem*>(first.inputs().at(2)->block(0));
    ASSERT_NE(aec, nullptr);
    EXPECT_EQ(aec->banMask(), 15);
    EXPECT_EQ(aec->farCh(), 17);
    const auto* ducker = dynamic_cast<const CDuckerItem*>(first.inputs().at(2)->block(1));
    ASSERT_NE(ducker, nullptr);
    EXPECT_FLOAT_EQ(ducker->trigDb(), -55.5f);
    EXPECT_EQ(ducker->refCh(), 4);
    const auto* fir = dynamic_cast<const CFirItem*>(first.outputs().at(0)->block(0));
    ASSERT_NE(fir, nullptr);
    EXPECT_EQ(fir->firType(), CFirItem::LowPass);
    EXPECT_DOUBLE_EQ(fir->freq1(), 5000);
    // The knee is never sent, but the model keeps what the device reported.
    const auto* comp = dynamic_cast<const CCompressItem*>(first.inputs().at(0)->block(2));
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(comp->kneeDb(), 6);

    const CInputChannel* in1 = first.inputs().at(1);
    EXPECT_TRUE(in1->isMute());
    EXPECT_DOUBLE_EQ(in1->gainDb(), -2.5);
    EXPECT_EQ(in1->core(), 1);
    // Gain codes: cell (c, r) carries code c + r.
    EXPECT_DOUBLE_EQ(first.matrix()->gainDb(2, 3), 1.25);
    EXPECT_DOUBLE_EQ(first.matrix()->gainDb(15, 18), 8.25);
    EXPECT_TRUE(first.matrix()->isOn(2, 4));
    EXPECT_FALSE(first.matrix()->isOn(2, 3));
    EXPECT_TRUE(first.matrix()->isShare(5));
    EXPECT_FALSE(first.matrix()->isShare(4));
    EXPECT_TRUE(first.groups().at(1).mute);
    EXPECT_EQ(first.groupMembers().at(2), QVector<int>{0});
    EXPECT_TRUE(first.groupMembers().at(0).isEmpty());

    const DspAecChannel* aecCh = first.aecChannels().at(0);
    EXPECT_TRUE(aecCh->hasAns());
    EXPECT_EQ(aecCh->ansLevel(), 3);
    EXPECT_EQ(aecCh->groupId(), 1);
    EXPECT_EQ(aecCh->farArr().at(3), 1);
    const DspAutomixerChannel* mix = first.automixerChannels().at(0);
    EXPECT_DOUBLE_EQ(mix->slope(), 0.75);
    EXPECT_DOUBLE_EQ(mix->trigDb(), -45.5);
    EXPECT_FALSE(mix->nomAttenuate());
    EXPECT_EQ(mix->maskArr(), (QVector<quint64>{5, 16, 255})); // firmware above 3.1.2: masks as sent
    EXPECT_EQ(first.automixerChannels().at(1)->maskArr(), QVector<quint64>{~quint64(0)});
}

TEST_F(DspConfigRoundTripTest, NumbersUseSixSignificantDigits)
{
    first.inputs().at(0)->setGainDb(1.23456789);
    first.groups()[0].gainDb = -0.1;
    first.automixerChannels().at(0)->setSlope(123456789.0);
    const QJsonObject written = first.writeConfig(kFirmware);
    const QJsonObject in0 =
        written.value("nodeArr").toArray().at(0).toObject().value("commArr").toArray().at(0).toObject();
    EXPECT_EQ(in0.value("gainDb").toString(), "1.23457");
    EXPECT_EQ(written.value("groupArr").toArray().at(0).toObject().value("gainDb").toString(), "-0.1");
    EXPECT_EQ(written.value("nodeArr").toArray().at(1).toObject().value("obj").toObject().value("slope").toString(),
              "1.23457e+08");
}

TEST_F(DspConfigRoundTripTest, CloneIsDeepAndIndependent)
{
    std::unique_ptr<CDeviceDspData> copy(first.clone());
    EXPECT_EQ(compact(copy->writeConfig(kFirmware)), compact(first.writeConfig(kFirmware)));
    EXPECT_EQ(copy->info().chNumIn, 16);

    copy->inputs().at(0)->removeBlock(0);
    copy->matrix()->setOn(0, 0, false);
    copy->aecChannels().at(0)->nearArr()[0] = 7;
    copy->groups()[0].name = "Changed";
    EXPECT_EQ(first.inputs().at(0)->blocks().size(), 4);
    EXPECT_TRUE(first.matrix()->isOn(0, 0));
    EXPECT_EQ(first.aecChannels().at(0)->nearArr().at(0), 1);
    EXPECT_EQ(first.groups().at(0).name, "Lectern");
    // Copies of blocks keep their link and core, unlike a block clone.
    EXPECT_EQ(copy->inputs().at(0)->block(0)->groupId(), 2);

    copy.reset(); // the original survives the copy's destruction
    EXPECT_EQ(first.inputs().at(0)->blocks().size(), 4);
}

TEST_F(DspConfigRoundTripTest, ClearKeepsDeviceInformation)
{
    first.setDeviceInfo("Hall", "MRD-P64-1", 8, 6, 8, 6);
    first.clear();
    EXPECT_TRUE(first.inputs().isEmpty());
    EXPECT_TRUE(first.outputs().isEmpty());
    EXPECT_TRUE(first.aecChannels().isEmpty());
    EXPECT_TRUE(first.automixerChannels().isEmpty());
    EXPECT_EQ(first.matrix(), nullptr);
    EXPECT_TRUE(first.groups().isEmpty());
    EXPECT_EQ(first.info().chNumIn, 16);
    EXPECT_EQ(first.devId(), "MRD-P64-1");
    EXPECT_EQ(first.extraInCount(), 2);
}

TEST_F(DspConfigRoundTripTest, DebugDumpHasEverySection)
{
    const QString dump = first.debugDump();
    const QStringList sections{"printData start", "group list info:",      "inputChInfo:",
                               "outputChInfo:",   "matrix ch(Gain,Mute):", "printData end"};
    int from = 0;
    for (const QString& s : sections) {
        const int at = dump.indexOf(s, from);
        EXPECT_GE(at, 0) << s.toStdString();
        if (at >= 0)
            from = at + s.size();
    }
    EXPECT_TRUE(dump.contains("Eq => isBypass=0, groupId=2, core=0")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("aecChNum=1 autoMixerChNum=2"));
}
