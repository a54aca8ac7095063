#include "TestDevice.h"

#include "DevDetailStore.h"
#include "ModelTable.h"

#include <QHostAddress>

QString TestDevice::ipText() const
{
    return QHostAddress(listed ? ip : answerIp).toString();
}

QString TestDevice::label() const
{
    // What the answer said of the board and its firmware tells the line which unit is on the bench.
    QString tail = boardModel;
    if (!firmware.isEmpty())
        tail += (tail.isEmpty() ? QString() : QStringLiteral(" ")) + firmware;
    const QString head = listed ? QStringLiteral("%1 (%2) %3").arg(name, devId, ipText())
                                : QStringLiteral("%1 %2").arg(hostname, ipText());
    return tail.isEmpty() ? head : head + QStringLiteral(" ") + tail;
}

TestDevice TestDevice::resolve(const TestProbeAnswer::Answer& answer, const DevDetailStore& store,
                               const ModelTable& models)
{
    TestDevice d;
    d.hostname = answer.hostname;
    d.boardModel = answer.boardModel;
    d.firmware = answer.firmware;
    d.answerIp = answer.ip;

    DevDetail_t detail;
    if (store.containsDevId(answer.hostname))
        detail = store.getDevDetail(answer.hostname);
    if (detail.isEmpty()) {
        const QString main = models.secondaryUnitDevId(answer.hostname);
        if (!main.isEmpty() && store.containsDevId(main))
            detail = store.getDevDetail(main);
    }
    if (detail.isEmpty())
        detail = store.getDevDetailByIp(answer.ip);
    if (detail.isEmpty() || detail.port <= 0 || detail.port > 65535)
        return d;

    d.listed = true;
    d.devId = detail.devId;
    d.name = detail.name;
    d.ip = detail.ip;
    d.port = quint16(detail.port);
    d.phyInputs = detail.phyRxChNames.size();
    d.phyOutputs = detail.phyTxChNames.size();
    d.netInputs = detail.rxChNames.size();
    d.netOutputs = detail.txChNames.size();
    d.active = detail.canWork;
    d.amplifier = models.isAmplifier(detail.model);
    if (d.boardModel.isEmpty())
        d.boardModel = detail.model;
    if (d.firmware.isEmpty())
        d.firmware = detail.firmwareVersion;
    return d;
}
