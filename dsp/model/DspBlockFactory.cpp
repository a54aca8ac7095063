#include "DspBlockFactory.h"

#include "CChAecItem.h"
#include "CCompressItem.h"
#include "CDelayItem.h"
#include "CDuckerItem.h"
#include "CEqBlockItem.h"
#include "CExpandItem.h"
#include "CFbeItem.h"
#include "CFirItem.h"
#include "CHlpfItem.h"
#include "CLimitItem.h"
#include "CNoisegateItme.h"
#include "CSignalGen.h"
#include "DspJsonText.h"
#include "DspJsonTree.h"

namespace DspBlockFactory {

CBaseItem* create(int kind)
{
    switch (kind) {
    case CBaseItem::KindNoiseGate:
        return new CNoisegateItme;
    case CBaseItem::KindEq:
        return new CEqBlockItem(CEqBlockItem::DefaultBandCount);
    case CBaseItem::KindHlpf:
        return new CHlpfItem;
    case CBaseItem::KindDelay:
        return new CDelayItem;
    case CBaseItem::KindFbe:
        return new CFbeItem;
    case CBaseItem::KindCompress:
        return new CCompressItem;
    case CBaseItem::KindLimit:
        return new CLimitItem;
    case CBaseItem::KindFir:
        return new CFirItem;
    case CBaseItem::KindSignalGen:
        return new CSignalGen;
    case CBaseItem::KindExpand:
        return new CExpandItem;
    case CBaseItem::KindChAec:
        return new CChAecItem;
    case CBaseItem::KindDucker:
        return new CDuckerItem;
    default:
        return nullptr;
    }
}

CBaseItem* fromJson(const DspJsonValue& block)
{
    int type = -1;
    if (!block.readInt(QLatin1String("type"), &type))
        return nullptr;
    CBaseItem* item = create(CBaseItem::kindOfJsonType(type));
    if (!item)
        return nullptr;
    bool bypass = false;
    if (block.readBool(QLatin1String("bypass"), &bypass))
        item->setBypass(bypass);
    int value = -1;
    if (block.readInt(QLatin1String("groupId"), &value))
        item->setGroupId(value);
    value = -1;
    if (block.readInt(QLatin1String("core"), &value))
        item->setCore(value);
    item->readParamsFrom(block[QLatin1String("obj")]);
    return item;
}

CBaseItem* fromJson(const QJsonObject& block)
{
    DspJsonTree tree;
    if (!tree.parse(DspJsonText::toText(block)))
        return nullptr;
    return fromJson(tree.root());
}

QString kindName(int kind)
{
    static const char* const names[CBaseItem::KindCount] = {
        "NoiseGate", "EQ", "Hlpf", "Delay", "Fbe", "Compress", "Limit", "Fir", "SignalGen", "Expand", "AEC", "Ducker"};
    return kind >= 0 && kind < CBaseItem::KindCount ? QLatin1String(names[kind]) : QString();
}

} // namespace DspBlockFactory
