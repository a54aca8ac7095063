#include "CDynamicsItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

void CDynamicsItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addNumber(QLatin1String("trigDb"), m_trigDb);
    obj.addNumber(QLatin1String("ratio"), m_ratio);
    obj.addInt(QLatin1String("attackMs"), m_attackMs);
    obj.addInt(QLatin1String("releaseMs"), m_releaseMs);
    obj.addInt(QLatin1String("kneeDb"), 0); // the device takes no knee
}

void CDynamicsItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readDouble(QLatin1String("trigDb"), &m_trigDb);
    obj.readDouble(QLatin1String("ratio"), &m_ratio);
    obj.readInt(QLatin1String("attackMs"), &m_attackMs);
    obj.readInt(QLatin1String("releaseMs"), &m_releaseMs);
    obj.readInt(QLatin1String("kneeDb"), &m_kneeDb);
}

bool CDynamicsItem::copyParamsFrom(const CBaseItem& other)
{
    if (other.kind() != kind())
        return false;
    const auto* o = static_cast<const CDynamicsItem*>(&other);
    copyBaseFrom(other);
    m_trigDb = o->m_trigDb;
    m_ratio = o->m_ratio;
    m_attackMs = o->m_attackMs;
    m_releaseMs = o->m_releaseMs;
    m_kneeDb = o->m_kneeDb;
    return true;
}

QString CDynamicsItem::describeParams() const
{
    return QStringLiteral("trigDb=%1, ratio=%2, attackMs=%3, releaseMs=%4, kneeDb=%5")
        .arg(number(m_trigDb))
        .arg(number(m_ratio))
        .arg(number(m_attackMs))
        .arg(number(m_releaseMs))
        .arg(number(m_kneeDb));
}
