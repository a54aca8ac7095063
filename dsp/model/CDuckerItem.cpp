#include "CDuckerItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CDuckerItem::clone() const
{
    return new CDuckerItem(*this);
}

void CDuckerItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addNumber(QLatin1String("trigDb"), double(m_trigDb));
    obj.addNumber(QLatin1String("duckDb"), double(m_duckDb));
    obj.addInt(QLatin1String("attackMs"), m_attackMs);
    obj.addInt(QLatin1String("releaseMs"), m_releaseMs);
    obj.addInt(QLatin1String("holdMs"), m_holdMs);
    obj.addInt(QLatin1String("refCh"), m_refCh);
}

void CDuckerItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readFloat(QLatin1String("trigDb"), &m_trigDb);
    obj.readFloat(QLatin1String("duckDb"), &m_duckDb);
    obj.readInt(QLatin1String("attackMs"), &m_attackMs);
    obj.readInt(QLatin1String("releaseMs"), &m_releaseMs);
    obj.readInt(QLatin1String("holdMs"), &m_holdMs);
    obj.readInt(QLatin1String("refCh"), &m_refCh);
}

bool CDuckerItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CDuckerItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_trigDb = o->m_trigDb;
    m_duckDb = o->m_duckDb;
    m_attackMs = o->m_attackMs;
    m_releaseMs = o->m_releaseMs;
    m_holdMs = o->m_holdMs;
    m_refCh = o->m_refCh;
    return true;
}

double CDuckerItem::cpuCost() const
{
    return 0.25;
}

QString CDuckerItem::describeParams() const
{
    return QStringLiteral("trigDb=%1, duckDb=%2, attackMs=%3, releaseMs=%4, holdMs=%5, refCh=%6")
        .arg(number(double(m_trigDb)))
        .arg(number(double(m_duckDb)))
        .arg(number(m_attackMs))
        .arg(number(m_releaseMs))
        .arg(number(m_holdMs))
        .arg(number(m_refCh));
}
