#pragma once
#include "CBaseItem.h"
#include "CEqItem.h"

#include <QVector>

/// The parametric equaliser block; its band count is fixed at creation.
class CEqBlockItem : public CBaseItem
{
public:
    /// Band count of an equaliser added by the user.
    static constexpr int DefaultBandCount = 10;
    /// Upper bound on the bands of one block (parsed configurations are cut there).
    static constexpr int MaxBandCount = 64;

    /// A block of `bandCount` bands (bounded to 0..MaxBandCount) with the default third-octave frequencies.
    explicit CEqBlockItem(int bandCount = DefaultBandCount);

    /// The default frequency of band `index` of a `bandCount`-band block: third-octave table entry
    /// (index + 1) x (31 / (bandCount + 1)) with the division in whole numbers.
    static double defaultBandFrequency(int index, int bandCount);

    int bandCount() const { return m_bands.size(); }
    /// The bands; their number must not be changed (the device's block has a fixed size).
    QVector<CEqItem>& bands() { return m_bands; }
    const QVector<CEqItem>& bands() const { return m_bands; }
    /// Band `index`; nullptr when out of range.
    CEqItem* band(int index);
    const CEqItem* band(int index) const;

    /// "setBorderEq" for band `index`: the block's position, "eqIndex" and the band as "obj"; empty when the block
    /// has no such band.
    QJsonObject setBorderEqRequest(const BlockPosition& pos, int index) const;
    /// "setBorderEqBypass" for band `index` with "val" "1" (bypassed) or "0"; empty when there is no such band.
    QJsonObject setBorderEqBypassRequest(const BlockPosition& pos, int index, bool bypass) const;

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    /// Rebuilds the bands from "eqArr" (band count = its length, bounded) and "bypassArr".
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    QVector<CEqItem> m_bands;
};
