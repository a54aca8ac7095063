#include "CtlArchiveText.h"

#include "ArchiveDiff.h"

#include "CtlExit.h"
#include "DevManager.h"
#include "LogRedaction.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(LogRedaction::redacted(o)).toJson(QJsonDocument::Compact));
}

const OfflineDevice* archiveDevice(const std::vector<OfflineDevice>& archive, const QString& devId)
{
    for (const OfflineDevice& d : archive) {
        if (d.detail().devId == devId)
            return &d;
    }
    return nullptr;
}

const OnlineDeviceFacts* onlineDevice(const QVector<OnlineDeviceFacts>& online, const QString& devId)
{
    for (const OnlineDeviceFacts& f : online) {
        if (f.devId == devId)
            return &f;
    }
    return nullptr;
}

/// A reply or failure text on one line, and not endless: a device's reply is untrusted.
QString oneLine(const QString& text)
{
    const int kMax = 300;
    QString t = text;
    t.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return t.size() > kMax ? t.left(kMax) + QStringLiteral("...") : t;
}

/// A device's reply as shown: a password it echoes is masked (failure texts of the loader are not replies).
QString replyLine(const QString& reply)
{
    return oneLine(reply.startsWith(QLatin1Char('{')) ? QString::fromUtf8(LogRedaction::redacted(reply.toUtf8()))
                                                      : reply);
}

} // namespace

QStringList CtlArchiveText::assignment(const std::vector<OfflineDevice>& archive,
                                       const QVector<OnlineDeviceFacts>& online,
                                       const QVector<ArchiveAssignment::Pair>& pairs, bool json)
{
    QStringList out;
    for (const ArchiveAssignment::Pair& p : pairs) {
        const OfflineDevice* a = archiveDevice(archive, p.offlineDevId);
        const QString archiveName = a ? a->detail().devName : QString();
        const OnlineDeviceFacts* o = p.onlineDevId.isEmpty() ? nullptr : onlineDevice(online, p.onlineDevId);
        if (json) {
            QJsonObject line{{QStringLiteral("kind"), QStringLiteral("assign")},
                             {QStringLiteral("offlineDevId"), p.offlineDevId},
                             {QStringLiteral("offlineName"), archiveName},
                             {QStringLiteral("onlineDevId"), o ? o->devId : QString()}};
            if (o) {
                line.insert(QStringLiteral("onlineName"), o->name);
                line.insert(QStringLiteral("ip"), dvm_ipToString(o->ip));
            }
            out << compact(line);
        } else if (o) {
            out << QStringLiteral("assign %1 \"%2\" -> %3 \"%4\" (%5)")
                       .arg(p.offlineDevId, archiveName, o->devId, o->name, dvm_ipToString(o->ip));
        } else {
            out << QStringLiteral("assign %1 \"%2\" -> unassigned (not loaded)").arg(p.offlineDevId, archiveName);
        }
    }
    return out;
}

QStringList CtlArchiveText::preview(const QVector<ArchiveLoadPreview::Entry>& entries, bool json, bool chinese)
{
    QStringList out;
    for (const ArchiveLoadPreview::Entry& e : entries) {
        const QString devId = e.facts.devId;
        if (json) {
            for (const QString& note : e.plan.notes)
                out << compact({{QStringLiteral("kind"), QStringLiteral("note")},
                                {QStringLiteral("devId"), devId},
                                {QStringLiteral("text"), note}});
            if (!e.online)
                out << compact({{QStringLiteral("kind"), QStringLiteral("unread")}, {QStringLiteral("devId"), devId}});
            for (const ArchiveChange& c : e.changes)
                out << compact({{QStringLiteral("kind"), QStringLiteral("change")},
                                {QStringLiteral("devId"), devId},
                                {QStringLiteral("category"), ArchiveCategories::key(c.category)},
                                {QStringLiteral("what"), c.what},
                                {QStringLiteral("online"), c.online},
                                {QStringLiteral("archive"), c.archive}});
            continue;
        }
        out << QStringLiteral("preview %1 \"%2\" <- %3 \"%4\"")
                   .arg(devId, e.facts.name, e.archive.detail().devId, e.archive.detail().devName);
        for (const QString& note : e.plan.notes)
            out << QStringLiteral("  note: ") + note;
        if (!e.online)
            out << QStringLiteral("  could not be read: everything chosen is sent");
        else if (e.changes.isEmpty())
            out << QStringLiteral("  no change");
        else
            out << ArchiveDiff::lines(e.changes, chinese);
    }
    return out;
}

QString CtlArchiveText::statusName(ArchiveLoader::Status status)
{
    switch (status) {
    case ArchiveLoader::Status::Done:
        return QStringLiteral("done");
    case ArchiveLoader::Status::Refused:
        return QStringLiteral("refused");
    case ArchiveLoader::Status::NoAnswer:
        return QStringLiteral("noAnswer");
    case ArchiveLoader::Status::NotSent:
        break;
    }
    return QStringLiteral("notSent");
}

QStringList CtlArchiveText::steps(const QVector<ArchiveLoader::DevicePlan>& plans,
                                  const ArchiveLoader::Outcome& outcome, bool json)
{
    QStringList out;
    for (const ArchiveLoader::StepResult& r : outcome.results) {
        const bool known = r.device >= 0 && r.device < plans.size();
        const QString devId = known ? plans.at(r.device).devId : QString();
        const QString ops = CtlArchiveTransport::opsOf(r.step.request);
        const QString status = statusName(r.status);
        if (json) {
            out << compact({{QStringLiteral("kind"), QStringLiteral("step")},
                            {QStringLiteral("devId"), devId},
                            {QStringLiteral("category"), ArchiveCategories::key(r.step.category)},
                            {QStringLiteral("ops"), ops},
                            {QStringLiteral("request"), QJsonDocument::fromJson(r.step.request.toUtf8()).object()},
                            {QStringLiteral("status"), status},
                            {QStringLiteral("reply"), replyLine(r.reply)}});
            continue;
        }
        QString detail;
        if (r.status == ArchiveLoader::Status::Done)
            detail = r.step.successText;
        else if (r.status != ArchiveLoader::Status::NotSent)
            detail = replyLine(r.reply);
        out << QStringLiteral("step %1 \"%2\" %3: %4%5")
                   .arg(devId, known ? plans.at(r.device).name : QString(), ops, status,
                        detail.isEmpty() ? QString() : QStringLiteral(" ") + detail);
    }
    return out;
}

QString CtlArchiveText::loadSummary(const ArchiveLoader::Outcome& outcome, bool json)
{
    using S = ArchiveLoader::Status;
    if (json)
        return compact({{QStringLiteral("kind"), QStringLiteral("summary")},
                        {QStringLiteral("steps"), outcome.results.size()},
                        {QStringLiteral("done"), outcome.count(S::Done)},
                        {QStringLiteral("refused"), outcome.count(S::Refused)},
                        {QStringLiteral("noAnswer"), outcome.count(S::NoAnswer)},
                        {QStringLiteral("notSent"), outcome.count(S::NotSent)},
                        {QStringLiteral("cancelled"), outcome.cancelled},
                        {QStringLiteral("ms"), double(outcome.ms)}});
    return QStringLiteral("load: %1 steps, %2 done, %3 refused, %4 no answer, %5 not sent, %6 ms%7")
        .arg(outcome.results.size())
        .arg(outcome.count(S::Done))
        .arg(outcome.count(S::Refused))
        .arg(outcome.count(S::NoAnswer))
        .arg(outcome.count(S::NotSent))
        .arg(outcome.ms)
        .arg(outcome.cancelled ? QStringLiteral(" (cancelled)") : QString());
}

QString CtlArchiveText::exportSummary(const QString& path, const ArchiveExporter::Outcome& outcome, bool json)
{
    if (json) {
        QJsonObject o{{QStringLiteral("file"), path},
                      {QStringLiteral("written"), outcome.ok},
                      {QStringLiteral("devices"), outcome.devices},
                      {QStringLiteral("requests"), outcome.requests},
                      {QStringLiteral("failedSteps"), outcome.failedSteps},
                      {QStringLiteral("cancelled"), outcome.cancelled},
                      {QStringLiteral("ms"), double(outcome.ms)}};
        if (!outcome.error.isEmpty())
            o.insert(QStringLiteral("error"), outcome.error);
        return compact(o);
    }
    if (outcome.cancelled)
        return QStringLiteral("export cancelled: %1 not written").arg(path);
    if (!outcome.ok)
        return QStringLiteral("export failed: %1 not written: %2").arg(path, oneLine(outcome.error));
    return QStringLiteral("exported %1: %2 devices, %3 requests, %4 failed steps, %5 ms")
        .arg(path)
        .arg(outcome.devices)
        .arg(outcome.requests)
        .arg(outcome.failedSteps)
        .arg(outcome.ms);
}

int CtlArchiveText::exportExitCode(const ArchiveExporter::Outcome& outcome, const CtlArchiveTransport::Counts& counts)
{
    if (!outcome.ok || outcome.cancelled)
        return CtlExit::kRefused;
    if (counts.unanswered > 0)
        return CtlExit::kNoReply;
    return outcome.failedSteps > 0 || counts.refused > 0 ? CtlExit::kRefused : CtlExit::kOk;
}
