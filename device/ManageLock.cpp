#include "ManageLock.h"

#include "DevDetailStore.h"
#include "ManagePasswd.h"
#include "ModelTable.h"
#include "UiScale.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ManageLock::ManageLock(const QString& devId, QWidget* parent) : QDialog(parent), m_devId(devId)
{
    setObjectName(QStringLiteral("ManageLock"));
    setWindowTitle(tr("锁定设置"));
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(devId);
    const int font = UiScale::fontPx(13);
    setStyleSheet(QStringLiteral("QDialog{background:#1e242c;}"
                                 "QLabel{color:#d8dee6;font-size:%1px;}"
                                 "QLabel#title_label{font-size:%2px;font-weight:bold;}"
                                 "QFrame#area_frame,QFrame#dsp_frame{background:#252c35;border-radius:4px;}"
                                 "QCheckBox{color:#c8d0dc;font-size:%1px;spacing:%3px;}"
                                 "QCheckBox:checked{color:#ffffff;}"
                                 "QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                                 "font-size:%1px;min-height:%4px;padding:0 %5px;}"
                                 "QPushButton:hover{background:#1c96d8;}")
                      .arg(font)
                      .arg(UiScale::fontPx(15))
                      .arg(UiScale::px(6))
                      .arg(UiScale::px(26))
                      .arg(UiScale::px(14)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(20), UiScale::px(16), UiScale::px(20), UiScale::px(16));
    layout->setSpacing(UiScale::px(10));
    auto* title = new QLabel(tr("锁定设置"), this);
    title->setObjectName(QStringLiteral("title_label"));
    layout->addWidget(title);

    const QString normal = tr("正常"), readOnly = tr("只读"), hidden = tr("隐藏");
    m_detail = addGroup(
        tr("设备详情"), QStringLiteral("dev_label"),
        {QStringLiteral("dev_normal_cb"), QStringLiteral("dev_readOnly_cb"), QStringLiteral("dev_unvisable_cb")},
        {normal, readOnly, hidden}, detail.detailLock);
    m_route = addGroup(tr("设备路由"), QStringLiteral("devRoute_label"),
                       {QStringLiteral("devRoute_normal_cb"), QStringLiteral("devRoute_readOnly_cb")},
                       {normal, readOnly}, detail.routeLock);
    m_dsp = addGroup(tr("音频处理详情"), QStringLiteral("dsp_label"),
                     {QStringLiteral("dsp_normal_cb"), QStringLiteral("dsp_readOnly_cb"),
                      QStringLiteral("dspD_readOnly_cb"), QStringLiteral("dsp_unvisable_cb")},
                     {normal, readOnly, tr("详情只读"), hidden}, detail.dspLockLevel);

    auto* buttons = new QHBoxLayout;
    auto* passwd = new QPushButton(tr("修改密码"), this);
    passwd->setObjectName(QStringLiteral("passwd_bt"));
    buttons->addWidget(passwd);
    buttons->addStretch();
    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("ok_bt"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel_bt"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    setMinimumWidth(UiScale::px(420));

    if (!ModelTable::instance().hasDsp(detail.model)) {
        const QList<QWidget*> children = findChildren<QWidget*>();
        for (QWidget* w : children) {
            if (w->objectName().contains(QLatin1String("dsp")))
                w->setVisible(false);
        }
    }
    QMetaObject::connectSlotsByName(this);
}

QButtonGroup* ManageLock::addGroup(const QString& title, const QString& titleName, const QStringList& names,
                                   const QStringList& texts, int selected)
{
    auto* frame = new QFrame(this);
    // The DSP area's frame carries "dsp" in its name so that it hides with the area.
    frame->setObjectName(titleName.startsWith(QLatin1String("dsp")) ? QStringLiteral("dsp_frame")
                                                                    : QStringLiteral("area_frame"));
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(UiScale::px(12), UiScale::px(8), UiScale::px(12), UiScale::px(8));
    auto* label = new QLabel(title, frame);
    label->setObjectName(titleName);
    label->setMinimumWidth(UiScale::px(110));
    row->addWidget(label);

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int id = 0; id < names.size(); ++id) {
        auto* box = new QCheckBox(texts.value(id), frame);
        box->setObjectName(names[id]);
        group->addButton(box, id);
        row->addWidget(box);
    }
    row->addStretch();
    // A level the dialog does not offer shows as normal rather than as nothing chosen.
    QAbstractButton* chosen = group->button(selected);
    (chosen ? chosen : group->button(0))->setChecked(true);
    static_cast<QVBoxLayout*>(layout())->addWidget(frame);
    return group;
}

int ManageLock::routeLevel() const
{
    return qMax(0, m_route->checkedId());
}

int ManageLock::detailLevel() const
{
    return qMax(0, m_detail->checkedId());
}

int ManageLock::dspLevel() const
{
    return qMax(0, m_dsp->checkedId());
}

void ManageLock::on_ok_bt_clicked()
{
    auto* dialog = new ManagePasswd(m_devId, ManagePasswd::EnterPassword, this);
    dialog->setLevels(routeLevel(), detailLevel(), dspLevel());
    openPasswordDialog(dialog, true);
    emit signal_lockMode();
}

void ManageLock::on_passwd_bt_clicked()
{
    const bool passwordSet = DevDetailStore::instance().getDevDetail(m_devId).passwordSet != 0;
    openPasswordDialog(
        new ManagePasswd(m_devId, passwordSet ? ManagePasswd::ChangePassword : ManagePasswd::SetPassword, this), false);
}

void ManageLock::on_cancel_bt_clicked()
{
    reject();
}

void ManageLock::openPasswordDialog(ManagePasswd* dialog, bool closeWhenDone)
{
    if (m_passwd)
        m_passwd->deleteLater();
    m_passwd = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ManagePasswd::signal_information, this, &ManageLock::signal_information);
    if (closeWhenDone)
        connect(dialog, &QDialog::accepted, this, &QDialog::accept);
    dialog->open();
}

void ManageLock::recvBackData(QString msg)
{
    if (m_passwd)
        m_passwd->recvBackData(msg);
}
