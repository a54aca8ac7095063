#pragma once
#include "DspEqEditorBase.h"

#include <QVector>

class CHlpfItem;
class DspEqBandWidget;
class DspEqChartView;
class DspEqFilterControls;
class QPushButton;

/// The equaliser of one channel together with its high-pass and low-pass filters, whichever of the three blocks was
/// opened: a control column per band, the filters' controls, the combined magnitude curve with a handle per band
/// and filter, and on request the phase curve. Bands are sent one by one, the filters as whole blocks.
class DspEqHlpBlockForm : public DspEqEditorBase
{
    Q_OBJECT
public:
    DspEqHlpBlockForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    /// Chain indexes of the filters; -1 when the channel has none.
    int highPassIndex() const { return m_hpfIndex; }
    int lowPassIndex() const { return m_lpfIndex; }
    bool shows(bool isInput, int chIndex, int blockIndex) const override;
    DspEqChartView* magnitudeChart() const { return m_chart; }
    DspEqChartView* phaseChart() const { return m_phase; }

public slots:
    void refreshFromModel() override;
    /// A handle pressed on the graph: it becomes the selected one.
    void slot_eqDragPressed(int x, int y, int handle);
    /// A handle dragged on the graph (drag frame coordinates): the band moves in frequency and gain, a filter in
    /// frequency.
    void slot_eqDragMoved(int x, int y, int handle);
    void slot_filterEdited(bool highPass, int field, double value);
    void slot_filterBypassClicked(bool highPass, bool bypass);

protected:
    void showBand(int band) override;
    void redraw() override;

private:
    CHlpfItem* filter(bool highPass) const;
    void showFilters();
    void showPhase(bool on);

    int m_hpfIndex = -1;
    int m_lpfIndex = -1;
    QVector<DspEqBandWidget*> m_bands;
    DspEqFilterControls* m_hpf = nullptr;
    DspEqFilterControls* m_lpf = nullptr;
    DspEqChartView* m_chart = nullptr;
    DspEqChartView* m_phase = nullptr;
    QPushButton* m_eqBypass = nullptr;
    QPushButton* m_phaseButton = nullptr;
};
