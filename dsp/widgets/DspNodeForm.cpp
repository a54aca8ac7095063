#include "DspNodeForm.h"

#include "DspCpuFigures.h"
#include "DspEnvelope.h"
#include "ReplyFields.h"

#include <QCloseEvent>
#include <QJsonDocument>

DspNodeForm::DspNodeForm(CDeviceDspData* data, int index, QWidget* parent)
    : QWidget(parent, Qt::Window), m_data(data), m_index(index)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_StyledBackground);
}

void DspNodeForm::commit()
{
    if (m_offline)
        return;
    const QJsonObject req = request();
    if (req.isEmpty())
        return;
    ++m_pending;
    emit signal_sendMsg(DspEnvelope::udp(req));
}

bool DspNodeForm::refuseWhenLocked()
{
    if (!m_isLocked || !m_isLocked())
        return false;
    refreshFromModel();
    emit signal_showTips(tr("控制功能已上锁"), false);
    return true;
}

bool DspNodeForm::refuseEnabling(bool wasOn, bool on)
{
    if (wasOn || !on || !DspCpuFigures::instance().forbidsEnabling())
        return false;
    refreshFromModel();
    emit signal_showTips(QStringLiteral("Cpu is up limit, please reduce functions"), false);
    return true;
}

void DspNodeForm::recvMsg(QString msg)
{
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (reply.isEmpty() || ReplyFields::text(reply, "blockFlag") != blockFlag())
        return;
    const QString ops = ReplyFields::text(reply, "ops");
    if (ops != QLatin1String("setNodeData")) {
        handleReply(ops, reply);
        return;
    }
    // An answer to nothing this editor sent changes nothing here.
    if (m_pending == 0)
        return;
    --m_pending;
    const bool succ = ReplyFields::text(reply, "result") == QLatin1String("succ");
    if (!succ)
        emit signal_showTips(tr("设置失败"), false);
    if (m_pending > 0)
        return;
    // The last answer tells what the device holds now: the whole object travels with every change.
    if (succ) {
        remember();
        return;
    }
    restore();
    refreshFromModel();
}

void DspNodeForm::handleReply(const QString& ops, const QJsonObject& reply)
{
    Q_UNUSED(ops)
    Q_UNUSED(reply)
}

void DspNodeForm::closeEvent(QCloseEvent* event)
{
    emit signal_close(blockFlag());
    QWidget::closeEvent(event);
}
