#include "CBaseItem.h"

#include "BlockPosition.h"
#include "DspJsonText.h"
#include "DspJsonTree.h"
#include "DspJsonWriter.h"

using namespace DspJsonText;

namespace {

// JSON "type" by kind, and the debug prefix by kind.
const int kJsonTypeOfKind[CBaseItem::KindCount] = {7, 0, 4, 1, 3, 2, 6, 5, 9, 8, 10, 11};
const char* const kPrefixOfKind[CBaseItem::KindCount] = {"NoiseGate", "Eq",  "Hlpf",      "Delay",  "Fbe",   "Compress",
                                                         "Limit",     "Fir", "SignalGen", "Expand", "ChAec", "Ducker"};

} // namespace

QJsonObject CBaseItem::requestHead(const BlockPosition& pos, const QString& ops)
{
    QJsonObject req;
    req.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    req.insert(QStringLiteral("ops"), ops);
    req.insert(QStringLiteral("nodeId"), number(pos.nodeId));
    req.insert(QStringLiteral("portIndex"), number(pos.portIndex));
    req.insert(QStringLiteral("procIndex"), number(pos.procIndex));
    req.insert(QStringLiteral("blockFlag"), pos.blockFlag);
    return req;
}

CBaseItem::~CBaseItem() = default;

int CBaseItem::jsonTypeOfKind(int kind)
{
    return kind >= 0 && kind < KindCount ? kJsonTypeOfKind[kind] : -1;
}

int CBaseItem::kindOfJsonType(int jsonType)
{
    for (int kind = 0; kind < KindCount; ++kind)
        if (kJsonTypeOfKind[kind] == jsonType)
            return kind;
    return -1;
}

QJsonObject CBaseItem::paramsJson(int inputCount) const
{
    DspJsonWriter obj;
    writeParamsTo(obj, inputCount);
    return DspJsonText::toObject(obj.finish());
}

void CBaseItem::readParams(const QJsonObject& obj)
{
    DspJsonTree tree;
    if (tree.parse(DspJsonText::toText(obj)))
        readParamsFrom(tree.root());
}

QByteArray CBaseItem::toJsonText(int inputCount) const
{
    DspJsonWriter params;
    writeParamsTo(params, inputCount);
    DspJsonWriter block;
    block.addFlag(QLatin1String("bypass"), m_bypass);
    block.addInt(QLatin1String("core"), m_core);
    block.addInt(QLatin1String("groupId"), m_groupId);
    block.addRaw(QLatin1String("obj"), params.finish());
    block.addInt(QLatin1String("type"), jsonType());
    return block.finish();
}

QJsonObject CBaseItem::toJson(int inputCount) const
{
    return DspJsonText::toObject(toJsonText(inputCount));
}

QJsonObject CBaseItem::setBorderProcRequest(const BlockPosition& pos, int inputCount) const
{
    QJsonObject req = requestHead(pos, QStringLiteral("setBorderProc"));
    req.insert(QStringLiteral("obj"), paramsJson(inputCount));
    return req;
}

QJsonObject CBaseItem::setBorderProcBypassRequest(const BlockPosition& pos, bool bypass) const
{
    QJsonObject req = requestHead(pos, QStringLiteral("setBorderProcBypass"));
    req.insert(QStringLiteral("val"), flag(bypass));
    return req;
}

QJsonObject CBaseItem::statusRequest(const BlockPosition& pos)
{
    return requestHead(pos, QStringLiteral("getBorderProcStatus"));
}

QString CBaseItem::describe() const
{
    const char* prefix = m_kind >= 0 && m_kind < KindCount ? kPrefixOfKind[m_kind] : "Block";
    return QStringLiteral("%1 => isBypass=%2, groupId=%3, core=%4, %5")
        .arg(QLatin1String(prefix), flag(m_bypass), number(m_groupId), number(m_core), describeParams());
}
