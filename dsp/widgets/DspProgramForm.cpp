#include "DspProgramForm.h"

#include "CDeviceDspData.h"
#include "DspEnvelope.h"
#include "IniFile.h"
#include "ProgramConverter.h"
#include "ProgramName.h"
#include "UiScale.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcDspProgram, "meridane.dsp.program")

namespace {

const char* const kFileDirKey = "lastCfgDirPath";
const char* const kListDirKey = "lastDirPath";
const QString kProgramFilter = QStringLiteral("*.dt;;*.*");
const QString kListFilter = QStringLiteral("*.dtl;;*.*");
const QString kExport = QStringLiteral("export");
const QString kConvert = QStringLiteral("convert");
const QString kExportAll = QStringLiteral("exportAll");
const QString kImportAll = QStringLiteral("importAll");

/// Cheap test before parsing: the page is handed every reply of the processor, meters included.
bool mayBeOurs(const QString& msg)
{
    return msg.contains(QLatin1String("File")) || msg.contains(QLatin1String("Config")) ||
           msg.contains(QLatin1String("Factory"));
}

QString text(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString();
}

} // namespace

DspProgramForm::DspProgramForm(QWidget* parent)
    : DspPageShell(QStringLiteral("DspProgramForm"), parent), m_settingsPath(QStringLiteral("./Config.ini"))
{
    m_prompts = ProgramPrompts::dialogs(this);
    buildUi();
    showList();
}

void DspProgramForm::setPrompts(ProgramPrompts prompts)
{
    m_prompts = std::move(prompts);
}

void DspProgramForm::buildUi()
{
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("programContent"));
    content->setStyleSheet(QStringLiteral(
        "#programContent{background:#1f232a;} QLabel{color:#d7dbe2;}"
        "QPushButton{color:#d7dbe2;background:#2d333d;border:1px solid #3c4450;border-radius:3px;padding:4px 10px;}"
        "QPushButton:hover{background:#37404c;} QPushButton:checked{background:#2f6fb3;border-color:#4a8ad0;}"
        "QPushButton[current=\"true\"]{color:#7ee08a;font-weight:bold;}"));

    auto* grid = new QGridLayout;
    grid->setSpacing(UiScale::px(6));
    m_slots = new QButtonGroup(this);
    m_slots->setExclusive(true);
    for (int i = 0; i < ProgramList::kSlots; ++i) {
        auto* b = new QPushButton(content);
        b->setObjectName(QStringLiteral("pb_%1").arg(i));
        b->setCheckable(true);
        b->setMinimumSize(UiScale::px(190), UiScale::px(34));
        m_slots->addButton(b, i);
        grid->addWidget(b, i % 10, i / 10);
        m_slotButtons.append(b);
    }
    connect(m_slots, &QButtonGroup::idClicked, this, [this](int id) { m_selected = id; });

    m_count = new QLabel(content);
    m_count->setObjectName(QStringLiteral("lb_count"));
    m_current = new QLabel(content);
    m_current->setObjectName(QStringLiteral("lb_current"));
    auto* info = new QHBoxLayout;
    info->addWidget(m_count);
    info->addSpacing(UiScale::px(24));
    info->addWidget(m_current);
    info->addStretch();

    auto* actions = new QVBoxLayout;
    actions->setSpacing(UiScale::px(8));
    auto action = [&](const char* name, const QString& label, void (DspProgramForm::*slot)()) {
        auto* b = new QPushButton(label, content);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(UiScale::px(150));
        connect(b, &QPushButton::clicked, this, slot);
        actions->addWidget(b);
    };
    action("pb_save", tr("保存程式"), &DspProgramForm::on_pb_save_clicked);
    action("pb_load", tr("加载程式"), &DspProgramForm::on_pb_load_clicked);
    action("pb_delete", tr("删除程式"), &DspProgramForm::on_pb_delete_clicked);
    actions->addSpacing(UiScale::px(12));
    action("pb_export", tr("导出到PC"), &DspProgramForm::on_pb_export_clicked);
    action("pb_convertExport", tr("转换导出到PC"), &DspProgramForm::on_pb_convertExport_clicked);
    action("pb_exportAll", tr("全部导出到PC"), &DspProgramForm::on_pb_exportAll_clicked);
    action("pb_import", tr("从PC导入"), &DspProgramForm::on_pb_import_clicked);
    action("pb_importAll", tr("全部从PC导入"), &DspProgramForm::on_pb_importAll_clicked);
    actions->addSpacing(UiScale::px(12));
    action("pb_factory", tr("恢复出厂配置"), &DspProgramForm::on_pb_factory_clicked);
    actions->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(grid, 1);
    body->addSpacing(UiScale::px(24));
    body->addLayout(actions);
    auto* outer = new QVBoxLayout(content);
    outer->setContentsMargins(UiScale::px(16), UiScale::px(12), UiScale::px(16), UiScale::px(12));
    outer->addLayout(info);
    outer->addSpacing(UiScale::px(8));
    outer->addLayout(body, 1);
    setContent(content);
}

void DspProgramForm::showList()
{
    for (int i = 0; i < m_slotButtons.size(); ++i) {
        QPushButton* b = m_slotButtons[i];
        QString label = QString::number(i);
        if (i == 0)
            label += QLatin1Char(' ') + tr("系统默认");
        else if (m_list.exists(i))
            label += QLatin1Char(' ') + m_list.nameAt(i);
        b->setText(label);
        const bool current = m_list.isCurrent(i);
        if (b->property("current").toBool() != current) {
            b->setProperty("current", current);
            b->style()->unpolish(b);
            b->style()->polish(b);
        }
    }
    m_count->setText(tr("程式数量:") + QString::number(m_list.count()));
    QString current = m_list.current();
    if (!m_list.names().isEmpty() && current == m_list.nameAt(0))
        current = tr("系统默认");
    m_current->setText(tr("上次加载：") + current);
}

void DspProgramForm::selectIndex(int index)
{
    m_selected = index >= 0 && index < ProgramList::kSlots ? index : -1;
    if (m_selected >= 0) {
        m_slotButtons[m_selected]->setChecked(true);
    } else if (QAbstractButton* b = m_slots->checkedButton()) {
        m_slots->setExclusive(false);
        b->setChecked(false);
        m_slots->setExclusive(true);
    }
}

void DspProgramForm::setDspData(CDeviceDspData* data)
{
    DspPageShell::setDspData(data);
    if (data != nullptr && !isOffline())
        refreshList();
}

void DspProgramForm::refreshList()
{
    sendUdp(ProgramRequests::getConfigNameArr());
    sendUdp(ProgramRequests::getDefaultFile());
}

void DspProgramForm::sendUdp(const QJsonObject& request)
{
    emit signal_sendMsg(DspEnvelope::udp(request));
}

void DspProgramForm::sendTcp(const QJsonObject& request)
{
    emit signal_sendTcpMsg(DspEnvelope::udp(request));
}

void DspProgramForm::tip(const QString& text)
{
    qCInfo(lcDspProgram) << text;
    emit signal_showTips(text);
}

bool DspProgramForm::canTalk()
{
    if (isOffline()) {
        tip(tr("离线模式下不可用"));
        return false;
    }
    if (dspData() == nullptr) {
        tip(tr("未连接"));
        return false;
    }
    return true;
}

QString DspProgramForm::rememberedDir(const char* key) const
{
    const QString dir = IniFile(m_settingsPath).value(QLatin1String(key)).toString();
    return dir.isEmpty() ? QStringLiteral(".") : dir;
}

void DspProgramForm::rememberDir(const char* key, const QString& file)
{
    // A folder that cannot be remembered costs the user a click next time, nothing more.
    if (!IniFile(m_settingsPath).setValue(QLatin1String(key), QFileInfo(file).absolutePath()))
        qCWarning(lcDspProgram) << "could not remember the folder in" << m_settingsPath;
}

bool DspProgramForm::channelsFit(const QJsonObject& config)
{
    const int inputs = int(dspData()->inputs().size());
    const int outputs = int(dspData()->outputs().size());
    if (ProgramFile::fitsDevice(config, inputs, outputs))
        return true;
    tip(tr("导入失败,通道不匹配"));
    return false;
}

bool DspProgramForm::currentForm(QJsonObject* config, bool asked)
{
    if (!ProgramConverter::needsConversion(*config))
        return true;
    if (!asked && !m_prompts.ask(tr("配置文件版本低，是否转换后导入?")))
        return false;
    const ProgramConverter::Result r = ProgramConverter::convert(*config);
    if (r.outcome != ProgramConverter::Outcome::Converted) {
        tip(tr("转换出错"));
        return false;
    }
    *config = r.config;
    return true;
}

// ---- Buttons ------------------------------------------------------------------------------------------------

void DspProgramForm::on_pb_save_clicked()
{
    if (!canTalk())
        return;
    const QString refusal = m_list.refuseSave(m_selected);
    if (!refusal.isEmpty()) {
        tip(refusal);
        return;
    }
    const std::optional<QString> name = m_prompts.askName(tr("请输入程式名"), m_list.nameAt(m_selected));
    if (!name)
        return;
    const ProgramName::Problem problem = ProgramName::check(*name);
    if (problem != ProgramName::Problem::None) {
        tip(ProgramName::text(problem));
        return;
    }
    sendUdp(ProgramRequests::saveToFile(*name, m_list.nameAt(m_selected)));
}

void DspProgramForm::on_pb_load_clicked()
{
    if (!canTalk())
        return;
    const QString refusal = m_list.refuseLoad(m_selected);
    if (!refusal.isEmpty()) {
        tip(refusal);
        return;
    }
    if (m_selected == 0) {
        tip(tr("加载系统默认程式"));
        sendUdp(ProgramRequests::loadFromFactory());
        return;
    }
    sendUdp(ProgramRequests::loadFromFile(m_list.nameAt(m_selected)));
}

void DspProgramForm::on_pb_delete_clicked()
{
    if (!canTalk())
        return;
    const QString refusal = m_list.refuseDelete(m_selected);
    if (!refusal.isEmpty()) {
        tip(refusal);
        return;
    }
    const QString name = m_list.nameAt(m_selected);
    if (!m_prompts.ask(tr("是否删除程式") + QStringLiteral(" ") + name + QStringLiteral("?")))
        return;
    sendUdp(ProgramRequests::deleteFile(name));
}

void DspProgramForm::on_pb_export_clicked()
{
    if (isOffline() && dspData() != nullptr) {
        exportOffline();
        return;
    }
    requestExport(kExport);
}

void DspProgramForm::on_pb_convertExport_clicked()
{
    requestExport(kConvert);
}

void DspProgramForm::requestExport(const QString& kind)
{
    if (!canTalk())
        return;
    const QString refusal = m_list.refuseExport(m_selected);
    if (!refusal.isEmpty()) {
        tip(refusal);
        return;
    }
    m_exportName = m_list.nameAt(m_selected);
    m_exportKind = kind;
    sendTcp(ProgramRequests::getConfigByName(m_exportName, kind));
}

void DspProgramForm::on_pb_exportAll_clicked()
{
    if (!canTalk())
        return;
    const QStringList names = m_list.exportable();
    if (names.isEmpty()) {
        tip(tr("没有可以导出的程式"));
        return;
    }
    const QString file = m_prompts.saveFile(tr("保存文件"), rememberedDir(kListDirKey), kListFilter);
    if (file.isEmpty())
        return;
    rememberDir(kListDirKey, file);
    m_exportAllFile = file;
    m_exportAll.start(names);
    for (const QString& name : names)
        sendTcp(ProgramRequests::getConfigByName(name, kExportAll));
}

void DspProgramForm::on_pb_import_clicked()
{
    if (isOffline() && dspData() != nullptr) {
        importOffline();
        return;
    }
    if (!canTalk())
        return;
    const QString refusal = m_list.refuseImport(m_selected);
    if (!refusal.isEmpty()) {
        tip(refusal);
        return;
    }
    if (!m_prompts.ask(tr("导入程式会替换选中的程式，是否继续导入?")))
        return;
    QString file;
    QJsonObject config;
    if (!readProgramFile(&file, &config))
        return;
    QString name = m_list.nameAt(m_selected);
    if (name.isEmpty()) {
        const QString base = QFileInfo(file).completeBaseName();
        const std::optional<QString> given =
            m_prompts.askName(tr("请输入程式名"), ProgramName::isValid(base) ? base : QString());
        if (!given)
            return;
        const ProgramName::Problem problem = ProgramName::check(*given);
        if (problem != ProgramName::Problem::None) {
            tip(ProgramName::text(problem));
            return;
        }
        name = *given;
    }
    m_importPending = true;
    sendTcp(ProgramRequests::saveConfigToFile(name, config, QString()));
}

void DspProgramForm::on_pb_importAll_clicked()
{
    if (!canTalk())
        return;
    if (!m_prompts.ask(tr("导入程式会替换已有的程式，是否继续导入?")))
        return;
    const QString file = m_prompts.openFile(tr("选择配置文件"), rememberedDir(kListDirKey), kListFilter);
    if (file.isEmpty())
        return;
    rememberDir(kListDirKey, file);
    QByteArray bytes;
    if (ProgramFile::readFile(file, &bytes) != ProgramFile::Error::None) {
        tip(ProgramFile::text(ProgramFile::Error::Open));
        return;
    }
    ProgramFile::ReadAll read = ProgramFile::readList(bytes);
    if (read.error != ProgramFile::Error::None) {
        tip(ProgramFile::text(read.error));
        return;
    }
    // Every entry is checked before the first is sent: half a list imported helps nobody.
    bool asked = false;
    for (ProgramFile::Program& p : read.programs) {
        if (ProgramConverter::needsConversion(p.config)) {
            if (!asked && !m_prompts.ask(tr("配置文件版本低，是否转换后导入?")))
                return;
            asked = true;
        }
        if (!currentForm(&p.config, true) || !channelsFit(p.config))
            return;
    }
    m_importsPending = int(read.programs.size());
    m_importsFailed = 0;
    m_importFailure.clear();
    for (const ProgramFile::Program& p : read.programs)
        sendTcp(ProgramRequests::saveConfigToFile(p.name, p.config, kImportAll));
}

void DspProgramForm::on_pb_factory_clicked()
{
    if (!canTalk())
        return;
    if (!m_prompts.ask(tr("是否恢复出厂配置?")))
        return;
    sendUdp(ProgramRequests::setFactoryConfig());
}

// ---- Offline: the design's configuration, no device ------------------------------------------------------

void DspProgramForm::exportOffline()
{
    const QString file = m_prompts.saveFile(tr("保存文件"), rememberedDir(kFileDirKey), kProgramFilter);
    if (file.isEmpty())
        return;
    rememberDir(kFileDirKey, file);
    const QJsonObject config = dspData()->writeConfig(dspData()->info().version, true);
    tip(ProgramFile::writeFile(file, ProgramFile::writeProgram(config)) ? tr("导出成功") : tr("导出失败"));
}

bool DspProgramForm::readProgramFile(QString* file, QJsonObject* config)
{
    *file = m_prompts.openFile(tr("选择配置文件"), rememberedDir(kFileDirKey), kProgramFilter);
    if (file->isEmpty())
        return false;
    rememberDir(kFileDirKey, *file);
    QByteArray bytes;
    if (ProgramFile::readFile(*file, &bytes) != ProgramFile::Error::None) {
        tip(ProgramFile::text(ProgramFile::Error::Open));
        return false;
    }
    const ProgramFile::ReadOne read = ProgramFile::readProgram(bytes);
    if (read.error != ProgramFile::Error::None) {
        tip(ProgramFile::text(read.error));
        return false;
    }
    *config = read.config;
    return currentForm(config, false) && channelsFit(*config);
}

void DspProgramForm::importOffline()
{
    if (!m_prompts.ask(tr("导入程式会替换当前配置，是否继续导入?")))
        return;
    QString file;
    QJsonObject config;
    if (!readProgramFile(&file, &config))
        return;
    dspData()->parseConfig(config, dspData()->info().version, true);
    tip(tr("导入成功"));
    emit signal_import(dspData());
}

// ---- Replies ------------------------------------------------------------------------------------------------

void DspProgramForm::recvBackData(QString msg)
{
    DspPageShell::recvBackData(msg);
    if (!mayBeOurs(msg))
        return;
    const QJsonObject reply = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString ops = text(reply, "ops");
    const bool ok = text(reply, "result") == QLatin1String("succ");
    const QString reason = text(reply, "reason");
    QString subTag = text(reply, "subTag");
    // A device that does not echo "subTag": the reply belongs to what this page is waiting for.
    if (subTag.isEmpty() && ops == QLatin1String("getConfigByName"))
        subTag = m_exportAll.active() ? kExportAll : (m_exportName.isEmpty() ? QString() : m_exportKind);
    if (subTag.isEmpty() && ops == QLatin1String("saveConfigToFile") && m_importsPending > 0)
        subTag = kImportAll;

    if (ops == QLatin1String("getConfigNameArr")) {
        if (!ok)
            return;
        QStringList names;
        for (const QJsonValue& v : reply.value(QLatin1String("nameArr")).toArray()) {
            if (names.size() >= ProgramList::kSlots)
                break;
            names << v.toString();
        }
        m_list.setNames(names);
        showList();
    } else if (ops == QLatin1String("getDefaultFile")) {
        if (!ok) {
            tip(tr("获取当前程式名失败"));
            return;
        }
        m_list.setCurrent(text(reply, "name"));
        showList();
    } else if (ops == QLatin1String("saveToFile")) {
        tip(ok ? tr("保存成功") : ProgramReplies::withReason(tr("保存失败"), reason));
        if (ok)
            refreshList();
    } else if (ops == QLatin1String("loadFromFile") || ops == QLatin1String("loadFromFactory")) {
        if (!ok) {
            tip(ProgramReplies::loadFailure(reason));
            return;
        }
        tip(tr("加载成功"));
        refreshList();
        // The processor now runs another configuration: every page redraws from it.
        sendTcp(ProgramRequests::getConfig());
    } else if (ops == QLatin1String("deleteFile")) {
        tip(ok ? tr("删除成功") : ProgramReplies::withReason(tr("删除失败"), reason));
        if (ok)
            refreshList();
    } else if (ops == QLatin1String("getConfigByName")) {
        if (subTag == kExportAll) {
            exportAllReply(reply, ok);
            return;
        }
        if ((subTag != kExport && subTag != kConvert) || m_exportName.isEmpty())
            return; // not an export this page waits for
        if (!ok) {
            m_exportName.clear();
            tip(ProgramReplies::withReason(tr("获取配置失败"), reason));
            return;
        }
        exportReply(reply, subTag == kConvert);
    } else if (ops == QLatin1String("saveConfigToFile")) {
        importReply(reply, ok, subTag == kImportAll);
    } else if (ops == QLatin1String("setFactoryConfig")) {
        tip(ok ? tr("设置成功") : ProgramReplies::withReason(tr("设置失败"), reason));
    }
}

void DspProgramForm::exportReply(const QJsonObject& reply, bool convert)
{
    const QString name = text(reply, "name").isEmpty() ? m_exportName : text(reply, "name");
    if (m_exportName.isEmpty() || name != m_exportName)
        return; // not the export this page is waiting for
    m_exportName.clear();
    QJsonObject config = reply.value(QLatin1String("config")).toObject();
    if (!ProgramFile::looksLikeConfig(config) && !config.contains(QLatin1String("msgJson"))) {
        tip(tr("获取配置失败"));
        return;
    }
    if (convert) {
        const ProgramConverter::Result r = ProgramConverter::convert(config);
        if (r.outcome != ProgramConverter::Outcome::Converted) {
            tip(ProgramConverter::text(r.outcome));
            return;
        }
        config = r.config;
    }
    const QString dir = rememberedDir(kFileDirKey);
    const QString file =
        m_prompts.saveFile(tr("保存文件"), dir + QLatin1Char('/') + name + QStringLiteral(".dt"), kProgramFilter);
    if (file.isEmpty())
        return;
    rememberDir(kFileDirKey, file);
    tip(ProgramFile::writeFile(file, ProgramFile::writeProgram(config)) ? tr("导出成功") : tr("导出失败"));
}

void DspProgramForm::exportAllReply(const QJsonObject& reply, bool ok)
{
    if (!m_exportAll.active())
        return;
    const QJsonObject config = reply.value(QLatin1String("config")).toObject();
    if (!ok || config.isEmpty()) {
        m_exportAll.clear();
        tip(ProgramReplies::withReason(tr("导出失败"), text(reply, "reason")));
        return;
    }
    if (!m_exportAll.accept(text(reply, "name"), config) || !m_exportAll.complete())
        return;
    const bool written = ProgramFile::writeFile(m_exportAllFile, ProgramFile::writeList(m_exportAll.programs()));
    m_exportAll.clear();
    tip(written ? tr("导出成功") : tr("导出失败"));
}

void DspProgramForm::importReply(const QJsonObject& reply, bool ok, bool ofList)
{
    if (!ofList) {
        if (!m_importPending)
            return; // not an import this page waits for
        m_importPending = false;
        tip(ok ? tr("导入成功") : ProgramReplies::withReason(tr("导入失败"), text(reply, "reason")));
        if (ok)
            refreshList();
        return;
    }
    if (m_importsPending <= 0)
        return;
    --m_importsPending;
    if (!ok) {
        ++m_importsFailed;
        if (m_importFailure.isEmpty())
            m_importFailure = text(reply, "name") + QLatin1Char(' ') + text(reply, "reason");
    }
    if (m_importsPending > 0)
        return;
    tip(m_importsFailed == 0 ? tr("导入成功") : ProgramReplies::withReason(tr("导入失败"), m_importFailure.trimmed()));
    refreshList();
}
