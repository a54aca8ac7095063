#pragma once
#include "DspEqEditorBase.h"

class DspEqBandWidget;
class DspEqChartView;

/// One band of an equaliser block on its own: its controls and the curve of that band alone, with a handle to
/// drag it.
class DspEqSingleForm : public DspEqEditorBase
{
    Q_OBJECT
public:
    DspEqSingleForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, int band,
                    QWidget* parent = nullptr);

    int band() const { return m_band; }
    DspEqChartView* chart() const { return m_chart; }

public slots:
    void refreshFromModel() override;
    /// The band's handle dragged on the graph (drag frame coordinates).
    void slot_eqDragMoved(int x, int y, int handle);

protected:
    void showBand(int band) override;
    void redraw() override;

private:
    int m_band;
    DspEqBandWidget* m_controls = nullptr;
    DspEqChartView* m_chart = nullptr;
};
