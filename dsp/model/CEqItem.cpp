#include "CEqItem.h"

#include "DspJsonText.h"
#include "DspJsonTree.h"
#include "DspJsonWriter.h"

#include <cmath>

using namespace DspJsonText;

bool CEqItem::setQBwS(double q)
{
    // NaN fails the comparison too.
    if (!(q >= MinQ) || !std::isfinite(q))
        return false;
    m_qBwS = q;
    return true;
}

void CEqItem::writeTo(DspJsonWriter& obj) const
{
    obj.addInt(QLatin1String("type"), m_type);
    obj.addNumber(QLatin1String("freq0"), m_freq0);
    obj.addNumber(QLatin1String("dbGain"), m_dbGain);
    obj.addNumber(QLatin1String("qBwS"), m_qBwS);
}

QJsonObject CEqItem::toJson() const
{
    DspJsonWriter obj;
    writeTo(obj);
    return toObject(obj.finish());
}

void CEqItem::readFrom(const DspJsonValue& obj)
{
    obj.readInt(QLatin1String("type"), &m_type);
    obj.readDouble(QLatin1String("freq0"), &m_freq0);
    obj.readDouble(QLatin1String("dbGain"), &m_dbGain);
    double q = 0;
    if (obj.readDouble(QLatin1String("qBwS"), &q))
        setQBwS(q);
}

void CEqItem::readJson(const QJsonObject& obj)
{
    DspJsonTree tree;
    if (tree.parse(toText(obj)))
        readFrom(tree.root());
}

QString CEqItem::describe() const
{
    return QStringLiteral("{type=%1, freq0=%2, dbGain=%3, qBwS=%4, bypass=%5}")
        .arg(number(m_type), number(m_freq0), number(m_dbGain), number(m_qBwS), flag(m_bypass));
}

bool CEqItem::operator==(const CEqItem& o) const
{
    return m_type == o.m_type && m_freq0 == o.m_freq0 && m_dbGain == o.m_dbGain && m_qBwS == o.m_qBwS &&
           m_bypass == o.m_bypass;
}
