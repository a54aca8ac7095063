#pragma once
#include "CBaseItem.h"

/// The FIR filter block. The model keeps the pass band as two edges whatever the filter type; the JSON form
/// depends on "firType": 0 low-pass, 1 high-pass, 2 band-pass, 3 custom coefficients.
class CFirItem : public CBaseItem
{
public:
    enum FirType
    {
        LowPass = 0,
        HighPass = 1,
        BandPass = 2,
        Custom = 3
    };
    /// Lower edge a low-pass filter is given when read.
    static constexpr double LowPassLowerEdge = 19.6;
    /// Upper edge a high-pass filter is given when read, and the "freq1" that low- and high-pass filters send.
    static constexpr double OpenUpperEdge = 20001;

    CFirItem() : CBaseItem(KindFir) {}

    int firType() const { return m_firType; }
    void setFirType(int value) { m_firType = value; }
    int winType() const { return m_winType; }
    void setWinType(int value) { m_winType = value; }
    int attDb() const { return m_attDb; }
    void setAttDb(int value) { m_attDb = value; }
    /// The tap count; for a custom filter the length of the coefficient array.
    int taps() const;
    void setTaps(int value) { m_taps = value; }
    int maxTaps() const { return m_maxTaps; }
    void setMaxTaps(int value) { m_maxTaps = value; }
    /// Lower edge of the pass band in Hz.
    double freq0() const { return m_freq0; }
    void setFreq0(double hz) { m_freq0 = hz; }
    /// Upper edge of the pass band in Hz.
    double freq1() const { return m_freq1; }
    void setFreq1(double hz) { m_freq1 = hz; }
    /// The custom coefficient array as compact JSON text ("[...]"); empty when none.
    QString arr() const { return m_arr; }
    /// Takes compact JSON array text; anything that is not a JSON array is refused (returns false, keeps the old).
    bool setArr(const QString& jsonArrayText);
    /// Number of entries of the coefficient array.
    int arrLength() const { return m_arrLength; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    /// Proportional to "maxTaps": 16 per 512 taps.
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    int m_firType = LowPass;
    int m_winType = 0;
    int m_attDb = 21;
    int m_taps = 127;
    int m_maxTaps = 512;
    double m_freq0 = 500;
    double m_freq1 = 10000;
    QString m_arr;
    int m_arrLength = 0;
};
