#include "ArchiveLoader.h"
#include "ScriptedTransport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

using Status = ArchiveLoader::Status;

ArchiveLoadStep step(const QString& devId, const char* ops, const char* success, bool tcp = false)
{
    ArchiveLoadStep s;
    s.request = QString::fromUtf8(
        QJsonDocument(QJsonObject{{"ops", QLatin1String(ops)}, {"devId", devId}}).toJson(QJsonDocument::Compact));
    s.ip = qHash(devId);
    s.port = 9990;
    s.tcp = tcp;
    s.successText = QString::fromUtf8(success);
    return s;
}

ArchiveLoader::DevicePlan device(const QString& devId, int steps = 4)
{
    ArchiveLoader::DevicePlan p;
    p.name = QStringLiteral("dev-") + devId;
    p.devId = devId;
    const char* ops[] = {"setDevName", "setChNameRx", "setDelayUs", "setConfig", "setIp"};
    const char* texts[] = {"设置名字成功", "设置通道名字成功", "设置延时成功", "设置配置成功", "设置ip成功"};
    for (int i = 0; i < steps; ++i)
        p.steps << step(devId, ops[i % 5], texts[i % 5], i % 5 == 3);
    return p;
}

struct LoadRun
{
    ArchiveLoader::Outcome outcome;
    QStringList log;
    QVector<ScriptedTransport::Sent> sent;
};

LoadRun load(const QVector<ArchiveLoader::DevicePlan>& plans, const ScriptedTransport::Answer& answer,
             std::atomic_bool* cancel = nullptr)
{
    ScriptedTransport t;
    t.answer = answer;
    ArchiveLoader loader(t);
    LoadRun r;
    r.outcome = loader.run(plans, cancel, [&](const QString& line, int done, int total) {
        EXPECT_LE(done, total);
        r.log << line;
    });
    r.sent = t.sent();
    return r;
}

QJsonObject succ(const ScriptedTransport::Sent& s)
{
    return ScriptedTransport::succ(s);
}

} // namespace

TEST(ArchiveLoader, AFailedStepIsLoggedAndTheLoadGoesOnWithTheNextStepAndDevice)
{
    struct Case
    {
        const char* what;
        ScriptedTransport::Answer answer;
        int sent;
        int done;
        int refused;
        int noAnswer;
        int exitCode;
        const char* lastLine;
    };
    const Case cases[] = {
        {"all done", succ, 8, 8, 0, 0, 0, "加载成功"},
        {"a refusal",
         [](const ScriptedTransport::Sent& s) {
             if (s.ops() == QLatin1String("setChNameRx") && s.json().value("devId").toString() == "A")
                 return QJsonObject{{"ops", "setChNameRx"}, {"result", "fail"}, {"reason", "mismatch"}};
             return succ(s);
         },
         8, 7, 1, 0, 1, "加载完成, 1 步失败"},
        {"a time-out and a refusal",
         [](const ScriptedTransport::Sent& s) {
             if (s.ops() == QLatin1String("setConfig"))
                 return QJsonObject(); // no answer
             if (s.ops() == QLatin1String("setDelayUs"))
                 return QJsonObject{{"result", "fail"}};
             return succ(s);
         },
         8, 4, 2, 2, 2, "加载完成, 4 步失败"},
        {"a reply that is not a success object",
         [](const ScriptedTransport::Sent& s) {
             return s.ops() == QLatin1String("setDevName") ? QJsonObject{{"result", "succ "}} : succ(s);
         },
         8, 6, 2, 0, 1, "加载完成, 2 步失败"},
    };
    for (const Case& c : cases) {
        const LoadRun r = load({device("A"), device("B")}, c.answer);
        EXPECT_EQ(r.sent.size(), c.sent) << c.what;
        EXPECT_EQ(r.outcome.results.size(), 8) << c.what;
        EXPECT_EQ(r.outcome.count(Status::Done), c.done) << c.what;
        EXPECT_EQ(r.outcome.count(Status::Refused), c.refused) << c.what;
        EXPECT_EQ(r.outcome.count(Status::NoAnswer), c.noAnswer) << c.what;
        EXPECT_EQ(r.outcome.exitCode(), c.exitCode) << c.what;
        EXPECT_FALSE(r.outcome.cancelled);
        ASSERT_FALSE(r.log.isEmpty());
        EXPECT_EQ(r.log.first(), QStringLiteral("加载设备开始...\n")) << c.what;
        EXPECT_EQ(r.log.last(), QString::fromUtf8(c.lastLine)) << c.what;
        EXPECT_TRUE(r.log[r.log.size() - 2].startsWith(QStringLiteral("总耗时"))) << c.what;
        EXPECT_TRUE(r.log.contains(QStringLiteral("设备 : dev-B 开始加载..."))) << c.what;
    }

    // The failure is logged with its reply.
    const LoadRun refused = load({device("A")}, cases[1].answer);
    EXPECT_TRUE(refused.log.filter(QStringLiteral("设置通道名字失败")).join(' ').contains(QLatin1String("mismatch")));
    // The processor step goes over the link, the others by UDP.
    for (const ScriptedTransport::Sent& s : refused.sent)
        EXPECT_EQ(s.tcp, s.ops() == QLatin1String("setConfig")) << s.request.toStdString();
}

TEST(ArchiveLoader, ADeviceSilentForItsFirstThreeStepsIsSkippedAndTheNextOneLoads)
{
    const auto deadA = [](const ScriptedTransport::Sent& s) {
        return s.json().value("devId").toString() == "A" ? QJsonObject() : succ(s);
    };
    const LoadRun r = load({device("A", 5), device("B", 2)}, deadA);
    QStringList sentTo;
    for (const ScriptedTransport::Sent& s : r.sent)
        sentTo << s.json().value("devId").toString();
    EXPECT_EQ(sentTo, QStringList({"A", "A", "A", "B", "B"}));
    ASSERT_EQ(r.outcome.results.size(), 7);
    for (int i = 3; i < 5; ++i) {
        EXPECT_EQ(r.outcome.results[i].status, Status::NoAnswer);
        EXPECT_EQ(r.outcome.results[i].reply, QStringLiteral("跳过: 设备无应答"));
    }
    EXPECT_EQ(r.outcome.count(Status::Done), 2);
    EXPECT_EQ(r.outcome.exitCode(), 2);

    // One answer among the first three keeps the device in the load.
    int n = 0;
    const LoadRun alive = load({device("A", 5)}, [&](const ScriptedTransport::Sent&) {
        return ++n == 2 ? QJsonObject{{"result", "fail"}} : QJsonObject();
    });
    EXPECT_EQ(alive.sent.size(), 5);
}

TEST(ArchiveLoader, ACancelBetweenStepsSendsNothingMoreAndSaysWhatWasNotSent)
{
    std::atomic_bool cancel{false};
    int n = 0;
    const LoadRun r = load(
        {device("A", 3), device("B", 3)},
        [&](const ScriptedTransport::Sent& s) {
            if (++n == 4)
                cancel = true; // during the first step of B
            return succ(s);
        },
        &cancel);
    EXPECT_EQ(r.sent.size(), 4);
    EXPECT_TRUE(r.outcome.cancelled);
    EXPECT_EQ(r.outcome.count(Status::Done), 4);
    EXPECT_EQ(r.outcome.count(Status::NotSent), 2);
    EXPECT_EQ(r.outcome.exitCode(), 1);
    EXPECT_FALSE(r.log.contains(QStringLiteral("加载成功")));
    EXPECT_EQ(r.log.filter(QStringLiteral("未发送 : dev-B")), QStringList({"未发送 : dev-B setChNameRx, setDelayUs"}));
    EXPECT_TRUE(r.log.filter(QStringLiteral("已发送 4 步")).size() == 1) << r.log.join('\n').toStdString();

    // Cancelled before anything: nothing leaves.
    std::atomic_bool early{true};
    const LoadRun none = load({device("A")}, succ, &early);
    EXPECT_TRUE(none.sent.isEmpty());
    EXPECT_EQ(none.outcome.count(Status::NotSent), 4);
}

TEST(ArchiveLoader, APasswordEchoedInAReplyReachesNeitherTheResultNorTheLog)
{
    const LoadRun r = load({device("A", 2)}, [](const ScriptedTransport::Sent& s) {
        QJsonObject reply = ScriptedTransport::succ(s, {{"new", "hunter2"}, {"old", "swordfish"}});
        reply.insert("result", "fail");
        return reply;
    });
    ASSERT_EQ(r.outcome.results.size(), 2);
    for (const ArchiveLoader::StepResult& step : r.outcome.results) {
        EXPECT_EQ(step.status, Status::Refused);
        EXPECT_FALSE(step.reply.contains("hunter2") || step.reply.contains("swordfish")) << step.reply.toStdString();
    }
    EXPECT_FALSE(r.log.join('\n').contains("hunter2")) << r.log.join('\n').toStdString();
}
