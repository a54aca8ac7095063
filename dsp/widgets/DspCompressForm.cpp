#include "DspCompressForm.h"

#include "CDynamicsItem.h"
#include "UiScale.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

DspCompressForm::DspCompressForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspCompressForm(data, isInput, chIndex, blockIndex, DynamicsRules::Curve::Compressor, parent)
{
}

DspCompressForm::DspCompressForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex,
                                 DynamicsRules::Curve curve, QWidget* parent)
    : DspDynamicsForm(data, isInput, chIndex, blockIndex, true, parent), m_curve(curve)
{
    setObjectName(curve == DynamicsRules::Curve::Expander ? QStringLiteral("DspExpandForm")
                                                          : QStringLiteral("DspCompressForm"));
    build();
    refreshFromModel();
}

void DspCompressForm::build()
{
    const DynamicsRules::ThresholdRange t = DynamicsRules::thresholdRange(m_curve);
    m_threshold = addControl(QStringLiteral("threshold"), QStringLiteral("Threshold"), QStringLiteral("dBFS"),
                             {t.minDb, t.maxDb, 0.1, 1, 10, 1000});
    connect(m_threshold, &DspSliderSpin::signal_edited, this, &DspCompressForm::onThreshold);

    auto* ratio = new QWidget(this);
    ratio->setObjectName(QStringLiteral("ratio"));
    auto* caption = new QLabel(QStringLiteral("Ratio"), ratio);
    caption->setObjectName(QStringLiteral("ratio_caption"));
    caption->setAlignment(Qt::AlignCenter);
    m_ratio = new QSlider(Qt::Vertical, ratio);
    m_ratio->setObjectName(QStringLiteral("ratio_slider"));
    m_ratio->setRange(0, DynamicsRules::kRatioCount - 1);
    m_ratio->setPageStep(1);
    m_ratio->setMinimumHeight(UiScale::px(150));
    m_ratioLabel = new QLabel(ratio);
    m_ratioLabel->setObjectName(QStringLiteral("ratio_label"));
    m_ratioLabel->setAlignment(Qt::AlignCenter);
    m_ratioLabel->setMinimumWidth(UiScale::px(56));
    m_ratioLabel->setStyleSheet(QStringLiteral("background:#2a2f38;border:1px solid #3a414d;padding:2px;"));
    auto* box = new QVBoxLayout(ratio);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(caption);
    box->addWidget(m_ratio, 1, Qt::AlignHCenter);
    box->addWidget(m_ratioLabel, 0, Qt::AlignHCenter);
    // An empty unit row keeps the slider level with its neighbours.
    box->addWidget(new QLabel(QStringLiteral(" "), ratio));
    addColumn(ratio);
    connect(m_ratio, &QSlider::valueChanged, this, &DspCompressForm::onRatio);

    m_attack =
        addControl(QStringLiteral("attack"), QStringLiteral("Attack"), QStringLiteral("ms"), {1, 100, 1, 0, 1, 0});
    connect(m_attack, &DspSliderSpin::signal_edited, this, &DspCompressForm::onAttack);
    // The release slider moves in 10 ms steps.
    m_release = addControl(QStringLiteral("release"), QStringLiteral("Release"), QStringLiteral("ms"),
                           {100, 6000, 10, 0, 0.1, 0});
    connect(m_release, &DspSliderSpin::signal_edited, this, &DspCompressForm::onRelease);
}

CDynamicsItem* DspCompressForm::item() const
{
    return dynamic_cast<CDynamicsItem*>(block());
}

void DspCompressForm::refreshFromModel()
{
    DspDynamicsForm::refreshFromModel();
    const CDynamicsItem* b = item();
    if (b == nullptr || m_threshold == nullptr)
        return;
    m_threshold->setValue(b->trigDb());
    {
        const QSignalBlocker blocker(m_ratio);
        m_ratio->setValue(DynamicsRules::ratioPosition(b->ratio()));
    }
    m_ratioLabel->setText(DynamicsRules::ratioLabel(DynamicsRules::ratioAt(m_ratio->value())));
    m_attack->setValue(b->attackMs());
    m_release->setValue(b->releaseMs());
    redrawCurve();
}

void DspCompressForm::redrawCurve()
{
    // The curve shows what the block does, also for a ratio the slider cannot show.
    if (const CDynamicsItem* b = item())
        showCurve(DynamicsRules::transferCurve(m_curve, b->trigDb(), b->ratio()));
}

void DspCompressForm::onThreshold(double db)
{
    CDynamicsItem* b = item();
    if (b == nullptr || !acceptEdit(b->trigDb(), db))
        return;
    b->setTrigDb(db);
    redrawCurve();
    sendParams();
}

void DspCompressForm::onRatio(int position)
{
    const double ratio = DynamicsRules::ratioAt(position);
    m_ratioLabel->setText(DynamicsRules::ratioLabel(ratio));
    CDynamicsItem* b = item();
    if (b == nullptr || !acceptEdit(b->ratio(), ratio))
        return;
    b->setRatio(ratio);
    redrawCurve();
    sendParams();
}

void DspCompressForm::onAttack(double ms)
{
    CDynamicsItem* b = item();
    const int value = int(std::lround(ms));
    if (b == nullptr || !acceptEdit(b->attackMs(), value))
        return;
    b->setAttackMs(value);
    sendParams();
}

void DspCompressForm::onRelease(double ms)
{
    CDynamicsItem* b = item();
    const int value = int(std::lround(ms));
    if (b == nullptr || !acceptEdit(b->releaseMs(), value))
        return;
    b->setReleaseMs(value);
    sendParams();
}
