#include "ArchiveWindows.h"

#include "AppState.h"
#include "ArchiveUiLog.h"
#include "DevDetailStore.h"
#include "FileDialogs.h"
#include "LoadOfflineDevForm.h"
#include "OfflineData.h"
#include "OnlineDeviceFacts.h"
#include "SelectParametersForm.h"
#include "UserSettings.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString pick(const char* zh, const char* en)
{
    return AppState::pick(QString::fromUtf8(zh), QString::fromUtf8(en));
}

/// True while an archive is being read: reading handles pending events, and a second click on the menu must not
/// start a second reading meanwhile.
bool g_reading = false;

void showDialog(QDialog* dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->show();
}

} // namespace

QString ArchiveWindows::askArchive(QWidget* parent, UserSettings& settings)
{
    const QString path = FileDialogs::openFileName(parent, pick("打开文件", "Open file"), settings.lastCfgDirPath(),
                                                   QStringLiteral("*.odt;;*.*"));
    if (!path.isEmpty() && !settings.setLastCfgDirPath(QFileInfo(path).absolutePath()))
        qCWarning(lcArchiveUi) << "the archive folder could not be remembered";
    return path;
}

bool ArchiveWindows::readArchive(const QString& path, OfflineData& out, QString* notice)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *notice = pick("文件打开失败: ", "Cannot open the file: ") + file.errorString();
        return false;
    }
    // An archive is read whole; anything larger than a document may be is not one.
    if (file.size() > OfflineData::MaxDocumentBytes) {
        *notice = pick("文件过大，不是存档", "The file is too large to be an archive");
        return false;
    }
    QString error;
    if (!out.loadFromText(file.read(OfflineData::MaxDocumentBytes), OfflineData::Progress(), &error)) {
        *notice = pick("存档无法解析: ", "The archive cannot be read: ") + error;
        return false;
    }
    if (out.deviceCount() == 0) {
        *notice = pick("存档中没有设备", "The archive holds no devices");
        return false;
    }
    if (!error.isEmpty())
        qCWarning(lcArchiveUi).noquote() << path << error;
    return true;
}

QString ArchiveWindows::openOnlineExport(QWidget* parent, UserSettings& settings)
{
    auto* form = new SelectParametersForm(SelectParametersForm::Mode::ExportOnline, settings, parent);
    form->setOnlineDevices(OnlineDeviceFacts::collect(DevDetailStore::instance()));
    showDialog(form);
    return QString();
}

QString ArchiveWindows::openLoad(QWidget* parent, UserSettings& settings)
{
    if (g_reading)
        return QString();
    const QString path = askArchive(parent, settings);
    if (path.isEmpty())
        return QString();
    OfflineData archive;
    QString notice;
    g_reading = true;
    const bool read = readArchive(path, archive, &notice);
    g_reading = false;
    if (!read)
        return notice;
    auto* form = new LoadOfflineDevForm(archive.devices(), parent);
    form->setOnlineSource([] { return OnlineDeviceFacts::collect(DevDetailStore::instance()); });
    showDialog(form);
    return QString();
}

QString ArchiveWindows::openOfflineExport(QWidget* parent, UserSettings& settings, const OfflineData& design)
{
    if (design.deviceCount() == 0)
        return pick("请至少选择一个设备", "Choose at least one device");
    auto* form = new SelectParametersForm(SelectParametersForm::Mode::ExportOffline, settings, parent);
    form->setDesign(&design);
    showDialog(form);
    return QString();
}

QString ArchiveWindows::openImport(QWidget* parent, UserSettings& settings, OfflineData& design)
{
    if (g_reading)
        return QString();
    const QString path = askArchive(parent, settings);
    if (path.isEmpty())
        return QString();
    auto* form = new SelectParametersForm(SelectParametersForm::Mode::Import, settings, parent);
    // The archive lives as long as the dialog that offers its devices.
    auto* archive = new OfflineData(form);
    QString notice;
    g_reading = true;
    const bool read = readArchive(path, *archive, &notice);
    g_reading = false;
    if (!read) {
        delete form;
        return notice;
    }
    form->setDesign(archive, &design);
    showDialog(form);
    return QString();
}
