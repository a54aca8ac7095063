#include "ArchiveLoader.h"

#include "ArchiveTransport.h"
#include "LogRedaction.h"
#include "ReplyFields.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A reply is device text: the log keeps a bounded piece of it.
constexpr int kMaxReplyInLog = 512;

QString failureText(const ArchiveLoadStep& step)
{
    QString t = step.successText;
    t.replace(QStringLiteral("成功"), QStringLiteral("失败"));
    return t;
}

QString opsOf(const QString& request)
{
    return ReplyFields::text(QJsonDocument::fromJson(request.toUtf8()).object(), "ops");
}

bool isCancelled(const std::atomic_bool* cancel)
{
    return cancel && cancel->load();
}

} // namespace

int ArchiveLoader::Outcome::count(Status s) const
{
    int n = 0;
    for (const StepResult& r : results)
        n += r.status == s ? 1 : 0;
    return n;
}

int ArchiveLoader::Outcome::exitCode() const
{
    if (count(Status::NoAnswer) > 0)
        return 2;
    // A cancelled load left steps undone: that is not "every step done".
    return count(Status::Refused) > 0 || count(Status::NotSent) > 0 ? 1 : 0;
}

ArchiveLoader::Outcome ArchiveLoader::run(const QVector<DevicePlan>& plans, const std::atomic_bool* cancel,
                                          const Log& log)
{
    QElapsedTimer clock;
    clock.start();
    Outcome out;
    int total = 0;
    for (const DevicePlan& p : plans)
        total += p.steps.size();
    int done = 0;
    auto say = [&](const QString& line) {
        if (log)
            log(line, done, total);
    };

    say(QStringLiteral("加载设备开始...\n"));
    for (int d = 0; d < plans.size(); ++d) {
        const DevicePlan& plan = plans[d];
        if (!isCancelled(cancel)) {
            say(QStringLiteral("设备 : %1 开始加载...").arg(plan.name));
            for (const QString& note : plan.notes)
                say(QStringLiteral("设备 : %1 %2").arg(plan.name, note));
        }
        bool answered = false;
        bool gone = false;
        for (int s = 0; s < plan.steps.size(); ++s) {
            const ArchiveLoadStep& step = plan.steps[s];
            StepResult r;
            r.device = d;
            r.step = step;
            if (isCancelled(cancel)) {
                out.cancelled = true;
                r.status = Status::NotSent;
                out.results.append(r);
                continue;
            }
            if (gone) {
                r.status = Status::NoAnswer;
                r.reply = QStringLiteral("跳过: 设备无应答");
                out.results.append(r);
                ++done;
                continue;
            }
            const ArchiveReply reply = step.tcp ? m_transport.dsp(step.request, step.ip, step.timeoutMs)
                                                : m_transport.udp(step.request, step.ip, step.port, step.timeoutMs);
            ++done;
            // The reply reaches the log and the window: a device echoing a password must not show it.
            r.reply = QString::fromUtf8(LogRedaction::redacted(reply.text.toUtf8())).left(kMaxReplyInLog);
            if (!reply.answered) {
                r.status = Status::NoAnswer;
            } else {
                answered = true;
                const QJsonObject o = QJsonDocument::fromJson(reply.text.toUtf8()).object();
                r.status = ReplyFields::succeeded(o) ? Status::Done : Status::Refused;
            }
            out.results.append(r);
            if (r.status == Status::Done)
                say(QStringLiteral("设备 : %1 %2").arg(plan.name, step.successText));
            else
                say(QStringLiteral("设备 : %1 %2: %3").arg(plan.name, failureText(step), r.reply));
            if (!answered && s + 1 == DeadAfterSilentSteps && s + 1 < plan.steps.size()) {
                gone = true;
                say(QStringLiteral("设备 : %1 无应答，跳过其余 %2 步").arg(plan.name).arg(plan.steps.size() - s - 1));
            }
        }
    }

    if (out.cancelled) {
        say(QStringLiteral("加载已取消: 已发送 %1 步, 未发送 %2 步")
                .arg(out.results.size() - out.count(Status::NotSent))
                .arg(out.count(Status::NotSent)));
        // What was not sent, per device and step kind, so the user knows what to redo.
        for (int d = 0; d < plans.size(); ++d) {
            QStringList ops;
            for (const StepResult& r : out.results) {
                if (r.device != d || r.status != Status::NotSent)
                    continue;
                const QString op = opsOf(r.step.request);
                if (!ops.contains(op))
                    ops << op;
            }
            if (!ops.isEmpty())
                say(QStringLiteral("未发送 : %1 %2").arg(plans[d].name, ops.join(QStringLiteral(", "))));
        }
    }
    out.ms = clock.elapsed();
    say(QStringLiteral("总耗时%1ms").arg(out.ms));
    const int failed = out.count(Status::Refused) + out.count(Status::NoAnswer);
    if (failed == 0 && !out.cancelled)
        say(QStringLiteral("加载成功"));
    else if (failed > 0)
        say(QStringLiteral("加载完成, %1 步失败").arg(failed));
    return out;
}
