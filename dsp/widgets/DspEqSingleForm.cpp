#include "DspEqSingleForm.h"

#include "CEqBlockItem.h"
#include "DspEqBandWidget.h"
#include "DspEqChartView.h"
#include "DspEqStyle.h"
#include "EqDragMapping.h"
#include "EqResponse.h"
#include "UiScale.h"

#include <QHBoxLayout>

DspEqSingleForm::DspEqSingleForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, int band,
                                 QWidget* parent)
    : DspEqEditorBase(data, isInput, chIndex, blockIndex, parent), m_band(band)
{
    setObjectName(QStringLiteral("DspEqSingleForm"));
    setCommonBypassVisible(false);
    m_eqIndex = blockIndex;

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("eq_body"));
    body->setStyleSheet(DspEqStyle::controls());
    auto* layout = new QHBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(DspEqStyle::rowLabels(body), 0, Qt::AlignTop);
    m_controls = new DspEqBandWidget(band, body);
    connect(m_controls, &DspEqBandWidget::signal_bandEdited, this, &DspEqSingleForm::slot_bandEdited);
    connect(m_controls, &DspEqBandWidget::signal_bandBypassClicked, this, &DspEqSingleForm::slot_bandBypassClicked);
    m_controls->setEnabled(eqBlock() != nullptr && eqBlock()->band(band) != nullptr);
    layout->addWidget(m_controls, 0, Qt::AlignTop);
    m_chart = new DspEqChartView(DspEqChartView::Magnitude, body);
    m_chart->setMinimumSize(qMax(UiScale::px(560), 560), qMax(UiScale::px(280), 280));
    connect(m_chart, &DspEqChartView::eq_drag_moved, this, &DspEqSingleForm::slot_eqDragMoved);
    layout->addWidget(m_chart, 1);
    setBody(body);
    resize(UiScale::px(780), UiScale::px(350));
    refreshFromModel();
}

void DspEqSingleForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    if (m_chart == nullptr)
        return;
    showBand(m_band);
    redraw();
}

void DspEqSingleForm::showBand(int band)
{
    const CEqBlockItem* eq = eqBlock();
    if (const CEqItem* item = eq != nullptr && band == m_band ? eq->band(band) : nullptr)
        m_controls->showBand(*item);
}

void DspEqSingleForm::redraw()
{
    const CEqBlockItem* eq = eqBlock();
    const CEqItem* item = eq != nullptr ? eq->band(m_band) : nullptr;
    QVector<EqBiquad> sections;
    EqBiquad s;
    if (item != nullptr && !eq->isBypass() && !item->isBypass() &&
        EqBiquad::band(item->type(), item->freq0(), item->dbGain(), item->qBwS(), &s))
        sections.append(s);
    m_chart->setCurve(EqResponse::magnitudeCurve(sections));
    QVector<DspEqChartView::Handle> handles;
    if (item != nullptr)
        handles.append({m_band + 1, item->freq0(), item->dbGain(), eq->isBypass() || item->isBypass()});
    m_chart->setHandles(handles);
}

void DspEqSingleForm::slot_eqDragMoved(int x, int y, int handle)
{
    const CEqBlockItem* eq = eqBlock();
    const EqDragMapping::Result r = EqDragMapping::drag(handle, x, y, eq != nullptr ? eq->bandCount() : 0);
    if (r.target == EqDragMapping::Band && r.band == m_band)
        moveBand(r.band, r.frequency, r.gainDb);
}
