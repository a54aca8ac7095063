#pragma once
#include <QJsonObject>
#include <QString>

class CBaseItem;
class DspJsonValue;

/// Making blocks from their JSON or their kind.
namespace DspBlockFactory {

/// A block from one "procArr" entry ("type", "bypass", "groupId", "core", "obj"); nullptr for a missing or unknown
/// "type". The caller owns the block.
CBaseItem* fromJson(const QJsonObject& block);
CBaseItem* fromJson(const DspJsonValue& block);
/// A new block of `kind` with its defaults (an EQ has CEqBlockItem::DefaultBandCount bands); nullptr for an
/// unknown kind. The caller owns the block.
CBaseItem* create(int kind);
/// The short name of a kind as editor titles use it: "EQ", "Delay", "Compress", "Fbe", "Hlpf", "Fir", "Limit",
/// "NoiseGate", "Expand", "SignalGen", "AEC", "Ducker"; empty for an unknown kind.
QString kindName(int kind);

} // namespace DspBlockFactory
