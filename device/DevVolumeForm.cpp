#include "DevVolumeForm.h"

#include "LevelConversion.h"
#include "ReplyFields.h"
#include "UiScale.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kNoChannels = QStringLiteral("--");

using ReplyFields::compact;
using ReplyFields::text;

} // namespace

DevVolumeForm::DevVolumeForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DevVolumeForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("volume_table"));
    m_table->setHorizontalHeaderLabels(
        {tr("设备名称"), tr("模拟输入(dBFS)"), tr("模拟输出(dBFS)"), tr("网络输入(dBFS)"), tr("网络输出(dBFS)")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(UiScale::px(28));
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(m_table);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < m_rows.size())
            emit signal_showDevWindow(m_rows.at(row).devId);
    });
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &DevVolumeForm::slot_updateVolume);
    m_timer.start();
}

QStringList DevVolumeForm::devIds() const
{
    QStringList out;
    for (const Row& r : m_rows)
        out << r.devId;
    return out;
}

QString DevVolumeForm::cellText(const QString& devId, Column column) const
{
    const int row = rowOf(devId);
    const QTableWidgetItem* item = row < 0 ? nullptr : m_table->item(row, column);
    return item ? item->text() : QString();
}

void DevVolumeForm::fillRow(int row, const DevDetail_t& d)
{
    Row& r = m_rows[row];
    r.levelOffset = LevelConversion::needsLevelOffset(d.firmwareVersion);
    const int counts[4] = {d.phyRxChNames.size(), d.phyTxChNames.size(), d.rxChNames.size(), d.txChNames.size()};
    for (int c = 0; c < ColumnCount; ++c) {
        QTableWidgetItem* item = m_table->item(row, c);
        if (!item) {
            item = new QTableWidgetItem(c == NameColumn ? QString() : kNoChannels);
            item->setTextAlignment(c == NameColumn ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignCenter));
            m_table->setItem(row, c, item);
        }
        if (c == NameColumn) {
            if (item->text() != d.name)
                item->setText(d.name);
            continue;
        }
        const int count = counts[c - 1];
        // A side that loses its channels shows nothing; one that gains them waits for its first reply.
        if (count == 0 && item->text() != kNoChannels)
            item->setText(kNoChannels);
        r.counts[c - 1] = count;
    }
}

void DevVolumeForm::setDevices(const QVector<DevDetail_t>& devices)
{
    bool same = devices.size() == m_rows.size();
    for (int i = 0; same && i < devices.size(); ++i)
        same = devices.at(i).devId == m_rows.at(i).devId;
    if (!same) {
        // Keep what the devices that stay already show.
        QHash<QString, QStringList> shown;
        for (int i = 0; i < m_rows.size(); ++i) {
            QStringList cells;
            for (int c = PhyInColumn; c < ColumnCount; ++c)
                cells << (m_table->item(i, c) ? m_table->item(i, c)->text() : kNoChannels);
            shown.insert(m_rows.at(i).devId, cells);
        }
        m_table->setRowCount(0);
        m_table->setRowCount(devices.size());
        m_rows = QVector<Row>(devices.size());
        m_rowOf.clear();
        for (int i = 0; i < devices.size(); ++i) {
            m_rows[i].devId = devices.at(i).devId;
            m_rowOf.insert(devices.at(i).devId, i);
            const QStringList cells = shown.value(devices.at(i).devId);
            for (int c = PhyInColumn; c < ColumnCount && !cells.isEmpty(); ++c) {
                auto* item = new QTableWidgetItem(cells.at(c - PhyInColumn));
                item->setTextAlignment(Qt::AlignCenter);
                m_table->setItem(i, c, item);
            }
        }
    }
    for (int i = 0; i < devices.size(); ++i)
        fillRow(i, devices.at(i));
}

void DevVolumeForm::startPolling()
{
    m_timer.start();
}

void DevVolumeForm::stopPolling()
{
    m_timer.stop();
}

void DevVolumeForm::slot_updateVolume()
{
    static const char* const kOps[4] = {"getAllPhyLevel", "getAllPhyLevel", "getAllNetLevel", "getAllNetLevel"};
    for (const Row& r : qAsConst(m_rows)) {
        for (int side = 0; side < 4; ++side) {
            if (r.counts[side] == 0)
                continue;
            QJsonObject o;
            o.insert(QStringLiteral("ops"), QLatin1String(kOps[side]));
            o.insert(QStringLiteral("devId"), r.devId);
            o.insert(QStringLiteral("inOrOut"), side % 2 == 0 ? QStringLiteral("0") : QStringLiteral("1"));
            o.insert(QStringLiteral("idStart"), QStringLiteral("0"));
            emit sendChangeData(compact(o));
        }
    }
}

void DevVolumeForm::recvBackData(QString msg)
{
    // Every reply of every device passes here: parse only level pages.
    if (!msg.contains(QLatin1String("Level")))
        return;
    const QJsonDocument doc = QJsonDocument::fromJson(msg.toUtf8());
    if (!doc.isObject())
        return;
    const QJsonObject o = doc.object();
    const QString ops = text(o, "ops");
    const bool physical = ops == QLatin1String("getAllPhyLevel");
    if (!physical && ops != QLatin1String("getAllNetLevel"))
        return;
    if (text(o, "result") != QLatin1String("succ"))
        return;
    const int row = rowOf(text(o, "devId"));
    if (row < 0)
        return;
    const bool out = text(o, "inOrOut").toInt() != 0;
    const int column = physical ? (out ? PhyOutColumn : PhyInColumn) : (out ? NetOutColumn : NetInColumn);
    if (m_rows.at(row).counts[column - 1] == 0)
        return;
    const QJsonArray arr = o.value(QStringLiteral("arr")).toArray();
    if (arr.isEmpty())
        return;
    QStringList values;
    values.reserve(arr.size());
    for (const QJsonValue& v : arr)
        values << ReplyFields::text(v);
    const int level = LevelConversion::meterValue(LevelConversion::maxLevel(values, m_rows.at(row).levelOffset));
    QTableWidgetItem* item = m_table->item(row, column);
    const QString shown = QString::number(level);
    if (item && item->text() != shown)
        item->setText(shown);
}
