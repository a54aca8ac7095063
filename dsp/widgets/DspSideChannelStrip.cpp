#include "DspSideChannelStrip.h"

#include "CBaseChannel.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVariant>

DspSideChannelStrip::DspSideChannelStrip(Kind kind, int index, QWidget* parent)
    : QFrame(parent), m_kind(kind), m_index(index)
{
    const QString side = kind == Aec ? QStringLiteral("Aec") : QStringLiteral("AutoMixer");
    setObjectName(QStringLiteral("strip:%1:%2").arg(side).arg(index));
    setFrameShape(QFrame::StyledPanel);
    setProperty("strip", true);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_title = new QLabel(QStringLiteral("%1 %2").arg(kind == Aec ? QStringLiteral("AEC") : side).arg(index + 1), this);
    m_title->setObjectName(QStringLiteral("title:%1:%2").arg(side).arg(index));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("state:%1:%2").arg(side).arg(index));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(UiScale::px(4), UiScale::px(2), UiScale::px(4), UiScale::px(2));
    row->addWidget(m_title);
    row->addWidget(m_state);
    row->addStretch();
    auto* edit = new QPushButton(tr("编辑"), this);
    edit->setObjectName(QStringLiteral("edit:%1:%2").arg(side).arg(index));
    edit->setMinimumWidth(qMax(UiScale::px(56), 56));
    connect(edit, &QPushButton::clicked, this, [this] { emit signal_openEditor(m_kind, m_index); });
    row->addWidget(edit);
}

void DspSideChannelStrip::setChannel(const CBaseChannel& channel)
{
    QString state = QStringLiteral("%1 dB").arg(channel.gainDb(), 0, 'f', 1);
    if (channel.isMute())
        state += QStringLiteral("  M");
    if (channel.isInverse())
        state += QStringLiteral("  Ø");
    m_state->setText(state);
}

QString DspSideChannelStrip::titleText() const
{
    return m_title->text();
}
