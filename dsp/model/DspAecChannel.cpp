#include "DspAecChannel.h"

#include "DspJsonText.h"
#include "DspJsonTree.h"
#include "DspJsonWriter.h"

#include <QStringList>

using namespace DspJsonText;

namespace {

QByteArray intArray(const QVector<int>& values)
{
    DspJsonWriter arr(DspJsonWriter::ArrayKind);
    for (int v : values)
        arr.appendInt(v);
    return arr.finish();
}

// Entries beyond the list's fixed length are ignored: the list has one entry per DSP input.
void readIntArray(const DspJsonValue& arr, QVector<int>* out)
{
    DspJsonValue v = arr.first();
    for (int k = 0; k < out->size() && v.isValid(); ++k, v = v.next())
        v.toInt(&(*out)[k]);
}

QString joinInts(const QVector<int>& values)
{
    QStringList parts;
    for (int v : values)
        parts.append(QString::number(v));
    return parts.join(QLatin1Char(','));
}

} // namespace

DspAecChannel::DspAecChannel(int inputCount) : m_near(qMax(0, inputCount)), m_far(qMax(0, inputCount)) {}

void DspAecChannel::setInputCount(int inputCount)
{
    m_near.resize(qMax(0, inputCount));
    m_far.resize(qMax(0, inputCount));
}

void DspAecChannel::writeObj(DspJsonWriter& obj) const
{
    obj.addFlag(QLatin1String("hasAec"), m_hasAec);
    obj.addInt(QLatin1String("aecLevel"), m_aecLevel);
    obj.addFlag(QLatin1String("hasAgc"), m_hasAgc);
    obj.addFlag(QLatin1String("hasAns"), m_hasAns);
    obj.addInt(QLatin1String("ansLevel"), m_ansLevel);
    obj.addRaw(QLatin1String("nearArr"), intArray(m_near));
    obj.addRaw(QLatin1String("farArr"), intArray(m_far));
}

QJsonObject DspAecChannel::objJson() const
{
    DspJsonWriter obj;
    writeObj(obj);
    return toObject(obj.finish());
}

void DspAecChannel::readObj(const DspJsonValue& obj)
{
    obj.readBool(QLatin1String("hasAec"), &m_hasAec);
    obj.readInt(QLatin1String("aecLevel"), &m_aecLevel);
    obj.readBool(QLatin1String("hasAgc"), &m_hasAgc);
    obj.readBool(QLatin1String("hasAns"), &m_hasAns);
    obj.readInt(QLatin1String("ansLevel"), &m_ansLevel);
    readIntArray(obj[QLatin1String("nearArr")], &m_near);
    readIntArray(obj[QLatin1String("farArr")], &m_far);
}

void DspAecChannel::readObj(const QJsonObject& obj)
{
    DspJsonTree tree;
    if (tree.parse(toText(obj)))
        readObj(tree.root());
}

QString DspAecChannel::describe() const
{
    return QStringLiteral("mute=%1, gainDb=%2, inverse=%3, groupId=%4, hasAec=%5, aecLevel=%6, hasAgc=%7, "
                          "hasAns=%8, ansLevel=%9, near=[%10], far=[%11]")
        .arg(flag(isMute()), number(gainDb()), flag(isInverse()), number(groupId()), flag(m_hasAec), number(m_aecLevel),
             flag(m_hasAgc), flag(m_hasAns), number(m_ansLevel))
        .arg(joinInts(m_near), joinInts(m_far));
}
