#include "NetStateForm.h"

#include "AppConfig.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "ModelTable.h"
#include "NetStateItemForm.h"
#include "UiScale.h"
#include "UserSettings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The stored language choice counts only where the configuration offers switching.
bool configuredChinese()
{
    const QString dir = QCoreApplication::applicationDirPath();
    const bool stored = UserSettings::forApplication(dir).isChinese();
    return AppConfig::fromFile(dir + QStringLiteral("/appConfig.txt")).effectiveChinese(stored);
}

QString millisecondsText(double ms)
{
    return QString::number(ms, 'g', 6) + QStringLiteral(" ms");
}

// Abnormal temperatures and silent devices show in red; a too-warm device is a caution in yellow.
int globalTipType(DeviceHealthTracker::Warning w)
{
    return w == DeviceHealthTracker::TemperatureHigh ? 0 : 1;
}

} // namespace

NetStateForm::NetStateForm(QWidget* parent) : NetStateForm(DevDetailStore::instance(), ModelTable::instance(), parent)
{
    m_tracker.setChinese(configuredChinese());
}

NetStateForm::NetStateForm(DevDetailStore& store, const ModelTable& models, QWidget* parent)
    : QWidget(parent), m_store(store), m_models(models)
{
    setObjectName(QStringLiteral("NetStateForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listWidget"));
    // Always shown, so the rows are always as wide as the title bar expects (it keeps the same room free).
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    setStyleSheet(QStringLiteral("QListWidget{background:#1e242c;border:none;outline:none;}"
                                 "QListWidget::item{border-bottom:1px solid #262e38;}"
                                 "QListWidget::item:selected{background:#0a5a8a;}"
                                 "QLabel{color:#d8dee6;background:transparent;font-size:%1px;}"
                                 "QLabel[warning=\"true\"]{color:#ff4040;}")
                      .arg(NetStateItemForm::fontPixels()));
    // On the scroll bar itself: inside the main window the page's rules do not reach it.
    m_list->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical{background:#1a1f26;width:%1px;margin:0px;}"
                       "QScrollBar::handle:vertical{background:#3a4552;min-height:%2px;}"
                       "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
                       "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}")
            .arg(UiScale::px(10))
            .arg(UiScale::px(20)));
    layout->addWidget(m_list);
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &NetStateForm::on_listWidget_itemDoubleClicked);
}

void NetStateForm::setChinese(bool chinese)
{
    m_tracker.setChinese(chinese);
    for (const QString& devId : qAsConst(m_order))
        applyToRow(devId);
    reportWarnings(QStringList());
}

NetStateItemForm* NetStateForm::rowWidget(const QString& devId) const
{
    return m_rows.value(devId, nullptr);
}

void NetStateForm::refresh()
{
    const QVector<DevDetail_t> devs = m_store.devDetails();
    QSet<QString> listed;
    listed.reserve(devs.size());
    for (const DevDetail_t& d : devs)
        listed.insert(d.devId);

    // Devices that left without a removal notice must not keep a warning alive.
    QStringList changed;
    for (const QString& devId : m_tracker.devIds()) {
        if (!listed.contains(devId)) {
            if (m_tracker.health(devId).warning != DeviceHealthTracker::NoWarning)
                changed.append(devId);
            m_tracker.remove(devId);
        }
    }

    for (const DevDetail_t& d : devs) {
        if (m_tracker.countPoll(d.devId, d.name))
            changed.append(d.devId);
    }
    rebuildRows(devs);
    reportWarnings(changed);

    for (const DevDetail_t& d : devs) {
        QJsonObject request;
        request.insert(QStringLiteral("ops"), QStringLiteral("getDebugInfo"));
        request.insert(QStringLiteral("devId"), d.devId);
        emit sendChangedata(QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
    }

    if (!m_probeOnRefresh || m_probing)
        return;
    const bool anyWithUnit = std::any_of(devs.cbegin(), devs.cend(), [this](const DevDetail_t& d) {
        for (const ModelTable::SecondaryUnitFamily& f : m_models.secondaryUnitFamilies()) {
            if (d.devId.startsWith(f.devIdPrefix))
                return true;
        }
        return false;
    });
    if (anyWithUnit)
        updateAllVerantoDev();
}

int NetStateForm::updateAllVerantoDev()
{
    // The wait runs events: a refresh arriving meanwhile must not start a second probe.
    if (m_probing)
        return 0;
    m_probing = true;
    // The page may be closed while the wait runs events.
    const QPointer<NetStateForm> self(this);
    const int recorded = SecondaryUnitScan::run(m_probeConfig, m_models, m_store);
    if (self)
        m_probing = false;
    return recorded;
}

void NetStateForm::handleMessage(QString msg)
{
    const DebugInfoReply reply = DebugInfoReply::parse(msg);
    if (!reply.valid)
        return;
    const DevDetail_t detail = m_store.getDevDetail(reply.devId);
    // Replies of devices no longer listed would bring their warnings back.
    if (detail.isEmpty())
        return;
    QStringList changed;
    if (m_tracker.takeReply(reply, detail.name))
        changed.append(reply.devId);
    applyToRow(reply.devId);
    reportWarnings(changed);
}

void NetStateForm::on_listWidget_itemDoubleClicked(QListWidgetItem* item)
{
    if (item == nullptr)
        return;
    const QString devId = item->data(Qt::UserRole).toString();
    if (!devId.isEmpty())
        emit signal_showDevWindow(devId);
}

void NetStateForm::recvSortIndex(int index)
{
    m_sortIndex = (index >= 0 && index <= 2) ? index : 0;
    // Only the order changes: re-sorting is no poll, so it must not count as an unanswered one.
    rebuildRows(m_store.devDetails());
}

void NetStateForm::slot_removeDevId(QString devId)
{
    const bool hadWarning = m_tracker.health(devId).warning != DeviceHealthTracker::NoWarning;
    m_tracker.remove(devId);
    if (m_order.contains(devId)) {
        m_order.removeAll(devId);
        rebuildRows(m_store.devDetails());
    }
    reportWarnings(hadWarning ? QStringList{devId} : QStringList());
}

void NetStateForm::rebuildRows(const QVector<DevDetail_t>& devs)
{
    QStringList storeOrder;
    storeOrder.reserve(devs.size());
    for (const DevDetail_t& d : devs)
        storeOrder.append(d.devId);

    QStringList order;
    if (m_sortIndex == 0) {
        order = storeOrder;
    } else {
        // Ties keep the order shown before; newcomers join in store order.
        const QSet<QString> inStore(storeOrder.cbegin(), storeOrder.cend());
        QSet<QString> taken;
        for (const QString& devId : qAsConst(m_order)) {
            if (inStore.contains(devId) && !taken.contains(devId)) {
                order.append(devId);
                taken.insert(devId);
            }
        }
        for (const QString& devId : qAsConst(storeOrder)) {
            if (!taken.contains(devId))
                order.append(devId);
        }
        QHash<QString, qint64> seconds;
        for (const QString& devId : qAsConst(order))
            seconds.insert(devId, DebugInfoReply::uptimeSecondsOf(m_tracker.health(devId).uptimeText));
        const bool ascending = m_sortIndex == 1;
        std::stable_sort(order.begin(), order.end(), [&](const QString& a, const QString& b) {
            return ascending ? seconds.value(a) < seconds.value(b) : seconds.value(a) > seconds.value(b);
        });
    }

    // Rows at the end come and go; the others are re-filled in place.
    while (m_list->count() > order.size()) {
        if (m_rowWidgets.size() == m_list->count())
            m_rowWidgets.removeLast();
        delete m_list->takeItem(m_list->count() - 1);
    }
    // New items in one insertion: the view re-places every row widget at each insertion, so one by one
    // costs the square of the list's length.
    if (m_list->count() < order.size()) {
        const int from = m_list->count();
        m_list->insertItems(from, QVector<QString>(order.size() - from).toList());
        for (int k = from; k < order.size(); ++k)
            m_list->item(k)->setSizeHint(QSize(0, NetStateItemForm::rowHeight()));
    }
    for (int k = 0; k < order.size(); ++k) {
        QListWidgetItem* item = m_list->item(k);
        if (item->data(Qt::UserRole).toString() != order.at(k))
            item->setData(Qt::UserRole, order.at(k));
    }
    m_order = order;
    addRows();
    m_rows.clear();
    m_rows.reserve(order.size());
    QHash<QString, const DevDetail_t*> details;
    details.reserve(devs.size());
    for (const DevDetail_t& d : devs)
        details.insert(d.devId, &d);
    // One pass over the registry instead of one search per row.
    QHash<QString, DevHeader> headers;
    headers.reserve(devs.size());
    for (DevRecord* rec : getAllDevs()) {
        DevHeader hdr{};
        if (dvm_copyDevHeader(rec, &hdr) == 1)
            headers.insert(QString::fromUtf8(hdr.devId), hdr);
    }
    for (int k = 0; k < m_rowWidgets.size(); ++k) {
        const QString& devId = order.at(k);
        NetStateItemForm* row = m_rowWidgets.at(k);
        m_rows.insert(devId, row);
        const auto h = headers.constFind(devId);
        applyToRow(row, *details.value(devId), h == headers.cend() ? nullptr : &h.value());
    }
    queueMoreRows();
}

void NetStateForm::addRows()
{
    // Making a row costs a few milliseconds: a long list gets its rows over several turns.
    const int wanted = std::min<int>(m_order.size(), m_rowWidgets.size() + kRowsPerStep);
    while (m_rowWidgets.size() < wanted) {
        auto* row = new NetStateItemForm(m_list);
        m_list->setItemWidget(m_list->item(m_rowWidgets.size()), row);
        row->setRightSlack(rowSlack());
        m_rowWidgets.append(row);
    }
}

void NetStateForm::queueMoreRows()
{
    if (isBuildingRows() && !m_continueQueued) {
        m_continueQueued = true;
        QTimer::singleShot(0, this, &NetStateForm::continueRows);
    }
}

void NetStateForm::continueRows()
{
    m_continueQueued = false;
    const int from = m_rowWidgets.size();
    addRows();
    // Only the new rows are filled: the others were filled by the refresh that made the order.
    for (int k = from; k < m_rowWidgets.size(); ++k) {
        const QString& devId = m_order.at(k);
        m_rows.insert(devId, m_rowWidgets.at(k));
        applyToRow(devId);
    }
    queueMoreRows();
}

int NetStateForm::rowSlack() const
{
    const int scrollBar = m_list->width() - m_list->viewport()->width();
    return std::max(0, NetStateItemForm::scrollBarWidth() - scrollBar);
}

bool NetStateForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        const int slack = rowSlack();
        for (NetStateItemForm* row : qAsConst(m_rowWidgets))
            row->setRightSlack(slack);
    }
    return QWidget::eventFilter(watched, event);
}

void NetStateForm::applyToRow(const QString& devId)
{
    NetStateItemForm* row = m_rows.value(devId, nullptr);
    if (row == nullptr)
        return;
    DevHeader hdr{};
    const bool known = dvm_copyDevHeader(findDevById(devId.toUtf8().constData()), &hdr) == 1;
    DevDetail_t detail = m_store.getDevDetail(devId);
    // A row may outlive its detail until the next refresh; it keeps its devId meanwhile.
    detail.devId = devId;
    applyToRow(row, detail, known ? &hdr : nullptr);
}

void NetStateForm::applyToRow(NetStateItemForm* row, const DevDetail_t& d, const DevHeader* hdr)
{
    const DeviceHealthTracker::Health h = m_tracker.health(d.devId);
    NetStateItemForm::Fields f;
    f.devId = d.devId;
    f.name = d.name;
    f.type = m_models.deviceTypeText(d.model);
    if (f.type.isEmpty())
        f.type = d.type;
    if (d.sampleRate > 0)
        f.sampleRate = QString::number(d.sampleRate);
    if (hdr != nullptr) {
        if (hdr->pFrameNum > 0 && hdr->sampleRate > 0)
            f.packetTime = millisecondsText(double(hdr->pFrameNum) * 1000.0 / hdr->sampleRate);
        if (hdr->delayUs > 0)
            f.latency = millisecondsText(hdr->delayUs / 1000.0);
    }
    f.temperature = h.temperatureText;
    f.runningTime = h.uptimeText;
    f.version = d.firmwareVersion;
    row->setFields(f);
    row->setWarning(h.message);
}

void NetStateForm::reportWarnings(const QStringList& changedDevIds)
{
    for (const QString& devId : changedDevIds) {
        const DeviceHealthTracker::Health h = m_tracker.health(devId);
        emit signal_unusualTips(devId, int(h.warning), h.warning != DeviceHealthTracker::NoWarning, h.message);
    }
    const QString top = m_tracker.globalWarningDevId(m_order);
    if (top.isEmpty()) {
        if (!m_lastGlobal.isEmpty())
            emit signal_gobalTips(0, false, QString());
        m_lastGlobal.clear();
        return;
    }
    const DeviceHealthTracker::Health h = m_tracker.health(top);
    m_lastGlobal = h.message;
    emit signal_gobalTips(globalTipType(h.warning), true, h.message);
}
