#pragma once
#include "NetworkObserver.h"

#include <QHash>
#include <QJsonObject>
#include <QPair>

/// Prints each notification and forwarded message as one compact JSON line.
class WatchPrinter : public NetworkObserver
{
public:
    void recvAddDev(const QString& devId) override;
    void recvUpdateDev(const QString& devId) override;
    void recvDelDev(const QString& devId) override;
    void recvAddMcast(const QString& dstIp) override;
    void recvDelMcast(uint32_t dstIp) override;
    void recvRefreshRoute() override;
    void recvBackData(const QString& msg) override;
    void recvMessage(const QString& msg) override;
    void recvBlinkingDev(const QString& devId) override;
    void recvUnBlinkingDev(const QString& devId) override;

private:
    void print(const QJsonObject& line);
    QJsonObject devEvent(const char* event, const QString& devId);

    /// Name and address of each listed device: by "delDev" time the registry slot is free.
    QHash<QString, QPair<QString, QString>> m_known;
};
