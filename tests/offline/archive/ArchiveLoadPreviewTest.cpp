#include "ArchiveLoadPreview.h"
#include "ArchiveDiff.h"
#include "LoadTestDevices.h"
#include "ScriptedTransport.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace LoadTestDevices;

namespace {

/// A device that answers its read-out: automatic address, PTP 46/128, all gains 0 but the second receive
/// gain -12, no mutes. Anything else is refused.
QJsonObject readOut(const ScriptedTransport::Sent& s)
{
    const QString ops = s.ops();
    if (ops == QLatin1String("getIp"))
        return ScriptedTransport::succ(s, {{"fixedIp", "0"}});
    if (ops == QLatin1String("getVersion"))
        return ScriptedTransport::succ(s, {{"ptpDscp", "46"}, {"ptpPriority", "128"}});
    if (ops == QLatin1String("getAllPhyGainDbRx"))
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{"0", "-12"}}});
    if (ops.startsWith(QLatin1String("getAllPhy")))
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{"0", "0"}}});
    if (ops == QLatin1String("getInfo"))
        return ScriptedTransport::succ(s);
    return QJsonObject{{"result", "fail"}};
}

/// The archive device that matches that read-out exactly.
OfflineDevice matching(const QString& devId, const OnlineDeviceFacts& f)
{
    OfflineDevice d = archive(devId);
    d.detail().devName = f.name;
    d.detail().channelData.rxPhyGainList[1] = -12;
    return d;
}

} // namespace

TEST(ArchiveLoadPreview, ADeviceChangedInTwoValuesListsExactlyThoseAndPlansOnlyThem)
{
    const QVector<OnlineDeviceFacts> online = {facts("X"), facts("Y")};
    std::vector<OfflineDevice> arch = {matching("A", online[0]), matching("B", online[1])};
    arch[0].detail().devName = QStringLiteral("Hall");
    arch[0].detail().channelData.txPhyGainList[1] = -3;
    const QVector<ArchiveAssignment::Pair> pairs = ArchiveAssignment::automatic(arch, online);

    ScriptedTransport t;
    t.answer = readOut;
    QVector<int> progress;
    const QVector<ArchiveLoadPreview::Entry> entries =
        ArchiveLoadPreview::prepare(arch, online, pairs, ArchiveCategories::all(), t, nullptr,
                                    [&](const QString&, int done, int total) { progress << done << total; });
    ASSERT_EQ(entries.size(), 2);
    ASSERT_TRUE(entries[0].online.has_value());
    EXPECT_EQ(progress.mid(progress.size() - 2), QVector<int>({2, 2}));

    QStringList whats;
    for (const ArchiveChange& c : entries[0].changes)
        whats << c.what;
    EXPECT_EQ(whats, QStringList({"devName", "phyGainTx 2"}))
        << ArchiveDiff::lines(entries[0].changes, false).join('\n').toStdString();
    EXPECT_TRUE(entries[1].changes.isEmpty()) << ArchiveDiff::lines(entries[1].changes, false).join('\n').toStdString();

    // Only reads went out while preparing.
    for (const ScriptedTransport::Sent& s : t.sent())
        EXPECT_TRUE(s.ops().startsWith(QLatin1String("get"))) << s.request.toStdString();

    const QVector<ArchiveLoader::DevicePlan> plans = ArchiveLoadPreview::plans(entries);
    ASSERT_EQ(plans.size(), 2);
    QStringList ops;
    for (const ArchiveLoadStep& s : plans[0].steps)
        ops << QJsonDocument::fromJson(s.request.toUtf8()).object().value("ops").toString();
    EXPECT_EQ(ops, QStringList({"setDevName", "setPhyGainDbTx"}));
    EXPECT_EQ(plans[0].devId, QStringLiteral("X"));
    EXPECT_TRUE(plans[1].steps.isEmpty());
}

TEST(ArchiveLoadPreview, AnUnreadableDeviceIsLoadedWholeAndUnassignedOnesAreLeftOut)
{
    const QVector<OnlineDeviceFacts> online = {facts("X")};
    const std::vector<OfflineDevice> arch = {matching("A", online[0]), archive("B", "M-16")};
    const QVector<ArchiveAssignment::Pair> pairs = ArchiveAssignment::automatic(arch, online);
    ArchiveCategories name = ArchiveCategories::none();
    name.set(ArchiveCategory::DeviceName, true);

    ScriptedTransport silent; // answers nothing
    const QVector<ArchiveLoadPreview::Entry> entries = ArchiveLoadPreview::prepare(arch, online, pairs, name, silent);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_FALSE(entries[0].online.has_value());
    ASSERT_EQ(entries[0].plan.steps.size(), 1) << "the name is sent even though it may be the same";
}
