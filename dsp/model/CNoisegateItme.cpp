#include "CNoisegateItme.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CNoisegateItme::clone() const
{
    return new CNoisegateItme(*this);
}

void CNoisegateItme::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addNumber(QLatin1String("trigDb"), m_trigDb);
    obj.addInt(QLatin1String("openMs"), m_openMs);
    obj.addInt(QLatin1String("closeMs"), m_closeMs);
}

void CNoisegateItme::readParamsFrom(const DspJsonValue& obj)
{
    obj.readDouble(QLatin1String("trigDb"), &m_trigDb);
    obj.readInt(QLatin1String("openMs"), &m_openMs);
    obj.readInt(QLatin1String("closeMs"), &m_closeMs);
}

bool CNoisegateItme::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CNoisegateItme*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_trigDb = o->m_trigDb;
    m_openMs = o->m_openMs;
    m_closeMs = o->m_closeMs;
    return true;
}

double CNoisegateItme::cpuCost() const
{
    return 0.17;
}

QString CNoisegateItme::describeParams() const
{
    return QStringLiteral("trigDb=%1, openMs=%2, closeMs=%3")
        .arg(number(m_trigDb))
        .arg(number(m_openMs))
        .arg(number(m_closeMs));
}
