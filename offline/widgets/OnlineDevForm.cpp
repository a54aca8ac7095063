#include "OnlineDevForm.h"

#include "AppState.h"
#include "ArchiveAssignment.h"
#include "OfflineDevice.h"
#include "UiScale.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>

OnlineDevForm::OnlineDevForm(const OfflineDevice& archive, QWidget* parent)
    : QWidget(parent), m_archiveId(archive.devId()), m_label(new QLabel(this)), m_combo(new QComboBox(this))
{
    setObjectName(QStringLiteral("onlineDevForm"));
    m_label->setObjectName(QStringLiteral("offline_dev_lab"));
    m_label->setText(QStringLiteral("%1  (%2)").arg(archive.name(), archive.model()));
    m_label->setToolTip(archive.devId());
    m_combo->setObjectName(QStringLiteral("online_dev_cb"));
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(24);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, UiScale::px(2), 0, UiScale::px(2));
    layout->setSpacing(UiScale::px(10));
    layout->addWidget(m_label, 2);
    layout->addWidget(m_combo, 3);
    setCandidates(archive, {});
    connect(m_combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &OnlineDevForm::signal_changed);
}

void OnlineDevForm::setCandidates(const OfflineDevice& archive, const QVector<OnlineDeviceFacts>& online)
{
    const QString keep = assigned();
    QSignalBlocker block(m_combo);
    m_combo->clear();
    m_combo->addItem(AppState::pick(QStringLiteral("未分配"), QStringLiteral("Not assigned")), QString());
    for (const OnlineDeviceFacts& f : online)
        if (ArchiveAssignment::compatible(archive, f))
            m_combo->addItem(QStringLiteral("%1  (%2)").arg(f.name, QHostAddress(quint32(f.ip)).toString()), f.devId);
    const int index = m_combo->findData(keep);
    m_combo->setCurrentIndex(index < 0 ? 0 : index);
}

void OnlineDevForm::setAssigned(const QString& onlineDevId)
{
    const int index = onlineDevId.isEmpty() ? 0 : m_combo->findData(onlineDevId);
    m_combo->setCurrentIndex(index < 0 ? 0 : index);
}

QString OnlineDevForm::assigned() const
{
    return m_combo->currentData().toString();
}
