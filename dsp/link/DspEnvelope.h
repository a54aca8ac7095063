#pragma once
#include <QJsonObject>
#include <QString>

/// The texts in which the processor dialog's requests leave: over TCP with the device identifier in front,
/// over UDP as the compact object.
namespace DspEnvelope {

/// `request` (one compact JSON object) with {"devId": devId} put in front: the identifier is always the first
/// key, followed by ", " and the request's own keys. {"ops":"setMute"} for "A1" gives
/// {"devId":"A1", "ops":"setMute"}. An empty request object gives just {"devId":"A1"}.
QString tcp(const QString& devId, const QString& request);

/// The compact text of `request` (keys in ascending order, as QJsonObject keeps them).
QString udp(const QJsonObject& request);

/// True for the polled requests that are sent several times a second and therefore not logged.
bool isPolledQuiet(const QString& text);

} // namespace DspEnvelope
