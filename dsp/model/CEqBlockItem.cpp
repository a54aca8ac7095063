#include "CEqBlockItem.h"
#include "BlockPosition.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

#include <QJsonObject>
#include <QStringList>

using namespace DspJsonText;

namespace {

// Third-octave centre frequencies from 20 Hz to 20 kHz.
const double kThirdOctave[] = {20,   25.2, 31.7, 40,   50.4, 63.5,  80,    101,   127,  160,  202,
                               254,  320,  403,  508,  640,  806,   1000,  1280,  1600, 2000, 2560,
                               3200, 4000, 5100, 6450, 8100, 10200, 12900, 16200, 20000};
constexpr int kTableSize = int(sizeof(kThirdOctave) / sizeof(kThirdOctave[0]));

} // namespace

CEqBlockItem::CEqBlockItem(int bandCount) : CBaseItem(KindEq)
{
    const int n = qBound(0, bandCount, MaxBandCount);
    m_bands.resize(n);
    for (int i = 0; i < n; ++i)
        m_bands[i].setFreq0(defaultBandFrequency(i, n));
}

double CEqBlockItem::defaultBandFrequency(int index, int bandCount)
{
    if (bandCount <= 0 || index < 0 || index >= bandCount)
        return CEqItem().freq0();
    // Whole table steps, so that a 10-band block gets every second entry from 31.7 Hz on; past 30 bands the step
    // would be 0 and every band 20 Hz, so such blocks spread over the table instead.
    const int step = kTableSize / (bandCount + 1);
    const int entry = step > 0 ? (index + 1) * step : int((qint64(index) + 1) * kTableSize / (qint64(bandCount) + 1));
    return kThirdOctave[qBound(0, entry, kTableSize - 1)];
}

CEqItem* CEqBlockItem::band(int index)
{
    return index >= 0 && index < m_bands.size() ? &m_bands[index] : nullptr;
}

const CEqItem* CEqBlockItem::band(int index) const
{
    return index >= 0 && index < m_bands.size() ? &m_bands[index] : nullptr;
}

CBaseItem* CEqBlockItem::clone() const
{
    return new CEqBlockItem(*this);
}

void CEqBlockItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    DspJsonWriter bands(DspJsonWriter::ArrayKind);
    DspJsonWriter bypasses(DspJsonWriter::ArrayKind);
    for (const CEqItem& b : m_bands) {
        DspJsonWriter band;
        b.writeTo(band);
        bands.appendRaw(band.finish());
        bypasses.appendFlag(b.isBypass());
    }
    obj.addRaw(QLatin1String("eqArr"), bands.finish());
    obj.addRaw(QLatin1String("bypassArr"), bypasses.finish());
}

void CEqBlockItem::readParamsFrom(const DspJsonValue& obj)
{
    const DspJsonValue bands = obj[QLatin1String("eqArr")];
    if (!bands.isArray())
        return;
    const int n = qMin(bands.size(), int(MaxBandCount));
    m_bands = QVector<CEqItem>(n);
    DspJsonValue band = bands.first();
    DspJsonValue bypass = obj[QLatin1String("bypassArr")].first();
    for (int i = 0; i < n; ++i) {
        m_bands[i].readFrom(band);
        bool off = false;
        bypass.toBool(&off);
        m_bands[i].setBypass(off);
        band = band.next();
        bypass = bypass.next();
    }
}

bool CEqBlockItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CEqBlockItem*>(&other);
    if (!o || o->m_bands.size() != m_bands.size())
        return false;
    copyBaseFrom(other);
    m_bands = o->m_bands;
    return true;
}

double CEqBlockItem::cpuCost() const
{
    return 0.23 * m_bands.size();
}

QString CEqBlockItem::describeParams() const
{
    QStringList parts;
    for (const CEqItem& b : m_bands)
        parts.append(b.describe());
    return QStringLiteral("bandNum=%1, bands=[%2]").arg(m_bands.size()).arg(parts.join(QStringLiteral(", ")));
}

QJsonObject CEqBlockItem::setBorderEqRequest(const BlockPosition& pos, int index) const
{
    const CEqItem* b = band(index);
    if (b == nullptr)
        return QJsonObject();
    QJsonObject req = requestHead(pos, QStringLiteral("setBorderEq"));
    req.insert(QStringLiteral("eqIndex"), QString::number(index));
    req.insert(QStringLiteral("obj"), b->toJson());
    return req;
}

QJsonObject CEqBlockItem::setBorderEqBypassRequest(const BlockPosition& pos, int index, bool bypass) const
{
    if (band(index) == nullptr)
        return QJsonObject();
    QJsonObject req = requestHead(pos, QStringLiteral("setBorderEqBypass"));
    req.insert(QStringLiteral("eqIndex"), QString::number(index));
    req.insert(QStringLiteral("val"), bypass ? QStringLiteral("1") : QStringLiteral("0"));
    return req;
}
