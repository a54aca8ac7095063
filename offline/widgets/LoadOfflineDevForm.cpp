#include "LoadOfflineDevForm.h"

#include "AppState.h"
#include "ArchivePreviewView.h"
#include "ArchiveProgressPanel.h"
#include "ArchiveUiLog.h"
#include "ArchiveWorker.h"
#include "NetworkArchiveTransport.h"
#include "OnlineDevForm.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QSet>

namespace {

QString pick(const char* zh, const char* en)
{
    return AppState::pick(QString::fromUtf8(zh), QString::fromUtf8(en));
}

} // namespace

LoadOfflineDevForm::LoadOfflineDevForm(std::vector<OfflineDevice> archive, QWidget* parent)
    : QDialog(parent), m_archive(std::move(archive)), m_rowLayout(new QVBoxLayout), m_params(new QListWidget(this)),
      m_allParams(new QCheckBox(pick("全选", "Select all"), this)), m_status(new QLabel(this)),
      m_refresh(new StyledButton(pick("刷新", "Refresh"), StyledButton::Action, this)),
      m_previewButton(new StyledButton(pick("预览变化", "Preview changes"), StyledButton::Action, this)),
      m_load(new StyledButton(pick("确认加载", "Confirm load"), StyledButton::Action, this)),
      m_close(new StyledButton(pick("取消", "Cancel"), StyledButton::Action, this)),
      m_preview(new ArchivePreviewView(this)), m_progress(new ArchiveProgressPanel(this)),
      m_worker(new ArchiveWorker(this))
{
    setObjectName(QStringLiteral("loadOfflineDevForm"));
    setWindowTitle(pick("加载离线存档", "Load offline archive"));
    setStyleSheet(QStringLiteral("QDialog#loadOfflineDevForm{background:#1e242c;}"
                                 "QLabel,QCheckBox{color:#d8dee6;font-size:%1px;}"
                                 "QListWidget,QPlainTextEdit,QComboBox{font-size:%1px;}"
                                 "QLabel[heading=\"true\"]{font-weight:bold;}"
                                 "QWidget#rows_host{background:#262d36;}")
                      .arg(UiScale::fontPx(13)));
    m_refresh->setObjectName(QStringLiteral("refresh_bt"));
    m_previewButton->setObjectName(QStringLiteral("preview_bt"));
    m_load->setObjectName(QStringLiteral("loadBt"));
    m_close->setObjectName(QStringLiteral("cancelBt"));
    m_params->setObjectName(QStringLiteral("parameter_listwidget"));
    m_allParams->setObjectName(QStringLiteral("allParams_cb"));
    m_status->setObjectName(QStringLiteral("status_lab"));
    m_status->setWordWrap(true);

    auto heading = [this](const QString& text, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setProperty("heading", true);
        return l;
    };
    auto* archiveHeading = heading(pick("离线存档设备", "Archive devices"), "archive_dev_lab");
    auto* onlineHeading = heading(pick("在线设备", "Online devices"), "online_dev_lab");
    auto* paramHeading = heading(pick("选择导入设备参数", "Choose device parameters to load"), "parameter_lab");
    auto* notice =
        new QLabel(QStringLiteral("Archiving does not preserve mic gain/phantom power – configure manually."), this);
    notice->setObjectName(QStringLiteral("notice_lab"));
    notice->setWordWrap(true);
    notice->setStyleSheet(QStringLiteral("color:#e0b050;"));

    for (const OfflineDevice& d : m_archive) {
        auto* row = new OnlineDevForm(d, this);
        m_rows.append(row);
        m_rowLayout->addWidget(row);
        connect(row, &OnlineDevForm::signal_changed, m_preview, &ArchivePreviewView::clear);
    }
    m_rowLayout->addStretch(1);
    auto* rowsHost = new QWidget;
    rowsHost->setObjectName(QStringLiteral("rows_host"));
    rowsHost->setAttribute(Qt::WA_StyledBackground);
    rowsHost->setLayout(m_rowLayout);
    m_rowLayout->setContentsMargins(UiScale::px(6), UiScale::px(4), UiScale::px(6), UiScale::px(4));
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("rows_area"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(rowsHost);
    scroll->setMinimumHeight(UiScale::px(90));

    for (int i = 0; i < ArchiveCategories::Count; ++i) {
        auto* item = new QListWidgetItem(ArchiveCategories::displayName(ArchiveCategory(i), AppState::isChinese()));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        m_params->addItem(item);
    }
    m_allParams->setChecked(true);
    // Every category in sight: a hidden one could stay chosen unnoticed.
    m_params->setMinimumHeight(m_params->sizeHintForRow(0) * ArchiveCategories::Count + 2 * m_params->frameWidth() +
                               UiScale::px(4));
    connect(m_allParams, &QCheckBox::clicked, this,
            [this](bool on) { setCategories(on ? ArchiveCategories::all() : ArchiveCategories::none()); });
    connect(m_params, &QListWidget::itemChanged, this, [this] {
        m_allParams->setChecked(chosenCategories().isAll());
        m_preview->clear();
    });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(UiScale::px(16), UiScale::px(14), UiScale::px(16), UiScale::px(12));
    grid->setHorizontalSpacing(UiScale::px(16));
    grid->setVerticalSpacing(UiScale::px(6));
    auto* headings = new QHBoxLayout;
    headings->addWidget(archiveHeading, 1);
    headings->addWidget(onlineHeading, 1);
    headings->addWidget(m_refresh);
    grid->addLayout(headings, 0, 0);
    // The heading above its "select all": side by side, a long translation ran into the box.
    auto* paramTop = new QVBoxLayout;
    paramTop->setSpacing(UiScale::px(2));
    paramTop->addWidget(paramHeading);
    paramTop->addWidget(m_allParams, 0, Qt::AlignRight);
    grid->addLayout(paramTop, 0, 1);
    grid->addWidget(scroll, 1, 0);
    grid->addWidget(m_params, 1, 1, 2, 1);
    grid->addWidget(m_preview, 2, 0);
    grid->addWidget(notice, 3, 0, 1, 2);
    grid->addWidget(m_progress, 4, 0, 1, 2);
    grid->addWidget(m_status, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_previewButton);
    buttons->addWidget(m_load);
    buttons->addWidget(m_close);
    grid->addLayout(buttons, 6, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(2, 3);
    grid->setRowStretch(4, 1);
    resize(qMax(UiScale::px(900), sizeHint().width()), qMax(UiScale::px(760), minimumSizeHint().height()));

    connect(m_refresh, &QPushButton::clicked, this, &LoadOfflineDevForm::refresh);
    connect(m_previewButton, &QPushButton::clicked, this, &LoadOfflineDevForm::preview);
    connect(m_load, &QPushButton::clicked, this, &LoadOfflineDevForm::load);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_progress, &ArchiveProgressPanel::signal_cancel, m_worker, &ArchiveWorker::cancel);
}

LoadOfflineDevForm::~LoadOfflineDevForm()
{
    // The worker uses the transport, the archive and this window: it ends first.
    m_worker->cancel();
    m_worker->wait();
}

void LoadOfflineDevForm::setOnlineSource(OnlineSource source, ArchiveTransport* transport)
{
    m_source = std::move(source);
    m_transport = transport;
    if (m_transport == nullptr) {
        m_ownTransport = std::make_unique<NetworkArchiveTransport>();
        m_transport = m_ownTransport.get();
    }
    refresh();
    setStatus(QString());
}

void LoadOfflineDevForm::refresh()
{
    if (m_busy)
        return;
    m_online = m_source ? m_source() : QVector<OnlineDeviceFacts>();
    QStringList lines;
    const QVector<ArchiveAssignment::Pair> automatic = ArchiveAssignment::automatic(m_archive, m_online, &lines);
    for (const QString& line : lines) {
        qCInfo(lcArchiveUi).noquote() << line;
        m_progress->appendLog(line);
    }
    for (int i = 0; i < m_rows.size() && i < int(m_archive.size()); ++i) {
        m_rows[i]->setCandidates(m_archive[size_t(i)], m_online);
        m_rows[i]->setAssigned(i < automatic.size() ? automatic[i].onlineDevId : QString());
    }
    m_preview->clear();
    setStatus(pick("刷新成功", "Refreshed"));
}

QVector<ArchiveAssignment::Pair> LoadOfflineDevForm::pairs() const
{
    QVector<ArchiveAssignment::Pair> out;
    for (const OnlineDevForm* row : m_rows)
        out.append({row->archiveDevId(), row->assigned()});
    return out;
}

ArchiveCategories LoadOfflineDevForm::chosenCategories() const
{
    ArchiveCategories out;
    for (int i = 0; i < m_params->count(); ++i)
        out.set(ArchiveCategory(i), m_params->item(i)->checkState() == Qt::Checked);
    return out;
}

void LoadOfflineDevForm::setCategories(const ArchiveCategories& categories)
{
    QSignalBlocker block(m_params);
    for (int i = 0; i < m_params->count(); ++i)
        m_params->item(i)->setCheckState(categories.has(ArchiveCategory(i)) ? Qt::Checked : Qt::Unchecked);
    m_allParams->setChecked(categories.isAll());
    m_preview->clear();
}

QString LoadOfflineDevForm::statusText() const
{
    return m_status->text();
}

void LoadOfflineDevForm::setStatus(const QString& text)
{
    m_status->setText(text);
}

void LoadOfflineDevForm::setBusy(bool busy)
{
    m_busy = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{m_refresh, m_previewButton, m_load, m_params, m_allParams})
        w->setEnabled(!busy);
    for (OnlineDevForm* row : m_rows)
        row->setEnabled(!busy);
    m_progress->setRunning(busy);
}

bool LoadOfflineDevForm::validate(QVector<ArchiveAssignment::Pair>* pairs, ArchiveCategories* categories)
{
    *pairs = this->pairs();
    *categories = chosenCategories();
    QSet<QString> taken;
    bool any = false;
    for (const ArchiveAssignment::Pair& p : *pairs) {
        if (p.onlineDevId.isEmpty())
            continue;
        any = true;
        if (taken.contains(p.onlineDevId)) {
            // Two archive devices onto one device would overwrite each other step by step.
            setStatus(pick("同一在线设备只能加载一个存档设备", "An online device can take only one archive device"));
            return false;
        }
        taken.insert(p.onlineDevId);
    }
    if (!any) {
        setStatus(pick("请选择要加载的设备", "Choose the devices to load"));
        return false;
    }
    if (categories->isEmpty()) {
        setStatus(pick("请至少选择一个参数", "Choose at least one parameter"));
        return false;
    }
    return true;
}

void LoadOfflineDevForm::preview()
{
    QVector<ArchiveAssignment::Pair> chosen;
    ArchiveCategories categories;
    if (m_busy || m_worker->isRunning() || !validate(&chosen, &categories))
        return;
    setBusy(true);
    setStatus(pick("读取设备中...", "Reading devices..."));
    m_preview->showMessage(pick("读取设备中...", "Reading devices..."));
    ArchiveTransport* transport = m_transport;
    const std::vector<OfflineDevice> archive = m_archive;
    const QVector<OnlineDeviceFacts> online = m_online;
    m_worker->start([this, transport, archive, online, chosen, categories](const std::atomic_bool& cancel) {
        const auto progress = [this](const QString& text, int done, int total) {
            ArchiveWorker::post(this, [this, text, done, total] { m_progress->setProgress(text, done, total); });
        };
        QVector<ArchiveLoadPreview::Entry> entries =
            ArchiveLoadPreview::prepare(archive, online, chosen, categories, *transport, &cancel, progress);
        ArchiveWorker::post(this, [this, entries] { showPreview(entries); });
    });
}

void LoadOfflineDevForm::showPreview(const QVector<ArchiveLoadPreview::Entry>& entries)
{
    setBusy(false);
    m_preview->showEntries(entries);
    setStatus(QString());
    emit signal_previewShown();
}

void LoadOfflineDevForm::load()
{
    QVector<ArchiveAssignment::Pair> chosen;
    ArchiveCategories categories;
    if (m_busy || m_worker->isRunning() || !validate(&chosen, &categories))
        return;
    setBusy(true);
    setStatus(pick("加载中...", "Loading..."));
    m_progress->clearLog();
    ArchiveTransport* transport = m_transport;
    const std::vector<OfflineDevice> archive = m_archive;
    const QVector<OnlineDeviceFacts> online = m_online;
    m_worker->start([this, transport, archive, online, chosen, categories](const std::atomic_bool& cancel) {
        const auto progress = [this](const QString& text, int done, int total) {
            ArchiveWorker::post(this, [this, text, done, total] { m_progress->setProgress(text, done, total); });
        };
        // The devices are read again right before the load, so only what differs now is sent.
        const QVector<ArchiveLoadPreview::Entry> entries =
            ArchiveLoadPreview::prepare(archive, online, chosen, categories, *transport, &cancel, progress);
        ArchiveLoader loader(*transport);
        const ArchiveLoader::Outcome outcome =
            loader.run(ArchiveLoadPreview::plans(entries), &cancel, [this](const QString& line, int done, int total) {
                ArchiveWorker::post(this, [this, line, done, total] { log(line, done, total); });
            });
        ArchiveWorker::post(this, [this, outcome] { finishLoad(outcome); });
    });
}

void LoadOfflineDevForm::log(const QString& line, int done, int total)
{
    qCInfo(lcArchiveUi).noquote() << line;
    m_progress->appendLog(line);
    m_progress->setProgress(line, done, total);
}

void LoadOfflineDevForm::finishLoad(const ArchiveLoader::Outcome& outcome)
{
    setBusy(false);
    const int failed = outcome.count(ArchiveLoader::Status::Refused) + outcome.count(ArchiveLoader::Status::NoAnswer);
    QString text;
    if (outcome.cancelled)
        text = pick("加载已取消：已发送%1步，未发送%2步", "Load cancelled: %1 steps sent, %2 not sent")
                   .arg(outcome.results.size() - outcome.count(ArchiveLoader::Status::NotSent))
                   .arg(outcome.count(ArchiveLoader::Status::NotSent));
    else if (failed == 0)
        text = pick("加载成功", "Load succeeded");
    else
        text = pick("加载完成，%1步失败", "Load finished; %1 steps failed").arg(failed);
    setStatus(text);
    emit signal_loadFinished(outcome.exitCode());
}

void LoadOfflineDevForm::reject()
{
    m_worker->cancel();
    QDialog::reject();
}

void LoadOfflineDevForm::waitForWorker()
{
    m_worker->wait();
}
