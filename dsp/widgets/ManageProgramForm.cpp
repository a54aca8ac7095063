#include "ManageProgramForm.h"

#include "ChannelProgram.h"
#include "DspEnvelope.h"
#include "IniFile.h"
#include "ProgramItemForm.h"
#include "ProgramList.h"
#include "ProgramListArea.h"
#include "ProgramName.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const char* const kDirKey = "lastCfgDirPath";
const QString kFilter = QStringLiteral("*.dtc;;*.*");

QString text(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString();
}

} // namespace

ManageProgramForm::ManageProgramForm(bool isInput, int chIndex, const QString& channelName, QWidget* parent)
    : QDialog(parent), m_isInput(isInput), m_chIndex(chIndex), m_settingsPath(QStringLiteral("./Config.ini"))
{
    setObjectName(QStringLiteral("ManageProgramForm"));
    setWindowTitle(tr("通道程式管理") + QStringLiteral(" - ") + channelName);
    setStyleSheet(QStringLiteral("QDialog{background:#1f232a;} QLabel{color:#d7dbe2;}"
                                 "QPushButton{color:#d7dbe2;background:#2d333d;border:1px solid #3c4450;"
                                 "border-radius:3px;padding:4px 10px;} QPushButton:hover{background:#37404c;}"));
    m_prompts = ProgramPrompts::dialogs(this);

    auto* title = new QLabel(tr("通道程式管理") + QStringLiteral(": ") + channelName, this);
    title->setObjectName(QStringLiteral("lb_title"));
    QScrollArea* scroll = makeProgramListArea(this, &m_list, 300);

    auto* buttons = new QVBoxLayout;
    auto action = [&](const char* name, const QString& label, void (ManageProgramForm::*slot)()) {
        auto* b = new QPushButton(label, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    action("pb_add", tr("新增程式"), &ManageProgramForm::on_pb_add_clicked);
    action("pb_modify", tr("修改程式"), &ManageProgramForm::on_pb_modify_clicked);
    action("pb_delete", tr("删除程式"), &ManageProgramForm::on_pb_delete_clicked);
    action("pb_export", tr("导出到PC"), &ManageProgramForm::on_pb_export_clicked);
    action("pb_import", tr("从PC导入"), &ManageProgramForm::on_pb_import_clicked);
    buttons->addStretch();

    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("lb_tip"));
    auto* body = new QHBoxLayout;
    body->addWidget(scroll, 1);
    body->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(title);
    outer->addLayout(body, 1);
    outer->addWidget(m_tip);
}

QString ManageProgramForm::tipText() const
{
    return m_tip->text();
}

void ManageProgramForm::tip(const QString& text)
{
    m_tip->setText(text);
    emit signal_showTips(text);
}

void ManageProgramForm::send(const QJsonObject& request)
{
    emit signal_sendMsg(DspEnvelope::udp(request));
}

void ManageProgramForm::sendTcp(const QJsonObject& request)
{
    emit signal_sendTcpMsg(DspEnvelope::udp(request));
}

void ManageProgramForm::refreshList()
{
    send(ChannelProgramRequests::getNameArr());
}

void ManageProgramForm::showList()
{
    qDeleteAll(m_rows);
    m_rows.clear();
    for (int i = 0; i < m_names.size(); ++i) {
        auto* row = new ProgramItemForm(i, m_names[i]);
        connect(row, &ProgramItemForm::signal_clicked, this, &ManageProgramForm::selectIndex);
        m_list->insertWidget(i, row);
        m_rows.append(row);
    }
    selectIndex(m_selected < m_names.size() ? m_selected : -1);
}

void ManageProgramForm::selectIndex(int index)
{
    m_selected = index >= 0 && index < m_names.size() ? index : -1;
    for (ProgramItemForm* row : m_rows)
        row->setSelected(row->index() == m_selected);
}

std::optional<QString> ManageProgramForm::askName(const QString& prompt, const QString& initial)
{
    const std::optional<QString> name = m_prompts.askName(prompt, initial);
    if (!name)
        return std::nullopt;
    const ProgramName::Problem problem = ProgramName::check(*name);
    if (problem != ProgramName::Problem::None) {
        tip(ProgramName::text(problem));
        return std::nullopt;
    }
    return name;
}

void ManageProgramForm::on_pb_add_clicked()
{
    if (const std::optional<QString> name = askName(tr("请输入增加的程式名"), QString()))
        send(ChannelProgramRequests::save(*name, QString(), m_isInput, m_chIndex));
}

void ManageProgramForm::on_pb_modify_clicked()
{
    if (m_selected < 0) {
        tip(tr("请选择修改的程式"));
        return;
    }
    const QString old = m_names[m_selected];
    if (const std::optional<QString> name = askName(tr("请输入修改的程式名"), old))
        send(ChannelProgramRequests::rename(*name, old));
}

void ManageProgramForm::on_pb_delete_clicked()
{
    if (m_selected < 0) {
        tip(tr("请选择要删除的程式"));
        return;
    }
    const QString name = m_names[m_selected];
    if (m_prompts.ask(tr("是否删除程式") + QStringLiteral(" ") + name + QStringLiteral("?")))
        send(ChannelProgramRequests::remove(name));
}

void ManageProgramForm::on_pb_export_clicked()
{
    if (m_selected < 0) {
        tip(tr("请选择要导出的程式"));
        return;
    }
    m_exportName = m_names[m_selected];
    sendTcp(ChannelProgramRequests::getByName(m_exportName));
}

void ManageProgramForm::on_pb_import_clicked()
{
    IniFile ini(m_settingsPath);
    const QString dir = ini.value(QLatin1String(kDirKey)).toString();
    const QString file = m_prompts.openFile(tr("选择配置文件"), dir.isEmpty() ? QStringLiteral(".") : dir, kFilter);
    if (file.isEmpty())
        return;
    ini.setValue(QLatin1String(kDirKey), QFileInfo(file).absolutePath());
    QByteArray bytes;
    if (ProgramFile::readFile(file, &bytes) != ProgramFile::Error::None) {
        tip(ProgramFile::text(ProgramFile::Error::Open));
        return;
    }
    const ChannelProgram::Read read = ChannelProgram::read(bytes);
    if (read.error != ProgramFile::Error::None) {
        tip(ProgramFile::text(read.error));
        return;
    }
    const QString base = QFileInfo(file).completeBaseName();
    if (const std::optional<QString> name =
            askName(tr("请输入增加的程式名"), ProgramName::isValid(base) ? base : QString()))
        sendTcp(ChannelProgramRequests::saveFromFile(*name, read.program));
}

void ManageProgramForm::recvMsg(QString msg)
{
    if (!msg.contains(QLatin1String("ChConfig")))
        return;
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString ops = text(reply, "ops");
    const bool ok = text(reply, "result") == QLatin1String("succ");
    const QString reason = text(reply, "reason");
    if (ops == QLatin1String("getChConfigNameArr")) {
        if (!ok)
            return;
        QStringList names;
        for (const QJsonValue& v : reply.value(QLatin1String("nameArr")).toArray()) {
            if (names.size() >= ChannelProgram::kMaxPrograms)
                break;
            names << v.toString();
        }
        m_names = names;
        showList();
        return;
    }
    const auto outcome = [&](const QString& good, const QString& bad) {
        tip(ok ? good : ProgramReplies::withReason(bad, reason));
        if (ok)
            refreshList();
    };
    if (ops == QLatin1String("saveChConfig"))
        outcome(tr("增加成功"), tr("增加失败"));
    else if (ops == QLatin1String("renameChConfig"))
        outcome(tr("修改成功"), tr("修改失败"));
    else if (ops == QLatin1String("deleteChConfig"))
        outcome(tr("删除成功"), tr("删除失败"));
    else if (ops == QLatin1String("saveChConfigToFile"))
        outcome(tr("导入成功"), tr("导入失败"));
    else if (ops == QLatin1String("getChConfigByName") && !m_exportName.isEmpty()) {
        const QString name = m_exportName;
        m_exportName.clear();
        const QJsonObject program = reply.value(QLatin1String("config")).toObject();
        if (!ok || !ChannelProgram::problem(program).isEmpty()) {
            tip(ProgramReplies::withReason(tr("获取配置失败"), reason));
            return;
        }
        IniFile ini(m_settingsPath);
        const QString dir = ini.value(QLatin1String(kDirKey)).toString();
        const QString file = m_prompts.saveFile(
            tr("保存文件"), (dir.isEmpty() ? QStringLiteral(".") : dir) + QLatin1Char('/') + name + ".dtc", kFilter);
        if (file.isEmpty())
            return;
        ini.setValue(QLatin1String(kDirKey), QFileInfo(file).absolutePath());
        tip(ProgramFile::writeFile(file, ProgramFile::writeProgram(program)) ? tr("导出成功") : tr("导出失败"));
    }
}
