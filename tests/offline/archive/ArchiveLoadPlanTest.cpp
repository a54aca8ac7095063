#include "ArchiveLoadPlan.h"
#include "CDeviceDspData.h"
#include "DevManager.h"
#include "LoadTestDevices.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace LoadTestDevices;

namespace {

QJsonObject json(const ArchiveLoadStep& s)
{
    return QJsonDocument::fromJson(s.request.toUtf8()).object();
}

QStringList opsOf(const ArchiveLoadPlan::Plan& plan)
{
    QStringList out;
    for (const ArchiveLoadStep& s : plan.steps)
        out << json(s).value(QStringLiteral("ops")).toString();
    return out;
}

/// An archive device with something in every category, including a processor with one extra program.
OfflineDevice fullArchive()
{
    OfflineDevice d = archive(QStringLiteral("A"));
    OfflineDevDetail& s = d.detail();
    s.gpioInfoList.append(OfflineGpio());
    s.gpioInfoList[0].gainStepIndex = 2;
    s.gpioInfoList[0].customCmd = QStringLiteral("go");
    s.isFixIp = 1;
    s.ipAndMask = QStringLiteral("10.0.0.9/24");
    s.gateway = QStringLiteral("10.0.0.1");
    s.dns = QStringLiteral("10.0.0.2");
    s.packetTime = 0.125;
    s.delayMs = 2;
    OfflineMcast m;
    m.name = QStringLiteral("Stage-1");
    m.dstIp = QStringLiteral("239.69.3.4");
    m.dstPort = 5004;
    m.srcDevId = QStringLiteral("A");
    m.srcChannels = {0, 1};
    m.chNum = 2;
    s.mcastList.append(m);
    d.ucastRoutes().append(OfflineUcastRoute{QStringLiteral("B"), 1, 0});
    OfflineMcastRoute r;
    r.mcastName = QStringLiteral("Band");
    r.srcDevId = QStringLiteral("B");
    r.srcChId = 0;
    r.dstChId = 3;
    r.srcIp = QStringLiteral("10.9.9.9");
    r.dstIp = QStringLiteral("239.1.1.1");
    r.dstPort = 5004;
    r.chNum = 2;
    d.mcastRoutes().append(r);
    d.addDspConfig(QStringLiteral("Evening"), std::make_unique<CDeviceDspData>());
    d.addDspConfig(QStringLiteral("curConfig"), std::make_unique<CDeviceDspData>());
    return d;
}

ArchiveLoadPlan::Input inputFor(const OfflineDevice& arch, const OfflineDevice* online, const ArchiveCategories& c)
{
    ArchiveLoadPlan::Input in;
    in.archive = &arch;
    in.online = online;
    in.facts = facts(QStringLiteral("X"));
    in.facts.hasDsp = true;
    in.categories = c;
    in.onlineIdOf = {{QStringLiteral("A"), QStringLiteral("X")}, {QStringLiteral("B"), QStringLiteral("Y")}};
    in.onlineIpOf = {{QStringLiteral("X"), in.facts.ip}, {QStringLiteral("Y"), dvm_parseIp("192.168.1.77")}};
    in.mcastAddressOf = {{QStringLiteral("Band"), QStringLiteral("239.69.9.9")}};
    return in;
}

} // namespace

TEST(ArchiveLoadPlan, OnlyTheDeviceNameSendsOnlySetDevName)
{
    const OfflineDevice arch = fullArchive();
    ArchiveCategories name = ArchiveCategories::none();
    name.set(ArchiveCategory::DeviceName, true);
    const OfflineDevice online = archive(QStringLiteral("X")); // differs in everything
    for (const OfflineDevice* readOut : {&online, static_cast<const OfflineDevice*>(nullptr)}) {
        const ArchiveLoadPlan::Plan plan = ArchiveLoadPlan::build(inputFor(arch, readOut, name));
        ASSERT_EQ(opsOf(plan), QStringList({"setDevName"}));
        const ArchiveLoadStep& s = plan.steps[0];
        EXPECT_EQ(json(s).value(QStringLiteral("name")).toString(), arch.name());
        EXPECT_EQ(json(s).value(QStringLiteral("devId")).toString(), QStringLiteral("X"));
        EXPECT_EQ(s.port, 9990);
        EXPECT_EQ(s.successText, QStringLiteral("设置名字成功"));
        EXPECT_TRUE(plan.notes.isEmpty());
    }
}

TEST(ArchiveLoadPlan, AFullLoadRunsItsStepsInOrderWithTheirPortsAndLimitsAndTheAddressLast)
{
    const OfflineDevice arch = fullArchive();
    const ArchiveLoadPlan::Plan plan = ArchiveLoadPlan::build(inputFor(arch, nullptr, ArchiveCategories::all()));
    struct Expected
    {
        const char* ops;
        int count;
        int port; ///< 8999 for the processor link
        int ms;
        const char* success;
    };
    const Expected expected[] = {
        {"setGpioInfo", 1, 9992, 1000, "设置GPIO成功"},
        {"setDevName", 1, 9990, 1000, "设置名字成功"},
        {"setChNameRx", 4, 9990, 1000, "设置通道名字成功"},
        {"setChNameTx", 4, 9990, 1000, "设置通道名字成功"},
        {"setPhyChNameRx", 2, 9990, 1000, "设置通道名字成功"},
        {"setPhyChNameTx", 2, 9990, 1000, "设置通道名字成功"},
        {"setPhyGainDbRx", 2, 9990, 1000, "设置通道增益成功"},
        {"setPhyGainDbTx", 2, 9990, 1000, "设置通道增益成功"},
        {"setPhyMuteRx", 2, 9990, 1000, "设置通道增益成功"},
        {"setPhyMuteTx", 2, 9990, 1000, "设置通道增益成功"},
        {"setSampleByteNum", 1, 9995, 1000, "设置采样深度成功"},
        {"setDelayUs", 1, 9995, 1000, "设置延时成功"},
        {"setPacketTimeDiv", 1, 9994, 1000, "设置包时间成功"},
        {"setPtpPriority", 1, 9994, 3000, "设置时钟优先级成功"},
        {"setPtpDscp", 1, 9994, 3000, "设置ptpDscp成功"},
        {"setDscp", 1, 9995, 1000, "设置流dscp成功"},
        {"setMcastTx", 1, 9990, 1000, "创建组播成功"},
        {"setUcastRx", 1, 9990, 1000, "设置单播路由成功"},
        {"saveConfigToFile", 1, 8999, 8000, "保存第1配置成功"},
        {"setConfig", 1, 8999, 8000, "设置配置成功"},
        {"setMcastRx", 1, 9990, 1000, "设置组播路由成功"},
        {"setIp", 1, 9994, 3000, "设置ip成功"},
    };
    int at = 0;
    for (const Expected& e : expected) {
        for (int i = 0; i < e.count; ++i, ++at) {
            ASSERT_LT(at, plan.steps.size()) << e.ops;
            const ArchiveLoadStep& s = plan.steps[at];
            const QJsonObject o = json(s);
            EXPECT_EQ(o.value(QStringLiteral("ops")).toString(), QLatin1String(e.ops)) << at;
            EXPECT_EQ(o.value(QStringLiteral("devId")).toString(), QStringLiteral("X")) << e.ops;
            EXPECT_EQ(s.tcp, e.port == 8999) << e.ops;
            if (!s.tcp) {
                EXPECT_EQ(s.port, e.port) << e.ops;
            }
            EXPECT_EQ(s.timeoutMs, e.ms) << e.ops;
            EXPECT_EQ(s.successText, QString::fromUtf8(e.success)) << e.ops;
            EXPECT_EQ(s.ip, facts(QStringLiteral("X")).ip) << e.ops;
            QJsonObject rest = o;
            rest.remove(QStringLiteral("config"));
            EXPECT_TRUE(allText(rest)) << s.request.toStdString();
        }
    }
    EXPECT_EQ(at, plan.steps.size());

    // Values that are easy to get wrong.
    auto stepOf = [&](const char* ops) {
        for (const ArchiveLoadStep& s : plan.steps)
            if (json(s).value(QStringLiteral("ops")).toString() == QLatin1String(ops))
                return json(s);
        return QJsonObject();
    };
    EXPECT_EQ(stepOf("setPacketTimeDiv").value(QStringLiteral("val")).toString(), QStringLiteral("8"));
    EXPECT_EQ(stepOf("setDelayUs").value(QStringLiteral("us")).toString(), QStringLiteral("2000"));
    EXPECT_EQ(stepOf("setGpioInfo").value(QStringLiteral("gpioInfo")).toObject().value("gainStep").toString(),
              QStringLiteral("2"));
    EXPECT_EQ(stepOf("setUcastRx").value(QStringLiteral("srcDevId")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(stepOf("setUcastRx").value(QStringLiteral("srcChId")).toString(), QStringLiteral("1"));
    const QJsonObject sdp = stepOf("setMcastRx").value(QStringLiteral("sdp")).toObject();
    EXPECT_EQ(sdp.value(QStringLiteral("srcIp")).toString(), QStringLiteral("192.168.1.77"));
    EXPECT_EQ(sdp.value(QStringLiteral("dstIp")).toString(), QStringLiteral("239.69.9.9"));
    EXPECT_EQ(stepOf("setMcastRx").value(QStringLiteral("dstChId")).toString(), QStringLiteral("3"));
    EXPECT_EQ(stepOf("saveConfigToFile").value(QStringLiteral("name")).toString(), QStringLiteral("Evening"));
    EXPECT_TRUE(stepOf("setConfig").value(QStringLiteral("config")).isObject());
    const QJsonObject ip = stepOf("setIp");
    EXPECT_EQ(ip.value(QStringLiteral("fixedIp")).toString(), QStringLiteral("1"));
    EXPECT_EQ(ip.value(QStringLiteral("ip")).toString(), QStringLiteral("10.0.0.9/24"));
    EXPECT_EQ(ip.value(QStringLiteral("gw")).toString(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(ip.value(QStringLiteral("dns")).toString(), QStringLiteral("10.0.0.2"));

    // A device without a processor gets no processor step.
    ArchiveLoadPlan::Input noDsp = inputFor(arch, nullptr, ArchiveCategories::all());
    noDsp.facts.hasDsp = false;
    const QStringList ops = opsOf(ArchiveLoadPlan::build(noDsp));
    EXPECT_FALSE(ops.contains(QStringLiteral("setConfig")));
    EXPECT_FALSE(ops.contains(QStringLiteral("saveConfigToFile")));
}

TEST(ArchiveLoadPlan, UnchangedValuesSendNothingAndChangedRoutesAreClearedFirst)
{
    const OfflineDevice arch = fullArchive();
    // The read-out of the online device as the archive would leave it, in its own identifiers.
    OfflineDevice online = arch;
    online.detail().devId = QStringLiteral("X");
    online.ucastRoutes()[0].srcDevId = QStringLiteral("Y");
    online.mcastRoutes()[0].dstIp = QStringLiteral("239.69.9.9");
    online.dspConfigs().erase(online.dspConfigs().begin()); // a read-out holds only what runs now
    ArchiveLoadPlan::Input in = inputFor(arch, &online, ArchiveCategories::all());
    in.facts.sampleRate = arch.detail().sampleRate;
    const ArchiveLoadPlan::Plan same = ArchiveLoadPlan::build(in);
    // Stored programs cannot be read back, so they are the one thing sent again.
    EXPECT_EQ(opsOf(same), QStringList({"saveConfigToFile"}));

    // A changed route and a changed stream: cleared, then made again; the rest still sends nothing.
    online.ucastRoutes()[0].srcChId = 3;
    online.detail().mcastList[0].dstPort = 6000;
    online.detail().devName = QStringLiteral("Other");
    const ArchiveLoadPlan::Plan changed = ArchiveLoadPlan::build(in);
    EXPECT_EQ(opsOf(changed),
              QStringList({"setDevName", "clrRxCh", "clrMcastTx", "setMcastTx", "setUcastRx", "saveConfigToFile"}));
    const QJsonObject clr = json(changed.steps[2]);
    EXPECT_EQ(clr.value(QStringLiteral("name")).toString(), QStringLiteral("Stage-1"));
    EXPECT_EQ(clr.value(QStringLiteral("dstIp")).toString(), QString::number(dvm_parseIp("239.69.3.4")));

    // A multicast route removed where the archive feeds the channel by unicast is not cleared after it.
    OfflineDevice mixed = online;
    mixed.mcastRoutes()[0].dstChId = 0;
    ArchiveCategories routes = ArchiveCategories::none();
    routes.set(ArchiveCategory::DeviceRoutes, true);
    OfflineDevice arch2 = arch;
    arch2.mcastRoutes().clear();
    ArchiveLoadPlan::Input in2 = inputFor(arch2, &mixed, routes);
    EXPECT_TRUE(opsOf(ArchiveLoadPlan::build(in2)).isEmpty());
    mixed.mcastRoutes()[0].dstChId = 2;
    EXPECT_EQ(opsOf(ArchiveLoadPlan::build(in2)), QStringList({"clrRxCh"}));
}

TEST(ArchiveLoadPlan, ADifferentSampleRateIsANoteAndNeverSent)
{
    const OfflineDevice arch = fullArchive();
    struct Case
    {
        int online;
        bool chosen;
        bool note;
    };
    const Case cases[] = {{96000, true, true}, {48000, true, false}, {96000, false, false}};
    for (const Case& c : cases) {
        ArchiveCategories cats = ArchiveCategories::all();
        cats.set(ArchiveCategory::DeviceParams, c.chosen);
        ArchiveLoadPlan::Input in = inputFor(arch, nullptr, cats);
        in.facts.sampleRate = c.online;
        const ArchiveLoadPlan::Plan plan = ArchiveLoadPlan::build(in);
        EXPECT_FALSE(opsOf(plan).contains(QStringLiteral("setSampleRate")));
        ASSERT_EQ(plan.notes.size(), c.note ? 1 : 0) << c.online << " " << c.chosen;
        if (c.note) {
            EXPECT_TRUE(plan.notes[0].contains(QStringLiteral("采样率为:48000")));
            EXPECT_TRUE(plan.notes[0].contains(QStringLiteral("请先手动修改设备")));
        }
    }
}

TEST(ArchiveLoadPlan, StreamsKeepChosenAndAutomaticRangeAddressesOthersGetAFreeOne)
{
    auto stream = [](const char* name, const char* ip, bool custom) {
        OfflineMcast m;
        m.name = QLatin1String(name);
        m.dstIp = QLatin1String(ip);
        m.customAddress = custom;
        return m;
    };
    const QVector<OfflineMcast> streams = {
        stream("custom", "239.1.2.3", true),      // chosen by the user: kept wherever it is
        stream("inRange", "239.69.2.2", false),   // automatic in 239.69.0.0/16: kept
        stream("outside", "239.100.1.1", false),  // automatic elsewhere: replaced
        stream("outside2", "239.100.1.2", false), // and each gets its own
    };
    const QSet<uint32_t> used = {dvm_parseIp("239.69.2.3")};
    const QHash<QString, QString> out = ArchiveLoadPlan::mcastAddresses(streams, used);
    EXPECT_EQ(out.value("custom"), QStringLiteral("239.1.2.3"));
    EXPECT_EQ(out.value("inRange"), QStringLiteral("239.69.2.2"));
    QSet<QString> seen = {out.value("custom"), out.value("inRange")};
    for (const char* name : {"outside", "outside2"}) {
        const QString a = out.value(QLatin1String(name));
        EXPECT_TRUE(a.startsWith(QLatin1String("239.69."))) << name << " " << a.toStdString();
        EXPECT_FALSE(used.contains(dvm_parseIp(a))) << a.toStdString();
        EXPECT_FALSE(seen.contains(a)) << a.toStdString();
        seen.insert(a);
    }
}
