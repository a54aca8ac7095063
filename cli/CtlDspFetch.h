#pragma once
#include "DevDetail.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class CtlNetwork;
struct CtlOptions;

/// `dsp get`'s road to a device's processor: finds the device on the network, checks that its model has a
/// processor service and fetches the configuration over the processor's TCP link.
class CtlDspFetch
{
public:
    struct Target
    {
        int exitCode = 0; ///< CtlExit code; 0 when found
        QString error;
        DevDetail_t detail;
        uint32_t dspIp = 0; ///< where the processor answers
    };

    /// The device named `text` among `devices`: by devId, by address, then by name (exactly, then ignoring
    /// case; a name several devices share is refused). Then checks that it has a processor with a service.
    static Target resolve(const QVector<DevDetail_t>& devices, const QString& text);

    /// The "config" object of a "getConfig" reply as compact JSON, or false with `error` set and `exitCode` the
    /// CtlExit code: no reply (connection, time-out, broken frame) or a refusal.
    static bool configOf(const QString& reply, QByteArray* config, QString* error, int* exitCode);

    CtlDspFetch(CtlNetwork& net, const CtlOptions& options) : m_net(net), m_options(options) {}

    /// Waits for the device named `text` and fetches its configuration. Returns the exit code; on success
    /// `config` holds the compact "config" object and `target` the device.
    int fetch(const QString& text, QByteArray* config, Target* target);

private:
    CtlNetwork& m_net;
    const CtlOptions& m_options;
};
