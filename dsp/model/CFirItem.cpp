#include "CFirItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"
#include "FirCoefficientReader.h"

#include <QDebug>

#include <QJsonArray>
#include <QJsonDocument>

using namespace DspJsonText;

int CFirItem::taps() const
{
    return m_firType == Custom ? m_arrLength : m_taps;
}

bool CFirItem::setArr(const QString& jsonArrayText)
{
    if (jsonArrayText.isEmpty()) {
        m_arr.clear();
        m_arrLength = 0;
        return true;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(jsonArrayText.toUtf8());
    if (!doc.isArray())
        return false;
    m_arr = QString::fromUtf8(doc.toJson(QJsonDocument::Compact));
    m_arrLength = doc.array().size();
    return true;
}

CBaseItem* CFirItem::clone() const
{
    return new CFirItem(*this);
}

void CFirItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addInt(QLatin1String("firType"), m_firType);
    obj.addInt(QLatin1String("winType"), m_winType);
    obj.addInt(QLatin1String("attDb"), m_attDb);
    obj.addInt(QLatin1String("taps"), taps());
    obj.addInt(QLatin1String("maxTaps"), m_maxTaps);
    double freq0 = m_freq0;
    double freq1 = m_freq1;
    switch (m_firType) {
    case LowPass:
        freq0 = m_freq1;
        freq1 = OpenUpperEdge;
        break;
    case HighPass:
        freq1 = OpenUpperEdge;
        break;
    case BandPass:
        // The device needs a pass band of some width.
        if (!(m_freq0 + 0.01 < m_freq1))
            freq1 = m_freq1 + 0.1;
        break;
    default:
        break;
    }
    obj.addNumber(QLatin1String("freq0"), freq0);
    obj.addNumber(QLatin1String("freq1"), freq1);
    obj.addRaw(QLatin1String("arr"), m_firType == Custom && !m_arr.isEmpty() ? m_arr.toUtf8() : QByteArray("[]"));
}

void CFirItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readInt(QLatin1String("maxTaps"), &m_maxTaps);
    obj.readInt(QLatin1String("firType"), &m_firType);
    if (m_firType == Custom) {
        const DspJsonValue arr = obj[QLatin1String("arr")];
        // No device filter has more taps than a coefficient file may give; more is a broken or hostile message.
        const bool tooMany = arr.size() > FirCoefficientReader::kMaxCount;
        if (tooMany)
            qWarning().noquote() << "dsp config: FIR with" << arr.size() << "coefficients, more than"
                                 << FirCoefficientReader::kMaxCount << "; none read";
        if (tooMany || !arr.isArray() || arr.size() == 0 || !setArr(QString::fromUtf8(arr.rawJson()))) {
            m_arr.clear();
            m_arrLength = 0;
        }
        m_taps = m_arrLength;
        return;
    }
    obj.readInt(QLatin1String("winType"), &m_winType);
    obj.readInt(QLatin1String("attDb"), &m_attDb);
    obj.readInt(QLatin1String("taps"), &m_taps);
    double f0 = 0;
    double f1 = 0;
    const bool hasF0 = obj.readDouble(QLatin1String("freq0"), &f0);
    const bool hasF1 = obj.readDouble(QLatin1String("freq1"), &f1);
    switch (m_firType) {
    case LowPass:
        m_freq0 = LowPassLowerEdge;
        if (hasF0)
            m_freq1 = f0;
        break;
    case HighPass:
        if (hasF0)
            m_freq0 = f0;
        m_freq1 = OpenUpperEdge;
        break;
    default:
        if (hasF0)
            m_freq0 = f0;
        if (hasF1)
            m_freq1 = f1;
        break;
    }
}

bool CFirItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CFirItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_firType = o->m_firType;
    m_winType = o->m_winType;
    m_attDb = o->m_attDb;
    m_taps = o->m_taps;
    m_maxTaps = o->m_maxTaps;
    m_freq0 = o->m_freq0;
    m_freq1 = o->m_freq1;
    m_arr = o->m_arr;
    m_arrLength = o->m_arrLength;
    return true;
}

double CFirItem::cpuCost() const
{
    return qMax(0, m_maxTaps) * 16.0 / 512.0;
}

QString CFirItem::describeParams() const
{
    return QStringLiteral("firType=%1, winType=%2, attDb=%3, taps=%4, maxTaps=%5, freq0=%6, freq1=%7, arrLen=%8")
        .arg(number(m_firType), number(m_winType), number(m_attDb), number(taps()), number(m_maxTaps), number(m_freq0),
             number(m_freq1), number(m_arrLength));
}
