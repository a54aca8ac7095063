#include "ProgramList.h"

namespace {

const QString kSelectSave = QStringLiteral("请选择要保存的程式序号");
const QString kSelectLoad = QStringLiteral("请选择要加载的程式序号");
const QString kSelectExisting = QStringLiteral("请选择存在的程式序号");
const QString kDefaultUnchangeable = QStringLiteral("系统默认程式不能修改");

QJsonObject request(const char* ops)
{
    return {{QStringLiteral("ops"), QLatin1String(ops)}, {QStringLiteral("uiTag"), QStringLiteral("dspUiTag")}};
}

} // namespace

void ProgramList::setNames(const QStringList& names)
{
    m_names = names.mid(0, kSlots);
}

QString ProgramList::refuseSave(int index) const
{
    if (index < 0 || index >= kSlots)
        return kSelectSave;
    if (index == 0)
        return kDefaultUnchangeable;
    return {};
}

QString ProgramList::refuseLoad(int index) const
{
    if (index < 0 || index >= kSlots)
        return kSelectLoad;
    if (!exists(index))
        return kSelectExisting;
    return {};
}

QString ProgramList::refuseDelete(int index) const
{
    if (index < 0 || index >= kSlots)
        return QStringLiteral("请选择要删除的程式序号");
    if (index == 0)
        return QStringLiteral("系统默认程式不能删除");
    if (!exists(index))
        return kSelectExisting;
    if (isCurrent(index))
        return QStringLiteral("不能删除当前使用的程式");
    return {};
}

QString ProgramList::refuseExport(int index) const
{
    if (index < 0 || index >= kSlots)
        return QStringLiteral("请选择要导出的程式序号");
    if (index == 0)
        return QStringLiteral("系统默认程式不能导出");
    if (!exists(index))
        return kSelectExisting;
    return {};
}

QString ProgramList::refuseImport(int index) const
{
    if (index < 0 || index >= kSlots)
        return QStringLiteral("请选择要导入的程式序号");
    if (index == 0)
        return kDefaultUnchangeable;
    return {};
}

QStringList ProgramList::exportable() const
{
    return m_names.mid(1);
}

namespace ProgramRequests {

QJsonObject getConfigNameArr()
{
    return request("getConfigNameArr");
}

QJsonObject getDefaultFile()
{
    return request("getDefaultFile");
}

QJsonObject saveToFile(const QString& name, const QString& oldName)
{
    QJsonObject r = request("saveToFile");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("oldName"), oldName);
    return r;
}

QJsonObject loadFromFile(const QString& name)
{
    QJsonObject r = request("loadFromFile");
    r.insert(QStringLiteral("name"), name);
    return r;
}

QJsonObject loadFromFactory()
{
    return request("loadFromFactory");
}

QJsonObject deleteFile(const QString& name)
{
    QJsonObject r = request("deleteFile");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("isUser"), QStringLiteral("1"));
    return r;
}

QJsonObject setFactoryConfig()
{
    return request("setFactoryConfig");
}

QJsonObject getConfigByName(const QString& name, const QString& subTag)
{
    QJsonObject r = request("getConfigByName");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("subTag"), subTag);
    return r;
}

QJsonObject saveConfigToFile(const QString& name, const QJsonObject& config, const QString& subTag)
{
    QJsonObject r = request("saveConfigToFile");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("config"), config);
    if (!subTag.isEmpty())
        r.insert(QStringLiteral("subTag"), subTag);
    return r;
}

QJsonObject getConfig()
{
    return request("getConfig");
}

} // namespace ProgramRequests

namespace ProgramReplies {

QString loadFailure(const QString& reason)
{
    const QString r = reason.toLower();
    if (r.contains(QLatin1String("sample rate")) || r.contains(QLatin1String("samplerate")) ||
        reason.contains(QStringLiteral("采样率")))
        return QStringLiteral("请检查配置采样率是否匹配");
    if (r.contains(QLatin1String("old version")) || reason.contains(QStringLiteral("旧版本")))
        return QStringLiteral("该配置为旧版本，不能加载，可以转换为新版本后再导入");
    return withReason(QStringLiteral("加载失败"), reason);
}

QString withReason(const QString& base, const QString& reason)
{
    return reason.isEmpty() ? base : base + QStringLiteral(": ") + reason.left(200);
}

} // namespace ProgramReplies

void ProgramBatch::start(const QStringList& names)
{
    m_names = names;
    m_got.clear();
}

void ProgramBatch::clear()
{
    m_names.clear();
    m_got.clear();
}

bool ProgramBatch::accept(const QString& name, const QJsonObject& config)
{
    if (!name.isEmpty()) {
        if (!m_names.contains(name) || m_got.contains(name))
            return false;
        m_got.insert(name, config);
        return true;
    }
    for (const QString& n : m_names)
        if (!m_got.contains(n)) {
            m_got.insert(n, config);
            return true;
        }
    return false;
}

QVector<ProgramFile::Program> ProgramBatch::programs() const
{
    QVector<ProgramFile::Program> out;
    for (const QString& n : m_names)
        if (m_got.contains(n))
            out.append({n, m_got.value(n)});
    return out;
}
