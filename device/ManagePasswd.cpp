#include "ManagePasswd.h"

#include "AppState.h"
#include "DevDetailStore.h"
#include "DeviceLog.h"
#include "DeviceRequests.h"
#include "DeviceSender.h"
#include "LockMasks.h"
#include "LogRedaction.h"
#include "ModelTable.h"
#include "PasswordRules.h"
#include "ReasonText.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kDspTag = "dspUiTag";

bool isDspTagged(const QJsonObject& o)
{
    return o.value(QStringLiteral("uiTag")).toString() == QLatin1String(kDspTag);
}

bool isSuccess(const QJsonObject& o)
{
    return o.value(QStringLiteral("result")).toString() == QLatin1String("succ");
}

} // namespace

ManagePasswd::ManagePasswd(const QString& devId, Mode mode, QWidget* parent)
    : QDialog(parent), m_devId(devId), m_mode(mode)
{
    setObjectName(QStringLiteral("ManagePasswd"));
    setModal(true);
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(devId);
    m_hasDsp = ModelTable::instance().hasDsp(detail.model);

    const int font = UiScale::fontPx(13);
    setStyleSheet(QStringLiteral("QDialog{background:#1e242c;}"
                                 "QLabel{color:#d8dee6;font-size:%1px;}"
                                 "QLabel#title_label{font-size:%2px;font-weight:bold;}"
                                 "QLabel#tips_label{color:#8f9aa6;}"
                                 "QLineEdit{color:#ffffff;background:#2a313b;border:1px solid #3a4552;"
                                 "border-radius:3px;padding:2px 6px;font-size:%1px;min-height:%3px;}"
                                 "QCheckBox{color:#c8d0dc;font-size:%1px;}"
                                 "QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                                 "font-size:%1px;min-height:%3px;padding:0 %4px;}"
                                 "QPushButton:hover{background:#1c96d8;}"
                                 "QPushButton:disabled{background:#4a5360;color:#9aa3ad;}")
                      .arg(font)
                      .arg(UiScale::fontPx(15))
                      .arg(UiScale::px(24))
                      .arg(UiScale::px(14)));

    QString title;
    switch (mode) {
    case EnterPassword:
        title = tr("输入密码");
        break;
    case SetPassword:
        title = tr("设置密码");
        break;
    case ChangePassword:
        title = tr("修改密码");
        break;
    }
    setWindowTitle(title);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(20), UiScale::px(16), UiScale::px(20), UiScale::px(16));
    layout->setSpacing(UiScale::px(10));
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("title_label"));
    layout->addWidget(titleLabel);

    if (mode == EnterPassword) {
        m_passwd = addPasswordRow(QStringLiteral("passwd_le"), QStringLiteral("please enter the password"),
                                  QStringLiteral("show_passwd_cb"));
    } else {
        if (mode == ChangePassword)
            m_old =
                addPasswordRow(QStringLiteral("old_le"), QStringLiteral("old password"), QStringLiteral("show_old_cb"));
        m_new = addPasswordRow(QStringLiteral("new_le"), QStringLiteral("new password"), QStringLiteral("show_new_cb"));
        m_confirm = addPasswordRow(QStringLiteral("confirm_le"), QStringLiteral("confirm the password"),
                                   QStringLiteral("show_confirm_cb"));
    }

    auto* tips = new QLabel(QStringLiteral("Tips:Passwords cannot contain spaces"), this);
    tips->setObjectName(QStringLiteral("tips_label"));
    layout->addWidget(tips);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message_label"));
    m_message->setWordWrap(true);
    m_message->hide();
    layout->addWidget(m_message);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(tr("确定"), this);
    m_ok->setObjectName(QStringLiteral("ok_bt"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel_bt"));
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(UiScale::px(320));

    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kReplyTimeoutMs);
    m_timeout.setObjectName(QStringLiteral("timeout"));
    connect(&m_timeout, &QTimer::timeout, this, &ManagePasswd::handleTimeout);
    QMetaObject::connectSlotsByName(this);
}

QLineEdit* ManagePasswd::addPasswordRow(const QString& name, const QString& placeholder, const QString& toggleName)
{
    auto* row = new QHBoxLayout;
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setPlaceholderText(placeholder);
    auto* show = new QCheckBox(tr("显示"), this);
    show->setObjectName(toggleName);
    connect(show, &QCheckBox::toggled, edit,
            [edit](bool on) { edit->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
    row->addWidget(edit, 1);
    row->addWidget(show);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    return edit;
}

void ManagePasswd::setLevels(int route, int detail, int dsp)
{
    m_route = route;
    m_detail = detail;
    m_dsp = dsp;
}

void ManagePasswd::on_ok_bt_clicked()
{
    if (isWaiting())
        return;
    PasswordRules::Fault fault = PasswordRules::Ok;
    switch (m_mode) {
    case EnterPassword:
        fault = PasswordRules::checkEntry(m_passwd->text());
        break;
    case SetPassword:
        fault = PasswordRules::checkNew(m_new->text(), m_confirm->text());
        break;
    case ChangePassword:
        fault = PasswordRules::checkChange(m_old->text(), m_new->text(), m_confirm->text());
        break;
    }
    if (fault != PasswordRules::Ok) {
        inform(PasswordRules::text(fault), false);
        return;
    }

    startWaiting();
    if (m_mode == EnterPassword) {
        sendDevRequest(m_passwd->text());
        if (m_hasDsp)
            sendDspRequest(m_passwd->text());
    } else {
        // With no password set yet the device expects an empty old one.
        sendPasswordRequest(m_old ? m_old->text() : QString(), m_new->text());
    }
}

void ManagePasswd::on_cancel_bt_clicked()
{
    stopWaiting();
    reject();
}

void ManagePasswd::sendDevRequest(const QString& password)
{
    m_waitDevLock = true;
    send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("setLock")},
                     {QStringLiteral("password"), password},
                     {QStringLiteral("val"), LockMasks::maskText(LockMasks::deviceMask(m_route, m_detail))}},
         DeviceRequests::kLockPort);
}

void ManagePasswd::sendDspRequest(const QString& password)
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId);
    m_waitDspLock = true;
    send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("setLock")},
                     {QStringLiteral("password"), password},
                     {QStringLiteral("val"), LockMasks::maskText(LockMasks::dspMask(m_dsp))},
                     {QStringLiteral("uiTag"), QLatin1String(kDspTag)}},
         uint16_t(ModelTable::instance().dspLockPort(detail.model)));
}

void ManagePasswd::sendPasswordRequest(const QString& oldPassword, const QString& newPassword)
{
    m_waitPassword = true;
    send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("setPassword")},
                     {QStringLiteral("old"), oldPassword},
                     {QStringLiteral("new"), newPassword},
                     {QStringLiteral("isByself"), QStringLiteral("isByself")}},
         DeviceRequests::kServicePort);
}

void ManagePasswd::sendLockQueries()
{
    send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("getLock")}}, DeviceRequests::kLockPort);
    if (m_hasDsp) {
        const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId);
        send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("getLock")},
                         {QStringLiteral("uiTag"), QLatin1String(kDspTag)}},
             uint16_t(ModelTable::instance().dspLockPort(detail.model)));
    }
}

void ManagePasswd::send(const QJsonObject& request, uint16_t port)
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId);
    if (detail.isEmpty()) {
        // Nothing to send to; the wait runs out and says so.
        qCWarning(lcDevice) << "ManagePasswd: no such device" << m_devId;
        return;
    }
    const QByteArray bytes = DeviceRequests::compose(request);
    qCDebug(lcDevice).noquote() << "ManagePasswd sends" << LogRedaction::redacted(bytes) << "to port" << port;
    DeviceSender::send(bytes, detail.ip, port);
}

void ManagePasswd::recvBackData(QString msg)
{
    if (!isWaiting())
        return;
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString devId = reply.value(QStringLiteral("devId")).toString();
    if (!devId.isEmpty() && devId != m_devId)
        return;
    const QString ops = reply.value(QStringLiteral("ops")).toString();
    if (ops == QLatin1String("setLock"))
        handleLockReply(reply);
    else if (ops == QLatin1String("setPassword"))
        handlePasswordReply(reply);
}

void ManagePasswd::handleLockReply(const QJsonObject& reply)
{
    bool& waiting = isDspTagged(reply) ? m_waitDspLock : m_waitDevLock;
    if (!waiting)
        return;
    if (!isSuccess(reply)) {
        stopWaiting();
        inform(failureText(reply), false);
        return;
    }
    waiting = false;
    if (isWaiting())
        return;
    stopWaiting();
    inform(ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese()), true);
    // The levels are never set here: the device's answer to these queries updates the store.
    sendLockQueries();
    accept();
}

void ManagePasswd::handlePasswordReply(const QJsonObject& reply)
{
    if (!m_waitPassword)
        return;
    stopWaiting();
    if (!isSuccess(reply)) {
        inform(failureText(reply), false);
        return;
    }
    inform(tr("修改密码成功"), true);
    accept();
}

QString ManagePasswd::failureText(const QJsonObject& reply) const
{
    const QString reason = reply.value(QStringLiteral("reason")).toString();
    // A refusal without a reason must still read as a failure.
    return reason.isEmpty() ? tr("设置失败") : ReasonText::forReason(reason, AppState::isChinese());
}

void ManagePasswd::handleTimeout()
{
    if (!isWaiting())
        return;
    stopWaiting();
    inform(tr("设备超时未响应"), false);
}

void ManagePasswd::startWaiting()
{
    m_ok->setEnabled(false);
    m_message->hide();
    m_timeout.start();
}

void ManagePasswd::stopWaiting()
{
    m_waitDevLock = m_waitDspLock = m_waitPassword = false;
    m_timeout.stop();
    m_ok->setEnabled(true);
}

void ManagePasswd::inform(const QString& text, bool success)
{
    m_message->setText(text);
    m_message->setStyleSheet(success ? QStringLiteral("color:#4cc38a;") : QStringLiteral("color:#ff6b6b;"));
    m_message->show();
    emit signal_information(text, success);
}
