#include "ChannelNameTable.h"

#include "AppState.h"
#include "NameRules.h"
#include "OfflineDeviceBridge.h"
#include "ReasonText.h"

#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

int intOf(const QJsonValue& v, int fallback = -1)
{
    if (v.isDouble())
        return v.toInt();
    bool ok = false;
    const int i = v.toString().toInt(&ok);
    return ok ? i : fallback;
}

} // namespace

ChannelNameTable::ChannelNameTable(const QString& devId, QWidget* parent) : QTableWidget(parent), m_devId(devId)
{
    setObjectName(QStringLiteral("channel_table"));
    setColumnCount(2);
    setHorizontalHeaderLabels({tr("通道名称"), tr("通道")});
    horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(ChannelColumn, QHeaderView::ResizeToContents);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(this, &QTableWidget::itemChanged, this, &ChannelNameTable::onItemChanged);
}

void ChannelNameTable::setNames(const QStringList& rxNames, const QStringList& txNames)
{
    m_filling = true;
    m_rx = rxNames;
    m_tx = txNames;
    setRowCount(m_rx.size() + m_tx.size());
    for (int row = 0; row < rowCount(); ++row) {
        const int inOrOut = row < m_rx.size() ? 0 : 1;
        const int ch = inOrOut == 0 ? row : row - m_rx.size();
        auto pending = m_pending.constFind(qMakePair(inOrOut, ch));
        setCellName(row, pending != m_pending.constEnd() ? pending.value() : listOf(inOrOut).at(ch));
        auto* kind = item(row, ChannelColumn);
        if (kind == nullptr) {
            kind = new QTableWidgetItem;
            kind->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(row, ChannelColumn, kind);
        }
        kind->setText((inOrOut == 0 ? tr("网络接收") : tr("网络发送")) + QStringLiteral(" %1").arg(ch + 1));
    }
    m_filling = false;
}

void ChannelNameTable::setCellName(int row, const QString& name)
{
    const bool filling = m_filling;
    m_filling = true;
    auto* cell = item(row, NameColumn);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        setItem(row, NameColumn, cell);
    }
    if (cell->text() != name)
        cell->setText(name);
    m_filling = filling;
}

int ChannelNameTable::rowOf(int inOrOut, int ch) const
{
    if (ch < 0 || ch >= listOf(inOrOut).size())
        return -1;
    return inOrOut == 0 ? ch : m_rx.size() + ch;
}

QString ChannelNameTable::confirmedName(int inOrOut, int ch) const
{
    return listOf(inOrOut).value(ch);
}

void ChannelNameTable::onItemChanged(QTableWidgetItem* cell)
{
    if (m_filling || cell->column() != NameColumn)
        return;
    const int row = cell->row();
    const int inOrOut = row < m_rx.size() ? 0 : 1;
    const int ch = inOrOut == 0 ? row : row - m_rx.size();
    const QString confirmed = listOf(inOrOut).value(ch);
    const NameRules::Result r = NameRules::check(cell->text(), confirmed);
    if (r.verdict == NameRules::Unchanged) {
        setCellName(row, confirmed);
        return;
    }
    if (r.verdict != NameRules::Accepted) {
        emit signal_showTips(r.tip);
        setCellName(row, confirmed);
        return;
    }
    setCellName(row, r.name);
    if (m_offline != nullptr) {
        const bool ok = m_offline->setChannelName(inOrOut, ch, r.name);
        if (ok)
            listOf(inOrOut)[ch] = r.name;
        setCellName(row, listOf(inOrOut).value(ch));
        emit signal_showTips(ok ? ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese())
                                : tr("设置失败"));
        return;
    }
    if (AppState::isOffline()) {
        // Nothing leaves while offline, and the store speaks for real devices only.
        listOf(inOrOut)[ch] = r.name;
        emit signal_showTips(ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese()));
        return;
    }
    m_pending.insert(qMakePair(inOrOut, ch), r.name);
    QJsonObject o;
    o.insert(QStringLiteral("ops"), QStringLiteral("setChName"));
    o.insert(QStringLiteral("devId"), m_devId);
    o.insert(QStringLiteral("inOrOut"), QString::number(inOrOut));
    o.insert(QStringLiteral("ch"), QString::number(ch));
    o.insert(QStringLiteral("name"), r.name);
    emit sendChangeData(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

bool ChannelNameTable::handleReply(const QJsonObject& reply)
{
    const int inOrOut = intOf(reply.value(QStringLiteral("inOrOut")), 0) != 0 ? 1 : 0;
    const int ch = intOf(reply.value(QStringLiteral("ch")));
    const int row = rowOf(inOrOut, ch);
    const auto key = qMakePair(inOrOut, ch);
    const bool mine = m_pending.contains(key);
    const QString sent = m_pending.take(key);
    const bool succ = reply.value(QStringLiteral("result")).toString() == QLatin1String("succ");
    if (row < 0)
        return mine;
    if (succ) {
        // Another page may have renamed the channel; the reply carries the name the device took.
        const QString name = reply.value(QStringLiteral("name")).toString();
        listOf(inOrOut)[ch] = name.isEmpty() ? sent : name;
    }
    setCellName(row, listOf(inOrOut).at(ch));
    if (mine) {
        const QString reason = succ ? QStringLiteral("设置成功") : reply.value(QStringLiteral("reason")).toString();
        emit signal_showTips(reason.isEmpty() ? tr("设置失败") : ReasonText::forReason(reason, AppState::isChinese()));
    }
    return mine;
}
