#include "OfflineWorkspace.h"

#include "AddDevForm.h"
#include "AppState.h"
#include "CustomDevListWidget.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "OfflineWorkingFile.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QWidget>

Q_LOGGING_CATEGORY(lcOfflineWorkspace, "meridane.offline.workspace")

namespace {
// The user-interface thread is free between steps, but a second enter or save must not start inside the first.
class BusyGuard
{
public:
    explicit BusyGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyGuard() { m_flag = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& m_flag;
};
} // namespace

OfflineWorkspace::OfflineWorkspace(OfflineData& data, CustomDevListWidget* list, QWidget* dialogParent, QObject* parent)
    : QObject(parent), m_data(data), m_list(list), m_dialogParent(dialogParent),
      m_workingFile(OfflineWorkingFile::defaultPath())
{
    connect(m_list, &CustomDevListWidget::signal_addDevice, this, &OfflineWorkspace::openAddDevForm);
    connect(m_list, &CustomDevListWidget::signal_copyDevice, this, &OfflineWorkspace::copyDevice);
    connect(m_list, &CustomDevListWidget::signal_deleteDevice, this, &OfflineWorkspace::deleteDevice);
}

OfflineWorkspace::~OfflineWorkspace()
{
    delete m_addForm.data();
}

bool OfflineWorkspace::ask(const QString& question)
{
    if (m_question)
        return m_question(question);
    return QMessageBox::question(m_dialogParent,
                                 AppState::pick(QStringLiteral("离线模式"), QStringLiteral("Offline mode")),
                                 question) == QMessageBox::Yes;
}

OfflineData::Progress OfflineWorkspace::progressAs(const QString& doing)
{
    return [this, doing](int done, int total, const QString& name) {
        emit signal_progress(QStringLiteral("%1 %2 (%3/%4)").arg(doing, name).arg(done).arg(total));
    };
}

bool OfflineWorkspace::enter()
{
    if (m_open || m_busy)
        return m_open;
    if (!ask(AppState::pick(QStringLiteral("是否进入离线模式？"), QStringLiteral("Enter offline mode?"))))
        return false;
    BusyGuard busy(m_busy);
    emit signal_entering();
    m_previousMode = AppState::mode();
    AppState::setMode(AppState::kOfflineMode);
    m_open = true;
    if (ask(AppState::pick(QStringLiteral("是否加载上次保存？"),
                           QStringLiteral("Load the last saved configuration?")))) {
        emit signal_busy(AppState::pick(QStringLiteral("加载中..."), QStringLiteral("Loading...")));
        load();
    } else {
        emit signal_busy(AppState::pick(QStringLiteral("初始化中..."), QStringLiteral("Initializing...")));
        m_data.clear();
    }
    m_list->retranslate();
    refreshList();
    emit signal_entered();
    emit signal_designChanged();
    emit signal_idle();
    return true;
}

bool OfflineWorkspace::load()
{
    OfflineWorkingFile file(m_data, m_workingFile);
    // A missing or empty file is a first start, not a fault (the reader creates it).
    const bool hadContent = QFileInfo(m_workingFile).size() > 0;
    QString error;
    const bool ok = file.readAtStartup(
        progressAs(AppState::pick(QStringLiteral("加载中..."), QStringLiteral("Loading..."))), &error);
    if (!ok && hadContent)
        emit signal_showTips(AppState::pick(QStringLiteral("离线文件无法读取: %1"),
                                            QStringLiteral("The offline file cannot be read: %1"))
                                 .arg(error));
    return ok;
}

bool OfflineWorkspace::save()
{
    if (!m_open || m_busy)
        return false;
    BusyGuard busy(m_busy);
    const QString saving = AppState::pick(QStringLiteral("保存中..."), QStringLiteral("Saving..."));
    emit signal_busy(saving);
    QString message;
    const bool ok = OfflineWorkingFile(m_data, m_workingFile).save(progressAs(saving), &message);
    emit signal_idle();
    if (!ok) {
        qCWarning(lcOfflineWorkspace) << "cannot write" << m_workingFile << message;
        emit signal_showTips(message);
    }
    return ok;
}

bool OfflineWorkspace::leave()
{
    if (!m_open || m_busy)
        return false;
    const OfflineTips::Choice choice = m_leaveQuestion ? m_leaveQuestion() : OfflineTips(m_dialogParent).ask();
    if (choice == OfflineTips::Stay)
        return false;
    // A failed save keeps the workspace open: leaving would lose the design the user meant to keep.
    if (choice == OfflineTips::SaveAndLeave && !save())
        return false;
    if (m_addForm)
        m_addForm->close();
    m_open = false;
    AppState::setMode(m_previousMode == AppState::kOfflineMode ? 0 : m_previousMode);
    emit signal_left();
    return true;
}

QString OfflineWorkspace::uniqueName(const QString& model) const
{
    QStringList names;
    m_data.withLock([&names](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
        for (const auto& d : devices)
            names << d->name();
    });
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("%1-%2").arg(model).arg(n);
        if (!names.contains(name))
            return name;
    }
}

bool OfflineWorkspace::addDevice(const OfflineDeviceType& type)
{
    if (!m_open)
        return false;
    if (m_data.deviceCount() >= OfflineData::MaxDevices) {
        emit signal_showTips(AppState::pick(QStringLiteral("离线设备已达上限 %1"),
                                            QStringLiteral("The design holds the most devices allowed (%1)"))
                                 .arg(OfflineData::MaxDevices));
        return false;
    }
    const QString devId = m_data.newDeviceId(type.devModel);
    if (!m_data.addDevice(OfflineDevice::fromType(type, devId, uniqueName(type.devModel)))) {
        emit signal_showTips(
            AppState::pick(QStringLiteral("添加设备失败"), QStringLiteral("The device could not be added")));
        return false;
    }
    refreshList();
    emit signal_designChanged();
    return true;
}

bool OfflineWorkspace::copyDevice(const QString& devId)
{
    if (!m_open)
        return false;
    if (m_data.deviceCount() >= OfflineData::MaxDevices) {
        emit signal_showTips(AppState::pick(QStringLiteral("离线设备已达上限 %1"),
                                            QStringLiteral("The design holds the most devices allowed (%1)"))
                                 .arg(OfflineData::MaxDevices));
        return false;
    }
    if (m_data.copyDevice(devId).isEmpty())
        return false;
    refreshList();
    emit signal_designChanged();
    return true;
}

bool OfflineWorkspace::deleteDevice(const QString& devId)
{
    if (!m_open || !m_data.removeDevice(devId))
        return false;
    refreshList();
    emit signal_designChanged();
    return true;
}

void OfflineWorkspace::refreshList()
{
    QVector<CustomDevListWidget::Entry> entries;
    // Only what the list shows is read: a copy of every device would copy its processor configurations too.
    m_data.withLock([&entries](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
        entries.reserve(int(devices.size()));
        for (const auto& d : devices)
            entries.push_back({d->devId(), d->name(), d->model()});
    });
    m_list->setDevices(entries);
}

void OfflineWorkspace::openAddDevForm()
{
    if (!m_open)
        return;
    if (m_addForm) {
        m_addForm->show();
        m_addForm->raise();
        return;
    }
    auto* form = new AddDevForm(m_dialogParent, m_catalogueRoot);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setCountFunction([this](const QString& model) {
        int n = 0;
        m_data.withLock([&n, &model](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
            for (const auto& d : devices)
                n += d->model() == model ? 1 : 0;
        });
        return n;
    });
    connect(form, &AddDevForm::signal_addDevice, this, [this, form](const OfflineDeviceType& type) {
        if (addDevice(type))
            form->refreshCounts();
    });
    m_addForm = form;
    form->show();
    form->raise();
}
