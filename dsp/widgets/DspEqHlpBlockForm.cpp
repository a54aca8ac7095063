#include "DspEqHlpBlockForm.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspEqBandWidget.h"
#include "DspEqChartView.h"
#include "DspEqFilterControls.h"
#include "DspEqStyle.h"
#include "EqDragMapping.h"
#include "EqResponse.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kHighPassHandle = 0;
constexpr int kLowPassHandle = 100;
// Filter handles sit near their corner on the curve, and off the 0 dB line where untouched bands lie.
constexpr double kFilterHandleDb = -3;

int indexOf(const CChainChannel& ch, const CBaseItem* block)
{
    for (int i = 0; i < ch.blocks().size(); ++i)
        if (ch.blocks().at(i) == block)
            return i;
    return -1;
}

} // namespace

DspEqHlpBlockForm::DspEqHlpBlockForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspEqEditorBase(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspEqHlpBlockForm"));
    setCommonBypassVisible(false);
    if (const CChainChannel* ch = data != nullptr ? data->channel(isInput, chIndex) : nullptr) {
        m_eqIndex = ch->indexOfKind(CBaseItem::KindEq);
        m_hpfIndex = indexOf(*ch, EqResponse::channelFilter(*ch, true));
        m_lpfIndex = indexOf(*ch, EqResponse::channelFilter(*ch, false));
    }
    for (int index : {m_eqIndex, m_hpfIndex, m_lpfIndex})
        if (index >= 0)
            watchBlock(index);

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("eq_body"));
    body->setStyleSheet(DspEqStyle::controls());
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* bar = new QHBoxLayout;
    m_eqBypass = new QPushButton(AppState::pick(QStringLiteral("EQ旁通"), QStringLiteral("EQ Bypass")), body);
    m_eqBypass->setObjectName(QStringLiteral("pb eqallbypass"));
    m_eqBypass->setCheckable(true);
    connect(m_eqBypass, &QPushButton::clicked, this, [this](bool on) { sendBypass(m_eqIndex, on); });
    m_phaseButton = new QPushButton(AppState::pick(QStringLiteral("相位"), QStringLiteral("Phase")), body);
    m_phaseButton->setObjectName(QStringLiteral("pb_phase"));
    m_phaseButton->setCheckable(true);
    connect(m_phaseButton, &QPushButton::toggled, this, &DspEqHlpBlockForm::showPhase);
    bar->addWidget(m_eqBypass);
    bar->addWidget(m_phaseButton);
    bar->addStretch();
    layout->addLayout(bar);

    m_chart = new DspEqChartView(DspEqChartView::Magnitude, body);
    m_chart->setMinimumHeight(qMax(UiScale::px(300), 300)); // room for the axis texts on any screen
    connect(m_chart, &DspEqChartView::eq_drag_pressed, this, &DspEqHlpBlockForm::slot_eqDragPressed);
    connect(m_chart, &DspEqChartView::eq_drag_moved, this, &DspEqHlpBlockForm::slot_eqDragMoved);
    layout->addWidget(m_chart, 3);
    m_phase = new DspEqChartView(DspEqChartView::Phase, body);
    m_phase->setMinimumHeight(qMax(UiScale::px(200), 200));
    m_phase->hide();
    layout->addWidget(m_phase, 2);

    auto* filters = new QHBoxLayout;
    m_hpf = new DspEqFilterControls(true, body);
    m_lpf = new DspEqFilterControls(false, body);
    for (DspEqFilterControls* c : {m_hpf, m_lpf}) {
        connect(c, &DspEqFilterControls::signal_filterEdited, this, &DspEqHlpBlockForm::slot_filterEdited);
        connect(c, &DspEqFilterControls::signal_filterBypassClicked, this,
                &DspEqHlpBlockForm::slot_filterBypassClicked);
        c->setVisible(filter(c->isHighPass()) != nullptr);
        filters->addWidget(c);
        filters->addSpacing(UiScale::px(24));
    }
    filters->addStretch();
    layout->addLayout(filters);

    if (const CEqBlockItem* eq = eqBlock()) {
        auto* strip = new QWidget;
        strip->setObjectName(QStringLiteral("band_strip"));
        auto* row = new QHBoxLayout(strip);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(UiScale::px(2));
        row->addWidget(DspEqStyle::rowLabels(strip));
        for (int i = 0; i < eq->bandCount(); ++i) {
            auto* w = new DspEqBandWidget(i, strip);
            connect(w, &DspEqBandWidget::signal_bandEdited, this, &DspEqHlpBlockForm::slot_bandEdited);
            connect(w, &DspEqBandWidget::signal_bandBypassClicked, this, &DspEqHlpBlockForm::slot_bandBypassClicked);
            row->addWidget(w);
            m_bands.append(w);
        }
        row->addStretch();
        auto* scroll = new QScrollArea(body);
        scroll->setObjectName(QStringLiteral("band_scroll"));
        scroll->setWidget(strip);
        scroll->setWidgetResizable(true);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setFixedHeight(strip->sizeHint().height() + UiScale::px(16));
        layout->addWidget(scroll);
    }
    setBody(body);
    resize(UiScale::px(1220), UiScale::px(720));
    refreshFromModel();
}

bool DspEqHlpBlockForm::shows(bool isInput, int chIndex, int blockIndex) const
{
    return isInput == this->isInput() && chIndex == this->chIndex() && blockIndex >= 0 &&
           (blockIndex == m_eqIndex || blockIndex == m_hpfIndex || blockIndex == m_lpfIndex);
}

CHlpfItem* DspEqHlpBlockForm::filter(bool highPass) const
{
    auto* f = dynamic_cast<CHlpfItem*>(blockAt(highPass ? m_hpfIndex : m_lpfIndex));
    return f != nullptr && f->isHpf() == highPass ? f : nullptr;
}

void DspEqHlpBlockForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    // The common part refreshes before this editor's controls exist.
    if (m_chart == nullptr)
        return;
    const CEqBlockItem* eq = eqBlock();
    {
        const QSignalBlocker blocker(m_eqBypass);
        m_eqBypass->setChecked(eq != nullptr && eq->isBypass());
        m_eqBypass->setEnabled(eq != nullptr);
    }
    for (int i = 0; i < m_bands.size(); ++i)
        showBand(i);
    showFilters();
    redraw();
}

void DspEqHlpBlockForm::showBand(int band)
{
    const CEqBlockItem* eq = eqBlock();
    const CEqItem* item = eq != nullptr ? eq->band(band) : nullptr;
    if (item != nullptr && band < m_bands.size())
        m_bands[band]->showBand(*item);
}

void DspEqHlpBlockForm::showFilters()
{
    for (DspEqFilterControls* c : {m_hpf, m_lpf})
        if (const CHlpfItem* f = filter(c->isHighPass()))
            c->showFilter(*f);
}

void DspEqHlpBlockForm::redraw()
{
    const CEqBlockItem* eq = eqBlock();
    const CHlpfItem* hp = filter(true);
    const CHlpfItem* lp = filter(false);
    const QVector<EqBiquad> sections = EqResponse::sections(eq, hp, lp);
    m_chart->setCurve(EqResponse::magnitudeCurve(sections));
    if (m_phaseButton->isChecked())
        m_phase->setCurve(EqResponse::phaseCurve(sections));

    QVector<DspEqChartView::Handle> handles;
    if (hp != nullptr)
        handles.append({kHighPassHandle, hp->freq0(), kFilterHandleDb, hp->isBypass()});
    if (eq != nullptr) {
        for (int i = 0; i < eq->bandCount(); ++i) {
            const CEqItem& b = eq->bands().at(i);
            handles.append({i + 1, b.freq0(), b.dbGain(), eq->isBypass() || b.isBypass()});
        }
    }
    if (lp != nullptr)
        handles.append({kLowPassHandle, lp->freq0(), kFilterHandleDb, lp->isBypass()});
    m_chart->setHandles(handles);
}

void DspEqHlpBlockForm::showPhase(bool on)
{
    m_phase->setVisible(on);
    if (on)
        redraw();
}

void DspEqHlpBlockForm::slot_eqDragPressed(int x, int y, int handle)
{
    Q_UNUSED(x)
    Q_UNUSED(y)
    m_chart->setSelectedHandle(handle);
}

void DspEqHlpBlockForm::slot_eqDragMoved(int x, int y, int handle)
{
    const CEqBlockItem* eq = eqBlock();
    const EqDragMapping::Result r = EqDragMapping::drag(handle, x, y, eq != nullptr ? eq->bandCount() : 0);
    switch (r.target) {
    case EqDragMapping::Band:
        moveBand(r.band, r.frequency, r.gainDb);
        break;
    case EqDragMapping::HighPass:
    case EqDragMapping::LowPass:
        slot_filterEdited(r.target == EqDragMapping::HighPass, DspEqFilterControls::Frequency, r.frequency);
        break;
    case EqDragMapping::None:
        break;
    }
}

void DspEqHlpBlockForm::slot_filterEdited(bool highPass, int field, double value)
{
    CHlpfItem* f = filter(highPass);
    if (f == nullptr || !std::isfinite(value))
        return;
    DspEqFilterControls* controls = highPass ? m_hpf : m_lpf;
    int type = f->type();
    int order = f->order();
    double hz = f->freq0();
    switch (field) {
    case DspEqFilterControls::Type:
        type = int(value);
        order = DspEqFilterControls::fitOrder(type, order);
        break;
    case DspEqFilterControls::Order:
        order = int(value);
        break;
    case DspEqFilterControls::Frequency:
        hz = value;
        break;
    default:
        return;
    }
    if (type == f->type() && order == f->order() && std::abs(hz - f->freq0()) <= 1e-6) {
        controls->showFilter(*f);
        return;
    }
    if (refuseWhenLocked())
        return;
    f->setType(type);
    f->setOrder(order);
    f->setFreq0(hz);
    controls->showFilter(*f);
    redraw();
    sendParams(highPass ? m_hpfIndex : m_lpfIndex);
}

void DspEqHlpBlockForm::slot_filterBypassClicked(bool highPass, bool bypass)
{
    if (filter(highPass) != nullptr)
        sendBypass(highPass ? m_hpfIndex : m_lpfIndex, bypass);
}
