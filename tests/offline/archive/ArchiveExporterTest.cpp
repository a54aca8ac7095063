#include "ArchiveExporter.h"
#include "DspDefaultConfig.h"
#include "OfflineData.h"
#include "ReplyFields.h"
#include "ScriptedTransport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Sent = ScriptedTransport::Sent;

OnlineDeviceFacts facts(const QString& devId, bool dsp)
{
    OnlineDeviceFacts f;
    f.devId = devId;
    f.name = QStringLiteral("Dev ") + devId;
    f.model = dsp ? QStringLiteral("MRD-P64") : QStringLiteral("MRD-A16");
    f.ip = 0x0A000010;
    f.port = 8000;
    f.chNumRx = 2;
    f.chNumTx = 2;
    f.phyChNumRx = 2;
    f.phyChNumTx = 2;
    f.sampleRate = 96000;
    f.sampleByteNum = 2;
    f.pFrameNum = 48;
    f.delayUs = 1000;
    f.dscp = 10;
    f.rxChNames = QStringList{"Left", "Right"};
    f.hasDsp = dsp;
    f.ucastRoutes = {OfflineUcastRoute{QStringLiteral("OTHER"), 1, 0}};
    return f;
}

QJsonObject answerAll(const Sent& s)
{
    const QString ops = s.ops();
    if (ops == QLatin1String("getIp"))
        return ScriptedTransport::succ(s, {{"fixedIp", "1"}, {"ip", "10.0.0.16/16"}, {"gw", "10.0.0.1"}});
    if (ops == QLatin1String("getVersion") && !s.tcp)
        return ScriptedTransport::succ(s, {{"ptpDscp", "40"}, {"ptpPriority", "100"}});
    if (ops.startsWith(QLatin1String("getAllPhyGainDb")))
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{"-inf", "6"}}});
    if (ops.startsWith(QLatin1String("getAllPhyMute")))
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{"1", "1"}}});
    if (ops == QLatin1String("getConfig")) {
        const QJsonObject r = QJsonDocument::fromJson(DspDefaultConfig::reply(4, 4, 96000).toUtf8()).object();
        return ScriptedTransport::succ(s, {{"config", r.value(QStringLiteral("config"))}});
    }
    return ScriptedTransport::succ(s, {{"nameArr", QJsonArray{"A"}}, {"name", "A"}});
}

QJsonArray devArray(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("devArray")).toArray();
}

QString textAt(const QJsonObject& dev, const QString& dotted)
{
    QJsonValue v = dev;
    for (const QString& part : dotted.split(QLatin1Char('.'))) {
        bool isIndex = false;
        const int i = part.toInt(&isIndex);
        v = isIndex ? v.toArray().at(i) : v.toObject().value(part);
    }
    if (v.isArray())
        return QString::number(v.toArray().size()) + QStringLiteral(" entries");
    return ReplyFields::text(v);
}

struct ContentCase
{
    const char* name;
    const char* categories;
    std::vector<std::pair<const char*, const char*>> expected; ///< dotted path -> text
};

class ExporterContentTest : public ::testing::TestWithParam<ContentCase>
{
};

TEST_P(ExporterContentTest, WritesChosenGroupsAndDefaultsForTheRest)
{
    const ContentCase& c = GetParam();
    ArchiveCategories cats;
    QString error;
    ASSERT_TRUE(ArchiveCategories::parse(QString::fromUtf8(c.categories), &cats, &error));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.odt"));
    ScriptedTransport t;
    t.answer = answerAll;
    ArchiveExporter ex(t);
    const ArchiveExporter::Outcome o =
        ex.exportOnline({facts(QStringLiteral("A"), false), facts(QStringLiteral("P"), true)}, cats, path, "3.0.1");
    ASSERT_TRUE(o.ok) << o.error.toStdString();
    EXPECT_EQ(o.devices, 2);
    EXPECT_EQ(o.failedSteps, 0);
    EXPECT_EQ(o.requests, 7 + 11);
    const QJsonArray devs = devArray(path);
    ASSERT_EQ(devs.size(), 2);
    for (const auto& [key, value] : c.expected)
        EXPECT_EQ(textAt(devs.at(0).toObject(), QString::fromUtf8(key)), QString::fromUtf8(value)) << key;
    // The processor configuration is written whatever is chosen.
    EXPECT_EQ(textAt(devs.at(1).toObject(), QStringLiteral("dsp.dspArr.0.name")), QStringLiteral("curConfig"));
}

INSTANTIATE_TEST_SUITE_P(Categories, ExporterContentTest,
                         ::testing::Values(ContentCase{"nameOnly",
                                                       "name",
                                                       {{"devDetail.devName", "Dev A"},
                                                        {"devDetail.sampleRate", "48000"},
                                                        {"devDetail.delayMs", "5"},
                                                        {"devDetail.ptpDscp", "46"},
                                                        {"devDetail.ptpPriority", "128"},
                                                        {"devDetail.dscp", "34"},
                                                        {"devDetail.sampleByteNum", "3"},
                                                        {"devDetail.isFixIp", "0"},
                                                        {"devDetail.channelData.rxChNameList.0", "NetIn1"},
                                                        {"devDetail.channelData.rxPhyGainList.0", "0"},
                                                        {"devRoute.ucastList", "0 entries"}}},
                                           ContentCase{"everything",
                                                       "all",
                                                       {{"devDetail.devName", "Dev A"},
                                                        {"devDetail.sampleRate", "96000"},
                                                        {"devDetail.delayMs", "1"},
                                                        {"devDetail.ptpDscp", "40"},
                                                        {"devDetail.dscp", "10"},
                                                        {"devDetail.sampleBitDepth", "16"},
                                                        {"devDetail.isFixIp", "1"},
                                                        {"devDetail.fixIpStr.ipAndMask", "10.0.0.16/16"},
                                                        {"devDetail.channelData.rxChNameList.1", "Right"},
                                                        {"devDetail.channelData.rxPhyGainList.0", "-60"},
                                                        {"devDetail.channelData.txPhyGainList.1", "6"},
                                                        {"devRoute.ucastList.0.srcDevId", "OTHER"}}},
                                           ContentCase{"ipAndGains",
                                                       "ip,gains",
                                                       {{"devDetail.devName", "A"},
                                                        {"devDetail.fixIpStr.gateway", "10.0.0.1"},
                                                        {"devDetail.channelData.rxPhyMuteArray.0", "1"},
                                                        {"devDetail.channelData.rxChNameList.0", "NetIn1"}}}),
                         [](const ::testing::TestParamInfo<ContentCase>& i) { return std::string(i.param.name); });

TEST(ArchiveExporter, ProgressRunsInOrderAndCountsEveryStep)
{
    QTemporaryDir dir;
    ScriptedTransport t;
    t.answer = answerAll;
    ArchiveExporter ex(t);
    QStringList texts;
    int lastDone = 0;
    bool monotonic = true;
    const ArchiveExporter::Outcome o = ex.exportOnline({facts(QStringLiteral("A"), false)}, ArchiveCategories::all(),
                                                       dir.filePath(QStringLiteral("p.odt")), "v", nullptr,
                                                       [&](const QString& text, int done, int total) {
                                                           texts << text;
                                                           monotonic = monotonic && done >= lastDone && done <= total;
                                                           lastDone = done;
                                                       });
    ASSERT_TRUE(o.ok);
    EXPECT_TRUE(monotonic);
    const QStringList expected{"导出在线设备开始...设备数量为1",
                               "Dev A 开始解析...",
                               "Dev A 获取IP成功",
                               "Dev A 获取ptp成功",
                               "Dev A 获取增益成功",
                               "Dev A 获取静音成功",
                               "Dev A 获取通道增益和幻象电源成功",
                               "开始写入文件...",
                               "Dev A 解析设备详情中...",
                               "Dev A 解析设备路由中...",
                               "Dev A 解析dsp中...",
                               "p.odt 导出完成",
                               "导出在线设备结束"};
    EXPECT_EQ(texts, expected);
    // Seven requests, the start of writing, three document steps and the file itself.
    EXPECT_EQ(ex.progressCount(), 7 + 1 + 3 + 1);
    EXPECT_EQ(ArchiveExporter::getCanUseDspDevNum({facts("A", false), facts("B", true), facts("C", true)}), 2);
}

struct KeepCase
{
    const char* name;
    bool cancel;       ///< cancelled after the third request
    bool badPath;      ///< the file's folder is a plain file
    int requests;      ///< requests sent
    const char* error; ///< part of the error text
};

class ExporterKeepTest : public ::testing::TestWithParam<KeepCase>
{
};

TEST_P(ExporterKeepTest, AFailedOrCancelledExportKeepsTheOldFile)
{
    const KeepCase& c = GetParam();
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("keep.odt"));
    if (c.badPath) {
        QFile blocker(dir.filePath(QStringLiteral("notADir")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        path = dir.filePath(QStringLiteral("notADir/keep.odt"));
    } else {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old archive");
    }
    ScriptedTransport t;
    std::atomic_bool cancel{false};
    t.answer = [&](const Sent& s) {
        if (c.cancel && t.sent().size() == 3)
            cancel = true;
        return answerAll(s);
    };
    ArchiveExporter ex(t);
    const ArchiveExporter::Outcome o =
        ex.exportOnline({facts(QStringLiteral("A"), true)}, ArchiveCategories::all(), path, "v", &cancel);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.cancelled, c.cancel);
    EXPECT_EQ(t.sent().size(), c.requests);
    EXPECT_TRUE(o.error.contains(QString::fromUtf8(c.error))) << o.error.toStdString();
    if (!c.badPath) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("old archive"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.odt"}); // no temporary file left
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, ExporterKeepTest,
                         ::testing::Values(KeepCase{"cancelled", true, false, 3, ""},
                                           KeepCase{"folderIsAFile", false, true, 0, "文件创建失败"}),
                         [](const ::testing::TestParamInfo<KeepCase>& i) { return std::string(i.param.name); });

TEST(ArchiveExporter, WriteFileReplacesWholeOrSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("w.odt"));
    QString error;
    ASSERT_TRUE(ArchiveExporter::writeFile(path, "first", &error));
    ASSERT_TRUE(ArchiveExporter::writeFile(path, "second", &error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("second"));
    // A folder where the file should be cannot be replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.odt")));
    EXPECT_FALSE(ArchiveExporter::writeFile(dir.filePath(QStringLiteral("taken.odt")), "x", &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("文件创建失败"))) << error.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.odt"))).isDir());
}

TEST(ArchiveExporter, OfflineExportWritesTheChosenDevicesInDesignOrder)
{
    OfflineData design;
    for (const char* id : {"X1", "X2", "X3"}) {
        auto d = std::make_unique<OfflineDevice>();
        d->detail().devId = QString::fromLatin1(id);
        d->detail().devName = QStringLiteral("Name ") + QString::fromLatin1(id);
        d->detail().sampleRate = 96000;
        ASSERT_TRUE(design.addDevice(std::move(d)));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("off.odt"));
    ArchiveCategories cats;
    cats.set(ArchiveCategory::DeviceName, true);
    const ArchiveExporter::Outcome o = ArchiveExporter::exportOffline(design, {"X3", "X1"}, cats, path);
    ASSERT_TRUE(o.ok) << o.error.toStdString();
    const QJsonArray devs = devArray(path);
    ASSERT_EQ(devs.size(), 2);
    EXPECT_EQ(textAt(devs.at(0).toObject(), "devDetail.devId"), QStringLiteral("X1"));
    EXPECT_EQ(textAt(devs.at(1).toObject(), "devDetail.devName"), QStringLiteral("Name X3"));
    EXPECT_EQ(textAt(devs.at(1).toObject(), "devDetail.sampleRate"), QStringLiteral("48000"));
    EXPECT_TRUE(design.exportFlags().allOn()); // the user's design keeps its own flags
}

} // namespace
