#pragma once
#include "CtlOptions.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

class CtlNetwork;

/// `stream create` and `stream delete`: a device's multicast transmit streams with the stream view's checks and
/// requests.
class CtlStreams
{
public:
    CtlStreams(CtlNetwork& net, const CtlOptions& options) : m_net(net), m_options(options) {}

    int create(const QString& device);
    int remove(const QString& device, const QString& name);

    /// The address fields of the creation page for `address`: empty for an automatic address (the view's
    /// default prefix), else its dotted parts (more than four parts leave an out-of-range first field).
    static void addressFields(const QString& address, QString (&ip)[4]);

private:
    /// Waits until the device resolves and the tables and read-outs the checks use are complete; returns its
    /// devId, or empty (with the error printed) when it does not resolve.
    QString settle(const QString& device, bool wantVersion);
    int sendAndConfirm(const QJsonObject& message, const QString& devId, const QString& dstIp, bool creating);

    CtlNetwork& m_net;
    const CtlOptions& m_options;
};
