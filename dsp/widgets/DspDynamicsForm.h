#pragma once
#include "DspBlockBaseForm.h"
#include "DspSliderSpin.h"

#include <QPointF>
#include <QVector>

class DspDynamicsChart;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;

/// The frame every dynamics editor shares: a row of parameter columns, the transfer curve (where the kind has
/// one), the channel's level ("Volume") and the gain the block takes off ("Reduce") on -60..0 dB meters, and
/// the "BYPASS" button.
///
/// Subclasses build their columns, then call refreshFromModel() (the base constructor cannot reach their
/// override), and pass every user edit through acceptEdit() before writing the block and sending it.
class DspDynamicsForm : public DspBlockBaseForm
{
    Q_OBJECT
public:
    static constexpr int kMeterFloorDb = -60;

    void refreshFromModel() override;

protected:
    DspDynamicsForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, bool withChart, QWidget* parent);

    /// A slider-and-spin column in the parameter row.
    DspSliderSpin* addControl(const QString& name, const QString& caption, const QString& unit,
                              const DspSliderSpin::Range& range);
    /// Any other column (ratio, reference channel).
    void addColumn(QWidget* column);
    /// Whether the edit from `stored` to `typed` is to be made: false for no change (within 1e-6) and, with a
    /// notice, while the processor is locked.
    bool acceptEdit(double stored, double typed);
    /// Draws the transfer curve (nothing when the editor has no chart).
    void showCurve(const QVector<QPointF>& points);

private:
    void showVolume(int db);
    void showReduction(double db);

    QHBoxLayout* m_columns = nullptr;
    DspDynamicsChart* m_chart = nullptr;
    QPushButton* m_bypassButton = nullptr;
    QProgressBar* m_volume = nullptr;
    QLabel* m_volumeValue = nullptr;
    QProgressBar* m_reduce = nullptr;
    QLabel* m_reduceValue = nullptr;
};
