#pragma once
#include "DevDetail.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

/// The requests of a device's test page that leave for its factory service, and how their answers are judged:
/// SSH start, factory reset (refused while any lock is set), CPU frequency, the UDP tool's checks and the
/// information panel's figures. No widgets, no sockets.
namespace ServiceRequests {

/// The factory service and the second amplifier module.
constexpr quint16 kFactoryPort = 12000;
constexpr quint16 kModulePort = 12002;

/// "hostname=<address> startSsh".
QByteArray sshRequest(const QString& address);
/// The answer "startSsh ok" (anywhere in the text) means the service started.
bool sshStarted(const QString& answer);

/// Firmware before this takes the reset only in its older spelling, so both are sent.
QString oldResetSpellingBefore();
/// True when any lock of the device (routes, settings, processor) is set: a reset must not go out.
bool anyLockSet(const DevDetail_t& detail);
/// The reset requests for `firmware`, in the order to send them: {"ops":"resetFactory"} and, for older
/// firmware, {"ops":"resetFacotry"}.
QVector<QByteArray> resetRequests(const QString& firmware);
/// A reset answer containing "succ" means the device took it.
bool resetSucceeded(const QString& answer);

/// The CPU frequency choices: "Default", then kHz.
QStringList cpuChoices();
/// The "setOemData" message for choice `index` of cpuChoices(); "Default" stores "0" (the device's own).
QJsonObject cpuSetMessage(int index, const QString& devId);
QJsonObject cpuGetMessage(const QString& devId);
/// The choice index of a stored "cpuKHz" value; 0 (Default) for "0", empty or unknown values.
int cpuChoiceOf(const QString& val);

/// The second amplifier module's figures, asked on kModulePort. The tag keeps the answer to the test page: the
/// levels page reads the first module's answers of the same name.
QByteArray moduleRequest();
QString moduleTag();
/// The figures of a module's answer as one line ("4 ch, power 2/4, steps 20/26/32/38 dB"); empty when the answer
/// is not this page's or holds nothing readable. Counts are bounded: a module has at most 64 channels.
QString moduleSummary(const QJsonObject& reply);

/// "%1:%2:%3" hours, minutes, seconds of an "uptime" in seconds; "-" when it is no number of seconds.
QString uptimeText(const QString& uptime);
/// A temperature in millidegrees as "41.5 °C"; "-" when unreadable.
QString temperatureText(const QString& milli);

/// The UDP tool's request: what to send, or an error for the user.
struct UdpToolRequest
{
    QString error;
    QByteArray bytes;
    quint32 ip = 0;
    quint16 port = 0;
};
/// Longest text the UDP tool sends.
constexpr int kMaxUdpToolBytes = 2047;
/// Checks the fields; a JSON object without "devId" gets the device-id field's text, any other text goes as it is.
UdpToolRequest udpToolRequest(const QString& ip, const QString& port, const QString& devId, const QString& text);

} // namespace ServiceRequests
