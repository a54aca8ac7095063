#include "GpioPanel.h"

#include "AppState.h"
#include "FileDialogs.h"
#include "ReplyFields.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* spin(QWidget* parent, const char* name, int max)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, max);
    return box;
}

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

} // namespace

GpioPanel::GpioPanel(const QString& devId, QWidget* parent) : QWidget(parent), m_devId(devId), m_ports(GpioInfo::kPorts)
{
    setObjectName(QStringLiteral("gpioPanel"));
    m_portButtons = new QButtonGroup(this);
    auto* tabs = new QHBoxLayout;
    tabs->setSpacing(UiScale::px(2));
    for (int i = 1; i <= GpioInfo::kPorts; ++i) {
        auto* b = new QPushButton(QStringLiteral("IO%1").arg(i), this);
        b->setObjectName(QStringLiteral("pb_io_%1").arg(i));
        b->setCheckable(true);
        b->setMinimumWidth(UiScale::px(44));
        b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        b->setStyleSheet(QStringLiteral("QPushButton{color:#d7dbe2;background:#262b33;border:1px solid #3a404a;"
                                        "padding:%1px;} QPushButton:checked{background:#0b7dda;color:white;}")
                             .arg(UiScale::px(3)));
        m_portButtons->addButton(b, i);
        tabs->addWidget(b, 1);
    }
    m_portButtons->button(1)->setChecked(true);

    const bool zh = AppState::isChinese();
    m_direction = combo(this, "gpio_direction_cb", zh ? QStringList{"输入", "输出"} : QStringList{"Input", "Output"});
    m_type = spin(this, "gpio_type_sb", 255);
    m_enable = new QCheckBox(this);
    m_enable->setObjectName(QStringLiteral("gpio_enable_cb"));
    m_trigger = combo(this, "gpio_trigger_cb",
                      zh ? QStringList{"高电平触发", "低电平触发"} : QStringList{"High level", "Low level"});
    m_chDirection =
        combo(this, "gpio_chDirection_cb", zh ? QStringList{"输入通道", "输出通道"} : QStringList{"Input", "Output"});
    m_channel = spin(this, "gpio_channelId_sb", 255);
    m_program = combo(this, "gpio_program_cb", GpioInfo::programNames());
    m_input = spin(this, "gpio_inputChId_sb", 255);
    m_output = spin(this, "gpio_outputChId_sb", 255);
    m_gainStep = new QDoubleSpinBox(this);
    m_gainStep->setObjectName(QStringLiteral("gpio_gainStep_sb"));
    m_gainStep->setRange(-100.0, 100.0);
    m_gainStep->setSingleStep(0.5);
    m_gainStep->setDecimals(1);
    m_customCmd = new QLineEdit(this);
    m_customCmd->setObjectName(QStringLiteral("gpio_customCmd_le"));

    auto* left = new QFormLayout;
    left->addRow(zh ? QStringLiteral("方向") : QStringLiteral("Direction"), m_direction);
    left->addRow(zh ? QStringLiteral("类型") : QStringLiteral("Type"), m_type);
    left->addRow(zh ? QStringLiteral("启用") : QStringLiteral("Enable"), m_enable);
    left->addRow(zh ? QStringLiteral("触发方式") : QStringLiteral("Trigger"), m_trigger);
    left->addRow(zh ? QStringLiteral("通道方向") : QStringLiteral("Channel side"), m_chDirection);
    auto* right = new QFormLayout;
    right->addRow(zh ? QStringLiteral("通道") : QStringLiteral("Channel"), m_channel);
    right->addRow(zh ? QStringLiteral("程式") : QStringLiteral("Program"), m_program);
    right->addRow(zh ? QStringLiteral("输入通道") : QStringLiteral("Input channel"), m_input);
    right->addRow(zh ? QStringLiteral("输出通道") : QStringLiteral("Output channel"), m_output);
    right->addRow(zh ? QStringLiteral("增益步长") : QStringLiteral("Gain step"), m_gainStep);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* cmdRow = new QFormLayout;
    cmdRow->addRow(zh ? QStringLiteral("自定义命令") : QStringLiteral("Custom command"), m_customCmd);

    auto* save = new StyledButton(tr("保存"), StyledButton::Action, this);
    save->setObjectName(QStringLiteral("pb_gpio_save"));
    m_test = new StyledButton(QString(), StyledButton::Action, this);
    m_test->setObjectName(QStringLiteral("pb_gpio_test"));
    setTestLevel(true);
    auto* saveAs = new StyledButton(tr("另存为..."), StyledButton::Action, this);
    saveAs->setObjectName(QStringLiteral("pb_gpio_saveas"));
    auto* open = new StyledButton(tr("打开..."), StyledButton::Action, this);
    open->setObjectName(QStringLiteral("pb_gpio_open"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(m_test);
    buttons->addStretch();
    buttons->addWidget(saveAs);
    buttons->addWidget(open);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(tabs);
    layout->addLayout(columns);
    layout->addLayout(cmdRow);
    layout->addLayout(buttons);

    connect(m_portButtons, &QButtonGroup::idClicked, this, &GpioPanel::choosePort);
    connect(save, &QPushButton::clicked, this, &GpioPanel::on_pb_gpio_save_clicked);
    connect(m_test, &QPushButton::clicked, this, &GpioPanel::on_pb_gpio_test_clicked);
    connect(saveAs, &QPushButton::clicked, this, &GpioPanel::on_pb_gpio_saveas_clicked);
    connect(open, &QPushButton::clicked, this, &GpioPanel::on_pb_gpio_open_clicked);
    // The limit is told while typing, not only when saving.
    connect(m_customCmd, &QLineEdit::textEdited, this, [this](const QString& t) {
        const QString refusal = GpioInfo::customCmdRefusal(t);
        if (!refusal.isEmpty())
            emit signal_showTips(refusal);
    });
}

void GpioPanel::setTestLevel(bool high)
{
    m_nextHigh = high;
    m_test->setText(high ? AppState::pick(QStringLiteral("GPIO输出高电平"), QStringLiteral("GPIO Output High Level"))
                         : AppState::pick(QStringLiteral("GPIO输出低电平"), QStringLiteral("GPIO Output Low Level")));
}

void GpioPanel::send(const QJsonObject& msg)
{
    QJsonObject o = msg;
    o.insert(QStringLiteral("devId"), m_devId);
    emit sendChangeData(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

void GpioPanel::choosePort(int number)
{
    if (number < 1 || number > GpioInfo::kPorts)
        return;
    m_port = number;
    m_portButtons->button(number)->setChecked(true);
    show(m_ports.at(number - 1));
    send({{QStringLiteral("ops"), QStringLiteral("getGpioInfo")},
          {QStringLiteral("index"), GpioInfo::indexText(number)}});
}

void GpioPanel::show(const GpioInfo& g)
{
    m_direction->setCurrentIndex(qBound(0, g.direction, m_direction->count() - 1));
    m_type->setValue(g.type);
    m_enable->setChecked(g.enable != 0);
    m_trigger->setCurrentIndex(qBound(0, g.triggerType, m_trigger->count() - 1));
    m_chDirection->setCurrentIndex(qBound(0, g.channelDirection, m_chDirection->count() - 1));
    m_channel->setValue(g.channelId);
    m_program->setCurrentIndex(qBound(0, g.programId - GpioInfo::kFirstProgram, m_program->count() - 1));
    m_input->setValue(g.inputChId);
    m_output->setValue(g.outputChId);
    m_gainStep->setValue(g.gainStep);
    m_customCmd->setText(g.customCmd);
}

GpioInfo GpioPanel::edited() const
{
    GpioInfo g;
    g.direction = m_direction->currentIndex();
    g.type = m_type->value();
    g.enable = m_enable->isChecked() ? 1 : 0;
    g.triggerType = m_trigger->currentIndex();
    g.channelDirection = m_chDirection->currentIndex();
    g.channelId = m_channel->value();
    g.programId = GpioInfo::kFirstProgram + m_program->currentIndex();
    g.inputChId = m_input->value();
    g.outputChId = m_output->value();
    g.gainStep = m_gainStep->value();
    g.customCmd = m_customCmd->text();
    return g;
}

void GpioPanel::on_pb_gpio_save_clicked()
{
    const GpioInfo g = edited();
    const QString refusal = GpioInfo::customCmdRefusal(g.customCmd);
    if (!refusal.isEmpty()) {
        emit signal_showTips(refusal);
        return;
    }
    m_ports[m_port - 1] = g;
    send({{QStringLiteral("ops"), QStringLiteral("setGpioInfo")},
          {QStringLiteral("index"), GpioInfo::indexText(m_port)},
          {QStringLiteral("gpioInfo"), g.toJson()}});
}

void GpioPanel::on_pb_gpio_test_clicked()
{
    send({{QStringLiteral("ops"), QStringLiteral("testGpio")},
          {QStringLiteral("index"), GpioInfo::indexText(m_port)},
          {QStringLiteral("isHigh"), m_nextHigh ? QStringLiteral("1") : QStringLiteral("0")}});
}

void GpioPanel::on_pb_gpio_saveas_clicked()
{
    const QString file = FileDialogs::saveFileName(this, tr("另存为..."), QString(), QStringLiteral("GPIO (*.json)"));
    if (file.isEmpty())
        return;
    QVector<GpioInfo> ports = m_ports;
    ports[m_port - 1] = edited();
    QSaveFile out(file);
    const QByteArray bytes = GpioFile::write(ports);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        emit signal_showTips(tr("保存失败") + QStringLiteral(": ") + out.errorString());
        return;
    }
    emit signal_showTips(tr("保存成功"));
}

void GpioPanel::on_pb_gpio_open_clicked()
{
    const QString file = FileDialogs::openFileName(this, tr("打开..."), QString(), QStringLiteral("GPIO (*.json)"));
    if (file.isEmpty())
        return;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        emit signal_showTips(in.errorString());
        return;
    }
    // One byte past the limit tells a file that is too large without reading all of it.
    const QByteArray bytes = in.read(GpioInfo::kMaxFileBytes + 1);
    QVector<GpioInfo> ports;
    QString error;
    if (!GpioFile::read(bytes, &ports, &error)) {
        emit signal_showTips(error);
        return;
    }
    // The file fills the form; each port reaches the device when it is saved.
    m_ports = ports;
    show(m_ports.at(m_port - 1));
}

bool GpioPanel::handleReply(const QJsonObject& reply)
{
    const QString ops = ReplyFields::text(reply, "ops");
    if (ops == QLatin1String("getGpioInfo")) {
        const QString index = ReplyFields::text(reply, "index");
        int number = 0;
        for (int i = 1; i <= GpioInfo::kPorts; ++i)
            if (index == GpioInfo::indexText(i))
                number = i;
        GpioInfo g;
        QString error;
        if (ReplyFields::failed(reply) || number == 0 ||
            !GpioInfo::fromJson(reply.value(QStringLiteral("gpioInfo")).toObject(), &g, &error)) {
            emit signal_showTips(tr("获取失败"));
            return true;
        }
        m_ports[number - 1] = g;
        if (number == m_port)
            show(g);
        return true;
    }
    if (ops == QLatin1String("setGpioInfo")) {
        emit signal_showTips(ReplyFields::succeeded(reply) ? tr("保存成功") : tr("保存失败"));
        return true;
    }
    if (ops == QLatin1String("testGpio")) {
        if (ReplyFields::succeeded(reply))
            setTestLevel(!m_nextHigh);
        else
            emit signal_showTips(tr("设置失败"));
        return true;
    }
    return false;
}
