#include "CDelayItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CDelayItem::clone() const
{
    return new CDelayItem(*this);
}

void CDelayItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addInt(QLatin1String("delayNum"), m_delayNum);
    obj.addInt(QLatin1String("maxNum"), m_maxNum);
}

void CDelayItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readInt(QLatin1String("delayNum"), &m_delayNum);
    obj.readInt(QLatin1String("maxNum"), &m_maxNum);
}

bool CDelayItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CDelayItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_delayNum = o->m_delayNum;
    m_maxNum = o->m_maxNum;
    return true;
}

double CDelayItem::cpuCost() const
{
    return 0.22;
}

QString CDelayItem::describeParams() const
{
    return QStringLiteral("delayNum=%1, maxNum=%2").arg(number(m_delayNum)).arg(number(m_maxNum));
}
