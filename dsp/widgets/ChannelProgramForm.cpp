#include "ChannelProgramForm.h"

#include "CDeviceDspData.h"
#include "ChannelItemForm.h"
#include "ChannelProgram.h"
#include "DspDiagramForm.h"
#include "DspEnvelope.h"
#include "ManageProgramForm.h"
#include "ProgramList.h"
#include "ProgramListArea.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

ChannelProgramForm::ChannelProgramForm(bool isInput, int chIndex, const QString& channelName, QWidget* parent)
    : QDialog(parent), m_isInput(isInput), m_chIndex(chIndex)
{
    setObjectName(QStringLiteral("ChannelProgramForm"));
    setWindowTitle(tr("加载通道程式") + QStringLiteral(" - ") + channelName);
    setStyleSheet(QStringLiteral("QDialog{background:#1f232a;} QLabel{color:#d7dbe2;}"
                                 "QPushButton{color:#d7dbe2;background:#2d333d;border:1px solid #3c4450;"
                                 "border-radius:3px;padding:3px 10px;} QPushButton:hover{background:#37404c;}"));
    auto* title = new QLabel(tr("加载通道程式") + QStringLiteral(": ") + channelName, this);
    title->setObjectName(QStringLiteral("lb_title"));
    QScrollArea* scroll = makeProgramListArea(this, &m_list, 280);
    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("lb_tip"));
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(title);
    outer->addWidget(scroll, 1);
    outer->addWidget(m_tip);
}

QDialog* ChannelProgramForm::openFor(DspDiagramForm* diagram, bool isInput, int chIndex, bool manage)
{
    CDeviceDspData* data = diagram->dspData();
    const CChainChannel* channel = data != nullptr ? data->channel(isInput, chIndex) : nullptr;
    const QString name = (isInput ? QStringLiteral("input_%1") : QStringLiteral("output_%1")).arg(chIndex + 1);
    if (channel == nullptr)
        return nullptr;
    const auto wire = [diagram](auto* form) {
        using Form = std::remove_pointer_t<decltype(form)>;
        form->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(form, &Form::signal_sendMsg, diagram, qOverload<QString>(&DspDiagramForm::signal_sendMsg));
        QObject::connect(form, &Form::signal_sendTcpMsg, diagram, &DspDiagramForm::signal_sendTcpMsg);
        QObject::connect(form, &Form::signal_showTips, diagram, &DspDiagramForm::signal_showTips);
        QObject::connect(diagram, &DspDiagramForm::signal_recvMsg, form, &Form::recvMsg);
        form->show();
        form->refreshList();
        return static_cast<QDialog*>(form);
    };
    if (manage)
        return wire(new ManageProgramForm(isInput, chIndex, name, diagram));
    return wire(new ChannelProgramForm(isInput, chIndex, name, diagram));
}

QString ChannelProgramForm::tipText() const
{
    return m_tip->text();
}

void ChannelProgramForm::tip(const QString& text)
{
    m_tip->setText(text);
    emit signal_showTips(text);
}

void ChannelProgramForm::refreshList()
{
    emit signal_sendMsg(DspEnvelope::udp(ChannelProgramRequests::getNameArr()));
}

void ChannelProgramForm::load(const QString& name)
{
    emit signal_sendMsg(DspEnvelope::udp(ChannelProgramRequests::load(name, m_isInput, m_chIndex)));
}

void ChannelProgramForm::recvMsg(QString msg)
{
    if (!msg.contains(QLatin1String("ChConfig")))
        return;
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString ops = reply.value(QLatin1String("ops")).toString();
    const bool ok = reply.value(QLatin1String("result")).toString() == QLatin1String("succ");
    if (ops == QLatin1String("getChConfigNameArr") && ok) {
        m_names.clear();
        for (const QJsonValue& v : reply.value(QLatin1String("nameArr")).toArray()) {
            if (m_names.size() >= ChannelProgram::kMaxPrograms)
                break;
            m_names << v.toString();
        }
        qDeleteAll(m_rows);
        m_rows.clear();
        for (int i = 0; i < m_names.size(); ++i) {
            auto* row = new ChannelItemForm(i, m_names[i]);
            connect(row, &ChannelItemForm::signal_load, this, &ChannelProgramForm::load);
            m_list->insertWidget(i, row);
            m_rows.append(row);
        }
        if (m_names.isEmpty())
            m_tip->setText(tr("没有通道程式"));
    } else if (ops == QLatin1String("loadChConfig")) {
        if (!ok) {
            tip(ProgramReplies::loadFailure(reply.value(QLatin1String("reason")).toString()));
            return;
        }
        tip(tr("加载成功"));
        // The processor changed the channel: the diagram redraws from the configuration read again.
        emit signal_sendTcpMsg(DspEnvelope::udp(ProgramRequests::getConfig()));
    }
}
