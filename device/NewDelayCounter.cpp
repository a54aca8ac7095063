#include "NewDelayCounter.h"

#include "AppState.h"
#include "DelayHistogram.h"
#include "DevDetailStore.h"
#include "LockOverlays.h"
#include "UiScale.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const kFieldNames[DelayStats::FieldCount] = {"total_le", "in125_le", "in250_le",       "in500_le",
                                                         "in1ms_le", "in2ms_le", "in4ms_le",       "out4ms_le",
                                                         "avgUs_le", "maxUs_le", "notContinue_le", "exceedDelay_le"};

/// The stream id of a reply, as text or number; -2 when unreadable (never a stream id).
int readSdpId(const QJsonValue& v)
{
    if (v.isDouble())
        return v.toInt(-2);
    bool ok = false;
    const int id = v.toString().trimmed().toInt(&ok);
    return ok ? id : -2;
}

} // namespace

NewDelayCounter::NewDelayCounter(const QString& devId, QWidget* parent) : QWidget(parent), m_devId(devId)
{
    setObjectName(QStringLiteral("NewDelayCounter"));
    setAttribute(Qt::WA_StyledBackground);
    const int font = UiScale::fontPx(13);
    setStyleSheet(QStringLiteral("QWidget#NewDelayCounter{background:#1e242c;}"
                                 "QLabel{color:#c8d0dc;font-size:%1px;}"
                                 "QLineEdit{color:#ffffff;background:#2a313b;border:1px solid #3a4552;"
                                 "border-radius:3px;padding:1px 6px;font-size:%1px;min-height:%2px;}"
                                 "QComboBox{color:#ffffff;background:#2a313b;border:1px solid #3a4552;"
                                 "border-radius:3px;padding:1px 6px;font-size:%1px;min-height:%2px;}"
                                 "QComboBox QAbstractItemView{color:#ffffff;background:#2a313b;}"
                                 "QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                                 "font-size:%1px;min-height:%2px;padding:0 %3px;}"
                                 "QPushButton:hover{background:#1c96d8;}"
                                 "QPushButton:disabled{background:#4a5360;color:#9aa3ad;}")
                      .arg(font)
                      .arg(UiScale::px(24))
                      .arg(UiScale::px(14)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(16), UiScale::px(12), UiScale::px(16), UiScale::px(12));
    layout->setSpacing(UiScale::px(10));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("接收流:"), this));
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("comboBox"));
    m_combo->setMinimumWidth(UiScale::px(320));
    top->addWidget(m_combo, 1);
    auto* refresh = new QPushButton(tr("刷新"), this);
    refresh->setObjectName(QStringLiteral("refresh_bt"));
    top->addWidget(refresh);
    m_clear = new QPushButton(tr("清除数据"), this);
    m_clear->setObjectName(QStringLiteral("clear_bt"));
    top->addWidget(m_clear);
    layout->addLayout(top);

    m_histogram = new DelayHistogram(this);
    layout->addWidget(m_histogram, 1);

    const QString labels[DelayStats::FieldCount] = {tr("统计总数"),
                                                    QStringLiteral("< 0.125ms"),
                                                    QStringLiteral("0.125ms < x < 0.250ms"),
                                                    QStringLiteral("0.250ms < x < 0.500ms"),
                                                    QStringLiteral("< 1ms"),
                                                    QStringLiteral("< 2ms"),
                                                    QStringLiteral("< 4ms"),
                                                    QStringLiteral("> 4ms"),
                                                    tr("平均延迟(微秒)"),
                                                    tr("最大延迟(微秒)"),
                                                    tr("不连续次数"),
                                                    tr("超出延迟次数")};
    // Total and buckets on the left, delays and error counters on the right.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(UiScale::px(12));
    grid->setVerticalSpacing(UiScale::px(6));
    for (int f = 0; f < DelayStats::FieldCount; ++f) {
        const bool left = f <= DelayStats::Out4ms;
        const int row = left ? f : f - DelayStats::AvgUs;
        const int col = left ? 0 : 2;
        grid->addWidget(new QLabel(labels[f], this), row, col);
        m_fields[size_t(f)] = addField(QLatin1String(kFieldNames[f]));
        grid->addWidget(m_fields[size_t(f)], row, col + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    showStats(DelayStats());

    m_overlays = new LockOverlays(this);

    m_pollTimer = new QTimer(this);
    m_pollTimer->setObjectName(QStringLiteral("poll_timer"));
    m_pollTimer->setInterval(kPollMs);
    connect(m_pollTimer, &QTimer::timeout, this, [this] {
        reloadStreams();
        requestStats();
    });
    m_lockTimer = new QTimer(this);
    m_lockTimer->setObjectName(QStringLiteral("lock_timer"));
    m_lockTimer->setInterval(kLockCheckMs);
    connect(m_lockTimer, &QTimer::timeout, this, &NewDelayCounter::refreshLock);
    reloadStreams();
    QMetaObject::connectSlotsByName(this);
}

QLineEdit* NewDelayCounter::addField(const QString& objectName)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    edit->setReadOnly(true);
    return edit;
}

void NewDelayCounter::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshLock();
    reloadStreams();
    requestStats();
    m_pollTimer->start();
    m_lockTimer->start();
}

void NewDelayCounter::hideEvent(QHideEvent* event)
{
    m_pollTimer->stop();
    m_lockTimer->stop();
    QWidget::hideEvent(event);
}

void NewDelayCounter::reloadStreams()
{
    // The offline workspace has no receiving streams to measure.
    const QVector<ActiveStreamList::Entry> streams =
        AppState::isOffline() ? QVector<ActiveStreamList::Entry>() : ActiveStreamList::forDevice(m_devId);
    if (streams == m_streams && m_combo->count() > 0)
        return;

    const ActiveStreamList::Entry* chosen = currentStream();
    const bool hadChoice = chosen != nullptr;
    const bool chosenMulticast = hadChoice && chosen->multicast;
    const int chosenId = hadChoice ? chosen->sdpId : -1;

    m_streams = streams;
    m_combo->clear();
    int keep = -1;
    for (int i = 0; i < m_streams.size(); ++i) {
        m_combo->addItem(m_streams[i].text, i);
        if (hadChoice && m_streams[i].multicast == chosenMulticast && m_streams[i].sdpId == chosenId)
            keep = i;
    }
    if (m_streams.isEmpty())
        m_combo->addItem(tr("暂无活跃通道"), -1);
    m_combo->setCurrentIndex(qMax(0, keep));
    m_clear->setEnabled(!m_streams.isEmpty());
    if (hadChoice && keep < 0)
        showStats(DelayStats()); // the stream shown before has stopped
}

const ActiveStreamList::Entry* NewDelayCounter::currentStream() const
{
    const int i = m_combo->currentData().toInt();
    return m_combo->currentData().isValid() && i >= 0 && i < m_streams.size() ? &m_streams[i] : nullptr;
}

void NewDelayCounter::requestStats()
{
    const ActiveStreamList::Entry* s = currentStream();
    if (s == nullptr || AppState::isOffline())
        return;
    emit sendChangeData(DelayStats::getRequest(m_devId, s->multicast, s->sdpId));
}

void NewDelayCounter::on_refresh_bt_clicked()
{
    reloadStreams();
    requestStats();
}

void NewDelayCounter::on_comboBox_activated(int)
{
    showStats(DelayStats());
    requestStats();
}

void NewDelayCounter::on_clear_bt_clicked()
{
    const ActiveStreamList::Entry* s = currentStream();
    if (s == nullptr || AppState::isOffline())
        return;
    emit sendChangeData(DelayStats::clearRequest(m_devId, s->multicast, s->sdpId));
}

void NewDelayCounter::recvRequest(QString str)
{
    const QJsonObject reply = QJsonDocument::fromJson(str.toUtf8()).object();
    const QString devId = reply.value(QStringLiteral("devId")).toString();
    if (!devId.isEmpty() && devId != m_devId)
        return;
    const QString ops = reply.value(QStringLiteral("ops")).toString();
    if (ops == QLatin1String("setLock")) {
        refreshLock();
        return;
    }
    bool multicast = false, clear = false;
    if (!DelayStats::isStatsOps(ops, &multicast, &clear))
        return;
    // An answer about a stream no longer chosen must not land in the fields of the one chosen now.
    const ActiveStreamList::Entry* s = currentStream();
    if (s == nullptr || s->multicast != multicast)
        return;
    const QJsonValue sdpId = reply.value(QStringLiteral("sdpId"));
    if (!sdpId.isUndefined() && readSdpId(sdpId) != s->sdpId)
        return;

    if (reply.value(QStringLiteral("result")).toString() == QLatin1String("succ")) {
        showStats(DelayStats::fromReply(reply));
    } else if (clear) {
        emit signal_showTips(tr("清除失败"));
    }
    // A failed read leaves the values as they were; the next poll asks again.
}

void NewDelayCounter::showStats(const DelayStats& stats)
{
    m_stats = stats;
    for (int f = 0; f < DelayStats::FieldCount; ++f)
        m_fields[size_t(f)]->setText(stats.text(DelayStats::Field(f)));
    m_histogram->setStats(stats);
}

void NewDelayCounter::refreshLock()
{
    m_overlays->apply(DevDetailStore::instance().getDevDetail(m_devId).detailLock);
}
