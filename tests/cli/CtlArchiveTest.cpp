#include "ArchiveDiff.h"
#include "CtlArchiveDevices.h"
#include "CtlArchiveText.h"
#include "CtlArchiveTransport.h"
#include "CtlExit.h"
#include "CtlOptions.h"
#include "DevManager.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <gtest/gtest.h>

namespace {

OnlineDeviceFacts facts(const QString& devId, const QString& name, uint32_t ip)
{
    OnlineDeviceFacts f;
    f.devId = devId;
    f.name = name;
    f.ip = ip;
    f.model = QStringLiteral("MRD-A16");
    return f;
}

OfflineDevice archiveDevice(const QString& devId, const QString& name)
{
    OfflineDevice d;
    d.detail().devId = devId;
    d.detail().devName = name;
    return d;
}

ArchiveChange change(ArchiveCategory category, const QString& what, const QString& online, const QString& archive)
{
    ArchiveChange c;
    c.category = category;
    c.what = what;
    c.online = online;
    c.archive = archive;
    return c;
}

QJsonObject json(const QString& line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

/// Answers from a function of the request; an empty text is no answer.
class FakeTransport : public ArchiveTransport
{
public:
    std::function<QString(const QString&, uint32_t)> reply;
    QStringList heard;
    ArchiveReply udp(const QString& request, uint32_t ip, quint16, int) override { return take(request, ip); }
    ArchiveReply dsp(const QString& request, uint32_t ip, int) override { return take(request, ip); }

private:
    ArchiveReply take(const QString& request, uint32_t ip)
    {
        heard << request;
        const QString text = reply ? reply(request, ip) : QString();
        return ArchiveReply{!text.isEmpty(), text.isEmpty() ? QStringLiteral("no reply") : text};
    }
};

} // namespace

TEST(CtlArchiveTest, CommandLinesAreCheckedBeforeAnyNetwork)
{
    struct Case
    {
        QStringList args;
        const char* error; ///< a part of the message; null: accepted
    };
    const Case cases[] = {
        {{"export"}, "wrong number of arguments"},
        {{"load"}, "wrong number of arguments"},
        {{"load", "a.odt", "b.odt"}, "wrong number of arguments"},
        {{"export", "--categories", "name,bogus", "a.odt"}, "bogus"},
        {{"load", "a.odt", "--categories", ""}, "--categories"},
        {{"load", "a.odt", "--assign", "A"}, "OFFLINE=ONLINE"},
        {{"load", "a.odt", "--assign", "=B"}, "OFFLINE=ONLINE"},
        {{"load", "a.odt", "--assign", "A=B,"}, "OFFLINE=ONLINE"},
        {{"load", "a.odt", "--assign", "A=B=C"}, "OFFLINE=ONLINE"},
        {{"load", "a.odt", "--assign", "A=B, A=C"}, "twice"},
        {{"load", "a.odt", "--devices", "X"}, "only for export"},
        {{"export", "a.odt", "--assign", "A=B"}, "only for load"},
        {{"export", "--devices", "Desk, 10.0.0.2", "--categories", "name,gains", "a.odt"}, nullptr},
        {{"load", "a.odt", "--assign", "A=B, C=D", "--categories", "all", "--dry-run", "--json"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CtlOptions o;
        QString error;
        const bool ok = CtlOptions::parse(c.args, &o, &error);
        if (c.error == nullptr) {
            ASSERT_TRUE(ok) << error.toStdString();
            EXPECT_TRUE(o.isControl());
            EXPECT_EQ(o.args, QStringList{"a.odt"});
            continue;
        }
        EXPECT_FALSE(ok);
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
        EXPECT_EQ(CtlOptions::usageExitCode(c.args), CtlExit::kUsage);
    }

    CtlOptions o;
    QString error;
    ASSERT_TRUE(
        CtlOptions::parse({"load", "a.odt", "--assign", "A=B", "--dry-run", "--categories", "name"}, &o, &error));
    EXPECT_EQ(o.command, CtlOptions::ArchiveLoad);
    EXPECT_EQ(o.assign, QStringLiteral("A=B"));
    EXPECT_EQ(o.categories, QStringLiteral("name"));
    EXPECT_TRUE(o.dryRun);
    ASSERT_TRUE(CtlOptions::parse({"export", "--devices", "X,Y", "a.odt"}, &o, &error));
    EXPECT_EQ(o.command, CtlOptions::ArchiveExport);
    EXPECT_EQ(o.devices, QStringLiteral("X,Y"));
    EXPECT_TRUE(o.categories.isNull()) << "no --categories: all";
}

TEST(CtlArchiveTest, DevicesAreNamedByIdAddressOrOneName)
{
    const QVector<OnlineDeviceFacts> online = {facts("MD01", "Desk", 0x0A000002), facts("MD02", "Stage", 0x0A000003),
                                               facts("MD03", "stage", 0x0A000004), facts("MD04", "Twin", 0x0A000005),
                                               facts("MD05", "Twin", 0x0A000006)};
    struct Case
    {
        QString list;
        QStringList chosen; ///< devIds; empty: refused
        const char* error = nullptr;
    };
    const Case cases[] = {
        {"MD02", {"MD02"}},
        {"10.0.0.4", {"MD03"}},
        {"Desk, 10.0.0.2 ,MD01", {"MD01"}}, // one device named three ways is read once
        {"Stage", {"MD02"}},                // an exact name wins over one that differs in case
        {"DESK", {"MD01"}},
        {"MD03,Desk", {"MD03", "MD01"}}, // in the order named
        {"Twin", {}, "several devices"},
        {"Desk,Nobody", {}, "no device \"Nobody\""},
        {"10.0.0.99", {}, "no device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list.toStdString());
        const QStringList names = CtlArchiveDevices::items(c.list);
        QVector<OnlineDeviceFacts> chosen;
        QString error;
        const bool ok = CtlArchiveDevices::select(online, names, &chosen, &error);
        EXPECT_EQ(ok, c.error == nullptr);
        EXPECT_EQ(CtlArchiveDevices::allFound(online, names), ok);
        if (!ok) {
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
            continue;
        }
        QStringList ids;
        for (const OnlineDeviceFacts& f : chosen)
            ids << f.devId;
        EXPECT_EQ(ids, c.chosen);
    }
}

TEST(CtlArchiveTest, ReadOnlyTransportSendsOnlyReadsAndCountsWhatCameBack)
{
    FakeTransport inner;
    // 10.0.0.2 answers "succ" except to "getVersion", which it refuses; 10.0.0.3 never answers.
    inner.reply = [](const QString& request, uint32_t ip) {
        if (ip != 0x0A000002)
            return QString();
        const bool refuse = CtlArchiveTransport::opsOf(request) == QLatin1String("getVersion");
        return refuse ? QStringLiteral("{\"result\":\"fail\",\"reason\":\"busy\"}")
                      : QStringLiteral("{\"result\":\"succ\"}");
    };
    const QString setName = QStringLiteral("{\"devId\":\"MD01\",\"name\":\"x\",\"ops\":\"setDevName\"}");
    const QString saveProgram = QStringLiteral("{\"devId\":\"MD01\", \"ops\":\"saveConfigToFile\"}");
    const QString getIp = QStringLiteral("{\"devId\":\"MD01\",\"ops\":\"getIp\"}");
    const QString getVersion = QStringLiteral("{\"devId\":\"MD01\", \"ops\":\"getVersion\",\"uiTag\":\"dspUiTag\"}");

    CtlArchiveTransport reader(inner, true);
    EXPECT_FALSE(reader.udp(setName, 0x0A000002, 9990, 1000).answered);
    EXPECT_FALSE(reader.dsp(saveProgram, 0x0A000002, 1000).answered);
    EXPECT_FALSE(reader.udp(QStringLiteral("not json"), 0x0A000002, 9990, 1000).answered);
    EXPECT_TRUE(reader.udp(getIp, 0x0A000002, 9994, 1000).answered);
    EXPECT_TRUE(reader.dsp(getVersion, 0x0A000002, 1000).answered);
    EXPECT_FALSE(reader.udp(getIp, 0x0A000003, 9994, 1000).answered);
    EXPECT_EQ(inner.heard, (QStringList{getIp, getVersion, getIp}));
    const CtlArchiveTransport::Counts c = reader.counts();
    EXPECT_EQ(c.blocked, 3);
    EXPECT_EQ(c.sent, 3);
    EXPECT_EQ(c.answered, 2);
    EXPECT_EQ(c.refused, 1);
    EXPECT_EQ(c.unanswered, 1);
    EXPECT_EQ(c.silentDevices, 1);

    inner.heard.clear();
    CtlArchiveTransport sender(inner);
    EXPECT_TRUE(sender.udp(setName, 0x0A000002, 9990, 1000).answered);
    EXPECT_EQ(inner.heard, QStringList{setName});
    EXPECT_EQ(sender.counts().blocked, 0);
}

TEST(CtlArchiveTest, ExportExitCodeTellsRefusalFromSilence)
{
    struct Case
    {
        bool ok;
        bool cancelled;
        int failedSteps;
        int refused;
        int unanswered;
        int exitCode;
    };
    const Case cases[] = {
        {true, false, 0, 0, 0, CtlExit::kOk},      {true, false, 1, 1, 0, CtlExit::kRefused},
        {true, false, 2, 1, 1, CtlExit::kNoReply}, {false, false, 0, 0, 0, CtlExit::kRefused},
        {false, true, 0, 0, 0, CtlExit::kRefused},
    };
    for (const Case& c : cases) {
        ArchiveExporter::Outcome outcome;
        outcome.ok = c.ok;
        outcome.cancelled = c.cancelled;
        outcome.failedSteps = c.failedSteps;
        CtlArchiveTransport::Counts counts;
        counts.refused = c.refused;
        counts.unanswered = c.unanswered;
        EXPECT_EQ(CtlArchiveText::exportExitCode(outcome, counts), c.exitCode)
            << c.ok << c.cancelled << c.failedSteps << c.refused << c.unanswered;
    }
}

TEST(CtlArchiveTest, AssignmentListsUnassignedArchiveDevicesToo)
{
    const std::vector<OfflineDevice> archive = {archiveDevice("OF1", "Desk"), archiveDevice("OF2", "Spare")};
    const QVector<OnlineDeviceFacts> online = {facts("MD01", "Desk now", 0x0A000002)};
    const QVector<ArchiveAssignment::Pair> pairs = {{"OF1", "MD01"}, {"OF2", ""}};

    const QStringList text = CtlArchiveText::assignment(archive, online, pairs, false);
    ASSERT_EQ(text.size(), 2);
    EXPECT_EQ(text.at(0), QStringLiteral("assign OF1 \"Desk\" -> MD01 \"Desk now\" (10.0.0.2)"));
    EXPECT_TRUE(text.at(1).startsWith(QStringLiteral("assign OF2 \"Spare\" -> unassigned")));

    const QStringList lines = CtlArchiveText::assignment(archive, online, pairs, true);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(json(lines.at(0)).value("onlineDevId").toString(), QStringLiteral("MD01"));
    EXPECT_EQ(json(lines.at(0)).value("ip").toString(), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(json(lines.at(1)).value("onlineDevId").toString(), QString());
    EXPECT_EQ(json(lines.at(1)).value("offlineName").toString(), QStringLiteral("Spare"));
}

TEST(CtlArchiveTest, PreviewShowsChangesNoChangeAndUnreadDevices)
{
    ArchiveLoadPreview::Entry changed;
    changed.archive = archiveDevice("OF1", "Desk");
    changed.facts = facts("MD01", "Old desk", 0x0A000002);
    changed.online = archiveDevice("MD01", "Old desk");
    changed.changes = {change(ArchiveCategory::DeviceName, "devName", "Old desk", "Desk"),
                       change(ArchiveCategory::ChannelGains, "phyGainRx 2", "-6", "0")};
    changed.plan.notes = QStringList{QStringLiteral("采样率为:96000 请先手动修改设备")};
    ArchiveLoadPreview::Entry same = changed;
    same.facts = facts("MD02", "Same", 0x0A000003);
    same.changes.clear();
    same.plan.notes.clear();
    ArchiveLoadPreview::Entry unread = same;
    unread.facts = facts("MD03", "Gone", 0x0A000004);
    unread.online.reset();

    const QStringList text = CtlArchiveText::preview({changed, same, unread}, false, false);
    QStringList expected = {QStringLiteral("preview MD01 \"Old desk\" <- OF1 \"Desk\""),
                            QStringLiteral("  note: 采样率为:96000 请先手动修改设备")};
    expected << ArchiveDiff::lines(changed.changes, false);
    expected << QStringLiteral("preview MD02 \"Same\" <- OF1 \"Desk\"") << QStringLiteral("  no change");
    expected << QStringLiteral("preview MD03 \"Gone\" <- OF1 \"Desk\"")
             << QStringLiteral("  could not be read: everything chosen is sent");
    EXPECT_EQ(text, expected);

    const QStringList lines = CtlArchiveText::preview({changed, same, unread}, true, false);
    QStringList kinds;
    for (const QString& l : lines)
        kinds << json(l).value("kind").toString() + ":" + json(l).value("devId").toString();
    EXPECT_EQ(kinds, (QStringList{"note:MD01", "change:MD01", "change:MD01", "unread:MD03"}));
    const QJsonObject gain = json(lines.at(2));
    EXPECT_EQ(gain.value("category").toString(), ArchiveCategories::key(ArchiveCategory::ChannelGains));
    EXPECT_EQ(gain.value("what").toString(), QStringLiteral("phyGainRx 2"));
    EXPECT_EQ(gain.value("online").toString(), QStringLiteral("-6"));
    EXPECT_EQ(gain.value("archive").toString(), QStringLiteral("0"));
}

TEST(CtlArchiveTest, StepsShowTheirResultAndAreCountedInTheSummary)
{
    using S = ArchiveLoader::Status;
    const QVector<ArchiveLoader::DevicePlan> plans = {{"Desk", "MD01", {}, {}}, {"Stage", "MD02", {}, {}}};
    ArchiveLoadStep name;
    name.request = QStringLiteral("{\"devId\":\"MD01\",\"name\":\"Desk\",\"ops\":\"setDevName\"}");
    name.successText = QStringLiteral("设置名字成功");
    ArchiveLoadStep delay = name;
    delay.category = ArchiveCategory::NetworkDelay;
    delay.request = QStringLiteral("{\"devId\":\"MD02\",\"ops\":\"setDelayUs\",\"us\":\"1000\"}");
    delay.successText = QStringLiteral("设置延时成功");
    ArchiveLoader::Outcome outcome;
    outcome.results = {{0, name, S::Done, "{\"result\":\"succ\"}"},
                       {1, delay, S::Refused, "{\"reason\":\"invalid us\",\n\"result\":\"fail\"}"},
                       {1, delay, S::NoAnswer, QString(1000, QLatin1Char('x'))},
                       {1, delay, S::NotSent, QString()}};
    outcome.ms = 42;

    const QStringList text = CtlArchiveText::steps(plans, outcome, false);
    ASSERT_EQ(text.size(), 4);
    EXPECT_EQ(text.at(0), QStringLiteral("step MD01 \"Desk\" setDevName: done 设置名字成功"));
    EXPECT_EQ(
        text.at(1),
        QStringLiteral("step MD02 \"Stage\" setDelayUs: refused {\"reason\":\"invalid us\", \"result\":\"fail\"}"));
    EXPECT_LT(text.at(2).size(), 400) << "a device's endless reply is cut";
    EXPECT_EQ(text.at(3), QStringLiteral("step MD02 \"Stage\" setDelayUs: notSent"));

    const QStringList lines = CtlArchiveText::steps(plans, outcome, true);
    const QStringList statuses = {"done", "refused", "noAnswer", "notSent"};
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(json(lines.at(i)).value("status").toString(), statuses.at(i));
        EXPECT_EQ(json(lines.at(i)).value("request").toObject().value("ops").toString(),
                  CtlArchiveTransport::opsOf(outcome.results.at(i).step.request));
    }
    EXPECT_EQ(json(lines.at(1)).value("category").toString(), QStringLiteral("delay"));

    const QJsonObject summary = json(CtlArchiveText::loadSummary(outcome, true));
    EXPECT_EQ(summary.value("steps").toInt(), 4);
    for (const QString& s : statuses)
        EXPECT_EQ(summary.value(s).toInt(), 1) << s.toStdString();
    EXPECT_EQ(CtlArchiveText::loadSummary(outcome, false),
              QStringLiteral("load: 4 steps, 1 done, 1 refused, 1 no answer, 1 not sent, 42 ms"));
}
