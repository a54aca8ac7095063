#include "DevListForm.h"

#include "AppVersion.h"
#include "ListWidgetHelpers.h"
#include "ModelTable.h"
#include "UiScale.h"

#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

DevListForm::DevListForm(const ModelTable& models, QWidget* parent)
    : QWidget(parent), m_models(models), m_caption(new QLabel(this)), m_table(new QTableWidget(0, ColumnCount, this))
{
    m_caption->setObjectName(QStringLiteral("devList_caption"));
    m_caption->setStyleSheet(QStringLiteral("QLabel{color:#d8dee6;background:#262e38;padding:%1px;font-size:%2px;}")
                                 .arg(UiScale::px(6))
                                 .arg(UiScale::fontPx(13)));
    m_table->setObjectName(QStringLiteral("devList_table"));
    ListWidgetHelpers::applyListStyle(m_table);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_table, 1);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < m_devIds.size())
            emit signal_showDevWindow(m_devIds.at(row));
    });
    retranslate();
}

QString DevListForm::typeText(const DevDetail_t& device) const
{
    const QString text = m_models.deviceTypeText(device.model);
    return text.isEmpty() ? device.type : text;
}

void DevListForm::refresh(const QVector<DevDetail_t>& devices)
{
    m_devices = devices;
    m_caption->setText(tr("设备列表 (%1)").arg(devices.size()));
    showRows();
}

void DevListForm::showRows()
{
    // A long list grows by kRowsPerStep rows a turn, so its first showing never holds the window for long;
    // rows already shown, and a shrinking list, follow at once.
    const int count = std::min<int>(m_devices.size(), m_table->rowCount() + kRowsPerStep);
    QVector<QStringList> rows;
    rows.reserve(count);
    m_devIds.clear();
    for (int i = 0; i < count; ++i) {
        const DevDetail_t& d = m_devices.at(i);
        rows.push_back({d.name, typeText(d), AppVersion::ipv4Text(d.ip), d.macText});
        m_devIds << d.devId;
    }
    ListWidgetHelpers::setRows(m_table, rows);
    paintBlinking();
    if (count < m_devices.size() && !m_moreQueued) {
        m_moreQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_moreQueued = false;
            showRows();
        });
    }
}

void DevListForm::retranslate()
{
    m_table->setHorizontalHeaderLabels({tr("设备名称"), tr("设备类型"), QStringLiteral("IP"), QStringLiteral("MAC")});
    m_caption->setText(tr("设备列表 (%1)").arg(m_devices.size()));
}

void DevListForm::setBlinking(const QString& devId, bool on)
{
    if (on)
        m_blinking.insert(devId);
    else
        m_blinking.remove(devId);
    paintBlinking();
}

void DevListForm::paintBlinking()
{
    const QBrush blink(QColor(0x0a, 0x84, 0xc6));
    for (int r = 0; r < m_devIds.size() && r < m_table->rowCount(); ++r) {
        const QBrush wanted = m_blinking.contains(m_devIds.at(r)) ? blink : QBrush();
        for (int c = 0; c < m_table->columnCount(); ++c) {
            QTableWidgetItem* item = m_table->item(r, c);
            // Only rows whose state changed are touched: every write repaints.
            if (item != nullptr && item->background() != wanted)
                item->setBackground(wanted);
        }
    }
}
