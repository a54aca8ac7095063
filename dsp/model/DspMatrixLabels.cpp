#include "DspMatrixLabels.h"

#include "CDeviceDspData.h"

namespace {

QStringList sideNames(const CDeviceDspData& data, bool input, int count, const QStringList& phy, const QStringList& net)
{
    const int local = input ? data.localInCount() : data.localOutCount();
    const int network = input ? data.netInCount() : data.netOutCount();
    const int extra = input ? data.extraInCount() : data.extraOutCount();
    const QString usb = input ? QStringLiteral("USB-In-%1") : QStringLiteral("USB-Out-%1");
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const CChainChannel* ch = data.channel(input, i);
        QString name =
            ch != nullptr
                ? ch->name()
                : QStringLiteral("%1_%2").arg(input ? QStringLiteral("input") : QStringLiteral("output")).arg(i + 1);
        if (i < local)
            name = phy.value(i, name);
        else if (i < local + network)
            name = net.value(i - local, name);
        else if (i < local + network + extra)
            name = usb.arg(i - local - network + 1);
        out << name;
    }
    return out;
}

} // namespace

QStringList DspMatrixLabels::rows(const CDeviceDspData& data, const QStringList& phyNames, const QStringList& netNames)
{
    const int rows = data.matrix() != nullptr ? data.matrix()->rows() : data.matrixRows();
    const int inputs = qMin(rows, data.dspInputCount());
    QStringList out = sideNames(data, true, inputs, phyNames, netNames);
    for (int i = 0; i < data.aecChannelCount() && out.size() < rows; ++i)
        out << QStringLiteral("AEC-%1").arg(i + 1);
    for (int i = 0; i < data.automixerChannelCount() && out.size() < rows; ++i)
        out << QStringLiteral("AutoMixer-%1").arg(i + 1);
    while (out.size() < rows)
        out << QString::number(out.size() + 1);
    return out;
}

QStringList DspMatrixLabels::columns(const CDeviceDspData& data, const QStringList& phyNames,
                                     const QStringList& netNames)
{
    const int columns = data.matrix() != nullptr ? data.matrix()->columns() : data.matrixColumns();
    return sideNames(data, false, columns, phyNames, netNames);
}
