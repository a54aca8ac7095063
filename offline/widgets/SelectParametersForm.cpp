#include "SelectParametersForm.h"

#include "AppState.h"
#include "ArchiveImport.h"
#include "ArchiveProgressPanel.h"
#include "ArchiveUiLog.h"
#include "ArchiveWorker.h"
#include "FileDialogs.h"
#include "NetworkArchiveTransport.h"
#include "OfflineData.h"
#include "OfflineDevice.h"
#include "StyledButton.h"
#include "UiScale.h"
#include "UserSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QListWidget>

namespace {

QString pick(const char* zh, const char* en)
{
    return AppState::pick(QString::fromUtf8(zh), QString::fromUtf8(en));
}

/// Whether `path` can be written: its folder exists and takes files, and an old file there may be replaced.
bool canCreate(const QString& path, QString* reason)
{
    const QFileInfo file(path);
    const QFileInfo dir(file.absolutePath());
    if (!dir.isDir()) {
        *reason = QStringLiteral("no such folder: ") + dir.absoluteFilePath();
        return false;
    }
    if (!dir.isWritable()) {
        *reason = QStringLiteral("folder not writable: ") + dir.absoluteFilePath();
        return false;
    }
    if (file.exists() && (!file.isFile() || !file.isWritable())) {
        *reason = QStringLiteral("file not writable: ") + file.absoluteFilePath();
        return false;
    }
    return true;
}

QStringList checkedIds(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            out << list->item(i)->data(Qt::UserRole).toString();
    return out;
}

/// Ties a "select all" box to a list of check boxes both ways.
void bindSelectAll(QCheckBox* all, QListWidget* list)
{
    QObject::connect(all, &QCheckBox::clicked, list, [all, list](bool on) {
        QSignalBlocker block(list);
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        all->setChecked(on);
    });
    QObject::connect(list, &QListWidget::itemChanged, all, [all, list] {
        bool every = list->count() > 0;
        for (int i = 0; i < list->count() && every; ++i)
            every = list->item(i)->checkState() == Qt::Checked;
        all->setChecked(every);
    });
}

} // namespace

SelectParametersForm::SelectParametersForm(Mode mode, UserSettings& settings, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_settings(settings), m_devices(new QListWidget(this)),
      m_allDevices(new QCheckBox(pick("全选", "Select all"), this)), m_params(new QListWidget(this)),
      m_allParams(new QCheckBox(pick("全选", "Select all"), this)), m_status(new QLabel(this)),
      m_confirm(new StyledButton(QString(), StyledButton::Action, this)),
      m_close(new StyledButton(pick("关闭", "Close"), StyledButton::Action, this)),
      m_progress(new ArchiveProgressPanel(this)), m_worker(new ArchiveWorker(this))
{
    setObjectName(QStringLiteral("selectParametersForm"));
    setStyleSheet(QStringLiteral("QDialog#selectParametersForm{background:#1e242c;}"
                                 "QLabel,QCheckBox{color:#d8dee6;font-size:%1px;}"
                                 "QListWidget,QPlainTextEdit,QComboBox{font-size:%1px;}"
                                 "QLabel[heading=\"true\"]{font-weight:bold;}")
                      .arg(UiScale::fontPx(13)));
    const bool import = mode == Mode::Import;
    const bool online = mode == Mode::ExportOnline;
    setWindowTitle(import   ? pick("加载离线存档", "Load offline archive")
                   : online ? pick("导出在线存档", "Export online archive")
                            : pick("导出离线存档", "Export offline archive"));
    auto heading = [this](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setProperty("heading", true);
        return l;
    };
    QLabel* devHeading = heading(import ? pick("选择导入设备", "Choose devices to import")
                                        : pick("选择导出设备", "Choose devices to export"));
    auto* devListLabel = new QLabel(online   ? pick("在线设备列表", "Online devices")
                                    : import ? pick("存档设备列表", "Archive devices")
                                             : pick("离线设备列表", "Offline devices"),
                                    this);
    devListLabel->setObjectName(QStringLiteral("device_list_lab"));
    QLabel* paramHeading = heading(import   ? pick("选择导入参数", "Choose parameters to import")
                                   : online ? pick("选择导出设备参数", "Choose device parameters to export")
                                            : pick("选择导出参数", "Choose parameters to export"));
    m_confirm->setText(import ? pick("确认导入", "Confirm import") : pick("确认导出", "Confirm export"));
    m_confirm->setObjectName(QStringLiteral("export_bt"));
    m_close->setObjectName(QStringLiteral("cancelBt"));
    m_devices->setObjectName(QStringLiteral("device_listwidget"));
    m_params->setObjectName(QStringLiteral("parameter_listwidget"));
    m_allDevices->setObjectName(QStringLiteral("allDevices_cb"));
    m_allParams->setObjectName(QStringLiteral("allParams_cb"));
    m_status->setObjectName(QStringLiteral("status_lab"));
    m_status->setWordWrap(true);
    auto* notice =
        new QLabel(QStringLiteral("Archiving does not preserve mic gain/phantom power – configure manually."), this);
    notice->setObjectName(QStringLiteral("notice_lab"));
    notice->setWordWrap(true);
    notice->setStyleSheet(QStringLiteral("color:#e0b050;"));

    for (int i = 0; i < ArchiveCategories::Count; ++i) {
        auto* item = new QListWidgetItem(ArchiveCategories::displayName(ArchiveCategory(i), AppState::isChinese()));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setData(Qt::UserRole, i);
        m_params->addItem(item);
    }
    m_allParams->setChecked(true);
    // Every category in sight: a hidden one could stay chosen unnoticed.
    m_params->setMinimumHeight(m_params->sizeHintForRow(0) * ArchiveCategories::Count + 2 * m_params->frameWidth() +
                               UiScale::px(4));
    bindSelectAll(m_allDevices, m_devices);
    bindSelectAll(m_allParams, m_params);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(UiScale::px(16), UiScale::px(14), UiScale::px(16), UiScale::px(12));
    grid->setHorizontalSpacing(UiScale::px(16));
    grid->setVerticalSpacing(UiScale::px(6));
    grid->addWidget(devHeading, 0, 0);
    grid->addWidget(paramHeading, 0, 1);
    auto* devTop = new QHBoxLayout;
    devTop->addWidget(devListLabel, 1);
    devTop->addWidget(m_allDevices);
    grid->addLayout(devTop, 1, 0);
    grid->addWidget(m_allParams, 1, 1, Qt::AlignRight);
    grid->addWidget(m_devices, 2, 0);
    grid->addWidget(m_params, 2, 1);
    grid->addWidget(notice, 3, 0, 1, 2);
    grid->addWidget(m_progress, 4, 0, 1, 2);
    grid->addWidget(m_status, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_close);
    grid->addLayout(buttons, 6, 0, 1, 2);
    grid->setRowStretch(2, 3);
    grid->setRowStretch(4, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    m_progress->setVisible(!import);
    resize(qMax(UiScale::px(760), sizeHint().width()), qMax(UiScale::px(720), minimumSizeHint().height()));

    m_watch.setInterval(ExportSupervisor::DefaultIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &SelectParametersForm::superviseTick);
    connect(m_confirm, &QPushButton::clicked, this, &SelectParametersForm::confirm);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_progress, &ArchiveProgressPanel::signal_cancel, m_worker, &ArchiveWorker::cancel);
}

SelectParametersForm::~SelectParametersForm()
{
    // The worker uses the transport and reports to this window: it must end before either goes.
    m_worker->cancel();
    m_worker->wait();
}

void SelectParametersForm::setOnlineDevices(const QVector<OnlineDeviceFacts>& devices, ArchiveTransport* transport)
{
    m_online = devices;
    m_transport = transport;
    if (m_transport == nullptr) {
        m_ownTransport = std::make_unique<NetworkArchiveTransport>();
        m_transport = m_ownTransport.get();
    }
    QVector<QPair<QString, QString>> rows;
    for (const OnlineDeviceFacts& f : devices)
        rows.append(
            {f.devId, QStringLiteral("%1  (%2, %3)").arg(f.name, f.model, QHostAddress(quint32(f.ip)).toString())});
    fillDevices(rows);
}

void SelectParametersForm::setDesign(const OfflineData* source, OfflineData* target)
{
    m_source = source;
    m_target = target;
    QVector<QPair<QString, QString>> rows;
    if (source != nullptr)
        for (const OfflineDevice& d : source->devices())
            rows.append({d.devId(), QStringLiteral("%1  (%2)").arg(d.name(), d.model())});
    fillDevices(rows);
}

void SelectParametersForm::fillDevices(const QVector<QPair<QString, QString>>& idAndLabel)
{
    QSignalBlocker block(m_devices);
    m_devices->clear();
    for (const auto& row : idAndLabel) {
        auto* item = new QListWidgetItem(row.second);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, row.first);
        m_devices->addItem(item);
    }
    m_allDevices->setChecked(false);
}

void SelectParametersForm::choose(const QStringList& devIds, const ArchiveCategories& categories)
{
    for (int i = 0; i < m_devices->count(); ++i) {
        QListWidgetItem* item = m_devices->item(i);
        const bool on = devIds.isEmpty() || devIds.contains(item->data(Qt::UserRole).toString());
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    for (int i = 0; i < m_params->count(); ++i)
        m_params->item(i)->setCheckState(categories.has(ArchiveCategory(i)) ? Qt::Checked : Qt::Unchecked);
}

QStringList SelectParametersForm::chosenDevices() const
{
    return checkedIds(m_devices);
}

ArchiveCategories SelectParametersForm::chosenCategories() const
{
    ArchiveCategories out;
    for (int i = 0; i < m_params->count(); ++i)
        out.set(ArchiveCategory(i), m_params->item(i)->checkState() == Qt::Checked);
    return out;
}

QString SelectParametersForm::statusText() const
{
    return m_status->text();
}

bool SelectParametersForm::isBusy() const
{
    return m_busy;
}

void SelectParametersForm::setStatus(const QString& text)
{
    m_status->setText(text);
}

void SelectParametersForm::setBusy(bool busy)
{
    m_busy = busy;
    m_confirm->setEnabled(!busy);
    m_devices->setEnabled(!busy);
    m_params->setEnabled(!busy);
    m_allDevices->setEnabled(!busy);
    m_allParams->setEnabled(!busy);
    m_progress->setRunning(busy);
}

void SelectParametersForm::confirm()
{
    if (m_busy)
        return;
    const QStringList devIds = chosenDevices();
    const ArchiveCategories categories = chosenCategories();
    if (devIds.isEmpty()) {
        setStatus(pick("请至少选择一个设备", "Choose at least one device"));
        return;
    }
    if (categories.isEmpty()) {
        setStatus(pick("请至少选择一个参数", "Choose at least one parameter"));
        return;
    }
    if (m_mode == Mode::Import) {
        runImport(devIds, categories);
        return;
    }
    if (m_worker->isRunning()) {
        // A stalled export's worker is still waiting for its last reply; a second one would share the transport.
        setStatus(pick("上一次导出仍在结束中，请稍后再试", "The previous export is still ending; try again shortly"));
        return;
    }
    const QString path = FileDialogs::saveFileName(this, pick("保存文件", "Save file"), m_settings.lastCfgDirPath(),
                                                   QStringLiteral("*.odt;;*.*"));
    if (path.isEmpty())
        return;
    if (!m_settings.setLastCfgDirPath(QFileInfo(path).absolutePath()))
        qCWarning(lcArchiveUi) << "the archive folder could not be remembered";
    QString reason;
    if (!canCreate(path, &reason)) {
        setStatus(pick("文件创建失败", "File creation failed") + QStringLiteral(": ") + reason);
        return;
    }
    startExport(path, devIds, categories);
}

void SelectParametersForm::startExport(const QString& path, const QStringList& devIds,
                                       const ArchiveCategories& categories)
{
    setStatus(pick("导出中...", "Exporting..."));
    m_progress->clearLog();
    setBusy(true);
    const int run = ++m_run;
    const ArchiveExporter::Progress progress = [this, run](const QString& text, int done, int total) {
        ArchiveWorker::post(this, [this, run, text, done, total] {
            if (run == m_run)
                onProgress(text, done, total);
        });
    };
    const auto report = [this, run](const ArchiveExporter::Outcome& outcome) {
        ArchiveWorker::post(this, [this, run, outcome] {
            if (run == m_run)
                finishExport(outcome);
        });
    };
    if (m_mode == Mode::ExportOffline) {
        const OfflineData* source = m_source;
        m_worker->start([source, devIds, categories, path, progress, report](const std::atomic_bool&) {
            ArchiveExporter::Outcome out;
            if (source == nullptr)
                out.error = QStringLiteral("no design");
            else
                out = ArchiveExporter::exportOffline(*source, devIds, categories, path, progress);
            report(out);
        });
        return;
    }
    QVector<OnlineDeviceFacts> chosen;
    for (const QString& id : devIds)
        for (const OnlineDeviceFacts& f : m_online)
            if (f.devId == id)
                chosen.append(f);
    auto exporter = std::make_shared<ArchiveExporter>(*m_transport);
    m_exporter = exporter;
    m_supervisor.reset();
    m_watch.start();
    const QString version = QCoreApplication::applicationVersion();
    m_worker->start([exporter, chosen, categories, path, version, progress, report](const std::atomic_bool& cancel) {
        report(exporter->exportOnline(chosen, categories, path, version, &cancel, progress));
    });
}

void SelectParametersForm::onProgress(const QString& text, int done, int total)
{
    m_progress->setProgress(text, done, total);
    m_progress->appendLog(text);
}

void SelectParametersForm::superviseTick()
{
    if (!m_busy || !m_exporter)
        return;
    if (!m_supervisor.tick(m_exporter->progressCount()))
        return;
    m_watch.stop();
    m_worker->cancel();
    ++m_run; // whatever the stalled worker still reports is dropped
    const QString text = ExportSupervisor::stalledText();
    qCWarning(lcArchiveUi).noquote() << text << '\n' << m_supervisor.stateLine();
    m_progress->appendLog(text);
    m_progress->appendLog(m_supervisor.stateLine());
    m_exporter.reset();
    setBusy(false);
    setStatus(text);
    emit signal_finished(false, text);
}

void SelectParametersForm::finishExport(const ArchiveExporter::Outcome& outcome)
{
    m_watch.stop();
    m_exporter.reset();
    setBusy(false);
    QString text;
    if (outcome.ok) {
        text = pick("导出成功", "Export succeeded");
        if (outcome.failedSteps > 0)
            m_progress->appendLog(pick("失败的步骤: %1", "Failed steps: %1").arg(outcome.failedSteps));
    } else if (outcome.cancelled) {
        text = pick("导出已取消，未写入文件", "Export cancelled; nothing was written");
    } else {
        text = pick("导出失败", "Export failed") + QStringLiteral(": ") + outcome.error;
    }
    m_progress->appendLog(text);
    setStatus(text);
    emit signal_finished(outcome.ok, text);
}

void SelectParametersForm::runImport(const QStringList& devIds, const ArchiveCategories& categories)
{
    if (m_source == nullptr || m_target == nullptr)
        return;
    QString error;
    // Reading the archive handles pending events; a second click must not import twice meanwhile.
    setBusy(true);
    setEnabled(false);
    m_imported = ArchiveImport::addToDesign(*m_source, devIds, categories, *m_target, &error);
    setEnabled(true);
    setBusy(false);
    const bool ok = error.isEmpty();
    const QString text =
        ok ? pick("导入成功", "Import succeeded") : pick("导入失败", "Import failed") + QStringLiteral(": ") + error;
    setStatus(text);
    emit signal_finished(ok, text);
    if (ok)
        accept();
}

void SelectParametersForm::reject()
{
    m_worker->cancel();
    QDialog::reject();
}

void SelectParametersForm::waitForWorker()
{
    m_worker->wait();
}
