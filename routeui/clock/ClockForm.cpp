#include "ClockForm.h"

#include "AppState.h"
#include "BandwidthFigures.h"
#include "ClockTexts.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DialogChangePriority.h"
#include "FormClockTitle.h"
#include "ModelTable.h"
#include "OfflineClockRows.h"
#include "OfflineData.h"
#include "ReplyDecoders.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

qint64 monotonicMs()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

} // namespace

ClockForm::ClockForm(QWidget* parent)
    : QWidget(parent), m_store(DevDetailStore::instance()), m_models(ModelTable::instance())
{
    init();
}

ClockForm::ClockForm(DevDetailStore& store, const ModelTable& models, QWidget* parent)
    : QWidget(parent), m_store(store), m_models(models)
{
    init();
}

void ClockForm::init()
{
    setObjectName(QStringLiteral("ClockForm"));
    m_chinese = AppState::isChinese();
    m_now = monotonicMs;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_title = new FormClockTitle(this);
    layout->addWidget(m_title);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("clock_list"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Every row has the same height: the list need not ask each row widget when it lays out.
    m_list->setUniformItemSizes(true);
    m_list->setStyleSheet(QStringLiteral("QListWidget{background:#1e242c;border:none;}"
                                         "QListWidget::item{border-bottom:1px solid #2c3540;}"
                                         "QLabel{color:#d8dee6;font-size:%1px;}")
                              .arg(ClockItemForm::fontPixels()));
    layout->addWidget(m_list, 1);
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(kRefreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &ClockForm::refresh);
    setDesign(&OfflineData::instance());
}

void ClockForm::setDesign(OfflineData* design)
{
    disconnect(m_designConnection);
    m_design = design;
    // Edits of the design (priorities here, devices and routes elsewhere) show within one refresh delay.
    if (m_design)
        m_designConnection = connect(m_design, &OfflineData::changed, this, [this] {
            if (AppState::isOffline())
                scheduleRefresh();
        });
}

void ClockForm::setClock(std::function<qint64()> nowMs)
{
    m_now = nowMs ? std::move(nowMs) : std::function<qint64()>(monotonicMs);
}

ClockItemForm* ClockForm::row(int index) const
{
    QListWidgetItem* item = m_list->item(index);
    return item ? qobject_cast<ClockItemForm*>(m_list->itemWidget(item)) : nullptr;
}

ClockItemForm* ClockForm::rowOf(const QString& devId) const
{
    const int index = devId.isEmpty() ? -1 : m_rowDevIds.indexOf(devId);
    return index < 0 ? nullptr : row(index);
}

int ClockForm::rowCount() const
{
    return m_list->count();
}

bool ClockForm::isRowHidden(int index) const
{
    QListWidgetItem* item = m_list->item(index);
    return item == nullptr || item->isHidden();
}

bool ClockForm::refreshPending() const
{
    return m_refreshTimer->isActive();
}

void ClockForm::scheduleRefresh()
{
    if (!m_refreshTimer->isActive())
        m_refreshTimer->start();
}

bool ClockForm::versionDue(const QString& devId, qint64 now)
{
    auto it = m_lastVersionAsk.find(devId);
    // A clock that went backwards says nothing about the last request: ask again.
    if (it != m_lastVersionAsk.end() && now >= *it && now - *it < kVersionIntervalMs)
        return false;
    m_lastVersionAsk.insert(devId, now);
    return true;
}

void ClockForm::resizeList(int n)
{
    while (m_list->count() > n) {
        QListWidgetItem* item = m_list->item(m_list->count() - 1);
        m_list->removeItemWidget(item);
        delete item;
    }
    m_builtRows = std::min(m_builtRows, n);
    // New items in one insertion (the view re-places every row widget at each insertion); the row widgets,
    // a few milliseconds each, come over several turns so a long list never holds the window for long.
    if (m_list->count() < n) {
        const int from = m_list->count();
        m_list->insertItems(from, QVector<QString>(n - from).toList());
        for (int index = from; index < n; ++index)
            m_list->item(index)->setSizeHint(QSize(0, UiScale::px(32)));
    }
}

void ClockForm::refreshOffline()
{
    m_offlineRows = m_design ? OfflineClockRows::rows(*m_design, m_models) : QVector<ClockItemForm::Fields>();
    const int n = m_offlineRows.size();
    resizeList(n);
    attachRows(n);
    m_rowDevIds = QStringList();
    for (int i = 0; i < n; ++i) {
        m_rowDevIds.append(m_offlineRows.at(i).devId);
        if (m_list->item(i)->isHidden())
            m_list->item(i)->setHidden(false);
        if (ClockItemForm* r = row(i))
            r->setFields(m_offlineRows.at(i));
    }
}

void ClockForm::refresh()
{
    m_refreshTimer->stop();
    if (AppState::isOffline()) {
        refreshOffline();
        return;
    }
    m_offlineRows.clear();
    const QVector<DevDetail_t> devs = m_store.devDetails();
    const int n = devs.size();
    resizeList(n);
    attachRows(n);
    m_rowDevIds = QStringList();
    m_rowDevIds.reserve(n);

    const qint64 now = m_now();
    for (int i = 0; i < n; ++i) {
        const DevDetail_t& d = devs.at(i);
        QListWidgetItem* item = m_list->item(i);
        if (!fillRow(i, d)) {
            m_rowDevIds.append(QString());
            if (!item->isHidden())
                item->setHidden(true);
            continue;
        }
        m_rowDevIds.append(d.devId);
        if (item->isHidden())
            item->setHidden(false);
        if (versionDue(d.devId, now))
            emit changeData(compact(QJsonObject{{"ops", "getVersion"}, {"devId", d.devId}}));
    }

    // Warnings of devices no longer listed go with them.
    if (!m_deviceTips.isEmpty()) {
        const QSet<QString> listed(m_rowDevIds.cbegin(), m_rowDevIds.cend());
        for (auto it = m_deviceTips.begin(); it != m_deviceTips.end();)
            it = listed.contains(it.key()) ? std::next(it) : m_deviceTips.erase(it);
    }
    // Forget request times of devices no longer listed, so the table stays as small as the list.
    if (m_lastVersionAsk.size() > 2 * n + 64) {
        const QSet<QString> listed(m_rowDevIds.cbegin(), m_rowDevIds.cend());
        for (auto it = m_lastVersionAsk.begin(); it != m_lastVersionAsk.end();)
            it = listed.contains(it.key()) ? std::next(it) : m_lastVersionAsk.erase(it);
    }
}

void ClockForm::attachRows(int n)
{
    for (const int wanted = std::min(n, m_builtRows + kRowsPerStep); m_builtRows < wanted; ++m_builtRows) {
        auto* rowForm = new ClockItemForm(m_builtRows);
        m_list->setItemWidget(m_list->item(m_builtRows), rowForm);
        connect(rowForm, &ClockItemForm::signal_changePriority, this, &ClockForm::openPriorityDialog);
    }
    if (m_builtRows < n && !m_moreRowsQueued) {
        m_moreRowsQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_moreRowsQueued = false;
            buildMoreRows();
        });
    }
}

void ClockForm::buildMoreRows()
{
    const int n = std::min(m_list->count(), int(m_rowDevIds.size()));
    const int from = m_builtRows;
    attachRows(n);
    for (int i = from; i < m_builtRows; ++i) {
        if (AppState::isOffline()) {
            if (i < m_offlineRows.size())
                row(i)->setFields(m_offlineRows.at(i));
            continue;
        }
        const QString& devId = m_rowDevIds.at(i);
        if (!devId.isEmpty())
            fillRow(i, m_store.getDevDetail(devId, "ClockForm::buildMoreRows", __LINE__));
    }
}

bool ClockForm::fillRow(int index, const DevDetail_t& d)
{
    const DevRecord* rec = findDevById(d.devId.toUtf8().constData());
    DevHeader h;
    if (d.isEmpty() || !dvm_copyDevHeader(rec, &h))
        return false;
    ClockItemForm* r = row(index);
    if (r == nullptr)
        return true; // its widget comes in a later turn, filled then
    const QString model =
        d.model.isEmpty() ? QString::fromUtf8(h.model, int(qstrnlen(h.model, sizeof h.model))) : d.model;
    const ClockTexts::Status st =
        ClockTexts::status(QString::fromUtf8(h.myClkId, int(qstrnlen(h.myClkId, sizeof h.myClkId))),
                           QString::fromUtf8(h.gmClkId, int(qstrnlen(h.gmClkId, sizeof h.gmClkId))), rec->ptpState,
                           m_models.isVirtualSoundCard(model));
    const bool canEdit = m_models.supportsPriority(model);
    ClockItemForm::Fields f;
    f.type = m_models.deviceTypeText(model);
    if (f.type.isEmpty())
        f.type = d.type.isEmpty() ? model : d.type;
    f.devId = d.devId;
    f.role = ClockTexts::roleText(st, d.ptpDomain, m_chinese);
    f.sync = ClockTexts::syncText(st, m_chinese);
    f.ppm = QString::number(rec->ppm);
    f.priority = ClockTexts::priorityText(d.ptpPriority, canEdit);
    f.canEdit = canEdit;
    f.name = QString::fromUtf8(h.name, int(qstrnlen(h.name, sizeof h.name)));
    f.ip = dvm_ipToString(h.ip);
    f.bandwidth = BandwidthFigures::fromRecord(rec).text();
    r->setFields(f);
    applyDeviceTip(r, d.devId);
    return true;
}

void ClockForm::slot_deviceTips(QString devId, int type, bool isShow, QString msg)
{
    Q_UNUSED(type);
    // Only listed devices keep a warning, so the table cannot grow past the list.
    if (isShow && !msg.isEmpty() && m_store.containsDevId(devId))
        m_deviceTips.insert(devId, msg);
    else
        m_deviceTips.remove(devId);
    if (ClockItemForm* r = rowOf(devId))
        applyDeviceTip(r, devId);
}

void ClockForm::applyDeviceTip(ClockItemForm* r, const QString& devId)
{
    const QString tip = m_deviceTips.value(devId);
    if (r->toolTip() == tip)
        return;
    r->setToolTip(tip);
    r->cell(ClockItemForm::NameColumn)->setStyleSheet(tip.isEmpty() ? QString() : QStringLiteral("color:#ff4040;"));
}

void ClockForm::openPriorityDialog(int rowIndex)
{
    const QString devId = m_rowDevIds.value(rowIndex);
    if (devId.isEmpty())
        return;
    int priority = 0;
    if (AppState::isOffline()) {
        const std::optional<OfflineDevice> dev = m_design ? m_design->device(devId) : std::nullopt;
        if (!dev)
            return;
        priority = dev->detail().ptpPriority;
    } else {
        const DevDetail_t d = m_store.getDevDetail(devId);
        if (d.isEmpty())
            return;
        priority = d.ptpPriority;
    }
    emit signal_openPriorityDialog(devId);
    auto* dialog = new DialogChangePriority(priority, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &DialogChangePriority::changeData, this,
            [this, devId](int priority) { setPriority(devId, QString::number(priority)); });
    dialog->open();
}

void ClockForm::setPriority(const QString& devId, const QString& value)
{
    if (devId.isEmpty())
        return;
    if (AppState::isOffline()) {
        // Only a number is a priority: anything else would set 0 without the user asking for it.
        bool ok = false;
        const int priority = value.trimmed().toInt(&ok);
        if (ok && m_design)
            m_design->updateDevice(devId, [priority](OfflineDevice& d) { d.detail().ptpPriority = priority; });
        refresh();
        return;
    }
    emit changeData(compact(QJsonObject{{"ops", "setPtpPriority"}, {"val", value}, {"devId", devId}}));
}

void ClockForm::recvChangeData(QString message)
{
    // Replies to the matrix's and the signal processor's own requests, and untracked ones, are not ours.
    if (message.contains(QLatin1String("superMatrixUiTag")) || message.contains(QLatin1String("dspUiTag")) ||
        message.contains(QLatin1String("\"cookie\":\"0\"")))
        return;
    // Every reply of every device passes here (level polls among them): parse only the three kinds we follow.
    if (!message.contains(QLatin1String("clockEvent")) && !message.contains(QLatin1String("setPtpPriority")) &&
        !message.contains(QLatin1String("getVersion")))
        return;
    const QJsonDocument doc = QJsonDocument::fromJson(message.toUtf8());
    if (!doc.isObject())
        return;
    const QJsonObject obj = doc.object();
    if (ReplyFields::text(obj, "cookie") == QLatin1String("0"))
        return;
    const QString ops = ReplyFields::text(obj, "ops");
    const QString devId = ReplyFields::text(obj, "devId");

    if (ops == QLatin1String("clockEvent")) {
        scheduleRefresh();
    } else if (ops == QLatin1String("setPtpPriority")) {
        if (ReplyFields::text(obj, "result") == QLatin1String("fail")) {
            const QString text = tr("修改失败");
            emit signal_information(text);
            if (m_showDialogs && m_failBox.isNull()) {
                m_failBox = new QMessageBox(QMessageBox::Information, tr("提示"), text, QMessageBox::Ok, this);
                m_failBox->setObjectName(QStringLiteral("priority_failed"));
                m_failBox->setAttribute(Qt::WA_DeleteOnClose);
                m_failBox->open();
            }
            return;
        }
        // An unreadable value would show as priority 0: keep the old one instead.
        bool ok = false;
        const int value = ReplyFields::text(obj, "val").trimmed().toInt(&ok);
        if (!ok || devId.isEmpty())
            return;
        if (m_store.updateDevDetail(devId, [value](DevDetail_t& d) { d.ptpPriority = value; }))
            scheduleRefresh();
    } else if (ops == QLatin1String("getVersion")) {
        if (devId.isEmpty())
            return;
        DevHeader h;
        const int rate = dvm_copyDevHeader(findDevById(devId.toUtf8().constData()), &h) ? h.sampleRate : 0;
        if (m_store.updateDevDetail(devId, [&](DevDetail_t& d) { ReplyDecoders::applyVersion(obj, rate, d); }))
            scheduleRefresh();
    }
}
