#include "FormEditDevTypeDialog.h"

#include "ExternalToolRunner.h"
#include "MySnackbar.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

FormEditDevTypeDialog::FormEditDevTypeDialog(QWidget* parent)
    : QDialog(parent), m_typeEdit(new QLineEdit(this)), m_hintLabel(new QLabel(this)), m_statusLabel(new QLabel(this)),
      m_okButton(new QPushButton(tr("确定"), this)), m_cancelButton(new QPushButton(tr("取消"), this)),
      m_snackbar(new MySnackbar(this))
{
    setObjectName(QStringLiteral("FormEditDevTypeDialog"));
    setWindowTitle(tr("修改设备类型"));
    setMinimumWidth(UiScale::px(360));
    m_typeEdit->setObjectName(QStringLiteral("type_le"));
    m_typeEdit->setMaxLength(12);
    m_typeEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Za-z_-]{0,12}")), this));
    m_hintLabel->setObjectName(QStringLiteral("hint_label"));
    m_hintLabel->setText(tr("只能包含数字、字符、-、_，长度不能超过12"));
    m_statusLabel->setObjectName(QStringLiteral("status_label"));
    m_okButton->setObjectName(QStringLiteral("ok_bt"));
    m_cancelButton->setObjectName(QStringLiteral("cancel_bt"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("设备类型"), this));
    layout->addWidget(m_typeEdit);
    layout->addWidget(m_hintLabel);
    layout->addWidget(m_statusLabel);
    layout->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &FormEditDevTypeDialog::on_ok_bt_clicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &FormEditDevTypeDialog::signal_showTips, m_snackbar,
            [this](const QString& tip) { m_snackbar->showMessage(tip); });
}

void FormEditDevTypeDialog::setDevInfo(const QString& devId, const QString& second, const QString& third)
{
    m_devId = devId;
    m_second = second;
    m_third = third;
}

void FormEditDevTypeDialog::setPolling(int rounds, int intervalMs)
{
    m_rounds = rounds;
    m_intervalMs = intervalMs;
}

QString FormEditDevTypeDialog::statusText() const
{
    return m_statusLabel->text();
}

void FormEditDevTypeDialog::setBusy(bool busy)
{
    m_typeEdit->setEnabled(!busy);
    m_okButton->setEnabled(!busy);
    m_cancelButton->setEnabled(!busy);
}

void FormEditDevTypeDialog::fail(const QString& tip)
{
    m_statusLabel->setText(tr("修改失败"));
    if (!tip.isEmpty())
        emit signal_showTips(tip);
    setBusy(false);
}

void FormEditDevTypeDialog::on_ok_bt_clicked()
{
    const QString type = m_typeEdit->text().trimmed();
    if (type.isEmpty())
        return;
    m_statusLabel->setText(tr("设备类型修改中...(大概10秒)"));
    setBusy(true);

    ExternalToolRunner runner(m_toolDir);
    runner.setPolling(m_rounds, m_intervalMs);
    if (runner.toolPath().isEmpty()) {
        fail(tr("找不到修改工具tools/Quill.exe"));
        return;
    }
    const QString at = QStringLiteral("@");
    if (!runner.run({QStringLiteral("1p"), QStringLiteral("2"), at, m_devId, m_second})) {
        fail();
        return;
    }
    // The tool wants the device-specific half of the MAC; "000000" (or no MAC at all) means none to write.
    QString rest = m_third;
    rest.remove(QLatin1Char(':'));
    rest = rest.mid(6);
    if (!rest.isEmpty() && rest != QLatin1String("000000")) {
        if (!runner.run({QStringLiteral("6p"), QStringLiteral("2"), at, m_second, type, rest})) {
            fail();
            return;
        }
    }

    const QString done = tr("修改成功并重启，请刷新列表");
    m_statusLabel->setText(done);
    QJsonObject reboot;
    reboot.insert(QStringLiteral("ops"), QStringLiteral("reboot"));
    reboot.insert(QStringLiteral("devId"), m_devId);
    emit sendChangeData(QString::fromUtf8(QJsonDocument(reboot).toJson(QJsonDocument::Compact)));
    setBusy(false);
    // Not exec(): the reboot notice must not hold the caller's event loop.
    auto* box = new QMessageBox(QMessageBox::Information, tr("提示"), done, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("rebootNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, &QDialog::accept);
    box->open();
}
