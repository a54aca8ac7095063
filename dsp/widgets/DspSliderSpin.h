#pragma once
#include <QWidget>

class QDoubleSpinBox;
class QLabel;
class QSlider;

/// One parameter of a block editor: a caption, a vertical slider and a spin box that mirror each other, and a
/// unit label under them. The slider holds value x scale + offset (rounded); the spin box holds the value itself.
///
/// signal_edited() reports every value the user commits, through either control, after the other control has
/// been set with its signals blocked. It also reports a value typed again unchanged (Return in the spin box), so
/// the editor, which knows the stored value, decides what is a change.
class DspSliderSpin : public QWidget
{
    Q_OBJECT
public:
    struct Range
    {
        double min = 0;
        double max = 100;
        double step = 1;
        int decimals = 0;
        double scale = 1;  ///< slider positions per unit
        double offset = 0; ///< slider position of value 0
    };

    /// Child names are `name` + "_slider", "_spin", "_caption", "_unit".
    DspSliderSpin(const QString& name, const QString& caption, const QString& unit, const Range& range,
                  QWidget* parent = nullptr);

    /// Shows `value` in both controls without reporting it.
    void setValue(double value);
    double value() const;
    QSlider* slider() const { return m_slider; }
    QDoubleSpinBox* spinBox() const { return m_spin; }

signals:
    void signal_edited(double value);

private:
    int toSlider(double value) const;
    double fromSlider(int position) const;
    void onSlider(int position);
    void onSpin();

    Range m_range;
    QSlider* m_slider = nullptr;
    QDoubleSpinBox* m_spin = nullptr;
};
