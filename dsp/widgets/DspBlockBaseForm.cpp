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
#include <QShowEvent>
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
    m_meter->setMaximumHeight(UiScale::px(14));
    m_meter->setStyleSheet(QStringLiteral("QProgressBar{background:#2a2f38;border:1px solid #3a404b;border-radius:2px;}"
                                          "QProgressBar::chunk{background:#3cb371;}"));
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
    track(m_blockIndex);
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

bool DspBlockBaseForm::pollsStatus(int kind)
{
    return kind == CBaseItem::KindCompress || kind == CBaseItem::KindExpand || kind == CBaseItem::KindLimit ||
           kind == CBaseItem::KindNoiseGate || kind == CBaseItem::KindDucker;
}

bool DspBlockBaseForm::shows(bool isInput, int chIndex, int blockIndex) const
{
    return isInput == m_isInput && chIndex == m_chIndex && blockIndex == m_blockIndex;
}

CBaseItem* DspBlockBaseForm::block() const
{
    return blockAt(m_blockIndex);
}

CBaseItem* DspBlockBaseForm::blockAt(int blockIndex) const
{
    if (m_data == nullptr)
        return nullptr;
    const CChainChannel* ch = m_data->channel(m_isInput, m_chIndex);
    return ch != nullptr ? ch->block(blockIndex) : nullptr;
}

BlockPosition DspBlockBaseForm::positionOf(int blockIndex) const
{
    if (m_data == nullptr)
        return BlockPosition::make(m_isInput, m_chIndex, blockIndex, 0, 0);
    return BlockPosition::of(*m_data, m_isInput, m_chIndex, blockIndex);
}

void DspBlockBaseForm::setBody(QWidget* body)
{
    m_layout->addWidget(body, 1);
}

void DspBlockBaseForm::setCommonBypassVisible(bool visible)
{
    m_bypass->setVisible(visible);
}

void DspBlockBaseForm::refreshFromModel()
{
    const CBaseItem* b = block();
    const QSignalBlocker blocker(m_bypass);
    m_bypass->setChecked(b != nullptr && b->isBypass());
    m_bypass->setEnabled(b != nullptr);
}

DspBlockBaseForm::Tracked& DspBlockBaseForm::track(int blockIndex)
{
    const QString flag = BlockPosition::flag(m_isInput, m_chIndex, blockIndex);
    auto it = m_tracked.find(flag);
    if (it == m_tracked.end()) {
        Tracked t;
        t.blockIndex = blockIndex;
        if (const CBaseItem* b = blockAt(blockIndex))
            t.accepted.reset(b->clone());
        it = m_tracked.insert(flag, t);
    }
    return it.value();
}

void DspBlockBaseForm::sendParams()
{
    sendParams(m_blockIndex);
}

void DspBlockBaseForm::sendParams(int blockIndex)
{
    const CBaseItem* b = blockAt(blockIndex);
    if (b == nullptr)
        return;
    sendChange(blockIndex, b->setBorderProcRequest(positionOf(blockIndex), m_data->info().chNumIn));
}

void DspBlockBaseForm::sendChange(int blockIndex, const QJsonObject& request)
{
    if (blockAt(blockIndex) == nullptr || request.isEmpty())
        return;
    if (m_offline) {
        emit signal_updateUI(m_isInput, m_chIndex, blockIndex);
        return;
    }
    ++track(blockIndex).pending;
    emit signal_sendMsg(DspEnvelope::udp(request));
}

void DspBlockBaseForm::settle(Tracked& tracked, bool accepted)
{
    // An answer to nothing this editor sent changes nothing here.
    if (tracked.pending == 0)
        return;
    --tracked.pending;
    tracked.refused = !accepted;
    if (tracked.pending > 0)
        return;
    CBaseItem* b = blockAt(tracked.blockIndex);
    if (b == nullptr || !tracked.accepted)
        return;
    if (accepted) {
        tracked.accepted->copyParamsFrom(*b);
        return;
    }
    // The device kept what it had: so does the model, and the controls show it again.
    const bool bypass = b->isBypass();
    b->copyParamsFrom(*tracked.accepted);
    b->setBypass(bypass);
    refreshFromModel();
    emit signal_updateUI(m_isInput, m_chIndex, tracked.blockIndex);
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
    sendBypass(m_blockIndex, bypass);
}

void DspBlockBaseForm::sendBypass(int blockIndex, bool bypass)
{
    CBaseItem* b = blockAt(blockIndex);
    if (b == nullptr || refuseWhenLocked())
        return;
    if (b->isBypass() && !bypass && DspCpuFigures::instance().forbidsEnabling()) {
        emit signal_showTips(QStringLiteral("Cpu is up limit, please reduce functions"), false);
        refreshFromModel();
        return;
    }
    if (m_offline) {
        b->setBypass(bypass);
        refreshFromModel();
        emit signal_updateUI(m_isInput, m_chIndex, blockIndex);
        return;
    }
    track(blockIndex);
    emit signal_sendMsg(DspEnvelope::udp(b->setBorderProcBypassRequest(positionOf(blockIndex), bypass)));
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
    auto it = m_tracked.find(ReplyFields::text(reply, "blockFlag"));
    if (it != m_tracked.end())
        handleOwnReply(reply, it.value());
}

void DspBlockBaseForm::handleOwnReply(const QJsonObject& reply, Tracked& tracked)
{
    const QString ops = ReplyFields::text(reply, "ops");
    const bool succ = ReplyFields::text(reply, "result") == QLatin1String("succ");
    if (ops == QLatin1String("setBorderProcBypass")) {
        if (!succ) {
            refreshFromModel();
            emit signal_showTips(QStringLiteral("Set Bypass Failed!"), false);
            return;
        }
        const bool bypass = ReplyFields::text(reply, "val") == QLatin1String("1");
        if (CBaseItem* b = blockAt(tracked.blockIndex))
            b->setBypass(bypass);
        if (tracked.accepted)
            tracked.accepted->setBypass(bypass);
        refreshFromModel();
        emit signal_updateUI(m_isInput, m_chIndex, tracked.blockIndex);
    } else if (ops == QLatin1String("setBorderProc") || ops == QLatin1String("setBorderEq") ||
               ops == QLatin1String("setBorderEqBypass")) {
        if (!succ)
            emit signal_showTips(QStringLiteral("Set Failed!"), false);
        settle(tracked, succ);
        if (succ)
            emit signal_updateUI(m_isInput, m_chIndex, tracked.blockIndex);
    } else if (ops == QLatin1String("getBorderProcStatus") && tracked.blockIndex == m_blockIndex) {
        const double gain =
            reply.value(QStringLiteral("obj")).toObject().value(QStringLiteral("gain")).toString().toDouble();
        m_statusDb = BorderProcStatus::roundedDb(gain);
        m_status->setText(QStringLiteral("%1 dB").arg(BorderProcStatus::meterDb(gain)));
        emit signal_statusGain(m_statusDb);
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
    const CBaseItem* b = block();
    if (m_offline || b == nullptr || !pollsStatus(b->kind()))
        return;
    track(m_blockIndex);
    emit signal_sendMsg(DspEnvelope::udp(CBaseItem::statusRequest(positionOf(m_blockIndex))));
}

void DspBlockBaseForm::showEvent(QShowEvent* event)
{
    if (!m_shown) {
        m_shown = true;
        resize(size().expandedTo(sizeHint()));
    }
    QWidget::showEvent(event);
}

void DspBlockBaseForm::closeEvent(QCloseEvent* event)
{
    emit signal_close(m_blockFlag);
    QWidget::closeEvent(event);
}
