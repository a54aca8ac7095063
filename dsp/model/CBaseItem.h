#pragma once
#include <QJsonObject>
#include <QString>

struct BlockPosition;
class DspJsonValue;
class DspJsonWriter;

/// One processing block of a channel's chain. The kind is internal; the device knows blocks by their JSON "type".
/// Blocks are owned by their channel; editors refer to them by position and never keep pointers across refreshes.
class CBaseItem
{
public:
    enum Kind
    {
        KindNoiseGate = 0,
        KindEq = 1,
        KindHlpf = 2,
        KindDelay = 3,
        KindFbe = 4,
        KindCompress = 5,
        KindLimit = 6,
        KindFir = 7,
        KindSignalGen = 8,
        KindExpand = 9,
        KindChAec = 10,
        KindDucker = 11
    };
    static constexpr int KindCount = 12;

    virtual ~CBaseItem();
    CBaseItem& operator=(const CBaseItem&) = delete;

    int kind() const { return m_kind; }
    int jsonType() const { return jsonTypeOfKind(m_kind); }
    /// The JSON "type" of a kind; -1 for an unknown kind.
    static int jsonTypeOfKind(int kind);
    /// The kind of a JSON "type"; -1 for a type no block class stands for.
    static int kindOfJsonType(int jsonType);

    bool isBypass() const { return m_bypass; }
    void setBypass(bool bypass) { m_bypass = bypass; }
    /// Group the block is linked to; -1 for none.
    int groupId() const { return m_groupId; }
    void setGroupId(int groupId) { m_groupId = groupId; }
    /// DSP core that runs the block; -1 for none.
    int core() const { return m_core; }
    void setCore(int core) { m_core = core; }

    /// A new block of the same class with the same bypass flag and parameters; group id and core stay -1.
    virtual CBaseItem* clone() const = 0;
    /// Writes the parameter object ("obj"). `inputCount` is the configuration's DSP input count (the channel AEC
    /// derives "farFromOut" from it).
    virtual void writeParamsTo(DspJsonWriter& obj, int inputCount) const = 0;
    /// Fills the parameters from an "obj"; keys that are missing or unreadable keep their current values.
    virtual void readParamsFrom(const DspJsonValue& obj) = 0;

    /// The parameter object ("obj").
    QJsonObject paramsJson(int inputCount) const;
    /// Fills the parameters from an "obj" as readParamsFrom() does.
    void readParams(const QJsonObject& obj);
    /// The whole "procArr" entry: {"bypass","core","groupId","obj","type"}.
    QJsonObject toJson(int inputCount) const;
    /// The same as compact JSON text.
    QByteArray toJsonText(int inputCount) const;
    /// The request that sets this block's parameters on the device.
    QJsonObject setBorderProcRequest(const BlockPosition& pos, int inputCount) const;
    /// The request that switches this block's bypass on the device ("val" "1" bypass on, "0" off).
    QJsonObject setBorderProcBypassRequest(const BlockPosition& pos, bool bypass) const;
    /// {"uiTag","ops","nodeId","portIndex","procIndex","blockFlag"}: the head every block request starts with.
    static QJsonObject requestHead(const BlockPosition& pos, const QString& ops);
    /// The poll of the gain a dynamics block applies right now ("getBorderProcStatus").
    static QJsonObject statusRequest(const BlockPosition& pos);
    /// Copies bypass and parameters from a block of the same class. Returns false, copying nothing, for another
    /// class (an EQ block also refuses one with another band count).
    virtual bool copyParamsFrom(const CBaseItem& other) = 0;
    /// One debug line: "<prefix> => isBypass=..., groupId=..., core=..., <parameters>".
    virtual QString describe() const;
    /// The block's share of the CPU estimate.
    virtual double cpuCost() const = 0;

protected:
    explicit CBaseItem(int kind) : m_kind(kind) {}
    /// Copies the bypass flag only: clones start unlinked and unplaced.
    CBaseItem(const CBaseItem& other) : m_kind(other.m_kind), m_bypass(other.m_bypass) {}
    /// The parameter part of describe(), e.g. "delayNum=0, maxNum=48000".
    virtual QString describeParams() const = 0;
    /// Copies the base part that copyParamsFrom() transfers (bypass).
    void copyBaseFrom(const CBaseItem& other) { m_bypass = other.m_bypass; }

private:
    const int m_kind;
    bool m_bypass = false;
    int m_groupId = -1;
    int m_core = -1;
};
