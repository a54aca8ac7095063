#include "DspFbeForm.h"

#include "CFbeItem.h"
#include "UiScale.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

QString shiftText(int hz)
{
    return QStringLiteral("%1 Hz").arg(hz);
}

} // namespace

DspFbeForm::DspFbeForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspBlockBaseForm(data, isInput, chIndex, blockIndex, parent)
{
    setObjectName(QStringLiteral("DspFbeForm"));
    setWindowTitle(QStringLiteral("FeedbackEliminator"));
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("fbe_body"));
    body->setStyleSheet(
        QStringLiteral("QComboBox{background:#2a2f38;color:#e6e9ee;border:1px solid #3a414d;padding:3px;}"));
    auto* caption = new QLabel(QStringLiteral("Frequency Shift"), body);
    caption->setMinimumWidth(qMax(UiScale::px(120), 120));
    m_shift = new QComboBox(body);
    m_shift->setObjectName(QStringLiteral("cb_freqShift"));
    m_shift->setMinimumWidth(qMax(UiScale::px(110), 110));
    for (int hz : {0, 1, 2, 3, 4, 5, 6, 8, 10})
        m_shift->addItem(shiftText(hz), hz);
    auto* row = new QHBoxLayout(body);
    row->addWidget(caption);
    row->addWidget(m_shift);
    row->addStretch(1);
    setBody(body);
    resize(UiScale::px(400), UiScale::px(140));
    connect(m_shift, qOverload<int>(&QComboBox::currentIndexChanged), this, &DspFbeForm::onShift);
    refreshFromModel();
}

CFbeItem* DspFbeForm::item() const
{
    return dynamic_cast<CFbeItem*>(block());
}

void DspFbeForm::refreshFromModel()
{
    DspBlockBaseForm::refreshFromModel();
    const CFbeItem* b = item();
    if (b == nullptr || m_shift == nullptr)
        return;
    const QSignalBlocker blocker(m_shift);
    int i = m_shift->findData(b->freqShift());
    if (i < 0) {
        // A shift the list lacks is still shown as the device has it.
        m_shift->addItem(shiftText(b->freqShift()), b->freqShift());
        i = m_shift->count() - 1;
    }
    m_shift->setCurrentIndex(i);
}

void DspFbeForm::onShift(int index)
{
    CFbeItem* b = item();
    const int shift = m_shift->itemData(index).toInt();
    if (b == nullptr || shift == b->freqShift() || refuseWhenLocked())
        return;
    b->setFreqShift(shift);
    sendParams();
}
