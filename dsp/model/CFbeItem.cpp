#include "CFbeItem.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CFbeItem::clone() const
{
    return new CFbeItem(*this);
}

void CFbeItem::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addInt(QLatin1String("freqShift"), m_freqShift);
}

void CFbeItem::readParamsFrom(const DspJsonValue& obj)
{
    obj.readInt(QLatin1String("freqShift"), &m_freqShift);
}

bool CFbeItem::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CFbeItem*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_freqShift = o->m_freqShift;
    return true;
}

double CFbeItem::cpuCost() const
{
    return 2.27;
}

QString CFbeItem::describeParams() const
{
    return QStringLiteral("freqShift=%1").arg(number(m_freqShift));
}
