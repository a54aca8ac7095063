#include "CChAecItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CChAecItem::clone() const
{
    return new CChAecItem(*this);
}

void CChAecItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    obj.addFlag(QLatin1String("hasAec"), m_hasAec);
    obj.addInt(QLatin1String("aecLevel"), m_aecLevel);
    obj.addFlag(QLatin1String("hasAgc"), m_hasAgc);
    obj.addFlag(QLatin1String("hasAns"), m_hasAns);
    obj.addInt(QLatin1String("ansLevel"), m_ansLevel);
    obj.addInt(QLatin1String("banMask"), m_banMask);
    obj.addInt(QLatin1String("farCh"), m_farCh);
    obj.addFlag(QLatin1String("farFromOut"), m_farCh >= inputCount);
}

void CChAecItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readBool(QLatin1String("hasAec"), &m_hasAec);
    obj.readInt(QLatin1String("aecLevel"), &m_aecLevel);
    obj.readBool(QLatin1String("hasAgc"), &m_hasAgc);
    obj.readBool(QLatin1String("hasAns"), &m_hasAns);
    obj.readInt(QLatin1String("ansLevel"), &m_ansLevel);
    obj.readInt64(QLatin1String("banMask"), &m_banMask);
    obj.readInt(QLatin1String("farCh"), &m_farCh);
}

bool CChAecItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CChAecItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_hasAec = o->m_hasAec;
    m_aecLevel = o->m_aecLevel;
    m_hasAgc = o->m_hasAgc;
    m_hasAns = o->m_hasAns;
    m_ansLevel = o->m_ansLevel;
    m_banMask = o->m_banMask;
    m_farCh = o->m_farCh;
    return true;
}

double CChAecItem::cpuCost() const
{
    return 0.3;
}

QString CChAecItem::describeParams() const
{
    return QStringLiteral("hasAec=%1, aecLevel=%2, hasAgc=%3, hasAns=%4, ansLevel=%5, banMask=%6, farCh=%7")
        .arg(flag(m_hasAec))
        .arg(number(m_aecLevel))
        .arg(flag(m_hasAgc))
        .arg(flag(m_hasAns))
        .arg(number(m_ansLevel))
        .arg(number(m_banMask))
        .arg(number(m_farCh));
}
