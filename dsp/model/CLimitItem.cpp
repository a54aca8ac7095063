#include "CLimitItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CLimitItem::clone() const
{
    return new CLimitItem(*this);
}

void CLimitItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addNumber(QLatin1String("limitDb"), m_limitDb);
}

void CLimitItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readDouble(QLatin1String("limitDb"), &m_limitDb);
}

bool CLimitItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CLimitItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_limitDb = o->m_limitDb;
    return true;
}

double CLimitItem::cpuCost() const
{
    return 0.56;
}

QString CLimitItem::describeParams() const
{
    return QStringLiteral("limitDb=%1").arg(number(m_limitDb));
}
