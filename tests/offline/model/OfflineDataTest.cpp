#include "OfflineData.h"
#include "AppState.h"
#include "CDeviceDspData.h"
#include "DspJsonTree.h"
#include "OfflineTestDesign.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonArray devArray(const QByteArray& text)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    EXPECT_EQ(err.error, QJsonParseError::NoError) << err.errorString().toStdString();
    return doc.object().value(QStringLiteral("devArray")).toArray();
}

/// Member names of an object in the order the text has them.
QStringList keysInOrder(const DspJsonValue& obj)
{
    QStringList keys;
    for (DspJsonValue v = obj.first(); v.isValid(); v = v.next())
        keys.append(v.key());
    return keys;
}

TEST(OfflineData, RichDesignSurvivesSaveAndLoadByteForByte)
{
    OfflineData a;
    OfflineTestDesign::build(a, 9);
    const QByteArray first = a.saveToText();

    OfflineData b;
    QString error;
    ASSERT_TRUE(b.loadFromText(first, {}, &error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const auto before = a.devices();
    const auto after = b.devices();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_TRUE(after[i] == before[i]) << "device " << i;
        EXPECT_EQ(after[i].dspConfigs().size(), before[i].dspConfigs().size());
    }
    EXPECT_EQ(b.mcasts(), a.mcasts());
    EXPECT_EQ(b.guiVersion(), QStringLiteral("3.0.7"));
    EXPECT_EQ(b.saveToText(), first);

    // A loaded design that is edited no longer compares equal: the comparison looks at the content.
    b.updateDevice(b.deviceIds().first(), [](OfflineDevice& d) { d.detail().channelData.txPhyGainList[1] = -3; });
    EXPECT_FALSE(b.devices().front() == before.front());
}

TEST(OfflineData, WritesKeysInTheFileOrderWithNumbersAsText)
{
    OfflineData data;
    OfflineTestDesign::build(data, 1);
    DspJsonTree tree;
    ASSERT_TRUE(tree.parse(data.saveToText()));
    const DspJsonValue root = tree.root();
    EXPECT_EQ(keysInOrder(root), (QStringList{"devArray", "guiVersion"}));
    const DspJsonValue dev = root[QLatin1String("devArray")].first();
    EXPECT_EQ(keysInOrder(dev), (QStringList{"devDetail", "devRoute", "dsp"}));
    const DspJsonValue detail = dev[QLatin1String("devDetail")];
    const QStringList order{"devId",        "devName",        "sampleRate",    "delayMs",    "ptpDscp",   "dscp",
                            "ptpPriority",  "sampleBitDepth", "sampleByteNum", "packetTime", "pFrameNum", "isFixIp",
                            "fixIpStr",     "xebIp",          "xeuIp",         "xServerStr", "version",   "subVersion",
                            "model",        "devModel",       "oemModel",      "customType", "chNumRx",   "chNumTx",
                            "phyChNumRx",   "phyChNumTx",     "usbInNum",      "usbOutNum",  "canGpio",   "devListInfo",
                            "gpioInfoList", "channelData",    "mcastList"};
    EXPECT_EQ(keysInOrder(detail), order);

    struct Case
    {
        const char* path; // member names below devDetail, '/' between
        QStringList keys;
    } cases[] = {
        {"fixIpStr", {"ipAndMask", "dns", "gateway"}},
        {"devListInfo",
         {"chNumRx", "chNumTx", "phyChNumRx", "phyChNumTx", "usbInNum", "usbOutNum", "model", "oemModel", "iconUrl",
          "version", "type", "sampleRateList", "packetTimeList"}},
        {"channelData",
         {"phyRxChNameList", "phyTxChNameList", "rxChNameList", "txChNameList", "rxPhyGainList", "txPhyGainList",
          "rxPhyMuteArray", "txPhyMuteArray"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keysInOrder(detail[QLatin1String(c.path)]), c.keys) << c.path;
    EXPECT_EQ(keysInOrder(detail[QLatin1String("gpioInfoList")].first()),
              (QStringList{"type", "enable", "channelId", "customCmd", "direction", "inputChId", "programId",
                           "outputChId", "triggerType", "gainStepIndex", "channelDirection"}));
    EXPECT_EQ(keysInOrder(detail[QLatin1String("mcastList")].first()),
              (QStringList{"mcastName", "srcDevId", "srcChIdArrList", "sampleRate", "isFixIp", "chNum", "fixIpStr"}));
    EXPECT_EQ(keysInOrder(dev[QLatin1String("dsp")]), (QStringList{"currentId", "dspArr"}));
    EXPECT_EQ(keysInOrder(dev[QLatin1String("dsp")][QLatin1String("dspArr")].first()).value(0), "name");

    // Numbers travel as decimal text; the packet time with six significant digits.
    const QJsonObject d = devArray(data.saveToText()).at(0).toObject()[QStringLiteral("devDetail")].toObject();
    EXPECT_EQ(d[QStringLiteral("sampleRate")], QJsonValue(QStringLiteral("96000")));
    EXPECT_EQ(d[QStringLiteral("packetTime")], QJsonValue(QStringLiteral("1")));
    EXPECT_EQ(d[QStringLiteral("delayMs")], QJsonValue(QStringLiteral("2.5")));
}

TEST(OfflineData, LoadsOddDocumentsAsFarAsTheyGo)
{
    struct Case
    {
        const char* name;
        QByteArray text;
        bool ok;
        QStringList ids;
        QString version;
    } cases[] = {
        {"only a version", R"({"guiVersion":"3.1"})", true, {}, "3.1"},
        {"a number in devArray",
         R"({"devArray":[5,{"devDetail":{"devId":"A"}},"x",{"devDetail":{"devId":"B"}}]})",
         true,
         {"A", "B"},
         ""},
        {"devArray not an array", R"({"devArray":{"devDetail":{"devId":"A"}}})", true, {}, ""},
        {"repeated devId",
         R"({"devArray":[{"devDetail":{"devId":"A"}},{"devDetail":{"devId":"A","devName":"x"}}]})",
         true,
         {"A"},
         ""},
        {"device without devId", R"({"devArray":[{"devRoute":{}},{"devDetail":{"devId":"C"}}]})", true, {"C"}, ""},
        {"not JSON", "{\"devArray\":[", false, {}, ""},
        {"an array at the top", "[1,2]", false, {}, ""},
        {"empty", "", false, {}, ""},
    };
    for (const Case& c : cases) {
        OfflineData data;
        OfflineTestDesign::build(data, 2); // a load replaces what was there
        EXPECT_EQ(data.loadFromText(c.text), c.ok) << c.name;
        EXPECT_EQ(data.deviceIds(), c.ids) << c.name;
        EXPECT_TRUE(data.mcasts().isEmpty()) << c.name;
        if (c.ok) {
            EXPECT_EQ(data.guiVersion(), c.version) << c.name;
        }
    }
}

TEST(OfflineData, WritesProcessorConfigurationsOnlyForProcessorModels)
{
    const struct
    {
        const char* model;
        bool dsp;
    } cases[] = {{"MRD-A16", false}, {"MRD-P64", true}, {"MRV-VSC", false}, {"MRD-M8", true}, {"UNKNOWN", false}};
    OfflineData data;
    for (const auto& c : cases)
        data.addDevice(OfflineDevice::fromType(OfflineTestDesign::type(c.model), c.model, c.model));
    const QJsonArray arr = devArray(data.saveToText());
    ASSERT_EQ(arr.size(), int(std::size(cases)));
    for (int i = 0; i < arr.size(); ++i) {
        const QJsonObject dev = arr.at(i).toObject();
        EXPECT_EQ(dev.contains(QStringLiteral("dsp")), cases[i].dsp) << cases[i].model;
        EXPECT_TRUE(dev.contains(QStringLiteral("devRoute"))) << cases[i].model;
        if (cases[i].dsp) { // a new processor device starts with its default configuration
            EXPECT_EQ(dev[QStringLiteral("dsp")].toObject()[QStringLiteral("dspArr")].toArray().size(), 1);
        }
    }
}

TEST(OfflineData, ExportWritesDefaultsForGroupsLeftOut)
{
    using G = OfflineExportFlags;
    struct Case
    {
        G::Group group;
        const char* object; // "devDetail" or "devRoute"
        const char* key;
        QJsonValue left; // the value written with the group left out; an array: its size
    } cases[] = {
        {G::AudioParams, "devDetail", "sampleRate", QStringLiteral("48000")},
        {G::AudioParams, "devDetail", "packetTime", QStringLiteral("0.25")},
        {G::AudioParams, "devDetail", "pFrameNum", QStringLiteral("12")},
        {G::SampleDepth, "devDetail", "sampleBitDepth", QStringLiteral("24")},
        {G::SampleDepth, "devDetail", "sampleByteNum", QStringLiteral("3")},
        {G::NetworkDelay, "devDetail", "delayMs", QStringLiteral("5")},
        {G::PtpPriority, "devDetail", "ptpPriority", QStringLiteral("128")},
        {G::PtpDscp, "devDetail", "ptpDscp", QStringLiteral("46")},
        {G::StreamDscp, "devDetail", "dscp", QStringLiteral("34")},
        {G::Network, "devDetail", "isFixIp", QStringLiteral("0")},
        {G::Network, "devDetail", "fixIpStr", QString()},
        {G::Network, "devDetail", "xebIp", QString()},
        {G::DeviceInfo, "devDetail", "gpioInfoList", 0},
        {G::Routes, "devDetail", "mcastList", 0},
        {G::Routes, "devRoute", "ucastList", 0},
        {G::McastRoutes, "devRoute", "mcastList", 0},
    };
    for (const Case& c : cases) {
        OfflineData data;
        OfflineTestDesign::build(data, 3);
        const QStringList chosen{data.deviceIds().at(2)};
        auto value = [&] {
            const QJsonArray arr = devArray(data.exportText(chosen));
            EXPECT_EQ(arr.size(), 1);
            const QJsonValue v = arr.at(0).toObject()[QLatin1String(c.object)].toObject()[QLatin1String(c.key)];
            return v.isArray() ? QJsonValue(v.toArray().size()) : v;
        };
        const QJsonValue on = value();
        EXPECT_NE(on, c.left) << c.key << ": the design must differ from the default for the case to mean anything";
        OfflineExportFlags flags;
        flags.set(c.group, false);
        data.setExportFlags(flags);
        EXPECT_EQ(value(), c.left) << c.key;
        EXPECT_EQ(data.saveToText(), [&] {
            data.setExportFlags(OfflineExportFlags());
            return data.saveToText();
        }()) << "the working file always carries every group";
    }
}

TEST(OfflineData, ExportLeavesOutChannelNamesGainsAndTheName)
{
    OfflineData data;
    OfflineTestDesign::build(data, 1);
    const QString id = data.deviceIds().first();
    OfflineExportFlags flags;
    flags.set(OfflineExportFlags::ChannelNames, false);
    flags.set(OfflineExportFlags::ChannelGains, false);
    flags.set(OfflineExportFlags::DeviceName, false);
    data.setExportFlags(flags);
    OfflineData back;
    ASSERT_TRUE(back.loadFromText(data.exportText({id})));
    const OfflineChannelData c = back.device(id)->detail().channelData;
    EXPECT_EQ(c.rxChNameList.first(), QStringLiteral("NetIn1"));
    EXPECT_EQ(c.txChNameList.last(), QStringLiteral("NetOut8"));
    EXPECT_EQ(c.phyRxChNameList.first(), QStringLiteral("AnalogIn1"));
    EXPECT_EQ(c.rxPhyGainList, QVector<double>(4, 0));
    EXPECT_EQ(c.txPhyMuteArray, QVector<int>(4, 0));
    EXPECT_EQ(back.device(id)->name(), id);
    EXPECT_EQ(back.device(id)->detail().sampleRate, 96000) << "groups still chosen keep their values";
}

TEST(OfflineData, RemovingADeviceLeavesNoRoutePointingAtIt)
{
    OfflineData data;
    OfflineTestDesign::build(data, 4);
    const QStringList ids = data.deviceIds();
    ASSERT_TRUE(data.removeDevice(ids[1]));
    EXPECT_FALSE(data.removeDevice(ids[1]));
    EXPECT_EQ(data.deviceIds(), (QStringList{ids[0], ids[2], ids[3]}));
    for (const OfflineDevice& d : data.devices()) {
        for (const OfflineUcastRoute& r : d.ucastRoutes())
            EXPECT_NE(r.srcDevId, ids[1]);
        for (const OfflineMcastRoute& r : d.mcastRoutes())
            EXPECT_NE(r.srcDevId, ids[1]);
    }
    for (const OfflineMcast& m : data.mcasts())
        EXPECT_NE(m.srcDevId, ids[1]);
    EXPECT_EQ(data.mcasts().size(), 3);
    // Routes between the devices that stay are kept.
    EXPECT_EQ(data.device(ids[3])->ucastRoutes().size(), 1);
    EXPECT_EQ(data.device(ids[2])->ucastRoutes().size(), 0);
}

TEST(OfflineData, CopyIsADeepCopyUnderANewIdentity)
{
    AppState::setChinese(false);
    OfflineData data;
    OfflineTestDesign::build(data, 2);
    const QString id = data.deviceIds().first();
    const QString copyId = data.copyDevice(id);
    EXPECT_EQ(copyId, QStringLiteral("OFF-MRD-P64-2"));
    EXPECT_TRUE(data.copyDevice(QStringLiteral("nobody")).isEmpty());
    const OfflineDevice original = *data.device(id);
    const OfflineDevice copy = *data.device(copyId);
    EXPECT_EQ(copy.name(), original.name() + QStringLiteral(" copy"));
    EXPECT_TRUE(copy.detail().mcastList.isEmpty()) << "stream names are unique in a design";
    EXPECT_EQ(data.mcasts().size(), 2);
    EXPECT_EQ(copy.ucastRoutes(), original.ucastRoutes());
    EXPECT_EQ(copy.detail().channelData, original.detail().channelData);
    ASSERT_EQ(copy.dspConfigs().size(), 2u);

    // Editing the copy's processor configuration leaves the original's alone.
    data.updateDevice(copyId, [](OfflineDevice& d) { d.dspConfigs()[0].data->setCustomStr(QStringLiteral("x")); });
    EXPECT_EQ(data.device(id)->dspConfigs()[0].data->customStr(), QString());
    EXPECT_EQ(data.device(copyId)->dspConfigs()[0].data->customStr(), QStringLiteral("x"));
    AppState::setChinese(true);
    EXPECT_EQ(data.device(data.copyDevice(id))->name(), original.name() + QStringLiteral(" 副本"));
}

TEST(OfflineData, RoutesAndStreamsKeepTheDesignCoherent)
{
    OfflineData data;
    for (int i = 0; i < 2; ++i)
        data.addDevice(OfflineDevice::fromType(OfflineTestDesign::type("MRD-A16", 4, 2), data.newDeviceId("MRD-A16"),
                                               QStringLiteral("d")));
    const QString a = "OFF-MRD-A16-1", b = "OFF-MRD-A16-2";
    EXPECT_FALSE(data.addDevice(OfflineDevice::fromType(OfflineTestDesign::type("MRD-A16"), a, "dup")));
    const struct
    {
        QString dst;
        OfflineUcastRoute route;
        bool ok;
    } routes[] = {
        {b, {a, 1, 3}, true},         {b, {a, 0, 3}, true}, // the second replaces the first: one source per channel
        {b, {a, 2, 0}, false},                              // a has two transmit channels
        {b, {a, 0, 4}, false},                              // b has four receive channels
        {b, {"nobody", 0, 0}, false}, {"nobody", {a, 0, 0}, false}, {b, {a, -1, 0}, false},
    };
    for (const auto& r : routes)
        EXPECT_EQ(data.addRoute(r.dst, r.route), r.ok) << r.route.srcChId << "->" << r.route.dstChId;
    EXPECT_EQ(data.device(b)->ucastRoutes(), (QVector<OfflineUcastRoute>{{a, 0, 3}}));
    EXPECT_FALSE(data.removeRoute(b, 2));
    EXPECT_TRUE(data.removeRoute(b, 3));
    EXPECT_TRUE(data.device(b)->ucastRoutes().isEmpty());

    OfflineMcast m{"S1", "239.69.0.1", 5004, 48000, 2, a, {0, 1}, false};
    EXPECT_TRUE(data.addMcast(m));
    EXPECT_FALSE(data.addMcast(m)) << "names are unique";
    m.name = "S2";
    m.srcDevId = "nobody";
    EXPECT_FALSE(data.addMcast(m));
    EXPECT_EQ(data.device(a)->detail().mcastList.size(), 1);
    data.updateDevice(b, [&](OfflineDevice& d) { d.mcastRoutes().append({"S1", a, 0, 0, "", "239.69.0.1", 5004}); });
    EXPECT_TRUE(data.removeMcast("S1"));
    EXPECT_FALSE(data.removeMcast("S1"));
    EXPECT_TRUE(data.mcasts().isEmpty());
    EXPECT_TRUE(data.device(a)->detail().mcastList.isEmpty());
    EXPECT_TRUE(data.device(b)->mcastRoutes().isEmpty()) << "no route to a stream that is gone";
}

TEST(OfflineData, HostileDocumentsAreBounded)
{
    auto devArrayOf = [](const QByteArray& devices) { return "{\"devArray\":[" + devices + "]}"; };
    auto list = [](int n, const QByteArray& item) {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out += (i ? "," : "") + item;
        return out;
    };
    QByteArray many;
    for (int i = 0; i < OfflineData::MaxDevices + 10; ++i)
        many += (i ? "," : "") + QByteArray("{\"devDetail\":{\"devId\":\"D") + QByteArray::number(i) + "\"}}";

    struct Case
    {
        const char* name;
        QByteArray text;
        std::function<void(const OfflineData&)> check;
    } cases[] = {
        {"too many devices", devArrayOf(many),
         [](const OfflineData& d) { EXPECT_EQ(d.deviceCount(), OfflineData::MaxDevices); }},
        {"huge counts",
         devArrayOf(R"({"devDetail":{"devId":"A","chNumRx":"2000000000","chNumTx":"-5","sampleRate":"1e300"}})"),
         [](const OfflineData& d) {
             EXPECT_EQ(d.device("A")->detail().chNumRx, OfflineDevice::MaxChannels);
             EXPECT_EQ(d.device("A")->detail().chNumTx, 0);
         }},
        {"long lists",
         devArrayOf(R"({"devDetail":{"devId":"A","channelData":{"rxChNameList":[)" + list(10000, "\"n\"") +
                    R"(]},"gpioInfoList":[)" + list(5000, "{}") + "]}}"),
         [](const OfflineData& d) {
             EXPECT_EQ(d.device("A")->detail().channelData.rxChNameList.size(), OfflineDevice::MaxChannels);
             EXPECT_EQ(d.device("A")->detail().gpioInfoList.size(), OfflineDevice::MaxGpio);
         }},
        {"long text", devArrayOf(R"({"devDetail":{"devId":"A","devName":")" + QByteArray(100000, 'x') + "\"}}"),
         [](const OfflineData& d) { EXPECT_LE(d.device("A")->name().size(), 4096); }},
        {"bad routes",
         devArrayOf(
             R"({"devDetail":{"devId":"A"},"devRoute":{"ucastList":[{"srcDevId":"B","srcChId":"-1","dstChId":"0"},)"
             R"({"srcDevId":"B","dstChId":"1"},7,{"srcDevId":"B","srcChId":"0","dstChId":"0"}]}})"),
         [](const OfflineData& d) {
             EXPECT_EQ(d.device("A")->ucastRoutes(), (QVector<OfflineUcastRoute>{{"B", 0, 0}}));
         }},
        {"many configurations",
         devArrayOf(R"({"devDetail":{"devId":"A","model":"MRD-P64"},"dsp":{"currentId":"0","dspArr":[)" +
                    list(100, "{\"name\":\"c\"}") + "]}}"),
         [](const OfflineData& d) {
             EXPECT_EQ(int(d.device("A")->dspConfigs().size()), OfflineDevice::MaxDspConfigs);
         }},
        {"deep nesting", "{\"devArray\":[" + QByteArray(100000, '[') + QByteArray(100000, ']') + "]}",
         [](const OfflineData& d) { EXPECT_EQ(d.deviceCount(), 0); }},
        {"larger than a design may be", "{\"guiVersion\":\"" + QByteArray(OfflineData::MaxDocumentBytes, 'x') + "\"}",
         [](const OfflineData& d) { EXPECT_FALSE(d.guiVersion().startsWith("xxx")); }},
    };
    for (const Case& c : cases) {
        OfflineData data;
        data.loadFromText(c.text);
        SCOPED_TRACE(c.name);
        c.check(data);
    }
}

TEST(OfflineData, ReportsEveryStepOfLoadAndSave)
{
    OfflineData data;
    OfflineTestDesign::build(data, 3);
    QStringList seen;
    int lastTotal = 0;
    const auto progress = [&](int done, int total, const QString& name) {
        seen.append(QString::number(done) + name.left(3) + OfflineData::stepText(done));
        lastTotal = total;
    };
    const QByteArray text = data.saveToText(progress);
    EXPECT_EQ(seen.size(), 9);
    EXPECT_EQ(lastTotal, 9);
    EXPECT_EQ(seen.first(), QStringLiteral("1台 \" 解析设备详情中..."));
    EXPECT_EQ(seen.last(), QStringLiteral("9台 \" 解析dsp中..."));
    seen.clear();
    OfflineData back;
    back.loadFromText(text, progress);
    EXPECT_EQ(seen.size(), 9);
    EXPECT_EQ(seen.at(4), QStringLiteral("5台 \" 解析设备路由中..."));
}

TEST(OfflineData, NewIdsAreUniquePerModel)
{
    OfflineData data;
    const struct
    {
        const char* model;
        const char* id;
    } cases[] = {
        {"MRD-A16", "OFF-MRD-A16-1"}, {"MRD-A16", "OFF-MRD-A16-2"}, {"MRD-P64", "OFF-MRD-P64-1"}, {"", "OFF-DEV-1"}};
    for (const auto& c : cases) {
        const QString id = data.newDeviceId(c.model);
        EXPECT_EQ(id, QLatin1String(c.id));
        EXPECT_TRUE(data.addDevice(OfflineDevice::fromType(OfflineTestDesign::type(c.model), id, "x")));
    }
    data.removeDevice("OFF-MRD-A16-1");
    EXPECT_EQ(data.newDeviceId("MRD-A16"), QStringLiteral("OFF-MRD-A16-1")) << "a freed id is taken again";
}

} // namespace
