#include "MicControlDialog.h"

#include "DspUiLog.h"
#include "MicAnswerParser.h"
#include "UiScale.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

/// Message boxes inherit the dialog's light label colour; they get the dark background it was made for.
const QString kBoxStyle = QStringLiteral("QMessageBox{background:#262b33;} QLabel{color:#d7dbe2;}");

} // namespace

MicControlDialog::MicControlDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MicControlDialog"));
    setWindowTitle(tr("话筒参数控制"));
    m_notify = [this](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("micNoticeBox"));
        box.setStyleSheet(kBoxStyle);
        box.exec();
    };
    m_pump.setSingleShot(true);
    connect(&m_pump, &QTimer::timeout, this, &MicControlDialog::sendNext);
    buildUi();
    refresh();
    resize(UiScale::px(720), UiScale::px(340));
}

// ---- Building ----------------------------------------------------------------------------------

QComboBox* MicControlDialog::levelCombo(const char* objectName, MicCode code)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(objectName));
    const MicRange r = MicCommands::range(code);
    if (r.max == 1) {
        combo->addItems({tr("关闭"), tr("开启")});
    } else {
        combo->addItem(tr("关闭"));
        for (int level = 1; level <= r.max; ++level)
            combo->addItem(tr("%1级").arg(level));
    }
    connect(combo, qOverload<int>(&QComboBox::activated), this, [this, code](int index) { change(code, -1, index); });
    return combo;
}

QSpinBox* MicControlDialog::gainSpin(const QString& objectName, MicCode code, int channel)
{
    auto* spin = new QSpinBox(this);
    spin->setObjectName(objectName);
    spin->setRange(MicCommands::kGainRange.min, MicCommands::kGainRange.max);
    spin->setSuffix(QStringLiteral(" dB"));
    // One command when the typing is done, not one per keystroke.
    spin->setKeyboardTracking(false);
    spin->setMinimumWidth(UiScale::px(90));
    connect(spin, qOverload<int>(&QSpinBox::valueChanged), this,
            [this, code, channel](int value) { change(code, channel, value); });
    return spin;
}

void MicControlDialog::buildUi()
{
    const int font = UiScale::fontPx(13);
    setStyleSheet(QStringLiteral("QDialog#MicControlDialog{background:#1e242c;}"
                                 "QLabel,QRadioButton,QCheckBox{color:#d8dee6;font-size:%1px;}"
                                 "QGroupBox{color:#d8dee6;font-size:%1px;border:1px solid #3a4350;"
                                 "border-radius:4px;margin-top:%2px;padding-top:%2px;}"
                                 "QGroupBox::title{subcontrol-origin:margin;left:%3px;}"
                                 "QComboBox,QSpinBox{color:#e6ebf2;background:#252c35;border:1px solid #3a4350;"
                                 "font-size:%1px;min-height:%4px;padding:0 %5px;}"
                                 "QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                                 "font-size:%1px;min-height:%4px;padding:0 %3px;}"
                                 "QPushButton:hover{background:#1c96d8;}")
                      .arg(font)
                      .arg(UiScale::px(8))
                      .arg(UiScale::px(10))
                      .arg(UiScale::px(24))
                      .arg(UiScale::px(4)));

    // Processing: the four levels, the headphone and the microphone's own gain.
    auto* processing = new QGroupBox(tr("处理"), this);
    auto* left = new QGridLayout(processing);
    m_aec = levelCombo("cb_aec", MicCode::Aec);
    m_afc = levelCombo("cb_afc", MicCode::Afc);
    m_agc = levelCombo("cb_agc", MicCode::Agc);
    m_anc = levelCombo("cb_anc", MicCode::Anc);
    int row = 0;
    for (const auto& [text, combo] : {std::pair<QString, QComboBox*>{tr("回声消除:"), m_aec},
                                      std::pair<QString, QComboBox*>{tr("自适应反馈抑制:"), m_afc},
                                      std::pair<QString, QComboBox*>{tr("自动增益:"), m_agc},
                                      std::pair<QString, QComboBox*>{tr("AI降噪:"), m_anc}}) {
        left->addWidget(new QLabel(text, processing), row, 0);
        left->addWidget(combo, row++, 1, 1, 2);
    }
    m_hpRemote = new QRadioButton(tr("远端信号"), processing);
    m_hpRemote->setObjectName(QStringLiteral("rb_hpRemote"));
    m_hpLocal = new QRadioButton(tr("本地监听"), processing);
    m_hpLocal->setObjectName(QStringLiteral("rb_hpLocal"));
    auto* headphone = new QButtonGroup(this);
    headphone->addButton(m_hpRemote, MicCommands::kHeadphoneRemote);
    headphone->addButton(m_hpLocal, MicCommands::kHeadphoneLocal);
    connect(headphone, &QButtonGroup::idClicked, this, [this](int id) { change(MicCode::Headphone, -1, id); });
    left->addWidget(new QLabel(tr("耳机信号源:"), processing), row, 0);
    left->addWidget(m_hpRemote, row, 1);
    left->addWidget(m_hpLocal, row++, 2);
    GainRow mic{MicCode::InGain, MicCode::InMute, MicCommands::kMicInput};
    mic.spin = gainSpin(QStringLiteral("sb_micInGain"), mic.gain, mic.channel);
    left->addWidget(new QLabel(tr("麦克风输入增益:"), processing), row, 0);
    left->addWidget(mic.spin, row++, 1, 1, 2);
    left->setRowStretch(row, 1);
    m_gains << mic;

    // Signals: gain and mute of the references, the interpretation and the processed outputs.
    auto* signalBox = new QGroupBox(tr("信号"), this);
    auto* right = new QGridLayout(signalBox);
    struct Line
    {
        QString label;
        const char* name;
        MicCode gain;
        MicCode mute;
        int channel;
    };
    const QList<Line> lines = {
        {tr("本地参考信号增益:"), "localRef", MicCode::InGain, MicCode::InMute, MicCommands::kLocalReference},
        {tr("远程参考信号增益:"), "remoteRef", MicCode::InGain, MicCode::InMute, MicCommands::kRemoteReference},
        {tr("实时传译输入增益:"), "interpIn", MicCode::InGain, MicCode::InMute, MicCommands::kInterpretationInput},
        {tr("实时传译输出增益:"), "interpOut", MicCode::OutGain, MicCode::OutMute, MicCommands::kInterpretationOutput},
        {tr("回声消除输出增益:"), "aecOut", MicCode::OutGain, MicCode::OutMute, MicCommands::kAecOutput},
        {tr("反馈抑制输出增益:"), "afcOut", MicCode::OutGain, MicCode::OutMute, MicCommands::kAfcOutput},
    };
    row = 0;
    for (const Line& l : lines) {
        GainRow g{l.gain, l.mute, l.channel};
        const QString name = QLatin1String(l.name);
        g.spin = gainSpin(QStringLiteral("sb_%1Gain").arg(name), l.gain, l.channel);
        g.muteBox = new QCheckBox(tr("静音"), signalBox);
        g.muteBox->setObjectName(QStringLiteral("ck_%1Mute").arg(name));
        const MicCode muteCode = l.mute;
        const int channel = l.channel;
        connect(g.muteBox, &QCheckBox::clicked, this,
                [this, muteCode, channel](bool checked) { change(muteCode, channel, checked ? 1 : 0); });
        right->addWidget(new QLabel(l.label, signalBox), row, 0);
        right->addWidget(g.spin, row, 1);
        right->addWidget(g.muteBox, row++, 2);
        m_gains << g;
    }
    right->setRowStretch(row, 1);

    m_save = new QPushButton(tr("保存参数"), this);
    m_save->setObjectName(QStringLiteral("pb_saveParam"));
    connect(m_save, &QPushButton::clicked, this, &MicControlDialog::on_pb_saveParam_clicked);

    auto* columns = new QHBoxLayout;
    columns->addWidget(processing, 1);
    columns->addWidget(signalBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
}

// ---- Showing -----------------------------------------------------------------------------------

void MicControlDialog::refresh()
{
    const auto setCombo = [this](QComboBox* combo, MicCode code) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(m_state.value(code));
    };
    setCombo(m_aec, MicCode::Aec);
    setCombo(m_afc, MicCode::Afc);
    setCombo(m_agc, MicCode::Agc);
    setCombo(m_anc, MicCode::Anc);
    for (const GainRow& g : qAsConst(m_gains)) {
        {
            const QSignalBlocker block(g.spin);
            g.spin->setValue(m_state.value(g.gain, g.channel));
        }
        if (g.muteBox != nullptr) {
            const QSignalBlocker block(g.muteBox);
            g.muteBox->setChecked(m_state.value(g.mute, g.channel) != 0);
        }
    }
    const bool local = m_state.headphoneSource == MicCommands::kHeadphoneLocal;
    m_hpLocal->setChecked(local);
    m_hpRemote->setChecked(!local);
}

// ---- Commands and answers ----------------------------------------------------------------------

void MicControlDialog::readAll()
{
    for (const QString& cmd : MicCommands::readAll())
        enqueue(cmd);
}

void MicControlDialog::change(MicCode code, int channel, int value)
{
    const QString cmd = MicCommands::set(code, channel, value);
    if (cmd.isEmpty())
        return;
    m_state.setValue(code, channel, value);
    enqueue(cmd);
}

void MicControlDialog::on_pb_saveParam_clicked()
{
    m_savePending = true;
    enqueue(MicCommands::save());
}

void MicControlDialog::enqueue(const QString& cmd)
{
    // A set still waiting is replaced by a newer one of the same setting ("IGs2" of "IGs2-6"), and a read
    // already waiting is not asked twice: a held arrow key costs one command, not one per step.
    const QString key = cmd.left(4);
    const bool isSet = cmd.size() > 2 && cmd.at(2) == QLatin1Char('s');
    for (QString& waiting : m_queue) {
        if (isSet && waiting.startsWith(key)) {
            waiting = cmd;
            return;
        }
        if (!isSet && waiting == cmd)
            return;
    }
    if (m_queue.size() >= kMaxQueued) {
        qCWarning(lcDspUi) << "microphone command dropped, too many waiting:" << cmd.trimmed();
        return;
    }
    m_queue.append(cmd);
    if (!m_pump.isActive())
        sendNext();
}

void MicControlDialog::sendNext()
{
    while (!m_queue.isEmpty()) {
        const QString cmd = m_queue.takeFirst();
        emit signal_sendUartMsg(cmd);
        if (m_spacingMs > 0) {
            m_pump.start(m_spacingMs);
            return;
        }
    }
}

void MicControlDialog::recvMicMsg(QString text)
{
    bool changed = false;
    for (const MicAnswer& a : MicAnswerParser::parse(text)) {
        if (a.code == MicCode::Save) {
            // Every tunnel return reaches the windows twice: only the first confirms the save that was asked.
            if (m_savePending) {
                m_savePending = false;
                if (m_notify)
                    m_notify(tr("提示"), tr("保存成功"));
            }
            continue;
        }
        qCDebug(lcDspUi).noquote() << "mic msg" << MicCommands::letters(a.code) << "chId=" << a.channel
                                   << ", lev=" << a.value;
        changed = m_state.setValue(a.code, a.channel, a.value) || changed;
    }
    if (changed) {
        qCDebug(lcDspUi).noquote() << m_state.debugLine();
        refresh();
    }
}
