#pragma once
#include "DspBlockBaseForm.h"

class CEqBlockItem;

/// What both equaliser editors do with bands: a value the user entered or dragged goes into the band, the
/// controls and the curve show it, and the band is sent ("setBorderEq", "setBorderEqBypass"). A value equal to the
/// stored one sends nothing; a too small Q is refused and shown back.
class DspEqEditorBase : public DspBlockBaseForm
{
    Q_OBJECT
public:
    DspEqEditorBase(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    /// The chain index of the equaliser block; -1 when the channel has none.
    int eqIndex() const { return m_eqIndex; }

public slots:
    /// A field of band `band` as the user entered it (DspEqBandWidget::Field).
    void slot_bandEdited(int band, int field, double value);
    void slot_bandBypassClicked(int band, bool bypass);

protected:
    CEqBlockItem* eqBlock() const;
    /// A band moved on the graph: frequency and gain together, one request.
    void moveBand(int band, double hz, double db);
    /// Shows band `band` of the model again.
    virtual void showBand(int band) = 0;
    /// Draws the curves from the model.
    virtual void redraw() = 0;

    int m_eqIndex = -1;
};
