#include "DspDuckerForm.h"

#include "CDeviceDspData.h"
#include "CDuckerItem.h"
#include "CInputChannel.h"
#include "UiScale.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

DspDuckerForm::DspDuckerForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspDynamicsForm(data, isInput, chIndex, blockIndex, false, parent)
{
    setObjectName(QStringLiteral("DspDuckerForm"));
    m_trigger = addControl(QStringLiteral("trigger"), QStringLiteral("Trigger"), QStringLiteral("dBFS"),
                           {-60, 0, 0.1, 1, 10, 1000});
    connect(m_trigger, &DspSliderSpin::signal_edited, this, &DspDuckerForm::onTrigger);
    m_depth =
        addControl(QStringLiteral("depth"), QStringLiteral("Depth"), QStringLiteral("dB"), {-80, 0, 0.1, 1, 10, 1000});
    connect(m_depth, &DspSliderSpin::signal_edited, this, &DspDuckerForm::onDepth);
    m_attack =
        addControl(QStringLiteral("attack"), QStringLiteral("Attack"), QStringLiteral("ms"), {1, 1000, 1, 0, 1, 0});
    connect(m_attack, &DspSliderSpin::signal_edited, this,
            [this](double ms) { onTime(ms, &CDuckerItem::attackMs, &CDuckerItem::setAttackMs); });
    m_release =
        addControl(QStringLiteral("release"), QStringLiteral("Release"), QStringLiteral("ms"), {1, 5000, 1, 0, 1, 0});
    connect(m_release, &DspSliderSpin::signal_edited, this,
            [this](double ms) { onTime(ms, &CDuckerItem::releaseMs, &CDuckerItem::setReleaseMs); });
    m_hold = addControl(QStringLiteral("hold"), QStringLiteral("Hold"), QStringLiteral("ms"), {1, 50000, 1, 0, 1, 0});
    connect(m_hold, &DspSliderSpin::signal_edited, this,
            [this](double ms) { onTime(ms, &CDuckerItem::holdMs, &CDuckerItem::setHoldMs); });

    auto* reference = new QWidget(this);
    reference->setObjectName(QStringLiteral("reference"));
    auto* caption = new QLabel(QStringLiteral("Reference"), reference);
    caption->setObjectName(QStringLiteral("reference_caption"));
    caption->setAlignment(Qt::AlignCenter);
    m_reference = new QComboBox(reference);
    m_reference->setObjectName(QStringLiteral("refCh_box"));
    m_reference->setMinimumWidth(UiScale::px(110));
    auto* box = new QVBoxLayout(reference);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(caption);
    box->addWidget(m_reference);
    box->addStretch(1);
    addColumn(reference);
    connect(m_reference, qOverload<int>(&QComboBox::activated), this, &DspDuckerForm::onReference);
    refreshFromModel();
}

CDuckerItem* DspDuckerForm::item() const
{
    return dynamic_cast<CDuckerItem*>(block());
}

void DspDuckerForm::fillReferences(int refCh)
{
    const QSignalBlocker blocker(m_reference);
    m_reference->clear();
    m_reference->addItem(QStringLiteral("None"), -1);
    const int inputs = data() != nullptr ? data()->inputs().size() : 0;
    for (int i = 0; i < inputs; ++i) {
        const QString name = data()->inputs().at(i)->name();
        m_reference->addItem(name.isEmpty() ? QStringLiteral("In %1").arg(i + 1) : name, i);
    }
    int at = m_reference->findData(refCh);
    if (at < 0) {
        // A reference the configuration has no input for is shown as it is, not silently replaced.
        m_reference->addItem(QStringLiteral("#%1").arg(refCh), refCh);
        at = m_reference->count() - 1;
    }
    m_reference->setCurrentIndex(at);
}

void DspDuckerForm::refreshFromModel()
{
    DspDynamicsForm::refreshFromModel();
    const CDuckerItem* b = item();
    if (b == nullptr || m_reference == nullptr)
        return;
    m_trigger->setValue(b->trigDb());
    m_depth->setValue(b->duckDb());
    m_attack->setValue(b->attackMs());
    m_release->setValue(b->releaseMs());
    m_hold->setValue(b->holdMs());
    fillReferences(b->refCh());
}

bool DspDuckerForm::acceptLevel(float stored, double typed)
{
    return acceptEdit(double(stored), double(float(typed)));
}

void DspDuckerForm::onTrigger(double db)
{
    CDuckerItem* b = item();
    if (b == nullptr || !acceptLevel(b->trigDb(), db))
        return;
    b->setTrigDb(float(db));
    sendParams();
}

void DspDuckerForm::onDepth(double db)
{
    CDuckerItem* b = item();
    if (b == nullptr || !acceptLevel(b->duckDb(), db))
        return;
    b->setDuckDb(float(db));
    sendParams();
}

void DspDuckerForm::onTime(double ms, int (CDuckerItem::*get)() const, void (CDuckerItem::*set)(int))
{
    CDuckerItem* b = item();
    const int value = int(std::lround(ms));
    if (b == nullptr || !acceptEdit((b->*get)(), value))
        return;
    (b->*set)(value);
    sendParams();
}

void DspDuckerForm::onReference(int index)
{
    CDuckerItem* b = item();
    const int refCh = m_reference->itemData(index).toInt();
    if (b == nullptr || !acceptEdit(b->refCh(), refCh))
        return;
    b->setRefCh(refCh);
    sendParams();
}
