#include "DspEqEditorBase.h"

#include "AppState.h"
#include "BlockPosition.h"
#include "CEqBlockItem.h"
#include "DspEqBandWidget.h"

DspEqEditorBase::DspEqEditorBase(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
}

CEqBlockItem* DspEqEditorBase::eqBlock() const
{
    return dynamic_cast<CEqBlockItem*>(blockAt(m_eqIndex));
}

void DspEqEditorBase::slot_bandEdited(int band, int field, double value)
{
    CEqBlockItem* eq = eqBlock();
    CEqItem* item = eq != nullptr ? eq->band(band) : nullptr;
    if (item == nullptr)
        return;
    const auto f = DspEqBandWidget::Field(field);
    if (!DspEqBandWidget::differs(*item, f, value)) {
        showBand(band);
        return;
    }
    if (refuseWhenLocked())
        return;
    if (!DspEqBandWidget::apply(*item, f, value)) {
        showBand(band);
        emit signal_showTips(
            AppState::pick(QStringLiteral("Q值不能小于%1"), QStringLiteral("Q must be at least %1")).arg(CEqItem::MinQ),
            false);
        return;
    }
    showBand(band);
    redraw();
    sendChange(m_eqIndex, eq->setBorderEqRequest(positionOf(m_eqIndex), band));
}

void DspEqEditorBase::moveBand(int band, double hz, double db)
{
    CEqBlockItem* eq = eqBlock();
    CEqItem* item = eq != nullptr ? eq->band(band) : nullptr;
    if (item == nullptr)
        return;
    if (!DspEqBandWidget::differs(*item, DspEqBandWidget::Frequency, hz) &&
        !DspEqBandWidget::differs(*item, DspEqBandWidget::Gain, db))
        return;
    if (refuseWhenLocked())
        return;
    item->setFreq0(hz);
    item->setDbGain(db);
    showBand(band);
    redraw();
    sendChange(m_eqIndex, eq->setBorderEqRequest(positionOf(m_eqIndex), band));
}

void DspEqEditorBase::slot_bandBypassClicked(int band, bool bypass)
{
    CEqBlockItem* eq = eqBlock();
    CEqItem* item = eq != nullptr ? eq->band(band) : nullptr;
    if (item == nullptr)
        return;
    if (item->isBypass() == bypass) {
        showBand(band);
        return;
    }
    if (refuseWhenLocked())
        return;
    item->setBypass(bypass);
    showBand(band);
    redraw();
    sendChange(m_eqIndex, eq->setBorderEqBypassRequest(positionOf(m_eqIndex), band, bypass));
}
