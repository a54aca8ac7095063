#include "DspSignalGenForm.h"

#include "CSignalGen.h"
#include "DspSliderSpin.h"
#include "DynamicsRules.h"
#include "UiScale.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

/// "mode" is the index in this list; only the tone has a frequency.
const char* const kTypes[] = {"正弦波", "粉红噪声", "白噪声"};
constexpr int kToneMode = 0;

} // namespace

DspSignalGenForm::DspSignalGenForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspSignalGenForm"));
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("signalgen_body"));
    body->setStyleSheet(QStringLiteral(
        "QComboBox,QDoubleSpinBox{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;padding:3px;}"
        "QDoubleSpinBox:disabled{color:#7d8592;}"));
    auto* caption = new QLabel(QStringLiteral("信号类型:"), body);
    m_mode = new QComboBox(body);
    m_mode->setObjectName(QStringLiteral("cb_signalType"));
    m_mode->setMinimumWidth(qMax(UiScale::px(120), 120));
    for (const char* t : kTypes)
        m_mode->addItem(QString::fromUtf8(t));
    m_freq = new DspSliderSpin(QStringLiteral("freq"), QStringLiteral("频率"), QStringLiteral("Hz"),
                               {20, 20000, 1, 0, 1, 0}, body);
    m_level = new DspSliderSpin(QStringLiteral("level"), QStringLiteral("电平"), QStringLiteral("dBFS"),
                                {-100, 0, 0.5, 1, 10, 1000}, body);

    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(m_mode);
    top->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(m_freq);
    columns->addSpacing(UiScale::px(24));
    columns->addWidget(m_level);
    columns->addStretch(1);
    auto* box = new QVBoxLayout(body);
    box->setContentsMargins(0, 0, 0, 0);
    box->addLayout(top);
    box->addLayout(columns, 1);
    setBody(body);
    resize(UiScale::px(420), UiScale::px(360));

    connect(m_mode, qOverload<int>(&QComboBox::currentIndexChanged), this, &DspSignalGenForm::onMode);
    connect(m_freq, &DspSliderSpin::signal_edited, this, &DspSignalGenForm::onFreq);
    connect(m_level, &DspSliderSpin::signal_edited, this, &DspSignalGenForm::onLevel);
    refreshFromModel();
}

CSignalGen* DspSignalGenForm::item() const
{
    return dynamic_cast<CSignalGen*>(block());
}

void DspSignalGenForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    const CSignalGen* b = item();
    if (b == nullptr || m_mode == nullptr)
        return;
    {
        const QSignalBlocker blocker(m_mode);
        // A mode this editor has no name for shows no selection rather than a wrong one.
        m_mode->setCurrentIndex(b->mode() >= 0 && b->mode() < m_mode->count() ? b->mode() : -1);
    }
    m_freq->setValue(b->freq());
    m_freq->setEnabled(b->mode() == kToneMode);
    m_level->setValue(b->gainDb());
}

void DspSignalGenForm::onMode(int index)
{
    CSignalGen* b = item();
    if (b == nullptr || index < 0 || index == b->mode() || refuseWhenLocked())
        return;
    b->setMode(index);
    m_freq->setEnabled(index == kToneMode);
    sendParams();
}

void DspSignalGenForm::onFreq(double hz)
{
    CSignalGen* b = item();
    if (b == nullptr || !DynamicsRules::changed(b->freq(), hz) || refuseWhenLocked())
        return;
    b->setFreq(hz);
    sendParams();
}

void DspSignalGenForm::onLevel(double db)
{
    CSignalGen* b = item();
    if (b == nullptr || !DynamicsRules::changed(b->gainDb(), db) || refuseWhenLocked())
        return;
    b->setGainDb(db);
    sendParams();
}
