#include "DspDelayBlockForm.h"

#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "UiScale.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

struct Field
{
    const char* name;
    const char* caption;
    int decimals;
};

/// In the order of DelayUnits::Unit.
const Field kFields[] = {
    {"ds_samples", "Sample Dots", 0},
    {"ds_ms", "Milli Seconds", 3},
    {"ds_meter", "Meter", 3},
    {"ds_feet", "Feet", 3},
};

} // namespace

DspDelayBlockForm::DspDelayBlockForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspDelayBlockForm"));
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("delay_body"));
    body->setStyleSheet(
        QStringLiteral("QDoubleSpinBox{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;padding:3px;}"));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QLatin1String(kFields[i].caption), body);
        label->setMinimumWidth(qMax(UiScale::px(110), 110));
        auto* spin = new QDoubleSpinBox(body);
        spin->setObjectName(QLatin1String(kFields[i].name));
        spin->setDecimals(kFields[i].decimals);
        spin->setKeyboardTracking(false);
        spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
        spin->setAlignment(Qt::AlignCenter);
        spin->setMinimumWidth(qMax(UiScale::px(120), 120));
        grid->addWidget(label, i, 0);
        grid->addWidget(spin, i, 1);
        m_fields[i] = spin;
        const auto unit = DelayUnits::Unit(i);
        connect(spin, &QDoubleSpinBox::editingFinished, this, [this, unit, spin] { onEdited(unit, spin->value()); });
    }
    grid->setColumnStretch(2, 1);
    m_slider = new QSlider(Qt::Horizontal, body);
    m_slider->setObjectName(QStringLiteral("slider_delay"));
    m_slider->setMinimumWidth(qMax(UiScale::px(360), 360));
    connect(m_slider, &QSlider::valueChanged, this, [this](int samples) { onEdited(DelayUnits::Samples, samples); });

    auto* box = new QVBoxLayout(body);
    box->setContentsMargins(0, 0, 0, 0);
    box->addLayout(grid);
    box->addSpacing(UiScale::px(8));
    box->addWidget(m_slider);
    box->addStretch(1);
    setBody(body);
    resize(UiScale::px(480), UiScale::px(300));
    refreshFromModel();
}

CDelayItem* DspDelayBlockForm::item() const
{
    return dynamic_cast<CDelayItem*>(block());
}

int DspDelayBlockForm::sampleRate() const
{
    return data() != nullptr ? data()->sampleRate() : DelayUnits::kDefaultRate;
}

void DspDelayBlockForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    if (const CDelayItem* b = item(); b != nullptr && m_slider != nullptr)
        showSamples(b->delayNum(), b->maxNum());
}

void DspDelayBlockForm::showSamples(int samples, int maxNum)
{
    const int max = qMax(0, maxNum);
    const QSignalBlocker blocker(m_slider);
    m_slider->setRange(0, max);
    m_slider->setValue(samples);
    for (int i = 0; i < 4; ++i) {
        const auto unit = DelayUnits::Unit(i);
        const QSignalBlocker b(m_fields[i]);
        m_fields[i]->setRange(0, DelayUnits::fromSamples(max, unit, sampleRate()));
        m_fields[i]->setValue(DelayUnits::fromSamples(samples, unit, sampleRate()));
    }
}

void DspDelayBlockForm::onEdited(DelayUnits::Unit unit, double value)
{
    CDelayItem* b = item();
    if (b == nullptr)
        return;
    const int samples = DelayUnits::toSamples(value, unit, sampleRate(), b->maxNum());
    // A value that rounds to the stored delay is no change, but every field shows it as stored.
    if (samples == b->delayNum() || refuseWhenLocked()) {
        showSamples(b->delayNum(), b->maxNum());
        return;
    }
    b->setDelayNum(samples);
    showSamples(samples, b->maxNum());
    sendParams();
}
