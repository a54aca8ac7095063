#include "CtlRoutes.h"

#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOutput.h"
#include "CtlReply.h"
#include "CtlSend.h"
#include "CtlTargets.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "RegistryRouteSource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace {

// Devices announce about once a second: names are only known to be unique after hearing everyone once.
const int kMinListenMs = 1200;

QJsonObject end(const MatrixAxis& axis, const QString& id, int channel)
{
    const int pos = axis.indexOf(id, channel);
    const int head = axis.headerOf(id);
    return QJsonObject{{"id", id},
                       {"name", head >= 0 ? axis.at(head).name : QString()},
                       {"channel", channel},
                       {"channelName", pos >= 0 ? axis.at(pos).secondName : QString()}};
}

QString endText(const MatrixAxis& axis, const QString& id, int channel)
{
    const int pos = axis.indexOf(id, channel);
    return pos >= 0 ? axis.label(pos) : QStringLiteral("%1:%2").arg(id).arg(channel);
}

QString cellText(const CtlRoutes::Snapshot& s, const RouteFacts::Cell& c)
{
    return QStringLiteral("%1 -> %2")
        .arg(endText(s.rows, c.sendId, c.sendChannel), endText(s.cols, c.recvId, c.recvChannel));
}

} // namespace

CtlRoutes::Snapshot CtlRoutes::snapshot()
{
    Snapshot s;
    RegistryRouteSource source;
    source.buildAxes(&s.rows, &s.cols);
    QSet<QPair<QString, QString>> pairs;
    source.collectRoutes(&s.routes, &pairs);
    // Column order, as the matrix shows the receivers.
    std::stable_sort(s.routes.begin(), s.routes.end(), [&s](const RouteEntry& a, const RouteEntry& b) {
        return s.cols.indexOf(a.recvId, a.recvChannel) < s.cols.indexOf(b.recvId, b.recvChannel);
    });
    return s;
}

QJsonObject CtlRoutes::routeJson(const Snapshot& s, const RouteEntry& route)
{
    const int head = s.rows.headerOf(route.sendId);
    const bool multicast = head >= 0 && s.rows.at(head).multicast;
    return QJsonObject{{"kind", multicast ? "multicast" : "unicast"},
                       {"sender", end(s.rows, route.sendId, route.sendChannel)},
                       {"receiver", end(s.cols, route.recvId, route.recvChannel)}};
}

QString CtlRoutes::routeText(const Snapshot& s, const RouteEntry& route)
{
    const int head = s.rows.headerOf(route.sendId);
    const bool multicast = head >= 0 && s.rows.at(head).multicast;
    return QStringLiteral("%1 -> %2 (%3; %4:%5 -> %6:%7)")
        .arg(endText(s.rows, route.sendId, route.sendChannel), endText(s.cols, route.recvId, route.recvChannel),
             multicast ? QStringLiteral("multicast stream") : QStringLiteral("unicast"), route.sendId)
        .arg(route.sendChannel)
        .arg(route.recvId)
        .arg(route.recvChannel);
}

const RouteEntry* CtlRoutes::routeInto(const Snapshot& s, const QString& recvId, int recvChannel)
{
    for (const RouteEntry& r : s.routes) {
        if (r.recvId == recvId && r.recvChannel == recvChannel)
            return &r;
    }
    return nullptr;
}

bool CtlRoutes::tablesComplete(const QStringList& devIds) const
{
    for (const QString& id : devIds) {
        const QByteArray raw = id.toUtf8();
        const DevRecord* rec = findDevById(raw.constData());
        if (rec == nullptr || !dvm_tablesComplete(rec))
            return false;
    }
    return true;
}

void CtlRoutes::settle(const QStringList& senders, const QStringList& receivers)
{
    const int minListen = qMin(kMinListenMs, m_options.discoveryMs());
    m_net.waitFor(
        [&]() {
            if (m_net.elapsedMs() < minListen || m_net.nameReadOutsEnded() < m_net.listedDevices())
                return false;
            const Snapshot s = snapshot();
            QStringList ids;
            for (const QString& sender : senders) {
                const CtlTargets::Result r = CtlTargets::channel(s.rows, sender);
                if (!r.ok())
                    return false;
                if (!s.rows.at(r.position).multicast)
                    ids << s.rows.at(r.position).id;
            }
            for (const QString& receiver : receivers) {
                const CtlTargets::Result r = CtlTargets::channel(s.cols, receiver, true);
                if (!r.ok())
                    return false;
                ids << s.cols.at(r.position).id;
            }
            return tablesComplete(ids);
        },
        m_options.discoveryMs());
}

int CtlRoutes::list()
{
    m_net.waitFor([]() { return false; }, m_options.discoveryMs());
    m_net.waitFor(
        [&]() {
            QStringList ids;
            for (const DevDetail_t& d : m_net.store().devDetails())
                ids << d.devId;
            return m_net.nameReadOutsEnded() >= m_net.listedDevices() && tablesComplete(ids);
        },
        m_options.timeoutMs);
    const Snapshot s = snapshot();
    if (m_options.json) {
        QJsonArray out;
        for (const RouteEntry& r : s.routes)
            out.append(routeJson(s, r));
        CtlOutput::write(QJsonDocument(out).toJson(QJsonDocument::Compact) + '\n');
    } else {
        QByteArray text;
        for (const RouteEntry& r : s.routes)
            text += routeText(s, r).toUtf8() + '\n';
        CtlOutput::write(text);
    }
    return CtlExit::kOk;
}

int CtlRoutes::add(const QString& sender, const QString& receiver)
{
    settle({sender}, {receiver});
    const Snapshot s = snapshot();
    const CtlTargets::Result from = CtlTargets::channel(s.rows, sender);
    const CtlTargets::Result to = CtlTargets::channel(s.cols, receiver, true);
    if (!from.ok() || !to.ok()) {
        CtlOutput::fail(!from.ok() ? QStringLiteral("sender: ") + from.error : QStringLiteral("receiver: ") + to.error);
        return CtlExit::kUnknown;
    }
    RouteFacts::Cell cell;
    const AxisItem& ri = s.rows.at(from.position);
    const AxisItem& ci = s.cols.at(to.position);
    cell.multicast = ri.multicast;
    cell.sendId = ri.id;
    cell.sendChannel = ri.channel;
    cell.recvId = ci.id;
    cell.recvChannel = ci.channel;
    const RouteEntry* now = routeInto(s, ci.id, ci.channel);
    if (now && now->sendId == ri.id && now->sendChannel == ri.channel) {
        // A second click would remove it: the command line adds only.
        CtlOutput::result(m_options.json,
                          QJsonObject{{"ops", "route add"}, {"route", routeJson(s, *now)}, {"changed", false}},
                          QStringLiteral("already routed: %1; nothing sent").arg(routeText(s, *now)));
        return CtlExit::kOk;
    }
    return change(cell, true);
}

int CtlRoutes::remove(const QString& receiver)
{
    settle({}, {receiver});
    const Snapshot s = snapshot();
    const CtlTargets::Result to = CtlTargets::channel(s.cols, receiver, true);
    if (!to.ok()) {
        CtlOutput::fail(QStringLiteral("receiver: ") + to.error);
        return CtlExit::kUnknown;
    }
    const AxisItem& ci = s.cols.at(to.position);
    const RouteEntry* now = routeInto(s, ci.id, ci.channel);
    if (now == nullptr) {
        const QByteArray id = ci.id.toUtf8();
        QString label;
        if (RouteFacts::activeSource(findDevById(id.constData()), ci.channel - 1, m_net.store(), &label)) {
            // The matrix shows no cell for a source that is not on the network, so it offers no way to clear it.
            CtlOutput::fail(QStringLiteral("%1 is fed by a source that is not on the network; nothing sent")
                                .arg(s.cols.label(to.position)));
            return CtlExit::kRefused;
        }
        CtlOutput::result(
            m_options.json,
            QJsonObject{{"ops", "route remove"}, {"receiver", end(s.cols, ci.id, ci.channel)}, {"changed", false}},
            QStringLiteral("no route into %1; nothing sent").arg(s.cols.label(to.position)));
        return CtlExit::kOk;
    }
    RouteFacts::Cell cell;
    const int head = s.rows.headerOf(now->sendId);
    cell.multicast = head >= 0 && s.rows.at(head).multicast;
    cell.sendId = now->sendId;
    cell.sendChannel = now->sendChannel;
    cell.recvId = ci.id;
    cell.recvChannel = ci.channel;
    cell.routed = true;
    return change(cell, false);
}

bool CtlRoutes::showsChange(const RouteFacts::Cell& cell, bool adding) const
{
    if (!tablesComplete({cell.recvId}))
        return false;
    const Snapshot s = snapshot();
    const RouteEntry* now = routeInto(s, cell.recvId, cell.recvChannel);
    if (adding)
        return now && now->sendId == cell.sendId && now->sendChannel == cell.sendChannel;
    QString label;
    const QByteArray id = cell.recvId.toUtf8();
    return !RouteFacts::activeSource(findDevById(id.constData()), cell.recvChannel - 1, m_net.store(), &label);
}

int CtlRoutes::change(const RouteFacts::Cell& cell, bool adding)
{
    const Snapshot s = snapshot();
    const QString what = cellText(s, cell);
    const QString command = adding ? QStringLiteral("route add") : QStringLiteral("route remove");
    const RouteFacts::Gathered g = RouteFacts::gather(cell, m_options.chinese, m_net.store());
    const RouteClickChecks::Plan plan = RouteClickChecks::plan(g.facts);
    QJsonArray accepted;
    for (const RouteClickChecks::Step& step : plan.steps) {
        if (step.kind == RouteClickChecks::Step::Inform) {
            CtlOutput::result(m_options.json, QJsonObject{{"ops", command}, {"refused", step.text}}, QString());
            CtlOutput::fail(QStringLiteral("%1: %2").arg(what, step.text));
            return CtlExit::kRefused;
        }
        if (!m_options.yes && !m_options.dryRun) {
            CtlOutput::result(m_options.json, QJsonObject{{"ops", command}, {"question", step.text}}, QString());
            CtlOutput::fail(QStringLiteral("%1: %2 (give --yes to answer yes)").arg(what, step.text));
            return CtlExit::kRefused;
        }
        accepted.append(step.text);
    }
    if (!plan.sends()) {
        CtlOutput::fail(QStringLiteral("%1: the sender or the receiver is no longer on the network").arg(what));
        return CtlExit::kUnknown;
    }
    const QString request = RouteFacts::request(cell, g, plan.request);
    uint32_t ip = 0;
    uint16_t port = 0;
    const int fromMessage = m_net.messages().size();
    const int fromTip = m_net.tips().size();
    if (!m_net.sendToDevice(request, cell.recvId, &ip, &port, m_options.dryRun)) {
        CtlOutput::fail(QStringLiteral("%1: the receiver has no usable command port").arg(what));
        return CtlExit::kUsage;
    }
    const QJsonObject requestJson = QJsonDocument::fromJson(request.toUtf8()).object();
    if (m_options.dryRun) {
        QString text = QStringLiteral("would send to %1:%2: %3").arg(dvm_ipToString(ip)).arg(port).arg(request);
        for (const QJsonValue& q : accepted)
            text += QStringLiteral("\n  after the question: ") + q.toString();
        CtlOutput::result(m_options.json,
                          QJsonObject{{"dryRun", true},
                                      {"ip", dvm_ipToString(ip)},
                                      {"port", port},
                                      {"request", requestJson},
                                      {"questions", accepted}},
                          text);
        return CtlExit::kOk;
    }

    const QString ops = requestJson.value(QStringLiteral("ops")).toString();
    const bool tipsRefuse = plan.request != RouteClickChecks::Request::ClrRxCh;
    int reply = -1;
    const bool answered = m_net.waitFor(
        [&]() {
            reply = CtlSend::findReply(m_net.messages(), fromMessage, ops, cell.recvId);
            return reply >= 0 || (tipsRefuse && m_net.tips().size() > fromTip);
        },
        m_options.timeoutMs);
    if (!answered) {
        CtlOutput::fail(QStringLiteral("%1: no reply from %2 within %3 s")
                            .arg(what, cell.recvId)
                            .arg(m_options.timeoutMs / 1000.0));
        return CtlExit::kNoReply;
    }
    if (reply < 0) {
        const QString tip = m_net.tips().at(fromTip);
        CtlOutput::result(m_options.json, QJsonObject{{"ops", ops}, {"devId", cell.recvId}, {"tip", tip}}, QString());
        CtlOutput::fail(QStringLiteral("%1: %2").arg(what, tip));
        return CtlExit::kRefused;
    }
    const QJsonObject answer = m_net.messages().at(reply);
    if (CtlReply::exitCode(answer) != CtlExit::kOk) {
        const QString text = CtlReply::refusalText(answer, m_options.chinese);
        CtlOutput::result(m_options.json, answer, QString());
        CtlOutput::fail(QStringLiteral("%1: %2").arg(what, text));
        return CtlExit::kRefused;
    }
    // The device notifies the change; the registry then fetches the receiver's tables again.
    const bool shown = m_net.waitFor([&]() { return showsChange(cell, adding); }, m_options.timeoutMs);
    CtlOutput::result(m_options.json,
                      QJsonObject{{"ops", command},
                                  {"changed", true},
                                  {"confirmed", shown},
                                  {"reply", answer},
                                  {"sender", end(s.rows, cell.sendId, cell.sendChannel)},
                                  {"receiver", end(s.cols, cell.recvId, cell.recvChannel)},
                                  {"questions", accepted}},
                      QStringLiteral("%1 %2; %3")
                          .arg(adding ? QStringLiteral("routed") : QStringLiteral("removed"), what,
                               shown ? QStringLiteral("the receiver's tables show it")
                                     : QStringLiteral("the receiver's tables do not show it yet")));
    if (!shown) {
        CtlOutput::fail(QStringLiteral("%1: the device answered, but its tables did not show the change within %2 s")
                            .arg(what)
                            .arg(m_options.timeoutMs / 1000.0));
        return CtlExit::kNoReply;
    }
    return CtlExit::kOk;
}
