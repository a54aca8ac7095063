#include "CHlpfItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CHlpfItem::clone() const
{
    return new CHlpfItem(*this);
}

void CHlpfItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addFlag(QLatin1String("isHpf"), m_isHpf);
    obj.addInt(QLatin1String("order"), m_order);
    obj.addInt(QLatin1String("type"), m_type);
    obj.addNumber(QLatin1String("freq0"), m_freq0);
}

void CHlpfItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readBool(QLatin1String("isHpf"), &m_isHpf);
    obj.readInt(QLatin1String("order"), &m_order);
    obj.readInt(QLatin1String("type"), &m_type);
    obj.readDouble(QLatin1String("freq0"), &m_freq0);
}

bool CHlpfItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CHlpfItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_isHpf = o->m_isHpf;
    m_order = o->m_order;
    m_type = o->m_type;
    m_freq0 = o->m_freq0;
    return true;
}

double CHlpfItem::cpuCost() const
{
    return 0.85;
}

QString CHlpfItem::describeParams() const
{
    return QStringLiteral("isHpf=%1, order=%2, type=%3, freq0=%4")
        .arg(flag(m_isHpf))
        .arg(number(m_order))
        .arg(number(m_type))
        .arg(number(m_freq0));
}
