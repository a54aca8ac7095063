#include "CtlDesign.h"

#include "CtlExit.h"
#include "CtlOutput.h"
#include "OfflineData.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString channelList(const QVector<int>& zeroBased)
{
    QStringList out;
    for (int c : zeroBased)
        out.append(QString::number(c + 1));
    return out.join(QLatin1Char(','));
}

QJsonObject end(const QString& devId, int zeroBasedChannel)
{
    return QJsonObject{{QStringLiteral("devId"), devId}, {QStringLiteral("channel"), zeroBasedChannel + 1}};
}

} // namespace

namespace CtlDesign {

bool load(const QString& path, OfflineData* data, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // One byte past the limit rather than the size: a pipe has none.
    const QByteArray text = file.read(OfflineData::MaxDocumentBytes + 1);
    if (text.size() > OfflineData::MaxDocumentBytes) {
        *error = QStringLiteral("%1 is larger than %2 MiB").arg(path).arg(OfflineData::MaxDocumentBytes >> 20);
        return false;
    }
    QString why;
    if (!data->loadFromText(text, {}, &why)) {
        *error = QStringLiteral("%1 is not a design: %2").arg(path, why);
        return false;
    }
    if (!why.isEmpty())
        CtlOutput::fail(path + QStringLiteral(": ") + why);
    return true;
}

QByteArray showText(const OfflineData& data, bool json)
{
    QJsonArray devices;
    QJsonArray routes;
    QJsonArray streams;
    QStringList devLines;
    QStringList routeLines;
    QStringList streamLines;
    data.withLock([&](const OfflineData::DeviceList& list, const QVector<OfflineMcast>& mcasts) {
        for (const auto& d : list) {
            const OfflineDevDetail& det = d->detail();
            devices.append(QJsonObject{{QStringLiteral("devId"), det.devId},
                                       {QStringLiteral("name"), det.devName},
                                       {QStringLiteral("model"), det.model},
                                       {QStringLiteral("chNumRx"), det.chNumRx},
                                       {QStringLiteral("chNumTx"), det.chNumTx},
                                       {QStringLiteral("phyChNumRx"), det.phyChNumRx},
                                       {QStringLiteral("phyChNumTx"), det.phyChNumTx}});
            devLines.append(QStringLiteral("  %1  \"%2\"  %3  rx %4  tx %5  phyRx %6  phyTx %7")
                                .arg(det.devId, det.devName, det.model)
                                .arg(det.chNumRx)
                                .arg(det.chNumTx)
                                .arg(det.phyChNumRx)
                                .arg(det.phyChNumTx));
            for (const OfflineUcastRoute& r : d->ucastRoutes()) {
                routes.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("unicast")},
                                          {QStringLiteral("sender"), end(r.srcDevId, r.srcChId)},
                                          {QStringLiteral("receiver"), end(det.devId, r.dstChId)}});
                routeLines.append(QStringLiteral("  %1:%2 -> %3:%4  unicast")
                                      .arg(r.srcDevId)
                                      .arg(r.srcChId + 1)
                                      .arg(det.devId)
                                      .arg(r.dstChId + 1));
            }
            for (const OfflineMcastRoute& r : d->mcastRoutes()) {
                routes.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("multicast")},
                                          {QStringLiteral("stream"), r.mcastName},
                                          {QStringLiteral("sender"), end(r.srcDevId, r.srcChId)},
                                          {QStringLiteral("receiver"), end(det.devId, r.dstChId)}});
                routeLines.append(QStringLiteral("  %1:%2 -> %3:%4  stream %5")
                                      .arg(r.srcDevId)
                                      .arg(r.srcChId + 1)
                                      .arg(det.devId)
                                      .arg(r.dstChId + 1)
                                      .arg(r.mcastName));
            }
        }
        for (const OfflineMcast& m : mcasts) {
            QJsonArray channels;
            for (int c : m.srcChannels)
                channels.append(c + 1);
            streams.append(QJsonObject{{QStringLiteral("name"), m.name},
                                       {QStringLiteral("dstIp"), m.dstIp},
                                       {QStringLiteral("dstPort"), m.dstPort},
                                       {QStringLiteral("chNum"), m.chNum},
                                       {QStringLiteral("srcDevId"), m.srcDevId},
                                       {QStringLiteral("channels"), channels}});
            streamLines.append(QStringLiteral("  %1  %2:%3  %4 ch  from %5: %6")
                                   .arg(m.name, m.dstIp)
                                   .arg(m.dstPort)
                                   .arg(m.chNum)
                                   .arg(m.srcDevId, channelList(m.srcChannels)));
        }
    });
    if (json)
        return QJsonDocument(QJsonObject{{QStringLiteral("devices"), devices},
                                         {QStringLiteral("routes"), routes},
                                         {QStringLiteral("streams"), streams}})
            .toJson(QJsonDocument::Indented);
    QString out;
    auto section = [&](const char* title, const QStringList& lines) {
        out += QStringLiteral("%1 (%2)\n").arg(QLatin1String(title)).arg(lines.size());
        for (const QString& l : lines)
            out += l + QLatin1Char('\n');
    };
    section("devices", devLines);
    section("routes", routeLines);
    section("streams", streamLines);
    return out.toUtf8();
}

QString kindName(DesignCheck::Finding::Kind kind)
{
    switch (kind) {
    case DesignCheck::Finding::MissingDevice:
        return QStringLiteral("missingDevice");
    case DesignCheck::Finding::MissingChannel:
        return QStringLiteral("missingChannel");
    case DesignCheck::Finding::MissingStream:
        return QStringLiteral("missingStream");
    case DesignCheck::Finding::SharedAddress:
        return QStringLiteral("sharedAddress");
    case DesignCheck::Finding::OverCapacity:
        return QStringLiteral("overCapacity");
    case DesignCheck::Finding::UnofferedRate:
        return QStringLiteral("unofferedRate");
    }
    return QString();
}

QByteArray checkText(const QVector<DesignCheck::Finding>& findings, bool json)
{
    QByteArray out;
    for (const DesignCheck::Finding& f : findings) {
        if (json)
            out += QJsonDocument(QJsonObject{{QStringLiteral("kind"), kindName(f.kind)},
                                             {QStringLiteral("devId"), f.devId},
                                             {QStringLiteral("text"), f.text}})
                       .toJson(QJsonDocument::Compact);
        else
            out += f.text.toUtf8();
        out += '\n';
    }
    return out;
}

namespace {

int run(const CtlOptions& o, bool check)
{
    OfflineData data;
    QString error;
    if (!load(o.args.value(0), &data, &error)) {
        CtlOutput::fail(error);
        return CtlExit::kUsage;
    }
    if (!check) {
        CtlOutput::write(showText(data, o.json));
        return CtlExit::kOk;
    }
    const QVector<DesignCheck::Finding> findings = DesignCheck::run(data);
    CtlOutput::write(checkText(findings, o.json));
    return findings.isEmpty() ? CtlExit::kOk : CtlExit::kRefused;
}

} // namespace

int runShow(const CtlOptions& options)
{
    return run(options, false);
}

int runCheck(const CtlOptions& options)
{
    return run(options, true);
}

} // namespace CtlDesign
