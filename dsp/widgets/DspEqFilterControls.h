#pragma once
#include <QVector>
#include <QWidget>

class CHlpfItem;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QSlider;

/// The controls of a high-pass or low-pass filter: type, order, frequency (a logarithmic slider mirrored by a spin
/// box) and bypass. Object names carry "hpf" or "lpf": "combox hpf type", "combox_hpf_order", "slider_hpf_freq",
/// "sb_hpf_freq", "pb_hpf_bypass". It reports what the user chose; the editor shows the model back.
class DspEqFilterControls : public QWidget
{
    Q_OBJECT
public:
    enum Field
    {
        Type,
        Order,
        Frequency
    };
    static constexpr double MinHz = 20;
    static constexpr double MaxHz = 20000;
    static constexpr int SliderSteps = 1000;

    DspEqFilterControls(bool highPass, QWidget* parent = nullptr);

    bool isHighPass() const { return m_highPass; }
    /// Shows the filter's values without reporting them.
    void showFilter(const CHlpfItem& filter);

    /// The orders a filter type is drawn with: Butterworth 1..8, Bessel 2..8, Linkwitz-Riley 2, 4, 6, 8.
    static QVector<int> allowedOrders(int type);
    /// `order` when `type` allows it, else the next allowed order above (or the highest).
    static int fitOrder(int type, int order);
    /// The slider position of a frequency and back (logarithmic over MinHz..MaxHz).
    static int sliderPosition(double hz);
    static double sliderFrequency(int position);

signals:
    void signal_filterEdited(bool highPass, int field, double value);
    void signal_filterBypassClicked(bool highPass, bool bypass);

private:
    void fillOrders(int type, int order);

    bool m_highPass;
    QComboBox* m_type = nullptr;
    QComboBox* m_order = nullptr;
    QSlider* m_slider = nullptr;
    QDoubleSpinBox* m_freq = nullptr;
    QPushButton* m_bypass = nullptr;
};
