#include "OfflineDscpPanel.h"

#include "AppState.h"
#include "OfflineDeviceBridge.h"
#include "ReasonText.h"

#include <QFormLayout>
#include <QSignalBlocker>
#include <QSpinBox>

OfflineDscpPanel::OfflineDscpPanel(OfflineDeviceBridge& device, QWidget* parent) : QWidget(parent), m_device(device)
{
    setObjectName(QStringLiteral("dscpPanel"));
    m_ptpDscp = new QSpinBox(this);
    m_ptpDscp->setObjectName(QStringLiteral("ptpDscp_sb"));
    m_dscp = new QSpinBox(this);
    m_dscp->setObjectName(QStringLiteral("dscp_sb"));
    for (QSpinBox* box : {m_ptpDscp, m_dscp})
        box->setRange(0, 63);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(AppState::pick(QStringLiteral("PTP DSCP 优先级:"), QStringLiteral("PTP DSCP Priority:")), m_ptpDscp);
    form->addRow(AppState::pick(QStringLiteral("流 DSCP 优先级:"), QStringLiteral("Stream DSCP Priority:")), m_dscp);
    connect(m_ptpDscp, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int v) { store(m_device.setPtpDscp(v)); });
    connect(m_dscp, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int v) { store(m_device.setDscp(v)); });
    load();
}

void OfflineDscpPanel::load()
{
    const std::optional<OfflineDevDetail> s = m_device.settings();
    if (!s)
        return;
    const QSignalBlocker ptp(m_ptpDscp);
    const QSignalBlocker stream(m_dscp);
    m_ptpDscp->setValue(s->ptpDscp);
    m_dscp->setValue(s->dscp);
}

void OfflineDscpPanel::store(bool ok)
{
    if (!ok)
        load(); // the device left the design: show what is stored
    emit signal_showTips(ok ? ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese())
                            : tr("设置失败"));
}
