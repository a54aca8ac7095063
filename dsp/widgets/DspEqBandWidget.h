#pragma once
#include <QWidget>

class CEqItem;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

/// The controls of one equaliser band in a column: type, frequency, gain, Q (bandwidth) and bypass. It only
/// reports what the user entered; the editor decides and shows the model's values back with showBand().
class DspEqBandWidget : public QWidget
{
    Q_OBJECT
public:
    enum Field
    {
        Type,
        Frequency,
        Gain,
        Q
    };

    explicit DspEqBandWidget(int band, QWidget* parent = nullptr);

    int band() const { return m_band; }
    /// Shows the band's values without reporting them.
    void showBand(const CEqItem& item);
    /// The label a band type is listed with: "PEQ", "Lo Shelf", "Hi Shelf", other codes "Type N".
    static QString typeName(int type);
    /// True when `value` for `field` is not what the band holds (numbers within 1e-6 count as equal).
    static bool differs(const CEqItem& item, Field field, double value);
    /// Writes `value`; false (nothing written) when the band refuses it (a Q below the smallest).
    static bool apply(CEqItem& item, Field field, double value);

signals:
    void signal_bandEdited(int band, int field, double value);
    void signal_bandBypassClicked(int band, bool bypass);

private:
    QDoubleSpinBox* addSpin(const QString& name, double min, double max, int decimals, Field field);

    int m_band;
    QLabel* m_title = nullptr;
    QComboBox* m_type = nullptr;
    QDoubleSpinBox* m_freq = nullptr;
    QDoubleSpinBox* m_gain = nullptr;
    QDoubleSpinBox* m_q = nullptr;
    QPushButton* m_bypass = nullptr;
};
