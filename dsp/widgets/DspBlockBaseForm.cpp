#include "DspBlockBaseForm.h"

#include "BlockPosition.h"
#include "BorderProcStatus.h"
#include "CBaseItem.h"
#include "CDeviceDspData.h"
#include "DspCpuFigures.h"
#include "DspEnvelope.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

DspBlockBaseForm::DspBlockBaseForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : QWidget(parent, Qt::Window), m_data(data), m_isInput(isInput), m_chIndex(chIndex), m_blockIndex(blockIndex)
{
    setObjectName(QStringLiteral("DspBlockBaseForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("DspBlockBaseForm{background:#1e2229;} QLabel,QCheckBox{color:#d7dbe2;}"));
    if (m_data != nullptr) {
        const BlockPosition pos = BlockPosition::of(*m_data, isInput, chIndex, blockIndex);
        m_nodeId = pos.nodeId;
        m_blockFlag = pos.blockFlag;
    } else {
        m_blockFlag = BlockPosition::flag(isInput, chIndex, blockIndex);
    }

    m_bypass = new QCheckBox(QStringLiteral("Bypass"), this);
    m_bypass->setObjectName(QStringLiteral("bypass_cb"));
    connect(m_bypass, &QCheckBox::clicked, this, &DspBlockBaseForm::onBypassClicked);
    m_meter = new QProgressBar(this);
    m_meter->setObjectName(QStringLiteral("meter"));
    m_meter->setRange(kFloorDb, 0);
    m_meter->setValue(kFloorDb);
    m_meter->setTextVisible(false);
    m_level = new QLabel(QString::number(kFloorDb), this);
    m_level->setObjectName(QStringLiteral("lb_level"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lb_statusGain"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_bypass);
    top->addStretch();
    top->addWidget(m_status);
    top->addWidget(m_meter);
    top->addWidget(m_level);
    m_layout = new QVBoxLayout(this);
    m_layout->addLayout(top);
    resize(UiScale::px(640), UiScale::px(360));
    refreshFromModel();
}

QString DspBlockBaseForm::titleSuffix(int kind)
{
    switch (kind) {
    case CBaseItem::KindEq:
    case CBaseItem::KindHlpf:
        return QStringLiteral("-EQ & Xover");
    case CBaseItem::KindDelay:
        return QStringLiteral("-Delay");
    case CBaseItem::KindCompress:
        return QStringLiteral("-Compress");
    case CBaseItem::KindFbe:
        return QStringLiteral("-Fbe");
    case CBaseItem::KindFir:
        return QStringLiteral("-Fir");
    case CBaseItem::KindLimit:
        return QStringLiteral("-Limit");
    case CBaseItem::KindNoiseGate:
        return QStringLiteral("-NoiseGate");
    case CBaseItem::KindExpand:
        return QStringLiteral("-Expand");
    case CBaseItem::KindSignalGen:
        return QStringLiteral("-SignalGen");
    case CBaseItem::KindChAec:
        return QStringLiteral("-AEC");
    case CBaseItem::KindDucker:
        return QStringLiteral("-Ducker");
    default:
        return QString();
    }
}

CBaseItem* DspBlockBaseForm::block() const
{
    if (m_data == nullptr)
        return nullptr;
    const CChainChannel* ch = m_data->channel(m_isInput, m_chIndex);
    return ch != nullptr ? ch->block(m_blockIndex) : nullptr;
}

void DspBlockBaseForm::setBody(QWidget* body)
{
    m_layout->addWidget(body, 1);
}

void DspBlockBaseForm::refreshFromModel()
{
    const CBaseItem* b = block();
    const QSignalBlocker blocker(m_bypass);
    m_bypass->setChecked(b != nullptr && b->isBypass());
    m_bypass->setEnabled(b != nullptr);
}

void DspBlockBaseForm::sendParams()
{
    const CBaseItem* b = block();
    if (m_offline || b == nullptr)
        return;
    const BlockPosition pos = BlockPosition::of(*m_data, m_isInput, m_chIndex, m_blockIndex);
    emit signal_sendMsg(DspEnvelope::udp(b->setBorderProcRequest(pos, m_data->info().chNumIn)));
}

bool DspBlockBaseForm::refuseWhenLocked()
{
    if (!m_isLocked || !m_isLocked())
        return false;
    refreshFromModel();
    emit signal_showTips(tr("控制功能已上锁"), false);
    return true;
}

void DspBlockBaseForm::onBypassClicked(bool bypass)
{
    CBaseItem* b = block();
    if (b == nullptr || refuseWhenLocked())
        return;
    if (b->isBypass() && !bypass && DspCpuFigures::instance().forbidsEnabling()) {
        emit signal_showTips(QStringLiteral("Cpu is up limit, please reduce functions"), false);
        refreshFromModel();
        return;
    }
    if (m_offline) {
        b->setBypass(bypass);
        emit signal_updateUI(m_isInput, m_chIndex, m_blockIndex);
        return;
    }
    const BlockPosition pos = BlockPosition::of(*m_data, m_isInput, m_chIndex, m_blockIndex);
    emit signal_sendMsg(DspEnvelope::udp(b->setBorderProcBypassRequest(pos, bypass)));
}

void DspBlockBaseForm::recvMsg(QString msg)
{
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (reply.isEmpty())
        return;
    const QString ops = ReplyFields::text(reply, "ops");
    if (ops == QLatin1String("getVolumeDb")) {
        const QJsonArray arr = reply.value(QLatin1String(m_isInput ? "inArr" : "outArr")).toArray();
        if (m_chIndex < arr.size())
            showLevel(arr.at(m_chIndex).toString());
        return;
    }
    if (ops == QLatin1String(m_isInput ? "getVolumeDbBatchIn" : "getVolumeDbBatchOut")) {
        const int start = ReplyFields::text(reply, "idStart").toInt();
        const QJsonArray arr = reply.value(QStringLiteral("arr")).toArray();
        if (m_chIndex >= start && m_chIndex - start < arr.size())
            showLevel(arr.at(m_chIndex - start).toString());
        return;
    }
    if (ReplyFields::text(reply, "blockFlag") == m_blockFlag)
        handleOwnReply(reply);
}

void DspBlockBaseForm::handleOwnReply(const QJsonObject& reply)
{
    const QString ops = ReplyFields::text(reply, "ops");
    const bool succ = ReplyFields::text(reply, "result") == QLatin1String("succ");
    if (ops == QLatin1String("setBorderProcBypass")) {
        if (!succ) {
            refreshFromModel();
            emit signal_showTips(QStringLiteral("Set Bypass Failed!"), false);
            return;
        }
        if (CBaseItem* b = block())
            b->setBypass(ReplyFields::text(reply, "val") == QLatin1String("1"));
        refreshFromModel();
        emit signal_updateUI(m_isInput, m_chIndex, m_blockIndex);
    } else if (ops == QLatin1String("setBorderProc")) {
        if (!succ) {
            emit signal_showTips(QStringLiteral("Set Failed!"), false);
            return;
        }
        emit signal_updateUI(m_isInput, m_chIndex, m_blockIndex);
    } else if (ops == QLatin1String("getBorderProcStatus")) {
        const double gain =
            reply.value(QStringLiteral("obj")).toObject().value(QStringLiteral("gain")).toString().toDouble();
        m_statusDb = BorderProcStatus::roundedDb(gain);
        m_status->setText(QStringLiteral("%1 dB").arg(BorderProcStatus::meterDb(gain)));
    }
}

void DspBlockBaseForm::showLevel(const QString& levelText)
{
    QString t = levelText.trimmed();
    if (t.contains(QLatin1String("inf")))
        t = QString::number(kFloorDb);
    bool ok = false;
    const double db = t.toDouble(&ok);
    if (!ok || !std::isfinite(db))
        return;
    m_levelDb = qMax(kFloorDb, int(std::lround(db)));
    m_meter->setValue(qMin(0, m_levelDb));
    m_level->setText(QString::number(m_levelDb));
}

void DspBlockBaseForm::getVolumeTimeout()
{
    // Kind editors poll their own status here; the common part has nothing to ask.
}

void DspBlockBaseForm::closeEvent(QCloseEvent* event)
{
    emit signal_close(m_blockFlag);
    QWidget::closeEvent(event);
}
