#include "CSignalGen.h"

#include "DspJsonText.h"
#include "DspJsonValue.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

CBaseItem* CSignalGen::clone() const
{
    return new CSignalGen(*this);
}

void CSignalGen::writeParamsTo(DspJsonWriter& obj, int inputCount) const
{
    Q_UNUSED(inputCount)
    obj.addInt(QLatin1String("mode"), m_mode);
    obj.addNumber(QLatin1String("gainDb"), m_gainDb);
    obj.addNumber(QLatin1String("freq"), m_freq);
}

void CSignalGen::readParamsFrom(const DspJsonValue& obj)
{
    obj.readInt(QLatin1String("mode"), &m_mode);
    obj.readDouble(QLatin1String("gainDb"), &m_gainDb);
    obj.readDouble(QLatin1String("freq"), &m_freq);
}

bool CSignalGen::copyParamsFrom(const CBaseItem& other)
{
    const auto* o = dynamic_cast<const CSignalGen*>(&other);
    if (!o)
        return false;
    copyBaseFrom(other);
    m_mode = o->m_mode;
    m_gainDb = o->m_gainDb;
    m_freq = o->m_freq;
    return true;
}

double CSignalGen::cpuCost() const
{
    return 0.34;
}

QString CSignalGen::describeParams() const
{
    return QStringLiteral("mode=%1, gainDb=%2, freq=%3").arg(number(m_mode)).arg(number(m_gainDb)).arg(number(m_freq));
}
