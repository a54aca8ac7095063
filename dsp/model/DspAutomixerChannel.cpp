#include "DspAutomixerChannel.h"

#include "DspJsonText.h"
#include "DspJsonTree.h"
#include "DspJsonWriter.h"

#include <QStringList>

using namespace DspJsonText;

void DspAutomixerChannel::writeObj(DspJsonWriter& obj) const
{
    obj.addInt(QLatin1String("mode"), m_mode);
    obj.addNumber(QLatin1String("slope"), m_slope);
    obj.addNumber(QLatin1String("duckDb"), m_duckDb);
    obj.addInt(QLatin1String("duckAttackMs"), m_duckAttackMs);
    obj.addInt(QLatin1String("duckReleaseMs"), m_duckReleaseMs);
    obj.addNumber(QLatin1String("decayDb"), m_decayDb);
    obj.addNumber(QLatin1String("trigDb"), m_trigDb);
    obj.addInt(QLatin1String("holdMs"), m_holdMs);
    obj.addInt(QLatin1String("attackMs"), m_attackMs);
    obj.addInt(QLatin1String("releaseMs"), m_releaseMs);
    obj.addInt(QLatin1String("chNumLimit"), m_chNumLimit);
    obj.addFlag(QLatin1String("nomAttenuate"), m_nomAttenuate);
    obj.addFlag(QLatin1String("leaveLastOn"), m_leaveLastOn);
    DspJsonWriter masks(DspJsonWriter::ArrayKind);
    for (quint64 m : m_masks)
        masks.appendUInt(m);
    obj.addRaw(QLatin1String("maskArr"), masks.finish());
}

QJsonObject DspAutomixerChannel::objJson() const
{
    DspJsonWriter obj;
    writeObj(obj);
    return toObject(obj.finish());
}

void DspAutomixerChannel::readObj(const DspJsonValue& obj, bool legacyMaskIndex)
{
    obj.readInt(QLatin1String("mode"), &m_mode);
    obj.readDouble(QLatin1String("slope"), &m_slope);
    obj.readDouble(QLatin1String("duckDb"), &m_duckDb);
    obj.readInt(QLatin1String("duckAttackMs"), &m_duckAttackMs);
    obj.readInt(QLatin1String("duckReleaseMs"), &m_duckReleaseMs);
    obj.readDouble(QLatin1String("decayDb"), &m_decayDb);
    obj.readDouble(QLatin1String("trigDb"), &m_trigDb);
    obj.readInt(QLatin1String("holdMs"), &m_holdMs);
    obj.readInt(QLatin1String("attackMs"), &m_attackMs);
    obj.readInt(QLatin1String("releaseMs"), &m_releaseMs);
    obj.readInt(QLatin1String("chNumLimit"), &m_chNumLimit);
    obj.readBool(QLatin1String("nomAttenuate"), &m_nomAttenuate);
    obj.readBool(QLatin1String("leaveLastOn"), &m_leaveLastOn);
    const DspJsonValue masks = obj[QLatin1String("maskArr")];
    m_masks = QVector<quint64>(masks.size(), 0);
    DspJsonValue m = masks.first();
    for (int k = 0; k < m_masks.size(); ++k, m = m.next()) {
        m.toUInt64(&m_masks[k]);
        if (legacyMaskIndex)
            m_masks[k] |= quint64(k) << LegacyIndexShift;
    }
}

void DspAutomixerChannel::readObj(const QJsonObject& obj, bool legacyMaskIndex)
{
    DspJsonTree tree;
    if (tree.parse(toText(obj)))
        readObj(tree.root(), legacyMaskIndex);
}

QString DspAutomixerChannel::describe() const
{
    QStringList masks;
    for (quint64 m : m_masks)
        masks.append(QStringLiteral("0x") + QString::number(m, 16));
    return QStringLiteral("mute=%1, gainDb=%2, inverse=%3, groupId=%4, mode=%5, slope=%6, duckDb=%7, "
                          "duckAttackMs=%8, duckReleaseMs=%9")
               .arg(flag(isMute()), number(gainDb()), flag(isInverse()), number(groupId()), number(m_mode),
                    number(m_slope), number(m_duckDb), number(m_duckAttackMs), number(m_duckReleaseMs)) +
           QStringLiteral(", decayDb=%1, trigDb=%2, holdMs=%3, attackMs=%4, releaseMs=%5, chNumLimit=%6, "
                          "nomAttenuate=%7, leaveLastOn=%8, masks=[%9]")
               .arg(number(m_decayDb), number(m_trigDb), number(m_holdMs), number(m_attackMs), number(m_releaseMs),
                    number(m_chNumLimit), flag(m_nomAttenuate), flag(m_leaveLastOn), masks.join(QLatin1Char(',')));
}
