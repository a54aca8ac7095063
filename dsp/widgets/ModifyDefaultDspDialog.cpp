#include "ModifyDefaultDspDialog.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "DevDetailStore.h"
#include "DspBlockingExchange.h"
#include "DspEnvelope.h"
#include "DspFactoryConfig.h"
#include "DspUiLog.h"
#include "FileDialogs.h"
#include "ModelTable.h"
#include "UiScale.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTextBlock>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

bool isExchangeError(const QString& text)
{
    return text == DspBlockingExchange::connectFailedText() || text == DspBlockingExchange::timeoutText() ||
           text == DspBlockingExchange::readLengthErrorText() || text == DspBlockingExchange::parseLengthErrorText();
}

QString failedText()
{
    return AppState::pick(QStringLiteral("设置失败"), QStringLiteral("Set failed"));
}

} // namespace

ModifyDefaultDspDialog::ModifyDefaultDspDialog(const QString& devId, QWidget* parent) : QDialog(parent), m_devId(devId)
{
    setObjectName(QStringLiteral("ModifyDefaultDspDialog"));
    setWindowTitle(tr("修改默认配置"));
    m_hooks.ask = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, tr("提示"), question, QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("questionBox"));
        return box.exec() == QMessageBox::Yes;
    };
    m_hooks.inform = [this](const QString& text) {
        QMessageBox box(QMessageBox::Information, tr("提示"), text, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("informationBox"));
        box.exec();
    };
    m_hooks.exchange = [](uint32_t ip, const QString& request) { return DspBlockingExchange::request(ip, request); };
    buildUi();
    loadDevice();
    connect(&m_watcher, &QFutureWatcher<QString>::finished, this, [this] {
        const QString reply = m_watcher.result();
        setBusy(false);
        handleReply(reply);
        emit signal_setDefaultFinished(reply);
    });
}

ModifyDefaultDspDialog::~ModifyDefaultDspDialog()
{
    // The worker holds only copies; it ends within its time-outs, and nothing waits for it here.
    m_watcher.disconnect(this);
}

void ModifyDefaultDspDialog::setHooks(const Hooks& hooks)
{
    if (hooks.ask)
        m_hooks.ask = hooks.ask;
    if (hooks.inform)
        m_hooks.inform = hooks.inform;
    if (hooks.exchange)
        m_hooks.exchange = hooks.exchange;
}

bool ModifyDefaultDspDialog::isBusy() const
{
    return m_busy;
}

void ModifyDefaultDspDialog::buildUi()
{
    // The dark look of the other device dialogs.
    const int font = UiScale::fontPx(13);
    setStyleSheet(QStringLiteral("QDialog#ModifyDefaultDspDialog{background:#1e242c;}"
                                 "QLabel,QRadioButton{color:#d8dee6;font-size:%1px;}"
                                 "QGroupBox{color:#d8dee6;font-size:%1px;border:1px solid #3a4350;"
                                 "border-radius:4px;margin-top:%2px;padding-top:%2px;}"
                                 "QGroupBox::title{subcontrol-origin:margin;left:%3px;}"
                                 "QPlainTextEdit,QSpinBox{color:#e6ebf2;background:#252c35;border:1px solid #3a4350;"
                                 "font-size:%1px;}"
                                 "QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                                 "font-size:%1px;min-height:%4px;padding:0 %5px;}"
                                 "QPushButton:hover{background:#1c96d8;}"
                                 "QPushButton:disabled{background:#3a4350;color:#8a93a0;}")
                      .arg(font)
                      .arg(UiScale::px(8))
                      .arg(UiScale::px(10))
                      .arg(UiScale::px(26))
                      .arg(UiScale::px(14)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(20), UiScale::px(16), UiScale::px(20), UiScale::px(16));
    layout->setSpacing(UiScale::px(10));
    m_deviceLabel = new QLabel(this);
    m_deviceLabel->setObjectName(QStringLiteral("lb_devChannels"));
    m_deviceLabel->setWordWrap(true);
    layout->addWidget(m_deviceLabel);

    auto* form = new QFormLayout;
    auto spin = [this](const char* name, int lo, int hi) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(lo, hi);
        return box;
    };
    m_inputs = spin("sb_inNum", DspFactoryConfig::MinChannels, DspFactoryConfig::MaxChannels);
    m_outputs = spin("sb_outNum", DspFactoryConfig::MinChannels, DspFactoryConfig::MaxChannels);
    m_sampleRate =
        spin("sb_sampleRate", DspFactoryConfig::sampleRates().first(), DspFactoryConfig::sampleRates().last());
    m_sampleRate->setSingleStep(100);
    form->addRow(tr("输入通道数："), m_inputs);
    form->addRow(tr("输出通道数："), m_outputs);
    form->addRow(tr("采样率："), m_sampleRate);
    layout->addLayout(form);

    auto* advanced = new QGroupBox(tr("高级配置（可选）"), this);
    advanced->setObjectName(QStringLiteral("gb_advanced"));
    auto* advancedLayout = new QVBoxLayout(advanced);
    auto* choice = new QHBoxLayout;
    m_cmdButton = new QRadioButton(tr("命令"), advanced);
    m_cmdButton->setObjectName(QStringLiteral("rb_cmd"));
    m_cmdButton->setChecked(true);
    m_previewButton = new QRadioButton(tr("预览"), advanced);
    m_previewButton->setObjectName(QStringLiteral("rb_preview"));
    choice->addWidget(m_cmdButton);
    choice->addWidget(m_previewButton);
    choice->addStretch();
    advancedLayout->addLayout(choice);

    m_advanced = new QStackedWidget(advanced);
    m_commands = new QPlainTextEdit(m_advanced);
    m_commands->setObjectName(QStringLiteral("te_cmd"));
    m_commands->setPlaceholderText(QStringLiteral("proc#in#1-4#hpf,eq\nmatrix#1-4#1-2\ngainShared#1-2\ncore#in#*#0"));
    m_advanced->addWidget(m_commands);
    auto* preview = new QWidget(m_advanced);
    auto* previewLayout = new QHBoxLayout(preview);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    auto previewArea = [preview, previewLayout](const char* name, const QString& title) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(title, preview));
        auto* text = new QPlainTextEdit(preview);
        text->setObjectName(QLatin1String(name));
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        column->addWidget(text);
        previewLayout->addLayout(column);
        return text;
    };
    m_previewIn = previewArea("te_previewIn", tr("输入"));
    m_previewOut = previewArea("te_previewOut", tr("输出"));
    m_advanced->addWidget(preview);
    advancedLayout->addWidget(m_advanced);
    m_errorLabel = new QLabel(advanced);
    m_errorLabel->setObjectName(QStringLiteral("lb_cmdError"));
    m_errorLabel->setStyleSheet(QStringLiteral("color:#ff6b6b;"));
    m_errorLabel->setWordWrap(true);
    m_errorLabel->hide();
    advancedLayout->addWidget(m_errorLabel);
    layout->addWidget(advanced, 1);
    connect(m_cmdButton, &QRadioButton::toggled, this, &ModifyDefaultDspDialog::on_rb_cmd_toggled);
    connect(m_previewButton, &QRadioButton::toggled, this, &ModifyDefaultDspDialog::on_rb_preview_toggled);
    // A preview of text that has changed since would mislead.
    connect(m_commands, &QPlainTextEdit::textChanged, m_errorLabel, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("lb_status"));
    buttons->addWidget(m_statusLabel, 1);
    m_setButton = new QPushButton(tr("设置为默认"), this);
    m_setButton->setObjectName(QStringLiteral("pb_setDefault"));
    m_exportButton = new QPushButton(tr("导出到文件"), this);
    m_exportButton->setObjectName(QStringLiteral("pb_export"));
    auto* close = new QPushButton(tr("关闭"), this);
    close->setObjectName(QStringLiteral("pb_close"));
    buttons->addWidget(m_setButton);
    buttons->addWidget(m_exportButton);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_setButton, &QPushButton::clicked, this, &ModifyDefaultDspDialog::on_pb_setDefault_clicked);
    connect(m_exportButton, &QPushButton::clicked, this, &ModifyDefaultDspDialog::on_pb_export_clicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(UiScale::px(760), UiScale::px(580));
}

void ModifyDefaultDspDialog::loadDevice()
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId, __func__, __LINE__);
    const int localIn = int(detail.phyRxChNames.size());
    const int netIn = int(detail.rxChNames.size());
    const int localOut = int(detail.phyTxChNames.size());
    const int netOut = int(detail.txChNames.size());
    m_deviceLabel->setText(
        AppState::pick(QStringLiteral("本设备通道信息: 模拟输入%1通道，网络输入%2通道，模拟输出%3通道，"
                                      "网络输出%4通道, 采样率:%5"),
                       QStringLiteral("This device's channels: analog inputs %1, network inputs %2, "
                                      "analog outputs %3, network outputs %4, sample rate: %5"))
            .arg(localIn)
            .arg(netIn)
            .arg(localOut)
            .arg(netOut)
            .arg(detail.sampleRate));
    // The plain layout of the device as it is: its own channels in and out.
    m_inputs->setValue(qBound(DspFactoryConfig::MinChannels, localIn + netIn, DspFactoryConfig::MaxChannels));
    m_outputs->setValue(qBound(DspFactoryConfig::MinChannels, localOut + netOut, DspFactoryConfig::MaxChannels));
    m_sampleRate->setValue(DspFactoryConfig::sampleRates().contains(detail.sampleRate) ? detail.sampleRate : 48000);

    m_dspHost = detail.ip;
    // A separate processor is reached at its own address once it is known, through the device until then.
    if (ModelTable::instance().hasSeparateDspAddress(detail.model)) {
        const uint32_t own = DevDetailStore::instance().dspAddress(m_devId);
        if (own != 0)
            m_dspHost = own;
    }
}

std::shared_ptr<CDeviceDspData> ModifyDefaultDspDialog::buildConfig()
{
    const bool chinese = AppState::isChinese();
    const DspFactoryConfig::Result r = DspFactoryConfig::build(
        {m_inputs->value(), m_outputs->value(), m_sampleRate->value(), m_commands->toPlainText()}, chinese);
    if (r.ok()) {
        m_errorLabel->hide();
        return r.data;
    }
    const QString text = r.failureText(chinese);
    m_errorLabel->setText(text);
    m_errorLabel->show();
    if (r.error.isError()) {
        // Back to the commands, the cursor where the fault is.
        m_cmdButton->setChecked(true);
        const QTextBlock line = m_commands->document()->findBlockByNumber(r.error.line - 1);
        if (line.isValid()) {
            QTextCursor cursor(line);
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                                qMin(r.error.column - 1, line.length() - 1));
            m_commands->setTextCursor(cursor);
        }
    }
    qCInfo(lcDspUi).noquote() << "factory configuration refused:" << text;
    m_hooks.inform(text);
    return nullptr;
}

void ModifyDefaultDspDialog::showPreview()
{
    const std::shared_ptr<CDeviceDspData> data = buildConfig();
    if (!data)
        return;
    const bool chinese = AppState::isChinese();
    m_previewIn->setPlainText(DspFactoryConfig::inputPreview(*data, chinese).join(QLatin1Char('\n')));
    m_previewOut->setPlainText(DspFactoryConfig::outputPreview(*data, chinese).join(QLatin1Char('\n')));
    m_advanced->setCurrentIndex(1);
}

void ModifyDefaultDspDialog::on_rb_cmd_toggled(bool checked)
{
    if (checked)
        m_advanced->setCurrentIndex(0);
}

void ModifyDefaultDspDialog::on_rb_preview_toggled(bool checked)
{
    if (checked)
        showPreview();
}

void ModifyDefaultDspDialog::on_pb_setDefault_clicked()
{
    if (isBusy())
        return;
    const std::shared_ptr<CDeviceDspData> data = buildConfig();
    if (!data)
        return; // nothing is sent for a refused layout
    const QString request = DspEnvelope::tcp(m_devId, QString::fromUtf8(DspFactoryConfig::requestText(*data)));
    qCInfo(lcDspUi).noquote() << "setFactoryConfig to" << m_devId << "," << request.size() << "characters";
    setBusy(true);
    // Copies only: the dialog may close before the exchange ends.
    m_watcher.setFuture(
        QtConcurrent::run([exchange = m_hooks.exchange, ip = m_dspHost, request] { return exchange(ip, request); }));
}

void ModifyDefaultDspDialog::handleReply(const QString& reply)
{
    if (isExchangeError(reply)) {
        m_hooks.inform(reply);
        return;
    }
    const QJsonObject obj = QJsonDocument::fromJson(reply.toUtf8()).object();
    if (obj.value(QLatin1String("result")).toString() != QLatin1String("succ")) {
        qCWarning(lcDspUi).noquote() << "setFactoryConfig refused:" << reply.left(200);
        m_hooks.inform(failedText());
        return;
    }
    if (m_hooks.ask(AppState::pick(QStringLiteral("设置成功,重启后生效,是否立刻重启？"),
                                   QStringLiteral("Set; it takes effect after a restart. Restart now?"))))
        emit signal_restartDevice();
}

void ModifyDefaultDspDialog::setBusy(bool busy)
{
    // Until the end of the exchange has reached this thread, not only while the worker runs: a second request
    // in between would replace the first one's future and lose its answer.
    m_busy = busy;
    m_setButton->setEnabled(!busy);
    m_exportButton->setEnabled(!busy);
    m_statusLabel->setText(busy ? AppState::pick(QStringLiteral("设置中..."), QStringLiteral("Setting..."))
                                : QString());
}

void ModifyDefaultDspDialog::on_pb_export_clicked()
{
    const std::shared_ptr<CDeviceDspData> data = buildConfig();
    if (!data)
        return;
    QString file = FileDialogs::saveFileName(this, tr("保存文件"), QDir::homePath(), QStringLiteral("*.dt"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".dt");
    // Written whole: a failed write leaves any earlier file as it was.
    QSaveFile out(file);
    const QByteArray text = DspFactoryConfig::exportText(*data);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        qCWarning(lcDspUi).noquote() << "export to" << file << "failed:" << out.errorString();
        m_hooks.inform(AppState::pick(QStringLiteral("导出失败: "), QStringLiteral("Export failed: ")) +
                       out.errorString());
        return;
    }
    m_hooks.inform(AppState::pick(QStringLiteral("导出成功"), QStringLiteral("Export succeeded")));
}
