#pragma once
#include "ProgramFile.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

/// The device's stored programs as the program page knows them, and what each of its buttons may do: facts in,
/// a refusal text or a request out. Program 0 is the system default: it loads (through "loadFromFactory") but
/// is never saved over, deleted or exported.
class ProgramList
{
public:
    /// The page shows this many slots; a longer list from a device is cut there.
    static constexpr int kSlots = 20;

    /// The device's "nameArr", program 0 first.
    void setNames(const QStringList& names);
    QStringList names() const { return m_names; }
    int count() const { return int(m_names.size()); }
    bool exists(int index) const { return index >= 0 && index < count(); }
    /// The name at `index`; empty when there is none.
    QString nameAt(int index) const { return exists(index) ? m_names[index] : QString(); }

    /// The program last loaded ("getDefaultFile").
    void setCurrent(const QString& name) { m_current = name; }
    QString current() const { return m_current; }
    bool isCurrent(int index) const { return exists(index) && m_names[index] == m_current; }

    /// Refusals before anything is sent; empty when the action may go ahead. `index` -1 means none selected.
    QString refuseSave(int index) const;
    QString refuseLoad(int index) const;
    QString refuseDelete(int index) const;
    QString refuseExport(int index) const;
    /// Importing replaces the selected program (or fills an empty slot).
    QString refuseImport(int index) const;
    /// The programs an export of all would fetch (all but program 0).
    QStringList exportable() const;

private:
    QStringList m_names;
    QString m_current;
};

/// The requests of the program pages ("uiTag" "dspUiTag", every value text). The page serialises them compact.
namespace ProgramRequests {
QJsonObject getConfigNameArr();
QJsonObject getDefaultFile();
QJsonObject saveToFile(const QString& name, const QString& oldName);
QJsonObject loadFromFile(const QString& name);
QJsonObject loadFromFactory();
QJsonObject deleteFile(const QString& name);
QJsonObject setFactoryConfig();
/// `subTag` "export", "convert" or "exportAll": the reply carries it back, so the page knows what to do.
QJsonObject getConfigByName(const QString& name, const QString& subTag);
/// `subTag` empty for a single import, "importAll" for a list.
QJsonObject saveConfigToFile(const QString& name, const QJsonObject& config, const QString& subTag);
/// The configuration again after a load: every page redraws from it.
QJsonObject getConfig();
} // namespace ProgramRequests

/// What a device's reply to a program request means to the user.
namespace ProgramReplies {
/// "请检查配置采样率是否匹配" when the device refused a load for its sample rate,
/// "该配置为旧版本，不能加载，可以转换为新版本后再导入" for a program in an older form, else "加载失败".
QString loadFailure(const QString& reason);
/// `base` alone, or followed by the device's reason.
QString withReason(const QString& base, const QString& reason);
} // namespace ProgramReplies

/// The fetches of "export all": which programs were asked for, which came back, in list order.
class ProgramBatch
{
public:
    void start(const QStringList& names);
    bool active() const { return !m_names.isEmpty(); }
    void clear();
    /// A reply's configuration; `name` may be empty when a device does not echo it (replies come in order).
    /// False when nothing was waiting for it.
    bool accept(const QString& name, const QJsonObject& config);
    bool complete() const { return active() && m_got.size() == m_names.size(); }
    QVector<ProgramFile::Program> programs() const;
    int expected() const { return int(m_names.size()); }
    int received() const { return int(m_got.size()); }

private:
    QStringList m_names;
    QMap<QString, QJsonObject> m_got;
};
